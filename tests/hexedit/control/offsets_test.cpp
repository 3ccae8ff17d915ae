// Offset texts, the offset format language with its errors, rulers and the display range.
#include "hex_test_env.h"

#include <QScrollBar>
#include <gtest/gtest.h>

TEST(Offsets, DefaultFormat) {
    TestApp();
    TOrixHexEditor e;
    EXPECT_EQ(e.GetOffsetFormat(), "-!10:0x|");
    e.CreateEmptyFile("");
    EXPECT_EQ(e.GetOffsetString(0), "0x0");
    LoadBytes(e, Pattern(65536));
    EXPECT_EQ(e.GetOffsetString(0), "0x0000");
    EXPECT_EQ(e.GetOffsetString(0xFFF0), "0xFFF0");
    LoadBytes(e, Pattern(16 << 20));
    EXPECT_EQ(e.GetOffsetString(0x10), "0x000010");
    e.SetHexLowerCase(true);
    EXPECT_EQ(e.GetOffsetString(0xFF0), "0x000ff0");
    e.SetHexLowerCase(false);
    LoadBytes(e, Pattern(64));
    e.SetBytesPerUnit(2);
    EXPECT_EQ(e.GetOffsetString(0x10), "0x08");
}

TEST(Offsets, Examples) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(256));
    e.SetOffsetFormat("C%4!A:|.");
    EXPECT_EQ(e.GetOffsetString(0x20), "0016.");
    e.SetOffsetFormat("2%!10:|h");
    EXPECT_EQ(e.GetOffsetString(0x30), "18h");
    e.SetOffsetFormat("10!10:|");
    EXPECT_EQ(e.GetOffsetString(1), "0000000000000001");
    e.SetOffsetFormat("0!10:<|>");
    EXPECT_EQ(e.GetOffsetString(0), "<>");
    // Widths count in 8 bits where digits are made, so 100 pads to none, yet it is no 0.
    e.SetOffsetFormat("100!10:<|>");
    EXPECT_EQ(e.GetOffsetString(0), "<0>");
    EXPECT_EQ(e.GetOffsetString(0x1F), "<1F>");
    e.SetOffsetFormat("101!10:|");
    EXPECT_EQ(e.GetOffsetString(0), "0");
    e.SetOffsetFormat("-!10:0x|h|");
    EXPECT_EQ(e.GetOffsetString(0), "0x00h|");
    e.SetOffsetFormat("");
    EXPECT_EQ(e.GetOffsetString(255), "");
    EXPECT_EQ(e.GetAnyOffsetString(255), "FF");
    EXPECT_EQ(e.ColWidth(0), e.CharPixelWidth() + 21);
}

TEST(Offsets, FormatErrorsKeepThePreviousFormat) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(256));
    e.SetOffsetFormat("2%!10:|h");
    const std::string before = e.GetOffsetString(0x30);
    const int gutter = e.ColWidth(0);
    struct Case {
        const char* format;
        const char* message;
    };
    const Case cases[] = {
        {"r%1!10:|", "Invalid bytes per unit value 16, allowed: 1,2,4,8"},
        {"3%-!10:|", "Invalid bytes per unit value 3, allowed: 1,2,4,8"},
        {"-!11:0x|", "Invalid radix in offset format (11h), allowed: 02h..10h"},
        {"-!1:0x|", "Invalid radix in offset format (1h), allowed: 02h..10h"},
        {"-!10|", "Missing char in offset format: :"},
        {"-!:|", "Missing char in offset format: number radix"},
        {"-!10:0x", "Missing char in offset format: |"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        try {
            e.SetOffsetFormat(c.format);
            ADD_FAILURE() << "accepted";
        } catch (const EOrixHexEditor& x) {
            EXPECT_STREQ(x.what(), c.message);
        }
        EXPECT_EQ(e.GetOffsetFormat(), "2%!10:|h");
        EXPECT_EQ(e.GetOffsetString(0x30), before);
        EXPECT_EQ(e.ColWidth(0), gutter);
    }
    e.SetBytesPerRow(8);
    EXPECT_NO_THROW(e.SetOffsetFormat("r%1!10:|"));
    EXPECT_EQ(e.GetOffsetString(0x10), "2");
}

TEST(Offsets, RowUnitFollowsBytesPerRowUpTo256) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(1024));
    e.SetBytesPerRow(8);
    e.SetOffsetFormat("r%1!10:|");
    EXPECT_EQ(e.GetOffsetString(0x20), "4");
    // 256 in 8 bits would be a unit of 0: rows of 256 bytes still count one per row.
    e.SetBytesPerRow(256);
    EXPECT_EQ(e.ParsedOffsetFormat().OffsetUnit, 256);
    EXPECT_EQ(e.GetOffsetString(256), "1");
    EXPECT_EQ(e.GetOffsetString(768), "3");
    e.SetBytesPerRow(4);
    e.SetBytesPerColumn(2);
    e.SetOffsetFormat("C%!10:|");
    e.SetBytesPerColumn(256);
    EXPECT_EQ(e.ParsedOffsetFormat().OffsetUnit, 256);
    EXPECT_EQ(e.GetOffsetString(512), "2");
}

TEST(Offsets, OtherUnitErrors) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(64));
    try {
        e.SetBytesPerUnit(3);
        ADD_FAILURE();
    } catch (const EOrixHexEditor& x) {
        EXPECT_STREQ(x.what(), "Invalid bytes per unit value 3, allowed: 1,2,4,8");
    }
    try {
        e.SetRulerBytesPerUnit(0);
        ADD_FAILURE();
    } catch (const EOrixHexEditor& x) {
        EXPECT_STREQ(x.what(), "Invalid ruler bytes per unit value 0, allowed: -1,1,2,4,8");
    }
    e.SetUnicodeCharacters(true);
    try {
        e.SetBytesPerUnit(4);
        ADD_FAILURE();
    } catch (const EOrixHexEditor& x) {
        EXPECT_STREQ(x.what(), "BytesPerUnit must be set to 2 in unicode mode");
    }
}

TEST(Offsets, Rulers) {
    TestApp();
    TOrixHexEditor e;
    EXPECT_EQ(e.HexRulerText(), "000102030405060708090A0B0C0D0E0F");
    EXPECT_EQ(e.CharRulerText(), "0123456789ABCDEF");
    e.SetRulerNumberBase(10);
    EXPECT_EQ(e.HexRulerText(), "00010203040506070809101112131415");
    EXPECT_EQ(e.CharRulerText(), "0123456789012345");
    e.SetRulerNumberBase(17);
    EXPECT_EQ(e.GetRulerNumberBase(), 16);
    e.SetRulerBytesPerUnit(4);
    EXPECT_EQ(e.HexRulerText(), "00000000000000010000000200000003");
    EXPECT_EQ(e.CharRulerText(), "   0   1   2   3");
    e.SetRulerBytesPerUnit(-1);
    e.SetHexLowerCase(true);
    EXPECT_EQ(e.HexRulerText(), "000102030405060708090a0b0c0d0e0f");
    e.SetHexLowerCase(false);
    e.SetBytesPerRow(10);
    e.SetBytesPerUnit(4);
    EXPECT_EQ(e.HexRulerText().size(), 16u);
}

TEST(Offsets, EventTextAndGutterWidth) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(64));
    e.OnGetOffsetText = [](TCustomOrixHexEditor* s, int64_t n, std::string& text) {
        text = "row " + s->GetOffsetString(static_cast<uint32_t>(n));
    };
    e.UpdateGetOffsetText();
    EXPECT_EQ(e.GetOffsetString(16), "row 0x10");
    EXPECT_EQ(e.OffsetTextWidth(), 9);
}

TEST(Offsets, DisplayRange) {
    TestApp();
    TOrixHexEditor e;
    e.CreateEmptyFile("");
    EXPECT_EQ(e.DisplayStart(), -1);
    EXPECT_EQ(e.DisplayEnd(), -1);
    LoadBytes(e, Pattern(100));
    e.resize(700, 3 * e.DefaultRowHeight() + e.horizontalScrollBar()->sizeHint().height() + 8);
    e.show();
    QApplication::processEvents();
    EXPECT_EQ(e.DisplayStart(), 0);
    EXPECT_EQ(e.DisplayEnd(), 16 * e.VisibleRowCount() - 1);
    e.resize(700, 400);
    QApplication::processEvents();
    EXPECT_EQ(e.DisplayEnd(), 99);
}
