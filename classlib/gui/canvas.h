#pragma once
// TCanvas over QPainter with the class library's drawing rules: lines leave out their end
// pixel, text is placed by its top edge, opaque text first fills its clipping rectangle with the
// text background colour.
#include "colors.h"
#include "graphics.h"

#include <QFont>
#include <QString>

class QFontMetrics;
class QPainter;

class TCanvas {
public:
    explicit TCanvas(QPainter* painter = nullptr) : painter_(painter) {}

    QPainter* Painter() const { return painter_; }
    // A new painter may draw on a new device at a freed device's address: the cached ascent goes.
    void SetPainter(QPainter* painter) {
        painter_ = painter;
        ascentDevice_ = nullptr;
    }

    QFont Font;
    TColor FontColor = clWindowText;
    TColor BrushColor = clWindow;
    TColor PenColor = clBlack;
    int PenWidth = 1;
    TColor TextBackground = clWindow;
    // The transparent background mode: text draws only its glyphs, what lies between them
    // stays as it was.
    bool TransparentText = false;

    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // The same measured on the device the canvas draws on (a printer's resolution is not the
    // screen's); on the screen while the canvas has no painter.
    int DeviceTextWidth(const QString& text) const;
    int DeviceTextHeight(const QString& text) const;
    int DevicePixelsPerInchY() const;

    void FillRect(const TRect& rect);
    void FillRect(const TRect& rect, TColor color);
    // Text at (x, y), clipped to the rectangle; unless TransparentText, the rectangle is first
    // filled with TextBackground.
    void TextRect(const TRect& clip, int x, int y, const QString& text);
    // Text at (x, y) with neither clip nor background: only its glyphs are drawn.
    void TextAt(int x, int y, const QString& text);
    // The font's ascent on the painter's device: text at y has its baseline at y + this.
    int DeviceAscent();
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // One-pixel outline in the given colour, the rectangle's last row and column included.
    void FrameRect(const TRect& rect, TColor color);
    // The platform's dotted focus rectangle, drawn by inverting the pixels under it.
    void DrawFocusRect(const TRect& rect);

private:
    QPainter* painter_;
    QFont painterFont_;
    const void* ascentDevice_ = nullptr;
    int painterAscent_ = 0;
    int penX_ = 0;
    int penY_ = 0;
};

// Metrics of the font on the painter's device; on the screen without a painter or device.
QFontMetrics DeviceFontMetrics(const QFont& font, const QPainter* painter);

// The class library's TextOut in the transparent background mode: text at (x, y), placed by its
// top edge, in the canvas font and font colour; what lies between the glyphs stays as it was.
void TransparentTextOut(TCanvas& canvas, int x, int y, const QString& text);
