// The grid layer on its own: counts and sizes, the current cell through SelectCell, top-left
// limits, cell geometry and hit tests, scroll bars in cells, and visiting only visible cells.
#include "hex_test_env.h"

#include <QScrollBar>
#include <gtest/gtest.h>

namespace {
class CountingGrid : public TCustomGrid {
public:
    int drawn = 0;
    int refuseColumn = -1;
    int topLeftChanges = 0;
    using TCustomGrid::TCustomGrid;

protected:
    void DrawCell(int32_t, int32_t, const TRect&) override { ++drawn; }
    bool SelectCell(int32_t column, int32_t) override { return column != refuseColumn; }
    void TopLeftChanged() override { ++topLeftChanges; }
};

// The application object exists before the grid member is built.
struct WithApp {
    WithApp() { TestApp(); }
};

struct GridFixture : testing::Test, WithApp {
    CountingGrid grid;
    GridFixture() {
        grid.resize(400, 300);
        grid.SetColCount(20);
        grid.SetRowCount(4000000);
        grid.SetFixedCols(1);
        grid.SetFixedRows(1);
        grid.SetDefaultColWidth(50);
        grid.SetDefaultRowHeight(20);
        grid.show();
        QApplication::processEvents();
    }
};
} // namespace

TEST_F(GridFixture, PaintsOnlyVisibleCells) {
    grid.drawn = 0;
    grid.viewport()->repaint();
    const int visibleCols = grid.VisibleColCount() + 2; // fixed and partly shown ones
    const int visibleRows = grid.VisibleRowCount() + 2;
    EXPECT_GT(grid.drawn, 0);
    EXPECT_LE(grid.drawn, visibleCols * visibleRows);
    grid.SetTopRow(3999000);
    grid.drawn = 0;
    grid.viewport()->repaint();
    EXPECT_LE(grid.drawn, visibleCols * visibleRows);
}

TEST_F(GridFixture, CurrentCellThroughSelectCell) {
    grid.MoveColRow(3, 5, true, true);
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(grid.Row(), 5);
    EXPECT_EQ(grid.Anchor(), GridCoord(3, 5));
    grid.refuseColumn = 4;
    grid.MoveColRow(4, 6, true, true);
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(grid.Row(), 5);
    grid.MoveColRow(5, 7, false, true);
    EXPECT_EQ(grid.Anchor(), GridCoord(3, 5));
    for (TGridCoord bad : {GridCoord(20, 1), GridCoord(1, 4000000), GridCoord(-1, 2)}) {
        try {
            grid.MoveColRow(bad.X, bad.Y, true, true);
            ADD_FAILURE() << bad.X << "," << bad.Y;
        } catch (const EInvalidGridOperation& x) {
            EXPECT_STREQ(x.what(), "Grid index out of range");
        }
    }
    // Moving far down scrolls the cell into view.
    grid.MoveColRow(2, 3000000, true, true);
    EXPECT_NE(grid.CellRect(2, 3000000), TRect{});
    EXPECT_EQ(grid.TopRow() + grid.VisibleRowCount() - 1, 3000000);
}

TEST_F(GridFixture, SizesCountsAndLimits) {
    grid.SetRowHeight(7, 45);
    EXPECT_EQ(grid.RowHeight(7), 45);
    EXPECT_EQ(grid.RowHeight(8), 20);
    grid.SetDefaultRowHeight(22); // overrides go
    EXPECT_EQ(grid.RowHeight(7), 22);
    grid.SetColWidth(2, 80);
    EXPECT_EQ(grid.ColWidth(2), 80);
    EXPECT_THROW(grid.SetColWidth(20, 5), EInvalidGridOperation);
    // Top row and left column stay between the fixed cells and the last full page.
    grid.SetTopRow(0);
    EXPECT_EQ(grid.TopRow(), 1);
    grid.SetTopRow(INT32_MAX);
    EXPECT_EQ(grid.TopRow(), grid.MaxTopRow());
    EXPECT_EQ(grid.TopRow() + grid.VisibleRowCount(), grid.RowCount());
    grid.SetLeftCol(100);
    EXPECT_EQ(grid.LeftCol(), grid.MaxLeftCol());
    // Shrinking the counts pulls the current cell, the anchor and the top-left cell in.
    grid.MoveColRow(19, 3999999, true, true);
    grid.SetRowCount(10);
    grid.SetColCount(5);
    EXPECT_EQ(grid.Row(), 9);
    EXPECT_EQ(grid.Col(), 4);
    EXPECT_EQ(grid.Anchor(), GridCoord(4, 9));
    EXPECT_LE(grid.TopRow(), 9);
    EXPECT_LE(grid.LeftCol(), 4);
}

TEST_F(GridFixture, CellRectAndMouseCoord) {
    grid.SetTopRow(100);
    grid.SetLeftCol(3);
    EXPECT_EQ(grid.CellRect(0, 0), (TRect{0, 0, 50, 20}));
    EXPECT_EQ(grid.CellRect(3, 100), (TRect{50, 20, 100, 40}));
    EXPECT_EQ(grid.CellRect(2, 100), TRect{}); // scrolled out to the left
    EXPECT_EQ(grid.CellRect(3, 99), TRect{});  // above the top row
    EXPECT_EQ(grid.MouseCoord(10, 10), GridCoord(0, 0));
    EXPECT_EQ(grid.MouseCoord(60, 25), GridCoord(3, 100));
    EXPECT_EQ(grid.MouseCoord(60, 45), GridCoord(3, 101));
    EXPECT_EQ(grid.MouseCoord(-3, 45), GridCoord(0, 101));
    EXPECT_EQ(grid.MouseCoord(50 * 19, 45).X, -1); // right of the last column
}

TEST_F(GridFixture, ScrollBarsCountCellsAndTrackTheThumb) {
    QScrollBar* v = grid.verticalScrollBar();
    EXPECT_TRUE(v->hasTracking());
    EXPECT_EQ(v->minimum(), 1);
    EXPECT_EQ(v->maximum(), grid.MaxTopRow());
    EXPECT_EQ(v->pageStep(), grid.VisibleRowCount());
    grid.SetTopRow(500);
    EXPECT_EQ(v->value(), 500);
    const int changes = grid.topLeftChanges;
    v->setValue(1234);
    EXPECT_EQ(grid.TopRow(), 1234);
    EXPECT_EQ(grid.topLeftChanges, changes + 1);
    QScrollBar* h = grid.horizontalScrollBar();
    h->setValue(5);
    EXPECT_EQ(grid.LeftCol(), 5);
}

// Fixed columns wider than the client leave no room for the others, whatever their sum: no
// scrolling cell shows and none counts as visible.
TEST_F(GridFixture, FixedColumnsWiderThanTheClient) {
    grid.SetFixedCols(2);
    grid.SetColWidth(1, 6);
    for (const int32_t gutter : {1000000, INT32_MAX - 5, INT32_MAX}) {
        SCOPED_TRACE(gutter);
        grid.SetColWidth(0, gutter);
        grid.SetLeftCol(2);
        EXPECT_EQ(grid.CellRect(0, 1), (TRect{0, 20, gutter, 40}));
        EXPECT_EQ(grid.CellRect(1, 1), TRect{}); // begins right of the client
        EXPECT_EQ(grid.CellRect(2, 1), TRect{});
        EXPECT_EQ(grid.VisibleColCount(), 0);
        EXPECT_EQ(grid.MouseCoord(390, 25), GridCoord(0, 1));
        const TCustomGrid::DrawInfo info = grid.CalcDrawInfo();
        EXPECT_EQ(info.FixedBoundaryX, grid.ClientWidth());
        EXPECT_EQ(info.GridBoundaryX, grid.ClientWidth());
        grid.drawn = 0;
        grid.viewport()->repaint();
        EXPECT_GT(grid.drawn, 0);
    }
}
