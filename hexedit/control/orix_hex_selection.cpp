// The selection, the mouse rules that make it, scrolling and the wait cursor.
#include "orix_hex_editor.h"

#include <QScopedValueRollback>

void TCustomOrixHexEditor::SetSelection(int32_t anchor, int32_t first, int32_t last) {
    const int32_t top = GetDataSize() - 1;
    FSelLast = std::max(-1, std::min(last, top));
    FSelAnchor = std::max(-1, std::min(anchor, top));
    FSelFirst = std::max(-1, std::min(first, top));
}

void TCustomOrixHexEditor::CheckUnit(int32_t& position) const {
    position = (position / BytesPerUnit) * BytesPerUnit;
}

void TCustomOrixHexEditor::CheckSelectUnit(int32_t& a, int32_t& b) const {
    const int32_t size = GetDataSize();
    if (a > b) {
        CheckUnit(b);
        CheckUnit(a);
        a = a + BytesPerUnit - 1;
        if (a >= size) a = size - 1;
    } else {
        CheckUnit(a);
        CheckUnit(b);
        b = b + BytesPerUnit - 1;
        if (b >= size) b = size - 1;
    }
}

void TCustomOrixHexEditor::NewSelection(int32_t a, int32_t b) {
    CheckSelectUnit(a, b);
    SetSelection(a, std::min(a, b), std::max(a, b));
    viewport()->update();
    SelectionChanged();
}

void TCustomOrixHexEditor::ResetSelection(bool repaint) {
    FSelecting = false;
    const int32_t first = FSelFirst;
    SetSelection(-1, -1, -1);
    FSelectBeginPos = -1;
    if (repaint && first >= 0) viewport()->update();
}

void TCustomOrixHexEditor::Select(int32_t fromCol, int32_t fromRow, int32_t toCol, int32_t toRow) {
    const int32_t a = FSelAnchor != -1 ? FSelAnchor : PositionAt(fromCol, fromRow);
    NewSelection(a, GetPosAtCursor(toCol, toRow));
}

void TCustomOrixHexEditor::SelectAll() {
    const int32_t size = GetDataSize();
    if (size < 1) return;
    const TGridCoord cell = GetCursorAtPos(GetInsertMode() ? size : size - 1, GetInCharField());
    MoveColRow(cell.X, std::min(cell.Y, RowCount() - 1), true, true);
    NewSelection(0, size - 1);
}

int32_t TCustomOrixHexEditor::GetSelStart() const {
    if (FSelAnchor != -1) return FSelAnchor;
    return PositionAt(Col(), Row());
}

int32_t TCustomOrixHexEditor::GetSelEnd() const {
    if (FSelAnchor == -1) return PositionAt(Col(), Row());
    return FSelAnchor == FSelLast ? FSelFirst : FSelLast;
}

void TCustomOrixHexEditor::SetSelStart(int32_t position) {
    if (position < 0 || position >= GetDataSize()) throw EOrixHexEditor("Invalid selection start");
    ResetSelection(true);
    const TGridCoord cell = GetCursorAtPos(position, GetInCharField());
    MoveColRow(cell.X, cell.Y, true, true);
}

void TCustomOrixHexEditor::SetSelEnd(int32_t position) {
    if (position < -1 || position >= GetDataSize()) throw EOrixHexEditor("Invalid selection end");
    ResetSelection(true);
    if (position >= 0) {
        const TGridCoord cell = GetCursorAtPos(position, GetInCharField());
        Select(Col(), Row(), cell.X, cell.Y);
        SelectionChanged();
    }
}

void TCustomOrixHexEditor::SetSelCount(int32_t count) {
    if (count <= 0) {
        // Nothing to select: the selection goes, the caret stays at the start.
        ResetSelection(true);
        SelectionChanged();
        return;
    }
    const int64_t end = static_cast<int64_t>(GetSelStart()) + count - 1;
    SetSelEnd(static_cast<int32_t>(std::min<int64_t>(end, GetDataSize() - 1)));
}

void TCustomOrixHexEditor::SelectionChanged() {
    if (++FPendingSelChanges == 1) PostMessage(CM_SELECTIONCHANGED);
}

void TCustomOrixHexEditor::CMSelectionChanged() {
    if (FPendingSelChanges == 0) return;
    struct Reset {
        int32_t& count;
        ~Reset() { count = 0; }
    } reset{FPendingSelChanges};
    if (OnSelectionChanged) OnSelectionChanged(this);
}

TGridCoord TCustomOrixHexEditor::CheckMouseCoord(int32_t& x, int32_t& y) {
    TGridCoord cell = MouseCoord(x, y);
    if (cell.X < 0 || cell.Y < 0) return cell;
    if (!FInsertSwitch) return cell;
    const int32_t cw = FCharPixelWidth;
    TRect rect = CellRect(cell.X, cell.Y);
    // A cell out of view (a captured pointer beyond the window) has no halves to tell apart.
    if (rect == TRect{}) return cell;
    if (x >= rect.Left + cw / 2 && cell.X != FLastHexColumn && cell.X != GetLastCharCol()) {
        x = rect.Right + 1;
        cell.X += 1;
        rect = CellRect(cell.X, cell.Y);
        if (rect == TRect{}) return cell;
    }
    if (cell.X == GetLastCharCol() && x - rect.Left > cw / 2) {
        y += DefaultRowHeight();
        cell.Y += 1;
        cell.X = FirstCharCol();
        x = CellRect(cell.X, cell.Y).Left;
    } else if (cell.X == FLastHexColumn && x - rect.Left > cw / 2) {
        y += DefaultRowHeight();
        cell.Y += 1;
        cell.X = kFirstHexCol;
        x = CellRect(cell.X, cell.Y).Left;
    }
    // A step past the last row lands on no cell.
    if (cell.Y >= RowCount()) return GridCoord(-1, -1);
    return cell;
}

bool TCustomOrixHexEditor::MouseOverFixed(int32_t x, int32_t y) const {
    const TGridCoord cell = MouseCoord(x, y);
    return cell.X < kFixedCols || cell.Y < kFixedRows;
}

bool TCustomOrixHexEditor::CursorOverSelection(int32_t x, int32_t y) {
    if (GetSelCount() == 0 || GetDataSize() == 0) return false;
    const TGridCoord cell = MouseCoord(x, y);
    if (cell.X < kFixedCols || cell.Y < kFixedRows) return false;
    const int32_t p = GetPositionAtCursor(cell.X, cell.Y);
    return p >= 0 && p < GetDataSize() && IsSelected(p);
}

bool TCustomOrixHexEditor::GetMouseOverSelection() {
    const QPoint p = PointerPos();
    return CursorOverSelection(p.x(), p.y());
}

void TCustomOrixHexEditor::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    FSelecting = false;
    FResetSelOnMouseUp = false;
    // Whether the press hit the selection is asked where the pointer really is, before the
    // half-cell shift of insert mode.
    const bool overSelection = button == TMouseButton::mbLeft && CursorOverSelection(x, y);
    TGridCoord cell{-1, -1};
    if (button == TMouseButton::mbLeft) cell = CheckMouseCoord(x, y);
    const bool skipGrid = overSelection || MouseOverFixed(x, y) || cell.X < 0 || cell.Y < 0;
    if (skipGrid) {
        if (CanFocus()) setFocus(Qt::MouseFocusReason);
    } else {
        TCustomGrid::MouseDown(button, shift, x, y);
    }
    if (button == TMouseButton::mbLeft && !overSelection && cell.X >= kFirstHexCol &&
        cell.Y >= kFirstDataRow) {
        ResetSelection(true);
        if (!(shift & ssDouble)) FSelecting = true;
    }
    if (button == TMouseButton::mbLeft && overSelection) {
        FMouseDownCell = cell;
        FResetSelOnMouseUp = true;
    }
}

void TCustomOrixHexEditor::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    const int32_t x0 = x, y0 = y;
    if (shift == ssLeft) CheckMouseCoord(x, y);
    TCustomGrid::MouseMove(shift, x, y);
    if (FResetSelOnMouseUp) {
        int32_t cx = x0, cy = y0;
        FResetSelOnMouseUp = CheckMouseCoord(cx, cy) == FMouseDownCell;
    }
    if (shift == 0 && (CursorOverSelection(x0, y0) || MouseOverFixed(x0, y0)))
        SetCursor(crArrow);
    else
        SetCursor(crIBeam);
}

void TCustomOrixHexEditor::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    const TGridCoord cell = CheckMouseCoord(x, y);
    TCustomGrid::MouseUp(button, shift, x, y);
    if (FResetSelOnMouseUp) {
        FResetSelOnMouseUp = false;
        ResetSelection(true);
        if (cell.X >= 0 && cell.Y >= 0) MoveColRow(cell.X, cell.Y, true, true);
    }
    if (FDropMarkShown) HideDragCell();
}

void TCustomOrixHexEditor::WMTimer() {
    if (!Selecting()) return;
    const QPoint p = PointerPos();
    int32_t x = p.x(), y = p.y();
    const TGridCoord cell = CheckMouseCoord(x, y);
    if (cell.X != -1 && cell.Y != -1) GridTimedScroll();
}

int32_t TCustomOrixHexEditor::ShowDragCell(int32_t x, int32_t y) {
    const TGridCoord hit = MouseCoord(x, y);
    const int32_t c = std::max(kFirstHexCol, hit.X);
    const int32_t r =
        std::max(kFirstDataRow, std::min(hit.Y < 0 ? kFirstDataRow : hit.Y, RowCount() - 1));
    int32_t p = GetPosAtCursor(c, r);
    p = std::max(0, std::min(p, GetDataSize()));
    // Below the last row: behind the last byte, not back at the start.
    if (hit.Y < 0) p = GetDataSize();
    if (IsSelected(p)) p = std::min(GetSelStart(), GetSelEnd());
    CheckUnit(p);
    const bool field = FCaretInCharField;
    FDropMarkShown = true;
    if (hit.X >= 0 && hit.Y >= 0) {
        if (hit.Y <= TopRow() && hit.Y > kFirstDataRow)
            SetTopRow(TopRow() - 1);
        else if (hit.Y >= TopRow() + VisibleRowCount() - 1 && hit.Y < RowCount() - 1)
            SetTopRow(TopRow() + 1);
        if (hit.X <= LeftCol() && hit.X > kFirstHexCol)
            SetLeftCol(LeftCol() - 1);
        else if (hit.X >= LeftCol() + VisibleColCount() - 1 && hit.X < GetLastCharCol())
            SetLeftCol(LeftCol() + 1);
    }
    const TGridCoord drop = GetCursorAtPos(p, field);
    if (!(drop == FDropCell)) {
        FDropCell = drop;
        viewport()->update();
    }
    return p;
}

void TCustomOrixHexEditor::HideDragCell() {
    FDropMarkShown = false;
    viewport()->update();
}

int32_t TCustomOrixHexEditor::DropPosition() {
    if (!FDropMarkShown) return -1;
    int32_t p = GetPositionAtCursor(FDropCell.X, FDropCell.Y);
    CheckUnit(p);
    return p;
}

void TCustomOrixHexEditor::TopLeftChanged() {
    CheckSetCaret();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

bool TCustomOrixHexEditor::DoMouseWheelDown(TShiftState shift, QPoint position) {
    if (shift != 0) return TCustomGrid::DoMouseWheelDown(shift, position);
    const int32_t v = VisibleRowCount();
    // Fewer than two visible rows still move by one.
    const int32_t step = std::max(1, v - 1);
    SetTopRow(std::min(std::max(kFirstDataRow, RowCount() - v), TopRow() + step));
    CheckSetCaret();
    return true;
}

bool TCustomOrixHexEditor::DoMouseWheelUp(TShiftState shift, QPoint position) {
    if (shift != 0) return TCustomGrid::DoMouseWheelUp(shift, position);
    const int32_t v = VisibleRowCount();
    const int32_t step = std::max(1, v - 1);
    SetTopRow(std::max(kFirstDataRow, TopRow() - step));
    CheckSetCaret();
    return true;
}

void TCustomOrixHexEditor::WaitCursor() {
    FCursorStack.push_back(Cursor());
    SetCursor(crHourGlass);
}

void TCustomOrixHexEditor::OldCursor() {
    if (FCursorStack.empty()) return;
    SetCursor(FCursorStack.back());
    FCursorStack.pop_back();
}

void TCustomOrixHexEditor::SyncView(TCustomOrixHexEditor& source, int32_t offset) {
    if (FSyncingView || source.FSyncingView) return;
    const QScopedValueRollback<bool> syncing(FSyncingView, true);
    const int32_t size = GetDataSize();
    auto limit = [size](int64_t p) {
        return static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(p, size - 1)));
    };
    if (BytesPerRow == source.BytesPerRow && GetBytesPerColumn() == source.GetBytesPerColumn() &&
        BytesPerUnit == source.BytesPerUnit && source.GetCursorPos() < size && offset == 0) {
        SetTopRow(source.TopRow());
        SetLeftCol(source.LeftCol());
        MoveColRow(std::min(source.Col(), ColCount() - 1), std::min(source.Row(), RowCount() - 1),
                   true, false);
    } else {
        const int32_t s = source.GetCursorPos();
        const bool f = source.GetInCharField();
        const TRect rect = source.CellRect(source.Col(), source.Row());
        if (rect.Left + rect.Bottom != 0) {
            const int32_t p = limit(static_cast<int64_t>(s) + offset);
            SetLeftCol(source.LeftCol());
            const TGridCoord cell = GetCursorAtPos(p, f);
            MoveColRow(cell.X, std::min(cell.Y, RowCount() - 1), true, true);
        } else {
            const int32_t p =
                limit(static_cast<int64_t>(source.GetPositionAtCursor(
                          std::max(kFirstHexCol, source.LeftCol()), source.TopRow())) +
                      offset);
            const TGridCoord cell = GetCursorAtPos(p, f);
            SetLeftCol(source.LeftCol());
            SetTopRow(cell.Y);
            MoveColRow(std::min(cell.X, ColCount() - 1), std::min(cell.Y, RowCount() - 1), true,
                       true);
        }
    }
    if (source.FSelAnchor != -1) {
        NewSelection(limit(static_cast<int64_t>(source.FSelFirst) + offset),
                     limit(static_cast<int64_t>(source.FSelLast) + offset));
    } else if (FSelAnchor != -1) {
        ResetSelection(true);
    }
}
