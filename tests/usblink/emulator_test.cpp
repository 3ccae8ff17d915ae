// The emulator's firmware and fault injection, driven through TUsbBulk as the engine drives
// it: the engine's own tests rely on these behaviours.
#include "link_fixture.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace {

class EmulatedChip : public LinkTest {
protected:
    // Opens a programmer of the variant with the given chip in the socket.
    void OpenWith(int variant, int family, uint32_t size, int page = 256) {
        Emu().remove_devices();
        Emu().add_programmer(variant);
        Emu().set_chip(family, size, page, 0xC84017);
        ASSERT_TRUE(Open());
        variant_ = variant;
    }
    void Send(Block b, bool reply) { link.USB_bulk_cmd(b.data(), 64, reply ? 1 : 0); }
    std::vector<unsigned char> Read(int n) {
        std::vector<unsigned char> out(static_cast<size_t>(n));
        EXPECT_EQ(link.USB_bulk_read(reinterpret_cast<char*>(out.data()), n), n);
        return out;
    }
    void Write(std::vector<unsigned char> data) {
        EXPECT_EQ(link.USB_bulk_write(reinterpret_cast<char*>(data.data()),
                                      static_cast<int>(data.size())),
                  static_cast<int>(data.size()));
    }
    // Polls as the flash erase does: the same block, byte 0 cleared and code 10.
    int BusyPolls(Block block) {
        int busy = 0;
        for (int i = 0; i < 1000; ++i) {
            block[0] = 0;
            block[1] = 10;
            link.USB_bulk_cmd(block.data(), 64, 1);
            if ((block[0] & 1) == 0) return busy;
            ++busy;
        }
        return busy;
    }
    int variant_ = 0;
};

class AddressOrder : public EmulatedChip, public ::testing::WithParamInterface<int> {};

TEST_P(AddressOrder, SetAddressIsDecodedInTheVariantsByteOrderAndStreamsFromThere) {
    const int variant = GetParam();
    OpenWith(variant, EMU_FLASH25, 0x20000);
    std::vector<unsigned char> pattern(0x20000);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
    Emu().SetMemory(pattern);

    Block cmd = SetAddress(variant, 0x12345);
    EXPECT_EQ(link.USB_bulk_cmd(cmd.data(), 64, 1), 64);
    EXPECT_EQ(static_cast<uint8_t>(cmd[1]), 5) << "the reply echoes the command";
    EXPECT_EQ(Emu().stream_address(), 0x12345u);
    const auto first = Read(64);
    const auto second = Read(64);
    for (size_t i = 0; i < 64; ++i) {
        ASSERT_EQ(first[i], pattern[0x12345 + i]);
        ASSERT_EQ(second[i], pattern[0x12345 + 64 + i]);
    }

    // The other variant's order reads as a different address: 0x45230100 wraps to 0x100.
    Send(SetAddress(1 - variant, 0x12345), true);
    EXPECT_NE(Emu().stream_address(), 0x12345u);
}

INSTANTIATE_TEST_SUITE_P(Variants, AddressOrder, ::testing::Values(0, 1));

struct ProgramCase {
    const char* name;
    int family;
    unsigned char before, data, after;
};

void PrintTo(const ProgramCase& c, std::ostream* os) {
    *os << c.name;
}

class Programming : public EmulatedChip, public ::testing::WithParamInterface<ProgramCase> {};

TEST_P(Programming, WritingChunksProgramsFromTheStartAddress) {
    const ProgramCase c = GetParam();
    OpenWith(0, c.family, 4096, 16);
    Emu().SetMemory(std::vector<unsigned char>(4096, c.before));
    // Without a reply read, as the write routine sends it; the unread reply must not
    // disturb the data that follows.
    Send(SetAddress(0, 0x100), false);
    Write(std::vector<unsigned char>(64, c.data));
    Write(std::vector<unsigned char>(64, c.data));
    const auto mem = Emu().Memory();
    for (size_t i = 0; i < mem.size(); ++i)
        ASSERT_EQ(mem[i], i >= 0x100 && i < 0x180 ? c.after : c.before) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Families, Programming,
    ::testing::Values(ProgramCase{"FlashClearsBitsOnly", EMU_FLASH25, 0xF0, 0x3C, 0x30},
                      ProgramCase{"FlashCannotSetBits", EMU_FLASH25, 0x00, 0xFF, 0x00},
                      ProgramCase{"FlashOnErased", EMU_FLASH25, 0xFF, 0x5A, 0x5A},
                      ProgramCase{"Eeprom24StoresBytes", EMU_EEPROM24, 0x00, 0xA5, 0xA5},
                      ProgramCase{"Eeprom95StoresBytes", EMU_EEPROM95, 0xF0, 0x0F, 0x0F}),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.name); });

class FlashErase : public EmulatedChip, public ::testing::WithParamInterface<int> {};

TEST_P(FlashErase, WholeChipEraseFillsWithFFAndReportsBusyForTheSetPolls) {
    const int variant = GetParam();
    OpenWith(variant, EMU_FLASH25, 0x10000);
    Emu().SetMemory(std::vector<unsigned char>(0x10000, 0x00));
    Emu().set_busy_polls(4);

    // The argument in the other byte order is no whole-chip erase.
    Send(Erase(1 - variant, 0x8000), false);
    EXPECT_EQ(Emu().Memory()[0], 0x00);

    const Block erase = Erase(variant, 0x8000);
    Send(erase, false);
    const auto mem = Emu().Memory();
    EXPECT_EQ(std::count(mem.begin(), mem.end(), 0xFF), 0x10000);
    EXPECT_EQ(BusyPolls(erase), 4);
    EXPECT_EQ(BusyPolls(erase), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, FlashErase, ::testing::Values(0, 1));

TEST_F(EmulatedChip, PageEraseClearsThePageInEvery64KiBBank) {
    OpenWith(1, EMU_EEPROM24, 0x20000, 256);
    Emu().SetMemory(std::vector<unsigned char>(0x20000, 0x00));
    Send(Erase(1, 0x0180), false); // inside the page at 0x100
    const auto mem = Emu().Memory();
    for (size_t i = 0; i < mem.size(); ++i) {
        const bool erased = (i & 0xFFFF) >= 0x100 && (i & 0xFFFF) < 0x200;
        ASSERT_EQ(mem[i], erased ? 0xFF : 0x00) << i;
    }
}

TEST_F(EmulatedChip, Eeprom93EraseClearsTheWholeChip) {
    OpenWith(0, EMU_EEPROM93, 512, 16);
    Emu().SetMemory(std::vector<unsigned char>(512, 0x12));
    Send(Erase(0, 100), false);
    const auto mem = Emu().Memory();
    EXPECT_EQ(std::count(mem.begin(), mem.end(), 0xFF), 512);
}

class QueryKinds : public EmulatedChip, public ::testing::WithParamInterface<int> {};

TEST_P(QueryKinds, QueryReplyCarriesKindAndJedecId) {
    OpenWith(1, EMU_FLASH25, 0x1000);
    Emu().set_query_kind(GetParam());
    Block cmd = Command(9, {{2, 0}, {16, 1}});
    link.USB_bulk_cmd(cmd.data(), 64, 1);
    EXPECT_EQ(static_cast<uint8_t>(cmd[0]), GetParam());
    EXPECT_EQ(static_cast<uint8_t>(cmd[1]), 0xC8);
    EXPECT_EQ(static_cast<uint8_t>(cmd[2]), 0x40);
    EXPECT_EQ(static_cast<uint8_t>(cmd[3]), 0x17);
}

INSTANTIATE_TEST_SUITE_P(Kinds, QueryKinds, ::testing::Values(0, 1, 2, 3, 7));

TEST_F(EmulatedChip, SpiTransferB7TurnsOnFourByteAddressing) {
    OpenWith(0, EMU_FLASH25, 0x1000);
    EXPECT_EQ(Emu().four_byte_mode(), 0);
    Send(Command(11, {{2, 3}, {3, 1}, {4, 0xB7}}), true);
    EXPECT_EQ(Emu().four_byte_mode(), 1);
}

TEST_F(EmulatedChip, AShortCommandBlockIsNotCarriedOut) {
    OpenWith(0, EMU_FLASH25, 0x1000);
    Emu().SetMemory(std::vector<unsigned char>(0x1000, 0));
    Block erase = Erase(0, 0x8000);
    EXPECT_EQ(link.USB_bulk_cmd(erase.data(), 32, 0), 32);
    Emu().add_fault(EMU_XFER_COMMAND, 0, EMU_FAULT_SHORT, 40);
    EXPECT_EQ(link.USB_bulk_cmd(erase.data(), 64, 0), 40);
    EXPECT_EQ(Emu().Memory()[0], 0x00);
}

TEST_F(EmulatedChip, FaultsSelectTransfersByClassAndCount) {
    OpenWith(0, EMU_FLASH25, 0x1000);
    Emu().add_fault(EMU_XFER_DATA_READ, 1, EMU_FAULT_ERROR, -71);
    Send(SetAddress(0, 0), true); // a reply read, which the data-read count skips
    std::vector<char> buf(64);
    EXPECT_EQ(link.USB_bulk_read(buf.data(), 64), 64);
    EXPECT_EQ(link.USB_bulk_read(buf.data(), 64), -71);
    EXPECT_EQ(Emu().stream_address(), 64u) << "a failed read must not advance the stream";
    EXPECT_EQ(link.USB_bulk_read(buf.data(), 64), 64);

    // A reply that never arrives stays queued, so the next read still returns it.
    Emu().add_fault(EMU_XFER_REPLY_READ, 0, EMU_FAULT_TIMEOUT, 0);
    Block query = Command(9);
    EXPECT_EQ(link.USB_bulk_cmd(query.data(), 64, 1), -110);
    EXPECT_EQ(query[1], 9) << "the block still holds the command";
    EXPECT_EQ(link.USB_bulk_read(buf.data(), 64), 64);
    EXPECT_EQ(static_cast<uint8_t>(buf[1]), 0xC8);

    Emu().clear_faults();
    // nth -1: every transfer of the class; the overall index counts every transfer; when
    // two faults fire, the one added first wins.
    Emu().add_fault(EMU_XFER_ANY, 2, EMU_FAULT_ERROR, 0);
    Emu().add_fault(EMU_XFER_DATA_OUT, -1, EMU_FAULT_SHORT, 3);
    EXPECT_EQ(link.USB_bulk_write(buf.data(), 64), 3);
    EXPECT_EQ(link.USB_bulk_read(buf.data(), 64), 64);
    EXPECT_EQ(link.USB_bulk_write(buf.data(), 64), -5);
    EXPECT_EQ(link.USB_bulk_write(buf.data(), 64), 3);
}

TEST_F(EmulatedChip, TimeoutWaitsOnlyTheSetTime) {
    OpenWith(0, EMU_FLASH25, 0x1000);
    Emu().add_fault(EMU_XFER_READ, 0, EMU_FAULT_TIMEOUT, 30);
    std::vector<char> buf(64);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(link.USB_bulk_read(buf.data(), 64), -110);
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(took, std::chrono::milliseconds(30));
    EXPECT_LT(took, std::chrono::milliseconds(1000));
}

TEST_F(EmulatedChip, RecordsAreBoundedAndCanBeSwitchedOff) {
    OpenWith(0, EMU_FLASH25, 0x1000);
    Emu().set_record_limit(4);
    std::vector<char> buf(256, 0x42);
    for (int i = 0; i < 10; ++i) link.USB_bulk_write(buf.data(), 256);
    EXPECT_EQ(Emu().record_count(), 10);
    EXPECT_EQ(Emu().record_first(), 6);
    emu_record r;
    EXPECT_EQ(Emu().get_record(5, &r), 0);
    ASSERT_EQ(Emu().get_record(9, &r), 1);
    EXPECT_EQ(r.kind, EMU_CALL_BULK_WRITE);
    EXPECT_EQ(r.length, 256);
    EXPECT_EQ(r.data_length, 64);
    EXPECT_EQ(r.data[63], 0x42);

    Emu().set_recording(0);
    link.USB_bulk_write(buf.data(), 256);
    EXPECT_EQ(Emu().record_count(), 10);
    EXPECT_EQ(Emu().transfer_count(), 11 + 2) << "string reads count as transfers";
}

TEST_F(EmulatedChip, StreamsAWhole64MiBChipIn256ByteChunksQuickly) {
    OpenWith(0, EMU_FLASH25, 0x4000000);
    unsigned char* mem = Emu().chip_memory();
    mem[0x3FFFFFF] = 0x5A;
    Send(SetAddress(0, 0), true);
    std::vector<char> chunk(256);
    const auto t0 = std::chrono::steady_clock::now();
    for (uint32_t pos = 0; pos < 0x4000000; pos += 256)
        ASSERT_EQ(link.USB_bulk_read(chunk.data(), 256), 256);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_EQ(static_cast<uint8_t>(chunk[255]), 0x5A);
    EXPECT_LE(Emu().record_count() - Emu().record_first(), 200000);
}

} // namespace
