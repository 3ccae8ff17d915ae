// Feeds arbitrary bytes to the reader's core through a memory stream. The buffer is a heap
// block of exactly its size, so AddressSanitizer sees any store past it; 128 KiB lets
// records reach beyond the first 64 KiB block and past the end.
#include "fuzz_services.h"
#include "srecord.h"
#include "streams.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> buffer(0x20000);
    TMemoryStream source;
    source.Write(data, static_cast<int64_t>(size));
    source.SetPosition(0);
    FuzzServices services;
    const auto bufferSize = static_cast<int32_t>(buffer.size());
    CheckResult(ReadSRecord(source, buffer.data(), bufferSize, services), bufferSize);
    return 0;
}
