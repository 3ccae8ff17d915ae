#include "image_fill.h"

#include <cstdlib>
#include <cstring>

bool FillRangeValid(int64_t start, int64_t end) {
    return start >= 0 && start <= end && end <= kFillLimit;
}

void FillImage(uint8_t* buffer, FillKind kind, uint8_t byte, uint16_t word, int32_t start,
               int32_t end, unsigned seed) {
    if (!FillRangeValid(start, end)) return;
    const int64_t count = int64_t{end} - start + 1;
    switch (kind) {
    case FillKind::Byte:
        std::memset(buffer + start, byte, static_cast<size_t>(count));
        break;
    case FillKind::Word: {
        // Words start at the even address at or below start, so they never pass end.
        uint8_t* at = buffer + (start & ~int32_t{1});
        for (int64_t i = 0; i < count / 2; ++i) {
            *at++ = static_cast<uint8_t>(word & 0xFF);
            *at++ = static_cast<uint8_t>(word >> 8);
        }
        break;
    }
    case FillKind::Random:
        std::srand(seed);
        for (int64_t i = 0; i < count; ++i)
            buffer[start + i] = static_cast<uint8_t>(std::rand() & 0xFF);
        break;
    }
}
