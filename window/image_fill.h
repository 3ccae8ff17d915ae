#pragma once
// The fill dialog's work on the image buffer, apart from the dialog.
#include "programmer_state.h"

#include <cstdint>

enum class FillKind { Byte, Word, Random };

inline constexpr int64_t kFillLimit = int64_t{kImageBufferSize} - 1; // the buffer's last address

// A fill needs 0 <= start <= end <= kFillLimit.
bool FillRangeValid(int64_t start, int64_t end);

// Fills buffer (kFillLimit + 1 bytes) over start..end, which must be a valid range: a
// constant byte; (end - start + 1) / 2 constant words low byte first from start with bit 0
// cleared; or low bytes of rand() after srand(seed).
void FillImage(uint8_t* buffer, FillKind kind, uint8_t byte, uint16_t word, int32_t start,
               int32_t end, unsigned seed);
