// Page layout of printed data: header templates and lines, the prepared row and ruler lines,
// pagination, and what lands on the page.
#include "print_test_env.h"

#include "translations.h"

#include <QDate>
#include <QLocale>
#include <functional>

namespace {
using Configure = std::function<void(TOrixHexEditorEx&)>;

struct Printing {
    ShownEditor editor;
    ImageCanvas page;
    explicit Printing(const std::vector<uint8_t>& data, int width = 1200, int height = 900)
        : editor(0), page(width, height) {
        LoadBytes(*editor, data);
    }
    TOrixHCanvasPrinter Printer(TOrixHPrintFlags flags, const TRect& rect,
                                const TOrixHPrintHeaders& headers = {}) {
        return TOrixHCanvasPrinter(editor.editor.get(), &page.canvas, flags, rect, headers);
    }
};

// Black ink in a column range of an image band.
bool InkIn(const QImage& image, int left, int right, int top, int bottom) {
    for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y)
        for (int x = std::max(0, left); x < std::min(image.width(), right); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) return true;
    return false;
}
} // namespace

TEST(PrintHeader, TemplatesExpandEveryCode) {
    ShownEditor e(0);
    e->CreateEmptyFile("/home/user/data/a.bin");
    const std::vector<uint8_t> data = Pattern(80);
    e->AppendBuffer(data.data(), 80, "", false);
    ImageCanvas page;
    const int lh = page.LineHeight();
    // Two rows a page: 5 rows give 3 pages.
    TOrixHCanvasPrinter printer(e.editor.get(), &page.canvas, {}, TRect{0, 0, 1200, 2 * lh + 1});
    ASSERT_EQ(printer.PageCount(), 3);
    const std::string date =
        QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    struct Case {
        const char* text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Page %p of %P", "Page 2 of 3"},
        {"%f", "a.bin"},
        {"%F", "/home/user/data/a.bin"},
        {"%d", date},
        {"%<, %>", "Windows, WIN"},
        {"100%% sure", "100%% sure"},
        {"%x and %q", "%x and %q"},
        {"ends in %", "ends in %"},
        {"%", "%"},
        {"%%%", "%%%"},
        {"", ""},
        {"Seite %p · %f", "Seite 2 · a.bin"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printer.ExpandHeaderText(c.text, 2), c.expected) << c.text;

    // The time has hours, minutes and seconds.
    const std::string time = printer.ExpandHeaderText("%t", 1);
    EXPECT_EQ(std::count(time.begin(), time.end(), ':'), 2) << time;

    e->SetTranslation(tkDos8);
    EXPECT_EQ(printer.ExpandHeaderText("%<|%>", 1), "Dos 8 bits|DOS");
    e->SetTranslation(tkAsIs);
    e->SetUnicodeCharacters(true);
    EXPECT_EQ(printer.ExpandHeaderText("%<|%>", 1), "Unicode little endian|UCLE");
    e->SetUnicodeBigEndian(true);
    EXPECT_EQ(printer.ExpandHeaderText("%<|%>", 1), "Unicode big endian|UCBE");
}

TEST(PrintHeader, LineSplitsAtBarsIntoLeftCentreAndRight) {
    struct Case {
        const char* text;
        bool left, centre, right;
    };
    // Left third, middle third, right third of a 900 pixel line.
    const std::vector<Case> cases = {
        {"MMMM", true, false, false},         {"MMMM|MMMM", true, true, false},
        {"MMMM|MMMM|MMMM", true, true, true}, {"|MMMM|", false, true, false},
        {"||MMMM", false, false, true},       {"||MM|MM", false, false, true},
        {"|", false, false, false},
    };
    for (const Case& c : cases) {
        Printing p(Pattern(16));
        TOrixHCanvasPrinter printer = p.Printer({}, TRect{0, 0, 900, 800});
        const int lh = p.page.LineHeight();
        printer.DrawHeaderLine(0, 10, 900, c.text);
        const QImage image = p.page.Finish();
        EXPECT_EQ(InkIn(image, 0, 300, 10, 10 + lh), c.left) << c.text;
        EXPECT_EQ(InkIn(image, 300, 600, 10, 10 + lh), c.centre) << c.text;
        EXPECT_EQ(InkIn(image, 600, 900, 10, 10 + lh), c.right) << c.text;
        // Nothing outside the line.
        EXPECT_FALSE(InkIn(image, 0, 1200, 0, 10)) << c.text;
        EXPECT_FALSE(InkIn(image, 0, 1200, 10 + lh, 900)) << c.text;
        EXPECT_FALSE(InkIn(image, 900, 1200, 0, 900)) << c.text;
    }
    // The right text ends at the right edge, the centre text is centred.
    Printing p(Pattern(16));
    TOrixHCanvasPrinter printer = p.Printer({}, TRect{0, 0, 900, 800});
    const int w = p.page.canvas.DeviceTextWidth("MMMM");
    printer.DrawHeaderLine(0, 10, 900, "|MMMM|MMMM");
    const QImage image = p.page.Finish();
    EXPECT_TRUE(InkIn(image, 900 - w / 4, 900, 10, 40));
    EXPECT_FALSE(InkIn(image, 0, 450 - w / 2 - 2, 10, 40));
    EXPECT_TRUE(InkIn(image, 450 - w / 2, 450 - w / 4, 10, 40));
    EXPECT_FALSE(InkIn(image, 450 + w / 2 + 2, 900 - w - 2, 10, 40));
}

TEST(PrintLines, RowText) {
    const std::vector<uint8_t> abc = Bytes("ABCDEFGHIJKLMNOP\x01QRS", 20);
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        Configure setup;
        int64_t start;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"two bytes a column", abc, [](auto&) {}, 0,
         "0x00: 4142 4344 4546 4748 494A 4B4C 4D4E 4F50  ABCDEFGHIJKLMNOP"},
        {"one byte a column", abc, [](auto& e) { e.SetBytesPerColumn(1); }, 0,
         "0x00: 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP"},
        {"four bytes a column", abc, [](auto& e) { e.SetBytesPerColumn(4); }, 0,
         "0x00: 41424344 45464748 494A4B4C 4D4E4F50  ABCDEFGHIJKLMNOP"},
        {"blocks of four, separated in the characters", abc, [](auto& e) { e.SetBlockSize(4); }, 0,
         "0x00: 4142 4344  4546 4748  494A 4B4C  4D4E 4F50  ABCD EFGH IJKL MNOP"},
        {"blocks of four, characters together", abc,
         [](auto& e) {
             e.SetBlockSize(4);
             e.SetSepCharBlocks(false);
         },
         0, "0x00: 4142 4344  4546 4748  494A 4B4C  4D4E 4F50  ABCDEFGHIJKLMNOP"},
        {"lower case", Bytes("\xAB\xCD\xEF", 3),
         [](auto& e) {
             e.SetBytesPerRow(4);
             e.SetHexLowerCase(true);
         },
         0, "0x0: abcd ef    \xC2\xAB\xC3\x8D\xC3\xAF "},
        {"swapped nibbles", Bytes("\x12\x34", 2),
         [](auto& e) {
             e.SetBytesPerRow(2);
             e.SetSwapNibbles(true);
         },
         0, "0x0: 2143  .4"},
        {"masked characters and the last row", abc, [](auto& e) { e.SetMaskChar('*'); }, 16,
         "0x10: 0151 5253                                *QRS            "},
        {"unicode little endian", Bytes("A\0B\0\x3A\x04z", 7),
         [](auto& e) {
             e.SetBytesPerRow(8);
             e.SetUnicodeCharacters(true);
         },
         0, "0x0: 4100 4200 3A04 7A    AB\xD0\xBAz"},
        {"unicode big endian", Bytes("\0A\0B\x04\x3A\0", 7),
         [](auto& e) {
             e.SetBytesPerRow(8);
             e.SetUnicodeCharacters(true);
             e.SetUnicodeBigEndian(true);
         },
         0, "0x0: 0041 0042 043A 00    AB\xD0\xBA."},
    };
    for (const Case& c : cases) {
        // Set up before loading: unicode mode takes odd-sized data only as a load.
        Printing p({});
        c.setup(*p.editor);
        LoadBytes(*p.editor, c.data);
        TOrixHCanvasPrinter printer = p.Printer({}, TRect{0, 0, 1200, 900});
        const auto last = static_cast<int64_t>(c.data.size()) - 1;
        const auto width = static_cast<int32_t>(p.editor->GetOffsetString(c.data.size()).size());
        const TTextWithAttr row = printer.BuildRowText(c.start, last, width);
        EXPECT_EQ(row.Text.toStdString(), c.expected) << c.name;
        EXPECT_EQ(row.Attributes.size(), static_cast<size_t>(row.Text.size())) << c.name;
    }
}
