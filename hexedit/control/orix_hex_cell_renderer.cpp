#include "orix_hex_cell_renderer.h"

#include "code_pages.h"
#include "orix_hex_editor.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
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

namespace {
// Metrics objects kept per font and device resolution. Qt's font cache lets go of the font
// engines that nothing holds, and an engine for a new size and script of a character missing
// from the font means loading each fallback font again: held here, each is loaded once.
QHash<QString, QFontMetrics>* keptMetrics = nullptr;

void DropKeptMetrics() {
    delete keptMetrics;
    keptMetrics = nullptr;
}

// The font and what measures it: the kind and resolution of the canvas's device.
QString FontOnDeviceKey(const TCanvas& canvas, const QFont& font) {
    const QPainter* painter = canvas.Painter();
    const QPaintDevice* device = painter ? painter->device() : nullptr;
    return font.key() + QLatin1Char('|') + QString::number(device ? device->devType() : 0) +
           QLatin1Char('|') + QString::number(canvas.DevicePixelsPerInchY());
}

int KeptMetricsWidth(const TCanvas& canvas, const QFont& font, const QString& text) {
    const QString key = FontOnDeviceKey(canvas, font);
    if (!keptMetrics) {
        keptMetrics = new QHash<QString, QFontMetrics>;
        // Engines must go while the application, which owns the font cache, still exists.
        qAddPostRoutine(DropKeptMetrics);
    }
    // Each holds a font at one size: a few hundred are all the sizes of a few fonts.
    if (keptMetrics->size() >= 512) keptMetrics->clear();
    auto it = keptMetrics->find(key);
    if (it == keptMetrics->end())
        it = keptMetrics->insert(key, DeviceFontMetrics(font, canvas.Painter()));
    return it->horizontalAdvance(text);
}
} // namespace

void TOrixHCellRenderer::ShrinkToWidth(TCanvas& canvas, const QString& text, int32_t width) {
    if (canvas.DeviceTextWidth(text) <= width) return;
    // Each size is a font of its own to load, and most characters of a page are new: the
    // size is found from the width at the starting size and kept per character and font.
    static QHash<QString, int32_t> sizes;
    const int32_t dpi = canvas.DevicePixelsPerInchY();
    const QString key = FontOnDeviceKey(canvas, canvas.Font) + QLatin1Char('|') +
                        QString::number(width) + QLatin1Char('|') + text;
    QFont font = canvas.Font;
    auto widthAt = [&](int32_t points) {
        font.setPointSize(points);
        return KeptMetricsWidth(canvas, font, text);
    };
    const auto known = sizes.constFind(key);
    if (known != sizes.constEnd()) {
        font.setPointSize(*known);
        canvas.Font = font;
        return;
    }
    // The size a walk down one point at a time stops at: the largest from the start that
    // fits, else 1. Widths grow with the size, so the estimate is corrected a step at a time.
    const int32_t start = OrixHFontPoints(font, dpi);
    int32_t points = start;
    const int64_t startWidth = widthAt(start);
    if (startWidth > width && start > 1) {
        points = static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{start} * std::max(width, 0) / startWidth, 1, start - 1));
        while (points + 1 < start && widthAt(points + 1) <= width) ++points;
        while (points > 1 && widthAt(points) > width) --points;
    }
    if (sizes.size() >= (1 << 16)) sizes.clear();
    sizes.insert(key, points);
    font.setPointSize(points);
    canvas.Font = font;
}

int32_t OrixHFontPoints(const QFont& font, int32_t dpi) {
    if (font.pointSize() > 0) return font.pointSize();
    if (font.pointSizeF() > 0)
        return std::max(1, static_cast<int32_t>(std::nearbyint(font.pointSizeF())));
    const double points = font.pixelSize() * 72.0 / std::max(1, dpi);
    return std::max(1, static_cast<int32_t>(std::nearbyint(std::min(points, 1e6))));
}
