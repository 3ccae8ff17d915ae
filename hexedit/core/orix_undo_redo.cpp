// Undo and redo in the undo storage: the newest record applied backwards, the state after it
// kept in the redo block and applied forwards again. One level of redo.
#include "orix_undo_storage.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace {
constexpr int32_t kBookmarkBytes = 8;
constexpr int32_t kBookmarksSize = 10 * kBookmarkBytes;

} // namespace

bool TOrixHUndoStorage::RecordFitsData(const TOrixHUndoRecordView& v) {
    const int64_t size = FHexEditor->DataSize();
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

void TOrixHUndoStorage::RestoreUndoState(const TOrixHUndoRecordView& v) {
    TOrixHUndoHost& e = *FHexEditor;
    const TOrixHUndoState state = v.Header.State();
    // Insert mode first: the caret may stand on the append position, whose row exists only
    // in insert mode.
    e.RestoreInsertMode(state.InsertMode);
    e.RestoreCaret(state);
    e.RestoreModified(state.Modified);
    if (v.HasSelection) {
        if (v.SelLast == -1)
            e.RestoreCaretAt(v.SelFirst);
        else
            e.RestoreSelection({v.SelFirst, v.SelLast, v.SelAnchor});
    }
    e.RestoreModes(state);
    e.Repaint();
    e.NotifyChanged();
}

bool TOrixHUndoStorage::ApplyUndo(const TOrixHUndoRecordView& v) {
    TOrixHUndoHost& e = *FHexEditor;
    const TOrixHUndoRec& h = v.Header;
    const int32_t pos = h.EditPosition;
    const int32_t count = h.EditCount;
    const int32_t repl = h.ReplacedCount;
    const uint8_t* data = Memory() + v.Start + TOrixHUndoRec::kDataOffset;
    switch (v.Kind) {
    case ufKindBytesChanged:
        e.WriteBytes(data, pos, count);
        e.MarkChanged(pos, h.Has(ufFlagByte1Changed));
        if (count == 2) e.MarkChanged(pos + 1, h.Has(ufFlagByte2Changed));
        break;
    case ufKindByteRemoved:
        e.InsertBytes(data, count, pos);
        break;
    case ufKindInsertBuffer:
        e.DeleteBytes(pos, pos + count);
        break;
    case ufKindReplace:
        e.DeleteBytes(pos, pos + count);
        e.InsertBytes(data, repl, pos);
        break;
    case ufKindAppendBuffer:
        e.CaretToFirstDataColumn();
        e.ResizeData(pos);
        e.CutChangedMarks(pos);
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
        if (v.Kind == ufKindNibbleInsert)
            e.DeleteNibbleAt(pos);
        else
            e.InsertNibbleAt(pos);
        e.PutByte(pos, data[0]);
        e.MarkChanged(pos, h.Has(ufFlagByte1Changed));
        break;
    case ufKindConvert:
        e.WriteBytes(data, pos, count);
        break;
    case ufKindAllData:
        e.ReplaceAllData(data, count);
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
        e.MoveBookmarksAfterChange(pos, count);
        e.CutChangedMarks(pos);
        break;
    case ufKindInsertBuffer:
        // Bookmarks inside the removed bytes stay, as with any removal.
        e.MoveBookmarksAfterChange(pos + count, -count);
        e.CutChangedMarks(pos);
        break;
    case ufKindReplace:
        // Measured from the end of the range as it is now (Count bytes long).
        e.MoveBookmarksAfterChange(pos + count, repl - count);
        e.CutChangedMarks(pos - 1);
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
        e.CutChangedMarks(pos);
        e.ResizeData(e.DataSize() - 1);
        break;
    case ufKindConvert:
        e.CutChangedMarks(pos);
        break;
    default:
        break;
    }
    e.Repaint();
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
    TOrixHUndoHost& e = *FHexEditor;
    ResetRedo();
    const uint8_t kind = GetUndoKind(h.UndoFlagBits);
    if (kind == ufKindCombined || kind == ORIXH_UNDO_NO_KIND) return;
    const int32_t size = e.DataSize();
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
    if (length > 0) e.ReadBytes(data, from, length);
    if (kind == ufKindBytesChanged) {
        if (e.IsMarkedChanged(h.EditPosition)) r.UndoFlagBits |= UndoBit(ufFlagByte1Changed);
        if (h.EditCount == 2 && e.IsMarkedChanged(h.EditPosition + 1))
            r.UndoFlagBits |= UndoBit(ufFlagByte2Changed);
    }
    r.SetState(e.StateNow());
    r.WriteTo(block.data());
    uint8_t* marks = data + n + 1;
    const TOrixHBookmarks bookmarks = e.BookmarksNow();
    for (size_t i = 0; i < bookmarks.size(); ++i) {
        UndoPutI32(marks + i * kBookmarkBytes, bookmarks[i].mPosition);
        marks[i * kBookmarkBytes + 4] = bookmarks[i].mInCharField ? 1 : 0;
    }
    const TOrixHSelectionTriple selection = e.SelectionNow();
    uint8_t* triple = marks + kBookmarksSize;
    UndoPutI32(triple, selection.First);
    UndoPutI32(triple + 4, selection.Last);
    UndoPutI32(triple + 8, selection.Anchor);
    FRedoRecord = std::move(block);
}

void TOrixHUndoStorage::RestoreRedoState(bool secondMark) {
    TOrixHUndoHost& e = *FHexEditor;
    const TOrixHUndoRec h = TOrixHUndoRec::ReadFrom(FRedoRecord.data());
    const TOrixHUndoState state = h.State();
    const uint8_t* marks = FRedoRecord.data() + FRedoRecord.size() - 12 - kBookmarksSize;
    TOrixHBookmarks bookmarks;
    for (size_t i = 0; i < bookmarks.size(); ++i) {
        bookmarks[i].mPosition = UndoGetI32(marks + i * kBookmarkBytes);
        // A stored flag byte means "set" whenever it is not 0.
        bookmarks[i].mInCharField = marks[i * kBookmarkBytes + 4] != 0;
    }
    e.RestoreBookmarks(bookmarks);
    // The step is done: its record goes back and the block is used up, also when a mode
    // cannot be restored, so that the step is never applied twice.
    std::exception_ptr failure;
    try {
        e.RestoreInsertMode(state.InsertMode);
        e.RestoreCaret(state);
        e.RestoreModified(state.Modified);
        const uint8_t* triple = marks + kBookmarksSize;
        e.RestoreSelection({UndoGetI32(triple), UndoGetI32(triple + 4), UndoGetI32(triple + 8)});
        e.RestoreModes(state);
        e.RestoreCharField(state.CaretInCharField);
        e.MarkChanged(h.EditPosition, h.Has(ufFlagByte1Changed));
        if (secondMark) e.MarkChanged(h.EditPosition + 1, h.Has(ufFlagByte2Changed));
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
    e.Repaint();
    if (failure) ResetRedo();
    e.NotifyBookmarksChanged();
    if (failure) std::rethrow_exception(failure);
}

bool TOrixHUndoStorage::Redo() {
    if (!CanRedo()) return false;
    TOrixHUndoHost& e = *FHexEditor;
    const TOrixHUndoRec h = TOrixHUndoRec::ReadFrom(FRedoRecord.data());
    const uint8_t kind = GetUndoKind(h.UndoFlagBits);
    const int64_t size = e.DataSize();
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
        e.WriteBytes(data, p, c);
        break;
    case ufKindByteRemoved:
        e.DeleteBytes(p, p + c);
        break;
    case ufKindInsertBuffer:
        e.InsertBytes(data, c, p);
        break;
    case ufKindReplace:
        e.DeleteBytes(p, p + rc);
        e.InsertBytes(data, c, p);
        break;
    case ufKindAppendBuffer:
        e.AppendBytes(data, c);
        break;
    case ufKindNibbleInsert:
    case ufKindNibbleDelete:
    case ufKindAllData:
        e.ReplaceAllData(data, c);
        break;
    case ufKindConvert:
        e.DeleteBytes(p, p + c);
        e.InsertBytes(data, c, p);
        break;
    default:
        break;
    }
    RestoreRedoState(kind == ufKindBytesChanged && c == 2);
    ResetRedo();
    e.NotifyChanged();
    return true;
}
