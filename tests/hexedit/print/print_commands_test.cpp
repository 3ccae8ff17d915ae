// The control's printing commands: margins in printer pixels, the print font, pages on a
// canvas, and whole documents printed to PDF files, read back with poppler's tools.
#include "print_test_env.h"

#include "metafile.h"
#include "orix_hex_error.h"
#include "printer.h"

#include <QFile>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

namespace {
// The program's printer, writing PDF at the given resolution on A4.
QPrinter& PdfPrinter(const QString& file, int dpi) {
    TestApp();
    QPrinter& device = Printer().Device();
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(file);
    device.setResolution(dpi);
    device.setPageSize(QPageSize(QPageSize::A4));
    return device;
}

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPages(const QString& file) {
    const QRegularExpression pages("^Pages:\\s+(\\d+)$", QRegularExpression::MultilineOption);
    const auto match = pages.match(RunTool("pdfinfo", {file}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Prints pages 1 to PrintNumPages as one document, as a host does.
int PrintDocument(TOrixHexEditorEx& editor) {
    TPrinter& printer = Printer();
    printer.BeginDoc();
    const int pages = editor.PrintNumPages();
    for (int k = 1; k <= pages; ++k) {
        if (k > 1) printer.NewPage();
        editor.Print(k);
    }
    printer.EndDoc();
    return pages;
}

// Set up as a host program sets the control up: a fixed 15-pixel font on screen and paper,
// 16 bytes a row, offsets written "0x...:", and changed bytes on a light colour that a
// monochrome print must turn white.
void HostSetUp(TOrixHexEditorEx& e) {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(15);
    e.setFont(font);
    e.SetPrintFontFrom(font);
    e.SetBytesPerRow(16);
    e.SetOffsetFormat("-!10:0x|");
    e.Colors().SetChangedBackground(0xA8FFFF);
}

void ExpectMessage(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error, expected " << message;
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), message);
    }
}
} // namespace

TEST(PrintOptions, DefaultsPropertiesAndAssign) {
    TOrixHPrintOptions options;
    EXPECT_EQ(options.property("MarginLeft").toInt(), 20);
    EXPECT_EQ(options.property("MarginTop").toInt(), 15);
    EXPECT_EQ(options.property("MarginRight").toInt(), 25);
    EXPECT_EQ(options.property("MarginBottom").toInt(), 25);
    EXPECT_EQ(options.Flags(), (TOrixHPrintFlags{pfSelectionBold, pfMonochrome}));
    EXPECT_EQ(options.property("Flags").toInt(), 0b110);
    EXPECT_EQ(options.property("PageHeader").toString(), "");

    // Index 1 left, 2 top, 3 right, anything else bottom.
    for (const auto& [index, name] :
         std::vector<std::pair<int, const char*>>{{1, "MarginLeft"},
                                                  {2, "MarginTop"},
                                                  {3, "MarginRight"},
                                                  {0, "MarginBottom"},
                                                  {4, "MarginBottom"},
                                                  {-7, "MarginBottom"}}) {
        options.SetMargin(index, 40 + index);
        EXPECT_EQ(options.property(name).toInt(), 40 + index) << index;
    }
    ASSERT_TRUE(options.setProperty("PageHeader", QString::fromUtf8("Seite %p · %f")));
    ASSERT_TRUE(options.setProperty("PageFooter", "%F"));
    ASSERT_TRUE(options.setProperty("Flags", 1 << pfIncludeRuler));
    EXPECT_EQ(options.GetHeader(0), "Seite %p · %f");
    EXPECT_EQ(options.GetHeader(1), "%F");

    TOrixHPrintOptions copy;
    copy.Assign(&options);
    EXPECT_EQ(copy.Headers(), options.Headers());
    EXPECT_EQ(copy.Flags(), TOrixHPrintFlags{pfIncludeRuler});
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(copy.GetMargin(i), options.GetMargin(i));

    QObject other;
    ExpectMessage([&] { copy.Assign(&other); }, "Cannot assign a QObject to a TOrixHPrintOptions");
    ExpectMessage([&] { copy.Assign(nullptr); }, "Cannot assign a nil to a TOrixHPrintOptions");
    EXPECT_EQ(copy.Flags(), TOrixHPrintFlags{pfIncludeRuler}) << "nothing copied";
}

TEST(PrintOptions, AreAPropertyOfTheControl) {
    ShownEditor e(16);
    auto* options = e->property("PrintOptions").value<QObject*>();
    ASSERT_EQ(options, &e->PrintOptions());
    ASSERT_TRUE(options->setProperty("MarginTop", 7));
    EXPECT_EQ(e->PrintOptions().GetMargin(2), 7);
    TOrixHPrintOptions source;
    source.SetHeader(0, "Page %p");
    ASSERT_TRUE(e->setProperty("PrintOptions", QVariant::fromValue<QObject*>(&source)));
    EXPECT_EQ(e->PrintOptions().GetHeader(0), "Page %p");
    EXPECT_EQ(e->PrintOptions().GetMargin(2), 15);
    QObject other;
    EXPECT_THROW(e->SetPrintOptions(&other), EConvertError);
}

TEST(PrintCommands, MarginRectInPrinterPixels) {
    QTemporaryDir dir;
    struct Case {
        int dpi;
        std::array<int32_t, 4> margins;
        int32_t left, top, rightInset, bottomInset; // -1: collapsed onto left or top
    };
    const int32_t big = INT32_MAX, small = INT32_MIN;
    const std::vector<Case> cases = {
        {300, {20, 15, 25, 25}, 236, 177, 295, 295},
        {600, {20, 15, 25, 25}, 472, 354, 591, 591},
        {1200, {20, 15, 25, 25}, 945, 709, 1181, 1181},
        {600, {0, 0, 0, 0}, 0, 0, 0, 0},
        {600, {-10, -1, -30, -40}, 0, 0, 0, 0},
        {600, {small, small, small, small}, 0, 0, 0, 0},
        {600, {1, 2, 3, 4}, 24, 47, 71, 94},
        {300, {150, 200, 150, 200}, -2, -2, -1, -1}, // overlap: empty, left edge at 150 mm
        {600, {100000, 100000, 1, 1}, -3, -3, -1, -1},
        {600, {big, big, big, big}, -3, -3, -1, -1},
    };
    for (const Case& c : cases) {
        PdfPrinter(dir.filePath("m.pdf"), c.dpi);
        ShownEditor e(16);
        for (int i = 0; i < 4; ++i)
            e->PrintOptions().SetMargin(i + 1, c.margins[static_cast<size_t>(i)]);
        const int32_t w = Printer().PageWidth(), h = Printer().PageHeight();
        const TRect r = e->PrinterMarginRect();
        const std::string name =
            std::to_string(c.dpi) + " dpi, left margin " + std::to_string(c.margins[0]);
        if (c.left >= 0) {
            EXPECT_EQ(r, (TRect{c.left, c.top, w - c.rightInset, h - c.bottomInset})) << name;
            continue;
        }
        EXPECT_TRUE(r.IsEmpty()) << name;
        EXPECT_GE(r.Left, 0) << name;
        EXPECT_LE(r.Right, w) << name;
        EXPECT_LE(r.Bottom, h) << name;
        if (c.left == -2) {
            EXPECT_EQ(r.Left, 1772) << name; // 150 mm at 300 dpi
        }
        if (c.left == -3) {
            EXPECT_EQ(r, (TRect{w, h, w, h})) << name;
        }
        EXPECT_EQ(e->PrintNumPages(), 0) << name;
    }
}

TEST(PrintCommands, PrintFontSizeAtThePrinterResolution) {
    struct Case {
        int points, pixels, printerDpi, screenDpi, expected;
    };
    const std::vector<Case> cases = {
        {10, 0, 600, 96, 62},                        // 62.5: halves to even
        {0, 15, 600, 96, 69},                        // the main window's font: 11 points, 68.75
        {0, 15, 300, 96, 34},                        // 34.375
        {10, 0, 300, 96, 31},                        // 31.25
        {10, 0, 1200, 96, 125}, {3, 0, 300, 72, 12}, // 12.5
        {1, 0, 36, 24, 2},                           // 1.5
        {0, 1, 96, 96, 1},                           // under one point still prints at 1
    };
    for (const Case& c : cases) {
        QFont font("Courier New");
        if (c.points) font.setPointSize(c.points);
        if (c.pixels) font.setPixelSize(c.pixels);
        EXPECT_EQ(OrixHPrintFontPoints(font, c.printerDpi, c.screenDpi), c.expected)
            << c.points << " pt " << c.pixels << " px at " << c.printerDpi;
    }
}

TEST(PrintCommands, PrintFontAndEditorFont) {
    QTemporaryDir dir;
    PdfPrinter(dir.filePath("f.pdf"), 300);
    ShownEditor e(40000);
    QFont editorFont("Courier New");
    editorFont.setPointSize(10);
    e->setFont(editorFont);
    const int withEditorFont = e->PrintNumPages();
    QFont small("Courier New");
    small.setPointSize(6);
    // Taken from a form description: the editor font is still used.
    e->SetPrintFontFrom(small);
    EXPECT_TRUE(e->property("UseEditorFontForPrinting").toBool());
    EXPECT_EQ(e->PrintNumPages(), withEditorFont);
    // Set as the property: printing uses it.
    ASSERT_TRUE(e->setProperty("PrintFont", small));
    EXPECT_FALSE(e->property("UseEditorFontForPrinting").toBool());
    const int withSmallFont = e->PrintNumPages();
    EXPECT_LT(withSmallFont, withEditorFont);
    ASSERT_TRUE(e->setProperty("UseEditorFontForPrinting", true));
    EXPECT_EQ(e->PrintNumPages(), withEditorFont);
}

TEST(PrintCommands, PrintToCanvasPagesAndErrors) {
    ShownEditor e(1000);
    const TCursor cursor = e->Cursor();
    ImageCanvas page;
    const QImage blank = page.image.copy();
    const TRect rect{0, 0, 1200, 20 * page.LineHeight()};
    const int pages = e->PrintToCanvas(page.canvas, 0, rect);
    EXPECT_EQ(pages, 4); // 63 rows, 20 a page
    EXPECT_EQ(page.image, blank) << "page 0 only counts";
    // With nothing selected, printing the selection only changes nothing.
    e->PrintOptions().SetFlags({pfSelectionOnly, pfMonochrome});
    EXPECT_EQ(e->PrintToCanvas(page.canvas, pages, rect), pages);
    EXPECT_NE(page.image, blank);
    e->NewSelection(0, 15);
    EXPECT_EQ(e->PrintToCanvas(page.canvas, 1, rect), 1);
    for (int bad : {-1, 2, INT32_MAX})
        ExpectMessage([&] { e->PrintToCanvas(page.canvas, bad, rect); }, "Invalid page index");
    EXPECT_EQ(e->Cursor(), cursor) << "the hourglass is undone";
}

TEST(PrintCommands, ControlDestroyedWhilePrintingEndsTheRequest) {
    TestApp();
    auto* editor = new TOrixHexEditorEx;
    LoadBytes(*editor, Pattern(4096));
    ImageCanvas page;
    QPointer<TOrixHexEditorEx> watch(editor);
    QTimer::singleShot(0, [editor] { delete editor; });
    ExpectMessage(
        [&] {
            editor->PrintToCanvas(page.canvas, 1, TRect{0, 0, 1200, 900});
        },
        "Printing failed");
    EXPECT_TRUE(watch.isNull());
}

TEST(PrintCommands, PrinterErrors) {
    QTemporaryDir dir;
    ShownEditor e(100);
    // An output file that cannot be written: the document does not start, nothing is printed.
    PdfPrinter("/nonexistent-folder/out.pdf", 300);
    EXPECT_THROW(Printer().BeginDoc(), EPrinter);
    EXPECT_FALSE(Printer().Printing());
    ExpectMessage([&] { e->Print(1); }, "Printer is not currently printing");
    EXPECT_FALSE(QFile::exists("/nonexistent-folder/out.pdf"));

    const QString file = dir.filePath("errors.pdf");
    PdfPrinter(file, 300);
    Printer().BeginDoc();
    for (int bad : {0, -1, 2}) ExpectMessage([&] { e->Print(bad); }, "Invalid page index");
    e->Print(1);
    Printer().EndDoc();
    EXPECT_EQ(PdfPages(file), 1);

    ShownEditor empty(0);
    EXPECT_EQ(empty->PrintNumPages(), 0);
    Printer().BeginDoc();
    ExpectMessage([&] { empty->Print(1); }, "Invalid page index");
    Printer().EndDoc();
}

TEST(PrintCommands, DocumentsToPdf) {
    QTemporaryDir dir;
    const QRegularExpression offsetAtStart("^\\s*0x([0-9A-F]+):");
    for (int size : {1, 100, 5001, 20000}) {
        const QString file = dir.filePath(QString("data%1.pdf").arg(size));
        PdfPrinter(file, 300);
        ShownEditor e(0);
        HostSetUp(*e);
        e->CreateEmptyFile("/home/user/dumps/flash.bin");
        const std::vector<uint8_t> data = Pattern(static_cast<size_t>(size));
        e->AppendBuffer(data.data(), size, "", false);
        e->PrintOptions().SetHeader(0, "Page %p of %P|%f|%d");
        e->NewSelection(20, 40);
        const int pages = PrintDocument(*e);
        ASSERT_GE(pages, 1);
        EXPECT_EQ(PdfPages(file), pages) << size;

        // pdftotext ends every page with a form feed.
        const QStringList texts = RunTool("pdftotext", {"-layout", file, "-"}).split('\f');
        ASSERT_EQ(texts.size(), pages + 1) << size;
        int64_t expectedFirst = 0;
        for (int k = 1; k <= pages; ++k) {
            const QString& text = texts[k - 1];
            EXPECT_TRUE(text.contains(QString("Page %1 of %2").arg(k).arg(pages))) << size;
            EXPECT_TRUE(text.contains("flash.bin")) << size;
            int64_t first = -1, last = -1;
            for (const QString& line : text.split('\n')) {
                const auto match = offsetAtStart.match(line);
                if (!match.hasMatch()) continue;
                const int64_t offset = match.captured(1).toLongLong(nullptr, 16);
                if (first < 0) first = offset;
                EXPECT_EQ(offset, last < 0 ? first : last + 16) << size << " page " << k;
                last = offset;
            }
            EXPECT_EQ(first, expectedFirst) << size << " page " << k;
            expectedFirst = last + 16;
        }
        EXPECT_EQ(expectedFirst - 16, (size - 1) / 16 * 16) << "the last page ends the data";
    }
}

TEST(PrintCommands, PrintedPagesAreMonochromeAtTheRightSize) {
    QTemporaryDir dir;
    const QString file = dir.filePath("mono.pdf");
    PdfPrinter(file, 600);
    ShownEditor e(640);
    HostSetUp(*e);
    e->SetChanged(5, true);
    e->NewSelection(16, 63);
    e->PrintOptions().SetHeader(0, "Page %p");
    ASSERT_EQ(PrintDocument(*e), 1);
    RunTool("pdftoppm",
            {"-r", "40", "-aa", "no", "-aaVector", "no", "-png", file, dir.filePath("mono")});
    QImage image(dir.filePath("mono-1.png"));
    ASSERT_FALSE(image.isNull());
    int black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            EXPECT_TRUE(c == QColor(Qt::white) || c == QColor(Qt::black)) << x << "," << y;
            if (c == QColor(Qt::black)) ++black;
            if (c != QColor(Qt::white) && c != QColor(Qt::black)) return;
        }
    EXPECT_GT(black, 1000);
    // The 15-pixel editor font prints at 11 points: "Page 1" is about that high.
    const QString boxes = RunTool("pdftotext", {"-bbox", file, "-"});
    const QRegularExpression word(
        "yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">Page</word>");
    const auto match = word.match(boxes);
    ASSERT_TRUE(match.hasMatch()) << boxes.left(500).toStdString();
    const double height = match.captured(2).toDouble() - match.captured(1).toDouble();
    EXPECT_GT(height, 9.0);
    EXPECT_LT(height, 16.0);
}
