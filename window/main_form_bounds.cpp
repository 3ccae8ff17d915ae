#include "main_form_bounds.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

QMargins FrameOf(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QRect AvailableArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Stays on window until its first exposure, then bounds it and goes.
class FrameWatch : public QObject {
public:
    explicit FrameWatch(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* handle = qobject_cast<QWindow*>(watched);
        if (event->type() != QEvent::Expose || !handle || !handle->isExposed()) return false;
        handle->removeEventFilter(this);
        deleteLater();
        if (!(window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
            PlaceForm(window_, BoundOnScreen(window_, window_.x(), window_.y(), window_.width(),
                                             window_.height()));
        return false;
    }

private:
    QWidget& window_;
};

} // namespace

FormBounds BoundFrameToArea(int32_t left, int32_t top, int32_t width, int32_t height,
                            const QMargins& frame, const QRect& area) {
    const int64_t frameWidth = int64_t{frame.left()} + frame.right();
    const int64_t frameHeight = int64_t{frame.top()} + frame.bottom();
    const int64_t w =
        std::clamp<int64_t>(width, 0, std::max<int64_t>(0, area.width() - frameWidth));
    const int64_t h =
        std::clamp<int64_t>(height, 0, std::max<int64_t>(0, area.height() - frameHeight));
    // A frame wider or higher than the area itself keeps its top left corner on it.
    const int64_t x = std::clamp<int64_t>(
        left, area.x(),
        std::max<int64_t>(area.x(), int64_t{area.x()} + area.width() - w - frameWidth));
    const int64_t y = std::clamp<int64_t>(
        top, area.y(),
        std::max<int64_t>(area.y(), int64_t{area.y()} + area.height() - h - frameHeight));
    return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)};
}

FormBounds BoundOnScreen(const QWidget& window, int32_t left, int32_t top, int32_t width,
                         int32_t height) {
    return BoundFrameToArea(left, top, width, height, FrameOf(window), AvailableArea(window));
}

void PlaceForm(QWidget& window, const FormBounds& bounds) {
    const FormBounds now{window.x(), window.y(), window.width(), window.height()};
    if (bounds == now) return;
    window.resize(bounds.Width, bounds.Height);
    window.move(bounds.Left, bounds.Top);
}

void BoundFrameWhenFramed(QWidget& window) {
    if (QWindow* handle = window.windowHandle()) handle->installEventFilter(new FrameWatch(window));
}
