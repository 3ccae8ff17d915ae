// Page layout of printed data: header templates and lines, the prepared row and ruler lines,
// pagination, and what lands on the page.
#include "print_test_env.h"

#include "orix_hex_cell_renderer.h"
#include "translations.h"

#include <QDate>
#include <QLocale>
#include <QPaintEngine>
#include <QRegularExpression>
#include <QTimer>
#include <functional>
#include <map>
#include <random>

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

TEST(PrintHeader, LineIsTransparent) {
    // Texts that run into each other and the page under the line all stay: every dark pixel
    // of the parts drawn alone is dark in the whole line, and the rest keeps the page's grey.
    const QString left = "MMMMMMMMMMMMMMMMMMMMMMMMM", centre = "WWWWWWWWWWWW", right = "HHHHHHHH";
    auto draw = [](const QString& text) {
        Printing p(Pattern(16));
        TOrixHCanvasPrinter printer = p.Printer({}, TRect{0, 0, 600, 800});
        p.page.canvas.FillRect(TRect{0, 0, 600, 100}, 0xC0C0C0);
        p.page.canvas.BrushColor = clWhite;
        printer.DrawHeaderLine(0, 10, 600, text);
        return p.page.Finish();
    };
    const QImage all = draw(left + "|" + centre + "|" + right);
    const std::vector<QImage> parts = {draw(left), draw("|" + centre), draw("||" + right)};
    int dark = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 600; ++x) {
            const bool ink = std::any_of(parts.begin(), parts.end(), [&](const QImage& part) {
                return part.pixelColor(x, y) == QColor(Qt::black);
            });
            dark += ink;
            ASSERT_EQ(all.pixelColor(x, y), ink ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0))
                << x << "," << y;
        }
    EXPECT_GT(dark, 500);
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

TEST(PrintLines, RowAttributesFollowSelectionChangesAndCaret) {
    Printing p(Pattern(48));
    TOrixHexEditorEx& e = *p.editor;
    e.Colors().SetActiveFieldBackground(clSilver);
    e.NewSelection(2, 3);
    e.SetChanged(5, true);
    ASSERT_EQ(e.Row(), 2); // the caret is on the first data row, in the hex field
    TOrixHCanvasPrinter printer = p.Printer({}, TRect{0, 0, 1200, 900});
    const TTextWithAttr row0 = printer.BuildRowText(0, 47, 4);
    const TTextWithAttr row1 = printer.BuildRowText(16, 47, 4);
    auto hex = [](int i) { return static_cast<size_t>(6 + 2 * i + i / 2); };
    auto chr = [](int i) { return static_cast<size_t>(47 + i); };
    const auto& a = row0.Attributes;
    ASSERT_EQ(row0.Text.toStdString().substr(0, 6), "0x00: ");

    struct Cell {
        const char* what;
        size_t index;
        bool highlighted;
        TColor text, back;
    };
    const std::vector<Cell> cells = {
        {"offset on the caret row", 0, true, clWindowText, clWindow},
        {"trailing blank of the offset", 5, true, clWindowText, clWindow},
        {"byte 1, unselected", hex(1), false, clBlue, clSilver},
        {"gap after byte 1", hex(1) + 2, false, clBlue, clSilver},
        {"byte 2, selected", hex(2), true, clNavy, clSilver},
        {"byte 3, second digit", hex(3) + 1, true, clNavy, clSilver},
        {"gap after byte 3 continues the selection", hex(3) + 2, true, clNavy, clSilver},
        {"byte 4, odd column again", hex(4), false, clBlue, clSilver},
        {"byte 5, changed", hex(5) + 1, false, clMaroon, 0x00A8FFFF},
        {"blank after the hex digits", hex(15) + 2, false, clWindowText, clWindow},
        {"character 2, selected", chr(2), true, clWindowText, clWindow},
        {"character 4", chr(4), false, clWindowText, clWindow},
        {"character 5, changed", chr(5), false, clMaroon, 0x00A8FFFF},
    };
    for (const Cell& c : cells) {
        ASSERT_LT(c.index, a.size()) << c.what;
        EXPECT_EQ(a[c.index].Highlighted, c.highlighted) << c.what;
        EXPECT_EQ(a[c.index].TextColor, c.text) << c.what;
        EXPECT_EQ(a[c.index].BackColor, c.back) << c.what;
    }
    EXPECT_FALSE(row1.Attributes[0].Highlighted);

    // The caret in the character field moves the active background there.
    e.SetInCharField(true);
    const TTextWithAttr inChar = printer.BuildRowText(0, 47, 4);
    EXPECT_EQ(inChar.Attributes[hex(1)].BackColor, clWindow);
    EXPECT_EQ(inChar.Attributes[chr(4)].BackColor, clSilver);
}

TEST(PrintLines, OffsetCellsWithBackgroundColours) {
    struct Case {
        TOrixHPrintFlags flags;
        const char* start;
        bool highlighted;
        TColor text, back;
    };
    const std::vector<Case> cases = {
        {{pfUseBackgroundColor}, "0x00 0", false, clBtnHighlight, clBtnShadow},
        {{pfUseBackgroundColor, pfMonochrome}, "0x00: ", true, clBtnHighlight, clBtnShadow},
    };
    for (const Case& c : cases) {
        Printing p(Pattern(48));
        TOrixHCanvasPrinter printer = p.Printer(c.flags, TRect{0, 0, 1200, 900});
        const TTextWithAttr caretRow = printer.BuildRowText(0, 47, 4);
        const TTextWithAttr other = printer.BuildRowText(16, 47, 4);
        EXPECT_EQ(caretRow.Text.toStdString().substr(0, 6), c.start);
        EXPECT_EQ(caretRow.Attributes[0].Highlighted, c.highlighted);
        EXPECT_EQ(caretRow.Attributes[0].TextColor, c.text);
        EXPECT_EQ(caretRow.Attributes[0].BackColor, c.back);
        EXPECT_EQ(other.Attributes[0].TextColor, clBlack);
        EXPECT_EQ(other.Attributes[0].BackColor, clBtnFace);
        // The blank after the offset is plain and never highlighted.
        const size_t blank = c.flags.Has(pfMonochrome) ? 5 : 4;
        EXPECT_FALSE(caretRow.Attributes[blank].Highlighted);
        EXPECT_EQ(caretRow.Attributes[blank].BackColor, clWindow);
    }
}

TEST(PrintLines, RulerText) {
    struct Case {
        const char* name;
        int bytesPerRow;
        Configure setup;
        TOrixHPrintFlags flags;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"two bytes a column",
         16,
         [](auto&) {},
         {},
         "      0001 0203 0405 0607 0809 0A0B 0C0D 0E0F  0123456789ABCDEF"},
        {"one byte a column",
         16,
         [](auto& e) { e.SetBytesPerColumn(1); },
         {},
         "      00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F  0123456789ABCDEF"},
        {"four bytes a column",
         16,
         [](auto& e) { e.SetBytesPerColumn(4); },
         {},
         "      00010203 04050607 08090A0B 0C0D0E0F  0123456789ABCDEF"},
        {"blocks of four",
         16,
         [](auto& e) { e.SetBlockSize(4); },
         {},
         "      0001 0203  0405 0607  0809 0A0B  0C0D 0E0F  0123 4567 89AB CDEF"},
        {"no colon with background colours",
         8,
         [](auto&) {},
         {pfUseBackgroundColor},
         "     0001 0203 0405 0607  01234567"},
        {"unicode",
         8,
         [](auto& e) { e.SetUnicodeCharacters(true); },
         {},
         "      0000 0001 0002 0003  0123"},
    };
    for (const Case& c : cases) {
        Printing p({});
        p.editor->SetBytesPerRow(c.bytesPerRow);
        c.setup(*p.editor);
        LoadBytes(*p.editor, std::vector<uint8_t>(48, 'A'));
        TOrixHCanvasPrinter printer = p.Printer(c.flags, TRect{0, 0, 1200, 900});
        const TTextWithAttr ruler = printer.BuildRulerText(4);
        EXPECT_EQ(ruler.Text.toStdString(), c.expected) << c.name;
        ASSERT_EQ(ruler.Attributes.size(), static_cast<size_t>(ruler.Text.size())) << c.name;
        // The caret's column (the first hex digit) is highlighted, nothing else.
        for (size_t i = 0; i < ruler.Attributes.size(); ++i)
            EXPECT_EQ(ruler.Attributes[i].Highlighted, i == 6 && c.flags.Bits == 0)
                << c.name << " cell " << i;
    }
}

TEST(PrintPages, Pagination) {
    struct Case {
        const char* name;
        size_t dataSize;
        int bytesPerRow;
        double lines; // rectangle height in line heights
        const char *header, *footer;
        bool showRuler;
        TOrixHPrintFlags flags;
        int32_t selFirst, selLast;
        int32_t rowsPerPage, pages;
        std::vector<int32_t> drawn;
    };
    const TOrixHPrintFlags ruler{pfIncludeRuler}, selection{pfSelectionOnly};
    const std::vector<Case> cases = {
        {"plain", 100, 16, 3.5, "", "", false, {}, -1, -1, 3, 3, {3, 3, 1}},
        {"exact fit", 100, 16, 3.0, "", "", false, {}, -1, -1, 3, 3, {3, 3, 1}},
        {"header takes two lines", 100, 16, 5.5, "H", "", false, {}, -1, -1, 3, 3, {3, 3, 1}},
        {"footer takes one", 100, 16, 4.5, "", "F", false, {}, -1, -1, 3, 3, {3, 3, 1}},
        {"ruler takes one and a half", 100, 16, 4.5, "", "", true, ruler, -1, -1, 3, 3, {3, 3, 1}},
        {"ruler only while shown", 100, 16, 3.5, "", "", false, ruler, -1, -1, 3, 3, {3, 3, 1}},
        {"all three", 100, 16, 6.5, "H", "F", true, ruler, -1, -1, 2, 4, {2, 2, 2, 1}},
        {"33 selected bytes", 100, 16, 2.5, "", "", false, selection, 10, 42, 2, 2, {2, 1}},
        {"selection only, nothing selected",
         100,
         16,
         2.5,
         "",
         "",
         false,
         selection,
         -1,
         -1,
         2,
         4,
         {2, 2, 2, 1}},
        {"fewer rows than fit", 17, 8, 10.5, "", "", false, {}, -1, -1, 3, 1, {3}},
        {"one byte", 1, 16, 10.5, "", "", false, {}, -1, -1, 1, 1, {1}},
        {"empty data", 0, 16, 10.5, "", "", false, {}, -1, -1, -1, 0, {}},
        {"not one row fits", 100, 16, 0.5, "", "", false, {}, -1, -1, 0, 0, {}},
        {"header leaves no room", 100, 16, 2.5, "H", "", false, {}, -1, -1, 0, 0, {}},
    };
    for (const Case& c : cases) {
        Printing p({});
        p.editor->SetBytesPerRow(c.bytesPerRow);
        p.editor->SetShowRuler(c.showRuler);
        LoadBytes(*p.editor, Pattern(c.dataSize));
        if (c.selFirst >= 0) p.editor->NewSelection(c.selFirst, c.selLast);
        const int lh = p.page.LineHeight();
        const TRect rect{10, 20, 1190, 20 + static_cast<int>(c.lines * lh)};
        TOrixHCanvasPrinter printer = p.Printer(c.flags, rect, {c.header, c.footer});
        EXPECT_EQ(printer.RowsPerPage(), c.rowsPerPage) << c.name;
        EXPECT_EQ(printer.PageCount(), c.pages) << c.name;
        EXPECT_EQ(printer.PrintPage(true, 1), c.rowsPerPage) << c.name;
        for (size_t k = 0; k < c.drawn.size(); ++k)
            EXPECT_EQ(printer.PrintPage(false, static_cast<int32_t>(k + 1)), c.drawn[k])
                << c.name << " page " << k + 1;
        for (int32_t outside : {0, -1, c.pages + 1, INT32_MAX})
            EXPECT_EQ(printer.PrintPage(false, outside), -1) << c.name << " page " << outside;
    }
}

namespace {
// A paint device that keeps the texts drawn on it with their baselines and nothing else.
class TextRecorder : public QPaintDevice {
public:
    struct Item {
        QPointF at;
        QString text;
    };
    std::vector<Item> items;

    QPaintEngine* paintEngine() const override { return &engine_; }
    // The data offsets of the rows drawn, top to bottom; a line is a row when its characters
    // begin with "0x" and the offset's digits.
    std::vector<int64_t> RowOffsets() const {
        std::map<qreal, std::map<qreal, QString>> lines;
        for (const Item& item : items) lines[item.at.y()][item.at.x()] += item.text;
        const QRegularExpression offset("^0x([0-9A-F]+):");
        std::vector<int64_t> rows;
        for (const auto& [y, cells] : lines) {
            QString line;
            for (const auto& [x, text] : cells) line += text;
            line.remove(QLatin1Char(' '));
            const auto match = offset.match(line);
            if (match.hasMatch()) rows.push_back(match.captured(1).toLongLong(nullptr, 16));
        }
        return rows;
    }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 4000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 32;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder& device) : device_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawRects(const QRectF*, int) override {}
        void drawRects(const QRect*, int) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            device_.items.push_back({p, item.text()});
        }
        Type type() const override { return User; }

    private:
        TextRecorder& device_;
    };
    mutable Engine engine_{*this};
};
} // namespace

TEST(PrintPages, EveryRowOnceInOrder) {
    // The shown part is shorter than a page, the selection longer than one: each page must
    // start one row after the previous one ends, whatever decides the range.
    const std::vector<std::pair<const char*, TOrixHPrintFlags>> ranges = {
        {"selection", {pfSelectionOnly, pfMonochrome, pfIncludeRuler}},
        {"current view", {pfCurrentViewOnly, pfMonochrome, pfIncludeRuler}},
        {"both", {pfSelectionOnly, pfCurrentViewOnly, pfMonochrome, pfIncludeRuler}},
        {"neither", {pfMonochrome, pfIncludeRuler}}};
    struct Decoration {
        const char* name;
        bool ruler;
        const char *header, *footer;
    };
    const std::vector<Decoration> decorations = {{"plain", false, "", ""},
                                                 {"ruler", true, "", ""},
                                                 {"header", false, "H", ""},
                                                 {"footer", false, "", "F"},
                                                 {"all three", true, "H", "F"}};
    constexpr int32_t selFirst = 333, selLast = selFirst + 100 * 16 + 7;
    for (const auto& [rangeName, rangeFlags] : ranges)
        for (const Decoration& d : decorations) {
            const std::string name = std::string(rangeName) + ", " + d.name;
            ShownEditor e(4096);
            e->SetShowRuler(d.ruler);
            e->SetTopRow(12);
            e->NewSelection(selFirst, selLast);
            const int64_t viewFirst = e->DisplayStart(), viewLast = e->DisplayEnd();
            const int64_t shownRows = (viewLast - viewFirst) / 16 + 1;
            ASSERT_GT(shownRows, 3) << name;
            int64_t first = 0, last = 4095;
            if (rangeFlags.Has(pfSelectionOnly)) {
                first = selFirst;
                last = selLast;
            } else if (rangeFlags.Has(pfCurrentViewOnly)) {
                first = viewFirst;
                last = viewLast;
            }
            std::vector<int64_t> expected;
            for (int64_t p = first; p <= last; p += 16) expected.push_back(p);

            TextRecorder device;
            QPainter painter(&device);
            TCanvas canvas(&painter);
            canvas.Font = QFont("Courier New", 10);
            const int lh = canvas.DeviceTextHeight("0");
            // A page holds about twice the shown rows.
            const TRect rect{0, 0, 1200, static_cast<int>((2 * shownRows + 4.5) * lh)};
            TOrixHCanvasPrinter printer(e.editor.get(), &canvas, rangeFlags, rect,
                                        {d.header, d.footer});
            ASSERT_GE(printer.PageCount(), rangeFlags.Has(pfCurrentViewOnly) ? 1 : 2) << name;
            std::vector<int64_t> printed;
            for (int32_t k = 1; k <= printer.PageCount(); ++k) {
                device.items.clear();
                const int32_t drawn = printer.PrintPage(false, k);
                const std::vector<int64_t> rows = device.RowOffsets();
                ASSERT_FALSE(rows.empty()) << name << " page " << k;
                EXPECT_EQ(drawn, static_cast<int32_t>(rows.size())) << name << " page " << k;
                EXPECT_LE(drawn, printer.RowsPerPage()) << name << " page " << k;
                if (!printed.empty()) {
                    EXPECT_EQ(rows.front(), printed.back() + 16) << name << " page " << k;
                }
                printed.insert(printed.end(), rows.begin(), rows.end());
            }
            EXPECT_EQ(printed, expected) << name;
            EXPECT_EQ(printer.PrintPage(false, printer.PageCount() + 1), -1) << name;
        }
}

TEST(PrintPages, CurrentViewOnlyCountsTheShownRows) {
    Printing p(Pattern(4096));
    TOrixHexEditorEx& e = *p.editor;
    e.SetTopRow(12);
    const int32_t first = e.DisplayStart(), last = e.DisplayEnd();
    ASSERT_EQ(first, 10 * 16);
    const int32_t shownRows = (last - first) / 16 + 1;
    ASSERT_GT(shownRows, 3);
    const int lh = p.page.LineHeight();
    TOrixHCanvasPrinter printer =
        p.Printer({pfCurrentViewOnly}, TRect{0, 0, 1200, 3 * lh}, {"", ""});
    EXPECT_EQ(printer.RowsPerPage(), 3);
    EXPECT_EQ(printer.PageCount(), (shownRows + 2) / 3);
    EXPECT_EQ(printer.PrintPage(false, printer.PageCount()), (shownRows - 1) % 3 + 1);
}

namespace {
int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test) {
    int n = 0;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            if (test(image.pixelColor(x, y))) ++n;
    return n;
}
const QColor kWhite(255, 255, 255), kBlack(0, 0, 0);
} // namespace

TEST(PrintDrawing, MonochromeIsBlackOnWhiteWithTheSelectionBold) {
    Printing p(std::vector<uint8_t>(64, 'A'));
    TOrixHexEditorEx& e = *p.editor;
    e.SetShowRuler(true);
    e.SetChanged(40, true);
    e.NewSelection(16, 31);
    const int lh = p.page.LineHeight(), w = p.page.CellWidth();
    TOrixHCanvasPrinter printer = p.Printer({pfSelectionBold, pfMonochrome, pfIncludeRuler},
                                            TRect{0, 0, 1200, 900}, {"Page %p", "End"});
    ASSERT_EQ(printer.PrintPage(false, 1), 4);
    const QFont before = p.page.canvas.Font;
    const QImage image = p.page.Finish();
    EXPECT_EQ(CountPixels(image, image.rect(), [](QColor c) { return c != kWhite && c != kBlack; }),
              0);
    // Header at 0, ruler at 2 line heights, rows from 3.5.
    const int rulerTop = 2 * lh, rowTop = rulerTop + 3 * lh / 2;
    auto ink = [&](int row) {
        return CountPixels(image, QRect(6 * w, rowTop + row * lh, 39 * w, lh),
                           [](QColor c) { return c == kBlack; });
    };
    EXPECT_GT(ink(1), ink(0)) << "the selected row is bold";
    EXPECT_EQ(ink(0), ink(3)) << "the caret's row prints its data plain";
    EXPECT_EQ(ink(2), ink(3)) << "a changed byte prints as any other";
    // The ruler is underlined, cell by cell, one pixel below its line.
    EXPECT_EQ(CountPixels(image, QRect(6 * w, rulerTop + lh + 1, 10 * w, 1),
                          [](QColor c) { return c == kBlack; }),
              10 * w);
    EXPECT_EQ(p.page.canvas.Font, before);
}

TEST(PrintDrawing, BackgroundColoursInvertTheSelection) {
    Printing p(std::vector<uint8_t>(64, 'A'));
    TOrixHexEditorEx& e = *p.editor;
    e.NewSelection(16, 31);
    const int lh = p.page.LineHeight(), w = p.page.CellWidth();
    TOrixHCanvasPrinter printer =
        p.Printer({pfSelectionBold, pfUseBackgroundColor}, TRect{0, 0, 1200, 900});
    ASSERT_EQ(printer.PrintPage(false, 1), 4);
    const QImage image = p.page.Finish();
    // Offsets without ":" take 5 cells; the first hex digit of rows 0 and 1.
    const QRect plain(5 * w, 0, w, lh), selected(5 * w, lh, w, lh);
    const QColor blue(0, 0, 255), yellow(255, 255, 0);
    EXPECT_GT(CountPixels(image, plain, [&](QColor c) { return c == blue; }), 0);
    EXPECT_GT(CountPixels(image, plain, [&](QColor c) { return c == kWhite; }), 0);
    EXPECT_EQ(CountPixels(image, selected, [&](QColor c) { return c == kWhite || c == blue; }), 0);
    EXPECT_GT(CountPixels(image, selected, [&](QColor c) { return c == yellow; }), 0);
    EXPECT_GT(CountPixels(image, selected, [&](QColor c) { return c == kBlack; }), 0);
    // Not bold: both digits carry the same ink.
    EXPECT_EQ(CountPixels(image, plain, [&](QColor c) { return c == blue; }),
              CountPixels(image, selected, [&](QColor c) { return c == yellow; }));
}

TEST(PrintDrawing, CanvasAfterAPage) {
    // The page finds a red font on a yellow brush in the transparent mode: it fills its cells
    // all the same, gives back the font with its colour and leaves its own solid brush.
    struct Case {
        TOrixHPrintFlags flags;
        TColor brush;
    };
    const std::vector<Case> cases = {
        {{pfSelectionBold, pfMonochrome}, clWhite},
        {{pfSelectionBold, pfUseBackgroundColor}, clWindow},
    };
    for (const Case& c : cases) {
        auto selectedRowInk = [&](bool transparent) {
            Printing p(std::vector<uint8_t>(64, 'A'));
            p.editor->NewSelection(16, 31);
            TCanvas& canvas = p.page.canvas;
            const QFont font = canvas.Font;
            canvas.FontColor = clRed;
            canvas.BrushColor = clYellow;
            canvas.TransparentText = transparent;
            const int lh = p.page.LineHeight();
            TOrixHCanvasPrinter printer = p.Printer(c.flags, TRect{0, 0, 1200, 900});
            EXPECT_EQ(printer.PrintPage(false, 1), 4);
            EXPECT_EQ(canvas.Font, font);
            EXPECT_EQ(canvas.FontColor, clRed);
            EXPECT_EQ(canvas.BrushColor, c.brush);
            EXPECT_FALSE(canvas.TransparentText);
            const QImage image = p.page.Finish();
            return CountPixels(image, QRect(0, lh, 1200, lh), [](QColor k) { return k == kBlack; });
        };
        EXPECT_EQ(selectedRowInk(true), selectedRowInk(false)) << int{c.flags.Bits};
    }
}

TEST(PrintDrawing, FirstRowShowsWhatHandlersChangedWhileTheRulerWasBuilt) {
    // Pending messages run before each line; a handler that changes the first byte while the
    // ruler is built shows on the first row, as if it had run before the page.
    auto page = [](bool changeWhileRuler) {
        Printing p(std::vector<uint8_t>(64, 'A'));
        TOrixHexEditorEx& e = *p.editor;
        e.SetShowRuler(true);
        if (!changeWhileRuler) e.SetDataAt(0, 'B');
        TOrixHCanvasPrinter printer =
            p.Printer({pfMonochrome, pfIncludeRuler}, TRect{0, 0, 1200, 900});
        int runs = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (++runs == 2 && changeWhileRuler) e.SetDataAt(0, 'B');
        });
        timer.start(0);
        EXPECT_EQ(printer.PrintPage(false, 1), 4);
        timer.stop();
        EXPECT_GE(runs, 3);
        return p.page.Finish();
    };
    EXPECT_EQ(page(true), page(false));
}

TEST(PrintDrawing, FontShrinksUntilTheRowFitsTheRectangle) {
    struct Case {
        const char* family;
        int width;
    };
    // A proportional font's text is narrower than its cells: the cells count.
    const std::vector<Case> cases = {
        {"Courier New", 400}, {"DejaVu Sans", 400}, {"Courier New", 3}};
    for (const Case& c : cases) {
        Printing p(Pattern(256));
        QFont font(c.family);
        font.setPointSize(10);
        font.setStyleStrategy(QFont::NoAntialias);
        p.page.canvas.Font = font;
        const int fullHeight = p.page.LineHeight();
        const TRect rect{0, 0, c.width, 10 * fullHeight};
        TOrixHCanvasPrinter printer = p.Printer({pfMonochrome}, rect);
        EXPECT_GT(printer.RowsPerPage(), 10) << c.family << " " << c.width;
        EXPECT_GT(printer.PrintPage(false, 1), 10);
        EXPECT_EQ(p.page.canvas.Font, font);
        const QImage image = p.page.Finish();
        EXPECT_EQ(CountPixels(image, QRect(c.width, 0, 1200, 900),
                              [](QColor col) { return col != kWhite; }),
                  0)
            << c.family << " " << c.width;
    }
}

TEST(PrintDrawing, UnicodeCharactersShrinkToTheirCell) {
    struct Case {
        int pointSize, pixelSize;
        QString text;
        int width;
    };
    const std::vector<Case> cases = {
        {10, -1, QString::fromUtf8("\xE4\xB8\xAD"), 5},
        {-1, 15, QString::fromUtf8("\xE4\xB8\xAD"), 5},
        {10, -1, "W", 1},
    };
    for (const Case& c : cases) {
        ImageCanvas page;
        QFont font("Courier New");
        if (c.pointSize > 0) font.setPointSize(c.pointSize);
        if (c.pixelSize > 0) font.setPixelSize(c.pixelSize);
        page.canvas.Font = font;
        ASSERT_GT(page.canvas.DeviceTextWidth(c.text), c.width);
        TOrixHCellRenderer::ShrinkToWidth(page.canvas, c.text, c.width);
        const QFont& shrunk = page.canvas.Font;
        EXPECT_GE(shrunk.pointSize(), 1);
        EXPECT_TRUE(page.canvas.DeviceTextWidth(c.text) <= c.width || shrunk.pointSize() == 1)
            << shrunk.pointSize();
        // One point larger would not fit.
        QFont larger = shrunk;
        larger.setPointSize(shrunk.pointSize() + 1);
        page.canvas.Font = larger;
        EXPECT_GT(page.canvas.DeviceTextWidth(c.text), c.width);
    }
}

TEST(PrintDrawing, UnicodeShrinkPicksTheSizeOfOnePointSteps) {
    // Characters of several fonts and widths, each shrunk twice (the second time from memory),
    // against a walk down one point at a time; then the same on a device of twice the
    // resolution, where what was measured and remembered on the first must not answer.
    std::mt19937 random(5);
    std::vector<QString> texts = {QString::fromUtf8("\xE4\xB8\xAD"), "W", "i",
                                  QString::fromUtf8("\xD0\xBA")};
    for (int i = 0; i < 16; ++i) texts.push_back(QString(QChar(static_cast<char16_t>(random()))));
    struct Device {
        int dpi;
        std::vector<int> pointSizes;
    };
    const std::vector<Device> devices = {{96, {10, 62}}, {192, {10, 24}}};
    for (const auto& [dpi, pointSizes] : devices) {
        ImageCanvas page(1200, 900, dpi);
        ASSERT_EQ(page.canvas.DevicePixelsPerInchY(), dpi);
        for (int pointSize : pointSizes)
            for (int width : {1, 12, 30})
                for (const QString& text : texts) {
                    QFont font("Courier New");
                    font.setPointSize(pointSize);
                    // The walk down one point at a time.
                    QFont f = font;
                    page.canvas.Font = f;
                    int expected = pointSize;
                    while (expected > 1 && page.canvas.DeviceTextWidth(text) > width) {
                        f.setPointSize(--expected);
                        page.canvas.Font = f;
                    }
                    for (int round = 0; round < 2; ++round) {
                        page.canvas.Font = font;
                        TOrixHCellRenderer::ShrinkToWidth(page.canvas, text, width);
                        EXPECT_EQ(page.canvas.Font.pointSize(), expected)
                            << dpi << " dpi " << pointSize << " " << width << " U+" << std::hex
                            << int{text[0].unicode()};
                    }
                }
    }
}

TEST(PrintPages, UnicodeWithOddDataPrintsItsLastPage) {
    Printing p({});
    p.editor->SetUnicodeCharacters(true);
    LoadBytes(*p.editor, Bytes("A\0B\0C\0D\0E\0F\0G\0H\0I\0J\0K\0L\0M\0N\0O\0P\0Q", 33));
    TOrixHCanvasPrinter printer = p.Printer({pfMonochrome}, TRect{0, 0, 1200, p.page.LineHeight()});
    ASSERT_EQ(printer.PageCount(), 3);
    EXPECT_EQ(printer.PrintPage(false, 3), 1);
    const TTextWithAttr last = printer.BuildRowText(32, 32, 4);
    EXPECT_EQ(last.Text.right(8).toStdString(), "Q       ");
}
