#include "code_pages.h"
#include "orix_hex_error.h"
#include "translations.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <iconv.h>
#include <optional>
#include <vector>

namespace {

const TOrixHCharSet kNoMask;
constexpr TOrixHTranslationKind kAllKinds[] = {tkAsIs, tkDos8, tkASCII, tkMac, tkBCD, tkCustom};

// The UTF-16 unit glibc gives for one byte of a code page, or nothing when it has none.
std::optional<char16_t> IconvUnit(const char* codePage, uint8_t byte) {
    iconv_t cd = iconv_open("UTF-16LE", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[8] = {};
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || sizeof out - outLeft != 2) return std::nullopt;
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

std::optional<uint8_t> AnsiByteOf(char16_t unit) {
    for (int b = 0; b < 256; ++b)
        if (Cp1252ToUnicode[b] == unit) return static_cast<uint8_t>(b);
    return std::nullopt;
}

std::optional<uint8_t> OemByteOf(char16_t unit) {
    for (int b = 0; b < 256; ++b)
        if (Cp437ToUnicode[b] == unit) return static_cast<uint8_t>(b);
    return std::nullopt;
}

std::array<uint8_t, 256> AllBytes() {
    std::array<uint8_t, 256> bytes{};
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

// The custom table is process-wide: every test that touches it leaves it as it found it.
class CustomTable : public ::testing::Test {
protected:
    void TearDown() override { InitCustomCharConv(); }
};

} // namespace

TEST(CodePages, TablesAgreeWithTheSystemConverter) {
    int undefined1252 = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        const auto ansi = IconvUnit("CP1252", byte);
        if (ansi)
            EXPECT_EQ(Cp1252ToUnicode[b], *ansi) << "CP1252 byte " << b;
        else {
            // Bytes Windows-1252 leaves undefined stand for the C1 control of their value.
            EXPECT_EQ(Cp1252ToUnicode[b], static_cast<char16_t>(b)) << "CP1252 byte " << b;
            ++undefined1252;
        }
        const auto oem = IconvUnit("CP437", byte);
        ASSERT_TRUE(oem.has_value()) << "CP437 byte " << b;
        EXPECT_EQ(Cp437ToUnicode[b], *oem) << "CP437 byte " << b;
    }
    EXPECT_LE(undefined1252, 5);
}

TEST(CodePages, OemToAnsiOverAllBytes) {
    int exact = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        const uint8_t ansi = OemCharToAnsi(byte);
        if (const auto counterpart = AnsiByteOf(Cp437ToUnicode[b])) {
            // Characters in both code pages map to themselves and come back unchanged.
            EXPECT_EQ(ansi, *counterpart) << "OEM byte " << b;
            EXPECT_EQ(AnsiCharToOem(ansi), byte) << "OEM byte " << b;
            ++exact;
        } else {
            // No counterpart: a plain ASCII look-alike, the middle dot, "¬" or "?".
            EXPECT_TRUE(ansi < 0x80 || ansi == 0xB7 || ansi == 0xAC) << "OEM byte " << b;
        }
    }
    EXPECT_EQ(exact, 128 + 54); // ASCII plus the Latin-1 characters of code page 437
    const struct {
        uint8_t oem, ansi;
    } nearest[] = {
        {0xC4, '-'},  {0xCD, '='},  {0xB3, '|'},  {0xBA, '|'},  {0xC5, '+'},  {0xC9, '+'},
        {0xB0, '?'},  {0xDB, '?'},  {0xFE, '?'},  {0x9E, '?'},  {0xE0, 'a'},  {0xE3, 'p'},
        {0xEA, 'O'},  {0xEC, '8'},  {0xF9, 0xB7}, {0xA9, 0xAC}, {0xFA, 0xB7}, {0xE1, 0xDF},
        {0xFF, 0xA0}, {0x0A, 0x0A}, {0x7F, 0x7F}, {0x00, 0x00},
    };
    for (const auto& n : nearest) EXPECT_EQ(OemCharToAnsi(n.oem), n.ansi) << int(n.oem);
}

TEST(CodePages, AnsiToOemOverAllBytes) {
    for (int c = 0; c < 256; ++c) {
        const auto ch = static_cast<uint8_t>(c);
        const uint8_t oem = AnsiCharToOem(ch);
        if (const auto counterpart = OemByteOf(Cp1252ToUnicode[c])) {
            EXPECT_EQ(oem, *counterpart) << "ANSI byte " << c;
            EXPECT_EQ(OemCharToAnsi(oem), ch) << "ANSI byte " << c;
        } else {
            EXPECT_TRUE(oem < 0x80 || oem == 0xFA) << "ANSI byte " << c;
        }
    }
    const struct {
        uint8_t ansi, oem;
    } nearest[] = {
        {0xC0, 'A'}, {0xD8, 'O'},  {0xFD, 'y'},  {0x8A, 'S'},  {0x93, '"'}, {0x92, '\''},
        {0x96, '-'}, {0xD7, 'x'},  {0x95, 0xFA}, {0x80, '?'},  {0x81, '?'}, {0xA7, '?'},
        {0xDE, '?'}, {0xE9, 0x82}, {0xA0, 0xFF}, {0xDF, 0xE1},
    };
    for (const auto& n : nearest) EXPECT_EQ(AnsiCharToOem(n.ansi), n.oem) << int(n.ansi);
}

TEST(CodePages, WindowsCallEquivalents) {
    const char ansi[] = "Caf\xE9 \xC0 \x93x\x94";
    char oem[sizeof ansi];
    ASSERT_TRUE(CharToOemA(ansi, oem));
    EXPECT_STREQ(oem, "Caf\x82 A \"x\"");
    char back[sizeof ansi];
    ASSERT_TRUE(OemToCharA(oem, back));
    EXPECT_STREQ(back, "Caf\xE9 A \"x\"");
    // The buffer forms run over NUL bytes and convert in place.
    char buffer[] = {'\xC4', '\0', '\xB3', '\x81'};
    ASSERT_TRUE(OemToCharBuffA(buffer, buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), std::string("-\0|\xFC", 4));
    ASSERT_TRUE(CharToOemBuffA(buffer, buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), std::string("-\0|\x81", 4));
    EXPECT_FALSE(CharToOemA(nullptr, oem));
    EXPECT_FALSE(OemToCharBuffA(nullptr, buffer, 1));
}

TEST(CodePages, AnsiLowerCase) {
    const struct {
        uint8_t c, lower;
    } cases[] = {
        {'A', 'a'},   {'Z', 'z'},   {'a', 'a'},   {'@', '@'},   {'[', '['},   {0xC0, 0xE0},
        {0xDE, 0xFE}, {0xD7, 0xD7}, {0xDF, 0xDF}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E},
        {0x9F, 0xFF}, {0xFF, 0xFF}, {0xC9, 0xE9}, {0xB5, 0xB5},
    };
    for (const auto& c : cases) {
        char text[] = {static_cast<char>(c.c), 'Q'};
        EXPECT_EQ(CharLowerBuffA(text, 1), 1u);
        EXPECT_EQ(static_cast<uint8_t>(text[0]), c.lower) << int(c.c);
        EXPECT_EQ(text[1], 'Q');
    }
    EXPECT_EQ(AnsiLowerCase("Caf\xC9 OK"), "caf\xE9 ok");
}

TEST(TranslationTables, BothHalvesAreInversePermutations) {
    for (const TOrixHCharConv* table : {&ORIXH_CCONV_MAC, &ORIXH_CCONV_BCD38}) {
        std::array<bool, 256> seen{};
        for (int b = 0; b < 256; ++b) {
            const uint8_t ansi = (*table)[cctToAnsi][b];
            EXPECT_FALSE(seen[ansi]) << b;
            seen[ansi] = true;
            EXPECT_EQ((*table)[cctFromAnsi][ansi], b);
            EXPECT_EQ((*table)[cctToAnsi][(*table)[cctFromAnsi][b]], b);
        }
    }
}

TEST(TranslationTables, MacintoshCellsAsPrinted) {
    for (int b = 0; b < 0x80; ++b) EXPECT_EQ(ORIXH_CCONV_MAC[cctToAnsi][b], b);
    const struct {
        uint8_t mac, ansi;
    } cells[] = {
        {0x80, 0xC4}, {0x8F, 0xE8}, {0x9F, 0xFC}, {0xA0, 0xA0}, {0xAA, 0x8E},
        {0xB0, 0x8D}, {0xC4, 0x80}, {0xCA, 0xBE}, {0xD8, 0xFF}, {0xDF, 0xA4},
        {0xE0, 0x88}, {0xEF, 0xD4}, {0xF0, 0xF0}, {0xFF, 0xAF},
    };
    for (const auto& c : cells) EXPECT_EQ(ORIXH_CCONV_MAC[cctToAnsi][c.mac], c.ansi) << int(c.mac);
    // The accented letters agree with the system's Macintosh converter.
    for (int b = 0x80; b < 0xA0; ++b) {
        const auto unit = IconvUnit("MACINTOSH", static_cast<uint8_t>(b));
        ASSERT_TRUE(unit.has_value());
        EXPECT_EQ(Cp1252ToUnicode[ORIXH_CCONV_MAC[cctToAnsi][b]], *unit) << "Mac byte " << b;
    }
}

TEST(TranslationTables, EbcdicCellsAsPrinted) {
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ORIXH_CCONV_BCD38[cctToAnsi][0xF0 + i], '0' + i);
    const char* upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const uint8_t letterRows[] = {0xC1, 0xD1, 0xE2};
    const int rowLength[] = {9, 9, 8};
    for (int case_ = 0; case_ < 2; ++case_) {
        int letter = 0;
        for (int row = 0; row < 3; ++row)
            for (int i = 0; i < rowLength[row]; ++i, ++letter) {
                const int code = letterRows[row] - (case_ ? 0x40 : 0) + i;
                const int expected = upper[letter] + (case_ ? 0x20 : 0);
                EXPECT_EQ(ORIXH_CCONV_BCD38[cctToAnsi][code], expected) << code;
            }
    }
    const struct {
        uint8_t ebcdic, ansi;
    } cells[] = {
        {0x40, ' '},  {0x4A, '['},  {0x4B, '.'},  {0x5A, ']'}, {0x6A, 0xA6}, {0x7C, '@'},
        {0xC0, '{'},  {0xD0, '}'},  {0xE0, '\\'}, {0xA1, '~'}, {0x04, 0xF7}, {0x07, 0x7F},
        {0x25, 0x0A}, {0x3F, 0x1A}, {0xFF, 0xFF}, {0x79, '`'},
    };
    for (const auto& c : cells)
        EXPECT_EQ(ORIXH_CCONV_BCD38[cctToAnsi][c.ebcdic], c.ansi) << int(c.ebcdic);
}

TEST(Translation, EachKindBothWaysOverAllBytes) {
    for (TOrixHTranslationKind kind : kAllKinds) {
        const auto all = AllBytes();
        std::array<uint8_t, 256> toAnsi{}, fromAnsi{};
        TranslateBufferToAnsi(kind, all.data(), toAnsi.data(), 256);
        TranslateBufferFromAnsi(kind, all.data(), fromAnsi.data(), 256);
        for (int v = 0; v < 256; ++v) {
            const auto b = static_cast<uint8_t>(v);
            uint8_t show = 0, type = 0;
            switch (kind) {
            case tkAsIs:
            case tkCustom:
                show = type = b;
                break;
            case tkDos8:
            case tkASCII:
                show = OemToAnsiTable[b];
                type = AnsiToOemTable[b];
                break;
            case tkMac:
                show = ORIXH_CCONV_MAC[cctToAnsi][b];
                type = ORIXH_CCONV_MAC[cctFromAnsi][b];
                break;
            case tkBCD:
                show = ORIXH_CCONV_BCD38[cctToAnsi][b];
                type = ORIXH_CCONV_BCD38[cctFromAnsi][b];
                break;
            }
            // Buffers never mask.
            EXPECT_EQ(toAnsi[v], show) << "kind " << int(kind) << " byte " << v;
            EXPECT_EQ(fromAnsi[v], type) << "kind " << int(kind) << " char " << v;
            // Single characters refuse what the kind does not take.
            const bool shown = !(kind == tkASCII && v > 0x7F);
            EXPECT_EQ(TranslateCharToAnsi(kind, kNoMask, '*', b), shown ? show : '*')
                << "kind " << int(kind) << " byte " << v;
            const bool typed =
                !((kind == tkDos8 && v <= 0x1F) || (kind == tkASCII && (v <= 0x1F || v >= 0x80)));
            EXPECT_EQ(TranslateCharFromAnsi(kind, kNoMask, b), typed ? type : 0)
                << "kind " << int(kind) << " char " << v;
            // A shown character typed again gives the byte back wherever the code pages
            // have the character in common.
            if (kind != tkDos8 && kind != tkASCII) {
                EXPECT_EQ(TranslateCharFromAnsi(kind, kNoMask,
                                                TranslateCharToAnsi(kind, kNoMask, '*', b)),
                          b);
            }
        }
    }
}

TEST(Translation, PartExamples) {
    const TOrixHCharSet masked = ORIXH_DEFAULT_MASKED_CHARS;
    EXPECT_EQ(TranslateCharToAnsi(tkAsIs, masked, '.', 0x0A), '.');
    EXPECT_EQ(TranslateCharToAnsi(tkAsIs, masked, '.', 0x41), 'A');
    EXPECT_EQ(TranslateCharFromAnsi(tkAsIs, masked, 9), 0);
    EXPECT_EQ(TranslateCharToAnsi(tkBCD, masked, '.', 0xC1), 'A');
    EXPECT_EQ(TranslateCharToAnsi(tkBCD, masked, '.', 0xF0), '0');
    EXPECT_EQ(TranslateCharToAnsi(tkBCD, masked, '.', 0x40), ' ');
    EXPECT_EQ(TranslateCharFromAnsi(tkBCD, masked, 'A'), 0xC1);
    EXPECT_EQ(TranslateCharToAnsi(tkMac, masked, '.', 0x80), 0xC4);
    EXPECT_EQ(TranslateCharFromAnsi(tkMac, masked, 0xC4), 0x80);
    for (int b = 0x80; b < 0x100; ++b) {
        EXPECT_EQ(TranslateCharToAnsi(tkASCII, masked, '.', static_cast<uint8_t>(b)), '.');
        EXPECT_EQ(TranslateCharFromAnsi(tkASCII, masked, static_cast<uint8_t>(b)), 0);
    }
}

TEST(Masking, DefaultSetMasksControlCodesBothWays) {
    const TOrixHCharSet masked = ORIXH_DEFAULT_MASKED_CHARS;
    EXPECT_EQ(masked.count(), 32u);
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        EXPECT_EQ(TranslateCharToAnsi(tkAsIs, masked, '.', byte), b < 32 ? '.' : b);
        EXPECT_EQ(TranslateCharFromAnsi(tkAsIs, masked, byte), b < 32 ? 0 : b);
        // Mask character #0 switches masking off for shown bytes, not for typed ones.
        EXPECT_EQ(TranslateCharToAnsi(tkAsIs, masked, 0, byte), b);
    }
}

TEST(Masking, TestsTheTranslatedValue) {
    const TOrixHCharSet masked = ORIXH_DEFAULT_MASKED_CHARS;
    // EBCDIC 0x25 is a line feed: masked when shown; EBCDIC 0x0A shows as 0x93, not masked.
    EXPECT_EQ(TranslateCharToAnsi(tkBCD, masked, '.', 0x25), '.');
    EXPECT_EQ(TranslateCharToAnsi(tkBCD, masked, '.', 0x0A), 0x93);
    // Typing the ANSI line feed gives EBCDIC 0x25, which is not masked; typing 0x93 gives the
    // masked data byte 0x0A and is refused.
    EXPECT_EQ(TranslateCharFromAnsi(tkBCD, masked, 0x0A), 0x25);
    EXPECT_EQ(TranslateCharFromAnsi(tkBCD, masked, 0x93), 0);
    // The ASCII kind's mask character for high bytes goes through the mask test too.
    TOrixHCharSet star;
    star.set('*');
    EXPECT_EQ(TranslateCharToAnsi(tkASCII, star, '*', 0x80), '*');
    TOrixHCharSet letters;
    letters.set('A');
    EXPECT_EQ(TranslateCharToAnsi(tkAsIs, letters, '#', 'A'), '#');
    EXPECT_EQ(TranslateCharToAnsi(tkAsIs, letters, '#', 0x01), 0x01);
    EXPECT_EQ(TranslateCharFromAnsi(tkMac, letters, 'A'), 0);
}

TEST_F(CustomTable, UntouchedTableActsAsIsAndChangesTakeEffectAtOnce) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        EXPECT_EQ(TranslateCharToAnsi(tkCustom, kNoMask, '.', byte),
                  TranslateCharToAnsi(tkAsIs, kNoMask, '.', byte));
        EXPECT_EQ(TranslateCharFromAnsi(tkCustom, kNoMask, byte),
                  TranslateCharFromAnsi(tkAsIs, kNoMask, byte));
    }
    for (int b = 0; b < 256; ++b) {
        OrixHCustomCharConv[cctToAnsi][b] = static_cast<uint8_t>(255 - b);
        OrixHCustomCharConv[cctFromAnsi][b] = static_cast<uint8_t>(b ^ 0x20);
    }
    EXPECT_EQ(TranslateCharToAnsi(tkCustom, kNoMask, '.', 0x00), 0xFF);
    EXPECT_EQ(TranslateCharFromAnsi(tkCustom, kNoMask, 'a'), 'A');
    uint8_t buffer[] = {0x00, 0x10, 0xFF};
    TranslateBufferToAnsi(tkCustom, buffer, buffer, 3);
    EXPECT_EQ(buffer[0], 0xFF);
    EXPECT_EQ(buffer[1], 0xEF);
    EXPECT_EQ(buffer[2], 0x00);
    InitCustomCharConv();
    EXPECT_EQ(TranslateCharToAnsi(tkCustom, kNoMask, '.', 0x00), 0x00);
}

TEST(TranslateBuffer, InPlaceEmptyAndUnknownKinds) {
    for (TOrixHTranslationKind kind : kAllKinds) {
        auto inPlace = AllBytes();
        std::array<uint8_t, 256> copied{};
        const auto all = AllBytes();
        TranslateBufferToAnsi(kind, all.data(), copied.data(), 256);
        TranslateBufferToAnsi(kind, inPlace.data(), inPlace.data(), 256);
        EXPECT_EQ(inPlace, copied) << int(kind);
        TranslateBufferFromAnsi(kind, inPlace.data(), inPlace.data(), 256);
        TranslateBufferFromAnsi(kind, copied.data(), copied.data(), 256);
        EXPECT_EQ(inPlace, copied) << int(kind);
    }
    uint8_t dest[4] = {7, 7, 7, 7};
    const uint8_t source[4] = {0xC1, 0xC2, 0xC3, 0xC4};
    for (int32_t count : {0, -1, INT32_MIN}) {
        TranslateBufferToAnsi(tkBCD, source, dest, count);
        TranslateBufferFromAnsi(tkAsIs, source, dest, count);
        TranslateBufferToAnsi(tkDos8, source, dest, count);
    }
    const auto unknown = static_cast<TOrixHTranslationKind>(6);
    TranslateBufferToAnsi(unknown, source, dest, 4);
    TranslateBufferFromAnsi(unknown, source, dest, 4);
    EXPECT_EQ(std::vector<uint8_t>(dest, dest + 4), std::vector<uint8_t>(4, 7));
    EXPECT_EQ(TranslateCharToAnsi(unknown, kNoMask, '?', 'A'), '?');
    EXPECT_EQ(TranslateCharFromAnsi(unknown, kNoMask, 'A'), 0);
    // Only the first Count bytes are touched.
    TranslateBufferToAnsi(tkBCD, source, dest, 2);
    EXPECT_EQ(std::vector<uint8_t>(dest, dest + 4), (std::vector<uint8_t>{'A', 'B', 7, 7}));
}

TEST(Translation, UnicodeModeAllowsOnlyAsIs) {
    for (TOrixHTranslationKind kind : kAllKinds) {
        EXPECT_NO_THROW(CheckTranslationAllowed(kind, false));
        if (kind == tkAsIs) {
            EXPECT_NO_THROW(CheckTranslationAllowed(kind, true));
            continue;
        }
        try {
            CheckTranslationAllowed(kind, true);
            ADD_FAILURE() << "accepted kind " << int(kind);
        } catch (const EOrixHexEditor& e) {
            EXPECT_EQ(e.Message(), "Translations cannot be used in unicode mode");
        }
    }
}
