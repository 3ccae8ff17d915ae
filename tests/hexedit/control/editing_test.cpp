// Editing operations: Backspace and Delete by unit, insert and append, replacing with a fixed
// size, Replace, SetDataSize and BufferFromFile, and the order of undo step and change.
#include "hex_test_env.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Without(std::vector<uint8_t> d, int first, int count) {
    d.erase(d.begin() + first, d.begin() + first + count);
    return d;
}

void PutCaret(TCustomOrixHexEditor& e, int32_t pos, bool inChar = false) {
    const TGridCoord c = e.GetCursorAtPos(pos, inChar);
    e.MoveColRow(c.X, c.Y, true, true);
}

struct EraseCase {
    const char* name;
    int size;
    int unit;
    bool insert;
    int caret;
    bool back;
    int first; // removed range; count 0: nothing
    int count;
};
} // namespace

TEST(Editing, BackspaceAndDeleteByUnit) {
    TestApp();
    const EraseCase cases[] = {
        {"bs append pos, odd tail", 5, 2, true, 5, true, 4, 1},
        {"bs append pos, whole unit", 6, 2, true, 6, true, 4, 2},
        {"bs unit 1", 8, 1, true, 3, true, 2, 1},
        {"bs inside a unit of 4", 8, 4, true, 5, true, 0, 4},
        {"bs at 0", 8, 1, true, 0, true, 0, 0},
        {"bs at 0 unit 2", 8, 2, true, 1, true, 0, 0},
        {"del short last unit", 6, 4, false, 5, false, 4, 2},
        {"del unit 2", 8, 2, false, 3, false, 2, 2},
        {"del unit 1 first byte", 8, 1, false, 0, false, 0, 1},
        {"del unit 4 full", 8, 4, true, 4, false, 4, 4},
        {"del on append pos", 8, 1, true, 8, false, 0, 0},
    };
    for (const EraseCase& c : cases) {
        SCOPED_TRACE(c.name);
        TOrixHexEditor e;
        const std::vector<uint8_t> data = Pattern(static_cast<size_t>(c.size));
        LoadBytes(e, data);
        e.SetBytesPerUnit(c.unit);
        e.SetInsertMode(c.insert);
        PutCaret(e, c.caret);
        e.InternalErase(c.back, "");
        if (c.count == 0) {
            EXPECT_EQ(DataOf(e), data);
            EXPECT_FALSE(e.GetCanUndo());
            EXPECT_FALSE(e.GetModified());
        } else {
            EXPECT_EQ(DataOf(e), Without(data, c.first, c.count));
            EXPECT_EQ(e.GetUndoDescription(), "Remove data");
            EXPECT_TRUE(e.GetModified());
        }
    }
}

TEST(Editing, InsertAndAppend) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(8));
    int changes = 0;
    e.OnChange = [&](TCustomOrixHexEditor*) { ++changes; };
    const uint8_t block[3] = {0xA1, 0xA2, 0xA3};
    e.InsertBuffer(block, 3, 2, "", true);
    std::vector<uint8_t> want = Pattern(8);
    want.insert(want.begin() + 2, block, block + 3);
    EXPECT_EQ(DataOf(e), want);
    EXPECT_EQ(e.SelFirst(), 2);
    EXPECT_EQ(e.SelLast(), 4);
    EXPECT_EQ(e.GetCursorPos(), 4);
    EXPECT_EQ(changes, 2); // the write, then the end of the operation
    EXPECT_EQ(e.GetUndoDescription(), "Insert buffer");

    // At the very end, and refused outside the data without an undo step.
    e.InsertBuffer(block, 1, e.GetDataSize(), "typed", false);
    EXPECT_EQ(DataOf(e).back(), 0xA1);
    EXPECT_EQ(e.GetUndoDescription(), "typed");
    const int32_t records = e.UndoStorage().RecordCount();
    const std::vector<uint8_t> before = DataOf(e);
    for (int32_t pos : {-1, e.GetDataSize() + 1}) {
        EXPECT_EQ(ErrorOf([&] { e.InsertBuffer(block, 1, pos, "", false); }),
                  "Data position/length out of data bounds");
    }
    e.InsertBuffer(block, 0, 0, "", false);
    e.InsertBuffer(block, -5, 0, "", false);
    EXPECT_EQ(DataOf(e), before);
    EXPECT_EQ(e.UndoStorage().RecordCount(), records);

    changes = 0;
    e.AppendBuffer(block, 0, "", true);
    e.AppendBuffer(nullptr, 3, "", true);
    e.AppendBuffer(block, -1, "", true);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(e.UndoStorage().RecordCount(), records);
    e.AppendBuffer(block, 2, "", true);
    EXPECT_EQ(e.GetDataSize(), 14);
    EXPECT_EQ(e.SelFirst(), 12);
    EXPECT_EQ(e.SelLast(), 13);
    EXPECT_EQ(e.GetCursorPos(), 12);
    EXPECT_EQ(e.GetUndoDescription(), "Append buffer");

    // Into empty data: allowed although every other kind is refused there.
    TOrixHexEditor empty;
    LoadBytes(empty, {});
    empty.AppendBuffer(block, 3, "", false);
    EXPECT_EQ(DataOf(empty), std::vector<uint8_t>(block, block + 3));
    LoadBytes(empty, {});
    EXPECT_EQ(ErrorOf([&] { empty.DeleteSelection(""); }), "Cannot update undo storage");
    // No byte on the append position: nothing to remove, nothing recorded.
    TOrixHexEditor tail;
    LoadBytes(tail, Pattern(4));
    tail.SetInsertMode(true);
    const TGridCoord append = tail.GetCursorAtPos(4, false);
    tail.MoveColRow(append.X, append.Y, true, true);
    tail.DeleteSelection("");
    EXPECT_EQ(tail.GetDataSize(), 4);
    EXPECT_FALSE(tail.GetCanUndo());
}

TEST(Editing, ReplaceSelectionWithFixedSize) {
    TestApp();
    const uint8_t six[6] = {1, 2, 3, 4, 5, 6};
    struct Case {
        int size;
        std::vector<uint8_t> want;
    } cases[] = {
        {6, {0, 0, 1, 2, 3, 4, 0, 0}},
        {2, {0, 0, 1, 2, 0, 0, 0, 0}},
        {4, {0, 0, 1, 2, 3, 4, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        TOrixHexEditor e;
        LoadBytes(e, std::vector<uint8_t>(8, 0));
        e.SetNoSizeChange(true);
        e.NewSelection(2, 5);
        e.ReplaceSelection(six, c.size, "", true);
        EXPECT_EQ(DataOf(e), c.want);
        EXPECT_EQ(e.GetUndoDescription(), "Replace");
    }
    TOrixHexEditor e;
    LoadBytes(e, std::vector<uint8_t>(8, 0));
    e.SetNoSizeChange(true);
    e.NewSelection(2, 5);
    EXPECT_EQ(ErrorOf([&] { e.DeleteSelection(""); }), "Cannot update undo storage");
    EXPECT_EQ(ErrorOf([&] { e.ReplaceSelection(six, 0, "", true); }), "Cannot update undo storage");
    EXPECT_EQ(e.GetDataSize(), 8);
    EXPECT_FALSE(e.GetCanUndo());

    // Without a fixed size the selection may become longer or shorter.
    TOrixHexEditor g;
    LoadBytes(g, Pattern(8));
    g.NewSelection(2, 5);
    g.ReplaceSelection(six, 6, "", true);
    std::vector<uint8_t> want = Pattern(8);
    want.erase(want.begin() + 2, want.begin() + 6);
    want.insert(want.begin() + 2, six, six + 6);
    EXPECT_EQ(DataOf(g), want);
    EXPECT_EQ(g.SelFirst(), 2);
    EXPECT_EQ(g.SelLast(), 7);
    EXPECT_EQ(g.SelAnchor(), 7);
    EXPECT_EQ(g.GetCursorPos(), 7);
}

TEST(Editing, ReplaceCountedRange) {
    TestApp();
    const std::vector<uint8_t> src = {9, 9, 9, 9, 9, 9, 9, 9};
    struct Case {
        int pos, oldCount, newCount;
        bool fixed;
        int result;
        int size;
    } cases[] = {
        {10, 8, 8, false, 2, 12}, // both counts cut to the 2 bytes there are
        {2, 2, 4, false, 4, 14},  // grows
        {2, 4, 1, false, 1, 9},   // shrinks
        {2, 4, 1, true, 1, 12},   // fixed: both counts become 1
        {12, 0, 3, false, 3, 15}, // at the end
        {0, -1, 3, false, 0, 12}, // negative counts change nothing
        {0, 3, -1, false, 0, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos << " " << c.oldCount << " " << c.newCount);
        TOrixHexEditor e;
        LoadBytes(e, Pattern(12));
        e.SetNoSizeChange(c.fixed);
        EXPECT_EQ(e.Replace(src.data(), c.pos, c.oldCount, c.newCount, "", false), c.result);
        EXPECT_EQ(e.GetDataSize(), c.size);
        if (c.result > 0) {
            EXPECT_EQ(e.GetDataAt(c.pos), 9);
        }
    }
    TOrixHexEditor e;
    LoadBytes(e, Pattern(12));
    EXPECT_EQ(ErrorOf([&] { e.Replace(src.data(), 13, 1, 1, "", false); }),
              "Data position/length out of data bounds");
    EXPECT_EQ(ErrorOf([&] { e.Replace(src.data(), -1, 1, 1, "", false); }),
              "Data position/length out of data bounds");
    EXPECT_FALSE(e.GetCanUndo());
}

TEST(Editing, SetDataSize) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, {1, 2, 3, 4});
    int changes = 0;
    e.OnChange = [&](TCustomOrixHexEditor*) { ++changes; };
    e.SetDataSize(8);
    EXPECT_EQ(DataOf(e), (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 0, 0}));
    EXPECT_EQ(e.GetUndoDescription(), "Append buffer");
    EXPECT_TRUE(e.GetModified());
    EXPECT_EQ(changes, 0);
    e.SetGrowFillByte(0xEE);
    e.SetDataSize(10);
    EXPECT_EQ(e.GetDataAt(9), 0xEE);
    PutCaret(e, 9);
    e.SetDataSize(3);
    EXPECT_EQ(DataOf(e), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(e.GetUndoDescription(), "Remove data");
    EXPECT_EQ(e.GetCursorPos(), 2); // the caret was past the new end
    e.SetDataSize(-4);
    EXPECT_EQ(e.GetDataSize(), 3);

    e.SetNoSizeChange(true);
    EXPECT_EQ(ErrorOf([&] { e.SetDataSize(5); }), "Cannot change fixed filesize");
    EXPECT_EQ(e.GetDataSize(), 3);
    e.SetDataSize(0); // emptying fixed-size data is allowed
    EXPECT_EQ(e.GetDataSize(), 0);
    e.SetDataSize(4);
    EXPECT_EQ(e.GetDataSize(), 4);
    EXPECT_TRUE(e.IsFileSizeFixed());
}

TEST(Editing, BufferFromFile) {
    TestApp();
    TOrixHexEditor e;
    const std::vector<uint8_t> data = Pattern(8);
    LoadBytes(e, data);
    struct Case {
        int pos, count, wantCount;
    } cases[] = {{6, 10, 2}, {6, INT32_MAX, 2}, {0, 8, 8}, {3, 0, 0}, {3, -2, -2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos << " " << c.count);
        int32_t count = c.count;
        const std::vector<uint8_t> block = e.BufferFromFile(c.pos, count);
        EXPECT_EQ(count, c.wantCount);
        ASSERT_EQ(block.size(), static_cast<size_t>(std::max(0, c.wantCount)));
        for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], data[c.pos + i]);
    }
    for (int pos : {-1, 8}) {
        int32_t count = 1;
        EXPECT_EQ(ErrorOf([&] { e.BufferFromFile(pos, count); }),
                  "Invalid buffer from file argument");
    }
}

TEST(Editing, TextAndHexAccessors) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(4));
    e.SetAsText("Hello");
    EXPECT_EQ(e.GetAsText(), "Hello");
    EXPECT_EQ(e.GetAsHex(), "48656C6C6F");
    e.SetAsHex("01 02 0");
    EXPECT_EQ(DataOf(e), (std::vector<uint8_t>{1, 2}));
    e.NewSelection(1, 1);
    e.SetSelectionAsHex("ff");
    EXPECT_EQ(DataOf(e), (std::vector<uint8_t>{1, 0xFF}));
    e.NewSelection(0, 1);
    EXPECT_EQ(e.GetSelectionAsHex(), "01FF");
    e.SetSelectionAsText("");
    EXPECT_EQ(e.GetDataSize(), 2);
}

TEST(Editing, InsertModeSwitchRowsAndMarks) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(32));
    const int32_t rows = e.RowCount();
    e.SetChanged(3, true);
    e.SetInsertMode(true);
    EXPECT_EQ(e.RowCount(), rows + 1);
    EXPECT_EQ(e.ChangedByteMapSize(), 0);
    PutCaret(e, 32);
    e.SetInsertMode(false);
    EXPECT_EQ(e.RowCount(), rows);
    EXPECT_EQ(e.GetCursorPos(), 31);
    e.SetReadOnlyView(true);
    e.SetInsertMode(true); // not possible in a read-only view
    EXPECT_FALSE(e.GetInsertMode());
    e.SetReadOnlyView(false);
    e.SetInsertMode(true);
    e.SetNoSizeChange(true); // a fixed size ends insert mode
    e.SetNoSizeChange(false);
    EXPECT_FALSE(e.GetInsertMode());
}
