// Host time per chunk of Read, Verify and Write of a 64 MiB chip (page 256) through the
// emulated programmer, against a bare loop of the same libusb calls: unthrottled (a real
// progress bar moved and messages run at every chunk) and throttled (the main window's own
// services, which move the bar by thousandths and run messages every 10 ms).
//
//   LD_LIBRARY_PATH=build/tests/emulator QT_QPA_PLATFORM=offscreen build/bin/bench_engine
#include "chip_routines.h"
#include "device_session.h"
#include "dialogs_message.h"
#include "emulator/emulator_api.h"
#include "main_form.h"
#include "programmer_state.h"
#include "sysutils.h"
#include "usb_bulk.h"
#include "window_services.h"

#include <QApplication>
#include <QProgressBar>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

constexpr uint32_t kCapacity = 0x4000000;
constexpr uint32_t kChunk = 256;
constexpr int64_t kChunks = kCapacity / kChunk;

// Unthrottled: a real progress bar moved at every chunk and a message run at every chunk.
class ProgressBarServices : public SilentWindowServices {
public:
    explicit ProgressBarServices(QProgressBar& bar) : bar_(bar) {}
    void ShowProgress() override { bar_.show(); }
    void HideProgress() override { bar_.hide(); }
    void SetProgressMax(uint32_t maximum) override { bar_.setMaximum(static_cast<int>(maximum)); }
    void SetProgressPosition(uint32_t position) override {
        bar_.setValue(static_cast<int>(position));
    }
    void ShowError(const std::string&) override { ++errors; }
    bool AskYesNo(const std::string&) override { return true; }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    int errors = 0;

private:
    QProgressBar& bar_;
};

// The chip of every run: 64 MiB, page 256, in the emulator and in record 0 of a table.
void PutChip(ProgrammerState& state) {
    ChipRecord& chip = state.ChipTable[0];
    SetChipName(chip, "bench,chip,64M");
    chip.Capacity = kCapacity;
    chip.PageSize = kChunk;
    state.DataLength = static_cast<int32_t>(kCapacity);
}

struct World {
    World() {
        emu.reset();
        emu.set_recording(0);
        emu.set_chip(0, kCapacity, kChunk, 0xEF4020);
        PutChip(state);
        bar.setRange(0, 100);
        bar.show();
        // Throttled: the main window itself, shown, with its own services.
        SetMessageBoxHook([this](const MessageBoxRequest&) {
            ++windowErrors;
            return IDYES;
        });
        PutChip(form.State);
        form.show();
        QCoreApplication::processEvents();
    }
    EmulatorApi emu;
    ProgrammerState state;
    QProgressBar bar;
    ProgressBarServices ui{bar};
    DeviceSession session{state, ui};
    TForm1 form;
    DeviceSession windowSession{form.State, form};
    int windowErrors = 0;
};

World* world = nullptr;

using Routine = RoutineResult (*)(DeviceSession&, const ChipRecord&);

void RunRoutine(benchmark::State& st, Routine routine) {
    World& w = *world;
    const bool throttled = st.range(0) != 0;
    DeviceSession& session = throttled ? w.windowSession : w.session;
    ProgrammerState& state = throttled ? w.form.State : w.state;
    for (auto _ : st) {
        if (!session.BeginSession()) st.SkipWithError("no programmer");
        state.DataLength = static_cast<int32_t>(kCapacity);
        benchmark::DoNotOptimize(routine(session, state.ChipTable[0]));
        session.EndSession();
    }
    if (w.ui.errors || w.windowErrors) st.SkipWithError("transfer failed");
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
    // The main window reads its settings beside its program: a folder of its own.
    char folder[] = "/tmp/bench_engine_XXXXXX";
    if (mkdtemp(folder) != nullptr) SetApplicationExeName(std::string(folder) + "/Pyrolan");
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
    std::filesystem::remove_all(folder);
    return 0;
}
