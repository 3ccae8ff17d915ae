// Undo and redo: the newest record applied backwards, the state after it kept in the redo
// block and applied forwards again. One level of redo.
#include "orix_hex_editor.h"
#include "orix_undo_storage.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace {
constexpr int32_t kBookmarkBytes = 8;
constexpr int32_t kBookmarksSize = 10 * kBookmarkBytes;

} // namespace

// ---------------------------------------------------------------- editor side

bool TCustomOrixHexEditor::Undo() {
    return FUndoStore->Undo();
}
bool TCustomOrixHexEditor::Redo() {
    return FUndoStore->Redo();
}

// ---------------------------------------------------------------- storage side

void TOrixHUndoStorage::CutChangedMarks(int32_t position) {
    TCustomOrixHexEditor& e = *FHexEditor;
    position = std::max(0, position);
    if (e.FChangedByteMap.Size() >= position) e.FChangedByteMap.SetSize(position);
}

bool TOrixHUndoStorage::RecordFitsData(const TOrixHUndoRecordView& v) {
    const int64_t size = FHexEditor->GetDataSize();
    const int64_t pos = v.Header.EditPosition;
    const int64_t count = v.Header.EditCount;
    const int64_t repl = v.Header.ReplacedCount;
    const int64_t n = v.DataLength;
    if (pos < 0 || count < 0 || repl < 0) return false;
    switch (v.Kind) {
    case ufKindBytesChanged:
    case ufKindConvert:
        return pos + count <= size && n >= count;
    case ufKindByteRemoved:
        return pos <= size && n >= count;
    case ufKindInsertBuffer:
        return pos + count <= size;
    case ufKindReplace:
        return pos + count <= size && n >= repl;
    case ufKindAppendBuffer:
        return pos <= size;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
        return pos < size && n >= 1;
    case ufKindSelection:
        return true;
    case ufKindCombined:
        return count < FRecordCount;
    case ufKindAllData:
        return n >= count && count <= INT32_MAX;
    default:
        return false;
    }
}

void TOrixHUndoStorage::PlaceCaret(const TOrixHUndoRec& h) {
    TCustomOrixHexEditor& e = *FHexEditor;
    const bool inChar = h.Has(ufFlagInCharField);
    TGridCoord cell = e.GetCursorAtPos(h.CaretPosition, inChar);
    if (!inChar && e.GetDataSize() > 0 && h.Has(ufFlag2ndByteCol)) cell.X += 1;
    cell.X = std::clamp(cell.X, 2, e.ColCount() - 1);
    cell.Y = std::clamp(cell.Y, 2, std::max(2, e.RowCount() - 1));
    e.MoveColRow(cell.X, cell.Y, true, true);
}

void TOrixHUndoStorage::RestoreModes(const TOrixHUndoRec& h) {
    TCustomOrixHexEditor& e = *FHexEditor;
    e.SetUnicodeCharacters(h.Has(ufFlagIsUnicode));
    e.SetUnicodeBigEndian(h.Has(ufFlagIsUnicodeBigEndian));
    const auto kind = h.SavedTranslation < ORIXH_TRANSLATION_KIND_COUNT
                          ? static_cast<TOrixHTranslationKind>(h.SavedTranslation)
                          : tkAsIs;
    if (e.UnicodeChars)
        e.Translation = kind;
    else
        e.SetTranslation(kind);
    e.SetBytesPerUnit(h.SavedBytesPerUnit);
}

void TOrixHUndoStorage::RestoreUndoState(const TOrixHUndoRecordView& v) {
    TCustomOrixHexEditor& e = *FHexEditor;
    const TOrixHUndoRec& h = v.Header;
    // Insert mode first: the caret may stand on the append position, whose row exists only
    // in insert mode.
    e.SetInsertMode(h.Has(ufFlagInsertMode));
    PlaceCaret(h);
    e.FModifiedFlag = h.Has(ufFlagModified);
    if (v.HasSelection) {
        if (v.SelLast == -1)
            e.Seek(v.SelFirst, 0);
        else
            e.SetSelection(v.SelAnchor, v.SelFirst, v.SelLast);
    }
    RestoreModes(h);
    e.viewport()->update();
    e.Changed();
}

bool TOrixHUndoStorage::ApplyUndo(const TOrixHUndoRecordView& v) {
    TCustomOrixHexEditor& e = *FHexEditor;
    const TOrixHUndoRec& h = v.Header;
    const int32_t pos = h.EditPosition;
    const int32_t count = h.EditCount;
    const int32_t repl = h.ReplacedCount;
    const uint8_t* data = Memory() + v.Start + TOrixHUndoRec::kDataOffset;
    switch (v.Kind) {
    case ufKindBytesChanged:
        e.WriteBuffer(data, pos, count);
        e.SetChanged(pos, h.Has(ufFlagByte1Changed));
        if (count == 2) e.SetChanged(pos + 1, h.Has(ufFlagByte2Changed));
        break;
    case ufKindByteRemoved:
        e.InternalInsertBuffer(data, count, pos);
        break;
    case ufKindInsertBuffer:
        e.InternalDelete(pos, pos + count, -1, -1);
        break;
    case ufKindReplace:
        e.InternalDelete(pos, pos + count, -1, -1);
        e.InternalInsertBuffer(data, repl, pos);
        break;
    case ufKindAppendBuffer:
        if (e.Row() < e.RowCount()) e.MoveColRow(2, e.Row(), true, false);
        e.FDataStore.SetSize(pos);
        e.CalcSizes();
        CutChangedMarks(pos);
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
        if (v.Kind == ufKindNibbleInsert)
            e.InternalDeleteNibble(pos, false);
        else
            e.InternalInsertNibble(pos, false);
        e.SetDataAt(pos, data[0]);
        e.SetChanged(pos, h.Has(ufFlagByte1Changed));
        break;
    case ufKindConvert:
        e.WriteBuffer(data, pos, count);
        break;
    case ufKindAllData:
        e.FDataStore.SetSize(count);
        if (count > 0) e.FDataStore.WriteBufferAt(data, 0, count);
        e.CalcSizes();
        break;
    default:
        break;
    }
    // The record is applied: from here on it goes, even when restoring the state fails, so
    // that it can never be applied twice.
    struct TakeOff {
        TOrixHUndoStorage& s;
        ~TakeOff() {
            try {
                s.RemoveLastUndo();
            } catch (...) {
                s.Reset(false); // no memory for the redo copy: the record goes all the same
            }
        }
    } takeOff{*this};
    // A state that cannot be restored (a mode the layout now refuses) still lets the rest of
    // the inverse run: the data and the bookmarks must match the history that remains.
    std::exception_ptr failure;
    try {
        RestoreUndoState(v);
    } catch (...) {
        failure = std::current_exception();
    }
    switch (v.Kind) {
    case ufKindByteRemoved:
        e.AdjustBookmarksAfterChange(pos, count);
        CutChangedMarks(pos);
        break;
    case ufKindInsertBuffer:
        // Bookmarks inside the removed bytes stay, as with any removal.
        e.AdjustBookmarksAfterChange(pos + count, -count);
        CutChangedMarks(pos);
        break;
    case ufKindReplace:
        // Measured from the end of the range as it is now (Count bytes long).
        e.AdjustBookmarksAfterChange(pos + count, repl - count);
        CutChangedMarks(pos - 1);
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
        CutChangedMarks(pos);
        e.FDataStore.SetSize(e.FDataStore.GetSize() - 1);
        e.CalcSizes();
        break;
    case ufKindConvert:
        CutChangedMarks(pos);
        break;
    default:
        break;
    }
    e.viewport()->update();
    if (failure) std::rethrow_exception(failure);
    return true;
}

bool TOrixHUndoStorage::Undo() {
    if (!CanUndo()) {
        // Inside an open group the data may have changed without a record since the redo
        // block was made: it goes with the history, so a later Redo cannot apply it to
        // other bytes. With nothing to undo otherwise, the step undone last can still be
        // redone.
        Reset(FUpdateLevel > 0);
        return false;
    }
    TOrixHUndoRecordView view;
    if (!ParseNewest(view) || !RecordFitsData(view)) {
        // A record that does not match the data would undo the wrong bytes.
        Reset(true);
        return false;
    }
    if (view.Kind == ufKindCombined) {
        const int32_t count = view.Header.EditCount;
        RemoveLastUndo();
        for (int32_t i = 0; i < count && CanUndo(); ++i) Undo();
        ResetRedo();
        return true;
    }
    CreateRedo(view.Header);
    FApplying = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FApplying};
    return ApplyUndo(view);
}

void TOrixHUndoStorage::CreateRedo(const TOrixHUndoRec& h) {
    TCustomOrixHexEditor& e = *FHexEditor;
    ResetRedo();
    const uint8_t kind = GetUndoKind(h.UndoFlagBits);
    if (kind == ufKindCombined || kind == ORIXH_UNDO_NO_KIND) return;
    const int32_t size = e.GetDataSize();
    TOrixHUndoRec r;
    r.UndoFlagBits = UndoBit(static_cast<TOrixHUndoFlag>(kind));
    r.EditPosition = h.EditPosition;
    r.EditCount = h.EditCount;
    r.ReplacedCount = h.ReplacedCount;
    int32_t from = 0, length = 0; // the bytes the block keeps
    switch (kind) {
    case ufKindBytesChanged:
    case ufKindInsertBuffer:
    case ufKindReplace:
    case ufKindConvert:
        from = h.EditPosition;
        length = h.EditCount;
        break;
    case ufKindAppendBuffer:
        from = h.EditPosition;
        length = size - h.EditPosition;
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
    case ufKindAllData:
        length = size;
        r.EditCount = size;
        break;
    default:
        break;
    }
    length = std::max(0, length);
    const int32_t n = kind == ufKindBytesChanged ? length - 1 : length;
    r.RecordSize = static_cast<uint32_t>(30 + n);
    const size_t total = static_cast<size_t>(TOrixHUndoRec::kDataOffset) +
                         static_cast<size_t>(n + 1) + kBookmarksSize + 12;
    std::vector<uint8_t> block(total, 0);
    uint8_t* data = block.data() + TOrixHUndoRec::kDataOffset;
    if (length > 0) e.ReadBuffer(data, from, length);
    if (kind == ufKindBytesChanged) {
        if (e.HasChanged(h.EditPosition)) r.UndoFlagBits |= UndoBit(ufFlagByte1Changed);
        if (h.EditCount == 2 && e.HasChanged(h.EditPosition + 1))
            r.UndoFlagBits |= UndoBit(ufFlagByte2Changed);
    }
    FillEditorState(r);
    r.WriteTo(block.data());
    uint8_t* marks = data + n + 1;
    for (size_t i = 0; i < 10; ++i) {
        UndoPutI32(marks + i * kBookmarkBytes, e.FBookmarks[i].mPosition);
        marks[i * kBookmarkBytes + 4] = e.FBookmarks[i].mInCharField ? 1 : 0;
    }
    uint8_t* triple = marks + kBookmarksSize;
    UndoPutI32(triple, e.FSelFirst);
    UndoPutI32(triple + 4, e.FSelLast);
    UndoPutI32(triple + 8, e.FSelAnchor);
    FRedoRecord = std::move(block);
}

void TOrixHUndoStorage::RestoreRedoState(bool secondMark) {
    TCustomOrixHexEditor& e = *FHexEditor;
    const TOrixHUndoRec h = TOrixHUndoRec::ReadFrom(FRedoRecord.data());
    const uint8_t* marks = FRedoRecord.data() + FRedoRecord.size() - 12 - kBookmarksSize;
    for (size_t i = 0; i < 10; ++i) {
        e.FBookmarks[i].mPosition = UndoGetI32(marks + i * kBookmarkBytes);
        // A stored flag byte means "set" whenever it is not 0.
        e.FBookmarks[i].mInCharField = marks[i * kBookmarkBytes + 4] != 0;
    }
    // The step is done: its record goes back and the block is used up, also when a mode
    // cannot be restored, so that the step is never applied twice.
    std::exception_ptr failure;
    try {
        e.SetInsertMode(h.Has(ufFlagInsertMode));
        PlaceCaret(h);
        e.FModifiedFlag = h.Has(ufFlagModified);
        const uint8_t* triple = marks + kBookmarksSize;
        e.SetSelection(UndoGetI32(triple + 8), UndoGetI32(triple), UndoGetI32(triple + 4));
        RestoreModes(h);
        e.SetInCharField(h.Has(ufFlagInCharField));
        e.SetChanged(h.EditPosition, h.Has(ufFlagByte1Changed));
        if (secondMark) e.SetChanged(h.EditPosition + 1, h.Has(ufFlagByte2Changed));
    } catch (...) {
        failure = std::current_exception();
    }
    if (!FUndoneRecord.empty()) {
        const int64_t size = GetSize();
        TMemoryStream::SetSize(size + static_cast<int64_t>(FUndoneRecord.size()));
        std::memcpy(Memory() + size, FUndoneRecord.data(), FUndoneRecord.size());
        ++FRecordCount;
        FUndoneRecord.clear();
        FUndoneRecordSize = 0;
    }
    FStepDescription = FUndoneDescription;
    e.viewport()->update();
    if (failure) ResetRedo();
    e.BookmarkChanged();
    if (failure) std::rethrow_exception(failure);
}

bool TOrixHUndoStorage::Redo() {
    if (!CanRedo()) return false;
    TCustomOrixHexEditor& e = *FHexEditor;
    const TOrixHUndoRec h = TOrixHUndoRec::ReadFrom(FRedoRecord.data());
    const uint8_t kind = GetUndoKind(h.UndoFlagBits);
    const int64_t size = e.GetDataSize();
    const int64_t pos = h.EditPosition, count = h.EditCount, repl = h.ReplacedCount;
    const int64_t n = static_cast<int64_t>(FRedoRecord.size()) - TOrixHUndoRec::kDataOffset -
                      kBookmarksSize - 12; // bytes of data kept
    bool fits = pos >= 0 && count >= 0 && repl >= 0;
    switch (kind) {
    case ufKindBytesChanged:
        fits = fits && pos + count <= size && n >= count;
        break;
    case ufKindByteRemoved:
        fits = fits && pos + count <= size;
        break;
    case ufKindInsertBuffer:
        fits = fits && pos <= size && n >= count;
        break;
    case ufKindReplace:
    case ufKindConvert:
        fits = fits && pos + (kind == ufKindReplace ? repl : count) <= size && n >= count;
        break;
    case ufKindAppendBuffer:
        fits = fits && n >= count;
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
    case ufKindAllData:
        fits = fits && n >= count;
        break;
    case ufKindSelection:
        break;
    default:
        fits = false;
        break;
    }
    if (!fits) {
        ResetRedo();
        return false;
    }
    FApplying = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FApplying};
    const uint8_t* data = FRedoRecord.data() + TOrixHUndoRec::kDataOffset;
    const auto p = static_cast<int32_t>(pos), c = static_cast<int32_t>(count),
               rc = static_cast<int32_t>(repl);
    switch (kind) {
    case ufKindBytesChanged:
        e.WriteBuffer(data, p, c);
        break;
    case ufKindByteRemoved:
        e.InternalDelete(p, p + c, -1, -1);
        break;
    case ufKindInsertBuffer:
        e.InternalInsertBuffer(data, c, p);
        break;
    case ufKindReplace:
        e.InternalDelete(p, p + rc, -1, -1);
        e.InternalInsertBuffer(data, c, p);
        break;
    case ufKindAppendBuffer:
        e.InternalAppendBuffer(data, c);
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
    case ufKindAllData:
        e.FDataStore.SetSize(c);
        if (c > 0) e.FDataStore.WriteBufferAt(data, 0, c);
        e.CalcSizes();
        break;
    case ufKindConvert:
        e.InternalDelete(p, p + c, -1, -1);
        e.InternalInsertBuffer(data, c, p);
        break;
    default:
        break;
    }
    RestoreRedoState(kind == ufKindBytesChanged && c == 2);
    ResetRedo();
    e.Changed();
    return true;
}
