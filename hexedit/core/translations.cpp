#include "translations.h"

#include "code_pages.h"
#include "orix_hex_error.h"

#include <cstddef>
#include <cstring>

namespace {

using UpperHalf = std::array<uint8_t, 128>;

// ANSI character of each Macintosh byte from 0x80 on, one line per 16 bytes; 0x00..0x7F are
// the same in both.
constexpr UpperHalf kMacToAnsiUpper = {
    0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8,
    0xEA, 0xEB, 0xED, 0xEC, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC,
    0xA0, 0xB0, 0xA2, 0xA3, 0xA7, 0xB4, 0xB6, 0xDF, 0xAE, 0xA9, 0x8E, 0x82, 0x8C, 0xAD, 0xC6, 0xD8,
    0x8D, 0xB1, 0xB2, 0xB3, 0xA5, 0xB5, 0xA6, 0xB7, 0xB8, 0xB9, 0xBC, 0xAA, 0xBA, 0xBD, 0xE6, 0xF8,
    0xBF, 0xA1, 0xAC, 0x92, 0x80, 0x81, 0xA8, 0xAB, 0xBB, 0x83, 0xBE, 0xC0, 0xC3, 0xD5, 0x91, 0x93,
    0xD0, 0x84, 0x96, 0x94, 0x95, 0x90, 0xF7, 0xD7, 0xFF, 0xDD, 0x98, 0x97, 0x86, 0x99, 0xDE, 0xA4,
    0x88, 0x87, 0x89, 0x8B, 0x8A, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0xD3, 0xD4,
    0xF0, 0xD2, 0xDA, 0xDB, 0xD9, 0x9B, 0x9A, 0x85, 0x8F, 0x9D, 0x9C, 0x9E, 0x9F, 0xFD, 0xFE, 0xAF,
};

// ANSI character of each EBCDIC (code page 38) byte, one line per 16 bytes.
constexpr TOrixHCharConvTable kBcd38ToAnsi = {
    0x00, 0x01, 0x02, 0x03, 0xF7, 0x09, 0xD2, 0x7F, 0xF2, 0xA8, 0x93, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0xD3, 0xA1, 0x08, 0xD7, 0x18, 0x19, 0x96, 0xD0, 0x1C, 0x1D, 0x1E, 0x1F,
    0x7C, 0xD6, 0x81, 0xC0, 0xD1, 0x0A, 0x17, 0x1B, 0xD4, 0xE9, 0xE0, 0xD5, 0x92, 0x05, 0x06, 0x07,
    0xF0, 0xF1, 0x16, 0xF3, 0xF4, 0xF5, 0xF6, 0x04, 0xF8, 0xF9, 0xA9, 0x94, 0x14, 0x15, 0x95, 0x1A,
    0x20, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0x5B, 0x2E, 0x3C, 0x28, 0x2B, 0x21,
    0x26, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0x5D, 0x24, 0x2A, 0x29, 0x3B, 0x5E,
    0x2D, 0x2F, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0xA6, 0x2C, 0x25, 0x5F, 0x3E, 0x3F,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0x91, 0xA7, 0x60, 0x3A, 0x23, 0x40, 0x27, 0x3D, 0x22,
    0x80, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
    0xA0, 0x7E, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
    0x7B, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0x7D, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0x5C, 0xE1, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

constexpr TOrixHCharConvTable MacToAnsi() {
    TOrixHCharConvTable table{};
    for (size_t i = 0; i < 128; ++i) table[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i < 128; ++i) table[128 + i] = kMacToAnsiUpper[i];
    return table;
}

constexpr bool IsPermutation(const TOrixHCharConvTable& table) {
    bool seen[256] = {};
    for (uint8_t v : table) {
        if (seen[v]) return false;
        seen[v] = true;
    }
    return true;
}

// The table is fixed by its to-ANSI half; the from-ANSI half is its inverse.
constexpr TOrixHCharConv WithInverse(const TOrixHCharConvTable& toAnsi) {
    TOrixHCharConv conv{};
    conv[cctToAnsi] = toAnsi;
    for (size_t b = 0; b < 256; ++b) conv[cctFromAnsi][toAnsi[b]] = static_cast<uint8_t>(b);
    return conv;
}

constexpr TOrixHCharConv Identity() {
    TOrixHCharConv conv{};
    for (size_t i = 0; i < 256; ++i) {
        conv[cctFromAnsi][i] = static_cast<uint8_t>(i);
        conv[cctToAnsi][i] = static_cast<uint8_t>(i);
    }
    return conv;
}

static_assert(IsPermutation(MacToAnsi()), "the Macintosh table must be a permutation");
static_assert(IsPermutation(kBcd38ToAnsi), "the EBCDIC table must be a permutation");

const TOrixHCharConv* TableOf(TOrixHTranslationKind kind) {
    switch (kind) {
    case tkMac:
        return &ORIXH_CCONV_MAC;
    case tkBCD:
        return &ORIXH_CCONV_BCD38;
    case tkCustom:
        return &OrixHCustomCharConv;
    default:
        return nullptr;
    }
}

void TranslateBuffer(TOrixHTranslationKind kind, TOrixHCharConvType half, const void* source,
                     void* dest, int32_t count) {
    if (count <= 0) return;
    const auto* in = static_cast<const unsigned char*>(source);
    auto* out = static_cast<unsigned char*>(dest);
    const auto n = static_cast<uint32_t>(count);
    switch (kind) {
    case tkAsIs:
        std::memmove(out, in, n);
        return;
    case tkDos8:
    case tkASCII:
        if (half == cctFromAnsi)
            CharToOemBuffA(reinterpret_cast<const char*>(in), reinterpret_cast<char*>(out), n);
        else
            OemToCharBuffA(reinterpret_cast<const char*>(in), reinterpret_cast<char*>(out), n);
        return;
    case tkMac:
    case tkBCD:
    case tkCustom: {
        const TOrixHCharConvTable& table = (*TableOf(kind))[half];
        for (uint32_t i = 0; i < n; ++i) out[i] = table[in[i]];
        return;
    }
    default:
        return;
    }
}

} // namespace

constinit const TOrixHCharConv ORIXH_CCONV_MAC = WithInverse(MacToAnsi());
constinit const TOrixHCharConv ORIXH_CCONV_BCD38 = WithInverse(kBcd38ToAnsi);
constinit TOrixHCharConv OrixHCustomCharConv = Identity();

void InitCustomCharConv() {
    OrixHCustomCharConv = Identity();
}

const std::array<std::string_view, ORIXH_TRANSLATION_KIND_COUNT> OrixHTranslationDesc = {
    "Windows",   "Dos 8 bits",         "ASCII 7 bits",
    "Macintosh", "EBCDIC codepage 38", "Custom translation",
};
const std::array<std::string_view, ORIXH_TRANSLATION_KIND_COUNT> OrixHTranslationDescShort = {
    "WIN", "DOS", "ASC", "MAC", "BCD", "Cust",
};
const std::array<std::string_view, 2> OrixHUnicodeDesc = {"Unicode little endian",
                                                          "Unicode big endian"};
const std::array<std::string_view, 2> OrixHUnicodeDescShort = {"UCLE", "UCBE"};

uint8_t OemCharToAnsi(uint8_t c) {
    return OemToAnsiTable[c];
}

uint8_t AnsiCharToOem(uint8_t c) {
    return AnsiToOemTable[c];
}

void TranslateBufferFromAnsi(TOrixHTranslationKind Kind, const void* Source, void* Dest,
                             int32_t Count) {
    TranslateBuffer(Kind, cctFromAnsi, Source, Dest, Count);
}

void TranslateBufferToAnsi(TOrixHTranslationKind Kind, const void* Source, void* Dest,
                           int32_t Count) {
    TranslateBuffer(Kind, cctToAnsi, Source, Dest, Count);
}

uint8_t TranslateCharFromAnsi(TOrixHTranslationKind Kind, const TOrixHCharSet& Masked, uint8_t c) {
    uint8_t r = 0;
    switch (Kind) {
    case tkAsIs:
        r = c;
        break;
    case tkDos8:
        r = c > 0x1F ? AnsiCharToOem(c) : 0;
        break;
    case tkASCII:
        r = (c > 0x1F && c < 0x80) ? AnsiCharToOem(c) : 0;
        break;
    case tkMac:
    case tkBCD:
    case tkCustom:
        r = (*TableOf(Kind))[cctFromAnsi][c];
        break;
    default:
        r = 0;
        break;
    }
    return Masked.test(r) ? 0 : r;
}

uint8_t TranslateCharToAnsi(TOrixHTranslationKind Kind, const TOrixHCharSet& Masked,
                            uint8_t MaskChar, uint8_t b) {
    uint8_t r = 0;
    switch (Kind) {
    case tkAsIs:
        r = b;
        break;
    case tkDos8:
        r = OemCharToAnsi(b);
        break;
    case tkASCII:
        r = b > 0x7F ? MaskChar : OemCharToAnsi(b);
        break;
    case tkMac:
    case tkBCD:
    case tkCustom:
        r = (*TableOf(Kind))[cctToAnsi][b];
        break;
    default:
        r = MaskChar;
        break;
    }
    return (MaskChar != 0 && Masked.test(r)) ? MaskChar : r;
}

void CheckTranslationAllowed(TOrixHTranslationKind Value, bool UnicodeChars) {
    if (Value != tkAsIs && UnicodeChars)
        throw EOrixHexEditor("Translations cannot be used in unicode mode");
}
