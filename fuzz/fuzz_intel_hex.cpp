// Arbitrary bytes through the Intel HEX reader's core.
#include "fuzz_services.h"
#include "intel_hex.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzRecordReader(data, size, ReadIntelHex);
}
