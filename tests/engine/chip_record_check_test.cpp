#include "chip_routines.h"
#include "programmer_state.h"

#include <gtest/gtest.h>

namespace {

TEST(ChipRecordCheckTest, RecordsTheRoutinesCanRunSafely) {
    struct Case {
        uint32_t capacity;
        uint16_t pageSize;
        bool usable;
        uint32_t chunk;
    };
    const Case cases[] = {
        {0x4000000, 256, true, 256},   // 64 MiB, the largest the editor offers
        {0x4000000, 1, true, 64},      // tiny pages still move 64-byte chunks
        {64, 1, true, 64},             //
        {0, 256, true, 256},           // nothing to move
        {0x4000001, 256, false, 256},  // beyond the buffer
        {0xFFFFFFFF, 256, false, 256}, // far beyond, no wrap-around
        {0x3FFFFC1, 200, false, 200},  // last whole chunk reaches past the buffer
        {0x3FFFFC0, 200, true, 200},   //
        {0x1000, 0, false, 64},        // would erase page 0 for ever
        {0x1000, 257, false, 257},     // larger than the chunk buffer
        {0x1000, 0xFFFF, false, 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.capacity << " / " << c.pageSize);
        ChipRecord chip{};
        chip.Capacity = c.capacity;
        chip.PageSize = c.pageSize;
        EXPECT_EQ(IsUsableChipRecord(chip), c.usable);
        EXPECT_EQ(ChunkSize(chip), c.chunk);
    }
}

TEST(ChipRecordCheckTest, OnlyTheFiveFamiliesAreUsable) {
    for (int family = 0; family <= 255; ++family) {
        ChipRecord chip{};
        chip.Capacity = 0x1000;
        chip.PageSize = 16;
        chip.Family = static_cast<uint8_t>(family);
        EXPECT_EQ(IsUsableChipRecord(chip), family <= Eeprom95) << family;
    }
}

} // namespace
