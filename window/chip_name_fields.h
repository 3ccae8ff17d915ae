#pragma once
// How the main window reads a chip record's name: kind, manufacturer and model.
#include <cstdint>
#include <string>

struct ChipNameFields {
    std::string Kind;
    std::string Maker;
    std::string Model;
};

// The delimited-text split (commas and blanks separate, double quotes group) of the name's
// bytes; fields 0, 1 and 2, each trimmed. Missing fields are empty.
ChipNameFields SplitChipName(const std::string& name);

inline constexpr int kSizeListCount = 21; // "64B" .. "64MB"
// Item of the size list for a capacity: the lowest set bit from 64 bytes upwards, -1 when
// no bit from bit 6 to bit 26 is set.
int SizeListIndex(uint32_t capacity);
// The size list's item texts.
const char* SizeListText(int index);
