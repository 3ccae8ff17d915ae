#pragma once
// Character translations of the hex editor's character field: the data bytes may be in an
// encoding other than the ANSI code page (Windows-1252) in which characters are shown and
// typed. The kind names that encoding; the conversions run both ways on single characters
// and on buffers, and masked characters are shown as the mask character.
#include <array>
#include <bitset>
#include <cstdint>
#include <string_view>

enum TOrixHTranslationKind : uint8_t {
    tkAsIs = 0,   // Windows ANSI, no conversion
    tkDos8 = 1,   // the OEM code page (437)
    tkASCII = 2,  // the OEM code page, bytes above 0x7F not shown
    tkMac = 3,    // ORIXH_CCONV_MAC
    tkBCD = 4,    // ORIXH_CCONV_BCD38
    tkCustom = 5, // OrixHCustomCharConv
};
constexpr int ORIXH_TRANSLATION_KIND_COUNT = 6;

enum TOrixHCharConvType : uint8_t { cctFromAnsi = 0, cctToAnsi = 1 };

using TOrixHCharConvTable = std::array<uint8_t, 256>;
// [cctFromAnsi][c]: the data byte for the ANSI character c; [cctToAnsi][b]: the ANSI
// character for the data byte b.
using TOrixHCharConv = std::array<TOrixHCharConvTable, 2>;

// A set of the 256 byte values, bit i for character i.
using TOrixHCharSet = std::bitset<256>;
// The masked characters after construction: the codes 0..31.
inline const TOrixHCharSet ORIXH_DEFAULT_MASKED_CHARS{0xFFFFFFFFull};

// Macintosh and EBCDIC code page 38; both halves are permutations, each the other's inverse.
extern const TOrixHCharConv ORIXH_CCONV_MAC;
extern const TOrixHCharConv ORIXH_CCONV_BCD38;

// Shared by every control of the process and read at every translation; the identity until
// an application fills it.
extern TOrixHCharConv OrixHCustomCharConv;
// Makes both halves of the custom table the identity.
void InitCustomCharConv();

// Display names indexed by the kind, and those of the two UTF-16 display modes
// (index 0 little endian, 1 big endian).
extern const std::array<std::string_view, ORIXH_TRANSLATION_KIND_COUNT> OrixHTranslationDesc;
extern const std::array<std::string_view, ORIXH_TRANSLATION_KIND_COUNT> OrixHTranslationDescShort;
extern const std::array<std::string_view, 2> OrixHUnicodeDesc;
extern const std::array<std::string_view, 2> OrixHUnicodeDescShort;

// One character between the OEM code page and ANSI, as the Windows calls OemToCharA and
// CharToOemA on the text c, #0 give it (see code_pages.h for characters with no counterpart).
uint8_t OemCharToAnsi(uint8_t c);
uint8_t AnsiCharToOem(uint8_t c);

// Count bytes from Source to Dest (they may be the same buffer); nothing for a Count of 0 or
// less or an unknown kind. No masking here.
void TranslateBufferFromAnsi(TOrixHTranslationKind Kind, const void* Source, void* Dest,
                             int32_t Count);
void TranslateBufferToAnsi(TOrixHTranslationKind Kind, const void* Source, void* Dest,
                           int32_t Count);

// The data byte a typed ANSI character stands for under Kind; 0 when the kind refuses the
// character or the byte is in Masked. This is the control's TranslateFromAnsiChar.
uint8_t TranslateCharFromAnsi(TOrixHTranslationKind Kind, const TOrixHCharSet& Masked, uint8_t c);
// The ANSI character shown for a data byte under Kind; MaskChar for a result in Masked
// unless MaskChar is #0. This is the control's TranslateToAnsiChar.
uint8_t TranslateCharToAnsi(TOrixHTranslationKind Kind, const TOrixHCharSet& Masked,
                            uint8_t MaskChar, uint8_t b);

// The control's check before it takes a new Translation: in unicode mode only tkAsIs is
// allowed, anything else raises EOrixHexEditor "Translations cannot be used in unicode mode".
void CheckTranslationAllowed(TOrixHTranslationKind Value, bool UnicodeChars);
