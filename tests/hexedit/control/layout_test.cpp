// Grid geometry: column counts and widths, row counts, automatic bytes per row.
#include "hex_test_env.h"

#include <gtest/gtest.h>

namespace {
int Cw(TCustomOrixHexEditor& e) {
    return e.CharPixelWidth();
}

// 64 bytes shown with the given row width and character mode.
void LoadWithLayout(TOrixHexEditor& e, int bytesPerRow, bool unicode) {
    LoadBytes(e, Pattern(64));
    e.SetBytesPerRow(bytesPerRow);
    e.SetUnicodeCharacters(unicode);
}
} // namespace

TEST(Layout, ColumnCountsAndWidths) {
    TestApp();
    struct Case {
        int bytesPerRow;
        bool unicode;
        int columns;
    };
    const Case cases[] = {{1, false, 6}, {16, false, 51}, {256, false, 771}, {16, true, 43}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytesPerRow);
        TOrixHexEditor e;
        LoadWithLayout(e, c.bytesPerRow, c.unicode);
        ASSERT_EQ(e.ColCount(), c.columns);
        const int cw = Cw(e);
        const int b = c.bytesPerRow;
        EXPECT_EQ(e.ColWidth(1), 6);
        EXPECT_EQ(e.ColWidth(2 * b + 1), 2 * cw); // last nibble
        EXPECT_EQ(e.ColWidth(2 * b + 2), cw);     // separator
        EXPECT_EQ(e.ColWidth(e.ColCount() - 1), 2 * cw + 1);
        if (b >= 4) {
            // One cw gap after every fourth nibble (2 bytes per column).
            EXPECT_EQ(e.ColWidth(2), cw);
            EXPECT_EQ(e.ColWidth(5), 2 * cw);
            EXPECT_EQ(e.ColWidth(2 * b + 3), cw + 1);
        }
    }
}

// The named columns agree with the cells the control maps bytes to and with its widths.
TEST(Layout, SeparatorAndFirstCharacterColumn) {
    TestApp();
    struct Case {
        int bytesPerRow;
        bool unicode;
        int separator;
        int firstChar;
    };
    const Case cases[] = {
        {1, false, 4, 5}, {16, false, 34, 35}, {256, false, 514, 515}, {6, true, 14, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytesPerRow);
        TOrixHexEditor e;
        LoadWithLayout(e, c.bytesPerRow, c.unicode);
        EXPECT_EQ(e.SeparatorCol(), c.separator);
        EXPECT_EQ(e.FirstCharCol(), c.firstChar);
        EXPECT_EQ(e.FirstColOfField(false), 2);
        EXPECT_EQ(e.FirstColOfField(true), c.firstChar);
        EXPECT_EQ(e.ColWidth(c.separator), Cw(e));
        EXPECT_FALSE(e.GetIsCharFieldCol(c.separator));
        EXPECT_TRUE(e.GetIsCharFieldCol(c.firstChar));
        EXPECT_EQ(e.GetCursorAtPos(0, true), GridCoord(c.firstChar, 2));
        EXPECT_EQ(e.GetOtherFieldColCheck(2), c.firstChar);
        EXPECT_EQ(e.FixedCols(), 2);
        EXPECT_EQ(e.FixedRows(), 2);
    }
}

TEST(Layout, EmptyEditorAndOneByteRow) {
    TestApp();
    TOrixHexEditor e;
    e.CreateEmptyFile("");
    EXPECT_EQ(e.RowCount(), 3);
    EXPECT_EQ(e.ColCount(), 51);
    e.SetBytesPerRow(1);
    const int cw = Cw(e);
    EXPECT_EQ(e.ColWidth(2), cw);
    EXPECT_EQ(e.ColWidth(3), 2 * cw);
    EXPECT_EQ(e.ColWidth(4), cw);
    EXPECT_EQ(e.ColWidth(5), 2 * cw + 1);
}

TEST(Layout, RowCounts) {
    TestApp();
    struct Case {
        size_t size;
        bool insert;
        int rows;
    };
    const Case cases[] = {
        {0, false, 3}, {10, false, 3}, {32, false, 4}, {32, true, 5}, {33, true, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        TOrixHexEditor e;
        e.SetInsertMode(c.insert);
        LoadBytes(e, Pattern(c.size));
        EXPECT_EQ(e.RowCount(), c.rows);
    }
}

TEST(Layout, BlocksUnitsAndGaps) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(64));
    const int cw = Cw(e);
    e.SetBytesPerColumn(1);
    EXPECT_EQ(e.ColWidth(3), 2 * cw); // gap after every second nibble
    EXPECT_EQ(e.ColWidth(4), cw);
    e.SetBytesPerColumn(2);
    e.SetBlockSize(8);
    EXPECT_EQ(e.ColWidth(17), 3 * cw); // 16th nibble: group gap and block gap
    EXPECT_EQ(e.ColWidth(2 * 16 + 3 + 7), 2 * cw + 1);
    e.SetBlockSize(1);
    EXPECT_EQ(e.ColWidth(17), 2 * cw);
    e.SetRulerBytesPerUnit(4);
    EXPECT_EQ(e.ColWidth(35 + 3), (3 * cw) / 2 + 1);
    EXPECT_EQ(e.ColWidth(35 + 2), cw + 1);
    EXPECT_EQ(e.ColWidth(50), 2 * cw + 1);
}

// A block longer than the longest row never ends inside one: up to the largest block size the
// layout is that of a 257-byte block, the shortest such, and has no block gaps.
TEST(Layout, BlocksLongerThanAnyRowAddNoGap) {
    TestApp();
    auto widths = [](TOrixHexEditor& e) {
        std::vector<int32_t> w;
        for (int32_t c = 0; c < e.ColCount(); ++c) w.push_back(e.ColWidth(c));
        return w;
    };
    // Fitted to 520 pixels, then at 256 bytes a row; the fitted row length.
    auto shown = [](TOrixHexEditor& e, int32_t block) {
        LoadBytes(e, Pattern(100));
        e.resize(520, 200);
        e.show();
        QApplication::processEvents();
        e.SetBlockSize(block);
        e.SetAutoBytesPerRow(true);
        const int32_t fitted = e.GetBytesPerRow();
        e.SetAutoBytesPerRow(false);
        e.SetBytesPerRow(256);
        return fitted;
    };
    TOrixHexEditor plain, shortest;
    shown(plain, -1);
    const int32_t fitted = shown(shortest, 257);
    EXPECT_EQ(widths(shortest), widths(plain));
    for (const int32_t block : {int32_t{1} << 30, INT32_MAX - 1, INT32_MAX}) {
        SCOPED_TRACE(block);
        TOrixHexEditor e;
        EXPECT_EQ(shown(e, block), fitted);
        EXPECT_EQ(widths(e), widths(plain));
        for (const int32_t m : {2, 24, 128, 256})
            EXPECT_EQ(e.RowPixelWidth(m), shortest.RowPixelWidth(m));
    }
}

TEST(Layout, RulerAndGutterSizes) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(16));
    EXPECT_EQ(e.RowHeight(0), 0);
    e.SetShowRuler(true);
    EXPECT_EQ(e.RowHeight(0), e.DefaultRowHeight() + 3);
    EXPECT_EQ(e.RowHeight(1), 0);
    e.SetGutterWidth(40);
    EXPECT_EQ(e.ColWidth(0), 40);
    e.SetGutterWidth(-1);
    EXPECT_EQ(e.ColWidth(0), e.OffsetTextWidth() * Cw(e) + 21);
}

TEST(Layout, BytesPerRowErrors) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(15));
    for (int bad : {0, 257, -3}) {
        try {
            e.SetBytesPerRow(bad);
            ADD_FAILURE() << bad;
        } catch (const EOrixHexEditor& x) {
            EXPECT_STREQ(x.what(), "Invalid bytes per line argument");
        }
    }
    EXPECT_THROW(e.SetBytesPerColumn(0), EOrixHexEditor);
    try {
        e.SetUnicodeCharacters(true);
        ADD_FAILURE();
    } catch (const EOrixHexEditor& x) {
        EXPECT_STREQ(x.what(), "Cannot use unicode mode with odd-sized files");
    }
    EXPECT_FALSE(e.GetUnicodeChars());
    LoadBytes(e, Pattern(16));
    e.SetUnicodeCharacters(true);
    EXPECT_THROW(e.SetBytesPerRow(15), EOrixHexEditor);
    EXPECT_EQ(e.GetBytesPerUnit(), 2);
}

TEST(Layout, ChangingBytesPerRowKeepsCaretByte) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(0x40));
    const TGridCoord c = e.GetCursorAtPos(0x25, false);
    e.MoveColRow(c.X + 1, c.Y, true, true); // low nibble of 0x25
    e.NewSelection(3, 9);
    e.SetBytesPerRow(8);
    EXPECT_EQ(e.Row(), 6);
    EXPECT_EQ(e.Col(), 2 + 2 * 5 + 1);
    EXPECT_EQ(e.GetPosAtCursor(e.Col(), e.Row()), 0x25);
    EXPECT_EQ(e.SelFirst(), 3);
    EXPECT_EQ(e.SelLast(), 9);
}

TEST(Layout, AutoBytesPerRow) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(100));
    e.resize(120, 200);
    e.show();
    QApplication::processEvents();
    e.SetAutoBytesPerRow(true);
    EXPECT_EQ(e.GetBytesPerRow(), 2);
    e.SetBytesPerRow(8); // ignored while automatic
    EXPECT_EQ(e.GetBytesPerRow(), 2);
    e.resize(4000, 200);
    QApplication::processEvents();
    const int b = e.GetBytesPerRow();
    EXPECT_EQ(b % 2, 0);
    const int available = e.ClientWidth() - e.ColWidth(0) - e.ColWidth(1) - 8;
    EXPECT_GE(available, e.RowPixelWidth(b));
    if (b < 256) {
        EXPECT_LT(available, e.RowPixelWidth(b + 2));
    }
}
