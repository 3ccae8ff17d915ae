#pragma once
// The reference the insertions of the hex editor are measured against, in the same program so
// that the ratio comes from one run: a memmove of 64 MiB by one byte.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <vector>

inline void BM_Memmove64MiB(benchmark::State& state) {
    constexpr size_t kBytes = size_t{64} << 20;
    std::vector<uint8_t> block(kBytes + 1, 0x5A);
    for (auto _ : state) {
        std::memmove(block.data() + 1, block.data(), kBytes);
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memmove64MiB)->Unit(benchmark::kMillisecond);
