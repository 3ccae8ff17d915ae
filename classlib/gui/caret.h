#pragma once
// The caret of a widget, drawn by the widget itself: CreateCaret gives its size and the part
// that inverts the screen (the rest leaves it unchanged), ShowCaret/HideCaret switch it, the
// blink timer flips it, DestroyCaret removes it. The owner calls Paint after its own drawing.
#include <QObject>
#include <QRect>
#include <QTimer>

class QPainter;
class QWidget;

class TCaret : public QObject {
    Q_OBJECT
public:
    explicit TCaret(QWidget* surface);

    // width x height, inverting `area` (relative to the caret's top-left corner).
    void CreateCaret(int width, int height, const QRect& area);
    void DestroyCaret();
    void ShowCaret();
    void HideCaret();
    void SetCaretPos(int x, int y);

    bool Exists() const { return exists_; }
    bool Visible() const { return exists_ && visible_; }
    // The screen area that the caret inverts now (empty when hidden or blinked off).
    QRect InvertedArea() const;
    QPoint Pos() const { return pos_; }
    QRect Area() const { return area_; }
    void Paint(QPainter& painter) const;

    static constexpr int kBlinkMs = 530;

private:
    void Refresh();

    QWidget* surface_;
    QTimer blink_;
    bool exists_ = false;
    bool visible_ = false;
    bool blinkOn_ = true;
    QPoint pos_;
    QRect area_;
};
