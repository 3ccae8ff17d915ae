#pragma once
// What the fuzz targets share: window services that drop every box and answer every
// question No, the check of a loader's result, and the run of a record reader's core.
#include "streams.h"
#include "window_services.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

class FuzzServices : public SilentWindowServices {
public:
    std::string NextLogPrefix() override { return "001:"; }
    void ShowError(const std::string&) override { ++errors; }

    int errors = 0;
};

// A length outside the buffer is a finding.
inline void CheckResult(int32_t result, int32_t bufferSize) {
    if (result < 0 || result > bufferSize) std::abort();
}

// Feeds the bytes to the reader's core through a memory stream. The buffer is a heap block
// of exactly its size, so AddressSanitizer sees any store past it; 128 KiB lets records
// reach beyond the first 64 KiB block and past the end.
inline int FuzzRecordReader(const uint8_t* data, size_t size,
                            int32_t (*read)(TStream&, uint8_t*, int32_t, WindowServices&)) {
    static std::vector<uint8_t> buffer(0x20000);
    TMemoryStream source;
    source.Write(data, static_cast<int64_t>(size));
    source.SetPosition(0);
    FuzzServices services;
    const auto bufferSize = static_cast<int32_t>(buffer.size());
    CheckResult(read(source, buffer.data(), bufferSize, services), bufferSize);
    return 0;
}
