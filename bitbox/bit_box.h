#pragma once
// TBitBox: one bit shown as a 16 by 16 sunken box with "1" or "0" in it and a caption to its
// right. A click, a double click or the space key toggles the bit. The control stands alone:
// any window may place it, and no window of the program does.
//
// Quirks that callers may rely on: a double click toggles twice (the click reported first and
// the double click itself), so the bit ends where it began; SetState fires OnChange also when
// the value does not change; a click or the space key flips the bit without going through
// SetState.
#include "canvas.h"
#include "colors.h"

#include <QString>
#include <QWidget>
#include <functional>

class TBitBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool State READ GetState WRITE SetState)
    Q_PROPERTY(QString Caption READ GetCaption WRITE SetCaption)
    Q_PROPERTY(int OnColor READ GetOnColor WRITE SetOnColor)
    Q_PROPERTY(int OffColor READ GetOffColor WRITE SetOffColor)
    Q_PROPERTY(bool TabStop READ GetTabStop WRITE SetTabStop)

public:
    using TNotifyEvent = std::function<void(TBitBox* sender)>;

    explicit TBitBox(QWidget* owner = nullptr);
    ~TBitBox() override;

    bool GetState() const { return FState; }
    // Stores the bit, repaints later and fires OnChange, whether or not the bit changed.
    void SetState(bool value);
    const QString& GetCaption() const { return FCaption; }
    void SetCaption(const QString& value);
    TColor GetOnColor() const { return FOnColor; }
    void SetOnColor(TColor value);
    TColor GetOffColor() const { return FOffColor; }
    void SetOffColor(TColor value);
    void SetEnabled(bool value);
    // Tab stops move the focus here by the Tab key; a click focuses the control either way.
    bool GetTabStop() const;
    void SetTabStop(bool value);
    // The name is the widget's objectName. Renaming a bit box without a caption gives it the
    // name as its caption, so a freshly placed box shows what it is called.
    QString GetName() const { return objectName(); }
    void SetName(const QString& name);

    TNotifyEvent OnChange;
    TNotifyEvent OnClick;

protected:
    virtual void Paint(TCanvas& canvas);
    virtual void Click();
    virtual void DblClick();
    virtual void KeyPress(QChar& key);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void MouseToggle();
    void WMSetFocus();
    void WMKillFocus();

    bool FState = false;
    TColor FOnColor = clLime;
    TColor FOffColor = clRed;
    QString FCaption;
    // A left press landed here and no double click has followed: its release is a click.
    bool FClickPending = false;
};
