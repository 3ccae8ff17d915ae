// Undo and redo of every kind: data, changed marks, caret and field, modified flag and
// bookmarks come back; redo repeats the step once; a new edit drops the redo; combined
// records and undo groups.
#include "hex_test_env.h"

#include <gtest/gtest.h>

namespace {
struct State {
    std::vector<uint8_t> data;
    std::vector<bool> marks;
    int32_t col = 0, row = 0;
    bool modified = false;
    std::vector<int32_t> bookmarks;
    bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* os) {
    *os << "data";
    for (uint8_t b : s.data) *os << ' ' << std::hex << int(b);
    *os << std::dec << " marks";
    for (bool m : s.marks) *os << (m ? '1' : '0');
    *os << " cell " << s.col << ',' << s.row << " modified " << s.modified << " bookmarks";
    for (int32_t b : s.bookmarks) *os << ' ' << b;
}

using Editor = TOrixHexEditorEx;

State Capture(Editor& e, bool withMarks = true) {
    State s;
    s.data.resize(static_cast<size_t>(e.GetDataSize()));
    if (!s.data.empty()) e.ReadBuffer(s.data.data(), 0, e.GetDataSize());
    if (withMarks)
        for (int32_t i = 0; i < e.GetDataSize(); ++i) s.marks.push_back(e.HasChanged(i));
    s.col = e.Col();
    s.row = e.Row();
    s.modified = e.GetModified();
    // Position and field of each bookmark.
    for (int i = 0; i < 10; ++i)
        s.bookmarks.push_back(e.GetBookmark(i).mPosition * 2 +
                              (e.GetBookmark(i).mInCharField ? 1 : 0));
    return s;
}

void PutCaret(TCustomOrixHexEditor& e, int32_t pos, bool inChar = false) {
    const TGridCoord c = e.GetCursorAtPos(pos, inChar);
    e.MoveColRow(c.X, c.Y, true, true);
}

struct KindCase {
    const char* name;
    uint8_t kind;
    std::function<void(Editor&)> setUp;
    std::function<void(Editor&)> step;
    bool marksAfterRedo; // whether the changed marks come back (only byte changes keep them)
};

const uint8_t kFour[4] = {0xC1, 0xC2, 0xC3, 0xC4};
} // namespace

TEST(UndoRedo, EveryKindRestoresAndRepeats) {
    TestApp();
    auto marks = [](Editor& e) {
        e.SetChanged(1, true);
        e.SetChanged(5, true);
        e.SetBookmarkVals(0, 1, false);
        e.SetBookmarkVals(1, 3, true);
        e.SetBookmarkVals(2, 12, false);
    };
    const KindCase cases[] = {
        {"byte", ufKindBytesChanged, marks,
         [](Editor& e) { e.IntChangeByte(e.GetDataAt(5), 0x55, 5, ""); }, true},
        {"unicode unit", ufKindBytesChanged,
         [](Editor& e) {
             e.SetUnicodeCharacters(true);
             PutCaret(e, 4, true);
             e.SetChanged(5, true);
         },
         [](Editor& e) {
             const uint16_t old = static_cast<uint16_t>(e.GetDataAt(4) | e.GetDataAt(5) << 8);
             e.IntChangeWideChar(old, static_cast<uint16_t>(0x4E00 | e.GetDataAt(4)), 4, "");
         },
         true},
        {"removal", ufKindByteRemoved, marks,
         [](Editor& e) {
             e.NewSelection(6, 8);
             e.DeleteSelection("");
         },
         false},
        {"insertion", ufKindInsertBuffer, marks,
         [](Editor& e) { e.InsertBuffer(kFour, 2, 3, "", true); }, false},
        {"replace longer", ufKindReplace, marks,
         [](Editor& e) {
             e.NewSelection(2, 3);
             e.ReplaceSelection(kFour, 4, "", true);
         },
         false},
        {"replace shorter", ufKindReplace, marks,
         [](Editor& e) { e.Replace(kFour, 4, 3, 1, "", true); }, false},
        {"append", ufKindAppendBuffer, marks, [](Editor& e) { e.AppendBuffer(kFour, 3, "", true); },
         false},
        {"nibble insert high", ufKindNibbleInsert, marks,
         [](Editor& e) { e.InsertNibble(4, true, ""); }, false},
        {"nibble insert low", ufKindNibbleInsert, marks,
         [](Editor& e) { e.InsertNibble(4, false, ""); }, false},
        {"nibble delete high", ufKindNibbleDelete, marks,
         [](Editor& e) { e.DeleteNibble(4, true, ""); }, false},
        {"nibble delete low", ufKindNibbleDelete, marks,
         [](Editor& e) { e.DeleteNibble(4, false, ""); }, false},
        {"nibble delete last", ufKindNibbleDelete, marks,
         [](Editor& e) { e.DeleteNibble(15, false, ""); }, false},
        {"convert", ufKindConvert, marks,
         [](Editor& e) { e.ConvertRange(2, 5, tkAsIs, tkBCD, ""); }, false},
        {"all data", ufKindAllData, marks,
         [](Editor& e) {
             e.UndoBeginUpdate("group");
             e.SetDataSize(4);
             e.WriteBuffer(kFour, 0, 4);
             e.UndoEndUpdate();
         },
         false},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.name);
        ShownEditor shown(16);
        Editor& e = *shown;
        c.setUp(e);
        PutCaret(e, 7, e.CaretInCharField());
        const State before = Capture(e, c.marksAfterRedo);
        c.step(e);
        ASSERT_TRUE(e.GetCanUndo());
        EXPECT_EQ(e.UndoStorage().GetLastUndoKind(), c.kind);
        const State after = Capture(e);
        const std::string description = e.GetUndoDescription();
        ASSERT_TRUE(e.Undo());
        EXPECT_EQ(Capture(e, c.marksAfterRedo), before);
        EXPECT_FALSE(e.GetCanUndo());
        ASSERT_TRUE(e.GetCanRedo());
        ASSERT_TRUE(e.Redo());
        State redone = Capture(e);
        State want = after;
        if (!c.marksAfterRedo) redone.marks = want.marks = {};
        EXPECT_EQ(redone, want);
        EXPECT_FALSE(e.GetCanRedo());
        EXPECT_TRUE(e.GetCanUndo());
        EXPECT_EQ(e.GetUndoDescription(), description);
        // Undone once more, then a new edit: the redo goes.
        ASSERT_TRUE(e.Undo());
        e.IntChangeByte(e.GetDataAt(0), static_cast<uint8_t>(e.GetDataAt(0) + 1), 0, "");
        EXPECT_FALSE(e.GetCanRedo());
        EXPECT_FALSE(e.Redo());
    }
}

TEST(UndoRedo, SelectionRecords) {
    TestApp();
    ShownEditor e(16);
    e->CreateUndo(ufKindSelection, 3, 0, 0, "");
    e->CreateUndo(ufKindSelection, 6, 5, 0, "");
    EXPECT_EQ(e->GetUndoDescription(), "Cursor movement");
    e->NewSelection(0, 1);
    ASSERT_TRUE(e->Undo());
    EXPECT_EQ(e->SelFirst(), 6);
    EXPECT_EQ(e->SelLast(), 10);
    EXPECT_EQ(e->SelAnchor(), 6);
    ASSERT_TRUE(e->Undo());
    EXPECT_EQ(e->GetSelCount(), 0);
    EXPECT_EQ(e->GetCursorPos(), 3);
}

TEST(UndoRedo, TypedBytesAndFlags) {
    TestApp();
    ShownEditor shown(16);
    Editor& e = *shown;
    EXPECT_FALSE(e.GetModified());
    PutCaret(e, 2);
    e.IntChangeByte(e.GetDataAt(2), 0x99, 2, "");
    PutCaret(e, 2, true);
    e.IntChangeByte(0x99, 0x22, 2, "");
    EXPECT_TRUE(e.HasChanged(2));
    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(e.GetDataAt(2), 0x99);
    EXPECT_TRUE(e.HasChanged(2));
    EXPECT_TRUE(e.CaretInCharField());
    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(e.GetDataAt(2), Pattern(16)[2]);
    EXPECT_FALSE(e.HasChanged(2));
    EXPECT_FALSE(e.CaretInCharField());
    EXPECT_FALSE(e.GetModified()); // freshly loaded counts as not modified again
}

TEST(UndoRedo, CombinedRecords) {
    TestApp();
    ShownEditor e(16);
    for (int i = 0; i < 4; ++i) e->IntChangeByte(e->GetDataAt(i), 0xF0, i, "");
    e->CombineUndo(3, "three at once");
    EXPECT_EQ(e->GetUndoDescription(), "three at once");
    ASSERT_TRUE(e->Undo());
    EXPECT_EQ(e->GetDataAt(0), 0xF0);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(e->GetDataAt(i), Pattern(16)[i]);
    EXPECT_FALSE(e->GetCanRedo());
    EXPECT_EQ(e->UndoStorage().RecordCount(), 1);
    // A combined record that claims more records than there are is not applied.
    e->CombineUndo(1, "");
    e->UndoStorage().RemoveLastUndo();
    e->UndoStorage().RemoveLastUndo();
    EXPECT_FALSE(e->Undo());
}

TEST(UndoRedo, UndoGroups) {
    TestApp();
    ShownEditor e(16);
    TOrixHUndoStorage& s = e->UndoStorage();
    // On a new control a group without a description makes no record.
    e->UndoBeginUpdate("");
    e->UndoEndUpdate();
    EXPECT_EQ(s.RecordCount(), 0);
    EXPECT_FALSE(e->UndoGroupActive());

    e->IntChangeByte(e->GetDataAt(0), 0x01, 0, "");
    const std::vector<uint8_t> before = [&] {
        std::vector<uint8_t> d(16);
        e->ReadBuffer(d.data(), 0, 16);
        return d;
    }();
    e->UndoBeginUpdate("Fill");
    e->UndoBeginUpdate("inner");
    e->IntChangeByte(e->GetDataAt(3), 0x33, 3, "");
    e->InsertBuffer(kFour, 4, 0, "", false);
    EXPECT_EQ(e->UndoEndUpdate(), 1);
    EXPECT_EQ(e->UndoEndUpdate(), 0);
    EXPECT_EQ(s.RecordCount(), 2);
    EXPECT_EQ(e->GetUndoDescription(), "Fill");
    ASSERT_TRUE(e->Undo());
    std::vector<uint8_t> now(16);
    ASSERT_EQ(e->GetDataSize(), 16);
    e->ReadBuffer(now.data(), 0, 16);
    EXPECT_EQ(now, before);
    EXPECT_TRUE(e->Undo()); // the byte changed before the group
    EXPECT_EQ(e->GetDataAt(0), Pattern(16)[0]);

    // A group without a change leaves the history as it was, also when it was opened
    // without a description once groups make records.
    e->IntChangeByte(e->GetDataAt(0), 0x01, 0, "");
    EXPECT_TRUE(e->UndoGroupActive());
    e->UndoBeginUpdate("");
    EXPECT_EQ(s.RecordCount(), 2);
    e->UndoEndUpdate();
    EXPECT_EQ(s.RecordCount(), 1);
    EXPECT_EQ(e->GetUndoDescription(), "Change byte(s)");
    // Opened by the plain storage level: nothing of the history is taken off.
    static_cast<TCustomOrixHexEditor&>(*e).UndoBeginUpdate();
    e->UndoEndUpdate();
    EXPECT_EQ(s.RecordCount(), 1);
}

// Undo and redo while a group is open. The group's changes have no records, so a redo step
// made before them would put its bytes on other data: Undo empties the history with the redo
// step, Redo waits for the group to end, and the end of a group that Undo closed takes no
// later record off.
TEST(UndoRedo, UndoAndRedoInsideAnOpenGroup) {
    TestApp();
    for (const char* description : {"", "Fill"}) {
        SCOPED_TRACE(description);
        ShownEditor e(16);
        TOrixHUndoStorage& s = e->UndoStorage();
        e->IntChangeByte(e->GetDataAt(8), 0x88, 8, "");
        ASSERT_TRUE(e->Undo());
        ASSERT_TRUE(e->GetCanRedo());
        e->UndoBeginUpdate(description);
        e->InsertBuffer(kFour, 4, 0, "", false); // byte 8 is now at 12
        const State inGroup = Capture(*e, false);
        EXPECT_FALSE(e->GetCanRedo());
        EXPECT_FALSE(e->Redo());
        EXPECT_EQ(Capture(*e, false), inGroup);

        EXPECT_FALSE(e->Undo());
        EXPECT_EQ(s.UpdateLevel(), 0);
        EXPECT_EQ(s.RecordCount(), 0);
        EXPECT_FALSE(e->GetCanRedo());
        EXPECT_FALSE(e->Redo());
        EXPECT_EQ(Capture(*e, false).data, inGroup.data);

        // A step after the Undo is recorded as usual and survives the group's end.
        e->IntChangeByte(e->GetDataAt(0), 0x77, 0, "after");
        EXPECT_EQ(e->UndoEndUpdate(), 0);
        EXPECT_EQ(s.RecordCount(), 1);
        EXPECT_EQ(e->GetUndoDescription(), "after");
        ASSERT_TRUE(e->Undo());
        EXPECT_EQ(Capture(*e, false).data, inGroup.data);
    }
}

TEST(UndoRedo, RedoWaitsForAGroupWithoutChanges) {
    TestApp();
    ShownEditor e(16);
    e->IntChangeByte(e->GetDataAt(8), 0x88, 8, "");
    ASSERT_TRUE(e->Undo());
    e->UndoBeginUpdate("");
    EXPECT_FALSE(e->Redo());
    EXPECT_EQ(e->GetDataAt(8), Pattern(16)[8]);
    e->UndoEndUpdate();
    ASSERT_TRUE(e->Redo());
    EXPECT_EQ(e->GetDataAt(8), 0x88);
    EXPECT_EQ(e->UndoStorage().RecordCount(), 1);
}

TEST(UndoRedo, UnicodeModeTheLayoutNoLongerAllows) {
    TestApp();
    // Steps made in unicode mode, then a row or column width that unicode mode refuses: the
    // width, which no record keeps, stays; unicode mode stays off; everything else comes back,
    // nothing raises, and the data, the bookmarks and the history stay in step with each other.
    const struct {
        const char* name;
        std::function<void(Editor&)> widen;
        std::function<bool(Editor&)> kept;
    } layouts[] = {
        {"row", [](Editor& e) { e.SetBytesPerRow(17); },
         [](Editor& e) { return e.GetBytesPerRow() == 17; }},
        {"column", [](Editor& e) { e.SetBytesPerColumn(3); },
         [](Editor& e) { return e.GetBytesPerColumn() == 3; }},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        ShownEditor shown(16);
        Editor& e = *shown;
        e.SetUnicodeCharacters(true);
        e.SetBookmarkVals(0, 10, false);
        e.NewSelection(2, 3);
        e.DeleteSelection("");
        ASSERT_EQ(e.GetBookmark(0).mPosition, 8);
        e.InsertBuffer(kFour, 2, 0, "", false);
        ASSERT_EQ(e.GetDataSize(), 16);
        ASSERT_EQ(e.GetBookmark(0).mPosition, 10);
        ASSERT_TRUE(e.Undo()); // the insertion, modes still as recorded
        e.SetUnicodeCharacters(false);
        layout.widen(e);

        EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Redo()); }), "");
        EXPECT_EQ(e.GetDataSize(), 16);
        EXPECT_EQ(e.GetDataAt(0), kFour[0]);
        EXPECT_FALSE(e.GetUnicodeChars());
        EXPECT_EQ(e.GetBytesPerUnit(), 2);
        EXPECT_TRUE(layout.kept(e));
        EXPECT_FALSE(e.GetCanRedo()); // never inserted twice
        EXPECT_FALSE(e.Redo());
        EXPECT_EQ(e.GetDataSize(), 16);
        EXPECT_EQ(e.UndoStorage().RecordCount(), 2);

        EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Undo()); }), ""); // the insertion again
        EXPECT_EQ(e.GetDataSize(), 14);
        EXPECT_EQ(e.GetBookmark(0).mPosition, 8);
        EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Undo()); }), ""); // the removal
        EXPECT_EQ(e.GetDataSize(), 16);
        EXPECT_EQ(e.GetDataAt(2), Pattern(16)[2]);
        EXPECT_EQ(e.GetBookmark(0).mPosition, 10);
        EXPECT_EQ(e.GetBytesPerUnit(), 2);
        EXPECT_TRUE(layout.kept(e));
        EXPECT_FALSE(e.GetCanUndo());
    }
}

namespace {
// The whole state a record keeps, modes and layout of the caret included.
struct Modes {
    std::vector<uint8_t> data;
    int32_t col = 0, row = 0, selFirst = -1, selLast = -1, selAnchor = -1;
    bool unicode = false, bigEndian = false, insert = false, modified = false;
    TOrixHTranslationKind translation = tkAsIs;
    int32_t bytesPerUnit = 1;
    bool operator==(const Modes&) const = default;
};

void PrintTo(const Modes& m, std::ostream* os) {
    *os << m.data.size() << " bytes, cell " << m.col << ',' << m.row << " selection " << m.selFirst
        << ".." << m.selLast << '@' << m.selAnchor << " unicode " << m.unicode << " big endian "
        << m.bigEndian << " insert " << m.insert << " modified " << m.modified << " translation "
        << int(m.translation) << " unit " << m.bytesPerUnit;
}

Modes CaptureModes(Editor& e) {
    Modes m;
    m.data = DataOf(e);
    m.col = e.Col();
    m.row = e.Row();
    m.selFirst = e.SelFirst();
    m.selLast = e.SelLast();
    m.selAnchor = e.SelAnchor();
    m.unicode = e.GetUnicodeChars();
    m.bigEndian = e.GetUnicodeBigEndian();
    m.insert = e.GetInsertMode();
    m.modified = e.GetModified();
    m.translation = e.GetTranslation();
    m.bytesPerUnit = e.GetBytesPerUnit();
    return m;
}
} // namespace

// Unicode mode on data of odd size is a real state (a size change in unicode mode makes it):
// undo and redo put it back, though the unicode setter refuses odd sizes to its callers.
TEST(UndoRedo, UnicodeModeOnOddSizedDataComesBack) {
    TestApp();
    ShownEditor shown(0);
    Editor& e = *shown;
    LoadBytes(e, {0x00, 0x11, 0x22, 0x33});
    e.SetUnicodeCharacters(true);
    const Modes four = CaptureModes(e);
    e.SetDataSize(5);
    const Modes five = CaptureModes(e);
    e.SetDataSize(7);
    e.SetUnicodeCharacters(false);
    const Modes sevenPlain = CaptureModes(e);

    EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Undo()); }), "");
    EXPECT_EQ(CaptureModes(e), five);
    EXPECT_EQ(e.UndoStorage().RecordCount(), 1);
    EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Redo()); }), "");
    EXPECT_EQ(CaptureModes(e), sevenPlain);
    ASSERT_TRUE(e.Undo());
    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(CaptureModes(e), four);
    // Redone after unicode mode went off: the step left it on, at five bytes.
    e.SetUnicodeCharacters(false);
    EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Redo()); }), "");
    EXPECT_EQ(CaptureModes(e), five);
    EXPECT_EQ(e.UndoStorage().RecordCount(), 1);
}

// Every mode a record keeps comes back as it was, in whatever modes the editor is in by the
// time of the undo or the redo, and neither raises.
TEST(UndoRedo, ModesComeBackAsTheyWere) {
    TestApp();
    using Fn = std::function<void(Editor&)>;
    const Fn nothing = [](Editor&) {};
    const Fn plain = [](Editor& e) { e.SetUnicodeCharacters(false); };
    const Fn unicode = [](Editor& e) { e.SetUnicodeCharacters(true); };
    const Fn oddUnicode = [](Editor& e) {
        e.SetUnicodeCharacters(true);
        e.SetDataSize(15);
    };
    const struct {
        const char* name;
        Fn setUp, beforeUndo, beforeRedo;
    } cases[] = {
        {"unicode, odd size, undone in plain mode", oddUnicode, plain, nothing},
        {"unicode, odd size, redone in plain mode", oddUnicode, nothing, plain},
        {"unicode big-endian, second digit, undone in another unit and translation",
         [](Editor& e) {
             e.SetUnicodeCharacters(true);
             e.SetUnicodeBigEndian(true);
             PutCaret(e, 6);
             e.MoveColRow(e.Col() + 1, e.Row(), true, true);
         },
         [](Editor& e) {
             e.SetUnicodeCharacters(false);
             e.SetBytesPerUnit(8);
             e.SetTranslation(tkMac);
         },
         nothing},
        {"translation and unit, undone in unicode mode",
         [](Editor& e) {
             e.SetTranslation(tkDos8);
             e.SetBytesPerUnit(4);
             e.SetUnicodeBigEndian(true);
             e.NewSelection(4, 11);
         },
         unicode, plain},
        {"insert mode and a selection, redone in unicode mode",
         [](Editor& e) {
             e.SetInsertMode(true);
             e.NewSelection(2, 5);
         },
         nothing, unicode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShownEditor shown(16);
        Editor& e = *shown;
        c.setUp(e);
        const Modes before = CaptureModes(e);
        e.IntChangeByte(e.GetDataAt(6), 0x5A, 6, "");
        c.beforeUndo(e);
        const Modes atUndo = CaptureModes(e);
        EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Undo()); }), "");
        EXPECT_EQ(CaptureModes(e), before);
        c.beforeRedo(e);
        EXPECT_EQ(ErrorOf([&] { EXPECT_TRUE(e.Redo()); }), "");
        EXPECT_EQ(CaptureModes(e), atUndo);
        EXPECT_TRUE(e.GetCanUndo());
    }
}
