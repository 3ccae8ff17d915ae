#pragma once
// TOrixHPrintCellPainter: draws the cells of one printed line with as few drawing operations
// as give the same page. A cell is filled with its background and its character drawn opaque
// and clipped to the cell; neighbouring fills of one colour become one fill, a fill in the
// colour the page already has is left out, and a character whose glyph stays inside its cell
// is drawn without a clip, since the clip could not change it.
#include "canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <optional>
#include <vector>

class TOrixHPrintCellPainter {
public:
    // pageColor: the colour the area of the line already has.
    TOrixHPrintCellPainter(TCanvas& canvas, TColor pageColor);
    ~TOrixHPrintCellPainter();
    TOrixHPrintCellPainter(const TOrixHPrintCellPainter&) = delete;
    TOrixHPrintCellPainter& operator=(const TOrixHPrintCellPainter&) = delete;

    // The character text at (x, y) in the canvas's font and font colour, on the canvas's brush
    // colour, in the cell (the clip). Nothing may be drawn over the line until Flush.
    void Cell(const TRect& cell, int32_t x, int32_t y, const QString& text);
    void Flush();

private:
    struct TGlyph {
        QPoint TopLeft;
        QString Text;
        QFont Font;
        TColor Color;
    };
    bool StaysInside(const QString& text, int32_t x, int32_t y, const TRect& cell);

    TCanvas& canvas_;
    const TColor pageColor_;
    // The pending fill and the characters on it.
    TRect fill_;
    TColor fillColor_ = clWhite;
    bool filling_ = false;
    std::vector<TGlyph> glyphs_;
    // Metrics of the last font asked about.
    QFont metricsFont_;
    std::optional<QFontMetricsF> metrics_;
};
