// Selection rules, mouse selection on the offscreen platform, the selection timer, the wheel
// and the selection notification.
#include "hex_test_env.h"

#include <QCursor>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {
// Opens the timer tick, so that a test can run exactly one.
class TickEditor : public TOrixHexEditorEx {
public:
    using TOrixHexEditorEx::WMTimer;
};

QPoint CellCenter(TCustomOrixHexEditor& e, int col, int row, int dx = 0) {
    const TRect r = e.CellRect(col, row);
    return QPoint(r.Left + 2 + dx, (r.Top + r.Bottom) / 2);
}

QPoint CellPoint(TCustomOrixHexEditor& e, int pos, bool inChar = false) {
    const TGridCoord c = e.GetCursorAtPos(pos, inChar);
    return CellCenter(e, c.X, c.Y);
}
} // namespace

TEST(Selection, UnitsAndEnds) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(10));
    e.SetBytesPerUnit(2);
    e.NewSelection(7, 2);
    EXPECT_EQ(e.GetSelStart(), 7);
    EXPECT_EQ(e.GetSelEnd(), 2);
    EXPECT_EQ(e.GetSelCount(), 6);
    e.NewSelection(3, 9);
    EXPECT_EQ(e.SelFirst(), 2);
    EXPECT_EQ(e.SelLast(), 9);
    EXPECT_EQ(e.SelAnchor(), 2);
    e.SetBytesPerUnit(4);
    e.NewSelection(4, 4);
    EXPECT_EQ(e.SelLast(), 7);
    LoadBytes(e, Pattern(6));
    e.NewSelection(4, 4);
    EXPECT_EQ(e.SelFirst(), 4);
    EXPECT_EQ(e.SelLast(), 5);
}

TEST(Selection, StartCountEnd) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(10));
    e.SetSelStart(3);
    e.SetSelCount(4);
    EXPECT_EQ(e.SelFirst(), 3);
    EXPECT_EQ(e.SelLast(), 6);
    EXPECT_EQ(e.GetCursorPos(), 3);
    e.SetSelCount(100);
    EXPECT_EQ(e.SelLast(), 9);
    e.SetSelCount(INT32_MAX); // no overflow
    EXPECT_EQ(e.SelLast(), 9);
    e.SetSelCount(0);
    EXPECT_EQ(e.GetSelCount(), 0);
    EXPECT_EQ(e.GetSelStart(), 3);
    e.SetSelCount(-5);
    EXPECT_EQ(e.GetSelCount(), 0);
    e.SetSelEnd(5);
    EXPECT_EQ(e.GetSelCount(), 3);
    e.SetSelEnd(-1);
    EXPECT_EQ(e.GetSelCount(), 0);
    struct Case {
        void (TCustomOrixHexEditor::*setter)(int32_t);
        int32_t value;
        const char* message;
    };
    const Case cases[] = {{&TCustomOrixHexEditor::SetSelEnd, 10, "Invalid selection end"},
                          {&TCustomOrixHexEditor::SetSelEnd, -2, "Invalid selection end"},
                          {&TCustomOrixHexEditor::SetSelStart, 10, "Invalid selection start"},
                          {&TCustomOrixHexEditor::SetSelStart, -1, "Invalid selection start"}};
    for (const Case& c : cases) {
        try {
            (e.*c.setter)(c.value);
            ADD_FAILURE() << c.value;
        } catch (const EOrixHexEditor& x) {
            EXPECT_STREQ(x.what(), c.message);
        }
    }
    e.SelectAll();
    EXPECT_EQ(e.GetSelStart(), 0);
    EXPECT_EQ(e.GetSelEnd(), 9);
}

TEST(Selection, OneNotificationPerBurst) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(10));
    QApplication::processEvents();
    int calls = 0;
    e.NewSelection(1, 2);
    e.NewSelection(1, 3);
    e.OnSelectionChanged = [&](TCustomOrixHexEditor*) { ++calls; };
    e.NewSelection(1, 4);
    QApplication::processEvents();
    EXPECT_EQ(calls, 1);
    e.NewSelection(2, 4);
    QApplication::processEvents();
    EXPECT_EQ(calls, 2);
}

TEST(MouseSelection, DragInOverwriteAndInsertMode) {
    struct Case {
        bool insert;
        std::vector<int> path; // positions the pointer moves over after the press on 4
        int first, last;       // -1: nothing selected
    };
    const Case cases[] = {{false, {7}, 4, 7},     {true, {7}, 4, 6},      {true, {}, -1, -1},
                          {true, {5, 2}, 2, 3},   {true, {7, 4}, -1, -1}, {false, {7, 4}, 4, 4},
                          {true, {7, 4, 6}, 4, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.insert << " over " << c.path.size());
        ShownEditor e(64);
        e->SetInsertMode(c.insert);
        QWidget* view = e->viewport();
        QTest::mousePress(view, Qt::LeftButton, {}, CellPoint(*e, 4));
        EXPECT_TRUE(e->Selecting());
        int at = 4;
        for (int pos : c.path) {
            QTest::mouseMove(view, CellPoint(*e, pos));
            at = pos;
        }
        QTest::mouseRelease(view, Qt::LeftButton, {}, CellPoint(*e, at));
        EXPECT_FALSE(e->Selecting());
        EXPECT_EQ(e->SelFirst(), c.first);
        EXPECT_EQ(e->SelLast(), c.last);
        EXPECT_EQ(e->GetCursorPos(), at);
    }
}

TEST(MouseSelection, InsertModeClickPicksTheNearerGap) {
    ShownEditor e(64);
    e->SetInsertMode(true);
    const int cw = e->CharPixelWidth();
    // Right half of the second digit of byte 3: the caret goes before byte 4.
    const TRect second = e->CellRect(2 + 2 * 3 + 1, 2);
    QTest::mouseClick(e->viewport(), Qt::LeftButton, {},
                      QPoint(second.Left + cw / 2 + 1, (second.Top + second.Bottom) / 2));
    EXPECT_EQ(e->Col(), 2 + 2 * 4);
    // Right half of the last character of a row: first character of the next row.
    const TRect last = e->CellRect(e->GetLastCharCol(), 2);
    QTest::mouseClick(e->viewport(), Qt::LeftButton, {},
                      QPoint(last.Left + cw / 2 + 2, (last.Top + last.Bottom) / 2));
    EXPECT_EQ(e->Col(), 35);
    EXPECT_EQ(e->Row(), 3);
}

TEST(MouseSelection, ClickOnSelectionDropsItCursorShapes) {
    ShownEditor e(64);
    e->NewSelection(4, 9);
    QWidget* view = e->viewport();
    QTest::mouseMove(view, CellPoint(*e, 6));
    EXPECT_EQ(e->Cursor(), crArrow);
    QTest::mouseMove(view, CellPoint(*e, 20));
    EXPECT_EQ(e->Cursor(), crIBeam);
    QTest::mouseMove(view, QPoint(5, CellPoint(*e, 20).y()));
    EXPECT_EQ(e->Cursor(), crArrow);
    QTest::mousePress(view, Qt::LeftButton, {}, CellPoint(*e, 6));
    EXPECT_EQ(e->GetSelCount(), 6); // kept for a drag
    QTest::mouseRelease(view, Qt::LeftButton, {}, CellPoint(*e, 6));
    EXPECT_EQ(e->GetSelCount(), 0);
    EXPECT_EQ(e->GetCursorPos(), 6);
}

TEST(MouseSelection, TimerScrollsOneRowPerTick) {
    TestApp();
    TCustomGrid::ReportException() = [](const std::exception& x) { ADD_FAILURE() << x.what(); };
    TickEditor e;
    e.resize(700, 300);
    LoadBytes(e, Pattern(16 * 200));
    e.show();
    e.setFocus();
    QApplication::processEvents();
    QWidget* view = e.viewport();
    QTest::mousePress(view, Qt::LeftButton, {}, CellPoint(e, 16 * 3));
    ASSERT_TRUE(e.Selecting());
    // The pointer below the window, over data rows not shown.
    QCursor::setPos(view->mapToGlobal(QPoint(CellPoint(e, 0).x(), view->height() + 5)));
    const int top = e.TopRow();
    const int last = e.SelLast();
    e.WMTimer();
    EXPECT_EQ(e.TopRow(), top + 1);
    e.WMTimer();
    EXPECT_EQ(e.TopRow(), top + 2);
    EXPECT_GT(e.SelLast(), last);
    // Pointer inside the fully visible cells: no scrolling.
    QCursor::setPos(view->mapToGlobal(CellPoint(e, e.DisplayStart() + 20)));
    e.WMTimer();
    EXPECT_EQ(e.TopRow(), top + 2);
    // The real 60 ms timer does the same.
    QCursor::setPos(view->mapToGlobal(QPoint(CellPoint(e, 0).x(), view->height() + 5)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return e.TopRow() >= top + 4; }, 2000));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(10, view->height() - 2));
    const int stopped = e.TopRow();
    QTest::qWait(200);
    EXPECT_EQ(e.TopRow(), stopped);
}

TEST(Scrolling, WheelPagesWithoutMovingTheCaret) {
    ShownEditor e(16 * 200);
    const int v = e->VisibleRowCount();
    const int col = e->Col(), row = e->Row();
    QTest::mouseMove(e->viewport(), CellPoint(*e, 0)); // no effect on the caret
    QWheelEvent down(QPointF(50, 50), e->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(e->viewport(), &down);
    EXPECT_EQ(e->TopRow(), 2 + v - 1);
    EXPECT_EQ(e->Col(), col);
    EXPECT_EQ(e->Row(), row);
    QWheelEvent up(QPointF(50, 50), e->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                   QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(e->viewport(), &up);
    EXPECT_EQ(e->TopRow(), 2);
}

TEST(Scrolling, WheelWithOneVisibleRowStillMoves) {
    ShownEditor e(16 * 200, 700, 30);
    ASSERT_LE(e->VisibleRowCount(), 1);
    const int top = e->TopRow();
    QWheelEvent down(QPointF(50, 20), e->viewport()->mapToGlobal(QPointF(50, 20)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(e->viewport(), &down);
    EXPECT_EQ(e->TopRow(), top + 1);
}

TEST(SyncView, CopiesViewCaretAndSelection) {
    ShownEditor source(16 * 100);
    ShownEditor target(16 * 100);
    source->SetTopRow(20);
    source->SetSelStart(16 * 25 + 3);
    source->NewSelection(16 * 25 + 3, 16 * 25 + 9);
    target->SyncView(*source, 0);
    EXPECT_EQ(target->TopRow(), source->TopRow());
    EXPECT_EQ(target->Col(), source->Col());
    EXPECT_EQ(target->Row(), source->Row());
    EXPECT_EQ(target->SelFirst(), 16 * 25 + 3);
    EXPECT_EQ(target->SelLast(), 16 * 25 + 9);
    target->SyncView(*source, 16);
    EXPECT_EQ(target->GetCursorPos(), 16 * 26 + 3);
    EXPECT_EQ(target->SelFirst(), 16 * 26 + 3);
    EXPECT_EQ(target->SelLast(), 16 * 26 + 9);
    // Into a smaller editor of another geometry: caret and selection stay inside its data.
    ShownEditor small(40);
    small->SetBytesPerRow(8);
    small->SyncView(*source, 0);
    EXPECT_EQ(small->GetCursorPos(), 39);
    EXPECT_LT(small->Row(), small->RowCount());
    EXPECT_EQ(small->SelFirst(), 39);
    EXPECT_EQ(small->SelLast(), 39);
    source->ResetSelection(true);
    small->SyncView(*source, 0);
    EXPECT_EQ(small->GetSelCount(), 0);
}

TEST(SyncView, SameGeometryWithTheSourceCaretPastTheData) {
    ShownEditor source(16 * 100);
    ShownEditor small(16 * 4);
    source->SetSelStart(16 * 90);
    small->SyncView(*source, 0);
    EXPECT_LT(small->Row(), small->RowCount());
    EXPECT_EQ(small->GetCursorPos(), 16 * 4 - 1);
}
