#include "orix_hprint_cell_painter.h"

#include <QPainter>

TOrixHPrintCellPainter::TOrixHPrintCellPainter(TCanvas& canvas, TColor pageColor)
    : canvas_(canvas), pageColor_(ColorToRGB(pageColor)) {}

TOrixHPrintCellPainter::~TOrixHPrintCellPainter() = default;

bool TOrixHPrintCellPainter::StaysInside(const QString& text, int32_t x, int32_t y,
                                         const TRect& cell) {
    QPainter* painter = canvas_.Painter();
    if (!painter || text.size() != 1) return false;
    if (!metrics_ || !(metricsFont_ == canvas_.Font)) {
        metricsFont_ = canvas_.Font;
        metrics_.emplace(canvas_.Font, painter->device());
    }
    // Half a pixel to spare for the edges of antialiased glyphs.
    const QRectF ink = metrics_->boundingRect(text[0]).translated(x, y + canvas_.DeviceAscent());
    return ink.left() >= cell.Left + 0.5 && ink.right() <= cell.Right - 0.5 &&
           ink.top() >= cell.Top + 0.5 && ink.bottom() <= cell.Bottom - 0.5;
}

void TOrixHPrintCellPainter::Cell(const TRect& cell, int32_t x, int32_t y, const QString& text) {
    if (cell.IsEmpty()) return;
    const bool blank = text.isEmpty() || text == QStringLiteral(" ");
    if (!blank && !StaysInside(text, x, y, cell)) {
        Flush();
        canvas_.TextBackground = canvas_.BrushColor;
        canvas_.TextRect(cell, x, y, text);
        return;
    }
    const TColor color = canvas_.BrushColor;
    const bool joins = filling_ && ColorToRGB(fillColor_) == ColorToRGB(color) &&
                       fill_.Top == cell.Top && fill_.Bottom == cell.Bottom &&
                       fill_.Right == cell.Left;
    if (!joins) {
        Flush();
        fill_ = cell;
        fillColor_ = color;
        filling_ = true;
    }
    fill_.Right = cell.Right;
    if (!blank) {
        glyphs_.push_back({QPoint(x, y), text, canvas_.Font, canvas_.FontColor});
    }
}

void TOrixHPrintCellPainter::Flush() {
    if (filling_ && canvas_.Painter()) {
        if (ColorToRGB(fillColor_) != pageColor_) canvas_.FillRect(fill_, fillColor_);
        const QFont font = canvas_.Font;
        const TColor color = canvas_.FontColor;
        for (const TGlyph& glyph : glyphs_) {
            canvas_.Font = glyph.Font;
            canvas_.FontColor = glyph.Color;
            canvas_.TextAt(glyph.TopLeft.x(), glyph.TopLeft.y(), glyph.Text);
        }
        canvas_.Font = font;
        canvas_.FontColor = color;
    }
    glyphs_.clear();
    filling_ = false;
}
