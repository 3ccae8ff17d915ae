#pragma once
// The size list of the main window and the chip database editor: a chip's capacity as one
// of the texts "64B" .. "64MB".
#include <cstdint>

inline constexpr int kSizeListCount = 21; // "64B" .. "64MB"
// Item of the size list for a capacity: the lowest set bit from 64 bytes upwards, -1 when
// no bit from bit 6 to bit 26 is set.
int SizeListIndex(uint32_t capacity);
// The size list's item texts.
const char* SizeListText(int index);
