#include "caret.h"

#include <QPainter>
#include <QWidget>

TCaret::TCaret(QWidget* surface) : QObject(surface), surface_(surface) {
    blink_.setInterval(kBlinkMs);
    connect(&blink_, &QTimer::timeout, this, [this] {
        blinkOn_ = !blinkOn_;
        Refresh();
    });
}

void TCaret::CreateCaret(int, int, const QRect& area) {
    DestroyCaret();
    exists_ = true;
    visible_ = false;
    area_ = area;
}

void TCaret::DestroyCaret() {
    if (!exists_) return;
    Refresh();
    exists_ = false;
    visible_ = false;
    blink_.stop();
}

void TCaret::ShowCaret() {
    if (!exists_ || visible_) return;
    visible_ = true;
    blinkOn_ = true;
    blink_.start();
    Refresh();
}

void TCaret::HideCaret() {
    if (!visible_) return;
    Refresh();
    visible_ = false;
    blink_.stop();
}

void TCaret::SetCaretPos(int x, int y) {
    if (pos_ == QPoint(x, y)) return;
    Refresh();
    pos_ = QPoint(x, y);
    blinkOn_ = true;
    Refresh();
}

QRect TCaret::InvertedArea() const {
    if (!Visible() || !blinkOn_) return {};
    return area_.translated(pos_);
}

void TCaret::Paint(QPainter& painter) const {
    const QRect area = InvertedArea();
    if (area.isEmpty()) return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(area, QColor(255, 255, 255));
    painter.restore();
}

void TCaret::Refresh() {
    if (exists_ && surface_) surface_->update(area_.translated(pos_));
}
