// The table of undo record kinds and the steps that apply records and redo blocks.
#include "orix_undo_kinds.h"

#include "orix_undo_storage.h"

#include <algorithm>
#include <array>

namespace {
using Kept = TOrixHUndoKept;
using Len = TOrixHUndoLength;
using Marks = TOrixHUndoMarks;
using Cut = TOrixHUndoCut;
using Redo = TOrixHRedoKept;
using Resize = TOrixHUndoResize;

// ---- the steps, backwards and forwards ----

void WriteKept(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.WriteBytes(s.Data, s.Pos, s.Count);
}

void InsertKept(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.InsertBytes(s.Data, s.Count, s.Pos);
}

void DeleteCounted(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.DeleteBytes(s.Pos, s.Pos + s.Count);
}

// The Count new bytes go, the ReplCount old ones come back.
void PutReplacedBack(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.DeleteBytes(s.Pos, s.Pos + s.Count);
    e.InsertBytes(s.Data, s.ReplCount, s.Pos);
}

// The ReplCount old bytes go, the Count new ones come again.
void ReplaceAgain(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.DeleteBytes(s.Pos, s.Pos + s.ReplCount);
    e.InsertBytes(s.Data, s.Count, s.Pos);
}

void RewriteCounted(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.DeleteBytes(s.Pos, s.Pos + s.Count);
    e.InsertBytes(s.Data, s.Count, s.Pos);
}

// The data is cut back to its size before the append (Pos), its marks with it, before the state
// is back.
void CutAppended(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.CaretToFirstDataColumn();
    e.ResizeData(s.Pos);
    e.CutChangedMarks(s.Pos);
}

void AppendAgain(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.AppendBytes(s.Data, s.Count);
}

// The nibble shifts back, then the byte at Pos is the one kept.
void TakeInsertedNibble(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.DeleteNibbleAt(s.Pos);
    e.PutByte(s.Pos, s.Data[0]);
}

void PutDeletedNibbleBack(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.InsertNibbleAt(s.Pos);
    e.PutByte(s.Pos, s.Data[0]);
}

void PutAllData(TOrixHUndoHost& e, const TOrixHUndoStep& s) {
    e.ReplaceAllData(s.Data, s.Count);
}

// ---- the kinds, in the order of TOrixHUndoFlag ----

constexpr std::array<TOrixHUndoKindRule, ufKindAllData + 1> kRules = {{
    // ufKindBytesChanged: one byte or one UTF-16 unit overwritten
    {.Keeps = Kept::CountBytes,
     .CountIsLength = true,
     .Marks = Marks::FirstAndSecond,
     .UndoNeeds = Len::Count,
     .Backwards = WriteKept,
     .RedoKeeps = Redo::ChangedBytes,
     .RedoMarks = Marks::FirstAndSecond,
     .RedoNeeds = Len::Count,
     .Forwards = WriteKept},
    // ufKindByteRemoved
    {.Resizes = Resize::Always,
     .Keeps = Kept::CountBytes,
     .CountIsLength = true,
     .Removes = Len::Count,
     .Inserts = Len::Zero,
     .UndoNeeds = Len::Zero,
     .Backwards = InsertKept,
     .CutAfterUndo = Cut::AtPos,
     .RedoKeeps = Redo::Nothing,
     .RedoNeeds = Len::Count,
     .Forwards = DeleteCounted},
    // ufKindInsertBuffer
    {.WorksOnEmptyData = true,
     .Resizes = Resize::Always,
     .Keeps = Kept::ZeroByte,
     .CountIsLength = true,
     .Removes = Len::Zero,
     .Inserts = Len::Count,
     .UndoNeeds = Len::Count,
     .Backwards = DeleteCounted,
     .CutAfterUndo = Cut::AtPos,
     .RedoKeeps = Redo::StepBytes,
     .RedoNeeds = Len::Zero,
     .Forwards = InsertKept},
    // ufKindReplace: ReplCount bytes replaced by Count bytes
    {.Resizes = Resize::WhenCountsDiffer,
     .Keeps = Kept::ReplacedBytes,
     .CountIsLength = true,
     .Removes = Len::ReplCount,
     .Inserts = Len::Count,
     .UndoNeeds = Len::Count,
     .Backwards = PutReplacedBack,
     // One earlier than the other kinds.
     .CutAfterUndo = Cut::BeforePos,
     .RedoKeeps = Redo::StepBytes,
     .RedoNeeds = Len::ReplCount,
     .Forwards = ReplaceAgain},
    // ufKindAppendBuffer: Pos is the data size before the append
    {.WorksOnEmptyData = true,
     .Resizes = Resize::Always,
     .Keeps = Kept::ZeroByte,
     .CountIsLength = true,
     .UndoNeeds = Len::Zero,
     .Backwards = CutAppended,
     .RedoKeeps = Redo::Tail,
     .Forwards = AppendAgain},
    // ufKindNibbleInsert
    {.Resizes = Resize::Always,
     .Keeps = Kept::ByteAtPos,
     .Marks = Marks::First,
     .UndoNeeds = Len::One,
     .Backwards = TakeInsertedNibble,
     .CutAfterUndo = Cut::AtPos,
     .DropsSpareByte = true,
     .RedoKeeps = Redo::WholeData,
     .Forwards = PutAllData},
    // ufKindNibbleDelete
    {.Resizes = Resize::Always,
     .Keeps = Kept::ByteAtPos,
     .Marks = Marks::First,
     .UndoNeeds = Len::One,
     .Backwards = PutDeletedNibbleBack,
     .CutAfterUndo = Cut::AtPos,
     .DropsSpareByte = true,
     .RedoKeeps = Redo::WholeData,
     .Forwards = PutAllData},
    // ufKindConvert: Count bytes re-encoded in place
    {.Keeps = Kept::CountBytes,
     .CountIsLength = true,
     .UndoNeeds = Len::Count,
     .Backwards = WriteKept,
     .CutAfterUndo = Cut::AtPos,
     .RedoKeeps = Redo::StepBytes,
     .RedoNeeds = Len::Count,
     .Forwards = RewriteCounted},
    // ufKindSelection: caret and selection only
    {.Keeps = Kept::ZeroByte, .SelectsAtPos = true, .RedoKeeps = Redo::Nothing},
    // ufKindCombined: no redo block
    {.Keeps = Kept::ShortText, .Marks = Marks::First, .Combines = true},
    // ufKindAllData
    {.WorksOnEmptyData = true,
     .Keeps = Kept::WholeData,
     .Backwards = PutAllData,
     .RedoKeeps = Redo::WholeData,
     .Forwards = PutAllData},
}};

} // namespace

const TOrixHUndoKindRule* UndoKindRule(uint8_t kind) {
    return kind < kRules.size() ? &kRules[kind] : nullptr;
}

bool UndoResizes(const TOrixHUndoKindRule& rule, int64_t count, int64_t replCount) {
    switch (rule.Resizes) {
    case Resize::Always:
        return true;
    case Resize::WhenCountsDiffer:
        return count != replCount;
    case Resize::Never:
        break;
    }
    return false;
}

int64_t UndoLength(TOrixHUndoLength length, int64_t count, int64_t replCount) {
    switch (length) {
    case Len::Zero:
        return 0;
    case Len::One:
        return 1;
    case Len::Count:
        return count;
    case Len::ReplCount:
        return replCount;
    case Len::None:
        break;
    }
    return -1;
}

int64_t UndoRecordDataSize(const TOrixHUndoKindRule& rule, int64_t count, int64_t replCount,
                           int64_t dataSize, size_t descriptionLength) {
    if (rule.CountIsLength && count < 0) return -1;
    switch (rule.Keeps) {
    case Kept::ZeroByte:
    case Kept::ByteAtPos:
        return 1;
    case Kept::CountBytes:
        return count;
    case Kept::ReplacedBytes:
        return replCount < 0 ? -1 : replCount;
    case Kept::ShortText:
        return 1 + static_cast<int64_t>(std::min<size_t>(255, descriptionLength));
    case Kept::WholeData:
        return dataSize > 0 ? dataSize : 1;
    }
    return -1;
}

TOrixHUndoRange UndoKeptRange(const TOrixHUndoKindRule& rule, int64_t pos, int64_t count,
                              int64_t replCount) {
    switch (rule.Keeps) {
    case Kept::CountBytes:
        return {pos, count};
    case Kept::ReplacedBytes:
        return {pos, replCount};
    case Kept::ByteAtPos:
        return {pos, 1};
    case Kept::WholeData:
        return {0, count};
    case Kept::ZeroByte:
    case Kept::ShortText:
        break;
    }
    return {};
}

TOrixHUndoRange RedoKeptRange(const TOrixHUndoKindRule& rule, int64_t pos, int64_t count,
                              int64_t dataSize) {
    switch (rule.RedoKeeps) {
    case Redo::ChangedBytes:
    case Redo::StepBytes:
        return {pos, count};
    case Redo::Tail:
        return {pos, dataSize - pos};
    case Redo::WholeData:
        return {0, dataSize};
    case Redo::Nothing:
        break;
    }
    return {};
}
