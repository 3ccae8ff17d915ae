#include "canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

int TCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(Font).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString&) const {
    return QFontMetrics(Font).height();
}

QFontMetrics DeviceFontMetrics(const QFont& font, const QPainter* painter) {
    if (painter && painter->device()) return QFontMetrics(font, painter->device());
    return QFontMetrics(font);
}

int TCanvas::DeviceTextWidth(const QString& text) const {
    return DeviceFontMetrics(Font, painter_).horizontalAdvance(text);
}

int TCanvas::DeviceTextHeight(const QString&) const {
    return DeviceFontMetrics(Font, painter_).height();
}

int TCanvas::DevicePixelsPerInchY() const {
    if (painter_ && painter_->device()) return painter_->device()->logicalDpiY();
    return static_cast<int>(std::lround(QFontMetrics(Font).fontDpi()));
}

void TCanvas::FillRect(const TRect& rect) {
    FillRect(rect, BrushColor);
}

void TCanvas::FillRect(const TRect& rect, TColor color) {
    if (!painter_ || rect.IsEmpty()) return;
    painter_->fillRect(rect.ToQRect(), ToQColor(color));
}

void TCanvas::TextRect(const TRect& clip, int x, int y, const QString& text) {
    if (!painter_ || clip.IsEmpty()) return;
    const QRect r = clip.ToQRect();
    if (!TransparentText) painter_->fillRect(r, ToQColor(TextBackground));
    if (text.isEmpty()) return;
    painter_->setClipRect(r);
    TextAt(x, y, text);
    painter_->setClipping(false);
}

int TCanvas::DeviceAscent() {
    if (!painter_) return QFontMetrics(Font).ascent();
    if (!(Font == painterFont_) || ascentDevice_ != painter_->device()) {
        painterFont_ = Font;
        ascentDevice_ = painter_->device();
        painterAscent_ = DeviceFontMetrics(Font, painter_).ascent();
    }
    return painterAscent_;
}

void TCanvas::TextAt(int x, int y, const QString& text) {
    if (!painter_ || text.isEmpty()) return;
    // Placed by the top edge with the ascent on this painter's device.
    const int ascent = DeviceAscent();
    if (!(painter_->font() == Font)) painter_->setFont(Font);
    const QColor color = ToQColor(FontColor);
    if (painter_->pen().color() != color) painter_->setPen(color);
    painter_->drawText(x, y + ascent, text);
}

void TCanvas::MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void TCanvas::LineTo(int x, int y) {
    if (painter_) {
        const QColor color = ToQColor(PenColor);
        const int w = std::max(1, PenWidth);
        if (x == penX_) {
            const int len = std::abs(y - penY_);
            const int top = y > penY_ ? penY_ : y + 1;
            if (len > 0) painter_->fillRect(penX_ - (w - 1) / 2, top, w, len, color);
        } else if (y == penY_) {
            const int len = std::abs(x - penX_);
            const int left = x > penX_ ? penX_ : x + 1;
            if (len > 0) painter_->fillRect(left, penY_ - (w - 1) / 2, len, w, color);
        } else {
            painter_->save();
            painter_->setPen(QPen(color, w));
            painter_->drawLine(penX_, penY_, x, y);
            painter_->restore();
        }
    }
    penX_ = x;
    penY_ = y;
}

void TCanvas::FrameRect(const TRect& rect, TColor color) {
    if (!painter_ || rect.IsEmpty()) return;
    const QColor c = ToQColor(color);
    const QRect r = rect.ToQRect();
    painter_->fillRect(r.left(), r.top(), r.width(), 1, c);
    painter_->fillRect(r.left(), r.bottom(), r.width(), 1, c);
    painter_->fillRect(r.left(), r.top(), 1, r.height(), c);
    painter_->fillRect(r.right(), r.top(), 1, r.height(), c);
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    if (!painter_ || rect.IsEmpty()) return;
    painter_->save();
    painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(255, 255, 255);
    for (int x = rect.Left; x < rect.Right; x += 2) {
        painter_->fillRect(x, rect.Top, 1, 1, white);
        if (rect.Bottom - 1 > rect.Top) painter_->fillRect(x, rect.Bottom - 1, 1, 1, white);
    }
    for (int y = rect.Top + 2; y < rect.Bottom - 1; y += 2) {
        painter_->fillRect(rect.Left, y, 1, 1, white);
        if (rect.Right - 1 > rect.Left) painter_->fillRect(rect.Right - 1, y, 1, 1, white);
    }
    painter_->restore();
}

void TransparentTextOut(TCanvas& canvas, int x, int y, const QString& text) {
    QPainter* painter = canvas.Painter();
    if (!painter || text.isEmpty()) return;
    painter->save();
    painter->setFont(canvas.Font);
    painter->setPen(ToQColor(canvas.FontColor));
    painter->drawText(x, y + QFontMetrics(canvas.Font).ascent(), text);
    painter->restore();
}
