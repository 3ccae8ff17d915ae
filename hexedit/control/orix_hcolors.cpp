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

void TOrixHColors::Changed() {
    if (owner_) owner_->viewport()->update();
}

void TOrixHColors::SetBackground(TColor value) {
    if (background_ == value) return;
    background_ = value;
    if (owner_) owner_->SetColor(value);
    Changed();
}

void TOrixHColors::SetChangedBackground(TColor value) {
    if (changedBackground_ == value) return;
    changedBackground_ = value;
    Changed();
}

void TOrixHColors::SetChangedText(TColor value) {
    if (changedText_ == value) return;
    changedText_ = value;
    Changed();
}

void TOrixHColors::SetCursorFrame(TColor value) {
    if (cursorFrame_ == value) return;
    cursorFrame_ = value;
    Changed();
}

void TOrixHColors::SetOffset(TColor value) {
    if (offset_ == value) return;
    offset_ = value;
    Changed();
}

void TOrixHColors::SetOddColumn(TColor value) {
    if (oddColumn_ == value) return;
    oddColumn_ = value;
    Changed();
}

void TOrixHColors::SetEvenColumn(TColor value) {
    if (evenColumn_ == value) return;
    evenColumn_ = value;
    Changed();
}

void TOrixHColors::SetCurrentOffsetBackground(TColor value) {
    if (currentOffsetBackground_ == value) return;
    currentOffsetBackground_ = value;
    Changed();
}

void TOrixHColors::SetOffsetBackground(TColor value) {
    if (offsetBackground_ == value) return;
    offsetBackground_ = value;
    Changed();
}

void TOrixHColors::SetCurrentOffset(TColor value) {
    if (currentOffset_ == value) return;
    currentOffset_ = value;
    Changed();
}

void TOrixHColors::SetGrid(TColor value) {
    if (grid_ == value) return;
    grid_ = value;
    Changed();
}

void TOrixHColors::SetNonFocusCursorFrame(TColor value) {
    if (nonFocusCursorFrame_ == value) return;
    nonFocusCursorFrame_ = value;
    Changed();
}

void TOrixHColors::SetActiveFieldBackground(TColor value) {
    if (activeFieldBackground_ == value) return;
    activeFieldBackground_ = value;
    Changed();
}
