#pragma once
// The two 8-bit code pages of the hex editor's character field, as fixed tables: "ANSI" is
// Windows-1252, "OEM" is code page 437. The conversions between them behave as the Windows
// calls of the same names do on a system with these code pages:
// - a character that exists in both code pages maps to itself;
// - one with no counterpart takes its plain look-alike when there is one (accent dropped,
//   typographic quotes and dashes as ASCII, box lines as + - | =, Greek letters as Latin);
// - anything else becomes "?", the default character of both code pages.
// Bytes 0x00..0x7F are the same characters in both, control codes included.
#include <array>
#include <cstdint>
#include <string>

// The UTF-16 unit of each byte. The five bytes Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the C1 control codes of the same value, as on Windows.
extern const std::array<char16_t, 256> Cp1252ToUnicode;
extern const std::array<char16_t, 256> Cp437ToUnicode;

// Byte maps: ANSI to OEM, OEM to ANSI, ANSI to its lower case.
extern const std::array<uint8_t, 256> AnsiToOemTable;
extern const std::array<uint8_t, 256> OemToAnsiTable;
extern const std::array<uint8_t, 256> AnsiLowerTable;

// NUL-terminated text; Source and Dest may be the same. False for a null pointer.
bool CharToOemA(const char* Source, char* Dest);
bool OemToCharA(const char* Source, char* Dest);
// Length bytes, NUL bytes included; Source and Dest may be the same.
bool CharToOemBuffA(const char* Source, char* Dest, uint32_t Length);
bool OemToCharBuffA(const char* Source, char* Dest, uint32_t Length);
// Lower-cases Length ANSI bytes in place; returns the number of bytes processed.
uint32_t CharLowerBuffA(char* Text, uint32_t Length);
// The class library's lower case of ANSI text, on the same table.
std::string AnsiLowerCase(const std::string& Text);
