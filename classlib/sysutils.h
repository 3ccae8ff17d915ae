#pragma once
// String, number and file-name helpers of the class library, with its accepted forms and
// error texts. Strings are 8-bit (std::string).
#include <cstdint>
#include <string>

// Decimal digits with an optional sign, or hexadecimal after "$", "x" or "0x" (either case of
// the x; also with a sign); blanks before the number are skipped. Hexadecimal takes up to 32 bits
// and wraps into the signed range ("$FFFFFFFF" is -1). Anything else raises EConvertError
// "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);
int32_t StrToIntDef(const std::string& text, int32_t fallback);
bool TryStrToInt(const std::string& text, int32_t& value);
// The same forms and rule in 64 bits: hexadecimal takes up to 64 bits and wraps into the
// signed range.
int64_t StrToInt64(const std::string& text);
bool TryStrToInt64(const std::string& text, int64_t& value);

std::string IntToStr(int64_t value);
// Upper-case hexadecimal with at least `digits` digits.
std::string IntToHex(uint64_t value, int digits);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Removes leading and trailing characters up to and including blank (control characters too).
std::string Trim(const std::string& text);
std::string TrimLeft(const std::string& text);
std::string TrimRight(const std::string& text);
// ASCII-only case mapping, as the class library's non-Ansi variants.
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);
bool SameText(const std::string& a, const std::string& b);
int CompareText(const std::string& a, const std::string& b);

// The part of the name from its last dot on, dot included; empty when the file part has none.
std::string ExtractFileExt(const std::string& fileName);
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFilePath(const std::string& fileName);
bool FileExists(const std::string& fileName);

// The program file's own path. Tests may point it elsewhere.
std::string ApplicationExeName();
void SetApplicationExeName(const std::string& path);
