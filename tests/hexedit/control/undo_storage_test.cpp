// The undo storage: the record layout byte for byte (also the dump file), record sizes,
// trimming to MaxUndo, damaged sizes, rollback of a failed record, AddSelection,
// RemoveLastUndo and the rules of CanCreateUndo.
#include "hex_test_env.h"
#include "orix_hex_error.h"

#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

namespace {
std::vector<uint8_t> ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> Stream(TOrixHUndoStorage& s) {
    return std::vector<uint8_t>(s.Memory(), s.Memory() + s.GetSize());
}

void PutCaret(TCustomOrixHexEditor& e, int32_t pos, bool inChar = false) {
    const TGridCoord c = e.GetCursorAtPos(pos, inChar);
    e.MoveColRow(c.X, c.Y, true, true);
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4); // the build machines are little-endian
    return v;
}
} // namespace

TEST(UndoStorage, DumpOfOneOverwrittenByte) {
    TestApp();
    TOrixHexEditorEx e;
    std::vector<uint8_t> data = Pattern(32);
    data[16] = 0x41;
    LoadBytes(e, data);
    PutCaret(e, 16);
    e.IntChangeByte(0x41, 0x42, 16, "");
    QTemporaryDir dir;
    const std::string name = dir.filePath("undo.dump").toStdString();
    ASSERT_TRUE(e.DumpUndoStorage(name));
    // Size 34, kind 0, caret 16, position 16, count 1, replaced 0, translation 0, one byte per
    // unit, the old byte 41h, size 34 again.
    const std::vector<uint8_t> want = {0x22, 0, 0, 0, 0x01, 0,    0,    0, 0x10, 0, 0, 0,
                                       0x10, 0, 0, 0, 0x01, 0,    0,    0, 0,    0, 0, 0,
                                       0,    1, 0, 0, 0,    0x41, 0x22, 0, 0,    0};
    EXPECT_EQ(ReadAll(name), want);
    EXPECT_FALSE(e.DumpUndoStorage(dir.filePath("no/such/dir/x").toStdString()));
    e.SetModified(false);
    ASSERT_TRUE(e.DumpUndoStorage(name));
    EXPECT_TRUE(ReadAll(name).empty());
}

TEST(UndoStorage, RecordSizes) {
    TestApp();
    const std::string desc300(300, 'd');
    struct Case {
        const char* name;
        TOrixHUndoFlag kind;
        int32_t pos, count, repl;
        std::string desc;
        bool selection;
        int64_t size;
    } cases[] = {
        {"byte", ufKindBytesChanged, 3, 1, 0, "", false, 33 + 1},
        {"wide char", ufKindBytesChanged, 4, 2, 0, "", false, 33 + 2},
        {"removal", ufKindByteRemoved, 2, 5, 0, "", false, 33 + 5},
        {"insertion", ufKindInsertBuffer, 2, 100, 0, "", false, 33 + 1},
        {"replace", ufKindReplace, 1, 3, 7, "", false, 33 + 7},
        {"append", ufKindAppendBuffer, 16, 9, 0, "", false, 33 + 1},
        {"nibble", ufKindNibbleInsert, 5, 0, 0, "", false, 33 + 1},
        {"convert", ufKindConvert, 0, 4, 0, "", false, 33 + 4},
        {"all data", ufKindAllData, 0, 0, 0, "", false, 33 + 16},
        {"removal of nothing", ufKindByteRemoved, 2, 0, 0, "", false, 33},
        {"described", ufKindBytesChanged, 3, 1, 0, "xy", false, 33 + 1 + 2 + 4},
        {"with selection", ufKindBytesChanged, 3, 1, 0, "", true, 33 + 1 + 12},
        {"both", ufKindByteRemoved, 3, 2, 0, "abc", true, 33 + 2 + 3 + 4 + 12},
        {"cursor", ufKindSelection, 3, 2, 0, "", false, 33 + 1 + 12},
        {"combined", ufKindCombined, 0, 0, 0, "abc", false, 33 + 4 + 3 + 4},
        {"combined, long text", ufKindCombined, 0, 0, 0, desc300, false, 33 + 256 + 300 + 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOrixHexEditor e;
        LoadBytes(e, Pattern(16));
        if (c.selection) e.NewSelection(4, 5);
        e.CreateUndo(c.kind, c.pos, c.count, c.repl, c.desc);
        TOrixHUndoStorage& s = e.UndoStorage();
        ASSERT_EQ(s.GetSize(), c.size);
        const std::vector<uint8_t> rec = Stream(s);
        EXPECT_EQ(U32At(rec, 0), c.size);
        EXPECT_EQ(U32At(rec, rec.size() - 4), c.size);
        EXPECT_EQ(s.GetLastUndoKind(), c.kind);
        EXPECT_EQ(e.GetUndoDescription(), c.desc.empty() ? UndoKindTexts[c.kind] : c.desc);
    }
}

TEST(UndoStorage, TrimmingToMaxUndo) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(64));
    TOrixHUndoStorage& s = e.UndoStorage();
    e.SetMaxUndo(100);
    // Records of 40 bytes: 33 + 7 saved bytes.
    for (int i = 0; i < 3; ++i) e.CreateUndo(ufKindConvert, i, 7, 0, "");
    EXPECT_EQ(s.GetSize(), 120); // trimming comes before the append
    EXPECT_EQ(s.RecordCount(), 3);
    e.CreateUndo(ufKindConvert, 3, 7, 0, "");
    EXPECT_EQ(s.GetSize(), 120);
    EXPECT_EQ(s.RecordCount(), 3);
    EXPECT_EQ(U32At(Stream(s), 12), 1u); // the oldest left is the second record

    // Many records cut at once: the survivors stay readable and undoable.
    e.SetMaxUndo(0);
    for (int i = 0; i < 20; ++i) e.CreateUndo(ufKindConvert, i, 7, 0, "");
    EXPECT_EQ(s.RecordCount(), 23);
    e.SetMaxUndo(100);
    e.CreateUndo(ufKindConvert, 40, 7, 0, "newest");
    EXPECT_EQ(s.GetSize(), 80 + 50);
    EXPECT_EQ(s.RecordCount(), 3);
    EXPECT_EQ(U32At(Stream(s), 12), 18u);
    EXPECT_TRUE(e.Undo());
    EXPECT_TRUE(e.Undo());
    EXPECT_TRUE(e.Undo());
    EXPECT_FALSE(e.Undo());

    // A first record whose size cannot be one empties the stream.
    e.SetMaxUndo(0);
    for (int i = 0; i < 4; ++i) e.CreateUndo(ufKindConvert, i, 7, 0, "");
    s.Memory()[0] = 5;
    e.SetMaxUndo(100);
    e.CreateUndo(ufKindConvert, 1, 7, 0, "");
    EXPECT_EQ(s.GetSize(), 40);
    EXPECT_EQ(s.RecordCount(), 1);
    EXPECT_EQ(e.GetUndoDescription(), "Convert");

    // Every older record goes: the new one still names its step.
    e.SetMaxUndo(10);
    e.CreateUndo(ufKindConvert, 2, 7, 0, "alone");
    EXPECT_EQ(s.GetSize(), 40 + 5 + 4);
    EXPECT_EQ(s.RecordCount(), 1);
    EXPECT_EQ(e.GetUndoDescription(), "alone");
}

TEST(UndoStorage, DamagedAndEmptyStorage) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(16));
    TOrixHUndoStorage& s = e.UndoStorage();
    TOrixHUndoRec header;
    std::string description;
    uint8_t kind = 0;
    EXPECT_FALSE(s.ReadUndoRecord(header, description, kind));
    EXPECT_EQ(kind, ORIXH_UNDO_NO_KIND);
    EXPECT_EQ(s.GetLastUndoKind(), ORIXH_UNDO_NO_KIND);
    s.RemoveLastUndo();
    EXPECT_FALSE(e.Undo());
    EXPECT_EQ(e.GetUndoDescription(), "No undo");

    // A trailing size larger than the stream: undo refuses it and forgets the history.
    const std::vector<uint8_t> data = {0, 1, 2};
    e.CreateUndo(ufKindBytesChanged, 2, 1, 0, "");
    e.SetDataAt(2, 0x77);
    const int64_t size = s.GetSize();
    s.Memory()[size - 4] = 0xFF;
    EXPECT_FALSE(e.Undo());
    EXPECT_EQ(e.GetDataAt(2), 0x77);
    EXPECT_EQ(s.GetSize(), 0);

    // A record that does not fit the data is not applied.
    e.CreateUndo(ufKindBytesChanged, 15, 1, 0, "");
    LoadBytes(e, Pattern(4)); // loading resets; rebuild a stale record by hand
    e.CreateUndo(ufKindBytesChanged, 3, 1, 0, "");
    e.FreeStorage(false);
    e.DataStore().SetSize(2);
    EXPECT_FALSE(e.Undo());
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(e.GetDataSize(), 2);
}

TEST(UndoStorage, FailedRecordIsRolledBack) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(16));
    TOrixHUndoStorage& s = e.UndoStorage();
    e.CreateUndo(ufKindConvert, 2, 1, 0, "undone");
    e.SetDataAt(2, 0xCD);
    ASSERT_TRUE(e.Undo());
    e.CreateUndo(ufKindBytesChanged, 1, 1, 0, "first");
    const std::vector<uint8_t> before = Stream(s);
    // Ranges outside the data and bad counts: nothing of the storage changes.
    EXPECT_THROW(e.CreateUndo(ufKindByteRemoved, 10, 20, 0, ""), EOrixHexEditor);
    EXPECT_THROW(e.CreateUndo(ufKindBytesChanged, -1, 1, 0, ""), EOrixHexEditor);
    EXPECT_THROW(e.CreateUndo(ufKindByteRemoved, 0, -3, 0, ""), EOrixHexEditor);
    EXPECT_THROW(e.CreateUndo(ufKindReplace, 14, 1, 3, ""), EOrixHexEditor);
    EXPECT_THROW(e.CreateUndo(ufKindNibbleInsert, 16, 0, 0, ""), EOrixHexEditor);
    EXPECT_EQ(Stream(s), before);
    EXPECT_EQ(s.RecordCount(), 1);
    EXPECT_EQ(e.GetUndoDescription(), "first");
    e.SetDataAt(1, 0xAB);
    EXPECT_TRUE(e.Undo());
    EXPECT_EQ(e.GetDataAt(1), Pattern(16)[1]);
}

TEST(UndoStorage, AddSelectionAndRemoveLastUndo) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(16));
    TOrixHUndoStorage& s = e.UndoStorage();
    e.CreateUndo(ufKindBytesChanged, 1, 1, 0, "");
    s.AddSelection(4, 3);
    std::vector<uint8_t> rec = Stream(s);
    ASSERT_EQ(rec.size(), 46u);
    EXPECT_EQ(U32At(rec, 0), 46u);
    EXPECT_EQ(U32At(rec, 42), 46u);
    EXPECT_EQ(U32At(rec, 8), 4u);  // caret
    EXPECT_EQ(U32At(rec, 30), 4u); // first
    EXPECT_EQ(U32At(rec, 34), 6u); // last
    EXPECT_EQ(U32At(rec, 38), 4u); // anchor
    s.AddSelection(2, 0);          // overwritten in place, caret only
    rec = Stream(s);
    ASSERT_EQ(rec.size(), 46u);
    EXPECT_EQ(static_cast<int32_t>(U32At(rec, 34)), -1);

    // The newest record again names the step; a combined one by its short text.
    const std::string longText(300, 'q');
    e.CombineUndo(1, longText);
    EXPECT_EQ(e.GetUndoDescription(), longText);
    e.CreateUndo(ufKindBytesChanged, 2, 1, 0, "later");
    s.RemoveLastUndo();
    EXPECT_EQ(e.GetUndoDescription(), std::string(255, 'q'));
    EXPECT_EQ(s.UndoneRecordSize(), 34 + 2 + 4 + 3);
    s.RemoveLastUndo();
    EXPECT_EQ(e.GetUndoDescription(), "Change byte(s)");
    s.RemoveLastUndo();
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(e.GetUndoDescription(), "No undo");
}

TEST(UndoStorage, WhatMayBeRecorded) {
    TestApp();
    struct Case {
        TOrixHUndoFlag kind;
        int32_t count, repl;
        bool onEmpty, onFixed;
    } cases[] = {
        {ufKindBytesChanged, 1, 0, false, true},  {ufKindByteRemoved, 1, 0, false, false},
        {ufKindInsertBuffer, 1, 0, true, false},  {ufKindReplace, 2, 2, false, true},
        {ufKindReplace, 2, 3, false, false},      {ufKindAppendBuffer, 1, 0, true, false},
        {ufKindNibbleInsert, 0, 0, false, false}, {ufKindNibbleDelete, 0, 0, false, false},
        {ufKindConvert, 1, 0, false, true},       {ufKindSelection, 0, 0, false, true},
        {ufKindAllData, 0, 0, true, true},        {ufKindCombined, 0, 0, true, true},
        {ufKindCombined, 1, 0, false, false}, // no record there to combine
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        TOrixHexEditor empty;
        LoadBytes(empty, {});
        EXPECT_EQ(empty.CanCreateUndo(c.kind, c.count, c.repl), c.onEmpty);
        TOrixHexEditor fixed;
        LoadBytes(fixed, Pattern(8));
        fixed.SetNoSizeChange(true);
        EXPECT_EQ(fixed.CanCreateUndo(c.kind, c.count, c.repl), c.onFixed);
    }
}

// A combined step joins the records that are there, never more: a larger count is refused
// before anything changes, and the history still undoes step by step.
TEST(UndoStorage, CombineUndoCountsOnlyRecordsPresent) {
    TestApp();
    const struct {
        int32_t count;
        bool accepted;
    } cases[] = {{0, true}, {1, true}, {2, true}, {3, false}, {1000, false}, {-1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        TOrixHexEditor e;
        LoadBytes(e, Pattern(8));
        TOrixHUndoStorage& s = e.UndoStorage();
        e.IntChangeByte(e.GetDataAt(0), 0xA0, 0, "");
        e.IntChangeByte(e.GetDataAt(1), 0xA1, 1, "");
        const std::vector<uint8_t> before = Stream(s);
        if (c.accepted) {
            e.CombineUndo(c.count, "joined");
            EXPECT_EQ(s.RecordCount(), 3);
            EXPECT_TRUE(e.Undo());
            EXPECT_EQ(s.RecordCount(), 2 - c.count);
            continue;
        }
        try {
            e.CombineUndo(c.count, "joined");
            ADD_FAILURE() << "accepted";
        } catch (const EOrixHexEditor& error) {
            EXPECT_EQ(error.Message(), "Cannot update undo storage");
        }
        EXPECT_EQ(Stream(s), before);
        EXPECT_EQ(s.RecordCount(), 2);
        EXPECT_TRUE(e.Undo());
        EXPECT_EQ(e.GetDataAt(1), Pattern(8)[1]);
        EXPECT_EQ(e.GetDataAt(0), 0xA0);
        EXPECT_EQ(s.RecordCount(), 1);
    }
}

TEST(UndoStorage, UpdateLevel) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(8));
    TOrixHUndoStorage& s = e.UndoStorage();
    e.CreateUndo(ufKindBytesChanged, 0, 1, 0, "");
    e.SetReadOnlyView(true); // a read-only view offers no undo
    EXPECT_FALSE(e.GetCanUndo());
    e.SetReadOnlyView(false);
    EXPECT_TRUE(e.GetCanUndo());
    EXPECT_EQ(e.UndoBeginUpdate(), 1);
    EXPECT_EQ(e.UndoBeginUpdate(), 2);
    EXPECT_FALSE(e.GetCanUndo());
    EXPECT_EQ(e.GetUndoDescription(), "No undo");
    EXPECT_EQ(e.UndoEndUpdate(), 1);
    EXPECT_FALSE(e.Undo()); // empties the storage and ends every group
    EXPECT_EQ(s.UpdateLevel(), 0);
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(e.UndoEndUpdate(), 0);
    EXPECT_EQ(s.UpdateLevel(), 0);

    // A change made while nothing is recorded leaves older records that no longer fit the
    // data: the history goes when the group ends.
    e.CreateUndo(ufKindBytesChanged, 0, 1, 0, "");
    e.UndoBeginUpdate();
    e.InsertBuffer("ab", 2, 0, "", false);
    EXPECT_EQ(s.RecordCount(), 1);
    e.UndoEndUpdate();
    EXPECT_FALSE(e.GetCanUndo());
    EXPECT_TRUE(e.GetModified());

    // An unrecorded change of a group that Undo emptied does not reach a later group.
    e.UndoBeginUpdate();
    e.IntChangeByte(e.GetDataAt(5), 0x11, 5, "");
    EXPECT_FALSE(e.Undo());
    e.UndoEndUpdate();
    e.IntChangeByte(e.GetDataAt(6), 0x12, 6, "");
    e.UndoBeginUpdate();
    e.UndoEndUpdate();
    EXPECT_TRUE(e.GetCanUndo());
}
