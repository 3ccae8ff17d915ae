// Keyboard and character input through real key events: navigation, field switch, selection
// by Shift, Insert, Delete and Backspace, typing nibbles and characters, and the bookmarks by
// Ctrl(+Shift)+digit, also where Shift gives the digit key another symbol.
#include "hex_test_env.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {
void PutCaret(TCustomOrixHexEditor& e, int32_t pos, bool inChar = false, bool second = false) {
    const TGridCoord c = e.GetCursorAtPos(pos, inChar);
    e.MoveColRow(c.X + (second ? 1 : 0), c.Y, true, true);
}

int32_t CaretPos(TCustomOrixHexEditor& e) {
    return e.GetPositionAtCursor(e.Col(), e.Row());
}
bool OnSecondDigit(TCustomOrixHexEditor& e) {
    return !e.GetIsCharFieldCol(e.Col()) && e.Col() != e.GetCursorAtPos(CaretPos(e), false).X;
}

void Key(TCustomOrixHexEditor& e, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(&e, key, mods);
}

void Type(TCustomOrixHexEditor& e, const char* text) {
    for (const char* c = text; *c; ++c) QTest::keyClick(&e, *c);
}

// A key event as a platform with its own layout delivers it.
void SendKey(TCustomOrixHexEditor& e, int key, Qt::KeyboardModifiers mods, quint32 scanCode,
             const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, mods, scanCode, 0, 0, text);
    QApplication::sendEvent(&e, &press);
}

struct NavCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    bool insert;
    int start;
    bool startChar;
    int pos;      // caret position afterwards
    bool inChar;  // field afterwards
    bool second;  // on the second digit afterwards
    int selFirst; // -1: no selection
    int selLast;
};
} // namespace

TEST(Keys, NavigationAndSelection) {
    const NavCase cases[] = {
        {"right", Qt::Key_Right, {}, false, 4, false, 4, false, true, -1, -1},
        {"left to previous second digit",
         Qt::Key_Left,
         {},
         false,
         4,
         false,
         3,
         false,
         true,
         -1,
         -1},
        {"left at 0", Qt::Key_Left, {}, false, 0, false, 0, false, false, -1, -1},
        {"ctrl left", Qt::Key_Left, Qt::ControlModifier, false, 20, false, 16, false, false, -1,
         -1},
        {"ctrl right", Qt::Key_Right, Qt::ControlModifier, false, 4, false, 15, true, false, -1,
         -1},
        {"char right", Qt::Key_Right, {}, false, 4, true, 5, true, false, -1, -1},
        {"char left", Qt::Key_Left, {}, false, 4, true, 3, true, false, -1, -1},
        {"up", Qt::Key_Up, {}, false, 20, false, 4, false, false, -1, -1},
        {"up at top", Qt::Key_Up, {}, false, 4, false, 4, false, false, -1, -1},
        {"down", Qt::Key_Down, {}, false, 4, false, 20, false, false, -1, -1},
        {"down on the last row", Qt::Key_Down, {}, false, 60, false, 60, false, false, -1, -1},
        {"ctrl up does nothing", Qt::Key_Up, Qt::ControlModifier, false, 20, false, 20, false,
         false, -1, -1},
        {"home", Qt::Key_Home, {}, false, 20, false, 16, false, false, -1, -1},
        {"home char", Qt::Key_Home, {}, false, 20, true, 16, true, false, -1, -1},
        {"ctrl home", Qt::Key_Home, Qt::ControlModifier, false, 40, true, 0, true, false, -1, -1},
        {"end", Qt::Key_End, {}, false, 20, false, 31, false, true, -1, -1},
        {"end char", Qt::Key_End, {}, false, 20, true, 31, true, false, -1, -1},
        {"ctrl end", Qt::Key_End, Qt::ControlModifier, false, 4, false, 63, false, false, -1, -1},
        {"ctrl end insert", Qt::Key_End, Qt::ControlModifier, true, 4, false, 64, false, false, -1,
         -1},
        {"tab", Qt::Key_Tab, {}, false, 4, false, 4, true, false, -1, -1},
        {"shift tab back", Qt::Key_Backtab, Qt::ShiftModifier, false, 4, true, 4, false, false, 4,
         4},
        {"ctrl t", Qt::Key_T, Qt::ControlModifier, false, 4, false, 4, true, false, -1, -1},
        {"shift right", Qt::Key_Right, Qt::ShiftModifier, false, 4, false, 5, false, false, 4, 5},
        {"shift right insert", Qt::Key_Right, Qt::ShiftModifier, true, 4, false, 5, false, false, 4,
         4},
        {"shift left", Qt::Key_Left, Qt::ShiftModifier, false, 4, false, 3, false, false, 3, 4},
        {"backspace overwrite", Qt::Key_Backspace, {}, false, 4, false, 3, false, true, -1, -1},
        {"ctrl backspace overwrite", Qt::Key_Backspace, Qt::ControlModifier, false, 4, false, 4,
         false, false, -1, -1},
    };
    for (const NavCase& c : cases) {
        SCOPED_TRACE(c.name);
        ShownEditor e(64);
        e->SetInsertMode(c.insert);
        PutCaret(*e, c.start, c.startChar);
        Key(*e, c.key, c.mods);
        EXPECT_EQ(CaretPos(*e), c.pos);
        EXPECT_EQ(e->GetIsCharFieldCol(e->Col()), c.inChar);
        EXPECT_EQ(OnSecondDigit(*e), c.second);
        EXPECT_EQ(e->GetSelCount() > 0 ? e->SelFirst() : -1, c.selFirst);
        EXPECT_EQ(e->GetSelCount() > 0 ? e->SelLast() : -1, c.selLast);
        EXPECT_EQ(DataOf(*e), Pattern(64));
    }
}

TEST(Keys, SelectionGrowsAndPages) {
    ShownEditor e(64);
    PutCaret(*e, 4);
    Key(*e, Qt::Key_Right, Qt::ShiftModifier);
    Key(*e, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(e->SelFirst(), 4);
    EXPECT_EQ(e->SelLast(), 6);
    Key(*e, Qt::Key_Right); // any key without modifiers drops it in overwrite mode
    EXPECT_EQ(e->GetSelCount(), 0);
    // In insert mode the caret stands between bytes: one step selects one byte less.
    e->SetInsertMode(true);
    PutCaret(*e, 4);
    Key(*e, Qt::Key_Right, Qt::ShiftModifier);
    Key(*e, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(e->SelFirst(), 4);
    EXPECT_EQ(e->SelLast(), 5);
    Key(*e, Qt::Key_Right); // kept in insert mode until a caret move without Shift
    EXPECT_EQ(e->GetSelCount(), 0);

    ShownEditor big(16 * 200, 700, 400);
    const int32_t v = big->VisibleRowCount();
    ASSERT_GT(v, 3);
    Key(*big, Qt::Key_PageDown);
    EXPECT_EQ(big->TopRow(), 2 + v - 1);
    EXPECT_EQ(big->Row(), 2 + v - 1);
    Key(*big, Qt::Key_PageUp);
    EXPECT_EQ(big->TopRow(), 2);
    EXPECT_EQ(big->Row(), 2);
}

// With less than two whole rows in view a page still counts one row: Page Down never moves
// up and Page Up never down, and Ctrl+Page Down stays on the top row.
TEST(Keys, PagingWithLessThanTwoRowsInView) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int32_t pos; // from 1600, 16 bytes a row
    } cases[] = {
        {"page down", Qt::Key_PageDown, {}, 1616},
        {"page up", Qt::Key_PageUp, {}, 1584},
        {"ctrl page down", Qt::Key_PageDown, Qt::ControlModifier, 1600},
        {"ctrl page up", Qt::Key_PageUp, Qt::ControlModifier, 1600},
    };
    for (const int32_t visible : {0, 1}) {
        ShownEditor e(16 * 200);
        // The smallest height that shows that many whole rows.
        for (int h = 1; h < 200; ++h) {
            e->resize(700, h);
            QApplication::processEvents();
            if (e->VisibleRowCount() >= visible) break;
        }
        ASSERT_EQ(e->VisibleRowCount(), visible);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << visible << " rows in view");
            PutCaret(*e, 1600);
            const int32_t top = e->TopRow();
            Key(*e, c.key, c.mods);
            EXPECT_EQ(CaretPos(*e), c.pos);
            if (c.key == Qt::Key_PageDown)
                EXPECT_GE(e->TopRow(), top);
            else
                EXPECT_LE(e->TopRow(), top);
        }
    }
}

TEST(Keys, InsertDeleteBackspace) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        bool insert;
        int caret;
        int first, count; // removed range
    } cases[] = {
        {"delete overwrite does nothing", Qt::Key_Delete, {}, false, 4, 0, 0},
        {"ctrl delete overwrite", Qt::Key_Delete, Qt::ControlModifier, false, 4, 4, 1},
        {"ctrl shift delete overwrite does nothing", Qt::Key_Delete,
         Qt::ControlModifier | Qt::ShiftModifier, false, 4, 0, 0},
        {"delete insert", Qt::Key_Delete, {}, true, 4, 4, 1},
        {"backspace insert", Qt::Key_Backspace, {}, true, 4, 3, 1},
        {"backspace insert at 0", Qt::Key_Backspace, {}, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownEditor e(16);
        e->SetInsertMode(c.insert);
        PutCaret(*e, c.caret);
        Key(*e, c.key, c.mods);
        std::vector<uint8_t> want = Pattern(16);
        want.erase(want.begin() + c.first, want.begin() + c.first + c.count);
        EXPECT_EQ(DataOf(*e), want);
    }
    ShownEditor e(16);
    Key(*e, Qt::Key_Insert);
    EXPECT_TRUE(e->GetInsertMode());
    e->NewSelection(2, 5);
    Key(*e, Qt::Key_Delete);
    EXPECT_EQ(e->GetDataSize(), 12);
    Key(*e, Qt::Key_Insert, Qt::ShiftModifier); // only without modifiers
    EXPECT_TRUE(e->GetInsertMode());
    Key(*e, Qt::Key_Insert);
    EXPECT_FALSE(e->GetInsertMode());
    e->SetReadOnlyView(true);
    Key(*e, Qt::Key_Delete, Qt::ControlModifier);
    Key(*e, Qt::Key_Insert);
    Type(*e, "ff");
    EXPECT_EQ(e->GetDataSize(), 12);
    EXPECT_FALSE(e->GetInsertMode());
}

TEST(Keys, TypingNibbles) {
    {
        SCOPED_TRACE("overwrite");
        ShownEditor e(16);
        e->SetDataAt(4, 0x12);
        PutCaret(*e, 4);
        Type(*e, "a");
        EXPECT_EQ(e->GetDataAt(4), 0xA2);
        EXPECT_TRUE(OnSecondDigit(*e));
        Type(*e, "B");
        EXPECT_EQ(e->GetDataAt(4), 0xAB);
        EXPECT_EQ(CaretPos(*e), 5);
        EXPECT_FALSE(OnSecondDigit(*e));
        EXPECT_EQ(e->UndoStorage().RecordCount(), 2);
        EXPECT_TRUE(e->HasChanged(4));
    }
    {
        SCOPED_TRACE("swapped nibbles");
        ShownEditor e(16);
        e->SetDataAt(4, 0x12);
        e->SetSwapNibbles(true);
        PutCaret(*e, 4);
        Type(*e, "a");
        EXPECT_EQ(e->GetDataAt(4), 0x1A);
    }
    {
        SCOPED_TRACE("insert, unit 1");
        ShownEditor e(8);
        e->SetInsertMode(true);
        PutCaret(*e, 3);
        Type(*e, "7");
        EXPECT_EQ(e->GetDataSize(), 9);
        EXPECT_EQ(e->GetDataAt(3), 0x70);
        EXPECT_TRUE(OnSecondDigit(*e));
        EXPECT_EQ(e->GetSelCount(), 0);
        Type(*e, "F");
        EXPECT_EQ(e->GetDataAt(3), 0x7F);
        EXPECT_EQ(CaretPos(*e), 4);
        EXPECT_EQ(e->GetDataAt(4), Pattern(8)[3]);
        EXPECT_FALSE(e->HasChanged(3));
        // On the second digit of an existing byte a digit changes that nibble in place.
        PutCaret(*e, 5, false, true);
        Type(*e, "c");
        EXPECT_EQ(e->GetDataSize(), 9);
        EXPECT_EQ(e->GetDataAt(5), (Pattern(8)[4] & 0xF0) | 0x0C);
    }
    {
        SCOPED_TRACE("insert, unit 2");
        ShownEditor e(8);
        e->SetBytesPerUnit(2);
        e->SetInsertMode(true);
        PutCaret(*e, 4);
        Type(*e, "a");
        EXPECT_EQ(e->GetDataSize(), 10);
        EXPECT_EQ(e->GetDataAt(4), 0xA0);
        EXPECT_EQ(e->GetDataAt(5), 0x00);
    }
    {
        SCOPED_TRACE("insert over a selection, swapped");
        ShownEditor e(8);
        e->SetInsertMode(true);
        e->SetSwapNibbles(true);
        e->NewSelection(2, 5);
        Type(*e, "a");
        EXPECT_EQ(e->GetDataSize(), 5);
        EXPECT_EQ(e->GetDataAt(2), 0x0A);
    }
    {
        SCOPED_TRACE("insert into empty data");
        ShownEditor e(0);
        e->SetInsertMode(true);
        Type(*e, "5c");
        EXPECT_EQ(DataOf(*e), std::vector<uint8_t>{0x5C});
    }
    {
        SCOPED_TRACE("refused");
        ShownEditor e(8);
        int invalid = 0;
        e->OnInvalidKey = [&](TCustomOrixHexEditor*) { ++invalid; };
        Type(*e, "g");
        e->WMChar(8);
        EXPECT_EQ(invalid, 1);
        EXPECT_EQ(DataOf(*e), Pattern(8));
        EXPECT_FALSE(e->GetCanUndo());
    }
}

TEST(Keys, TypingCharacters) {
    ShownEditor e(8);
    PutCaret(*e, 2, true);
    Type(*e, "Hi");
    EXPECT_EQ(e->GetDataAt(2), 'H');
    EXPECT_EQ(e->GetDataAt(3), 'i');
    EXPECT_EQ(CaretPos(*e), 4);
    // A character of the ANSI code page arrives as its byte there.
    SendKey(*e, Qt::Key_unknown, {}, 0, QString(QChar(0x20AC)));
    EXPECT_EQ(e->GetDataAt(4), 0x80);
    int invalid = 0;
    e->OnInvalidKey = [&](TCustomOrixHexEditor*) { ++invalid; };
    SendKey(*e, Qt::Key_unknown, {}, 0, QString(QChar(0x4E2D))); // not in the code page
    EXPECT_EQ(invalid, 1);
    EXPECT_EQ(e->GetDataAt(5), Pattern(8)[5]);
    // Ctrl with a letter types nothing.
    Key(*e, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(e->GetDataAt(5), Pattern(8)[5]);

    e->SetInsertMode(true);
    PutCaret(*e, 8, true);
    Type(*e, "Z");
    EXPECT_EQ(e->GetDataSize(), 9);
    EXPECT_EQ(e->GetDataAt(8), 'Z');
    EXPECT_EQ(CaretPos(*e), 9);

    // Unicode mode: a unit above 255 is written as it comes, whatever its low byte.
    ShownEditor u(8);
    u->SetUnicodeCharacters(true);
    PutCaret(*u, 2, true);
    u->WMImeChar(0x4E2D);
    EXPECT_EQ(u->GetDataAt(2), 0x2D);
    EXPECT_EQ(u->GetDataAt(3), 0x4E);
    u->WMImeChar(0x0100);
    EXPECT_EQ(u->GetDataAt(4), 0x00);
    EXPECT_EQ(u->GetDataAt(5), 0x01);
    u->SetUnicodeBigEndian(true);
    QInputMethodEvent ime;
    ime.setCommitString(QString(QChar(0x4E2D)));
    QApplication::sendEvent(u.editor.get(), &ime);
    EXPECT_EQ(u->GetDataAt(6), 0x4E);
    EXPECT_EQ(u->GetDataAt(7), 0x2D);
}

// Odd-sized data in unicode mode (a load keeps the mode): the last byte holds only half a
// unit, so a character typed over it in overwrite mode is refused like a masked one.
TEST(Keys, CharacterOverTheHalfUnitAtTheEndIsRefused) {
    ShownEditor e(8);
    e->SetUnicodeCharacters(true);
    LoadBytes(*e, Pattern(7));
    ASSERT_TRUE(e->GetUnicodeChars());
    int invalid = 0;
    e->OnInvalidKey = [&](TCustomOrixHexEditor*) { ++invalid; };
    Key(*e, Qt::Key_End, Qt::ControlModifier);
    Key(*e, Qt::Key_Tab);
    ASSERT_EQ(CaretPos(*e), 6);
    ASSERT_TRUE(e->GetIsCharFieldCol(e->Col()));
    Type(*e, "a");
    e->WMImeChar(0x4E2D);
    EXPECT_EQ(invalid, 2);
    EXPECT_EQ(DataOf(*e), Pattern(7));
    EXPECT_FALSE(e->GetCanUndo());
    EXPECT_FALSE(e->GetModified());
    EXPECT_EQ(CaretPos(*e), 6);
    // The whole units before it take characters as ever, and the hex field the last byte.
    PutCaret(*e, 4, true);
    Type(*e, "a");
    EXPECT_EQ(e->GetDataAt(4), 'a');
    EXPECT_EQ(e->GetDataAt(5), 0);
    PutCaret(*e, 6);
    Type(*e, "5");
    EXPECT_EQ(e->GetDataAt(6), (Pattern(7)[6] & 0x0F) | 0x50);
    EXPECT_EQ(invalid, 2);
    // Insert mode inserts a whole unit there.
    e->SetInsertMode(true);
    PutCaret(*e, 6, true);
    Type(*e, "b");
    EXPECT_EQ(e->GetDataSize(), 9);
    EXPECT_EQ(e->GetDataAt(6), 'b');
    EXPECT_EQ(e->GetDataAt(7), 0);
}

TEST(Keys, Bookmarks) {
    ShownEditor e(0x40);
    int changed = 0;
    e->OnBookmarkChanged = [&](TCustomOrixHexEditor*) { ++changed; };
    PutCaret(*e, 0x20);
    Key(*e, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->GetBookmark(5).mPosition, 0x20);
    EXPECT_FALSE(e->GetBookmark(5).mInCharField);
    EXPECT_EQ(changed, 1);
    Key(*e, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->GetBookmark(5).mPosition, -1);
    PutCaret(*e, 0x20, true);
    Key(*e, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    Key(*e, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    Key(*e, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->GetBookmark(5).mPosition, 0x20);
    EXPECT_TRUE(e->GetBookmark(5).mInCharField);

    PutCaret(*e, 3);
    e->NewSelection(1, 2);
    Key(*e, Qt::Key_5, Qt::ControlModifier);
    EXPECT_EQ(CaretPos(*e), 0x20);
    EXPECT_TRUE(e->GetIsCharFieldCol(e->Col()));
    EXPECT_EQ(e->GetSelCount(), 0);

    // Shift changes the digit key's symbol: "#" on this layout, or a key whose code says "3".
    PutCaret(*e, 7);
    SendKey(*e, Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier, 0, "#");
    EXPECT_EQ(e->GetBookmark(3).mPosition, 7);
    PutCaret(*e, 9);
    SendKey(*e, Qt::Key_section, Qt::ControlModifier | Qt::ShiftModifier, 12, QString(QChar(0xA7)));
    EXPECT_EQ(e->GetBookmark(3).mPosition, 9);
    EXPECT_EQ(e->GetDataAt(9), Pattern(0x40)[9]); // and typed nothing

    // Beyond the data: accepted, then unset when reached.
    e->SetBookmarkVals(2, 1000, false);
    PutCaret(*e, 4);
    Key(*e, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(e->GetBookmark(2).mPosition, -1);
    EXPECT_EQ(CaretPos(*e), 4);
    EXPECT_FALSE(e->GotoBookmark(10));
    EXPECT_THROW(e->GetBookmark(10), EOrixHexEditor);
    EXPECT_THROW(e->SetBookmarkVals(-1, 0, false), EOrixHexEditor);

    // The append position only in insert mode.
    ShownEditor g(16);
    g->SetInsertMode(true);
    g->SetBookmarkVals(1, 16, false);
    Key(*g, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(CaretPos(*g), 16);
    g->SetInsertMode(false);
    Key(*g, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(g->GetBookmark(1).mPosition, -1);
}

TEST(Keys, BookmarksFollowTheData) {
    TestApp();
    const uint8_t three[3] = {1, 2, 3};
    struct Case {
        const char* name;
        std::function<void(TCustomOrixHexEditor&)> edit;
        int32_t want;
    } cases[] = {
        {"insert before", [&](TCustomOrixHexEditor& e) { e.InsertBuffer(three, 3, 0, "", false); },
         11},
        {"insert at", [&](TCustomOrixHexEditor& e) { e.InsertBuffer(three, 3, 8, "", false); }, 11},
        {"insert after", [&](TCustomOrixHexEditor& e) { e.InsertBuffer(three, 3, 9, "", false); },
         8},
        {"remove before",
         [](TCustomOrixHexEditor& e) {
             e.NewSelection(2, 4);
             e.DeleteSelection("");
         },
         5},
        {"remove around",
         [](TCustomOrixHexEditor& e) {
             e.NewSelection(7, 9);
             e.DeleteSelection("");
         },
         8},
        {"remove the tail", [](TCustomOrixHexEditor& e) { e.SetDataSize(8); }, 8},
        {"replace longer", [&](TCustomOrixHexEditor& e) { e.Replace(three, 5, 1, 3, "", false); },
         10},
        {"replace ending at it",
         [&](TCustomOrixHexEditor& e) { e.Replace(three, 6, 2, 3, "", false); }, 9},
        {"replace shorter", [&](TCustomOrixHexEditor& e) { e.Replace(three, 2, 4, 1, "", false); },
         5},
        {"append", [&](TCustomOrixHexEditor& e) { e.AppendBuffer(three, 3, "", false); }, 8},
        {"change in place",
         [](TCustomOrixHexEditor& e) { e.IntChangeByte(e.GetDataAt(8), 0, 8, ""); }, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOrixHexEditor e;
        LoadBytes(e, Pattern(10));
        e.SetBookmarkVals(0, 8, false);
        c.edit(e);
        EXPECT_EQ(e.GetBookmark(0).mPosition, c.want);
    }
    TOrixHexEditor e;
    LoadBytes(e, Pattern(10));
    e.SetBookmarkVals(0, 3, false);
    e.SetBookmarkVals(1, 6, false);
    e.NewSelection(2, 4);
    e.DeleteSelection("");
    EXPECT_EQ(e.GetBookmark(0).mPosition, 3);
    EXPECT_EQ(e.GetBookmark(1).mPosition, 3);
}
