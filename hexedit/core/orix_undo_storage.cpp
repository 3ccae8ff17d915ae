// The undo storage: making, trimming, reading and taking off records. Applying them
// (undo and redo) is in orix_undo_redo.cpp.
#include "orix_undo_storage.h"

#include "orix_hex_error.h"

#include <algorithm>
#include <cstring>

const std::array<const char*, 11> UndoKindTexts = {
    "Change byte(s)",  "Remove data",           "Insert buffer",  "Replace",
    "Append buffer",   "Insert nibble",         "Delete nibble",  "Convert",
    "Cursor movement", "Multiple modification", "All data saved",
};
const char* const ORIXH_NO_UNDO = "No undo";
const char* const ORIXH_CANNOT_UPDATE_UNDO = "Cannot update undo storage";

namespace {
constexpr int64_t kFixedPart = 33; // header (29) and the trailing size field (4) around N
constexpr int64_t kRecordMin = 30; // below this a stream holds no record

// A sound record of a kind that does not combine: a step of its own.
bool IsPlainRecord(const std::vector<uint8_t>& r) {
    const auto n = static_cast<int64_t>(r.size());
    return n >= kFixedPart && UndoGetU32(r.data()) == n && UndoGetU32(r.data() + n - 4) == n &&
           TOrixHUndoStorage::GetUndoKind(UndoGetU32(r.data() + 4)) != ufKindCombined;
}

} // namespace

TOrixHUndoRec TOrixHUndoRec::ReadFrom(const uint8_t* b) {
    TOrixHUndoRec r;
    r.RecordSize = UndoGetU32(b);
    r.UndoFlagBits = UndoGetU32(b + 4);
    r.CaretPosition = UndoGetI32(b + 8);
    r.EditPosition = UndoGetI32(b + 12);
    r.EditCount = UndoGetI32(b + 16);
    r.ReplacedCount = UndoGetI32(b + 20);
    r.SavedTranslation = b[24];
    r.SavedBytesPerUnit = UndoGetI32(b + 25);
    r.DataByte = b[29];
    return r;
}

void TOrixHUndoRec::WriteTo(uint8_t* b) const {
    UndoPutU32(b, RecordSize);
    UndoPutU32(b + 4, UndoFlagBits);
    UndoPutI32(b + 8, CaretPosition);
    UndoPutI32(b + 12, EditPosition);
    UndoPutI32(b + 16, EditCount);
    UndoPutI32(b + 20, ReplacedCount);
    b[24] = SavedTranslation;
    UndoPutI32(b + 25, SavedBytesPerUnit);
}

TOrixHUndoState TOrixHUndoRec::State() const {
    TOrixHUndoState s;
    s.CaretPosition = CaretPosition;
    s.CaretInCharField = Has(ufFlagInCharField);
    s.CaretOnSecondDigit = Has(ufFlag2ndByteCol);
    s.InsertMode = Has(ufFlagInsertMode);
    s.Modified = Has(ufFlagModified);
    s.UnicodeChars = Has(ufFlagIsUnicode);
    s.UnicodeBigEndian = Has(ufFlagIsUnicodeBigEndian);
    s.Translation = SavedTranslation < ORIXH_TRANSLATION_KIND_COUNT
                        ? static_cast<TOrixHTranslationKind>(SavedTranslation)
                        : tkAsIs;
    s.BytesPerUnit = SavedBytesPerUnit;
    return s;
}

void TOrixHUndoRec::SetState(const TOrixHUndoState& s) {
    CaretPosition = s.CaretPosition;
    if (s.CaretInCharField)
        UndoFlagBits |= UndoBit(ufFlagInCharField);
    else if (s.CaretOnSecondDigit)
        UndoFlagBits |= UndoBit(ufFlag2ndByteCol);
    if (s.InsertMode) UndoFlagBits |= UndoBit(ufFlagInsertMode);
    SavedTranslation = static_cast<uint8_t>(s.Translation);
    if (s.UnicodeChars) UndoFlagBits |= UndoBit(ufFlagIsUnicode);
    if (s.UnicodeBigEndian) UndoFlagBits |= UndoBit(ufFlagIsUnicodeBigEndian);
    SavedBytesPerUnit = s.BytesPerUnit;
    if (s.Modified) UndoFlagBits |= UndoBit(ufFlagModified);
}

TOrixHUndoStorage::TOrixHUndoStorage(TOrixHUndoHost* editor) : FHexEditor(editor) {
    Reset(true);
}

TOrixHUndoStorage::~TOrixHUndoStorage() {
    Reset(true);
}

void TOrixHUndoStorage::SetSize(int64_t size) {
    if (size > GetSize()) FPlainRecords = false;
    TMemoryStream::SetSize(size);
    if (size < kRecordMin) FRecordCount = 0;
    // The undone record may come back by a redo into the empty stream.
    if (size == 0) FPlainRecords = FUndoneRecord.empty() || IsPlainRecord(FUndoneRecord);
}

int64_t TOrixHUndoStorage::Write(const void* buffer, int64_t count) {
    if (count > 0) FPlainRecords = false;
    return TMemoryStream::Write(buffer, count);
}

int32_t TOrixHUndoStorage::BeginUpdate() {
    return ++FUpdateLevel;
}

int32_t TOrixHUndoStorage::EndUpdate() {
    if (FUpdateLevel > 0) --FUpdateLevel;
    return FUpdateLevel;
}

bool TOrixHUndoStorage::CanUndo() {
    return FRecordCount > 0 && FUpdateLevel < 1 && GetSize() >= kRecordMin;
}

void TOrixHUndoStorage::Reset(bool resetRedo) {
    SetSize(0);
    FRecordCount = 0;
    FUpdateLevel = 0;
    FStepDescription.clear();
    if (resetRedo) {
        ResetRedo();
        FTrimmedRecords = 0;
    }
}

void TOrixHUndoStorage::SetCount(int32_t value) {
    FRecordCount = value;
    FPlainRecords = false; // a count from outside need not match the records
    if (value <= 0) Reset(false);
}

void TOrixHUndoStorage::ResetRedo() {
    FRedoRecord.clear();
    FRedoRecord.shrink_to_fit();
    FUndoneRecord.clear();
    FUndoneRecord.shrink_to_fit();
    FUndoneRecordSize = 0;
    FUndoneDescription.clear();
    if (GetSize() == 0 && FRecordCount == 0) FPlainRecords = true;
}

uint8_t TOrixHUndoStorage::GetUndoKind(TOrixHUndoFlags mask) {
    for (uint8_t kind = 0; kind <= ufKindAllData; ++kind)
        if (mask & (1u << kind)) return kind;
    return ORIXH_UNDO_NO_KIND;
}

TOrixHUndoFlags TOrixHUndoStorage::MarksNow(TOrixHUndoMarks marks, int32_t pos, int32_t count) {
    TOrixHUndoFlags flags = 0;
    if (marks != TOrixHUndoMarks::None && FHexEditor->IsMarkedChanged(pos))
        flags |= UndoBit(ufFlagByte1Changed);
    if (marks == TOrixHUndoMarks::FirstAndSecond && count == 2 &&
        FHexEditor->IsMarkedChanged(pos + 1))
        flags |= UndoBit(ufFlagByte2Changed);
    return flags;
}

int64_t TOrixHUndoStorage::StepStart(int64_t end, int32_t& records) {
    const uint8_t* mem = Memory();
    int64_t owed = 1; // steps still to walk
    while (owed > 0) {
        if (end < kFixedPart) return -1;
        const int64_t n = UndoGetU32(mem + end - 4);
        if (n < kFixedPart || n > end || UndoGetU32(mem + end - n) != n) return -1;
        end -= n;
        ++records;
        --owed;
        if (GetUndoKind(UndoGetU32(mem + end + 4)) == ufKindCombined)
            owed += std::max(0, UndoGetI32(mem + end + 16));
    }
    return end;
}

int64_t TOrixHUndoStorage::OldestRecordsEnd(int64_t need, int64_t keepFrom, int32_t& removed) {
    const uint8_t* mem = Memory();
    int64_t cut = 0;
    while (cut < need && cut < keepFrom) {
        const int64_t n = keepFrom - cut < kRecordMin ? 0 : UndoGetU32(mem + cut);
        if (n < kRecordMin || n > keepFrom - cut) return -1;
        if (GetUndoKind(UndoGetU32(mem + cut + 4)) == ufKindCombined) return -1;
        cut += n;
        ++removed;
    }
    return cut;
}

void TOrixHUndoStorage::RemoveOldestUndo(int64_t keepFrom, int32_t keptRecords) {
    // The records that go move once, however many they are.
    const int32_t limit = FHexEditor->UndoLimit();
    const int64_t size = GetSize();
    if (limit <= 0 || FRecordCount <= 0 || size <= limit || keepFrom <= 0) return;
    const int64_t first = size < 4 ? 0 : UndoGetU32(Memory());
    const bool firstReadable = first >= kRecordMin && first <= size;
    const int64_t need = size - limit;
    int32_t removed = 0;
    const int64_t plainCut =
        firstReadable && FPlainRecords ? OldestRecordsEnd(need, keepFrom, removed) : -1;
    int64_t cut = keepFrom;
    if (!firstReadable) {
        // A first record whose size cannot be one: the walk may not be trusted to reach it.
        cut = size;
        keptRecords = 0;
    } else if (plainCut >= 0) {
        // Every record is a step: the first boundary at or past need (or keepFrom) is where
        // the walk back would stop as well, and only the records that go were read.
        cut = plainCut;
        keptRecords = std::max(0, FRecordCount - removed);
    } else {
        // Walked back from the newest step, reading the records that stay. A step of the undo
        // that is cut never goes in part: a combined step undone without some of its members
        // would give back data that never existed.
        while (cut >= need) {
            int32_t records = 0;
            const int64_t start = StepStart(cut, records);
            if (start < need) break;
            cut = start;
            keptRecords += records;
        }
    }
    FTrimmedRecords += std::max(0, FRecordCount - keptRecords);
    // Only the records go: the description of the step being recorded stays.
    if (cut >= size) {
        SetSize(0);
        return;
    }
    std::memmove(Memory(), Memory() + cut, static_cast<size_t>(size - cut));
    SetSize(size - cut);
    FRecordCount = keptRecords;
}

bool TOrixHUndoStorage::CanCombine(int32_t count) const {
    return count >= 0 && count <= FRecordCount + FTrimmedRecords;
}

void TOrixHUndoStorage::CreateUndo(TOrixHUndoFlag kind, int32_t pos, int32_t count,
                                   int32_t replCount, const std::string& description) {
    if (FUpdateLevel >= 1 || FApplying) return;
    const TOrixHUndoKindRule* rule = UndoKindRule(kind);
    if (!rule) throw EOrixHexEditor(ORIXH_CANNOT_UPDATE_UNDO);
    TOrixHUndoHost& e = *FHexEditor;
    const int32_t dataSize = e.DataSize();
    if (rule->Keeps == TOrixHUndoKept::WholeData) count = dataSize;
    const int64_t n = UndoRecordDataSize(*rule, count, replCount, dataSize, description.size());
    if (n < 0) throw EOrixHexEditor(ORIXH_CANNOT_UPDATE_UNDO);
    // The bytes the record keeps must exist: a bad range leaves redo, history and
    // description as they were.
    const TOrixHUndoRange kept = UndoKeptRange(*rule, pos, count, replCount);
    if (kept.Length >= 0)
        e.CheckDataRange(static_cast<int32_t>(kept.From), static_cast<int32_t>(kept.Length));
    ResetRedo();
    const std::string oldDescription = FStepDescription;
    FStepDescription = description.empty() ? UndoKindTexts[kind] : description;
    int64_t keepFrom = GetSize();
    int32_t members = 0;
    if (rule->Combines) {
        for (int32_t i = 0; i < count && keepFrom >= 0; ++i)
            keepFrom = StepStart(keepFrom, members);
        if (keepFrom < 0 && FTrimmedRecords > 0) {
            // The limit took some of the steps this one joins, and every older one with them:
            // what is left of the step cannot be undone alone, so it goes too.
            FTrimmedRecords += FRecordCount;
            SetSize(0);
            FStepDescription.clear();
            return;
        }
        if (keepFrom < 0) keepFrom = members = 0; // it joins all there is, and undoes it all
    }
    RemoveOldestUndo(keepFrom, members);

    const bool hasDescription = !description.empty();
    const TOrixHSelectionTriple selection = e.SelectionNow();
    const bool hasSelection = selection.Anchor >= 0 || rule->SelectsAtPos;
    const int64_t total = kFixedPart + n +
                          (hasDescription ? static_cast<int64_t>(description.size()) + 4 : 0) +
                          (hasSelection ? 12 : 0);
    if (total > UINT32_MAX) throw EOrixHexEditor(ORIXH_CANNOT_UPDATE_UNDO);
    const int64_t start = GetSize();
    const int32_t oldCount = FRecordCount;
    if (rule->Combines) FPlainRecords = false;
    try {
        TMemoryStream::SetSize(start + total); // one growth, zero filled
        FRecordCount = oldCount + 1;
        TOrixHUndoRec h;
        h.RecordSize = static_cast<uint32_t>(total);
        h.UndoFlagBits = UndoBit(kind);
        h.SetState(e.StateNow());
        if (rule->SelectsAtPos) h.CaretPosition = pos;
        h.EditPosition = pos;
        h.EditCount = count;
        h.ReplacedCount = replCount;
        if (hasSelection) h.UndoFlagBits |= UndoBit(ufFlagHasSelection);
        if (hasDescription) h.UndoFlagBits |= UndoBit(ufFlagHasDescription);

        uint8_t* rec = Memory() + start;
        uint8_t* data = rec + TOrixHUndoRec::kDataOffset;
        if (kept.Length > 0)
            e.ReadBytes(data, static_cast<int32_t>(kept.From), static_cast<int32_t>(kept.Length));
        if (rule->Keeps == TOrixHUndoKept::ShortText) {
            const size_t s = static_cast<size_t>(n - 1);
            data[0] = static_cast<uint8_t>(s);
            if (s > 0) std::memcpy(data + 1, description.data(), s);
        }
        h.UndoFlagBits |= MarksNow(rule->Marks, pos, count);
        h.WriteTo(rec);
        uint8_t* tail = data + n;
        if (hasDescription) {
            std::memcpy(tail, description.data(), description.size());
            tail += description.size();
            UndoPutU32(tail, static_cast<uint32_t>(description.size()));
            tail += 4;
        }
        if (hasSelection) {
            UndoPutI32(tail, selection.First);
            UndoPutI32(tail + 4, selection.Last);
            UndoPutI32(tail + 8, selection.Anchor);
            tail += 12;
        }
        UndoPutU32(tail, h.RecordSize);
    } catch (...) {
        // A record that could not be built leaves no trace: later steps stay sound.
        TMemoryStream::SetSize(start);
        FRecordCount = start < kRecordMin ? 0 : oldCount;
        FStepDescription = FRecordCount > 0 ? oldDescription : std::string();
        throw;
    }
    // The bookmarks behind the change follow the bytes that are about to move.
    if (rule->Removes != TOrixHUndoLength::None) {
        const int64_t removes = UndoLength(rule->Removes, count, replCount);
        const int64_t inserts = UndoLength(rule->Inserts, count, replCount);
        e.MoveBookmarksForChange(static_cast<int32_t>(pos + removes),
                                 static_cast<int32_t>(inserts - removes));
    }
    if (rule->SelectsAtPos) AddSelection(pos, count);
}

void TOrixHUndoStorage::AddSelection(int32_t pos, int32_t count) {
    if (!CanUndo()) return;
    TOrixHUndoRecordView view;
    if (!ParseNewest(view)) return;
    if (!view.HasSelection) {
        const int64_t size = GetSize();
        TMemoryStream::SetSize(size + 12);
        view.Header.UndoFlagBits |= UndoBit(ufFlagHasSelection);
        view.Header.RecordSize += 12;
        UndoPutU32(Memory() + size + 8, view.Header.RecordSize);
    }
    view.Header.CaretPosition = pos;
    view.Header.WriteTo(Memory() + view.Start);
    uint8_t* triple = Memory() + GetSize() - 16;
    UndoPutI32(triple, pos);
    UndoPutI32(triple + 4, count == 0 ? -1 : pos + count - 1);
    UndoPutI32(triple + 8, pos);
}

bool TOrixHUndoStorage::ParseNewest(TOrixHUndoRecordView& view) {
    // Every stored size is checked before it is trusted: a damaged stream reads as empty.
    const int64_t size = GetSize();
    if (size < kFixedPart || FRecordCount <= 0) return false;
    const uint8_t* mem = Memory();
    const int64_t n = UndoGetU32(mem + size - 4);
    if (n < kFixedPart || n > size) return false;
    view.Start = size - n;
    view.Header = TOrixHUndoRec::ReadFrom(mem + view.Start);
    if (view.Header.RecordSize != n) return false;
    view.Kind = GetUndoKind(view.Header.UndoFlagBits);
    if (view.Kind == ORIXH_UNDO_NO_KIND) return false;
    int64_t options = 0;
    view.HasSelection = view.Header.Has(ufFlagHasSelection);
    if (view.HasSelection) {
        options += 12;
        const uint8_t* t = mem + size - 16;
        view.SelFirst = UndoGetI32(t);
        view.SelLast = UndoGetI32(t + 4);
        view.SelAnchor = UndoGetI32(t + 8);
    }
    if (view.Header.Has(ufFlagHasDescription)) {
        const int64_t lengthAt = size - 8 - (view.HasSelection ? 12 : 0);
        if (lengthAt < view.Start + TOrixHUndoRec::kDataOffset) return false;
        const int64_t l = UndoGetU32(mem + lengthAt);
        if (lengthAt - l < view.Start + TOrixHUndoRec::kDataOffset) return false;
        view.Description.assign(reinterpret_cast<const char*>(mem + lengthAt - l),
                                static_cast<size_t>(l));
        options += l + 4;
    }
    view.DataLength = n - kFixedPart - options;
    return view.DataLength >= 0;
}

bool TOrixHUndoStorage::ReadUndoRecord(TOrixHUndoRec& header, std::string& description,
                                       uint8_t& kind) {
    TOrixHUndoRecordView view;
    description.clear();
    kind = ORIXH_UNDO_NO_KIND;
    if (!ParseNewest(view)) return false;
    header = view.Header;
    description = view.Description;
    kind = view.Kind;
    SetPosition(view.Start + TOrixHUndoRec::kSize);
    return true;
}

uint8_t TOrixHUndoStorage::GetLastUndoKind() {
    TOrixHUndoRec header;
    std::string description;
    uint8_t kind = ORIXH_UNDO_NO_KIND;
    ReadUndoRecord(header, description, kind);
    return kind;
}

std::string TOrixHUndoStorage::DescriptionOf(const TOrixHUndoRecordView& view) {
    if (UndoKindRule(view.Kind)->Keeps == TOrixHUndoKept::ShortText) {
        const uint8_t* data = Memory() + view.Start + TOrixHUndoRec::kDataOffset;
        const int64_t s = std::min<int64_t>(data[0], view.DataLength - 1);
        if (s <= 0) return UndoKindTexts[ufKindCombined];
        return std::string(reinterpret_cast<const char*>(data + 1), static_cast<size_t>(s));
    }
    if (!view.Description.empty()) return view.Description;
    return UndoKindTexts[view.Kind];
}

void TOrixHUndoStorage::RemoveLastUndo() {
    const int64_t size = GetSize();
    if (size < kRecordMin) {
        Reset(false);
        return;
    }
    int64_t n = UndoGetU32(Memory() + size - 4);
    if (n < kRecordMin || n > size) {
        // The newest record cannot be found: nothing before it can be trusted either.
        Reset(false);
        return;
    }
    FUndoneRecord.assign(Memory() + size - n, Memory() + size);
    FUndoneRecordSize = static_cast<int32_t>(n);
    FUndoneDescription = FStepDescription;
    SetSize(size - n);
    if (FRecordCount > 0) --FRecordCount;
    if (GetSize() < kRecordMin) {
        Reset(false);
        return;
    }
    TOrixHUndoRecordView view;
    if (!ParseNewest(view)) {
        Reset(false);
        return;
    }
    FStepDescription = DescriptionOf(view);
}
