// Arbitrary bytes through the S-record reader's core.
#include "fuzz_services.h"
#include "srecord.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzRecordReader(data, size, ReadSRecord);
}
