// Load and save of one 64 MiB random image as Intel HEX and as S-records, beside objcopy
// and srec_cat run as processes on the same files. Every reader reads the file our
// writer made; the tools' read converts to binary and their write converts from binary,
// as each tool must. Prints the ratios at the end.
#include "image_records.h"
#include "intel_hex.h"
#include "srecord.h"
#include "window_services.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kImageSize = 0x4000000;

class QuietServices : public SilentWindowServices {
public:
    void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    bool AskYesNo(const std::string&) override { return true; }
};

struct Files {
    std::filesystem::path folder;
    std::vector<uint8_t> image;
    std::string Path(const std::string& name) const { return (folder / name).string(); }

    Files() : image(kImageSize) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bench_image.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        std::mt19937 generator(1);
        for (size_t i = 0; i < image.size(); i += 4) {
            const uint32_t word = generator();
            std::memcpy(&image[i], &word, 4);
        }
        std::ofstream(Path("image.bin"), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), kImageSize);
        // The files every reader reads: our writer's.
        ImageStreamCell cell;
        WriteIntelHexFile(cell, Path("image.hex"), image.data(), kImageSize);
        WriteSRecordFile(cell, Path("image.srec"), image.data(), kImageSize);
    }
    ~Files() { std::filesystem::remove_all(folder); }
};

Files& TheFiles() {
    static Files files;
    return files;
}

std::map<std::string, double> seconds; // best time of each benchmark

void Record(benchmark::State& state, const std::string& name, double elapsed) {
    state.SetIterationTime(elapsed);
    auto [it, fresh] = seconds.emplace(name, elapsed);
    if (!fresh && elapsed < it->second) it->second = elapsed;
}

template <typename Body> double Timed(Body body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Run(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
}

void OursRead(benchmark::State& state, bool intel) {
    Files& f = TheFiles();
    std::vector<uint8_t> buffer(kImageSize, 0xFF);
    QuietServices services;
    for (auto _ : state) {
        int32_t result = 0;
        Record(state, std::string("ours read ") + (intel ? "hex" : "srec"), Timed([&] {
                   ImageStreamCell cell;
                   result = intel ? ReadIntelHexFile(cell, f.Path("image.hex"), buffer.data(),
                                                     kImageSize, services)
                                  : ReadSRecordFile(cell, f.Path("image.srec"), buffer.data(),
                                                    kImageSize, services);
               }));
        if (result != kImageSize || buffer != f.image) state.SkipWithError("wrong bytes");
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

void OursWrite(benchmark::State& state, bool intel) {
    Files& f = TheFiles();
    for (auto _ : state) {
        Record(state, std::string("ours write ") + (intel ? "hex" : "srec"), Timed([&] {
                   ImageStreamCell cell;
                   if (intel)
                       WriteIntelHexFile(cell, f.Path("ours.hex"), f.image.data(), kImageSize);
                   else
                       WriteSRecordFile(cell, f.Path("ours.srec"), f.image.data(), kImageSize);
               }));
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

void ToolRun(benchmark::State& state, const std::string& name, const std::string& command) {
    for (auto _ : state) Record(state, name, Timed([&] { Run(command); }));
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

// Each run takes a second or more: three iterations of wall-clock time each, the best kept,
// as the machine may be busy with other work.
void Setup(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
}

void RegisterAll() {
    Files& f = TheFiles();
    const auto p = [&](const char* name) { return f.Path(name); };
    for (const bool intel : {true, false}) {
        const std::string kind = intel ? "hex" : "srec";
        const std::string bfd = intel ? "ihex" : "srec";
        const std::string sc = intel ? "-Intel" : "-Motorola";
        const std::string file = p(intel ? "image.hex" : "image.srec");
        Setup(benchmark::RegisterBenchmark(("ours read " + kind).c_str(), OursRead, intel));
        Setup(benchmark::RegisterBenchmark(
            ("objcopy read " + kind).c_str(), ToolRun, "objcopy read " + kind,
            "objcopy -I " + bfd + " -O binary " + file + " " + p("o.bin")));
        Setup(benchmark::RegisterBenchmark(
            ("srec_cat read " + kind).c_str(), ToolRun, "srec_cat read " + kind,
            "srec_cat " + file + " " + sc + " -o " + p("s.bin") + " -Binary"));
        Setup(benchmark::RegisterBenchmark(("ours write " + kind).c_str(), OursWrite, intel));
        Setup(benchmark::RegisterBenchmark(
            ("objcopy write " + kind).c_str(), ToolRun, "objcopy write " + kind,
            "objcopy -I binary -O " + bfd + " " + p("image.bin") + " " + p(("o." + kind).c_str())));
        Setup(benchmark::RegisterBenchmark(
            ("srec_cat write " + kind).c_str(), ToolRun, "srec_cat write " + kind,
            "srec_cat " + p("image.bin") + " -Binary -o " + p(("s." + kind).c_str()) + " " + sc));
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\n64 MiB random image, best times; ratio = tool time / our time\n");
    for (const char* op : {"read", "write"}) {
        for (const char* kind : {"hex", "srec"}) {
            const std::string suffix = std::string(op) + " " + kind;
            const double ours = seconds["ours " + suffix];
            if (ours <= 0) continue;
            std::printf("%-11s ours %7.3f s  objcopy %7.3f s (x%.2f)  srec_cat %7.3f s (x%.2f)\n",
                        suffix.c_str(), ours, seconds["objcopy " + suffix],
                        seconds["objcopy " + suffix] / ours, seconds["srec_cat " + suffix],
                        seconds["srec_cat " + suffix] / ours);
        }
    }
    benchmark::Shutdown();
    return 0;
}
