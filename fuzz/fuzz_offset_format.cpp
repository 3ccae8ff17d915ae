// Arbitrary text as the offset format of the hex editor control, on data of a size and a unit
// the input chooses. Findings besides the sanitizers': an accepted format whose offset texts
// do not read back as the offsets, and a refused one that does not leave the format as it was.
//
// Input: byte 0 the unit (bits 0-1: 1, 2, 4 or 8 bytes) and the letter case (bit 2), bytes 1
// and 2 the data size (little-endian), then the format text.
#include "fuzz_editor.h"
#include "orix_hex_editor_ex.h"
#include "orix_hex_error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SameFormat(const TOrixHOffsetFormat& a, const TOrixHOffsetFormat& b) {
    return a.OffsetFormatText == b.OffsetFormatText && a.OffsetPrefix == b.OffsetPrefix &&
           a.OffsetSuffix == b.OffsetSuffix && a.OffsetMinWidth == b.OffsetMinWidth &&
           a.OffsetFlags == b.OffsetFlags && a.OffsetRadix == b.OffsetRadix &&
           a.OffsetUnit == b.OffsetUnit;
}

// The offset text of a position reads back, between prefix and suffix, as position / unit in
// the format's radix, at least as wide as the format asks.
void CheckOffsetText(TOrixHexEditorEx& editor, uint32_t position) {
    const TOrixHOffsetFormat& f = editor.ParsedOffsetFormat();
    const std::string text = editor.GetOffsetString(position);
    Check(text.size() >= f.OffsetPrefix.size() + f.OffsetSuffix.size());
    Check(text.compare(0, f.OffsetPrefix.size(), f.OffsetPrefix) == 0);
    Check(text.compare(text.size() - f.OffsetSuffix.size(), f.OffsetSuffix.size(),
                       f.OffsetSuffix) == 0);
    const std::string digits = text.substr(
        f.OffsetPrefix.size(), text.size() - f.OffsetPrefix.size() - f.OffsetSuffix.size());
    if (f.OffsetMinWidth == 0 && position == 0) {
        Check(digits.empty());
        return;
    }
    Check(!digits.empty() && digits.size() >= static_cast<size_t>(f.OffsetMinWidth & 0xFF));
    uint64_t value = 0;
    for (const char c : digits) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : 99;
        Check(digit < f.OffsetRadix);
        value = value * f.OffsetRadix + static_cast<uint64_t>(digit);
        Check(value <= UINT32_MAX);
    }
    Check(value == position / static_cast<uint32_t>(f.OffsetUnit));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    TOrixHexEditorEx* editor = &FuzzEditor();
    const FuzzSettle settle;
    const size_t dataSize = data[1] | static_cast<size_t>(data[2]) << 8;
    TMemoryStream stream;
    stream.SetSize(static_cast<int64_t>(dataSize));
    editor->LoadFromStream(stream);
    editor->SetBytesPerUnit(1 << (data[0] & 3));
    editor->SetHexLowerCase((data[0] & 4) != 0);
    editor->SetOffsetFormat("-!10:0x|");

    const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);
    const TOrixHOffsetFormat before = editor->ParsedOffsetFormat();
    try {
        editor->SetOffsetFormat(text);
    } catch (const EOrixHexEditor&) {
        Check(SameFormat(editor->ParsedOffsetFormat(), before));
        return 0;
    }
    const TOrixHOffsetFormat& f = editor->ParsedOffsetFormat();
    Check(f.OffsetFormatText == text);
    if (text.empty()) return 0;
    Check(f.OffsetRadix >= 2 && f.OffsetRadix <= 16);
    Check(f.OffsetUnit >= 1);
    for (const uint32_t position :
         {0u, 1u, 255u, static_cast<uint32_t>(dataSize), 0x7FFFFFFFu, 0xFFFFFFFFu})
        CheckOffsetText(*editor, position);
    return 0;
}
