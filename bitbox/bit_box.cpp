#include "bit_box.h"

#include "app_application.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr TColor kBoxFill = clBlack;
constexpr TColor kBoxFillDisabled = 0x111111;

QFont DigitFont() {
    QFont font(QStringLiteral("Courier"), 10, QFont::Bold);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}
} // namespace

TBitBox::TBitBox(QWidget* owner) : QWidget(owner) {
    SetTabStop(true);
}

TBitBox::~TBitBox() = default;

void TBitBox::SetState(bool value) {
    FState = value;
    update();
    if (OnChange) OnChange(this);
}

void TBitBox::SetCaption(const QString& value) {
    FCaption = value;
    update();
}

void TBitBox::SetOnColor(TColor value) {
    FOnColor = value;
    update();
}

void TBitBox::SetOffColor(TColor value) {
    FOffColor = value;
    update();
}

void TBitBox::SetEnabled(bool value) {
    setEnabled(value);
    update();
}

bool TBitBox::GetTabStop() const {
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void TBitBox::SetTabStop(bool value) {
    // The focus comes from Click, on the release, never from the press itself.
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void TBitBox::SetName(const QString& name) {
    setObjectName(name);
    if (FCaption.isEmpty()) FCaption = name;
    update();
}

void TBitBox::MouseToggle() {
    FState = !FState;
    setFocus(Qt::MouseFocusReason);
    update();
    if (OnClick) OnClick(this);
    if (OnChange) OnChange(this);
}

void TBitBox::Click() {
    MouseToggle();
}

void TBitBox::DblClick() {
    MouseToggle();
}

void TBitBox::KeyPress(QChar& key) {
    if (key != QLatin1Char(' ')) return;
    FState = !FState;
    update();
    if (OnChange) OnChange(this);
}

void TBitBox::WMSetFocus() {
    repaint();
}

void TBitBox::WMKillFocus() {
    repaint();
}

void TBitBox::Paint(TCanvas& canvas) {
    const int c = (height() - 1) / 2;
    const bool enabled = isEnabled();

    canvas.FillRect(Rect(0, c - 8, 16, c + 8), enabled ? kBoxFill : kBoxFillDisabled);

    // The sunken frame: dark outer and inner edges top and left, light ones bottom and right.
    struct EdgeLine {
        TColor color;
        int x0, y0, x1, y1, x2, y2;
    };
    const EdgeLine edges[] = {
        {clGray, 0, c + 8, 0, c - 8, 16, c - 8},
        {0x555555, 1, c + 7, 1, c - 7, 15, c - 7},
        {clWhite, 16, c - 8, 16, c + 8, 0, c + 8},
        {clSilver, 15, c - 7, 15, c + 7, 1, c + 7},
    };
    for (const EdgeLine& e : edges) {
        canvas.PenColor = e.color;
        canvas.MoveTo(e.x0, e.y0);
        canvas.LineTo(e.x1, e.y1);
        canvas.LineTo(e.x2, e.y2);
    }

    const QString digit = FState ? QStringLiteral("1") : QStringLiteral("0");
    canvas.Font = DigitFont();
    canvas.FontColor = !enabled ? clGrayText : FState ? FOnColor : FOffColor;
    TransparentTextOut(canvas, (16 - canvas.TextWidth(digit)) / 2, c - canvas.TextHeight(digit) / 2,
                       digit);

    canvas.Font = font();
    const int captionHeight = canvas.TextHeight(FCaption);
    const int y2 = c - captionHeight / 2;
    if (enabled) {
        canvas.FontColor = FromQColor(palette().color(QPalette::Active, QPalette::WindowText));
    } else {
        canvas.FontColor = clHighlightText;
        TransparentTextOut(canvas, 22, y2 + 1, FCaption);
        canvas.FontColor = clGrayText;
    }
    TransparentTextOut(canvas, 21, y2, FCaption);

    if (hasFocus()) {
        canvas.DrawFocusRect(
            Rect(19, y2 - 2, canvas.TextWidth(FCaption) + 23, c + captionHeight / 2 + 2));
    }
}

void TBitBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TCanvas canvas(&painter);
    Application.Guard([&] { Paint(canvas); });
}

void TBitBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) FClickPending = true;
}

void TBitBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !FClickPending) return;
    FClickPending = false;
    // Like a button, a press that is dragged off the control before the release is no click.
    if (rect().contains(event->position().toPoint())) Application.Guard([this] { Click(); });
}

void TBitBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The release that ends a double click is not a second click.
    FClickPending = false;
    Application.Guard([this] { DblClick(); });
}

void TBitBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    // Alt with a key is a menu shortcut, not a character.
    if (text.size() != 1 || (event->modifiers() & Qt::AltModifier)) {
        event->ignore();
        return;
    }
    QChar key = text.front();
    const bool space = key == QLatin1Char(' ');
    Application.Guard([&] { KeyPress(key); });
    // Other characters go on to the parent, as a dialog expects of its controls.
    event->setAccepted(space);
}

void TBitBox::focusInEvent(QFocusEvent*) {
    Application.Guard([this] { WMSetFocus(); });
}

void TBitBox::focusOutEvent(QFocusEvent*) {
    Application.Guard([this] { WMKillFocus(); });
}
