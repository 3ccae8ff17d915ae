#include "colors.h"

namespace {
// Classic desktop defaults, written as 0xRRGGBB for reading ease.
constexpr uint32_t kSystemRgb[] = {
    0xC8C8C8, // 0 scroll bar
    0x000000, // 1 desktop
    0x99B4D1, // 2 active caption
    0xBFCDDB, // 3 inactive caption
    0xF0F0F0, // 4 menu
    0xFFFFFF, // 5 window
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0x000000, // 9 caption text
    0xB4B4B4, // 10 active border
    0xF4F7FC, // 11 inactive border
    0xABABAB, // 12 application workspace
    0x0078D7, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xF0F0F0, // 15 button face
    0xA0A0A0, // 16 button shadow
    0x6D6D6D, // 17 gray text
    0x000000, // 18 button text
    0x000000, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x696969, // 21 3-D dark shadow
    0xE3E3E3, // 22 3-D light
    0x000000, // 23 tooltip text
    0xFFFFE1, // 24 tooltip background
    0x000000, // 25 unused
    0x0066CC, // 26 hot light
    0xB9D1EA, // 27 gradient active caption
    0xD7E4F2, // 28 gradient inactive caption
    0x3399FF, // 29 menu highlight
    0xF0F0F0, // 30 menu bar
};
} // namespace

TColor ColorToRGB(TColor color) {
    const uint32_t value = static_cast<uint32_t>(color);
    if ((value & 0xFF000000u) == 0) return color;
    if ((value & 0xFF000000u) != 0x80000000u) return static_cast<TColor>(value & 0xFFFFFFu);
    const uint32_t index = value & 0xFFFFFFu;
    if (index >= sizeof(kSystemRgb) / sizeof(kSystemRgb[0])) return clBlack;
    const uint32_t rgb = kSystemRgb[index];
    return static_cast<TColor>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

QColor ToQColor(TColor color) {
    const uint32_t rgb = static_cast<uint32_t>(ColorToRGB(color));
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    return static_cast<TColor>(static_cast<uint32_t>(color.red()) |
                               (static_cast<uint32_t>(color.green()) << 8) |
                               (static_cast<uint32_t>(color.blue()) << 16));
}
