#pragma once
// TOrixHColors: the hex editor's 13 colours. A change repaints the owner; Background also
// becomes the owner's Color, which fills whatever painting leaves undrawn.
#include "colors.h"

#include <QObject>

class TCustomGrid;

class TOrixHColors : public QObject {
    Q_OBJECT
    Q_PROPERTY(TColorProp Background READ BackgroundProp WRITE SetBackground)
    Q_PROPERTY(TColorProp ChangedBackground READ ChangedBackgroundProp WRITE SetChangedBackground)
    Q_PROPERTY(TColorProp ChangedText READ ChangedTextProp WRITE SetChangedText)
    Q_PROPERTY(TColorProp CursorFrame READ CursorFrameProp WRITE SetCursorFrame)
    Q_PROPERTY(TColorProp Offset READ OffsetProp WRITE SetOffset)
    Q_PROPERTY(TColorProp OddColumn READ OddColumnProp WRITE SetOddColumn)
    Q_PROPERTY(TColorProp EvenColumn READ EvenColumnProp WRITE SetEvenColumn)
    Q_PROPERTY(TColorProp CurrentOffsetBackground READ CurrentOffsetBackgroundProp WRITE
                   SetCurrentOffsetBackground)
    Q_PROPERTY(TColorProp OffsetBackground READ OffsetBackgroundProp WRITE SetOffsetBackground)
    Q_PROPERTY(TColorProp CurrentOffset READ CurrentOffsetProp WRITE SetCurrentOffset)
    Q_PROPERTY(TColorProp Grid READ GridProp WRITE SetGrid)
    Q_PROPERTY(
        TColorProp NonFocusCursorFrame READ NonFocusCursorFrameProp WRITE SetNonFocusCursorFrame)
    Q_PROPERTY(TColorProp ActiveFieldBackground READ ActiveFieldBackgroundProp WRITE
                   SetActiveFieldBackground)
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

    // The colours as property values.
    TColorProp BackgroundProp() const { return TColorProp(Background()); }
    TColorProp ChangedBackgroundProp() const { return TColorProp(ChangedBackground()); }
    TColorProp ChangedTextProp() const { return TColorProp(ChangedText()); }
    TColorProp CursorFrameProp() const { return TColorProp(CursorFrame()); }
    TColorProp OffsetProp() const { return TColorProp(Offset()); }
    TColorProp OddColumnProp() const { return TColorProp(OddColumn()); }
    TColorProp EvenColumnProp() const { return TColorProp(EvenColumn()); }
    TColorProp CurrentOffsetBackgroundProp() const { return TColorProp(CurrentOffsetBackground()); }
    TColorProp OffsetBackgroundProp() const { return TColorProp(OffsetBackground()); }
    TColorProp CurrentOffsetProp() const { return TColorProp(CurrentOffset()); }
    TColorProp GridProp() const { return TColorProp(Grid()); }
    TColorProp NonFocusCursorFrameProp() const { return TColorProp(NonFocusCursorFrame()); }
    TColorProp ActiveFieldBackgroundProp() const { return TColorProp(ActiveFieldBackground()); }

private:
    // Every setter: a colour that changes repaints the owner.
    void Store(TColor& colour, TColor value);

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
