#pragma once
// 16 bytes handled at once by the compiler's vector extension (SSE2 on x86-64, plain code
// where the target has no vector unit), for the byte loops of the hex editor's data.
#include <cstdint>
#include <cstring>

using TByteLane = uint8_t __attribute__((vector_size(16)));
constexpr int64_t kByteLane = sizeof(TByteLane);

inline TByteLane LoadByteLane(const uint8_t* p) {
    TByteLane lane;
    std::memcpy(&lane, p, kByteLane);
    return lane;
}

inline void StoreByteLane(uint8_t* p, const TByteLane& lane) {
    std::memcpy(p, &lane, kByteLane);
}
