#pragma once
// TOrixHUndoStorage: the hex editor's undo history. One memory stream holds one record per
// undoable step, oldest first; beside it one redo block keeps the step undone last.
//
// Record layout (little-endian, no gaps; it is also the undo dump file format):
//   0  u32 RecordSize      total size, both size fields included
//   4  u32 UndoFlagBits    one kind bit (0..10) and any state flags (11..20)
//   8  i32 CaretPosition
//  12  i32 EditPosition    Pos of the change
//  16  i32 EditCount       Count
//  20  i32 ReplacedCount   ReplCount
//  24  u8  SavedTranslation
//  25  i32 SavedBytesPerUnit
//  29  N   RecordData      the bytes the kind keeps
//      L   description, then u32 L          (ufFlagHasDescription)
//      12  FSelFirst, FSelLast, FSelAnchor  (ufFlagHasSelection)
//      u32 RecordSize again, so the stream can be walked back from its end.
// RecordSize = 33 + N (+ L + 4) (+ 12).
#include "orix_undo_host.h"
#include "orix_undo_kinds.h"
#include "streams.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum TOrixHUndoFlag : uint8_t {
    ufKindBytesChanged = 0,
    ufKindByteRemoved = 1,
    ufKindInsertBuffer = 2,
    ufKindReplace = 3,
    ufKindAppendBuffer = 4,
    ufKindNibbleInsert = 5,
    ufKindNibbleDelete = 6,
    ufKindConvert = 7,
    ufKindSelection = 8,
    ufKindCombined = 9,
    ufKindAllData = 10,
    ufFlagByte1Changed = 11,
    ufFlagByte2Changed = 12,
    ufFlagModified = 13,
    ufFlag2ndByteCol = 14,
    ufFlagInCharField = 15,
    ufFlagHasSelection = 16,
    ufFlagInsertMode = 17,
    ufFlagIsUnicode = 18,
    ufFlagIsUnicodeBigEndian = 19,
    ufFlagHasDescription = 20,
};
// A set of TOrixHUndoFlag: value n is bit n.
using TOrixHUndoFlags = uint32_t;
constexpr TOrixHUndoFlags UndoBit(TOrixHUndoFlag flag) {
    return 1u << flag;
}
// GetUndoKind's answer for a mask without a kind bit.
constexpr uint8_t ORIXH_UNDO_NO_KIND = 11;

// Little-endian fields of records and the redo block.
inline uint32_t UndoGetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t UndoGetI32(const uint8_t* p) {
    return static_cast<int32_t>(UndoGetU32(p));
}
inline void UndoPutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void UndoPutI32(uint8_t* p, int32_t v) {
    UndoPutU32(p, static_cast<uint32_t>(v));
}

extern const std::array<const char*, 11> UndoKindTexts;
extern const char* const ORIXH_NO_UNDO;            // "No undo"
extern const char* const ORIXH_CANNOT_UPDATE_UNDO; // "Cannot update undo storage"

// The first 30 bytes of a record: the header and the first byte of its data.
struct TOrixHUndoRec {
    uint32_t RecordSize = 0;
    TOrixHUndoFlags UndoFlagBits = 0;
    int32_t CaretPosition = 0;
    int32_t EditPosition = 0;
    int32_t EditCount = 0;
    int32_t ReplacedCount = 0;
    uint8_t SavedTranslation = 0;
    int32_t SavedBytesPerUnit = 0;
    uint8_t DataByte = 0;

    static constexpr int32_t kSize = 30;
    static constexpr int32_t kDataOffset = 29;
    static TOrixHUndoRec ReadFrom(const uint8_t* bytes);
    void WriteTo(uint8_t* bytes) const;
    // The editor's state as the header keeps it: the position, the translation and the unit,
    // and the flags of caret field and digit, insert mode, modified flag and unicode modes.
    TOrixHUndoState State() const;
    void SetState(const TOrixHUndoState& state);
    bool Has(TOrixHUndoFlag flag) const { return (UndoFlagBits & UndoBit(flag)) != 0; }
};

// A record taken apart after its sizes were checked against the stream.
struct TOrixHUndoRecordView {
    TOrixHUndoRec Header;
    uint8_t Kind = ORIXH_UNDO_NO_KIND;
    int64_t Start = 0;      // offset of the record in the stream
    int64_t DataLength = 0; // N
    std::string Description;
    bool HasSelection = false;
    int32_t SelFirst = -1, SelLast = -1, SelAnchor = -1;
};

class TOrixHUndoStorage : public TMemoryStream {
public:
    explicit TOrixHUndoStorage(TOrixHUndoHost* editor);
    ~TOrixHUndoStorage() override;
    TOrixHUndoStorage(const TOrixHUndoStorage&) = delete;
    TOrixHUndoStorage& operator=(const TOrixHUndoStorage&) = delete;

    // Below 30 bytes the stream holds no record. Bytes that come in from outside (a grown
    // stream, a write, a loaded dump) may hold any record, combined ones too.
    void SetSize(int64_t size) override;
    int64_t Write(const void* buffer, int64_t count) override;

    int32_t BeginUpdate();
    int32_t EndUpdate();
    bool CanUndo();
    // Not inside an open group, as Undo: a step redone there would land behind the group's
    // record and on data the group may have changed.
    bool CanRedo() const { return !FRedoRecord.empty() && FUpdateLevel < 1; }
    void CreateUndo(TOrixHUndoFlag kind, int32_t pos, int32_t count, int32_t replCount,
                    const std::string& description);
    bool Undo();
    bool Redo();
    void RemoveLastUndo();
    void Reset(bool resetRedo);
    void SetCount(int32_t value);
    void ResetRedo();
    void CreateRedo(const TOrixHUndoRec& header);
    static uint8_t GetUndoKind(TOrixHUndoFlags mask);
    void AddSelection(int32_t pos, int32_t count);
    // Whether a combined step may join count steps: they were recorded since the last reset,
    // also when the limit has taken some of them since.
    bool CanCombine(int32_t count) const;
    // False (kind ORIXH_UNDO_NO_KIND, nothing read) when the stream holds no sound record.
    bool ReadUndoRecord(TOrixHUndoRec& header, std::string& description, uint8_t& kind);
    uint8_t GetLastUndoKind();

    int32_t RecordCount() const { return FRecordCount; }
    int32_t UpdateLevel() const { return FUpdateLevel; }
    const std::string& StepDescription() const { return FStepDescription; }
    const std::vector<uint8_t>& RedoBlock() const { return FRedoRecord; }
    int32_t UndoneRecordSize() const { return FUndoneRecordSize; }

private:
    // Whole steps go, oldest first, until the stream fits MaxUndo; the records from keepFrom
    // on (keptRecords of them) are the steps the new record joins, and stay.
    void RemoveOldestUndo(int64_t keepFrom, int32_t keptRecords);
    // Where the cut falls when every record is a step of its own: walked from the oldest
    // record, reading only those that go. -1 when one of them is unreadable or combined.
    int64_t OldestRecordsEnd(int64_t need, int64_t keepFrom, int32_t& removed);
    // Where the step that ends at end starts: a combined record and the steps it stands for
    // are one step. -1 when a record there is unreadable or the step reaches back past the
    // oldest record. records grows by the number of records walked.
    int64_t StepStart(int64_t end, int32_t& records);
    // Flags 11 and 12 for the changed marks the editor has now at pos (and pos + 1).
    TOrixHUndoFlags MarksNow(TOrixHUndoMarks marks, int32_t pos, int32_t count);
    bool ParseNewest(TOrixHUndoRecordView& view);
    std::string DescriptionOf(const TOrixHUndoRecordView& view);
    bool RecordFitsData(const TOrixHUndoRecordView& view);
    bool ApplyUndo(const TOrixHUndoRecordView& view);
    void RestoreUndoState(const TOrixHUndoRecordView& view);
    void RestoreRedoState(bool secondMark);

    int32_t FRecordCount = 0;
    int32_t FUpdateLevel = 0;
    TOrixHUndoHost* FHexEditor;
    std::string FStepDescription;
    std::vector<uint8_t> FRedoRecord;
    std::vector<uint8_t> FUndoneRecord;
    int32_t FUndoneRecordSize = 0;
    std::string FUndoneDescription;
    // Records the limit took since the last reset: the steps a combined one may still name.
    int64_t FTrimmedRecords = 0;
    // Set while a step is applied: handlers called on the way record nothing.
    bool FApplying = false;
    // Set only while every record of the stream, and the undone one a redo puts back, was
    // made here by a kind that does not combine, and FRecordCount counts them: each record
    // is then a step, and trimming need not read the records that stay.
    bool FPlainRecords = true;
};
