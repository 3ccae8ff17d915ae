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
    const TOrixHUndoKindRule* rule = UndoKindRule(v.Kind);
    if (!rule || pos < 0 || count < 0 || repl < 0) return false;
    if (rule->Combines) return count < FRecordCount;
    // The bytes the step left are in the data, and the record holds the bytes it kept.
    const int64_t needs = UndoLength(rule->UndoNeeds, count, repl);
    const int64_t kept = UndoKeptRange(*rule, pos, count, repl).Length;
    return (needs < 0 || pos + needs <= size) && v.DataLength >= kept;
}

void TOrixHUndoStorage::RestoreUndoState(const TOrixHUndoRecordView& v) {
    TOrixHUndoHost& e = *FHexEditor;
    const TOrixHUndoState state = v.Header.State();
    // Insert mode first: the caret may stand on the append position, whose row exists only
    // in insert mode. The modes next: they lay the grid out anew, moving the caret and
    // dropping a selection of other units.
    e.RestoreInsertMode(state.InsertMode);
    e.RestoreModes(state);
    e.RestoreCaret(state);
    e.RestoreModified(state.Modified);
    if (v.HasSelection) {
        if (v.SelLast == -1)
            e.RestoreCaretAt(v.SelFirst);
        else
            e.RestoreSelection({v.SelFirst, v.SelLast, v.SelAnchor});
    }
    e.Repaint();
    e.NotifyChanged();
}

bool TOrixHUndoStorage::ApplyUndo(const TOrixHUndoRecordView& v) {
    TOrixHUndoHost& e = *FHexEditor;
    const TOrixHUndoKindRule& rule = *UndoKindRule(v.Kind);
    const TOrixHUndoRec& h = v.Header;
    const int32_t pos = h.EditPosition;
    const int32_t count = h.EditCount;
    const int32_t repl = h.ReplacedCount;
    if (rule.Backwards)
        rule.Backwards(e, {pos, count, repl, Memory() + v.Start + TOrixHUndoRec::kDataOffset});
    if (rule.Marks != TOrixHUndoMarks::None) e.MarkChanged(pos, h.Has(ufFlagByte1Changed));
    if (rule.Marks == TOrixHUndoMarks::FirstAndSecond && count == 2)
        e.MarkChanged(pos + 1, h.Has(ufFlagByte2Changed));
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
    // A state that fails to come back (the editor ran out of memory) still lets the rest of
    // the inverse run: the data and the bookmarks must match the history that remains.
    std::exception_ptr failure;
    try {
        RestoreUndoState(v);
    } catch (...) {
        failure = std::current_exception();
    }
    // The bookmarks behind the change move back, measured from the end of the bytes as they
    // are now; bookmarks inside removed bytes stay, as with any removal.
    if (rule.Removes != TOrixHUndoLength::None) {
        const int64_t removes = UndoLength(rule.Removes, count, repl);
        const int64_t inserts = UndoLength(rule.Inserts, count, repl);
        e.MoveBookmarksAfterChange(static_cast<int32_t>(pos + inserts),
                                   static_cast<int32_t>(removes - inserts));
    }
    if (rule.CutAfterUndo == TOrixHUndoCut::AtPos) e.CutChangedMarks(pos);
    if (rule.CutAfterUndo == TOrixHUndoCut::BeforePos) e.CutChangedMarks(pos - 1);
    if (rule.DropsSpareByte) e.ResizeData(e.DataSize() - 1);
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
    if (UndoKindRule(view.Kind)->Combines) {
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
    const TOrixHUndoKindRule* rule = UndoKindRule(kind);
    if (!rule || rule->Combines) return;
    const int32_t size = e.DataSize();
    TOrixHUndoRec r;
    r.UndoFlagBits = UndoBit(static_cast<TOrixHUndoFlag>(kind));
    r.EditPosition = h.EditPosition;
    r.EditCount = h.EditCount;
    r.ReplacedCount = h.ReplacedCount;
    if (rule->RedoKeeps == TOrixHRedoKept::WholeData) r.EditCount = size;
    const TOrixHUndoRange kept = RedoKeptRange(*rule, h.EditPosition, h.EditCount, size);
    const auto from = static_cast<int32_t>(kept.From);
    const auto length = static_cast<int32_t>(std::max<int64_t>(0, kept.Length));
    const int32_t n = rule->RedoKeeps == TOrixHRedoKept::ChangedBytes ? length - 1 : length;
    r.RecordSize = static_cast<uint32_t>(30 + n);
    const size_t total = static_cast<size_t>(TOrixHUndoRec::kDataOffset) +
                         static_cast<size_t>(n + 1) + kBookmarksSize + 12;
    std::vector<uint8_t> block(total, 0);
    uint8_t* data = block.data() + TOrixHUndoRec::kDataOffset;
    if (length > 0) e.ReadBytes(data, from, length);
    r.UndoFlagBits |= MarksNow(rule->RedoMarks, h.EditPosition, h.EditCount);
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
    // The step is done: its record goes back and the block is used up, also when the state
    // fails to come back, so that the step is never applied twice.
    std::exception_ptr failure;
    try {
        // In the order of the undo state, for the same reasons.
        e.RestoreInsertMode(state.InsertMode);
        e.RestoreModes(state);
        e.RestoreCaret(state);
        e.RestoreModified(state.Modified);
        const uint8_t* triple = marks + kBookmarksSize;
        e.RestoreSelection({UndoGetI32(triple), UndoGetI32(triple + 4), UndoGetI32(triple + 8)});
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
    const TOrixHUndoKindRule* rule = UndoKindRule(GetUndoKind(h.UndoFlagBits));
    const int64_t size = e.DataSize();
    const int64_t pos = h.EditPosition, count = h.EditCount, repl = h.ReplacedCount;
    const int64_t n = static_cast<int64_t>(FRedoRecord.size()) - TOrixHUndoRec::kDataOffset -
                      kBookmarksSize - 12; // bytes of data kept
    // The data is as before the step, and a block that keeps bytes holds the Count it writes.
    const int64_t needs = rule ? UndoLength(rule->RedoNeeds, count, repl) : -1;
    const bool fits = rule && !rule->Combines && pos >= 0 && count >= 0 && repl >= 0 &&
                      (needs < 0 || pos + needs <= size) &&
                      (rule->RedoKeeps == TOrixHRedoKept::Nothing || n >= count);
    if (!fits) {
        ResetRedo();
        return false;
    }
    FApplying = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FApplying};
    const auto c = static_cast<int32_t>(count);
    if (rule->Forwards)
        rule->Forwards(e, {static_cast<int32_t>(pos), c, static_cast<int32_t>(repl),
                           FRedoRecord.data() + TOrixHUndoRec::kDataOffset});
    RestoreRedoState(rule->RedoMarks == TOrixHUndoMarks::FirstAndSecond && c == 2);
    ResetRedo();
    e.NotifyChanged();
    return true;
}
