// Editing 64 MiB in the hex editor: typing one byte (with its undo record) against the same
// at 1 KiB, inserting and deleting one byte at the start and undoing each against a memmove
// of the data, and trimming the undo storage to MaxUndo when one 64 MiB record follows
// 30,000 small ones against a memmove of the storage.
#include "memmove_reference.h"
#include "orix_hex_editor_ex.h"
#include "qt_bench_main.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {
constexpr int64_t kBig = 64 << 20;

// Freed before the application object goes.
std::map<int64_t, std::unique_ptr<TOrixHexEditorEx>> editors;

std::unique_ptr<TOrixHexEditorEx> NewEditor(int64_t size) {
    auto e = std::make_unique<TOrixHexEditorEx>();
    e->resize(1280, 720);
    TMemoryStream source;
    source.SetSize(size);
    for (int64_t i = 0; i < size; ++i) source.Memory()[i] = static_cast<uint8_t>(i * 13 + 7);
    e->LoadFromStream(source);
    e->show();
    e->setFocus();
    QApplication::processEvents();
    return e;
}

// A shown editor with size bytes whose block has grown once (by an insert and its undo), so
// that the timed steps measure the editing and not the first growth of the block.
TOrixHexEditorEx& Editor(int64_t size) {
    auto& e = editors[size];
    if (!e) {
        e = NewEditor(size);
        const uint8_t byte = 0;
        e->InsertBuffer(&byte, 1, 0, "", false);
        e->Undo();
    }
    e->SetModified(false);
    e->SetInsertMode(false);
    e->SetMaxUndo(1048576);
    return *e;
}

void PutCaret(TCustomOrixHexEditor& e, int32_t pos) {
    const TGridCoord c = e.GetCursorAtPos(pos, false);
    e.MoveColRow(c.X, c.Y, true, true);
}

void TypeByte(benchmark::State& state, int64_t size) {
    TOrixHexEditorEx& e = Editor(size);
    const auto pos = static_cast<int32_t>(size / 2);
    int n = 0;
    for (auto _ : state) {
        PutCaret(e, pos);
        // Both digits of the byte, so that every iteration changes it.
        e.WMChar(static_cast<uint16_t>("0123456789abcdef"[n++ & 15]));
        e.WMChar('5');
    }
    state.counters["undo bytes"] = static_cast<double>(e.UndoStorage().GetSize());
}
void BM_TypeByte1KiB(benchmark::State& s) {
    TypeByte(s, 1024);
}
void BM_TypeByte64MiB(benchmark::State& s) {
    TypeByte(s, kBig);
}
BENCHMARK(BM_TypeByte1KiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeByte64MiB)->Unit(benchmark::kMicrosecond);

const uint8_t kByte = 0xA5;

void BM_InsertAtStart64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kBig);
    for (auto _ : state) {
        e.InsertBuffer(&kByte, 1, 0, "", false);
        state.PauseTiming();
        e.Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertAtStart64MiB)->Unit(benchmark::kMillisecond);

// The first insert after a load grows the block of the data (one reallocation).
void BM_FirstInsertAfterLoad64MiB(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TOrixHexEditorEx> e = NewEditor(kBig);
        state.ResumeTiming();
        e->InsertBuffer(&kByte, 1, 0, "", false);
        state.PauseTiming();
        e.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstInsertAfterLoad64MiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UndoInsert64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kBig);
    for (auto _ : state) {
        state.PauseTiming();
        e.InsertBuffer(&kByte, 1, 0, "", false);
        state.ResumeTiming();
        e.Undo();
    }
}
BENCHMARK(BM_UndoInsert64MiB)->Unit(benchmark::kMillisecond);

void BM_DeleteAtStart64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kBig);
    for (auto _ : state) {
        state.PauseTiming();
        PutCaret(e, 0);
        state.ResumeTiming();
        e.DeleteSelection("");
        state.PauseTiming();
        e.Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteAtStart64MiB)->Unit(benchmark::kMillisecond);

void BM_UndoDelete64MiB(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kBig);
    for (auto _ : state) {
        state.PauseTiming();
        PutCaret(e, 0);
        e.DeleteSelection("");
        state.ResumeTiming();
        e.Undo();
    }
}
BENCHMARK(BM_UndoDelete64MiB)->Unit(benchmark::kMillisecond);

// The storage holds 30,000 small records and then one of 64 MiB (the removal of all data,
// recorded with no limit); with MaxUndo back at its default the next record trims them.
void BM_TrimAfterHugeRecord(benchmark::State& state) {
    TOrixHexEditorEx& e = Editor(kBig);
    double storage = 0;
    for (auto _ : state) {
        state.PauseTiming();
        e.SetModified(false);
        e.SetMaxUndo(0);
        for (int i = 0; i < 30000; ++i) e.CreateUndo(ufKindBytesChanged, i, 1, 0, "");
        e.CreateUndo(ufKindByteRemoved, 0, static_cast<int32_t>(kBig), 0, "");
        e.SetMaxUndo(1048576);
        storage = static_cast<double>(e.UndoStorage().GetSize());
        state.ResumeTiming();
        e.CreateUndo(ufKindBytesChanged, 0, 1, 0, "");
    }
    state.counters["storage bytes"] = storage;
}
BENCHMARK(BM_TrimAfterHugeRecord)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MemmoveStorage(benchmark::State& state) {
    // The storage of the trim above: 30,000 records of 34 bytes and one of 64 MiB + 33.
    const size_t size = 30000 * 34 + static_cast<size_t>(kBig) + 33;
    std::vector<uint8_t> block(size + 64, 0x5A);
    for (auto _ : state) {
        std::memmove(block.data(), block.data() + 64, size);
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemmoveStorage)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv, [] { editors.clear(); });
}
