// Operations that must end before the programmer is reached: an empty buffer, a record the
// routines cannot run on, and no programmer at all.
#include "emulator_fixture.h"
#include "message_table.h"
#include "programmer_operations.h"
#include "recording_services.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;
using Operation = void (ProgrammerOperations::*)(TObject*);

struct OperationCase {
    const char* name;
    Operation run;
};

const OperationCase kAll[] = {
    {"Read", &ProgrammerOperations::ToolReadClick},
    {"Erase", &ProgrammerOperations::ToolEraseClick},
    {"Write", &ProgrammerOperations::ToolWriteClick},
    {"Verify", &ProgrammerOperations::ToolVerifyClick},
    {"Auto", &ProgrammerOperations::ToolAutoClick},
    {"Blank", &ProgrammerOperations::ToolBankClick},
};

class OfflineTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.NoProgrammer();
        SetChipName(state.ChipTable[0], "25 flash,Maker,Model");
        state.ChipTable[0].Capacity = 0x1000;
        state.ChipTable[0].PageSize = 256;
        state.Language = 2;
    }
    EmulatorLink link;
    ProgrammerState state;
    RecordingServices ui{&state};
    ProgrammerOperations ops{state, ui};
};

TEST_F(OfflineTest, EmptyBufferEndsWriteVerifyAndAutoBeforeTheLink) {
    for (const OperationCase& c : {kAll[2], kAll[3], kAll[4]}) {
        SCOPED_TRACE(c.name);
        ui.Clear();
        link.ClearLog();
        (ops.*c.run)(nullptr);
        EXPECT_EQ(ui.Names(), (Names{"TakeHexViewEdits", "ShowError"}));
        EXPECT_EQ(ui.Texts("ShowError"),
                  Names{"The buffer data is empty. Please load the data file.."});
        EXPECT_EQ(link.OpenCount(), 0);
    }
}

TEST_F(OfflineTest, UnsavedHexEditsFillTheBufferFirst) {
    ui.OnTakeHexViewEdits = [&] { state.DataLength = 16; };
    ops.ToolWriteClick(nullptr);
    EXPECT_EQ(ui.Texts("ShowError"), Names{"Not connected"});
    EXPECT_EQ(ui.Calls.front().Name, "TakeHexViewEdits");
}

TEST_F(OfflineTest, NoProgrammerShowsOnlyNotConnectedAndEndsReady) {
    state.DataLength = 100;
    for (const OperationCase& c : kAll) {
        for (const uint8_t family : {Flash25, Eeprom25}) {
            SCOPED_TRACE(::testing::Message() << c.name << " family " << int{family});
            state.ChipTable[0].Family = family;
            ui.Clear();
            (ops.*c.run)(nullptr);
            const bool takesEdits =
                c.run == kAll[2].run || c.run == kAll[3].run || c.run == kAll[4].run;
            Names expected{"ShowError", "SetControlsEnabled", "SetStatusText"};
            if (takesEdits) expected.insert(expected.begin(), "TakeHexViewEdits");
            EXPECT_EQ(ui.MainNames(), expected);
            EXPECT_EQ(ui.Texts("ShowError"), Names{"Not connected"});
            EXPECT_EQ(ui.LastStatus(), "Ready");
            EXPECT_TRUE(ui.ControlsEnabled());
            EXPECT_FALSE(ops.SessionRunning());
            EXPECT_EQ(ui.Count("Beep"), 0u);
            EXPECT_EQ(ui.Count("AddLogLine"), 0u);
        }
    }
}

TEST_F(OfflineTest, DetectionWithoutProgrammer) {
    ops.BitBtn1Click(nullptr);
    EXPECT_EQ(ui.Names(), Names{"ShowError"});
    EXPECT_EQ(ui.Texts("ShowError"), Names{"Not connected"});
}

TEST_F(OfflineTest, RecordsOutsideTheEditorsRangesAreRefusedBeforeAnythingIsSent) {
    state.DataLength = 100;
    struct Bad {
        uint32_t capacity;
        uint16_t pageSize;
    };
    for (const Bad bad : {Bad{0x1000, 0}, Bad{0x1000, 512}, Bad{0x4000100, 256}}) {
        state.ChipTable[0].Capacity = bad.capacity;
        state.ChipTable[0].PageSize = bad.pageSize;
        for (const OperationCase& c : kAll) {
            SCOPED_TRACE(::testing::Message()
                         << c.name << " " << bad.capacity << "/" << bad.pageSize);
            ui.Clear();
            (ops.*c.run)(nullptr);
            EXPECT_EQ(ui.Texts("ShowError"), Names{Message(MsgBadChipRecord, 2)});
            EXPECT_EQ(ui.Count("SetControlsEnabled"), 0u);
            EXPECT_EQ(link.OpenCount(), 0);
        }
    }
}

} // namespace
