#pragma once
// TCanvas over QPainter with the class library's drawing rules: lines leave out their end
// pixel, text is placed by its top edge, opaque text first fills its clipping rectangle with the
// text background colour.
#include "colors.h"
#include "graphics.h"

#include <QFont>
#include <QString>

class QPainter;

class TCanvas {
public:
    explicit TCanvas(QPainter* painter = nullptr) : painter_(painter) {}

    QPainter* Painter() const { return painter_; }
    void SetPainter(QPainter* painter) { painter_ = painter; }

    QFont Font;
    TColor FontColor = clWindowText;
    TColor BrushColor = clWindow;
    TColor PenColor = clBlack;
    int PenWidth = 1;
    TColor TextBackground = clWindow;

    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // The same measured on the device the canvas draws on (a printer's resolution is not the
    // screen's); on the screen while the canvas has no painter.
    int DeviceTextWidth(const QString& text) const;
    int DeviceTextHeight(const QString& text) const;
    int DevicePixelsPerInchY() const;

    void FillRect(const TRect& rect);
    void FillRect(const TRect& rect, TColor color);
    // Opaque text at (x, y), clipped to the rectangle.
    void TextRect(const TRect& clip, int x, int y, const QString& text);
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

// The class library's TextOut in the transparent background mode: text at (x, y), placed by its
// top edge, in the canvas font and font colour; what lies between the glyphs stays as it was.
void TransparentTextOut(TCanvas& canvas, int x, int y, const QString& text);
