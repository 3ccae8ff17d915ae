// Bookmarks following the data: shifts at the limits of a position, and replacements with
// their undo.
#include "hex_test_env.h"

#include <gtest/gtest.h>

TEST(Bookmarks, ShiftsThatLeaveThePositionsAreUnset) {
    TestApp();
    struct Case {
        int32_t mark, from, offset, expected;
    };
    const Case cases[] = {
        {6, 6, INT32_MAX, -1}, {6, 0, INT32_MAX - 5, -1}, // one past the largest position
        {6, 0, INT32_MIN, -1}, {6, 0, -7, -1},
        {6, 0, -6, 0},         {6, 0, 4, 10},
        {6, 7, INT32_MAX, 6}, // before the shift: untouched
        {6, -1, 4, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mark << " from " << c.from << " by " << c.offset);
        TOrixHexEditor e;
        LoadBytes(e, Pattern(10));
        e.SetBookmarkVals(0, c.mark, false);
        e.AdjustBookmarks(c.from, c.offset);
        EXPECT_EQ(e.GetBookmark(0).mPosition, c.expected);
    }
}

// Replacing m bytes at p by n shifts the bookmarks from p + m, the end of the old bytes, and
// its undo from p + n, the end of the new ones: every bookmark behind the change stays on its
// byte, and none is left pointing into the new bytes.
TEST(Bookmarks, ReplaceAndItsUndoKeepEachBookmarkOnItsByte) {
    TestApp();
    struct Case {
        int32_t p, m, n, mark, afterReplace, afterUndo;
    };
    const Case cases[] = {
        {4, 2, 5, 3, 3, 3},    // before the change
        {4, 2, 5, 4, 4, 4},    // on the first old byte
        {4, 2, 5, 6, 9, 6},    // on the first byte behind the old ones
        {4, 2, 5, 7, 10, 7},   // inside what the new bytes cover
        {4, 2, 5, 20, 23, 20}, // at the end of the data
        {4, 5, 2, 9, 6, 9},
        {4, 5, 2, 12, 9, 12},
        // Inside the old bytes it keeps its number, then marks the byte behind the new ones,
        // and undo carries it along with that byte.
        {4, 5, 2, 7, 7, 10},
        {4, 3, 3, 8, 8, 8},
        {4, 0, 3, 4, 7, 4},
        {16, 4, 0, 20, 16, 20},
    };
    const std::vector<uint8_t> bytes(8, 0xEE);
    for (const bool selection : {false, true}) {
        for (const Case& c : cases) {
            if (selection && c.m == 0) continue; // without a selection it inserts
            SCOPED_TRACE(testing::Message()
                         << (selection ? "ReplaceSelection" : "Replace") << " p " << c.p << " m "
                         << c.m << " n " << c.n << " mark " << c.mark);
            TOrixHexEditor e;
            LoadBytes(e, Pattern(20));
            e.SetBookmarkVals(0, c.mark, false);
            if (selection) {
                e.SetSelection(c.p, c.p, c.p + c.m - 1);
                e.ReplaceSelection(bytes.data(), c.n, "", false);
            } else {
                e.Replace(bytes.data(), c.p, c.m, c.n, "", false);
            }
            ASSERT_EQ(e.GetDataSize(), 20 - c.m + c.n);
            EXPECT_EQ(e.GetBookmark(0).mPosition, c.afterReplace);
            ASSERT_TRUE(e.Undo());
            ASSERT_EQ(e.GetDataSize(), 20);
            EXPECT_EQ(e.GetBookmark(0).mPosition, c.afterUndo);
        }
    }
}
