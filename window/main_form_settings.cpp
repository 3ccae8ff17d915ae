// The settings file beside the program: window placement, chip selection, speed, language.
#include "main_form.h"

#include "main_form_bounds.h"

#include <QComboBox>
#include <QToolBar>

namespace {
constexpr char kEnvironment[] = "Environment";
constexpr char kChip[] = "CHIP";
constexpr char kDevice[] = "DEVICE";
} // namespace

void TForm1::LoadSettings(TIniFile& ini) {
    if (ini.ReadBool(kEnvironment, "FormMax", false)) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        const int32_t top = ini.ReadInteger(kEnvironment, "FormTop", 10);
        const int32_t left = ini.ReadInteger(kEnvironment, "FormLeft", 10);
        const int32_t height = ini.ReadInteger(kEnvironment, "FormHeight", 500);
        const int32_t width = ini.ReadInteger(kEnvironment, "FormWidth", 700);
        // Bounds from a damaged or edited file would make a window too large to paint, or
        // place it where no one can reach it.
        PlaceForm(*this, BoundOnScreen(*this, left, top, width, height));
    }
    State.KindIndex = ini.ReadInteger(kChip, "INDEX1", 0);
    State.MakerIndex = ini.ReadInteger(kChip, "INDEX2", 0);
    State.ModelIndex = ini.ReadInteger(kChip, "INDEX3", 0);
    if (ini.ReadInteger(kDevice, "chip", 0) != 0) {
        ToolDeviceAction->setVisible(true);
        N3->setVisible(true);
    }
    // A speed outside the list would send an undefined speed index: the first speed.
    const int speed = ini.ReadInteger(kDevice, "SPEED", 0);
    ComboBox4->setCurrentIndex(speed >= 0 && speed < ComboBox4->count() ? speed : 0);
    // Every table the language picks has three entries.
    const int language = ini.ReadInteger(kDevice, "LANGU", 0);
    State.Language = language >= 0 && language <= 2 ? language : 0;
}

void TForm1::SaveSettings(TIniFile& ini) {
    ini.WriteInteger(kEnvironment, "FormHeight", height());
    ini.WriteInteger(kEnvironment, "FormWidth", width());
    ini.WriteInteger(kEnvironment, "FormTop", y());
    ini.WriteInteger(kEnvironment, "FormLeft", x());
    ini.WriteBool(kEnvironment, "FormMax", (windowState() & Qt::WindowMaximized) != 0);
    ini.WriteInteger(kChip, "INDEX1", State.KindIndex);
    ini.WriteInteger(kChip, "INDEX2", State.MakerIndex);
    ini.WriteInteger(kChip, "INDEX3", State.ModelIndex);
    ini.WriteInteger(kDevice, "SPEED", ComboBox4->currentIndex());
    ini.WriteInteger(kDevice, "LANGU", State.Language);
}
