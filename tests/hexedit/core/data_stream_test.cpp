// The data stream below the control: the range rule, moves that overlap, bytes as hex.
#include "orix_hex_error.h"
#include "orix_hmemory_stream.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
struct RangeCase {
    int32_t pos;
    int32_t count;
    bool ok;
};
} // namespace

TEST(DataStore, RangeRule) {
    TOrixHMemoryStream store;
    store.SetSize(16);
    const RangeCase cases[] = {
        {0, 16, true}, {16, 0, true},  {17, 0, false},        {-1, 0, false},        {0, 17, false},
        {15, 1, true}, {15, 2, false}, {INT32_MAX, 1, false}, {8, INT32_MAX, false}, {0, -1, false},
    };
    uint8_t buffer[32] = {};
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos << "," << c.count);
        if (c.ok) {
            EXPECT_NO_THROW(store.ReadBufferAt(buffer, c.pos, c.count));
        } else {
            try {
                store.ReadBufferAt(buffer, c.pos, c.count);
                ADD_FAILURE() << "accepted";
            } catch (const EOrixHexEditor& e) {
                EXPECT_STREQ(e.what(), "Data position/length out of data bounds");
            }
        }
    }
}

TEST(DataStore, MoveOverlapsAndHex) {
    TOrixHMemoryStream store;
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 0x3A};
    store.WriteBuffer(bytes, 6);
    store.Move(0, 1, 4);
    uint8_t out[6];
    store.ReadBufferAt(out, 0, 6);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{1, 1, 2, 3, 4, 0x3A}));
    EXPECT_EQ(store.GetAsHex(4, 2, false), "043A");
    EXPECT_EQ(store.GetAsHex(5, 1, true), "A3");
    EXPECT_EQ(store.GetAsHex(100, 0, false), "");
    EXPECT_THROW(store.Move(2, 3, 4), EOrixHexEditor);
}
