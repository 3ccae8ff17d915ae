// Find and nibble insertion on 64 MiB of random data in the hex editor, with the progress
// reports on: Find of an 8-byte pattern that matches only at the very end, plain, with ignore
// case and with one wildcard, against glibc memmem on the same bytes; InsertNibble at
// position 0 against a memmove of the data.
#include "memmove_reference.h"
#include "orix_hex_editor_ex.h"
#include "qt_bench_main.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {
constexpr int64_t kBig = 64 << 20;
constexpr int32_t kPatternLength = 8;

std::vector<uint8_t>& Bytes() {
    static std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(static_cast<size_t>(kBig));
        std::mt19937_64 random(64);
        for (size_t i = 0; i < b.size(); i += 8) {
            const uint64_t v = random();
            std::memcpy(b.data() + i, &v, 8);
        }
        return b;
    }();
    return bytes;
}

const uint8_t* EndPattern() {
    return Bytes().data() + kBig - kPatternLength;
}

// Freed before the application object goes.
std::unique_ptr<TOrixHexEditorEx> editor;

TOrixHexEditorEx& Editor() {
    if (!editor) {
        editor = std::make_unique<TOrixHexEditorEx>();
        editor->resize(1280, 720);
        TMemoryStream source;
        source.WriteBuffer(Bytes().data(), kBig);
        editor->LoadFromStream(source);
        editor->show();
        QApplication::processEvents();
        editor->SetFindProgress(true);
        editor->OnProgress = [](TCustomOrixHexEditor*, TOrixHProgressKind, const std::string&,
                                uint8_t percent, bool&) { benchmark::DoNotOptimize(percent); };
    }
    editor->SetModified(false);
    return *editor;
}

void Expect(benchmark::State& state, int64_t found) {
    if (found != kBig - kPatternLength) state.SkipWithError("the match at the end was not found");
}

void BM_Memmem64MiB(benchmark::State& state) {
    const std::vector<uint8_t>& b = Bytes();
    for (auto _ : state) {
        const void* hit = ::memmem(b.data(), b.size(), EndPattern(), kPatternLength);
        benchmark::DoNotOptimize(hit);
        Expect(state, hit ? static_cast<const uint8_t*>(hit) - b.data() : -1);
    }
}
BENCHMARK(BM_Memmem64MiB)->Unit(benchmark::kMillisecond);

void BM_Find64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor();
    for (auto _ : state) Expect(state, e.Find(EndPattern(), kPatternLength, 0, INT32_MAX, false));
}
BENCHMARK(BM_Find64MiB)->Unit(benchmark::kMillisecond);

void BM_FindIgnoreCase64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor();
    const std::string pattern = e.PrepareFindReplaceData(
        std::string(reinterpret_cast<const char*>(EndPattern()), kPatternLength), true, false);
    for (auto _ : state) Expect(state, e.Find(pattern.data(), kPatternLength, 0, INT32_MAX, true));
}
BENCHMARK(BM_FindIgnoreCase64MiB)->Unit(benchmark::kMillisecond);

void BM_FindWithWildcard64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor();
    std::string pattern(reinterpret_cast<const char*>(EndPattern()), kPatternLength);
    // A wildcard byte that no other pattern byte equals, in the middle.
    char wildcard = 0;
    while (pattern.find(wildcard) != std::string::npos) ++wildcard;
    pattern[3] = wildcard;
    for (auto _ : state)
        Expect(state,
               e.FindWithWildcard(pattern.data(), kPatternLength, 0, INT32_MAX, false, wildcard));
}
BENCHMARK(BM_FindWithWildcard64MiB)->Unit(benchmark::kMillisecond);

// Each insertion is followed, outside the timing, by the deletion of the same nibble, which
// gives back the data with one more zero byte at the end (an undo would first have to free
// the whole-data copy its redo keeps).
void BM_InsertNibble64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor();
    // The block grows once, outside the timing, as it does for the first insertion after a load.
    e.InsertNibble(0, true, "");
    e.DeleteNibble(0, true, "");
    for (auto _ : state) {
        e.InsertNibble(0, true, "");
        state.PauseTiming();
        e.DeleteNibble(0, true, "");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertNibble64MiB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv, [] { editor.reset(); });
}
