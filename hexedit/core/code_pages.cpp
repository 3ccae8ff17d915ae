#include "code_pages.h"

#include <cstddef>

namespace {

using UnicodeTable = std::array<char16_t, 256>;
using ByteTable = std::array<uint8_t, 256>;
using UpperHalf = std::array<char16_t, 128>;

constexpr UpperHalf kCp1252Upper = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF, // F8
};

constexpr UpperHalf kCp437Upper = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0, // F8
};

struct LookAlike {
    char16_t from;
    char16_t to;
};

// Plain look-alikes for characters that one of the two code pages lacks.
constexpr LookAlike kLookAlikes[] = {
    // Latin-1 letters missing from code page 437: the accent is dropped.
    {0x00C0, 'A'},
    {0x00C1, 'A'},
    {0x00C2, 'A'},
    {0x00C3, 'A'},
    {0x00C8, 'E'},
    {0x00CA, 'E'},
    {0x00CB, 'E'},
    {0x00CC, 'I'},
    {0x00CD, 'I'},
    {0x00CE, 'I'},
    {0x00CF, 'I'},
    {0x00D0, 'D'},
    {0x00D2, 'O'},
    {0x00D3, 'O'},
    {0x00D4, 'O'},
    {0x00D5, 'O'},
    {0x00D8, 'O'},
    {0x00D9, 'U'},
    {0x00DA, 'U'},
    {0x00DB, 'U'},
    {0x00DD, 'Y'},
    {0x00E3, 'a'},
    {0x00F0, 'd'},
    {0x00F5, 'o'},
    {0x00F8, 'o'},
    {0x00FD, 'y'},
    {0x0160, 'S'},
    {0x0161, 's'},
    {0x017D, 'Z'},
    {0x017E, 'z'},
    {0x0152, 'O'},
    {0x0153, 'o'},
    {0x0178, 'Y'},
    // Latin-1 and typographic signs.
    {0x00A6, '|'},
    {0x00A8, '"'},
    {0x00A9, 'c'},
    {0x00AD, '-'},
    {0x00AE, 'r'},
    {0x00B3, '3'},
    {0x00B4, '\''},
    {0x00B8, ','},
    {0x00B9, '1'},
    {0x00D7, 'x'},
    {0x201A, ','},
    {0x201E, '"'},
    {0x2026, '.'},
    {0x02C6, '^'},
    {0x2039, '<'},
    {0x203A, '>'},
    {0x2018, '\''},
    {0x2019, '\''},
    {0x201C, '"'},
    {0x201D, '"'},
    {0x2022, 0x00B7},
    {0x2013, '-'},
    {0x2014, '-'},
    {0x02DC, '~'},
    // Code page 437 signs missing from Windows-1252.
    {0x2310, 0x00AC},
    {0x221E, '8'},
    {0x2229, 'n'},
    {0x2261, '='},
    {0x2265, '='},
    {0x2264, '='},
    {0x2320, '('},
    {0x2321, ')'},
    {0x2248, '~'},
    {0x2219, 0x00B7},
    {0x221A, 'v'},
    {0x207F, 'n'},
    // Greek letters of code page 437.
    {0x03B1, 'a'},
    {0x0393, 'G'},
    {0x03C0, 'p'},
    {0x03A3, 'S'},
    {0x03C3, 's'},
    {0x03C4, 't'},
    {0x03A6, 'F'},
    {0x0398, 'T'},
    {0x03A9, 'O'},
    {0x03B4, 'd'},
    {0x03C6, 'f'},
    {0x03B5, 'e'},
    // Box lines.
    {0x2500, '-'},
    {0x2550, '='},
    {0x2502, '|'},
    {0x2551, '|'},
    {0x250C, '+'},
    {0x2510, '+'},
    {0x2514, '+'},
    {0x2518, '+'},
    {0x251C, '+'},
    {0x2524, '+'},
    {0x252C, '+'},
    {0x2534, '+'},
    {0x253C, '+'},
    {0x2552, '+'},
    {0x2553, '+'},
    {0x2554, '+'},
    {0x2555, '+'},
    {0x2556, '+'},
    {0x2557, '+'},
    {0x2558, '+'},
    {0x2559, '+'},
    {0x255A, '+'},
    {0x255B, '+'},
    {0x255C, '+'},
    {0x255D, '+'},
    {0x255E, '+'},
    {0x255F, '+'},
    {0x2560, '+'},
    {0x2561, '+'},
    {0x2562, '+'},
    {0x2563, '+'},
    {0x2564, '+'},
    {0x2565, '+'},
    {0x2566, '+'},
    {0x2567, '+'},
    {0x2568, '+'},
    {0x2569, '+'},
    {0x256A, '+'},
    {0x256B, '+'},
    {0x256C, '+'},
};

constexpr UnicodeTable WithAsciiHalf(const UpperHalf& upper) {
    UnicodeTable table{};
    for (size_t i = 0; i < 128; ++i) table[i] = static_cast<char16_t>(i);
    for (size_t i = 0; i < 128; ++i) table[128 + i] = upper[i];
    return table;
}

constexpr int Find(const UnicodeTable& table, char16_t unit) {
    for (size_t i = 0; i < 256; ++i)
        if (table[i] == unit) return static_cast<int>(i);
    return -1;
}

constexpr uint8_t Encode(const UnicodeTable& target, char16_t unit) {
    const int exact = Find(target, unit);
    if (exact >= 0) return static_cast<uint8_t>(exact);
    for (const LookAlike& l : kLookAlikes) {
        if (l.from != unit) continue;
        const int near = Find(target, l.to);
        if (near >= 0) return static_cast<uint8_t>(near);
    }
    return '?';
}

constexpr ByteTable Recode(const UnicodeTable& source, const UnicodeTable& target) {
    ByteTable table{};
    for (size_t i = 0; i < 256; ++i) table[i] = Encode(target, source[i]);
    return table;
}

// Windows-1252 lower case: A..Z, the Latin-1 capitals (not the multiplication sign) and the
// four capitals of 0x80..0x9F.
constexpr ByteTable AnsiLower() {
    ByteTable table{};
    for (size_t i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
    for (size_t c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<uint8_t>(c + 0x20);
    for (size_t c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) table[c] = static_cast<uint8_t>(c + 0x20);
    table[0x8A] = 0x9A;
    table[0x8C] = 0x9C;
    table[0x8E] = 0x9E;
    table[0x9F] = 0xFF;
    return table;
}

constexpr UnicodeTable kCp1252 = WithAsciiHalf(kCp1252Upper);
constexpr UnicodeTable kCp437 = WithAsciiHalf(kCp437Upper);
constexpr ByteTable kAnsiToOem = Recode(kCp1252, kCp437);
constexpr ByteTable kOemToAnsi = Recode(kCp437, kCp1252);

bool MapBuffer(const ByteTable& table, const char* source, char* dest, uint32_t length) {
    if (source == nullptr || dest == nullptr) return false;
    for (uint32_t i = 0; i < length; ++i)
        dest[i] = static_cast<char>(table[static_cast<unsigned char>(source[i])]);
    return true;
}

bool MapText(const ByteTable& table, const char* source, char* dest) {
    if (source == nullptr || dest == nullptr) return false;
    size_t i = 0;
    for (; source[i] != '\0'; ++i)
        dest[i] = static_cast<char>(table[static_cast<unsigned char>(source[i])]);
    dest[i] = '\0';
    return true;
}

} // namespace

constinit const std::array<char16_t, 256> Cp1252ToUnicode = kCp1252;
constinit const std::array<char16_t, 256> Cp437ToUnicode = kCp437;
constinit const std::array<uint8_t, 256> AnsiToOemTable = kAnsiToOem;
constinit const std::array<uint8_t, 256> OemToAnsiTable = kOemToAnsi;
constinit const std::array<uint8_t, 256> AnsiLowerTable = AnsiLower();

bool CharToOemA(const char* Source, char* Dest) {
    return MapText(kAnsiToOem, Source, Dest);
}

bool OemToCharA(const char* Source, char* Dest) {
    return MapText(kOemToAnsi, Source, Dest);
}

bool CharToOemBuffA(const char* Source, char* Dest, uint32_t Length) {
    return MapBuffer(kAnsiToOem, Source, Dest, Length);
}

bool OemToCharBuffA(const char* Source, char* Dest, uint32_t Length) {
    return MapBuffer(kOemToAnsi, Source, Dest, Length);
}

uint32_t CharLowerBuffA(char* Text, uint32_t Length) {
    if (Text == nullptr) return 0;
    MapBuffer(AnsiLowerTable, Text, Text, Length);
    return Length;
}

std::string AnsiLowerCase(const std::string& Text) {
    std::string out = Text;
    for (char& c : out) c = static_cast<char>(AnsiLowerTable[static_cast<unsigned char>(c)]);
    return out;
}
