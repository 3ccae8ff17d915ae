// Printing 64 MiB from the hex editor: the page count and the preview of the first, the middle
// and the last page at 600 dpi, against the same with 1 KiB of data. Only the page asked for is
// laid out, so the large data costs what the small one does.
#include "flash_editor_form.h"
#include "metafile.h"
#include "orix_hex_editor_ex.h"
#include "printer.h"
#include "qt_bench_main.h"

#include <QDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {
constexpr int64_t kSmall = 1 << 10, kBig = 64 << 20;

// Freed before the application object goes.
std::map<int64_t, std::unique_ptr<TOrixHexEditorEx>> editors;

TOrixHexEditorEx& Editor(int64_t size) {
    auto& e = editors[size];
    if (!e) {
        QPrinter& device = Printer().Device();
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QDir::temp().filePath("bench_hexedit_print.pdf"));
        device.setResolution(600);
        device.setPageSize(QPageSize(QPageSize::A4));
        e = std::make_unique<TOrixHexEditorEx>();
        ApplyFlashEditorForm(*e);
        e->resize(1280, 720);
        TMemoryStream source;
        source.SetSize(size);
        for (int64_t i = 0; i < size; ++i) source.Memory()[i] = static_cast<uint8_t>(i * 13 + 7);
        e->LoadFromStream(source);
        e->PrintOptions().SetHeader(0, "Page %p of %P|%f|%d");
        e->show();
        QApplication::processEvents();
    }
    return *e;
}

void NumPages(benchmark::State& state, int64_t size) {
    TOrixHexEditorEx& e = Editor(size);
    int32_t pages = 0;
    for (auto _ : state) benchmark::DoNotOptimize(pages = e.PrintNumPages());
    state.counters["pages"] = pages;
}

// where: 0 first page, 1 middle, 2 last.
void Preview(benchmark::State& state, int64_t size, int where) {
    TOrixHexEditorEx& e = Editor(size);
    const int32_t pages = e.PrintNumPages();
    const int32_t page = where == 0 ? 1 : where == 1 ? (pages + 1) / 2 : pages;
    for (auto _ : state) {
        std::unique_ptr<TMetafile> metafile = e.PrintPreview(page);
        benchmark::DoNotOptimize(metafile.get());
    }
    state.counters["page"] = page;
}

BENCHMARK_CAPTURE(NumPages, 1KiB, kSmall)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(NumPages, 64MiB, kBig)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Preview, first_1KiB, kSmall, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Preview, first_64MiB, kBig, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Preview, middle_1KiB, kSmall, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Preview, middle_64MiB, kBig, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Preview, last_1KiB, kSmall, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Preview, last_64MiB, kBig, 2)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv, [] { editors.clear(); });
}
