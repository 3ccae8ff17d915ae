#include "status_bar.h"

#include <QPainter>
#include <QStyleOption>

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    setMinimumHeight(fontMetrics().height() + 8);
}

void TStatusBar::SetPanels(std::vector<Panel> panels) {
    panels_ = std::move(panels);
    update();
}

QString TStatusBar::PanelText(int index) const {
    if (index < 0 || index >= PanelCount()) return {};
    return panels_[static_cast<size_t>(index)].Text;
}

void TStatusBar::SetPanelText(int index, const QString& text) {
    if (index < 0 || index >= PanelCount()) return;
    panels_[static_cast<size_t>(index)].Text = text;
    update(PanelRect(index));
}

QRect TStatusBar::PanelRect(int index) const {
    int left = 0;
    for (int i = 0; i < index && i < PanelCount(); ++i)
        left += panels_[static_cast<size_t>(i)].Width;
    // The last panel reaches the right end of the bar.
    const int width = index == PanelCount() - 1 ? std::max(0, this->width() - left)
                                                : panels_[static_cast<size_t>(index)].Width;
    return QRect(left, 0, width, height()).adjusted(1, 2, -1, 0);
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < PanelCount(); ++i) {
        const QRect r = PanelRect(i);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        const QRect inner = r.adjusted(2, 1, -2, -1);
        const Panel& panel = panels_[static_cast<size_t>(i)];
        if (panel.OwnerDrawn && onDrawPanel_) {
            painter.save();
            onDrawPanel_(painter, i, inner);
            painter.restore();
        } else {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             panel.Text);
        }
    }
}
