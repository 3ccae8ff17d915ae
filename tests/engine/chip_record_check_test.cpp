#include "chip_routines.h"
#include "programmer_state.h"

#include <gtest/gtest.h>

namespace {

TEST(ChipRecordCheckTest, RecordsTheRoutinesCanRunSafely) {
    struct Case {
        uint32_t capacity;
        uint16_t pageSize;
        bool erasable; // the erase, which sends commands only
        bool streams;  // the routines that move whole chunks of data
        uint32_t chunk;
    };
    const Case cases[] = {
        {0x4000000, 256, true, true, 256},    // 64 MiB, the largest the editor offers
        {0x4000000, 1, true, true, 64},       // tiny pages still move 64-byte chunks
        {64, 1, true, true, 64},              //
        {0, 256, true, true, 256},            // nothing to move
        {0x4000001, 256, false, false, 256},  // beyond the buffer
        {0xFFFFFFFF, 256, false, false, 256}, // far beyond, no wrap-around
        {0x3FFFFC1, 200, false, false, 200},  // last whole chunk reaches past the buffer
        {0x3FFFFC0, 200, true, true, 200},    //
        {0x1000, 0, false, false, 64},        // would erase page 0 for ever
        {0x1000, 257, false, false, 257},     // larger than the chunk buffer
        {0x1000, 0xFFFF, false, false, 0xFFFF},
        // The last chunk would reach past the chip's end and wrap to its first bytes.
        {1000, 8, true, false, 64},
        {64, 256, true, false, 256},
        {128, 256, true, false, 256},
        {0x10040, 128, true, false, 128},
        {0x10000, 200, true, false, 200},
        {0x10000, 48, true, true, 64}, // whole chunks, though not whole pages
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.capacity << " / " << c.pageSize);
        ChipRecord chip{};
        chip.Capacity = c.capacity;
        chip.PageSize = c.pageSize;
        EXPECT_EQ(IsUsableChipRecord(chip, ChipAccess::Commands), c.erasable);
        EXPECT_EQ(IsUsableChipRecord(chip, ChipAccess::Chunks), c.streams);
        EXPECT_EQ(ChunkSize(chip), c.chunk);
    }
}

TEST(ChipRecordCheckTest, OnlyTheFiveFamiliesAreUsable) {
    for (int family = 0; family <= 255; ++family) {
        ChipRecord chip{};
        chip.Capacity = 0x1000;
        chip.PageSize = 16;
        chip.Family = static_cast<uint8_t>(family);
        for (const ChipAccess access : {ChipAccess::Commands, ChipAccess::Chunks})
            EXPECT_EQ(IsUsableChipRecord(chip, access), family <= Eeprom95) << family;
    }
}

} // namespace
