#pragma once
// The kinds of undo record as a table: for each kind the bytes its record keeps, the changed
// marks it keeps, how its change moves the bookmarks, what the data must hold for it to be
// undone and redone, the bytes its redo block keeps and the steps that apply it backwards and
// forwards. The storage asks the table; no rule of a kind is written anywhere else.
#include "orix_undo_host.h"

#include <cstddef>
#include <cstdint>

// The bytes a record keeps as its RecordData (N bytes).
enum class TOrixHUndoKept : uint8_t {
    ZeroByte,      // one zero byte
    CountBytes,    // the Count bytes at Pos
    ReplacedBytes, // the ReplCount bytes at Pos
    ByteAtPos,     // the byte at Pos
    ShortText,     // a length byte and the first 255 characters at most of the description
    WholeData,     // the whole data (one zero byte when it is empty); Count is its size
};

// A length in bytes from Pos, taken from a record's fields; None: no length, nothing checked.
enum class TOrixHUndoLength : uint8_t { None, Zero, One, Count, ReplCount };

// The changed marks a record or redo block keeps: flag 11 for Pos, flag 12 for Pos + 1.
enum class TOrixHUndoMarks : uint8_t {
    None,
    First,          // the mark of Pos
    FirstAndSecond, // and the mark of Pos + 1 when Count is 2
};

// Where undo cuts the changed marks after the state is back.
enum class TOrixHUndoCut : uint8_t { None, AtPos, BeforePos };

// The bytes a redo block keeps, read right after the step, before undo applies the record.
// The header's first data byte counts: a block of RecordSize 30 + n carries n + 1 bytes.
enum class TOrixHRedoKept : uint8_t {
    Nothing,      // n = 0
    ChangedBytes, // the Count bytes at Pos, n = Count - 1
    StepBytes,    // the Count bytes at Pos, n = Count
    Tail,         // the bytes from Pos to the end, n = their number
    WholeData,    // the whole data, n = its size, which becomes the block's Count
};

// Whether the change a record stands for alters the data size: a data of fixed size refuses it.
enum class TOrixHUndoResize : uint8_t { Never, Always, WhenCountsDiffer };

// A record's or redo block's fields as the appliers see them, with its kept bytes.
struct TOrixHUndoStep {
    int32_t Pos = 0;
    int32_t Count = 0;
    int32_t ReplCount = 0;
    const uint8_t* Data = nullptr;
};
using TOrixHUndoApply = void (*)(TOrixHUndoHost& editor, const TOrixHUndoStep& step);

struct TOrixHUndoKindRule {
    // ---- making the record ----
    // The change may be made on empty data (otherwise it is refused there).
    bool WorksOnEmptyData = false;
    TOrixHUndoResize Resizes = TOrixHUndoResize::Never;
    // The bytes kept from the data must be there when the record is made, or it is refused;
    // when it is undone, the record must still hold them.
    TOrixHUndoKept Keeps = TOrixHUndoKept::ZeroByte;
    // Count is a number of bytes: a negative one is refused.
    bool CountIsLength = false;
    TOrixHUndoMarks Marks = TOrixHUndoMarks::None;
    // The record is the caret and a selection of Count bytes at Pos, nothing else.
    bool SelectsAtPos = false;
    // The record stands for the Count records before it, undone with it as one step.
    bool Combines = false;
    // The change takes Removes bytes at Pos and puts Inserts bytes there: the bookmarks behind
    // it move with the bytes when the record is made, and back after undo. None: none move.
    TOrixHUndoLength Removes = TOrixHUndoLength::None;
    TOrixHUndoLength Inserts = TOrixHUndoLength::None;

    // ---- undo ----
    // The bytes from Pos that the data must hold for the record to fit it.
    TOrixHUndoLength UndoNeeds = TOrixHUndoLength::None;
    TOrixHUndoApply Backwards = nullptr; // then the kept marks come back
    TOrixHUndoCut CutAfterUndo = TOrixHUndoCut::None;
    // The nibble shift back leaves one byte too many at the end, dropped last.
    bool DropsSpareByte = false;

    // ---- redo ----
    // A block that keeps bytes must hold the Count bytes its step writes.
    TOrixHRedoKept RedoKeeps = TOrixHRedoKept::Nothing;
    TOrixHUndoMarks RedoMarks = TOrixHUndoMarks::None;
    // The bytes from Pos that the data must hold for the block to fit it.
    TOrixHUndoLength RedoNeeds = TOrixHUndoLength::None;
    TOrixHUndoApply Forwards = nullptr;
};

// The rule of a kind (0 to 10, TOrixHUndoFlag); nullptr for any other value.
const TOrixHUndoKindRule* UndoKindRule(uint8_t kind);

// Whether the change alters the data size, for Count new bytes in place of ReplCount old ones.
bool UndoResizes(const TOrixHUndoKindRule& rule, int64_t count, int64_t replCount);

// The length from a record's fields; -1 for None.
int64_t UndoLength(TOrixHUndoLength length, int64_t count, int64_t replCount);

// N, the RecordData size a record of the rule takes; -1 for counts the rule refuses.
int64_t UndoRecordDataSize(const TOrixHUndoKindRule& rule, int64_t count, int64_t replCount,
                           int64_t dataSize, size_t descriptionLength);

// A range of the data; Length -1: none.
struct TOrixHUndoRange {
    int64_t From = 0;
    int64_t Length = -1;
};

// The bytes of the data a record keeps (for the whole data, Count is its size).
TOrixHUndoRange UndoKeptRange(const TOrixHUndoKindRule& rule, int64_t pos, int64_t count,
                              int64_t replCount);

// The bytes of the data a redo block keeps, with the data size now.
TOrixHUndoRange RedoKeptRange(const TOrixHUndoKindRule& rule, int64_t pos, int64_t count,
                              int64_t dataSize);
