#pragma once
// TColor: 0x00BBGGRR for an RGB colour (red in the low byte), 0x80000000 + n for the
// platform's system colour n, resolved from one fixed table so that every machine paints alike.
#include <QColor>
#include <cstdint>

using TColor = int32_t;

constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clBtnHighlight = SystemColor(20);

// A colour as the type of a property, so that access by name tells it from a number: in text
// a system colour is written as the class library numbers it (0xFF000000 + n, clWindow is
// -16777211).
enum TColorProp : int32_t {};

// The RGB value (0x00BBGGRR) of a colour; system colours come from the fixed table, unknown
// system colour numbers resolve to black.
TColor ColorToRGB(TColor color);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
