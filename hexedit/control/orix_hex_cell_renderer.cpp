#include "orix_hex_cell_renderer.h"

#include "code_pages.h"
#include "orix_hex_editor.h"

#include <algorithm>
#include <cmath>

TOrixHCellRenderer::TOrixHCellRenderer(TCustomOrixHexEditor& editor) : editor_(editor) {}

QChar TOrixHCellRenderer::HexDigit(uint8_t byte, int index) const {
    static const char upper[] = "0123456789ABCDEF";
    static const char lower[] = "0123456789abcdef";
    const bool high = (index % 2 == 0) != editor_.GetSwapNibbles();
    const int nibble = high ? byte >> 4 : byte & 15;
    return QChar::fromLatin1((editor_.GetHexLowerCase() ? lower : upper)[nibble]);
}

QChar TOrixHCellRenderer::CharAt(int32_t p) const {
    const uint8_t* data = editor_.DataStore().Memory();
    const int32_t size = editor_.GetDataSize();
    if (editor_.GetUnicodeChars()) {
        const uint16_t first = data[p];
        const uint16_t second = p + 1 < size ? data[p + 1] : 0;
        const auto unit = static_cast<uint16_t>(
            editor_.GetUnicodeBigEndian() ? (first << 8) | second : first | (second << 8));
        if (unit < 256 && editor_.GetMaskedChars().test(unit))
            return QChar::fromLatin1(editor_.GetMaskChar());
        return QChar(unit);
    }
    return QChar(Cp1252ToUnicode[editor_.TranslateToAnsiChar(data[p])]);
}

bool TOrixHCellRenderer::Changed(int32_t p, bool inCharField) const {
    return editor_.HasChanged(p) ||
           (inCharField && editor_.GetUnicodeChars() && editor_.HasChanged(p + 1));
}

bool TOrixHCellRenderer::OnCaretRow(int64_t rowStart) const {
    return rowStart / editor_.GetBytesPerRow() == editor_.Row() - editor_.FixedRows();
}

TOrixHCellColors TOrixHCellRenderer::DataColors(bool changed, bool inCharField, bool activeField,
                                                int32_t byteInRow) const {
    TOrixHColors& colors = editor_.Colors();
    if (changed) return {colors.ChangedText(), colors.ChangedBackground()};
    const TColor back = activeField ? colors.ActiveFieldBackground() : colors.Background();
    if (inCharField) return {FontColor, back};
    const bool odd = (byteInRow / editor_.GetBytesPerColumn()) % 2 == 0;
    return {odd ? colors.OddColumn() : colors.EvenColumn(), back};
}

void TOrixHCellRenderer::ShrinkToWidth(TCanvas& canvas, const QString& text, int32_t width) {
    if (canvas.DeviceTextWidth(text) <= width) return;
    QFont font = canvas.Font;
    int32_t points = OrixHFontPoints(font, canvas.DevicePixelsPerInchY());
    font.setPointSize(points);
    canvas.Font = font;
    while (points > 1 && canvas.DeviceTextWidth(text) > width) {
        font.setPointSize(--points);
        canvas.Font = font;
    }
}

int32_t OrixHFontPoints(const QFont& font, int32_t dpi) {
    if (font.pointSize() > 0) return font.pointSize();
    if (font.pointSizeF() > 0)
        return std::max(1, static_cast<int32_t>(std::nearbyint(font.pointSizeF())));
    const double points = font.pixelSize() * 72.0 / std::max(1, dpi);
    return std::max(1, static_cast<int32_t>(std::nearbyint(std::min(points, 1e6))));
}
