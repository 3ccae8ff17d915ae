// The hex editor with 64 MiB loaded: loading against a plain copy (again and the first time),
// one full paint of a 1920 x 1080 view at the start, middle and end of the data and with
// 1 KiB, and the jump to the last row. The memory the control uses beyond its copy of the data is
// printed once.
#include "orix_hex_editor_ex.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <vector>

namespace {
constexpr int64_t kBig = 64 << 20;

TMemoryStream& Source(int64_t size) {
    static std::map<int64_t, std::unique_ptr<TMemoryStream>> streams;
    auto& s = streams[size];
    if (!s) {
        s = std::make_unique<TMemoryStream>();
        s->SetSize(size);
        for (int64_t i = 0; i < size; ++i) s->Memory()[i] = static_cast<uint8_t>(i * 13 + 7);
    }
    return *s;
}

// The shown editors, one per data size; emptied before the application object goes.
std::map<int64_t, std::unique_ptr<TOrixHexEditorEx>>& Editors() {
    static std::map<int64_t, std::unique_ptr<TOrixHexEditorEx>> editors;
    return editors;
}

TOrixHexEditorEx& Editor(int64_t size) {
    auto& e = Editors()[size];
    if (!e) {
        e = std::make_unique<TOrixHexEditorEx>();
        e->SetShowRuler(true);
        e->resize(1920, 1080);
        e->LoadFromStream(Source(size));
        e->show();
        e->setFocus();
        QApplication::processEvents();
    }
    return *e;
}

void BM_LoadFromStream64MiB(benchmark::State& state) {
    TOrixHexEditorEx editor;
    TMemoryStream& source = Source(kBig);
    editor.LoadFromStream(source); // maps the block once; the first load is measured below
    for (auto _ : state) editor.LoadFromStream(source);
    state.SetBytesProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_LoadFromStream64MiB)->Unit(benchmark::kMillisecond);

void BM_Memcpy64MiB(benchmark::State& state) {
    TMemoryStream& source = Source(kBig);
    std::vector<uint8_t> target(static_cast<size_t>(kBig));
    for (auto _ : state) {
        std::memcpy(target.data(), source.Memory(), static_cast<size_t>(kBig));
        benchmark::DoNotOptimize(target.data());
    }
    state.SetBytesProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_Memcpy64MiB)->Unit(benchmark::kMillisecond);

// The first load into a new control, whose block is not yet mapped, against a copy into new,
// untouched memory: both pay for the first touch of every page.
void BM_LoadFromStream64MiBFirst(benchmark::State& state) {
    TMemoryStream& source = Source(kBig);
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<TOrixHexEditorEx>();
        state.ResumeTiming();
        editor->LoadFromStream(source);
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_LoadFromStream64MiBFirst)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Memcpy64MiBFirst(benchmark::State& state) {
    TMemoryStream& source = Source(kBig);
    for (auto _ : state) {
        state.PauseTiming();
        auto target = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(kBig));
        state.ResumeTiming();
        std::memcpy(target.get(), source.Memory(), static_cast<size_t>(kBig));
        benchmark::DoNotOptimize(target.get());
        state.PauseTiming();
        target.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_Memcpy64MiBFirst)->Unit(benchmark::kMillisecond)->Iterations(5);

// where: 0 start, 1 middle, 2 end.
void Paint(benchmark::State& state, int64_t size, int where) {
    TOrixHexEditorEx& e = Editor(size);
    const int32_t pos = where == 0   ? 0
                        : where == 1 ? static_cast<int32_t>(size / 2)
                                     : static_cast<int32_t>(size - 1);
    e.Seek(pos, 0);
    e.NewSelection(pos, std::min<int32_t>(pos + 40, static_cast<int32_t>(size - 1)));
    QImage image(e.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        e.viewport()->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}
void BM_Paint1080pStart(benchmark::State& s) {
    Paint(s, kBig, 0);
}
void BM_Paint1080pMiddle(benchmark::State& s) {
    Paint(s, kBig, 1);
}
void BM_Paint1080pEnd(benchmark::State& s) {
    Paint(s, kBig, 2);
}
void BM_Paint1080p1KiB(benchmark::State& s) {
    Paint(s, 1024, 0);
}
BENCHMARK(BM_Paint1080pStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint1080pMiddle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint1080pEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint1080p1KiB)->Unit(benchmark::kMillisecond);

void BM_JumpToLastRow(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kBig);
    for (auto _ : state) {
        e.Seek(0, 0);
        e.Seek(0, 2);
        benchmark::DoNotOptimize(e.TopRow());
    }
}
BENCHMARK(BM_JumpToLastRow)->Unit(benchmark::kMicrosecond);

int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Bytes the heap has handed out now, small blocks and mapped ones alike.
int64_t HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

void ReportMemory() {
    // The same control shown and painted empty, then with 64 MiB loaded, moved to the middle,
    // a selection made and painted again: what the heap and the resident set grew by beyond
    // the 64 MiB copy is what the data costs the control.
    TMemoryStream& source = Source(kBig);
    auto e = std::make_unique<TOrixHexEditorEx>();
    e->SetShowRuler(true);
    e->resize(1920, 1080);
    e->show();
    e->setFocus();
    QImage image(e->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QApplication::processEvents();
    e->viewport()->render(&image);
    const int64_t heapBefore = HeapBytes();
    const int64_t residentBefore = ResidentBytes();
    e->LoadFromStream(source);
    e->Seek(static_cast<int32_t>(kBig / 2), 0);
    e->NewSelection(static_cast<int32_t>(kBig / 2), static_cast<int32_t>(kBig / 2) + 4096);
    QApplication::processEvents();
    e->viewport()->render(&image);
    const int64_t heapAfter = HeapBytes();
    const int64_t residentAfter = ResidentBytes();
    const double mib = 1 << 20;
    std::printf("control memory beyond its 64 MiB copy: heap %.2f MiB, resident %.2f MiB\n",
                static_cast<double>(heapAfter - heapBefore - kBig) / mib,
                static_cast<double>(residentAfter - residentBefore - kBig) / mib);
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Source(kBig);
    ReportMemory();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Editors().clear();
    return 0;
}
