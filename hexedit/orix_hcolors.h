#pragma once
// TOrixHColors: the hex editor's 13 colours. A change repaints the owner; Background also
// becomes the owner's Color, which fills whatever painting leaves undrawn.
#include "colors.h"

#include <QObject>

class TCustomGrid;

class TOrixHColors : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Background READ Background WRITE SetBackground)
    Q_PROPERTY(int ChangedBackground READ ChangedBackground WRITE SetChangedBackground)
    Q_PROPERTY(int ChangedText READ ChangedText WRITE SetChangedText)
    Q_PROPERTY(int CursorFrame READ CursorFrame WRITE SetCursorFrame)
    Q_PROPERTY(int Offset READ Offset WRITE SetOffset)
    Q_PROPERTY(int OddColumn READ OddColumn WRITE SetOddColumn)
    Q_PROPERTY(int EvenColumn READ EvenColumn WRITE SetEvenColumn)
    Q_PROPERTY(
        int CurrentOffsetBackground READ CurrentOffsetBackground WRITE SetCurrentOffsetBackground)
    Q_PROPERTY(int OffsetBackground READ OffsetBackground WRITE SetOffsetBackground)
    Q_PROPERTY(int CurrentOffset READ CurrentOffset WRITE SetCurrentOffset)
    Q_PROPERTY(int Grid READ Grid WRITE SetGrid)
    Q_PROPERTY(int NonFocusCursorFrame READ NonFocusCursorFrame WRITE SetNonFocusCursorFrame)
    Q_PROPERTY(int ActiveFieldBackground READ ActiveFieldBackground WRITE SetActiveFieldBackground)
public:
    explicit TOrixHColors(TCustomGrid* owner);

    // Copies the 13 colours of another set through the setters; any other source is ignored.
    void Assign(const QObject* source);
    void SetParent(TCustomGrid* owner) { owner_ = owner; }

    TColor Background() const { return background_; }
    void SetBackground(TColor value);
    TColor ChangedBackground() const { return changedBackground_; }
    void SetChangedBackground(TColor value);
    TColor ChangedText() const { return changedText_; }
    void SetChangedText(TColor value);
    TColor CursorFrame() const { return cursorFrame_; }
    void SetCursorFrame(TColor value);
    TColor Offset() const { return offset_; }
    void SetOffset(TColor value);
    TColor OddColumn() const { return oddColumn_; }
    void SetOddColumn(TColor value);
    TColor EvenColumn() const { return evenColumn_; }
    void SetEvenColumn(TColor value);
    TColor CurrentOffsetBackground() const { return currentOffsetBackground_; }
    void SetCurrentOffsetBackground(TColor value);
    TColor OffsetBackground() const { return offsetBackground_; }
    void SetOffsetBackground(TColor value);
    TColor CurrentOffset() const { return currentOffset_; }
    void SetCurrentOffset(TColor value);
    TColor Grid() const { return grid_; }
    void SetGrid(TColor value);
    TColor NonFocusCursorFrame() const { return nonFocusCursorFrame_; }
    void SetNonFocusCursorFrame(TColor value);
    TColor ActiveFieldBackground() const { return activeFieldBackground_; }
    void SetActiveFieldBackground(TColor value);

private:
    void Changed();

    TCustomGrid* owner_;
    TColor background_ = clWindow;
    TColor changedBackground_ = 0x00A8FFFF;
    TColor changedText_ = clMaroon;
    TColor cursorFrame_ = clNavy;
    TColor offset_ = clBlack;
    TColor oddColumn_ = clBlue;
    TColor evenColumn_ = clNavy;
    TColor currentOffsetBackground_ = clBtnShadow;
    TColor offsetBackground_ = clBtnFace;
    TColor currentOffset_ = clBtnHighlight;
    TColor grid_ = clBtnFace;
    TColor nonFocusCursorFrame_ = clAqua;
    TColor activeFieldBackground_ = clWindow;
};
