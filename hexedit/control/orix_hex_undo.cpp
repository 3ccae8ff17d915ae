// The editor's undo and redo, and what its undo storage asks of it: the caret in grid cells
// and the layout are the control's own.
#include "orix_hex_editor.h"

#include <algorithm>

bool TCustomOrixHexEditor::Undo() {
    return FUndoStore->Undo();
}
bool TCustomOrixHexEditor::Redo() {
    return FUndoStore->Redo();
}

void TCustomOrixHexEditor::ResizeData(int32_t size) {
    FDataStore.SetSize(size);
    CalcSizes();
}

void TCustomOrixHexEditor::ReplaceAllData(const void* buffer, int32_t count) {
    FDataStore.SetSize(count);
    if (count > 0) FDataStore.WriteBufferAt(buffer, 0, count);
    CalcSizes();
}

TOrixHUndoState TCustomOrixHexEditor::StateNow() {
    TOrixHUndoState s;
    s.CaretPosition = GetPosAtCursor(Col(), Row()); // also maps the caret's field
    s.CaretInCharField = FCaretInCharField;
    s.CaretOnSecondDigit = !FCaretInCharField && Col() != GetCursorAtPos(s.CaretPosition, false).X;
    s.InsertMode = FInsertSwitch;
    s.Modified = FModifiedFlag;
    s.UnicodeChars = UnicodeChars;
    s.UnicodeBigEndian = UnicodeBigEndian;
    s.Translation = Translation;
    s.BytesPerUnit = BytesPerUnit;
    return s;
}

void TCustomOrixHexEditor::RestoreCaret(const TOrixHUndoState& state) {
    const bool inChar = state.CaretInCharField;
    TGridCoord cell = GetCursorAtPos(state.CaretPosition, inChar);
    if (!inChar && GetDataSize() > 0 && state.CaretOnSecondDigit) cell.X += 1;
    cell.X = std::clamp(cell.X, kFirstHexCol, ColCount() - 1);
    cell.Y = std::clamp(cell.Y, kFirstDataRow, std::max(kFirstDataRow, RowCount() - 1));
    MoveColRow(cell.X, cell.Y, true, true);
}

void TCustomOrixHexEditor::RestoreModes(const TOrixHUndoState& state) {
    // Nothing here may refuse: the bytes are already back, so a mode left half restored
    // would leave a state that never existed. Unicode mode stays off only when the row or
    // column width, which no record keeps, was made odd since.
    if (state.UnicodeChars != UnicodeChars && (!state.UnicodeChars || !UnicodeLayoutRefusal()))
        SwitchUnicodeCharacters(state.UnicodeChars);
    SetUnicodeBigEndian(state.UnicodeBigEndian);
    // In unicode mode the unit is 2 and the translation is stored as it was recorded.
    if (UnicodeChars) {
        Translation = state.Translation;
    } else {
        SetTranslation(state.Translation);
        SetBytesPerUnit(state.BytesPerUnit);
    }
}

void TCustomOrixHexEditor::CaretToFirstDataColumn() {
    if (Row() < RowCount()) MoveColRow(kFirstHexCol, Row(), true, false);
}

void TCustomOrixHexEditor::Repaint() {
    viewport()->update();
}
