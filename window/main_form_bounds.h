#pragma once
// Where the main window goes: its frame, title bar and borders included, fits the available
// area of its screen and lies on it, so that no edge (the status bar least of all) is out of
// reach. Bounds that fit stay exactly as they were.
#include <QMargins>
#include <QRect>
#include <cstdint>

class QWidget;

// Left and top place the frame, as QWidget::move does; width and height are the client area.
struct FormBounds {
    int Left, Top, Width, Height;
    bool operator==(const FormBounds&) const = default;
};

// The bounds whose frame (the client area grown by frame) lies inside area: a client area
// too large for it shrinks, then the frame is moved onto the area.
FormBounds BoundFrameToArea(int32_t left, int32_t top, int32_t width, int32_t height,
                            const QMargins& frame, const QRect& area);

// BoundFrameToArea on the available area of window's screen, with the frame that window has
// now (none before the window manager has framed it).
FormBounds BoundOnScreen(const QWidget& window, int32_t left, int32_t top, int32_t width,
                         int32_t height);
void PlaceForm(QWidget& window, const FormBounds& bounds);

// The frame is known only once the window manager has framed the window: at its first
// exposure window is bounded again with that frame, unless it is maximised or full screen.
void BoundFrameWhenFramed(QWidget& window);
