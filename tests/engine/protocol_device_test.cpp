// The command blocks as they reach the programmer, in both device variants.
#include "command_block.h"
#include "device_test.h"
#include "usb_bulk.h"

namespace {

Block Bytes(const CommandBlock& block) {
    return block.Bytes();
}

class ProtocolTest : public DeviceTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        link.OneProgrammer(GetParam());
    }
    bool Big() const { return GetParam() == 0; }
};

INSTANTIATE_TEST_SUITE_P(Variants, ProtocolTest, ::testing::Values(0, 1), [](const auto& info) {
    return info.param == 0 ? "BigEndian" : "LittleEndian";
});

TEST_P(ProtocolTest, SessionSendsBeginWithTheChipAndEndsWithEnd) {
    struct Case {
        uint8_t family;
        int32_t speed;
        uint8_t byte16;
    };
    for (const Case c : {Case{Flash25, 3, 0x03}, Case{Eeprom25, 2, 0x21}, Case{Eeprom25, -1, 0xF1},
                         Case{Eeprom24, 4, 0x01}, Case{Eeprom93, 0, 0x01}, Case{Eeprom95, 5, 0x01},
                         Case{Flash25, -1, 0xFF}}) {
        SCOPED_TRACE(::testing::Message() << "family " << int{c.family} << " speed " << c.speed);
        ChipRecord& chip = UseChip(c.family, 0x800000, 256, 0x0102, 0xC22017);
        link.ClearLog();
        ui.Clear();
        ui.Speed = c.speed;
        ASSERT_TRUE(session.BeginSession());
        EXPECT_TRUE(session.Running());
        EXPECT_FALSE(ui.ControlsEnabled());
        session.EndSession();
        EXPECT_FALSE(session.Running());
        EXPECT_EQ(link.Bus(), (Names{"open", "cmd 7", "read 64", "cmd 8", "close"}));
        const auto blocks = link.Commands();
        ASSERT_EQ(blocks.size(), 2u);
        EXPECT_EQ(blocks[0], Bytes(BuildBeginCommand(chip, c.speed, Big())));
        EXPECT_EQ(blocks[0][16], c.byte16);
        EXPECT_EQ(blocks[0][4], Big() ? 0x01 : 0x00); // PageSize 256
        EXPECT_EQ(blocks[0][9], Big() ? 0x80 : 0x00); // Capacity 8 MiB
        EXPECT_EQ(blocks[0][10], Big() ? 0x00 : 0x80);
        EXPECT_EQ(blocks[1], Bytes(BuildEndCommand(Big())));
        EXPECT_EQ((Block{1, 8}), blocks[1]);
        EXPECT_EQ(ui.MainNames(),
                  (Names{"SetControlsEnabled", "SetControlsEnabled", "SetStatusText"}));
        EXPECT_EQ(ui.LastStatus(), "Ready");
        EXPECT_EQ(link.api.open_handle_count(), 0);
    }
}

TEST_P(ProtocolTest, QueryChipIsASessionOfItsOwn) {
    UseChip(Eeprom25, 0x8000, 64);
    link.api.set_query_kind(1);
    link.ClearLog();
    ui.Speed = 2;
    uint8_t reply[4] = {};
    ASSERT_EQ(session.QueryChip(reply), QueryResult::Answered);
    EXPECT_EQ(link.Bus(), (Names{"open", "cmd 9", "read 64", "cmd 8", "close"}));
    EXPECT_EQ(link.Commands()[0], Bytes(BuildQueryCommand(Chip(), 2, Big())));
    EXPECT_EQ(link.Commands()[0][16], 0x02);
    EXPECT_EQ((std::vector<int>(reply, reply + 4)), (std::vector<int>{1, 0xEF, 0x40, 0x10}));
    EXPECT_EQ(ui.MainNames(), (Names{"SetControlsEnabled", "SetControlsEnabled", "SetStatusText"}));
    EXPECT_FALSE(session.Running());
}

TEST_P(ProtocolTest, AddressAndSpiCommands) {
    ASSERT_TRUE(session.BeginSession());
    link.ClearLog();
    EXPECT_TRUE(session.SetStartAddress(0, true));
    EXPECT_TRUE(session.SetStartAddress(0x00012345, false));
    EXPECT_TRUE(session.SendSpiCommand(kSpiEnter4ByteMode));
    session.EndSession();
    EXPECT_EQ(link.Bus(),
              (Names{"cmd 5", "read 64", "cmd 5", "cmd 11", "read 64", "cmd 8", "close"}));
    const auto blocks = link.Commands();
    EXPECT_EQ(blocks[0], (Block{0, 5}));
    Block address{0, 5};
    if (Big()) {
        address[9] = 0x01, address[10] = 0x23, address[11] = 0x45;
    } else {
        address[8] = 0x45, address[9] = 0x23, address[10] = 0x01;
    }
    EXPECT_EQ(blocks[1], address);
    EXPECT_EQ(blocks[2], (Block{0, 11, 3, 1, 0xB7}));
    EXPECT_EQ(link.api.four_byte_mode(), 1);
    EXPECT_EQ(link.api.stream_address(), 0x345u); // wraps at the 4 KiB chip
}

TEST_P(ProtocolTest, ChipErasePollsInTheEraseBlock) {
    UseChip(Flash25, 0x1000, 256, 10);
    link.api.set_busy_polls(1);
    EXPECT_EQ(InSession(EraseChip), RoutineResult::Done);
    const auto blocks = link.Commands();
    ASSERT_EQ(blocks.size(), 4u); // erase, two polls, end
    Block erase{1, 2};
    erase[Big() ? 26 : 27] = 0x80;
    EXPECT_EQ(blocks[0], erase);
    Block poll = erase;
    poll[0] = 0;
    poll[1] = 10;
    EXPECT_EQ(blocks[1], poll); // the erase command's bytes with the poll's code
    // The second poll goes out in the first poll's reply: busy bit cleared again.
    EXPECT_EQ(blocks[2], poll);
}

TEST_P(ProtocolTest, ByteOrderFollowsTheLastOpenedVariantAlsoWhenClosed) {
    ASSERT_TRUE(session.BeginSession());
    session.EndSession();
    EXPECT_EQ(state.UsbLink->ep_read, Big() ? 0x82 : 0x85);
    EXPECT_EQ(session.BigEndian(), Big());
}

TEST_F(DeviceTest, FailedBeginShowsNotConnectedAndEndStillSaysReady) {
    link.NoProgrammer();
    EXPECT_FALSE(session.BeginSession());
    EXPECT_FALSE(session.Running());
    session.EndSession();
    EXPECT_EQ(ui.MainNames(), (Names{"ShowError", "SetControlsEnabled", "SetStatusText"}));
    EXPECT_EQ(ui.Texts("ShowError"), Names{"Not connected"});
    EXPECT_EQ(ui.LastStatus(), "Ready");
    EXPECT_EQ(link.CommandCodes(), std::vector<int>{});
}

TEST_F(DeviceTest, QueryWithoutProgrammerShowsNothing) {
    link.NoProgrammer();
    uint8_t reply[4] = {9, 9, 9, 9};
    EXPECT_EQ(session.QueryChip(reply), QueryResult::NoProgrammer);
    EXPECT_TRUE(ui.Calls.empty());
    EXPECT_EQ(reply[0], 9);
}

TEST_F(DeviceTest, FailedBeginReplyEndsTheSessionWithAnError) {
    link.api.add_fault(EMU_XFER_REPLY_READ, 0, EMU_FAULT_ERROR, -1);
    EXPECT_FALSE(session.BeginSession());
    EXPECT_TRUE(session.Running()); // the link is open until EndSession
    session.EndSession();
    EXPECT_EQ(ui.Texts("ShowError"), Names{"USB transfer failed."});
    EXPECT_EQ(link.api.open_handle_count(), 0);
    EXPECT_TRUE(ui.ControlsEnabled());
}

TEST_F(DeviceTest, QueryWhoseCommandIsLostIsAFailureNotChipData) {
    // Without its command the programmer queues no reply; the read would return chip memory.
    link.api.add_fault(EMU_XFER_COMMAND, 0, EMU_FAULT_ERROR, -1);
    uint8_t reply[4] = {};
    EXPECT_EQ(session.QueryChip(reply), QueryResult::Failed);
    EXPECT_EQ(ui.Texts("ShowError"), Names{"USB transfer failed."});
    // The box comes after the link was closed again.
    EXPECT_EQ(ui.MainNames(),
              (Names{"SetControlsEnabled", "SetControlsEnabled", "SetStatusText", "ShowError"}));
    EXPECT_EQ(link.api.open_handle_count(), 0);
}

} // namespace
