// Cells and positions, the other field, Seek and the cell checks.
#include "hex_test_env.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(Cells, CellToPositionAndBack) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(0x60));
    struct Case {
        int col, row, pos;
        bool inChar;
    };
    const Case cases[] = {{12, 4, 0x25, false}, {13, 4, 0x25, false}, {40, 4, 0x25, true},
                          {34, 4, 0x30, false}, {2, 2, 0, false},     {35, 2, 0, true},
                          {50, 3, 31, true},    {0, 0, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << "," << c.row);
        // The queries give the same position and leave the recorded field alone.
        const bool before = e.CaretInCharField();
        EXPECT_EQ(e.PositionAt(c.col, c.row), c.pos);
        EXPECT_EQ(e.GetPositionAtCursor(c.col, c.row), c.pos);
        EXPECT_EQ(e.CaretInCharField(), before);
        EXPECT_EQ(e.GetPosAtCursor(c.col, c.row), c.pos);
        EXPECT_EQ(e.CaretInCharField(), c.inChar);
    }
    // Asking for the selection's ends or the current byte records no field either.
    e.MoveColRow(12, 4, true, true);
    e.GetPosAtCursor(40, 4);
    EXPECT_EQ(e.GetSelStart(), 0x25);
    EXPECT_EQ(e.GetSelEnd(), 0x25);
    EXPECT_EQ(e.GetCurrentValue(), e.GetDataAt(0x25));
    EXPECT_TRUE(e.CaretInCharField());
    EXPECT_EQ(e.GetCursorAtPos(0x25, false), GridCoord(12, 4));
    EXPECT_EQ(e.GetCursorAtPos(0x25, true), GridCoord(40, 4));
    EXPECT_EQ(e.GetCursorAtPos(-7, true), GridCoord(2, 2));
    EXPECT_EQ(e.GetOtherFieldColCheck(40), 12);
    EXPECT_EQ(e.GetOtherFieldColCheck(13), 40);
    // The last positions of a 2 GiB range at one byte per row give the last row, not an overflow.
    e.SetBytesPerRow(1);
    EXPECT_EQ(e.GetRow(INT32_MAX - 1), INT32_MAX);
    EXPECT_EQ(e.GetRow(INT32_MAX), INT32_MAX);
}

TEST(Cells, UnicodeColumns) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(0x40));
    e.SetUnicodeCharacters(true);
    EXPECT_EQ(e.GetPosAtCursor(36, 2), 2);
    EXPECT_EQ(e.GetOtherFieldCol(36), 6);
    EXPECT_EQ(e.GetOtherFieldCol(9), 36);
    EXPECT_EQ(e.GetCursorAtPos(3, true), GridCoord(36, 2));
}

TEST(Cells, EmptyData) {
    TestApp();
    TOrixHexEditor e;
    e.CreateEmptyFile("");
    EXPECT_FALSE(e.GetInCharField());
    EXPECT_EQ(e.GetCursorPos(), 0);
    EXPECT_EQ(e.GetCurrentValue(), -1);
    EXPECT_EQ(e.Seek(0, 0), -1);
    e.MoveColRow(35, 2, true, true); // first character column
    EXPECT_EQ(e.Col(), 35);
    e.MoveColRow(4, 2, true, true); // refused
    EXPECT_EQ(e.Col(), 35);
    e.MoveColRow(2, 2, true, true);
    EXPECT_EQ(e.Col(), 2);
}

TEST(Cells, MovesPastTheEndLandOnValidCells) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(20));
    e.MoveColRow(20, 3, true, true); // byte 25
    EXPECT_EQ(e.Col(), 8);
    EXPECT_EQ(e.Row(), 3);
    e.SetInsertMode(true);
    e.MoveColRow(20, 3, true, true);
    EXPECT_EQ(e.Col(), 10); // the append position 20
    e.MoveColRow(11, 3, true, true);
    EXPECT_EQ(e.Col(), 10);
    // The separator never takes the caret.
    e.MoveColRow(4, 2, true, true);
    e.MoveColRow(34, 2, true, true);
    EXPECT_EQ(e.Col(), 4);
    // Every move raises the grid error outside the grid.
    EXPECT_THROW(e.MoveColRow(51, 2, true, true), EInvalidGridOperation);
}

TEST(Cells, Seek) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(40));
    EXPECT_EQ(e.Seek(0, 2), 39);
    EXPECT_EQ(e.GetCursorPos(), 39);
    e.Seek(3, 0);
    EXPECT_EQ(e.Seek(-5, 1), 0);
    e.Seek(7, 0);
    EXPECT_EQ(e.Seek(100, 7), 7);
    EXPECT_EQ(e.Seek(1000, 0), 39);
    EXPECT_EQ(e.Seek(INT32_MIN, 1), 0);
}

TEST(Cells, SetTopLeftPositionStaysInGrid) {
    TestApp();
    ShownEditor e(4000);
    e->SetTopLeftPosition(16 * 100, false);
    EXPECT_EQ(e->TopRow(), 102);
    e->SetTopLeftPosition(INT32_MAX, true); // far past the data
    EXPECT_LE(e->TopRow(), e->RowCount() - 1);
    EXPECT_LE(e->LeftCol(), e->ColCount() - 1);
}

TEST(Caret, ShapeFollowsKindInsertSwitchAndReadOnlyView) {
    ShownEditor e(64);
    ASSERT_TRUE(e->hasFocus());
    const int w = e->CharPixelWidth(), h = e->CharPixelHeight() - 2;
    const QRect full(0, 0, w, h), left(0, 0, 2, h), bottom(0, h - 2, w, 2);
    EXPECT_EQ(e->Caret().Area(), full); // automatic, overwrite mode
    e->SetInsertMode(true);
    EXPECT_EQ(e->Caret().Area(), left);
    e->SetInsertMode(false);
    e->SetReadOnlyView(true);
    EXPECT_EQ(e->Caret().Area(), bottom);
    e->SetReadOnlyView(false);
    EXPECT_EQ(e->Caret().Area(), full);
    e->SetCaretKind(ckLeft);
    EXPECT_EQ(e->Caret().Area(), left);
    e->SetCaretKind(ckBottom);
    EXPECT_EQ(e->Caret().Area(), bottom);
    e->SetCaretKind(ckFull);
    e->SetInsertMode(true); // a fixed kind ignores the switch
    EXPECT_EQ(e->Caret().Area(), full);
}

TEST(Caret, PlacedOnTheCellBlinksAndLivesOnlyWithTheFocus) {
    ShownEditor e(64);
    e->SetSelStart(5);
    const TRect cell = e->CellRect(e->Col(), e->Row());
    EXPECT_EQ(e->Caret().Pos(), QPoint(cell.Left, cell.Top));
    EXPECT_TRUE(e->Caret().Visible());
    EXPECT_FALSE(e->ActiveFieldIsChar());
    // The caret inverts its cell on the screen: the white background under it turns black.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !e->Caret().InvertedArea().isEmpty(); }, 1500));
    const QImage on = e->viewport()->grab().toImage();
    EXPECT_EQ(on.pixelColor(cell.Left + 1, cell.Bottom - 3), QColor(0, 0, 0));
    // It blinks.
    EXPECT_TRUE(QTest::qWaitFor([&] { return e->Caret().InvertedArea().isEmpty(); }, 1500));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !e->Caret().InvertedArea().isEmpty(); }, 1500));
    // Unfocused: no caret, and placing it changes neither the caret nor the active field.
    e->clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(e->Caret().Exists());
    const QImage off = e->viewport()->grab().toImage();
    EXPECT_EQ(off.pixelColor(cell.Left + 1, cell.Bottom - 3), QColor(255, 255, 255));
    const QPoint before = e->Caret().Pos();
    e->SetInCharField(true);
    EXPECT_TRUE(e->GetInCharField());
    EXPECT_EQ(e->Caret().Pos(), before);
    EXPECT_FALSE(e->ActiveFieldIsChar());
    e->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(e->Caret().Visible());
    EXPECT_TRUE(e->ActiveFieldIsChar());
}

TEST(Cells, GapWithLeftButtonLandsOnTheLastDigit) {
    ShownEditor e(64);
    QWidget* view = e->viewport();
    const TRect gap = e->CellRect(34, 3);
    // A drag from byte 2 of row 1 into the gap column continues on the row's last digit.
    const TRect from = e->CellRect(2 + 2 * 2, 3);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(from.Left + 2, from.Top + 3));
    QTest::mouseMove(view, QPoint(gap.Left + 2, gap.Top + 3));
    EXPECT_EQ(e->Col(), 33);
    EXPECT_EQ(e->Row(), 3);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(gap.Left + 2, gap.Top + 3));
    EXPECT_EQ(e->SelFirst(), 16 + 2);
    EXPECT_EQ(e->SelLast(), 31);
}

TEST(Cells, UnicodeModeKeepsTheCaretInTheShorterRow) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(0x40));
    e.MoveColRow(e.GetLastCharCol(), 3, true, true); // the last character of row 1
    ASSERT_EQ(e.GetCursorPos(), 31);
    e.SetUnicodeCharacters(true);
    EXPECT_LT(e.Col(), e.ColCount());
    EXPECT_TRUE(e.GetInCharField());
    EXPECT_EQ(e.GetCursorPos(), 30); // the unit of bytes 30 and 31
    e.SetUnicodeCharacters(false);
    EXPECT_EQ(e.GetCursorPos(), 30);
}

// A gutter wider than the client hides every data cell: the caret goes off the screen, and
// a click anywhere lands on the gutter and leaves the caret where it was.
TEST(Cells, GutterWiderThanTheClientHidesTheDataCells) {
    for (const int32_t gutter : {1000000, INT32_MAX - 5, INT32_MAX}) {
        SCOPED_TRACE(gutter);
        ShownEditor e(100);
        e->SetGutterWidth(gutter);
        EXPECT_EQ(e->CellRect(2, 2), TRect{});
        EXPECT_EQ(e->CellRect(e->Col(), e->Row()), TRect{});
        EXPECT_EQ(e->VisibleColCount(), 0);
        const int32_t col = e->Col(), row = e->Row();
        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, QPoint(e->ClientWidth() - 3, 40));
        EXPECT_EQ(e->Col(), col);
        EXPECT_EQ(e->Row(), row);
        e->viewport()->repaint();
    }
}
