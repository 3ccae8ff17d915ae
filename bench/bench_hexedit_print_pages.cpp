// Printed pages to PDF, as a host prints them: full pages of 64 KiB of random data at 600 dpi
// (time and PDF bytes per page), a page of random data shown as unicode characters against
// the same page in single-byte characters at 300 and 600 dpi, and the view's own painting of
// such data. The PDFs stay in the temporary folder, named after their benchmark, so that two
// builds can be compared with pdftotext and pdftoppm.
#include "flash_editor_form.h"
#include "orix_hex_editor_ex.h"
#include "printer.h"
#include "qt_bench_main.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {
constexpr int64_t kDocument = 64 << 10, kUnicodePage = 4 << 10;

std::unique_ptr<TOrixHexEditorEx> editor;

TOrixHexEditorEx& Editor(int64_t size, bool unicode) {
    editor = std::make_unique<TOrixHexEditorEx>();
    ApplyFlashEditorForm(*editor);
    editor->resize(1280, 720);
    // Unicode mode is chosen before loading: it takes odd-sized data only as a load.
    editor->SetUnicodeCharacters(unicode);
    TMemoryStream source;
    source.SetSize(size);
    std::mt19937 random(27);
    for (int64_t i = 0; i < size; ++i) source.Memory()[i] = static_cast<uint8_t>(random());
    editor->LoadFromStream(source);
    editor->PrintOptions().SetHeader(0, "Page %p of %P|%f");
    editor->show();
    QApplication::processEvents();
    return *editor;
}

QString PdfFile(const char* name, int dpi) {
    return QDir::temp().filePath(
        QString("bench_hexedit_print_pages_%1_%2dpi.pdf").arg(name).arg(dpi));
}

// Prints pages first to last as one document; returns the PDF's size in bytes.
int64_t PrintPdf(TOrixHexEditorEx& e, const QString& file, int dpi, int32_t first, int32_t last) {
    QPrinter& device = Printer().Device();
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(file);
    device.setResolution(dpi);
    device.setPageSize(QPageSize(QPageSize::A4));
    TPrinter& printer = Printer();
    printer.BeginDoc();
    for (int32_t k = first; k <= last; ++k) {
        if (k > first) printer.NewPage();
        e.Print(k);
    }
    printer.EndDoc();
    return QFileInfo(file).size();
}

int32_t PagesAt(TOrixHexEditorEx& e, int dpi) {
    Printer().Device().setResolution(dpi);
    return e.PrintNumPages();
}

// Every full page of the 64 KiB (the last, partial page is left out).
void FullPages(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kDocument, false);
    const int dpi = static_cast<int>(state.range(0));
    const int32_t pages = PagesAt(e, dpi) - 1;
    const QString file = PdfFile("full_pages", dpi);
    int64_t bytes = 0;
    double ms = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        bytes = PrintPdf(e, file, dpi, 1, pages);
        ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }
    state.counters["pages"] = pages;
    state.counters["KB_per_page"] = static_cast<double>(bytes) / pages / 1000.0;
    state.counters["ms_per_page"] = ms / pages;
}

// Milliseconds for a page of 4 KiB of random data printed for the first time, as a one-page
// document; other pages printed before it load the fonts.
double PageMilliseconds(bool unicode, int dpi, const QString& file) {
    TOrixHexEditorEx& e = Editor(kUnicodePage, unicode);
    const int32_t pages = PagesAt(e, dpi);
    for (int32_t k = 2; k <= pages; ++k) PrintPdf(e, file, dpi, k, k);
    QElapsedTimer timer;
    timer.start();
    PrintPdf(e, file, dpi, 1, 1);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The unicode page against the single-byte page of the same data.
void UnicodePage(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    double ascii = 0, unicode = 0;
    for (auto _ : state) {
        ascii = PageMilliseconds(false, dpi, PdfFile("ascii_page", dpi));
        unicode = PageMilliseconds(true, dpi, PdfFile("unicode_page", dpi));
    }
    state.counters["ascii_ms"] = ascii;
    state.counters["unicode_ms"] = unicode;
    state.counters["ratio"] = unicode / ascii;
}

// One full paint of the 1280 x 720 view of random data.
void ViewPaint(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kUnicodePage, state.range(0) != 0);
    QImage image(e.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        e.render(&painter);
    }
}

BENCHMARK(FullPages)->Arg(600)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(UnicodePage)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ViewPaint)->ArgName("unicode")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv, [] { editor.reset(); });
}
