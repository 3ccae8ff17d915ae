#include "tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A small chip body with pins, the common base of the device images.
void DrawChip(QPainter& p, const QRectF& body, const QColor& colour) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    for (int i = 0; i < 4; ++i) {
        const qreal y = body.top() + 2 + i * (body.height() - 4) / 3.0;
        p.drawLine(QPointF(body.left() - 3, y), QPointF(body.left(), y));
        p.drawLine(QPointF(body.right(), y), QPointF(body.right() + 3, y));
    }
    p.setBrush(colour);
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.drawRoundedRect(body, 2, 2);
    p.setBrush(QColor(220, 220, 220));
    p.drawEllipse(QPointF(body.left() + 3.5, body.top() + 3.5), 1.5, 1.5);
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, QLineF(from, to).length());
    const QPointF n(-d.y(), d.x());
    QPainterPath head;
    head.moveTo(to + d * 3);
    head.lineTo(to - d * 4 + n * 5);
    head.lineTo(to - d * 4 - n * 5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
}

QPixmap Draw(ToolIcon icon) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(40, 90, 200), green(30, 150, 60), red(200, 50, 40), chip(50, 50, 60);
    switch (icon) {
    case ToolIcon::Open: {
        p.setPen(QPen(QColor(140, 100, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(3, 9, 24, 18));
        p.drawRect(QRectF(3, 6, 10, 4));
        p.setBrush(QColor(250, 220, 120));
        QPolygonF front({{6, 14}, {30, 14}, {27, 27}, {3, 27}});
        p.drawPolygon(front);
        break;
    }
    case ToolIcon::Save:
        p.setPen(QPen(QColor(20, 40, 90), 1));
        p.setBrush(blue);
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(9, 5, 14, 9));
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(QRectF(9, 19, 14, 8));
        break;
    case ToolIcon::Read:
        DrawChip(p, QRectF(5, 8, 12, 18), chip);
        DrawArrow(p, QPointF(19, 17), QPointF(28, 17), green);
        break;
    case ToolIcon::Write:
        DrawChip(p, QRectF(15, 8, 12, 18), chip);
        DrawArrow(p, QPointF(2, 17), QPointF(11, 17), red);
        break;
    case ToolIcon::Erase:
        DrawChip(p, QRectF(10, 4, 12, 18), chip);
        p.save();
        p.translate(16, 25);
        p.rotate(-30);
        p.setPen(QPen(QColor(120, 40, 60), 1));
        p.setBrush(QColor(240, 120, 150));
        p.drawRoundedRect(QRectF(-9, -4, 18, 8), 2, 2);
        p.restore();
        break;
    case ToolIcon::Verify:
        DrawChip(p, QRectF(4, 6, 12, 18), chip);
        p.setPen(QPen(green, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{16, 18}, {21, 24}, {29, 9}}));
        break;
    case ToolIcon::Auto: {
        p.setPen(QPen(QColor(150, 100, 0), 1));
        p.setBrush(QColor(255, 200, 30));
        p.drawPolygon(QPolygonF({{18, 2}, {7, 18}, {15, 18}, {12, 30}, {25, 12}, {17, 12}}));
        break;
    }
    case ToolIcon::Bank:
        DrawChip(p, QRectF(4, 4, 12, 18), chip);
        p.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(23, 23), QPointF(29, 29));
        p.setPen(QPen(blue, 2));
        p.setBrush(QColor(200, 230, 255, 180));
        p.drawEllipse(QPointF(19, 19), 6, 6);
        break;
    case ToolIcon::Fill:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(230, 230, 230));
        p.drawPolygon(QPolygonF({{6, 12}, {16, 4}, {26, 14}, {16, 24}}));
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawPolygon(QPolygonF({{8, 14}, {24, 14}, {16, 22}}));
        p.drawEllipse(QPointF(27, 24), 3, 4);
        break;
    case ToolIcon::Device:
        DrawChip(p, QRectF(6, 6, 14, 20), chip);
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(17, 14, 13, 14));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(19, 18 + 3 * i), QPointF(28, 18 + 3 * i));
        break;
    case ToolIcon::About: {
        p.setPen(QPen(QColor(20, 60, 140), 1));
        p.setBrush(blue);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 10), 2.2, 2.2);
        p.drawRoundedRect(QRectF(14, 14, 4, 11), 1, 1);
        break;
    }
    }
    return pixmap;
}

} // namespace

QIcon MakeToolIcon(ToolIcon icon) {
    return QIcon(Draw(icon));
}

QPixmap MakeChipPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    DrawChip(p, QRectF(9, 5, 14, 22), QColor(50, 50, 60));
    return pixmap;
}
