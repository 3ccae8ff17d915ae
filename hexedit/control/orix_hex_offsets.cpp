// Offset texts of the gutter, the offset format language and the ruler texts.
#include "orix_hex_editor.h"

#include "hex_digits.h"
#include "sysutils.h"

#include <QScopedValueRollback>
#include <cctype>

namespace {
// Index of the first character that is not a hexadecimal digit.
size_t FirstNonHex(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsHexDigit(text[i])) ++i;
    return i;
}

// The hexadecimal number of a format part, in the low 32 bits.
uint32_t HexValue(const std::string& digits) {
    return static_cast<uint32_t>(RadixToInt(digits, 16));
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

void TCustomOrixHexEditor::GenerateOffsetFormat(const std::string& text) {
    TOrixHOffsetFormat& f = FParsedOffsetFormat;
    f.OffsetFlags = 0;
    if (text.empty()) {
        f.OffsetFormatText.clear();
        return;
    }
    std::string rest = text;
    const std::string head = UpperCase(rest.substr(0, 2));
    if (head == "R%") {
        f.OffsetFlags |= offCalcRow;
        rest.erase(0, 2);
        f.OffsetUnit = BytesPerRow & 0xFF;
    } else if (head == "C%") {
        f.OffsetFlags |= offCalcColumn;
        rest.erase(0, 2);
        f.OffsetUnit = GetBytesPerColumn() & 0xFF;
    } else {
        const size_t i = FirstNonHex(rest);
        if (i < rest.size() && rest[i] == '%') {
            if (i == 0) {
                f.OffsetFlags |= offBytesPerUnit;
                f.OffsetUnit = FEffectiveRulerUnit;
            } else {
                f.OffsetUnit = static_cast<int32_t>(HexValue(rest.substr(0, i)) & 0xFF);
            }
            rest.erase(0, i + 1);
        } else {
            f.OffsetFlags |= offBytesPerUnit;
            f.OffsetUnit = FEffectiveRulerUnit;
        }
    }
    if (f.OffsetUnit != 1 && f.OffsetUnit != 2 && f.OffsetUnit != 4 && f.OffsetUnit != 8)
        throw EOrixHexEditor(
            Format("Invalid bytes per unit value %d, allowed: 1,2,4,8", f.OffsetUnit));
    if (rest.rfind("-!", 0) == 0) {
        f.OffsetFlags |= offCalcWidth;
        rest.erase(0, 2);
        f.OffsetMinWidth = 1;
    } else {
        const size_t i = FirstNonHex(rest);
        if (i < rest.size() && rest[i] == '!') {
            // Kept as parsed: only the digits take it as 8 bits, while "no digits for 0"
            // asks for a width of 0 itself, which a width of 0x100 is not.
            f.OffsetMinWidth = i == 0 ? 1 : static_cast<int32_t>(HexValue(rest.substr(0, i)));
            rest.erase(0, i + 1);
        } else {
            f.OffsetMinWidth = 1;
        }
    }
    const size_t i = FirstNonHex(rest);
    if (i == 0) throw EOrixHexEditor(Format("Missing char in offset format: %s", "number radix"));
    if (i >= rest.size() || rest[i] != ':')
        throw EOrixHexEditor(Format("Missing char in offset format: %s", ":"));
    const auto radix = static_cast<uint8_t>(HexValue(rest.substr(0, i)));
    if (radix < 2 || radix > 16)
        throw EOrixHexEditor(
            Format("Invalid radix in offset format (%Xh), allowed: 02h..10h", radix));
    f.OffsetRadix = radix;
    rest.erase(0, i + 1);
    const size_t bar = rest.find('|');
    if (bar == std::string::npos)
        throw EOrixHexEditor(Format("Missing char in offset format: %s", "|"));
    f.OffsetPrefix = rest.substr(0, bar);
    f.OffsetSuffix = rest.substr(bar + 1);
    f.OffsetFormatText = text;
}

void TCustomOrixHexEditor::SetOffsetFormat(const std::string& text) {
    if (text == FParsedOffsetFormat.OffsetFormatText) return;
    const TOrixHOffsetFormat previous = FParsedOffsetFormat;
    try {
        GenerateOffsetFormat(text);
        SetOffsetDisplayWidth();
        viewport()->update();
    } catch (...) {
        // The previous format comes back whole, the error goes on unchanged.
        FParsedOffsetFormat = previous;
        SetOffsetDisplayWidth();
        throw;
    }
}

std::string TCustomOrixHexEditor::GetOffsetString(uint32_t position) {
    if (OnGetOffsetText && !FInOffsetEvent) {
        const QScopedValueRollback<bool> inEvent(FInOffsetEvent, true);
        std::string text;
        OnGetOffsetText(this, static_cast<int64_t>(position), text);
        return text;
    }
    const TOrixHOffsetFormat& f = FParsedOffsetFormat;
    if (f.OffsetFormatText.empty()) return {};
    const auto unit = static_cast<uint32_t>(std::max(1, f.OffsetUnit));
    std::string digits;
    if (!(f.OffsetMinWidth == 0 && position == 0))
        digits = IntToRadixLen64(position / unit, f.OffsetRadix,
                                 static_cast<uint8_t>(f.OffsetMinWidth & 0xFF));
    if (HexLowerCase) digits = Lower(digits);
    return f.OffsetPrefix + digits + f.OffsetSuffix;
}

std::string TCustomOrixHexEditor::GetAnyOffsetString(int32_t position) {
    if (FParsedOffsetFormat.OffsetFormatText.empty()) return IntToRadix(position, 16);
    return GetOffsetString(static_cast<uint32_t>(position));
}

void TCustomOrixHexEditor::SetOffsetDisplayWidth() {
    // The first byte of the last row.
    const int32_t lastRow = std::max(0, RowCount() - 1 - kFirstDataRow);
    const int64_t m64 = static_cast<int64_t>(lastRow) * BytesPerRow;
    const auto m = static_cast<uint32_t>(std::min<int64_t>(m64, UINT32_MAX));
    size_t length;
    if (OnGetOffsetText && !FInOffsetEvent) {
        length = GetOffsetString(m).size();
    } else {
        TOrixHOffsetFormat& f = FParsedOffsetFormat;
        if ((f.OffsetFlags & offCalcWidth) && f.OffsetRadix >= 2 && f.OffsetRadix <= 16) {
            const auto unit = static_cast<uint32_t>(std::max(1, f.OffsetUnit));
            f.OffsetMinWidth = static_cast<int32_t>(IntToRadix64(m / unit, f.OffsetRadix).size());
        }
        length = GetOffsetString(m).size();
    }
    FOffsetTextWidth = static_cast<int32_t>(length) + 1;
    DoSetCellWidth(kGutterCol, GutterWidth != -1
                                   ? GutterWidth
                                   : FOffsetTextWidth * std::max(0, FCharPixelWidth) + 21);
}

void TCustomOrixHexEditor::UpdateGetOffsetText() {
    SetOffsetDisplayWidth();
    viewport()->update();
    CheckSetCaret();
}

void TCustomOrixHexEditor::SetHexLowerCase(bool value) {
    if (value == HexLowerCase) return;
    HexLowerCase = value;
    std::memcpy(FHexDigits, value ? "0123456789abcdef" : "0123456789ABCDEF", 17);
    SetRulerString();
    viewport()->update();
}

void TCustomOrixHexEditor::SetShowRuler(bool value) {
    if (value == ShowRuler) return;
    ShowRuler = value;
    AdjustMetrics();
}

void TCustomOrixHexEditor::SetBytesPerUnit(int32_t value) {
    if (value == BytesPerUnit) return;
    if (UnicodeChars && value != 2)
        throw EOrixHexEditor("BytesPerUnit must be set to 2 in unicode mode");
    if (value != 1 && value != 2 && value != 4 && value != 8)
        throw EOrixHexEditor(Format("Invalid bytes per unit value %d, allowed: 1,2,4,8", value));
    BytesPerUnit = value;
    if (RulerBytesPerUnit == -1) FEffectiveRulerUnit = value;
    if (FParsedOffsetFormat.OffsetFlags & offBytesPerUnit)
        FParsedOffsetFormat.OffsetUnit = FEffectiveRulerUnit;
    AdjustMetrics();
    SetRulerString();
    if (GetSelCount() % value != 0) ResetSelection(true);
    viewport()->update();
}

void TCustomOrixHexEditor::SetRulerBytesPerUnit(int32_t value) {
    if (value == RulerBytesPerUnit) return;
    if (value != -1 && value != 1 && value != 2 && value != 4 && value != 8)
        throw EOrixHexEditor(
            Format("Invalid ruler bytes per unit value %d, allowed: -1,1,2,4,8", value));
    RulerBytesPerUnit = value;
    FEffectiveRulerUnit = value == -1 ? BytesPerUnit : value;
    if (FParsedOffsetFormat.OffsetFlags & offBytesPerUnit)
        FParsedOffsetFormat.OffsetUnit = FEffectiveRulerUnit;
    AdjustMetrics();
    SetRulerString();
    viewport()->update();
}

void TCustomOrixHexEditor::SetRulerNumberBase(uint8_t value) {
    if (value == RulerNumberBase) return;
    RulerNumberBase = value >= 2 && value <= 16 ? value : 16;
    SetRulerString();
    if (ShowRuler) viewport()->update();
}

void TCustomOrixHexEditor::SetRulerString() {
    const int32_t u = FEffectiveRulerUnit;
    const int32_t n = BytesPerRow / u;
    const int32_t w = UnicodeChars ? u / 2 : u;
    std::string hex, chars;
    for (int32_t k = 0; k < n; ++k) {
        std::string piece = IntToRadixLen(k, RulerNumberBase, static_cast<uint8_t>(2 * u));
        if (static_cast<int32_t>(piece.size()) > 2 * u) piece = piece.substr(piece.size() - 2 * u);
        hex += piece;
        std::string c = IntToRadix(k, RulerNumberBase);
        if (static_cast<int32_t>(c.size()) > w)
            c = c.substr(c.size() - static_cast<size_t>(w));
        else
            c.insert(0, static_cast<size_t>(w) - c.size(), ' ');
        chars += c;
    }
    FHexRulerText = HexLowerCase ? Lower(hex) : hex;
    FCharRulerText = HexLowerCase ? Lower(chars) : chars;
}

int32_t TCustomOrixHexEditor::DisplayStart() const {
    if (GetDataSize() == 0) return -1;
    return static_cast<int32_t>(static_cast<int64_t>(TopRow() - kFirstDataRow) * BytesPerRow);
}

int32_t TCustomOrixHexEditor::DisplayEnd() const {
    if (GetDataSize() == 0) return -1;
    const int64_t end = static_cast<int64_t>(DisplayStart()) +
                        static_cast<int64_t>(VisibleRowCount()) * BytesPerRow - 1;
    return static_cast<int32_t>(std::min<int64_t>(GetDataSize() - 1, end));
}
