#include "window_fixture.h"

#include "status_bar.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>
#include <filesystem>
#include <sys/stat.h>

namespace {

using SettingsTest = WindowTest;

const std::vector<TestChip> kChips = {
    {"25_SPI_FLASH,WINBOND,W25X10", 128 * 1024},
    {"25_SPI_FLASH,WINBOND,W25Q64", 8 * 1024 * 1024},
    {"25_SPI_FLASH,MXIC,MX25L1605", 2 * 1024 * 1024},
    {"24_EEPROM,ATMEL,AT24C02", 256, 8},
};

TEST_F(SettingsTest, FirstRunUsesDefaultsAndWritesEveryKeyInOrder) {
    WriteDatabase(kChips);
    Start();
    // Laid out with the captions of the language: every control fits in the default size.
    QApplication::processEvents();
    EXPECT_EQ(Main().size(), QSize(700, 500));
    EXPECT_EQ(Main().ComboBox1->currentText(), "25_SPI_FLASH");
    EXPECT_EQ(Main().ComboBox2->currentText(), "WINBOND");
    EXPECT_EQ(Main().ComboBox3->currentText(), "W25X10");
    EXPECT_EQ(Main().ComboBox4->currentText(), "12MHz");
    EXPECT_EQ(Main().windowTitle(), "Halvex+ USB高速编程器");
    EXPECT_FALSE(Main().ToolDeviceAction->isVisible());
    EXPECT_FALSE(Main().N3->isVisible());

    Main().ComboBox4->setCurrentIndex(4);
    Main().close();
    EXPECT_FALSE(Main().IniFile) << "the settings object is freed on close";
    const std::string x = std::to_string(Main().x()), y = std::to_string(Main().y());
    EXPECT_EQ(ReadFile("Pyrolan.ini"),
              "[Environment]\nFormHeight=500\nFormWidth=700\nFormTop=" + y + "\nFormLeft=" + x +
                  "\nFormMax=0\n\n[CHIP]\nINDEX1=0\nINDEX2=0\nINDEX3=0\n\n[DEVICE]\nSPEED=4\n"
                  "LANGU=0\n");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(SettingsTest, ValuesAreReadBeforeTheWindowShows) {
    WriteDatabase(kChips);
    WriteSettings("[environment]\nFormHeight=560\nFormWidth=640\n[Chip]\nindex1=0\nINDEX2=1\n"
                  "INDEX3=0\n[DEVICE]\nchip=0x10\nSPEED=0x3\nLANGU=2\nunknown=kept\n");
    Start();
    EXPECT_EQ(Main().size(), QSize(640, 560));
    EXPECT_EQ(Main().ComboBox2->currentText(), "MXIC");
    EXPECT_EQ(Main().ComboBox3->currentText(), "MX25L1605");
    EXPECT_EQ(Main().ComboBox5->currentText(), "2MB");
    EXPECT_EQ(Main().ComboBox4->currentText(), "1.5MHz");
    EXPECT_EQ(Main().windowTitle(), "Halvex+ USB High Speed Programmer");
    EXPECT_TRUE(Main().ToolDeviceAction->isVisible());
    EXPECT_TRUE(Main().N3->isVisible());
    Main().close();
    const std::string written = ReadFile("Pyrolan.ini");
    EXPECT_NE(written.find("chip=0x10\n"), std::string::npos) << written;
    EXPECT_NE(written.find("unknown=kept\n"), std::string::npos) << written;
    EXPECT_NE(written.find("INDEX2=1\n"), std::string::npos) << written;
}

TEST_F(SettingsTest, SwitchAndRangeCases) {
    struct Case {
        const char* device;
        bool deviceShown;
        int speed;
        int language;
    } cases[] = {
        {"chip=1\nSPEED=5\nLANGU=1\n", true, 5, 1},
        {"chip=abc\nSPEED=6\nLANGU=3\n", false, 0, 0},
        {"chip=0\nSPEED=-1\nLANGU=-1\n", false, 0, 0},
        {"chip=$1\nSPEED=x2\nLANGU=0x2\n", true, 2, 2},
    };
    for (const Case& c : cases) {
        WriteSettings(std::string("[DEVICE]\n") + c.device);
        Start();
        EXPECT_EQ(Main().ToolDeviceAction->isVisible(), c.deviceShown) << c.device;
        EXPECT_EQ(Main().ComboBox4->currentIndex(), c.speed) << c.device;
        EXPECT_EQ(Main().State.Language, c.language) << c.device;
        DestroyForms();
    }
}

TEST_F(SettingsTest, FormMaxOpensMaximisedAndIgnoresTheBounds) {
    WriteSettings("[Environment]\nFormMax=1\nFormWidth=300\nFormHeight=200\n");
    CreateForms();
    EXPECT_TRUE(Main().windowState() & Qt::WindowMaximized);
    EXPECT_NE(Main().size(), QSize(300, 200));
    Main().close();
    EXPECT_NE(ReadFile("Pyrolan.ini").find("FormMax=1\n"), std::string::npos);
}

TEST_F(SettingsTest, ReadOnlySettingsFileShowsItsErrorOnceAndTheWindowCloses) {
    WriteSettings("[DEVICE]\nLANGU=2\n");
    ::chmod(Path("Pyrolan.ini").c_str(), 0444);
    Start();
    Main().close();
    EXPECT_FALSE(Main().isVisible());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "Unable to write to " + Path("Pyrolan.ini") + ".");
    EXPECT_EQ(boxes_[0].Caption, "Pyrolan");
    EXPECT_EQ(boxes_[0].Icon, BoxIcon::Stop);
    EXPECT_EQ(ReadFile("Pyrolan.ini"), "[DEVICE]\nLANGU=2\n");
}

// Bounds that no screen holds would paint a window of gigabytes or overflow the placement;
// they are brought onto the available screen, frame and all, and bounds that fit stay exactly.
TEST_F(SettingsTest, PlacementIsBoundedByTheScreenAndOrdinaryValuesStay) {
    WriteDatabase(kChips);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* bounds;
        QSize expected; // empty: the screen's size less the window's frame
    } cases[] = {
        {"FormWidth=2147483647\nFormHeight=2147483647\nFormLeft=2147483647\n"
         "FormTop=2000000000\n",
         {}},
        {"FormWidth=20000\nFormHeight=20000\nFormLeft=-2147483648\nFormTop=-5\n", {}},
        {"FormWidth=640\nFormHeight=480\nFormLeft=2147483647\nFormTop=10\n", {640, 480}},
        {"FormWidth=701\nFormHeight=499\nFormLeft=3\nFormTop=4\n", {701, 499}},
    };
    for (const Case& c : cases) {
        WriteSettings(std::string("[Environment]\n") + c.bounds);
        Start();
        QApplication::processEvents();
        const QMargins frame = Main().windowHandle()->frameMargins();
        const QSize expected = c.expected.isEmpty() ? area.size().shrunkBy(frame) : c.expected;
        EXPECT_EQ(Main().size(), expected) << c.bounds;
        EXPECT_TRUE(area.contains(Main().frameGeometry())) << c.bounds;
        Main().close();
        const std::string written = ReadFile("Pyrolan.ini");
        EXPECT_NE(written.find("FormWidth=" + std::to_string(expected.width()) + "\n"),
                  std::string::npos)
            << written;
        DestroyForms();
    }
}

// Positions that select no record (an edited or damaged file) would leave the lists empty
// while the operations use record 0: the first chip is selected instead.
TEST_F(SettingsTest, SavedPositionsThatSelectNoChipFallBackToTheFirst) {
    WriteDatabase(kChips);
    for (const char* chip : {"INDEX1=2\nINDEX2=0\nINDEX3=0\n", "INDEX1=0\nINDEX2=0\nINDEX3=9\n",
                             "INDEX1=-1\nINDEX2=-1\nINDEX3=-1\n", "INDEX1=0\nINDEX2=5\n"}) {
        WriteSettings(std::string("[CHIP]\n") + chip);
        Start();
        EXPECT_EQ(Main().ComboBox1->currentIndex(), 0) << chip;
        EXPECT_EQ(Main().ComboBox2->currentText(), "WINBOND") << chip;
        EXPECT_EQ(Main().ComboBox3->currentText(), "W25X10") << chip;
        EXPECT_EQ(Main().State.ChipIndex, 0) << chip;
        EXPECT_EQ(Main().Edit1->text(), "131072") << chip;
        EXPECT_EQ(std::vector<int32_t>(
                      {Main().State.KindIndex, Main().State.MakerIndex, Main().State.ModelIndex}),
                  std::vector<int32_t>({0, 0, 0}))
            << chip;
        DestroyForms();
    }
}

} // namespace
