#pragma once
// Number helpers of the hex editor: digit strings in any radix from 2 to 16 and back, hex text
// to bytes and back, unsigned 64-bit arithmetic with overflow detection, UTF-16 byte swap.
//
// 32-bit values are written as unsigned (a negative value gives the digits of its two's
// complement); text is read into a wrapping accumulator. Output is upper case, input either.
// A radix outside 2..16 raises EOrixHexEditor "Invalid radix %d, must be from 2 to 16".
#include <cstdint>
#include <string>

std::string IntToRadix(int32_t Value, uint8_t Radix);
// Digits of Value, left-padded with "0" to at least Len characters.
std::string IntToRadixLen(int32_t Value, uint8_t Radix, uint8_t Len);
std::string IntToOctal(int32_t Value);
std::string IntToRadix64(uint64_t Value, uint8_t Radix);
std::string IntToRadixLen64(uint64_t Value, uint8_t Radix, uint8_t Len);

// Digits of S in Radix; an empty text gives 0. A character that is no digit of Radix raises
// EOrixHexEditor "Invalid character %s, cannot convert using radix %xh".
int32_t RadixToInt(const std::string& S, uint8_t Radix);
int64_t RadixToInt64(const std::string& S, uint8_t Radix);
int32_t OctalToInt(const std::string& S);

// Number text with an optional radix mark: "0x" or "$" before, "h" after (hex), "o" after or
// before (octal), "%" after or before (binary); otherwise decimal by StrToInt / StrToInt64.
int32_t CheckRadixToInt(const std::string& S);
int64_t CheckRadixToInt64(const std::string& S);

// Hex digits of Count characters of Source into bytes; other characters are skipped without
// breaking a pair, a lone last digit is dropped. Dest must hold Count / 2 bytes. Returns Dest.
uint8_t* ConvertHexToBin(const char* Source, uint8_t* Dest, int32_t Count, bool SwapNibbles,
                         int32_t& BytesTranslated);
// Two upper-case digits per byte (high nibble first unless SwapNibbles), then a NUL.
// Dest must hold 2 * Count + 1 characters. Returns Dest.
char* ConvertBinToHex(const uint8_t* Source, char* Dest, int32_t Count, bool SwapNibbles);

// Unsigned division: EDivByZero "Division by zero" for B == 0; the Try forms answer false.
uint64_t DivideU64(uint64_t A, uint64_t B);
uint64_t ModuloU64(uint64_t A, uint64_t B);
bool TryDivideU64(uint64_t A, uint64_t B, uint64_t& Res);
bool TryModuloU64(uint64_t A, uint64_t B, uint64_t& Res);

// Unsigned arithmetic: EIntOverflow "Integer overflow" when the result does not fit; the Try
// forms answer false and leave the low 64 bits of the exact result in Res.
uint64_t MultiplyU64(uint64_t A, uint64_t B);
uint64_t AddU64(uint64_t A, uint64_t B);
uint64_t SubtractU64(uint64_t A, uint64_t B);
bool TryMultiplyU64(uint64_t A, uint64_t B, uint64_t& Res);
bool TryAddU64(uint64_t A, uint64_t B, uint64_t& Res);
bool TrySubtractU64(uint64_t A, uint64_t B, uint64_t& Res);

// Exchanges the two bytes of a UTF-16 unit.
void SwapWideChar(char16_t& C);
void SwapWideChar(uint16_t& C);
