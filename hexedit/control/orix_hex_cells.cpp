// Cells and positions: which data position a cell shows, which cell shows a position, which
// cells may take the caret, and the caret itself.
#include "orix_hex_editor.h"

#include <QScopedValueRollback>
#include <QWidget>
#include <algorithm>

int32_t TCustomOrixHexEditor::GetPosAtCursor(int32_t column, int32_t row) {
    FCaretInCharField = GetIsCharFieldCol(column);
    return PositionAt(column, row);
}

// Any column and row, also those at the ends of the type, so the arithmetic is in 64 bits.
int32_t TCustomOrixHexEditor::PositionAt(int32_t column, int32_t row) const {
    int64_t x;
    if (GetIsCharFieldCol(column)) {
        x = int64_t{column} - FirstCharCol();
        if (UnicodeChars) x *= 2;
    } else {
        x = (int64_t{column} - kFirstHexCol) / 2;
    }
    const int64_t p = x + (int64_t{row} - kFirstDataRow) * BytesPerRow;
    return p < 0 ? 0 : static_cast<int32_t>(std::min<int64_t>(p, INT32_MAX));
}

TGridCoord TCustomOrixHexEditor::GetCursorAtPos(int32_t position, bool inCharField) const {
    if (position < 0) return GridCoord(kFirstHexCol, kFirstDataRow);
    const int32_t row = GetRow(position);
    const int32_t x = position % BytesPerRow;
    if (inCharField) return GridCoord(FirstCharCol() + (UnicodeChars ? x / 2 : x), row);
    return GridCoord(kFirstHexCol + 2 * x, row);
}

int32_t TCustomOrixHexEditor::GetOtherFieldColCheck(int32_t column) const {
    int64_t other;
    if (GetIsCharFieldCol(column)) {
        const int64_t x = int64_t{column} - FirstCharCol();
        other = kFirstHexCol + (UnicodeChars ? 4 * x : 2 * x);
    } else {
        const int64_t nibble = int64_t{column} - kFirstHexCol;
        other = FirstCharCol() + (UnicodeChars ? nibble / 4 : nibble / 2);
    }
    // A column beyond the type stays beyond every grid.
    return static_cast<int32_t>(std::clamp<int64_t>(other, INT32_MIN, INT32_MAX));
}

int32_t TCustomOrixHexEditor::GetOtherFieldCol(int32_t column) {
    FCaretInCharField = GetIsCharFieldCol(column);
    return GetOtherFieldColCheck(column);
}

bool TCustomOrixHexEditor::GetInCharField() {
    if (GetDataSize() < 1) return false;
    GetPosAtCursor(Col(), Row());
    return FCaretInCharField;
}

void TCustomOrixHexEditor::SetInCharField(bool value) {
    if (GetDataSize() < 1 || value == GetInCharField()) return;
    const int32_t column =
        std::min(std::max(kFirstHexCol, GetOtherFieldCol(Col())), ColCount() - 1);
    MoveColRow(column, Row(), true, true);
}

int32_t TCustomOrixHexEditor::GetCursorPos() {
    const int32_t p = GetPosAtCursor(Col(), Row());
    return std::max(0, std::min(p, std::max(0, GetDataSize() - 1)));
}

int32_t TCustomOrixHexEditor::GetCurrentValue() {
    const int32_t p = PositionAt(Col(), Row());
    if (p < 0 || p >= GetDataSize()) return -1;
    return GetDataAt(p);
}

void TCustomOrixHexEditor::TruncMaxPosition(int32_t& position) const {
    if (position >= GetDataSize()) {
        position = GetDataSize() - 1;
        if (GetInsertMode()) position = GetDataSize();
    }
}

int32_t TCustomOrixHexEditor::Seek(int32_t offset, int32_t origin) {
    int64_t t;
    switch (origin) {
    case 0:
        t = offset;
        break;
    case 1:
        t = static_cast<int64_t>(GetCursorPos()) + offset;
        break;
    case 2:
        t = static_cast<int64_t>(GetDataSize()) - 1 + offset;
        break;
    default:
        t = GetCursorPos();
        break;
    }
    if (GetDataSize() < 1) return -1;
    t = std::min<int64_t>(std::max<int64_t>(0, t), GetDataSize() - 1);
    SetSelStart(static_cast<int32_t>(t));
    return static_cast<int32_t>(t);
}

void TCustomOrixHexEditor::CenterCursorPosition() {
    const int32_t v = VisibleRowCount();
    const int32_t row = GetRow(GetCursorPos());
    SetTopRow(std::max(kFirstDataRow, std::min(row - v / 2, RowCount() - v)));
}

bool TCustomOrixHexEditor::SelectCell(int32_t c, int32_t r) {
    auto placeCaret = [this](int32_t column, int32_t row) {
        const TRect rect = CellRect(column, row);
        if (rect.Left + rect.Bottom == 0)
            IntSetCaretPos(-50, -50, -1);
        else
            IntSetCaretPos(rect.Left, rect.Top, column);
    };
    if (GetDataSize() == 0) {
        // With no data only the first column of either field takes the caret.
        if (c == kFirstHexCol || (r == kFirstDataRow && c == FirstCharCol())) {
            placeCaret(c, r);
            return true;
        }
        return false;
    }
    if (!CheckSelectCell(c, r)) return false;
    if (c != Col() || r != Row()) viewport()->update();
    if (FSelecting) {
        int32_t n = PositionAt(c, r);
        const int32_t cur = GetPosAtCursor(Col(), Row());
        if (FSelectBeginPos == -1) FSelectBeginPos = cur;
        if (!GetInsertMode()) {
            CheckSelectUnit(FSelectBeginPos, n);
            NewSelection(FSelectBeginPos, n);
        } else {
            int32_t m = n;
            if (FSelectBeginPos != m) {
                CheckUnit(FSelectBeginPos);
                CheckUnit(m);
            }
            if (FSelectBeginPos == m) {
                ResetSelection(true);
                FSelectBeginPos = m;
                FSelecting = true;
            } else if (FSelectBeginPos > m) {
                NewSelection(FSelectBeginPos - BytesPerUnit, m);
            } else {
                NewSelection(FSelectBeginPos, m - BytesPerUnit);
            }
        }
    } else {
        ResetSelection(true);
    }
    placeCaret(c, r);
    SelectionChanged();
    return true;
}

bool TCustomOrixHexEditor::CheckSelectCell(int32_t c, int32_t r) {
    if (!FCellCheckEnabled) return true;
    const QScopedValueRollback<bool> checking(FCellCheckEnabled, false);
    if (!IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_LBUTTON)) ResetSelection(true);
    const int32_t p = GetPosAtCursor(c, r);
    const int32_t size = GetDataSize();
    const bool valid = p < size || (GetInsertMode() && p == size &&
                                    (GetIsCharFieldCol(c) || (c - kFirstHexCol) % 2 == 0));
    if (valid) {
        if (c == SeparatorCol()) {
            if (IsKeyDown(VK_LBUTTON)) MoveColRow(std::max(kFirstHexCol, c - 1), r, true, true);
            return false;
        }
        return true;
    }
    int32_t last = GetInsertMode() ? size : size - 1;
    if (last < 0) last = 0;
    const TGridCoord cell = GetCursorAtPos(last, GetInCharField());
    // The corrected cell always lies inside the grid.
    MoveColRow(std::min(cell.X, ColCount() - 1), std::min(cell.Y, RowCount() - 1), true, true);
    return false;
}

void TCustomOrixHexEditor::IntSetCaretPos(int32_t x, int32_t y, int32_t column) {
    if (!hasFocus()) return;
    if (column != -1) {
        FCaretInCharField = GetIsCharFieldCol(column);
        if (FCaretInCharField != FActiveFieldIsChar) {
            FActiveFieldIsChar = FCaretInCharField;
            viewport()->update();
        }
    }
    Caret().SetCaretPos(x, y);
}

void TCustomOrixHexEditor::CheckSetCaret() {
    const TRect rect = CellRect(Col(), Row());
    if (rect.Left + rect.Bottom == 0)
        IntSetCaretPos(-50, -50, -1);
    else
        IntSetCaretPos(rect.Left, rect.Top, Col());
}

void TCustomOrixHexEditor::CreateCaretGlyph() {
    Caret().DestroyCaret();
    const int32_t w = std::max(0, FCharPixelWidth);
    const int32_t h = std::max(0, FCharPixelHeight - 2);
    TOrixHCaretKind kind = CaretKind;
    if (kind == ckAuto) kind = ReadOnlyView ? ckBottom : FInsertSwitch ? ckLeft : ckFull;
    QRect area;
    switch (kind) {
    case ckLeft:
        area = QRect(0, 0, 2, h);
        break;
    case ckBottom:
        area = QRect(0, h - 2, w, 2);
        break;
    default:
        area = QRect(0, 0, w, h);
        break;
    }
    FCaretGlyph = QImage(w, h, QImage::Format_RGB32);
    FCaretGlyph.fill(Qt::black);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (x >= 0 && y >= 0 && x < w && y < h) FCaretGlyph.setPixel(x, y, 0xFFFFFFFF);
    Caret().CreateCaret(w, h, area);
    Caret().ShowCaret();
}

bool TCustomOrixHexEditor::CanFocus() const {
    const QWidget* form = window();
    if (form && form != this) return form->isEnabled() && form->isVisible();
    return isEnabled();
}

void TCustomOrixHexEditor::WMSetFocus() {
    CreateCaretGlyph();
    CheckSetCaret();
    viewport()->update();
}

void TCustomOrixHexEditor::WMKillFocus() {
    Caret().HideCaret();
    Caret().DestroyCaret();
    FSelecting = false;
    viewport()->update();
}
