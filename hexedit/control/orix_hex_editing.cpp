// Editing operations: removing, inserting, appending and replacing ranges, the data size, the
// text and hex accessors, and the editor's side of the undo storage. Every public change
// records its undo step first (which also checks it), then changes the data, cuts the changed
// marks, places caret and selection and ends with Changed.
#include "orix_hex_editor.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <cstring>

namespace {
const char* const kOutOfBounds = "Data position/length out of data bounds";

// A size change that would leave the data beyond the signed 32-bit range.
void CheckNewSize(int64_t size) {
    if (size < 0 || size > INT32_MAX) throw EOrixHexEditor(kOutOfBounds);
}
} // namespace

// ---------------------------------------------------------------- internal steps

void TCustomOrixHexEditor::MoveFileMem(int32_t fromPos, int32_t toPos, int32_t count) {
    FDataStore.Move(fromPos, toPos, count);
}

void TCustomOrixHexEditor::CutChangedMap(int32_t position) {
    position = std::max(0, position);
    if (FChangedByteMap.Size() >= position) FChangedByteMap.SetSize(position);
}

void TCustomOrixHexEditor::MoveCaretTo(int32_t position, bool inCharField) {
    const int32_t size = GetDataSize();
    const int32_t last = GetInsertMode() ? size : size - 1;
    position = std::max(0, std::min(position, last));
    TGridCoord cell = GetCursorAtPos(position, inCharField && size > 0);
    cell.X = std::min(cell.X, ColCount() - 1);
    cell.Y = std::min(cell.Y, RowCount() - 1);
    MoveColRow(cell.X, cell.Y, true, true);
}

void TCustomOrixHexEditor::InternalGetCurSel(int32_t& startPos, int32_t& endPos, int32_t& aCol,
                                             int32_t& aRow) {
    if (FSelAnchor == -1) {
        startPos = GetPosAtCursor(Col(), Row());
        endPos = startPos + 1;
        aCol = Col();
        aRow = Row();
    } else {
        startPos = FSelFirst;
        endPos = FSelLast + 1;
        const TGridCoord cell = GetCursorAtPos(FSelFirst, GetInCharField());
        aCol = cell.X;
        aRow = cell.Y;
    }
    if (FChangedByteMap.Size() > startPos) FChangedByteMap.SetSize(std::max(0, startPos));
}

void TCustomOrixHexEditor::InternalDelete(int32_t startPos, int32_t endPos, int32_t aCol,
                                          int32_t aRow) {
    const int32_t size = GetDataSize();
    FDataStore.CheckRange(startPos, static_cast<int64_t>(endPos) - startPos);
    if (endPos <= size - 1) MoveFileMem(endPos, startPos, size - endPos);
    FDataStore.SetSize(size - (endPos - startPos));
    const int32_t newSize = GetDataSize();
    int32_t p = 0;
    bool field = FCaretInCharField;
    if (aCol >= 0) {
        p = GetPosAtCursor(aCol, aRow);
        field = FCaretInCharField;
    }
    if (newSize == 0) {
        MoveColRow(FirstColOfField(field), kFirstDataRow, true, true);
    } else if (p >= newSize) {
        MoveCaretTo(GetInsertMode() ? newSize : newSize - 1, field);
    } else if (aCol >= 0) {
        MoveColRow(aCol, aRow, true, true);
    }
    CalcSizes();
    ResetSelection(true);
    viewport()->update();
}

void TCustomOrixHexEditor::InternalInsertBuffer(const void* buffer, int32_t size,
                                                int32_t position) {
    const int32_t old = GetDataSize();
    if (size < 0 || position < 0 || position > old) throw EOrixHexEditor(kOutOfBounds);
    CheckNewSize(static_cast<int64_t>(old) + size);
    if (old == 0) {
        FDataStore.SetPosition(0);
        FChangedByteMap.Clear();
    }
    FDataStore.SetSize(static_cast<int64_t>(old) + size);
    if (position < old) MoveFileMem(position, position + size, old - position);
    if (buffer && size > 0) WriteBuffer(buffer, position, size);
    CalcSizes();
}

void TCustomOrixHexEditor::InternalAppendBuffer(const void* buffer, int32_t size) {
    const int32_t old = GetDataSize();
    if (size < 0) throw EOrixHexEditor(kOutOfBounds);
    CheckNewSize(static_cast<int64_t>(old) + size);
    if (old == 0) {
        FDataStore.SetPosition(0);
        FChangedByteMap.Clear();
    }
    FDataStore.SetSize(static_cast<int64_t>(old) + size);
    if (buffer && size > 0) WriteBuffer(buffer, old, size);
    CalcSizes();
}

// ---------------------------------------------------------------- public operations

void TCustomOrixHexEditor::DeleteSelection(const std::string& undoDesc) {
    // Checked before the selection query cuts the changed marks: a refusal changes nothing.
    const int32_t first = FSelAnchor == -1 ? GetPosAtCursor(Col(), Row()) : FSelFirst;
    const int32_t count = FSelAnchor == -1 ? 1 : FSelLast - FSelFirst + 1;
    if (!CanCreateUndo(ufKindByteRemoved, count, 0)) throw EOrixHexEditor(ORIXH_CANNOT_UPDATE_UNDO);
    // On the append position there is no byte to remove.
    if (FSelAnchor == -1 && first >= GetDataSize()) return;
    FDataStore.CheckRange(first, count);
    int32_t startPos, endPos, aCol, aRow;
    InternalGetCurSel(startPos, endPos, aCol, aRow);
    CreateUndo(ufKindByteRemoved, startPos, endPos - startPos, 0, undoDesc);
    InternalDelete(startPos, endPos, aCol, aRow);
    Changed();
}

void TCustomOrixHexEditor::InsertBuffer(const void* buffer, int32_t size, int32_t position,
                                        const std::string& undoDesc, bool moveCursor) {
    if (size <= 0) return;
    if (position < 0 || position > GetDataSize()) throw EOrixHexEditor(kOutOfBounds);
    CheckNewSize(static_cast<int64_t>(GetDataSize()) + size);
    CreateUndo(ufKindInsertBuffer, position, size, 0, undoDesc);
    InternalInsertBuffer(buffer, size, position);
    CutChangedMap(position);
    if (isEnabled()) {
        SetSelection(position, position, position + size - 1);
        if (moveCursor) {
            MoveCaretTo(FSelLast, GetInCharField());
            SetSelection(position, position, position + size - 1);
        }
        viewport()->update();
    }
    Changed();
}

void TCustomOrixHexEditor::AppendBuffer(const void* buffer, int32_t size,
                                        const std::string& undoDesc, bool moveCursor) {
    if (!buffer || size <= 0) return;
    const int32_t old = GetDataSize();
    CheckNewSize(static_cast<int64_t>(old) + size);
    CreateUndo(ufKindAppendBuffer, old, size, 0, undoDesc);
    CutChangedMap(old);
    InternalAppendBuffer(buffer, size);
    if (moveCursor) MoveCaretTo(old, GetInCharField());
    SetSelection(old, old, old + size - 1);
    viewport()->update();
    Changed();
}

void TCustomOrixHexEditor::ReplaceSelection(const void* buffer, int32_t size,
                                            const std::string& undoDesc, bool moveCursor) {
    if (size < 0) return;
    const bool field = GetInCharField();
    if (GetSelCount() == 0) {
        InsertBuffer(buffer, size, GetSelStart(), undoDesc, moveCursor);
        return;
    }
    if (IsFileSizeFixed()) {
        // Nothing could replace the selection without changing the size.
        if (size == 0) throw EOrixHexEditor(ORIXH_CANNOT_UPDATE_UNDO);
        if (size > GetSelCount()) size = GetSelCount();
        if (size < GetSelCount()) {
            const int32_t start = std::min(GetSelStart(), GetSelEnd());
            SetSelStart(start);
            SetSelEnd(start + size - 1);
        }
    }
    CheckNewSize(static_cast<int64_t>(GetDataSize()) - GetSelCount() + size);
    CreateUndo(ufKindReplace, FSelFirst, size, GetSelCount(), undoDesc);
    int32_t startPos, endPos, aCol, aRow;
    InternalGetCurSel(startPos, endPos, aCol, aRow);
    InternalDelete(startPos, endPos, aCol, aRow);
    InternalInsertBuffer(buffer, size, startPos);
    CutChangedMap(startPos);
    if (moveCursor) {
        const int32_t last = startPos + std::max(0, size - 1);
        MoveCaretTo(last, field);
        if (size > 0) SetSelection(last, startPos, last);
    }
    viewport()->update();
    Changed();
}

int32_t TCustomOrixHexEditor::Replace(const void* buffer, int32_t position, int32_t oldCount,
                                      int32_t newCount, const std::string& undoDesc,
                                      bool moveCursor) {
    const int32_t size = GetDataSize();
    if (position < 0 || position > size) throw EOrixHexEditor(kOutOfBounds);
    if (oldCount < 0 || newCount < 0 || (!buffer && newCount > 0)) return 0;
    const bool field = GetInCharField();
    const int32_t available = size - position;
    if (oldCount > available) {
        if (newCount == oldCount) newCount = available;
        oldCount = available;
    }
    if (IsFileSizeFixed()) newCount = oldCount = std::min(oldCount, newCount);
    CheckNewSize(static_cast<int64_t>(size) - oldCount + newCount);
    CreateUndo(ufKindReplace, position, newCount, oldCount, undoDesc);
    if (!moveCursor && FUndoStore->UpdateLevel() < 1) FUndoStore->AddSelection(position, oldCount);
    if (oldCount > newCount)
        InternalDelete(position, position + oldCount - newCount, Col(), Row());
    else if (oldCount < newCount)
        InternalInsertBuffer(nullptr, newCount - oldCount, position);
    if (newCount > 0) WriteBuffer(buffer, position, newCount);
    CutChangedMap(position);
    if (moveCursor) MoveCaretTo(position, field);
    viewport()->update();
    Changed();
    return newCount;
}

void TCustomOrixHexEditor::InternalErase(bool back, const std::string& undoDesc) {
    const int32_t size = GetDataSize();
    const int32_t unit = BytesPerUnit;
    const int32_t p0 = GetCursorPos() / unit * unit;
    const int32_t col = Col(), row = Row();
    if (back) {
        int32_t pos = p0;
        int32_t count = unit;
        if (GetInsertMode() && GetSelCount() == 0) {
            pos = GetPosAtCursor(col, row);
            if (pos == size && size % unit != 0)
                count = 1;
            else
                pos = pos / unit * unit;
        }
        if (pos <= 0) return;
        CreateUndo(ufKindByteRemoved, pos - count, count, 0, undoDesc);
        InternalDelete(pos - count, pos, col, row);
        if (pos == p0)
            Seek(pos - count, 0);
        else if (Col() + 1 <= GetLastCharCol())
            MoveColRow(Col() + 1, Row(), true, true);
        Changed();
        return;
    }
    // The byte under the caret, never one before it: on the append position there is none.
    const int32_t caret = GetPosAtCursor(col, row);
    const int32_t pos = std::min(caret, p0);
    if (caret >= size || pos >= size) return;
    const int32_t count = std::min(unit, size - pos);
    CreateUndo(ufKindByteRemoved, pos, count, 0, undoDesc);
    InternalDelete(pos, pos + count, col, row);
    Changed();
}

void TCustomOrixHexEditor::SetDataSize(int32_t newSize) {
    const int32_t old = GetDataSize();
    if (newSize == old || newSize < 0) return;
    const int32_t caret = GetCursorPos();
    if (newSize != 0 && old != 0 && IsFileSizeFixed())
        throw EOrixHexEditor("Cannot change fixed filesize");
    const QScopedValueRollback<bool> override(FSizeChangeOverride, true);
    if (newSize < old)
        CreateUndo(ufKindByteRemoved, newSize, old - newSize, 0, "");
    else
        CreateUndo(ufKindAppendBuffer, old, newSize - old, 0, "");
    FDataStore.SetSize(newSize);
    if (newSize > old)
        std::memset(FDataStore.Memory() + old, FGrowFillByte, static_cast<size_t>(newSize - old));
    FModifiedFlag = true;
    CalcSizes();
    if (FSelAnchor != -1 && FSelLast >= newSize) ResetSelection(true);
    if (caret >= newSize) {
        ResetSelection(true);
        const bool field = FCaretInCharField;
        if (newSize == 0 && !GetInsertMode())
            MoveColRow(FirstColOfField(field), kFirstDataRow, true, true);
        else
            SeekToEOF();
    }
}

void TCustomOrixHexEditor::SetFixedFileSize(bool value) {
    if (value == NoSizeChange) return;
    if (value) SetInsertMode(false);
    NoSizeChange = value;
}

void TCustomOrixHexEditor::SetReadOnlyFile(bool value) {
    if (value) FReadOnlyFile = true;
}

std::vector<uint8_t> TCustomOrixHexEditor::BufferFromFile(int32_t position, int32_t& count) {
    const int32_t size = GetDataSize();
    if (position < 0 || position >= size) throw EOrixHexEditor("Invalid buffer from file argument");
    if (static_cast<int64_t>(position) + count > size) count = size - position;
    if (count <= 0) return {};
    std::vector<uint8_t> block;
    try {
        block.resize(static_cast<size_t>(count));
        ReadBuffer(block.data(), position, count);
    } catch (...) {
        count = 0;
        return {};
    }
    return block;
}

// ---------------------------------------------------------------- text and hex

void TCustomOrixHexEditor::SetAsText(const std::string& text) {
    CheckNewSize(static_cast<int64_t>(text.size()));
    if (GetDataSize() > 0) {
        SetSelStart(0);
        SetSelEnd(GetDataSize() - 1);
    }
    std::vector<uint8_t> block(text.begin(), text.end());
    const auto length = static_cast<int32_t>(block.size());
    TranslateBufferFromAnsi(Translation, block.data(), block.data(), length);
    ReplaceSelection(block.data(), length, "", true);
}

std::string TCustomOrixHexEditor::GetAsText() {
    const int32_t size = GetDataSize();
    if (size <= 0) return {};
    return std::string(reinterpret_cast<const char*>(FDataStore.Memory()),
                       static_cast<size_t>(size));
}

namespace {
std::vector<uint8_t> DecodeHex(const std::string& hexText, bool swapNibbles) {
    CheckNewSize(static_cast<int64_t>(hexText.size()));
    std::vector<uint8_t> bytes(hexText.size() / 2 + 1);
    int32_t translated = 0;
    ConvertHexToBin(hexText.data(), bytes.data(), static_cast<int32_t>(hexText.size()), swapNibbles,
                    translated);
    bytes.resize(static_cast<size_t>(std::max(0, translated)));
    return bytes;
}
} // namespace

void TCustomOrixHexEditor::SetAsHex(const std::string& hexText) {
    if (GetDataSize() > 0) {
        SetSelStart(0);
        SetSelEnd(GetDataSize() - 1);
    }
    const std::vector<uint8_t> bytes = DecodeHex(hexText, SwapNibbles != 0);
    ReplaceSelection(bytes.data(), static_cast<int32_t>(bytes.size()), "", true);
}

std::string TCustomOrixHexEditor::GetAsHex() {
    return FDataStore.GetAsHex(0, GetDataSize(), SwapNibbles != 0);
}

void TCustomOrixHexEditor::SetSelectionAsText(const std::string& text) {
    if (text.empty()) return;
    CheckNewSize(static_cast<int64_t>(text.size()));
    ReplaceSelection(text.data(), static_cast<int32_t>(text.size()), "", true);
}

void TCustomOrixHexEditor::SetSelectionAsHex(const std::string& hexText) {
    if (hexText.empty()) return;
    const std::vector<uint8_t> bytes = DecodeHex(hexText, SwapNibbles != 0);
    SetSelectionAsText(std::string(bytes.begin(), bytes.end()));
}

std::string TCustomOrixHexEditor::GetSelectionAsText() {
    if (GetDataSize() == 0 || GetSelCount() == 0) return {};
    const int32_t start = std::min(GetSelStart(), GetSelEnd());
    std::string text(static_cast<size_t>(GetSelCount()), '\0');
    ReadBuffer(text.data(), start, GetSelCount());
    return text;
}

std::string TCustomOrixHexEditor::GetSelectionAsHex() {
    if (GetDataSize() == 0 || GetSelCount() == 0) return {};
    return FDataStore.GetAsHex(std::min(GetSelStart(), GetSelEnd()), GetSelCount(),
                               SwapNibbles != 0);
}

// ---------------------------------------------------------------- the editor's undo side

void TCustomOrixHexEditor::CreateUndo(TOrixHUndoFlag kind, int32_t pos, int32_t count,
                                      int32_t replCount, const std::string& description) {
    if (!CanCreateUndo(kind, count, replCount)) throw EOrixHexEditor(ORIXH_CANNOT_UPDATE_UNDO);
    if (FUndoStore->UpdateLevel() == 0)
        FUndoStore->CreateUndo(kind, pos, count, replCount, description);
    else if (kind != ufKindSelection)
        FUnrecordedChange = true;
    FModifiedFlag = true;
}

bool TCustomOrixHexEditor::CanCreateUndo(TOrixHUndoFlag kind, int32_t count, int32_t replCount) {
    const TOrixHUndoKindRule* rule = UndoKindRule(kind);
    if (rule == nullptr || count < 0 || replCount < 0) return false;
    // A combined step joins steps that were recorded: a larger count would make its Undo
    // empty the history without undoing anything.
    if (rule->Combines) return FUndoStore->CanCombine(count);
    if (GetDataSize() <= 0 && !rule->WorksOnEmptyData) return false;
    return !(IsFileSizeFixed() && UndoResizes(*rule, count, replCount));
}

void TCustomOrixHexEditor::CombineUndo(int32_t count, const std::string& description) {
    CreateUndo(ufKindCombined, 0, count, 0, description);
}

bool TCustomOrixHexEditor::GetCanUndo() {
    return !ReadOnlyView && FUndoStore->CanUndo();
}

bool TCustomOrixHexEditor::GetCanRedo() {
    return !ReadOnlyView && FUndoStore->CanRedo();
}

std::string TCustomOrixHexEditor::GetUndoDescription() {
    if (FDestroying || !FUndoStore->CanUndo()) return ORIXH_NO_UNDO;
    return FUndoStore->StepDescription();
}

int32_t TCustomOrixHexEditor::UndoBeginUpdate() {
    // An outermost group starts clean: what an earlier one left unrecorded went with the
    // history that Undo emptied while it was open.
    if (FUndoStore->UpdateLevel() < 1) FUnrecordedChange = false;
    return FUndoStore->BeginUpdate();
}

int32_t TCustomOrixHexEditor::UndoEndUpdate() {
    const int32_t before = FUndoStore->UpdateLevel();
    const int32_t level = FUndoStore->EndUpdate();
    if (before >= 1 && level < 1 && FUnrecordedChange) {
        // Changes that left no record: the older records no longer describe the data.
        FUnrecordedChange = false;
        ResetUndo();
    }
    return level;
}
