#include "exceptions.h"
#include "streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const TMemoryStream& s, int64_t from, int64_t count) {
    return {s.Memory() + from, s.Memory() + from + count};
}

// The block grows without being cleared, so every byte that becomes part of the stream
// must be set: the old bytes kept, new ones zero, even where a shrink left old data behind.
TEST(MemoryStreamTest, GrowingKeepsOldBytesAndZeroesEveryNewOne) {
    TMemoryStream s;
    std::vector<uint8_t> pattern(1000, 0xA5);
    s.WriteBuffer(pattern.data(), 1000);
    s.SetSize(10);
    s.SetSize(5000); // past the old capacity too
    EXPECT_EQ(Bytes(s, 0, 10), std::vector<uint8_t>(10, 0xA5));
    EXPECT_EQ(Bytes(s, 10, 4990), std::vector<uint8_t>(4990, 0));

    s.SetSize(4);
    s.SetPosition(100);
    const uint8_t tail[2] = {1, 2};
    s.WriteBuffer(tail, 2);
    EXPECT_EQ(s.GetSize(), 102);
    EXPECT_EQ(Bytes(s, 4, 96), std::vector<uint8_t>(96, 0)) << "the gap before a write";
    EXPECT_EQ(Bytes(s, 100, 2), std::vector<uint8_t>({1, 2}));
}

TEST(MemoryStreamTest, LargeGrowthKeepsEveryByte) {
    TMemoryStream s;
    const int64_t size = 48 << 20;
    s.SetSize(size);
    for (int64_t i = 0; i < size; i += 4096) s.Memory()[i] = static_cast<uint8_t>(i >> 12);
    s.SetSize(size + 1); // the geometric step, by realloc
    for (int64_t i = 0; i < size; i += 4096)
        ASSERT_EQ(s.Memory()[i], static_cast<uint8_t>(i >> 12)) << i;
    EXPECT_EQ(s.Memory()[size], 0);
}

TEST(MemoryStreamTest, ReadsStopAtTheEndAndClearEmpties) {
    TMemoryStream s;
    const uint8_t data[3] = {7, 8, 9};
    s.WriteBuffer(data, 3);
    s.SetPosition(1);
    uint8_t out[4] = {};
    EXPECT_EQ(s.Read(out, 4), 2);
    EXPECT_EQ(out[0], 8);
    s.SetPosition(2);
    EXPECT_THROW(s.ReadBuffer(out, 2), EReadError);
    s.Clear();
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetPosition(), 0);
    EXPECT_EQ(s.Read(out, 1), 0);
}

// A position before the start is refused as a file's lseek refuses it (-1, the position
// stays), so no read or write can reach before the block; so is one beyond 64 bits.
TEST(MemoryStreamTest, SeekRefusesPositionsBeforeTheStart) {
    TMemoryStream s;
    const uint8_t data[4] = {1, 2, 3, 4};
    s.WriteBuffer(data, 4);
    const struct {
        int64_t offset;
        TSeekOrigin origin;
        int64_t result;
    } cases[] = {
        {-1, TSeekOrigin::soBeginning, -1},  {-3, TSeekOrigin::soCurrent, -1},
        {-5, TSeekOrigin::soEnd, -1},        {INT64_MIN, TSeekOrigin::soCurrent, -1},
        {INT64_MAX, TSeekOrigin::soEnd, -1}, {-2, TSeekOrigin::soCurrent, 0},
        {-4, TSeekOrigin::soEnd, 0},         {10, TSeekOrigin::soCurrent, 12},
    };
    for (const auto& c : cases) {
        s.SetPosition(2);
        EXPECT_EQ(s.Seek(c.offset, c.origin), c.result) << c.offset;
        EXPECT_EQ(s.GetPosition(), c.result < 0 ? 2 : c.result) << c.offset;
    }
    s.SetPosition(1);
    s.SetPosition(-1);
    uint8_t out[2] = {};
    EXPECT_EQ(s.Read(out, 2), 2);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
    s.SetPosition(INT64_MAX);
    EXPECT_EQ(s.Write(data, 4), 0) << "an end beyond 64 bits";
    EXPECT_EQ(s.GetSize(), 4);
}

} // namespace
