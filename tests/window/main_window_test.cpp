#include "window_fixture.h"

#include "about_box.h"
#include "app_application.h"
#include "app_device_monitor.h"
#include "chip_editor_form.h"
#include "chip_search_form.h"
#include "fill_form.h"
#include "orix_hex_editor_ex.h"
#include "status_bar.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, ControlsCarryTheirNames) {
    Start();
    for (const char* name :
         {"ToolBar1",   "ToolOpen",  "ToolSave",  "ToolRead",    "ToolErase",  "ToolWrite",
          "ToolVerify", "ToolAuto",  "ToolBank",  "ToolFill",    "ToolDevice", "ToolAbout",
          "Panel1",     "GroupBox1", "GroupBox2", "ComboBox1",   "ComboBox2",  "ComboBox3",
          "ComboBox4",  "ComboBox5", "BitBtn1",   "BitBtn2",     "BitBtn3",    "CheckBox1",
          "CheckBox2",  "CheckBox3", "Edit1",     "Edit2",       "RichEdit1",  "StatusBar1",
          "Progress",   "O1",        "O2",        "S1",          "Q1",         "Buff",
          "Fill",       "O3",        "A1",        "E1",          "W1",         "R1",
          "V1",         "N7",        "N3",        "L1",          "China",      "fanti",
          "Enlish",     "H1",        "N5",        "OpenDialog1", "SaveDialog1"})
        EXPECT_NE(Main().findChild<QObject*>(name), nullptr) << name;
    // 11 buttons and 3 separators, in order.
    const QList<QAction*> items = Main().ToolBar1->actions();
    ASSERT_EQ(items.size(), 14);
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_TRUE(items[8]->isSeparator());
    EXPECT_TRUE(items[11]->isSeparator());
    EXPECT_EQ(Main().ToolBar1->widgetForAction(items[3]), Main().ToolRead);
    EXPECT_EQ(Main().ToolBar1->widgetForAction(items[13]), Main().ToolAbout);
    EXPECT_EQ(Main().ToolRead->iconSize(), QSize(32, 32));
    EXPECT_FALSE(Main().ToolRead->icon().pixmap(32, 32).isNull());
    EXPECT_EQ(Main().ToolRead->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_TRUE(Main().CheckBox1->isChecked() && Main().CheckBox2->isChecked() &&
                Main().CheckBox3->isChecked());
    EXPECT_FALSE(Main().Progress->isVisible());
    EXPECT_EQ(Panel(3), "00:00:00");
}

TEST_F(MainWindowTest, HexViewHasTheSettingsOfTheWindowDescription) {
    Start();
    const TOrixHexEditorEx* view = Main().FlashEditor;
    const std::pair<const char*, QVariant> settings[] = {
        {"BytesPerRow", 16},  {"OffsetFormat", "-!10:0x|"}, {"ShowRuler", true},
        {"FocusFrame", true}, {"DrawGridLines", false},     {"BackupExtension", ".bak"},
    };
    for (const auto& [name, value] : settings) EXPECT_EQ(view->property(name), value) << name;
    for (const QFont& font : {view->font(), view->property("PrintFont").value<QFont>()}) {
        EXPECT_EQ(font.family(), "Courier New");
        EXPECT_EQ(font.pixelSize(), 15);
    }
}

TEST_F(MainWindowTest, ProgressBarFollowsTheStatusBar) {
    Start();
    for (int width : {900, 500}) {
        Main().resize(width, 400);
        QApplication::processEvents();
        EXPECT_EQ(Main().Progress->x(), 317);
        EXPECT_EQ(Main().Progress->x() + Main().Progress->width() - 2,
                  Main().StatusBar1->width() + 0)
            << width;
        // Inside the status bar from 2 pixels below its top edge to its bottom edge.
        EXPECT_EQ(Main().Progress->y(), Main().StatusBar1->BorderWidth() + 2);
        EXPECT_EQ(Main().Progress->y() + Main().Progress->height(), Main().StatusBar1->height())
            << width;
    }
}

TEST_F(MainWindowTest, LogHasTheNewestLineOnTop) {
    Start();
    Main().AddLogLine(Main().NextLogPrefix() + "first");
    Main().AddLogLine(Main().NextLogPrefix() + "second");
    EXPECT_EQ(Main().LogLines(), QStringList({"002:second", "001:first"}));
}

TEST_F(MainWindowTest, BoxesCarryTheirCaptionsIconsAndButtons) {
    Start();
    Main().ShowError("e");
    answer_ = IDNO;
    EXPECT_FALSE(Main().AskYesNo("q"));
    answer_ = IDYES;
    EXPECT_TRUE(Main().AskYesNo("q"));
    answer_ = IDOK;
    Main().ShowInformation("i");
    Main().ShowMessage("m");
    ASSERT_EQ(boxes_.size(), 5u);
    EXPECT_EQ(std::tuple(boxes_[0].Caption, boxes_[0].Icon, boxes_[0].Buttons),
              std::tuple(std::string("Error"), BoxIcon::Stop, unsigned{MB_OK}));
    EXPECT_EQ(std::tuple(boxes_[1].Caption, boxes_[1].Icon, boxes_[1].Buttons),
              std::tuple(std::string("Info"), BoxIcon::Question, unsigned{MB_YESNO}));
    EXPECT_EQ(std::tuple(boxes_[3].Caption, boxes_[3].Icon, boxes_[3].Buttons),
              std::tuple(std::string("Information"), BoxIcon::Information, unsigned{MB_OK}));
    EXPECT_EQ(std::tuple(boxes_[4].Caption, boxes_[4].Icon, boxes_[4].Buttons),
              std::tuple(std::string("Pyrolan"), BoxIcon::None, unsigned{MB_OK}));
}

TEST_F(MainWindowTest, ProbeRunsOnActivationDialogCloseAndDeviceChange) {
    Start();
    EXPECT_EQ(Panel(1), "编程器未接入");
    EXPECT_TRUE(PanelOneIsRed());

    // Closing one of the program's dialogs probes again.
    Main().SetStatusText("-");
    CloseNextModal([](QWidget* modal) { EXPECT_EQ(modal, AboutBox); });
    Main().ToolAbout->click();
    EXPECT_EQ(Panel(1), "编程器未接入");

    Main().SetStatusText("-");
    emit Main().DeviceMonitor->DeviceChanged();
    EXPECT_EQ(Panel(1), "编程器未接入");
}

TEST_F(MainWindowTest, NothingReachesTheLinkDuringASession) {
    Start();
    Main().SetControlsEnabled(false);
    EXPECT_FALSE(Main().ToolBar1->isEnabled());
    EXPECT_FALSE(Main().Panel1->isEnabled());
    EXPECT_TRUE(Main().menuBar()->isEnabled());
    Main().SetStatusText("busy");
    emit Main().DeviceMonitor->DeviceChanged();
    Main().FormActivate();
    // Menu commands that change the buffer or the selection are held off: no dialog opens.
    Main().Fill->trigger();
    Main().N3->trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(Panel(1), "busy");
    // The language items, About and Quit still run.
    Main().EnlishClick();
    EXPECT_EQ(Main().State.Language, 2);
    CloseNextModal();
    Main().N5->trigger();
    Main().SetControlsEnabled(true);
    Main().SetStatusText("idle");
    emit Main().DeviceMonitor->DeviceChanged();
    EXPECT_EQ(Panel(1), "Not connected");
}

TEST_F(MainWindowTest, AboutBoxOpensCentredOnTheScreen) {
    Start();
    Main().move(0, 0);
    QRect shown;
    CloseNextModal([&shown](QWidget* modal) { shown = modal->geometry(); });
    Main().ToolAbout->click();
    EXPECT_EQ(shown.size(), QSize(298, 213));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((shown.center() - centre).manhattanLength(), 4) << "not over the main window";
}

TEST_F(MainWindowTest, CommandsRunTheirHandlers) {
    WriteSettings("[DEVICE]\nchip=1\n");
    Start();
    struct Case {
        std::function<void()> run;
        QWidget* expected;
    } cases[] = {
        {[] { Form1->ToolFill->click(); }, Form4},   {[] { Form1->Fill->trigger(); }, Form4},
        {[] { Form1->ToolDevice->click(); }, Form2}, {[] { Form1->N3->trigger(); }, Form2},
        {[] { Form1->BitBtn2->click(); }, Form3},    {[] { Form1->ToolAbout->click(); }, AboutBox},
        {[] { Form1->N5->trigger(); }, AboutBox},
    };
    for (const Case& c : cases) {
        QWidget* seen = nullptr;
        CloseNextModal([&seen](QWidget* modal) { seen = modal; });
        c.run();
        EXPECT_EQ(seen, c.expected);
    }
    Main().Enlish->trigger();
    EXPECT_EQ(Main().State.Language, 2);
    Main().fanti->trigger();
    EXPECT_EQ(Main().State.Language, 1);
    Main().China->trigger();
    EXPECT_EQ(Main().State.Language, 0);
    Main().Q1->trigger();
    EXPECT_FALSE(Main().isVisible());
    EXPECT_TRUE(std::filesystem::exists(Path("Pyrolan.ini")));
}

TEST_F(MainWindowTest, DeviceMonitorStartsWithOrWithoutUdev) {
    TDeviceChangeMonitor monitor;
    SUCCEED() << (monitor.Active() ? "udev monitor active" : "no udev here");
}

// The exception box ends a message with a full stop unless it already ends a sentence, in
// whatever script it is written.
TEST(ExceptionBoxTest, FullStopOnlyWhereNoSentenceEndIsThere) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Cannot open file", "Cannot open file."},
        {"Value 50", "Value 50."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"Overwrite?", "Overwrite?"},
        {"(see log)", "(see log)"},
        {"", ""},
        {"配置文件被破坏！", "配置文件被破坏！"},
        {"操作完成。", "操作完成。"},
        {"是否继续？", "是否继续？"},
        {"文件错误", "文件错误."},
        {"संदेश।", "संदेश।"},
        {"ملف؟", "ملف؟"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExceptionBoxText(c.message), c.shown) << c.message;
}

} // namespace
