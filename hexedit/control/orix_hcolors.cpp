#include "orix_hcolors.h"

#include "grid.h"

// The colours are a child of their grid, so they go with it.
TOrixHColors::TOrixHColors(TCustomGrid* owner) : QObject(owner), owner_(owner) {}

void TOrixHColors::Assign(const QObject* source) {
    const auto* other = qobject_cast<const TOrixHColors*>(source);
    if (!other) return;
    SetBackground(other->Background());
    SetChangedText(other->ChangedText());
    SetCursorFrame(other->CursorFrame());
    SetNonFocusCursorFrame(other->NonFocusCursorFrame());
    SetOffset(other->Offset());
    SetOddColumn(other->OddColumn());
    SetEvenColumn(other->EvenColumn());
    SetChangedBackground(other->ChangedBackground());
    SetCurrentOffsetBackground(other->CurrentOffsetBackground());
    SetCurrentOffset(other->CurrentOffset());
    SetOffsetBackground(other->OffsetBackground());
    SetActiveFieldBackground(other->ActiveFieldBackground());
    SetGrid(other->Grid());
}

void TOrixHColors::Store(TColor& colour, TColor value) {
    if (colour == value) return;
    colour = value;
    if (owner_) owner_->viewport()->update();
}

void TOrixHColors::SetBackground(TColor value) {
    // The owner's Color fills what painting leaves undrawn.
    if (value != background_ && owner_) owner_->SetColor(value);
    Store(background_, value);
}

void TOrixHColors::SetChangedBackground(TColor value) {
    Store(changedBackground_, value);
}

void TOrixHColors::SetChangedText(TColor value) {
    Store(changedText_, value);
}

void TOrixHColors::SetCursorFrame(TColor value) {
    Store(cursorFrame_, value);
}

void TOrixHColors::SetOffset(TColor value) {
    Store(offset_, value);
}

void TOrixHColors::SetOddColumn(TColor value) {
    Store(oddColumn_, value);
}

void TOrixHColors::SetEvenColumn(TColor value) {
    Store(evenColumn_, value);
}

void TOrixHColors::SetCurrentOffsetBackground(TColor value) {
    Store(currentOffsetBackground_, value);
}

void TOrixHColors::SetOffsetBackground(TColor value) {
    Store(offsetBackground_, value);
}

void TOrixHColors::SetCurrentOffset(TColor value) {
    Store(currentOffset_, value);
}

void TOrixHColors::SetGrid(TColor value) {
    Store(grid_, value);
}

void TOrixHColors::SetNonFocusCursorFrame(TColor value) {
    Store(nonFocusCursorFrame_, value);
}

void TOrixHColors::SetActiveFieldBackground(TColor value) {
    Store(activeFieldBackground_, value);
}
