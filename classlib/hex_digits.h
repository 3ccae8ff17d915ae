#pragma once
// Hexadecimal digits: '0'-'9', 'A'-'F' and 'a'-'f', and nothing else in any code page.
#include <cstdint>

// Value of each byte as a hexadecimal digit, -1 for any other byte. A table, so that the
// image file readers can look digits up in their inner loops without a branch.
inline constexpr struct HexDigitTable {
    int8_t value[256];
    constexpr HexDigitTable() : value() {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9'   ? static_cast<int8_t>(c - '0')
                       : c >= 'A' && c <= 'F' ? static_cast<int8_t>(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? static_cast<int8_t>(c - 'a' + 10)
                                              : int8_t{-1};
    }
} kHexDigitValue;

// Value of the hexadecimal digit, or -1.
inline int HexDigitValue(char c) {
    return kHexDigitValue.value[static_cast<unsigned char>(c)];
}

// The same for a UTF-16 unit: no unit above 0xFF is a digit.
inline int HexDigitValue(char16_t c) {
    return c < 0x100 ? kHexDigitValue.value[c] : -1;
}

inline bool IsHexDigit(char c) {
    return HexDigitValue(c) >= 0;
}
