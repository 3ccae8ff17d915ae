#include "radix.h"

#include "exceptions.h"
#include "hex_digits.h"
#include "orix_hex_error.h"
#include "sysutils.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// A radix of 0 would divide by zero, 1 would never end and above 16 has no digit.
void CheckRadix(uint8_t radix) {
    if (radix < 2 || radix > 16)
        throw EOrixHexEditor(Format("Invalid radix %d, must be from 2 to 16", radix));
}

std::string DigitsOf(uint64_t value, uint8_t radix, uint8_t len) {
    CheckRadix(radix);
    char buffer[64];
    size_t start = sizeof buffer;
    do {
        buffer[--start] = kDigits[value % radix];
        value /= radix;
    } while (value != 0);
    std::string result(buffer + start, sizeof buffer - start);
    if (result.size() < len) result.insert(0, len - result.size(), '0');
    return result;
}

// The accumulator wraps without an error, in unsigned arithmetic so that it stays defined.
uint64_t Accumulate(const std::string& s, uint8_t radix) {
    CheckRadix(radix);
    uint64_t result = 0;
    for (char raw : s) {
        const int value = HexDigitValue(raw);
        if (value < 0 || value >= radix) {
            // The message names the character in upper case.
            const char ch = (raw >= 'a' && raw <= 'z') ? static_cast<char>(raw - 'a' + 'A') : raw;
            throw EOrixHexEditor(Format("Invalid character %s, cannot convert using radix %Xh",
                                        std::string(1, ch).c_str(), radix));
        }
        result = result * radix + static_cast<uint64_t>(value);
    }
    return result;
}

bool EqualsIgnoringCase(char a, char upper) {
    return a == upper || (upper >= 'A' && upper <= 'Z' && a == upper - 'A' + 'a');
}

// The radix marks, first match wins. Answers false for plain decimal text.
bool SplitRadixMark(const std::string& s, std::string& digits, uint8_t& radix) {
    const size_t n = s.size();
    if (n >= 2 && s[0] == '0' && EqualsIgnoringCase(s[1], 'X')) {
        digits = s.substr(2);
        radix = 16;
    } else if (n >= 1 && s[0] == '$') {
        digits = s.substr(1);
        radix = 16;
    } else if (n >= 1 && EqualsIgnoringCase(s[n - 1], 'H')) {
        digits = s.substr(0, n - 1);
        radix = 16;
    } else if (n >= 1 && EqualsIgnoringCase(s[n - 1], 'O')) {
        digits = s.substr(0, n - 1);
        radix = 8;
    } else if (n >= 1 && EqualsIgnoringCase(s[0], 'O')) {
        digits = s.substr(1);
        radix = 8;
    } else if (n >= 1 && s[n - 1] == '%') {
        digits = s.substr(0, n - 1);
        radix = 2;
    } else if (n >= 1 && s[0] == '%') {
        digits = s.substr(1);
        radix = 2;
    } else {
        return false;
    }
    return true;
}

uint8_t SwapNibblesOf(uint8_t b) {
    return static_cast<uint8_t>((b << 4) | (b >> 4));
}

// The raising form of a Try function: its result, or the error when it fails.
template <typename Error>
uint64_t OrThrow(bool (*attempt)(uint64_t, uint64_t, uint64_t&), uint64_t a, uint64_t b,
                 const char* message) {
    uint64_t result = 0;
    if (!attempt(a, b, result)) throw Error(message);
    return result;
}

} // namespace

std::string IntToRadix(int32_t Value, uint8_t Radix) {
    return IntToRadixLen(Value, Radix, 0);
}

std::string IntToRadixLen(int32_t Value, uint8_t Radix, uint8_t Len) {
    return DigitsOf(static_cast<uint32_t>(Value), Radix, Len);
}

std::string IntToOctal(int32_t Value) {
    return IntToRadix(Value, 8);
}

std::string IntToRadix64(uint64_t Value, uint8_t Radix) {
    return IntToRadixLen64(Value, Radix, 0);
}

std::string IntToRadixLen64(uint64_t Value, uint8_t Radix, uint8_t Len) {
    return DigitsOf(Value, Radix, Len);
}

int32_t RadixToInt(const std::string& S, uint8_t Radix) {
    return static_cast<int32_t>(static_cast<uint32_t>(Accumulate(S, Radix)));
}

int64_t RadixToInt64(const std::string& S, uint8_t Radix) {
    return static_cast<int64_t>(Accumulate(S, Radix));
}

int32_t OctalToInt(const std::string& S) {
    return RadixToInt(S, 8);
}

int32_t CheckRadixToInt(const std::string& S) {
    std::string digits;
    uint8_t radix = 10;
    if (SplitRadixMark(S, digits, radix)) return RadixToInt(digits, radix);
    return StrToInt(S);
}

int64_t CheckRadixToInt64(const std::string& S) {
    std::string digits;
    uint8_t radix = 10;
    if (SplitRadixMark(S, digits, radix)) return RadixToInt64(digits, radix);
    return StrToInt64(S);
}

uint8_t* ConvertHexToBin(const char* Source, uint8_t* Dest, int32_t Count, bool SwapNibbles,
                         int32_t& BytesTranslated) {
    BytesTranslated = 0;
    bool high = true;
    unsigned acc = 0;
    for (int32_t i = 0; i < Count; ++i) {
        const int value = HexDigitValue(Source[i]);
        if (value < 0) continue;
        if (high) {
            acc = static_cast<unsigned>(value) << 4;
        } else {
            const auto byte = static_cast<uint8_t>(acc | static_cast<unsigned>(value));
            Dest[BytesTranslated++] = SwapNibbles ? SwapNibblesOf(byte) : byte;
        }
        high = !high;
    }
    return Dest;
}

char* ConvertBinToHex(const uint8_t* Source, char* Dest, int32_t Count, bool SwapNibbles) {
    char* out = Dest;
    for (int32_t i = 0; i < Count; ++i) {
        const uint8_t byte = SwapNibbles ? SwapNibblesOf(Source[i]) : Source[i];
        *out++ = kDigits[byte >> 4];
        *out++ = kDigits[byte & 0x0F];
    }
    *out = '\0';
    return Dest;
}

bool TryDivideU64(uint64_t A, uint64_t B, uint64_t& Res) {
    if (B == 0) return false;
    Res = A / B;
    return true;
}

bool TryModuloU64(uint64_t A, uint64_t B, uint64_t& Res) {
    if (B == 0) return false;
    Res = A % B;
    return true;
}

uint64_t DivideU64(uint64_t A, uint64_t B) {
    return OrThrow<EDivByZero>(TryDivideU64, A, B, "Division by zero");
}

uint64_t ModuloU64(uint64_t A, uint64_t B) {
    return OrThrow<EDivByZero>(TryModuloU64, A, B, "Division by zero");
}

bool TryMultiplyU64(uint64_t A, uint64_t B, uint64_t& Res) {
    return !__builtin_mul_overflow(A, B, &Res);
}

bool TryAddU64(uint64_t A, uint64_t B, uint64_t& Res) {
    return !__builtin_add_overflow(A, B, &Res);
}

bool TrySubtractU64(uint64_t A, uint64_t B, uint64_t& Res) {
    return !__builtin_sub_overflow(A, B, &Res);
}

uint64_t MultiplyU64(uint64_t A, uint64_t B) {
    return OrThrow<EIntOverflow>(TryMultiplyU64, A, B, "Integer overflow");
}

uint64_t AddU64(uint64_t A, uint64_t B) {
    return OrThrow<EIntOverflow>(TryAddU64, A, B, "Integer overflow");
}

uint64_t SubtractU64(uint64_t A, uint64_t B) {
    return OrThrow<EIntOverflow>(TrySubtractU64, A, B, "Integer overflow");
}

void SwapWideChar(char16_t& C) {
    C = static_cast<char16_t>((C << 8) | (C >> 8));
}

void SwapWideChar(uint16_t& C) {
    C = static_cast<uint16_t>((C << 8) | (C >> 8));
}
