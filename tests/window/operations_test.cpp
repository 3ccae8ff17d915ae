// The main window with a programmer in the emulator: the probe, the device operations behind
// every button and menu item, the session guard, detection and the throttled progress.
#include "window_fixture.h"

#include "app_device_monitor.h"
#include "encoding.h"
#include "message_table.h"
#include "progress_throttle.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr uint32_t kId = 0xEF4013;

class OperationsTest : public WindowTest {
protected:
    // A programmer with a 4 KiB flash chip of 0xFF whose erase ends at the first poll;
    // English texts.
    void StartWithProgrammer(std::vector<TestChip> chips = {
                                 {"SPI_FLASH,Winbond,W25X40", 4096, 256, kId}}) {
        WriteDatabase(chips);
        WriteSettings("[DEVICE]\nLANGU=2\n");
        PlugProgrammer();
        Emu().set_chip(EMU_FLASH25, 4096, 256, kId);
        Emu().set_busy_polls(0);
        Start();
    }
    size_t Opens() const { return Emu().Records(EMU_CALL_OPEN).size(); }
    QString NewestLine() const { return Form1->LogLines().value(0); }
};

TEST_F(OperationsTest, ProbeLogsTheProgrammerAtStartDeviceChangeAndDialogClose) {
    StartWithProgrammer();
    const QString found = QString::fromStdString(Message(MsgProgrammerFound, 2));
    EXPECT_EQ(Main().LogLines(), QStringList({"001:" + found}));
    EXPECT_EQ(Panel(1), "Ready");
    EXPECT_FALSE(PanelOneIsRed());
    EXPECT_EQ(Emu().open_handle_count(), 0) << "the probe closes the link";

    emit Main().DeviceMonitor->DeviceChanged();
    EXPECT_EQ(Main().LogLines().size(), 2) << "one device change, one probe";
    EXPECT_EQ(NewestLine(), "002:" + found);

    CloseNextModal();
    Main().ToolAbout->click();
    EXPECT_EQ(NewestLine(), "003:" + found);

    // Unplugged: the next probe shows the red not-connected text and logs nothing.
    Emu().remove_devices();
    emit Main().DeviceMonitor->DeviceChanged();
    EXPECT_EQ(Panel(1), "Not connected");
    EXPECT_TRUE(PanelOneIsRed());
    EXPECT_EQ(Main().LogLines().size(), 3);
}

TEST_F(OperationsTest, EveryOperationControlRunsItsOperation) {
    StartWithProgrammer();
    TForm1& f = Main();
    struct Case {
        const char* control;
        std::function<void()> run;
        std::string outcome; // the new log line's text, or the caption of the box shown
    } cases[] = {
        {"ToolRead", [&f] { f.ToolRead->click(); }, "Read Complete!"},
        {"R1", [&f] { f.R1->trigger(); }, "Read Complete!"},
        {"ToolErase", [&f] { f.ToolErase->click(); }, "Erase Complete!"},
        {"E1", [&f] { f.E1->trigger(); }, "Erase Complete!"},
        {"ToolWrite", [&f] { f.ToolWrite->click(); }, "Write Complete!"},
        {"W1", [&f] { f.W1->trigger(); }, "Write Complete!"},
        {"ToolVerify", [&f] { f.ToolVerify->click(); }, "Verify Complete!"},
        {"V1", [&f] { f.V1->trigger(); }, "Verify Complete!"},
        {"ToolAuto", [&f] { f.ToolAuto->click(); }, "AUTO Complete!"},
        {"A1", [&f] { f.A1->trigger(); }, "AUTO Complete!"},
        {"BitBtn3", [&f] { f.BitBtn3->click(); }, "AUTO Complete!"},
        {"ToolBank", [&f] { f.ToolBank->click(); }, "Bank Complete!"},
        {"N7", [&f] { f.N7->trigger(); }, "Bank Complete!"},
        {"BitBtn1", [&f] { f.BitBtn1->click(); }, "Information"},
    };
    for (const Case& c : cases) {
        // Chip and buffer agree, all 0xFF, so that every operation ends well.
        Emu().set_chip(EMU_FLASH25, 4096, 256, kId);
        std::fill(f.State.ImageBuffer.get(), f.State.ImageBuffer.get() + 4096, uint8_t{0xFF});
        f.State.DataLength = 4096;
        const QStringList before = f.LogLines();
        boxes_.clear();
        c.run();
        const QStringList after = f.LogLines();
        std::string outcome;
        if (after.size() > before.size())
            outcome = after[0].mid(4).toStdString();
        else if (!boxes_.empty())
            outcome = boxes_.back().Caption;
        EXPECT_EQ(outcome, c.outcome) << c.control;
        EXPECT_EQ(Emu().open_handle_count(), 0) << c.control;
        EXPECT_EQ(Panel(1), "Ready") << c.control;
        EXPECT_TRUE(f.ToolBar1->isEnabled() && f.Panel1->isEnabled()) << c.control;
    }
}

TEST_F(OperationsTest, NothingReachesTheLinkWhileAnOperationRuns) {
    WriteSettings("[DEVICE]\nLANGU=2\nchip=1\n");
    StartWithProgrammer({{"SPI_FLASH,Winbond,W25Q32", 4 * 1024 * 1024, 256, kId}});
    Emu().set_chip(EMU_FLASH25, 4 * 1024 * 1024, 256, kId);
    TForm1& f = Main();
    ChooseFile("any.bin");
    bool ranInside = false;
    bool heldOff = false;
    QTimer::singleShot(0, [&] {
        ranInside = f.SessionActive();
        const size_t opens = Opens();
        const QStringList log = f.LogLines();
        emit f.DeviceMonitor->DeviceChanged();
        f.FormActivate();
        for (QAction* item : {f.O2, f.S1, f.Fill, f.N3, f.R1, f.E1, f.W1, f.V1, f.A1, f.N7})
            item->trigger();
        f.BitBtn1Click(); // even a direct call starts no second operation
        heldOff = Opens() == opens && f.LogLines() == log && fileDialogs_.empty() &&
                  QApplication::activeModalWidget() == nullptr;
    });
    f.ToolRead->click();
    EXPECT_TRUE(ranInside) << "the probe and the commands came during the operation";
    EXPECT_TRUE(heldOff);
    // The device change and activation held off are probed once, after the operation.
    const QStringList log = f.LogLines();
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log[1].endsWith("Read Complete!"));
    EXPECT_TRUE(log[0].endsWith(QString::fromStdString(Message(MsgProgrammerFound, 2))));
    EXPECT_EQ(Emu().open_handle_count(), 0);
}

TEST_F(OperationsTest, DetectionSelectsTheChipByItsNames) {
    const std::string kind = Utf8ToCp936("闪存"), maker = Utf8ToCp936("华邦");
    StartWithProgrammer({
        {"SPI_FLASH,Winbond,W25X40", 4096, 256, 0xEF3013},
        {"SPI_FLASH,Winbond,W25X80", 8192, 256, 0xEF3014},
        {kind + "," + maker + "," + Utf8ToCp936("芯片") + "Q80", 1024 * 1024, 256, 0xEF4014},
    });
    TForm1& f = Main();
    struct Case {
        uint32_t id;
        int32_t chipIndex;
        std::string model, kind;
    } cases[] = {
        {0xEF3014, 1, "W25X80", "SPI_FLASH"},
        {0xEF4014, 2, "芯片Q80", "闪存"},
        {0xEF3013, 0, "W25X40", "SPI_FLASH"},
    };
    for (const Case& c : cases) {
        Emu().set_chip(EMU_FLASH25, 4096, 256, c.id);
        boxes_.clear();
        f.BitBtn1->click();
        EXPECT_EQ(f.State.ChipIndex, c.chipIndex) << c.model;
        EXPECT_EQ(f.ComboBox3->currentText().toStdString(), c.model);
        ASSERT_EQ(boxes_.size(), 1u) << c.model;
        EXPECT_EQ(boxes_[0].Caption, "Information");
        EXPECT_EQ(boxes_[0].Text,
                  Message(MsgChipDetected, 2) + c.model + Message(MsgChipTypeLabel, 2) + c.kind);
    }
    EXPECT_EQ(std::tuple(f.State.KindIndex, f.State.MakerIndex, f.State.ModelIndex),
              std::tuple(0, 0, 0));
}

TEST(ProgressThrottleTest, MovesByAThousandthAndKeepsTheRestPending) {
    ProgressThrottle t;
    t.SetMaximum(100000);
    uint32_t pending = 0;
    struct Step {
        uint32_t position;
        bool shown;
    } steps[] = {{0, true},    {50, false}, {99, false},    {100, true},
                 {150, false}, {10, true},  {100000, true}, {99999, true}};
    for (const Step& s : steps) EXPECT_EQ(t.Move(s.position), s.shown) << s.position;
    EXPECT_FALSE(t.TakePending(pending));
    EXPECT_TRUE(t.Move(99900)) << "a step back is shown at once";
    EXPECT_FALSE(t.Move(99970));
    ASSERT_TRUE(t.TakePending(pending));
    EXPECT_EQ(pending, 99970u);
    EXPECT_FALSE(t.TakePending(pending));
    // A small range moves with every step; a new range shows its first position.
    t.SetMaximum(10);
    EXPECT_TRUE(t.Move(5));
    EXPECT_TRUE(t.Move(6));
}

TEST(ProgressThrottleTest, MessagesRunEveryTenMillisecondsOrWhenForced) {
    ProgressThrottle t;
    const auto t0 = ProgressThrottle::Clock::now();
    EXPECT_TRUE(t.MessagesDue(t0));
    EXPECT_FALSE(t.MessagesDue(t0 + std::chrono::milliseconds(9)));
    t.Force();
    EXPECT_TRUE(t.MessagesDue(t0 + std::chrono::milliseconds(9)));
    EXPECT_FALSE(t.MessagesDue(t0 + std::chrono::milliseconds(18)));
    EXPECT_TRUE(t.MessagesDue(t0 + std::chrono::milliseconds(19)));
}

TEST_F(OperationsTest, TheThrottleLosesNeitherTheLastPositionNorTheStatusText) {
    Start();
    TForm1& f = Main();
    f.ShowProgress();
    f.SetProgressMax(100000);
    for (uint32_t p = 0; p <= 150; ++p) f.SetProgressPosition(p);
    EXPECT_EQ(f.Progress->value(), 100);
    f.ShowError("stop");
    EXPECT_EQ(f.Progress->value(), 150) << "a box shows where the transfer stands";
    f.SetProgressPosition(170);
    f.HideProgress();
    EXPECT_EQ(f.Progress->value(), 170);

    // A message run right after another is skipped, unless a text changed in between (on a
    // machine too busy to make the second call within 10 ms, the skip is not checked).
    const auto before = ProgressThrottle::Clock::now();
    f.ProcessMessages();
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    f.ProcessMessages();
    if (ProgressThrottle::Clock::now() - before < ProgressThrottle::kMessageInterval) {
        EXPECT_FALSE(ran);
    }
    f.SetStatusText("Read Flash ...");
    f.ProcessMessages();
    EXPECT_TRUE(ran);
}

} // namespace
