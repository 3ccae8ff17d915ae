// Host time per chunk of Read, Verify and Write of a 64 MiB chip (page 256) through the
// emulated programmer, with a real progress bar, against a bare loop of the same libusb calls.
//
//   LD_LIBRARY_PATH=build/tests/emulator QT_QPA_PLATFORM=offscreen build/bin/bench_engine
#include "chip_routines.h"
#include "device_session.h"
#include "emulator/emulator_api.h"
#include "programmer_state.h"
#include "usb_bulk.h"
#include "window_services.h"

#include <QApplication>
#include <QProgressBar>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kCapacity = 0x4000000;
constexpr uint32_t kChunk = 256;
constexpr int64_t kChunks = kCapacity / kChunk;

// The window's part as a real progress bar and a real message run; the rest does nothing.
class ProgressBarServices : public WindowServices {
public:
    explicit ProgressBarServices(QProgressBar& bar) : bar_(bar) {}
    void SetStatusText(const std::string&) override {}
    void ShowProgress() override { bar_.show(); }
    void HideProgress() override { bar_.hide(); }
    void SetProgressMax(uint32_t maximum) override { bar_.setMaximum(static_cast<int>(maximum)); }
    void SetProgressPosition(uint32_t position) override {
        // Throttled: the bar moves only when the value changes by a thousandth of its range.
        if (throttled && position != 0 &&
            position - static_cast<uint32_t>(bar_.value()) <
                static_cast<uint32_t>(bar_.maximum()) / 1000)
            return;
        bar_.setValue(static_cast<int>(position));
    }
    void SetElapsedText(const std::string&) override {}
    std::string NextLogPrefix() override { return "001:"; }
    void AddLogLine(const std::string&) override {}
    void ShowError(const std::string&) override { ++errors; }
    bool AskYesNo(const std::string&) override { return true; }
    void ShowInformation(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    void ProcessMessages() override {
        // Throttled: pending messages run at most every 10 ms, which still repaints smoothly.
        if (throttled) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastRun_ < std::chrono::milliseconds(10)) return;
            lastRun_ = now;
        }
        QCoreApplication::processEvents();
    }
    void Beep() override {}
    void SetControlsEnabled(bool) override {}
    int32_t SpeedIndex() override { return 0; }
    AutoOptionSet AutoOptions() override { return {}; }
    void SelectChip(int32_t, int32_t, int32_t) override {}
    int32_t ChipListIndexOf(ChipList, const std::string&) override { return -1; }
    int32_t ChipListItemIndex(ChipList) override { return -1; }
    std::string ChipListText(ChipList) override { return {}; }
    void ReloadHexView(uint32_t) override {}
    void TakeHexViewEdits() override {}
    int errors = 0;
    bool throttled = false;

private:
    QProgressBar& bar_;
    std::chrono::steady_clock::time_point lastRun_{};
};

struct World {
    World() {
        emu.reset();
        emu.set_recording(0);
        emu.set_chip(0, kCapacity, kChunk, 0xEF4020);
        ChipRecord& chip = state.ChipTable[0];
        SetChipName(chip, "bench,chip,64M");
        chip.Capacity = kCapacity;
        chip.PageSize = kChunk;
        state.DataLength = static_cast<int32_t>(kCapacity);
        bar.setRange(0, 100);
        bar.show();
    }
    EmulatorApi emu;
    ProgrammerState state;
    QProgressBar bar;
    ProgressBarServices ui{bar};
    DeviceSession session{state, ui};
};

World* world = nullptr;

using Routine = RoutineResult (*)(DeviceSession&, const ChipRecord&);

void RunRoutine(benchmark::State& st, Routine routine) {
    World& w = *world;
    w.ui.throttled = st.range(0) != 0;
    for (auto _ : st) {
        if (!w.session.BeginSession()) st.SkipWithError("no programmer");
        w.state.DataLength = static_cast<int32_t>(kCapacity);
        benchmark::DoNotOptimize(routine(w.session, w.state.ChipTable[0]));
        w.session.EndSession();
    }
    if (w.ui.errors) st.SkipWithError("transfer failed");
    st.counters["ns_per_chunk"] =
        benchmark::Counter(static_cast<double>(kChunks) * static_cast<double>(st.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The same libusb calls per chunk and nothing else: the session's open and start address
// through the link, then one bulk transfer per chunk on the link's handle.
void RunBare(benchmark::State& st, bool write) {
    World& w = *world;
    void* lib = dlopen("libusb-0.1.so.4", RTLD_NOW | RTLD_NOLOAD);
    using Bulk = int (*)(usb_dev_handle*, int, char*, int, int);
    auto bulk = reinterpret_cast<Bulk>(dlsym(lib, write ? "usb_bulk_write" : "usb_bulk_read"));
    uint8_t* buffer = w.state.ImageBuffer.get();
    for (auto _ : st) {
        TUsbBulk& link = *w.state.UsbLink;
        link.prog_open(kProgrammerVendorId, kProgrammerProductId);
        w.session.SetStartAddress(0, !write);
        const int ep = write ? link.ep_write : link.ep_read;
        for (uint32_t pos = 0; pos < kCapacity; pos += kChunk)
            benchmark::DoNotOptimize(
                bulk(link.dev_handle, ep, reinterpret_cast<char*>(buffer + pos), kChunk, 5000));
        link.USB_bulk_close();
    }
    st.counters["ns_per_chunk"] =
        benchmark::Counter(static_cast<double>(kChunks) * static_cast<double>(st.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    dlclose(lib);
}

void BM_BareRead(benchmark::State& st) {
    RunBare(st, false);
}
void BM_Read(benchmark::State& st) {
    RunRoutine(st, ReadChip);
}
void BM_Verify(benchmark::State& st) {
    RunRoutine(st, VerifyChip);
}
void BM_BareWrite(benchmark::State& st) {
    RunBare(st, true);
}
void BM_Write(benchmark::State& st) {
    RunRoutine(st, WriteChip);
}

BENCHMARK(BM_BareRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Read)
    ->ArgName("throttled")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_Verify)
    ->ArgName("throttled")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_BareWrite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Write)
    ->ArgName("throttled")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        World w;
        world = &w;
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        // Run without the emulator first on the library path: nothing to measure.
        fprintf(stderr, "bench_engine: %s\n(run with LD_LIBRARY_PATH=build/tests/emulator)\n",
                e.what());
    }
    benchmark::Shutdown();
    return 0;
}
