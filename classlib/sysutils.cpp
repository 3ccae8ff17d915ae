#include "sysutils.h"

#include "exceptions.h"
#include "hex_digits.h"

#include <cstdarg>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The one rule of StrToInt and StrToInt64, for a width of 32 or 64 bits: blanks, a sign, then
// decimal digits or hexadecimal ones after "$", "x" or "0x". Hexadecimal takes the width's
// bits and wraps into the signed range; decimal must lie in the signed range.
bool ParseInteger(const std::string& text, unsigned bits, int64_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    }
    if (i >= text.size()) return false;
    const uint64_t mask = bits >= 64 ? UINT64_MAX : (uint64_t{1} << bits) - 1;
    const uint64_t base = hex ? 16 : 10;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        // Decimal text takes only the digits below ten.
        const int found = HexDigitValue(text[i]);
        if (found < 0 || static_cast<uint64_t>(found) >= base) return false;
        const uint64_t digit = static_cast<uint64_t>(found);
        if (magnitude > (mask - digit) / base) return false;
        magnitude = magnitude * base + digit;
    }
    const uint64_t signBit = uint64_t{1} << (bits - 1);
    if (!hex && magnitude > (negative ? signBit : signBit - 1)) return false;
    // Two's complement in unsigned arithmetic, cut to the width and sign-extended from it;
    // the conversions to signed are exact in C++20.
    uint64_t pattern = (negative ? 0u - magnitude : magnitude) & mask;
    if (bits < 64 && (pattern & signBit) != 0) pattern |= ~mask;
    value = static_cast<int64_t>(pattern);
    return true;
}

bool ParseInt(const std::string& text, int32_t& value) {
    int64_t wide = 0;
    if (!ParseInteger(text, 32, wide)) return false;
    value = static_cast<int32_t>(wide);
    return true;
}

bool ParseInt64(const std::string& text, int64_t& value) {
    return ParseInteger(text, 64, value);
}

std::string& ExeNameCell() {
    static std::string name;
    return name;
}

} // namespace

bool TryStrToInt(const std::string& text, int32_t& value) {
    return ParseInt(text, value);
}

int32_t StrToInt(const std::string& text) {
    int32_t value = 0;
    if (!ParseInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

bool TryStrToInt64(const std::string& text, int64_t& value) {
    return ParseInt64(text, value);
}

int64_t StrToInt64(const std::string& text) {
    int64_t value = 0;
    if (!ParseInt64(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

int32_t StrToIntDef(const std::string& text, int32_t fallback) {
    int32_t value = 0;
    return ParseInt(text, value) ? value : fallback;
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

std::string IntToHex(uint64_t value, int digits) {
    return Format("%0*llX", digits, static_cast<unsigned long long>(value));
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        out.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    return out;
}

std::string TrimLeft(const std::string& text) {
    size_t b = 0;
    while (b < text.size() && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    return text.substr(b);
}

std::string TrimRight(const std::string& text) {
    size_t e = text.size();
    while (e > 0 && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(0, e);
}

std::string Trim(const std::string& text) {
    return TrimRight(TrimLeft(text));
}

std::string UpperCase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int CompareText(const std::string& a, const std::string& b) {
    const std::string ua = UpperCase(a), ub = UpperCase(b);
    return ua < ub ? -1 : (ua == ub ? 0 : 1);
}

bool SameText(const std::string& a, const std::string& b) {
    return CompareText(a, b) == 0;
}

std::string ExtractFileExt(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    const std::string ext = ExtractFileExt(fileName);
    return fileName.substr(0, fileName.size() - ext.size()) + extension;
}

std::string ExtractFileName(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string ApplicationExeName() {
    std::string& name = ExeNameCell();
    if (name.empty()) {
        std::vector<char> buffer(4096);
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
        if (n > 0) name.assign(buffer.data(), static_cast<size_t>(n));
    }
    return name;
}

void SetApplicationExeName(const std::string& path) {
    ExeNameCell() = path;
}
