// The chip routines against the emulated chip: erase paths, data lengths, compares, writes.
#include "device_test.h"
#include "message_table.h"

#include <chrono>

namespace {

std::vector<int64_t> Positions(const RecordingServices& ui) {
    std::vector<int64_t> out;
    for (const auto& n : ui.NumbersOf("SetProgressPosition")) out.push_back(n[0]);
    return out;
}

TEST_F(DeviceTest, ChipErasePollsAtMostDelayPlusTwoTimesThenReportsTheTimeOut) {
    UseChip(Flash25, 0x1000, 256, 3);
    link.api.set_busy_polls(1000);
    EXPECT_EQ(InSession(EraseChip), RoutineResult::Stopped);
    EXPECT_EQ(link.CommandCodes(), (std::vector<int>{2, 10, 10, 10, 10, 10, 8}));
    EXPECT_EQ(ui.NumbersOf("SetProgressMax"), (std::vector<std::vector<int64_t>>{{3}}));
    EXPECT_EQ(Positions(ui), (std::vector<int64_t>{0, 1, 2, 3, 4, 0}));
    EXPECT_EQ(ui.Texts("ShowError"), Names{"Erase timed out: the chip is still busy."});
    EXPECT_EQ(ui.Count("HideProgress"), 1u);
}

TEST_F(DeviceTest, ChipEraseThatFinishesOnTheLastPollIsDone) {
    UseChip(Flash25, 0x1000, 256, 3);
    link.api.set_busy_polls(4); // the fifth and last allowed poll reports ready
    EXPECT_EQ(InSession(EraseChip), RoutineResult::Done);
    EXPECT_EQ(link.CommandCodes().size(), 7u);
    EXPECT_TRUE(ui.Texts("ShowError").empty());
    EXPECT_EQ(ui.Texts("SetStatusText").front(), "Erase Flash ...");
}

TEST_F(DeviceTest, PageEraseSendsTheLowSixteenAddressBits) {
    UseChip(Eeprom24, 0x20000, 256); // 128 KiB: the arguments run twice
    EXPECT_EQ(InSession(EraseChip), RoutineResult::Done);
    const auto blocks = link.Commands();
    ASSERT_EQ(blocks.size(), 513u);
    for (size_t i = 0; i < 512; ++i) {
        const uint32_t argument = static_cast<uint32_t>(i * 256 % 65536);
        ASSERT_EQ(blocks[i][0], 1);
        ASSERT_EQ(blocks[i][1], 2);
        ASSERT_EQ(blocks[i][26] << 8 | blocks[i][27], static_cast<int>(argument)) << i;
    }
    EXPECT_EQ(Positions(ui).back(), 0);
    EXPECT_EQ(Positions(ui)[512], 0x20000 - 256);
}

TEST_F(DeviceTest, Eeprom93EraseSendsDelayAndUnknownFamilyIsRefused) {
    UseChip(Eeprom93, 0x80, 16, 0x1234);
    EXPECT_EQ(InSession(EraseChip), RoutineResult::Done);
    ASSERT_EQ(link.CommandCodes(), (std::vector<int>{2, 8}));
    EXPECT_EQ(link.Commands()[0][26], 0x12);
    EXPECT_EQ(link.Commands()[0][27], 0x34);
    // No routine knows family 7: erasing nothing must not pass for an erase.
    UseChip(7, 0x80, 16);
    EXPECT_EQ(InSession(EraseChip), RoutineResult::Stopped);
    EXPECT_EQ(link.CommandCodes(), (std::vector<int>{8}));
    EXPECT_EQ(ui.Texts("ShowError"), Names{Message(MsgBadChipRecord, 2)});
}

TEST_F(DeviceTest, StreamsThatWouldPassTheChipEndAreRefusedAlsoWithoutTheOperationsCheck) {
    // 1000 bytes in 64-byte chunks: the 16th chunk would end 24 bytes past the chip.
    for (const auto routine : {ReadChip, BlankCheckChip, VerifyChip, WriteChip}) {
        UseChip(Eeprom24, 1000, 8);
        state.DataLength = 1000;
        state.ImageBuffer[0] = 0x12;
        EXPECT_EQ(InSession(routine), RoutineResult::Stopped);
        EXPECT_EQ(link.Bus(), (Names{"cmd 8", "close"}));
        EXPECT_EQ(ui.Texts("ShowError"), Names{Message(MsgBadChipRecord, 2)});
        EXPECT_EQ(Memory(), std::vector<uint8_t>(1000, 0xFF));
        EXPECT_EQ(state.DataLength, 1000);
    }
    UseChip(Eeprom24, 1000, 8);
    EXPECT_EQ(InSession(EraseChip), RoutineResult::Done);
    EXPECT_EQ(link.CommandCodes().size(), 126u); // 125 pages and the end command
}

TEST_F(DeviceTest, ReadSetsTheDataLengthByTheLastByteThatIsNotFF) {
    struct Case {
        int lastData; // -1: all 0xFF
        int32_t length;
    };
    for (const Case c : {Case{0xFFF, 0x1000}, Case{-1, 0}, Case{4, 6}, Case{5, 6}}) {
        SCOPED_TRACE(c.lastData);
        UseChip(Flash25, 0x1000, 256);
        if (c.lastData >= 0) link.api.chip_memory()[c.lastData] = 0x12;
        EXPECT_EQ(InSession(ReadChip), RoutineResult::Done);
        EXPECT_EQ(state.DataLength, c.length);
        EXPECT_EQ(std::vector<uint8_t>(state.ImageBuffer.get(), state.ImageBuffer.get() + 0x1000),
                  Memory());
        EXPECT_EQ(ui.NumbersOf("ReloadHexView"), (std::vector<std::vector<int64_t>>{{0x1000}}));
        Names bus = link.Bus();
        EXPECT_EQ(std::count(bus.begin(), bus.end(), "read 256"), 16);
        EXPECT_EQ(bus.front(), "cmd 5");
    }
}

TEST_F(DeviceTest, CapacityZeroMovesNothing) {
    UseChip(Flash25, 0, 256);
    EXPECT_EQ(InSession(ReadChip), RoutineResult::Done);
    EXPECT_EQ(state.DataLength, 0);
    EXPECT_EQ(InSession(BlankCheckChip), RoutineResult::Done);
    state.DataLength = 10;
    EXPECT_EQ(InSession(VerifyChip), RoutineResult::Done);
    EXPECT_EQ(link.Bus(), (Names{"cmd 5", "read 64", "cmd 8", "close"}));
}

TEST_F(DeviceTest, VerifyNamesTheFirstDifferenceAndComparesWholeChunks) {
    UseChip(Flash25, 0x4000, 256);
    state.DataLength = 0x4000;
    link.api.chip_memory()[6719] = 0x00;
    EXPECT_EQ(InSession(VerifyChip), RoutineResult::Mismatch);
    EXPECT_EQ(ui.Texts("ShowError"), Names{"Flash check error address:1A3Fh"});
    EXPECT_EQ(ui.Calls.back().Name, "SetStatusText"); // session end after the hidden bar

    // Behind a length of 100 the rest of the 256-byte chunk is compared too.
    UseChip(Flash25, 0x4000, 256);
    state.DataLength = 100;
    link.api.chip_memory()[200] = 0x00;
    EXPECT_EQ(InSession(VerifyChip), RoutineResult::Mismatch);
    EXPECT_EQ(ui.Texts("ShowError"), Names{"Flash check error address:C8h"});
    link.api.chip_memory()[200] = 0xFF;
    EXPECT_EQ(InSession(VerifyChip), RoutineResult::Done);
    EXPECT_EQ(ui.NumbersOf("SetProgressMax"), (std::vector<std::vector<int64_t>>{{100}}));
}

TEST_F(DeviceTest, BlankCheckStopsAtTheFirstByteThatIsNotFF) {
    UseChip(Eeprom25, 0x1000, 32);
    EXPECT_EQ(InSession(BlankCheckChip), RoutineResult::Done);
    link.api.chip_memory()[0xFFF] = 0xFE;
    EXPECT_EQ(InSession(BlankCheckChip), RoutineResult::Mismatch);
    EXPECT_EQ(ui.Texts("ShowError"), Names{"The chip is not empty."});
    EXPECT_EQ(ui.Texts("SetStatusText").front(), "Bank Flash ...");
}

TEST_F(DeviceTest, WriteRoundsToWholePagesAndSendsWholeChunks) {
    UseChip(Eeprom24, 0x1000, 16);
    state.DataLength = 100;
    for (int i = 0; i < 128; ++i)
        state.ImageBuffer[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(InSession(WriteChip), RoutineResult::Done);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(100));
    EXPECT_EQ(state.DataLength, 112);
    EXPECT_EQ(link.Bus(), (Names{"cmd 5", "write 64", "write 64", "cmd 8", "close"}));
    const auto memory = Memory();
    EXPECT_EQ(memory[127], 127);
    EXPECT_EQ(memory[128], 0xFF);
}

TEST_F(DeviceTest, WriteBeyondTheCapacityAsksFirst) {
    UseChip(Flash25, 0x1000, 256);
    state.DataLength = 0x2000;
    ui.YesNoAnswers = {false};
    EXPECT_EQ(InSession(WriteChip), RoutineResult::Stopped);
    EXPECT_EQ(ui.Texts("AskYesNo"), Names{"File length is larger than chip capacity. Do you want "
                                          "to continue to write?"});
    EXPECT_EQ(ui.Count("ShowProgress"), 0u);
    EXPECT_EQ(link.Bus(), (Names{"cmd 8", "close"}));
    ui.YesNoAnswers = {true};
    EXPECT_EQ(InSession(WriteChip), RoutineResult::Done);
    int64_t sent = 0;
    for (const auto& w : link.DataWrites()) sent += w.length;
    EXPECT_EQ(sent, 0x1000);
    EXPECT_EQ(state.DataLength, 0x2000);
}

TEST_F(DeviceTest, FourByteModeAfterAWriteEnableBeforeEveryStreamButNotBeforeErase) {
    // Two SPI transfer blocks of one shape, write enable first, then the start address.
    const Block writeEnable{0, 11, 3, 1, 0x06};
    const Block enter4Byte{0, 11, 3, 1, 0xB7};
    const struct {
        const char* name;
        RoutineResult (*routine)(DeviceSession&, const ChipRecord&);
        std::vector<int> codes;
    } cases[] = {
        {"read", ReadChip, {11, 11, 5, 8}},     {"blank", BlankCheckChip, {11, 11, 5, 8}},
        {"verify", VerifyChip, {11, 11, 5, 8}}, {"write", WriteChip, {11, 11, 5, 8}},
        {"erase", EraseChip, {2, 10, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseChip(Flash25, 0x2000000, 256, 5);
        state.DataLength = 256;
        link.api.set_busy_polls(0);
        EXPECT_EQ(InSession(c.routine), RoutineResult::Done);
        EXPECT_EQ(link.CommandCodes(), c.codes);
        if (c.codes.front() != 11) continue;
        const auto blocks = link.Commands();
        EXPECT_EQ(blocks[0], writeEnable);
        EXPECT_EQ(blocks[1], enter4Byte);
        EXPECT_EQ(link.api.four_byte_mode(), 1);
        // Nothing but the two blocks comes before the address, each with its reply.
        const Names bus = link.Bus();
        EXPECT_EQ(Names(bus.begin(), bus.begin() + 5),
                  (Names{"cmd 11", "read 64", "cmd 11", "read 64", "cmd 5"}));
    }
    // At exactly 16 MiB the chip keeps 3-byte addresses.
    UseChip(Flash25, 0x1000000, 256, 5);
    state.DataLength = 256;
    EXPECT_EQ(InSession(VerifyChip), RoutineResult::Done);
    EXPECT_EQ(link.CommandCodes().front(), 5);
}

} // namespace
