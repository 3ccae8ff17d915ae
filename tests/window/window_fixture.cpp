#include "window_fixture.h"

#include "status_bar.h"
#include "sysutils.h"
#include "test_application.h"

#include <QFileDialog>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

QApplication& TestApplication() {
    return TestProgramApplication("window_tests");
}

EmulatorApi& Emu() {
    static EmulatorApi api;
    return api;
}

void WindowTest::SetUp() {
    TestApplication();
    Emu().reset();
    Emu().remove_devices();
    SetApplicationExeName(dir_ + "/Pyrolan");
    SetMessageBoxHook([this](const MessageBoxRequest& request) {
        boxes_.push_back(request);
        return answer_;
    });
}

void WindowTest::TearDown() {
    DestroyForms();
    SetMessageBoxHook({});
    // A folder made read-only by a test is opened again for its removal.
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
}

void WindowTest::WriteFile(const std::string& name, const std::string& bytes) const {
    WriteFileBytes(Path(name), bytes);
}

std::string WindowTest::ReadFile(const std::string& name) const {
    return ReadFileBytes(Path(name));
}

std::string DatabaseFile(const std::vector<ChipRecord>& records) {
    std::string bytes;
    uint8_t raw[kChipRecordSize];
    for (const ChipRecord& record : records) {
        ChipRecordToBytes(record, raw);
        bytes.append(reinterpret_cast<const char*>(raw), kChipRecordSize);
    }
    return bytes.append(kChipRecordSize, '\0');
}

void WindowTest::WriteDatabase(const std::vector<TestChip>& chips) const {
    std::vector<ChipRecord> records;
    for (const TestChip& chip : chips) {
        ChipRecord& record = records.emplace_back();
        SetChipName(record, chip.Name);
        record.Capacity = chip.Capacity;
        record.PageSize = chip.PageSize;
        record.ChipId = chip.ChipId;
        record.Family = chip.Family;
        record.Delay = chip.Delay;
    }
    WriteFile("Pyrolan.Dat", DatabaseFile(records));
}

void WindowTest::Start() {
    CreateForms();
    Form1->show();
}

void WindowTest::ChooseFile(const std::string& name) {
    const std::string path = name.empty() ? std::string() : Path(name);
    Form1->RunFileDialog = [this, path](QFileDialog& dialog) {
        fileDialogs_.push_back(dialog.objectName().toStdString());
        if (path.empty()) return false;
        dialog.selectFile(QString::fromStdString(path));
        return true;
    };
}

void WindowTest::CloseNextModal(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr) << "no modal dialog opened";
        if (inspect) inspect(modal);
        modal->close();
    });
}

QString WindowTest::Panel(int index) const {
    return Form1->StatusBar1->PanelText(index);
}

bool WindowTest::PanelOneIsRed() const {
    TStatusBar* bar = Form1->StatusBar1;
    bar->resize(std::max(bar->width(), 400), std::max(bar->height(), 22));
    const QImage image = bar->grab().toImage();
    const QRect panel = bar->PanelRect(1);
    for (int y = panel.top(); y <= panel.bottom(); ++y)
        for (int x = panel.left(); x <= panel.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) return true;
        }
    return false;
}
