// Every integer setter of the control at the extremes of its type. Whatever a setter accepts or
// refuses, the control then paints, moves the caret and maps its cells back to positions, and
// no value reaches undefined behaviour: CI runs this suite under the sanitizers.
#include "hex_test_env.h"

#include <QContextMenuEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {
const int32_t kExtremes[] = {INT32_MIN, -1, 0, 1, int32_t{1} << 30, INT32_MAX - 5, INT32_MAX};

// The editor with its protected property adaptor in reach.
class ProbeEditor : public TOrixHexEditorEx {
public:
    using TCustomOrixHexEditor::SetRulerNumberBaseInt;
};

struct Setter {
    const char* name;
    std::function<void(ProbeEditor&, int32_t)> set;
};

const Setter kSetters[] = {
    {"BytesPerRow", [](ProbeEditor& e, int32_t v) { e.SetBytesPerRow(v); }},
    {"BytesPerColumn", [](ProbeEditor& e, int32_t v) { e.SetBytesPerColumn(v); }},
    {"BytesPerBlock", [](ProbeEditor& e, int32_t v) { e.SetBlockSize(v); }},
    {"BytesPerBlock, char field blocks off",
     [](ProbeEditor& e, int32_t v) {
         e.SetSepCharBlocks(false);
         e.SetBlockSize(v);
     }},
    {"BytesPerUnit", [](ProbeEditor& e, int32_t v) { e.SetBytesPerUnit(v); }},
    {"RulerBytesPerUnit", [](ProbeEditor& e, int32_t v) { e.SetRulerBytesPerUnit(v); }},
    {"RulerNumberBase", [](ProbeEditor& e, int32_t v) { e.SetRulerNumberBaseInt(v); }},
    {"GutterWidth", [](ProbeEditor& e, int32_t v) { e.SetGutterWidth(v); }},
    {"MaxUndo", [](ProbeEditor& e, int32_t v) { e.SetMaxUndo(v); }},
    {"TopLeftPosition hex", [](ProbeEditor& e, int32_t v) { e.SetTopLeftPosition(v, false); }},
    {"TopLeftPosition char", [](ProbeEditor& e, int32_t v) { e.SetTopLeftPosition(v, true); }},
    {"SelStart", [](ProbeEditor& e, int32_t v) { e.SetSelStart(v); }},
    {"SelEnd", [](ProbeEditor& e, int32_t v) { e.SetSelEnd(v); }},
    {"SelCount", [](ProbeEditor& e, int32_t v) { e.SetSelCount(v); }},
    {"Seek from the start", [](ProbeEditor& e, int32_t v) { e.Seek(v, 0); }},
    {"Seek from the caret", [](ProbeEditor& e, int32_t v) { e.Seek(v, 1); }},
    {"Seek from the end", [](ProbeEditor& e, int32_t v) { e.Seek(v, 2); }},
    {"Seek origin", [](ProbeEditor& e, int32_t v) { e.Seek(3, v); }},
    {"TopRow", [](ProbeEditor& e, int32_t v) { e.SetTopRow(v); }},
    {"LeftCol", [](ProbeEditor& e, int32_t v) { e.SetLeftCol(v); }},
    {"Bookmark", [](ProbeEditor& e, int32_t v) { e.SetBookmarkVals(1, v, false); }},
    // Sizes from 1 GiB up would only measure the allocator.
    {"DataSize",
     [](ProbeEditor& e, int32_t v) {
         if (v < (int32_t{1} << 20)) e.SetDataSize(v);
     }},
};

// Every cell in view lies inside the client area, and the cells counted as fully visible fit
// beside the fixed columns.
void ExpectCellsInView(ProbeEditor& e) {
    const int32_t w = e.ClientWidth(), h = e.ClientHeight();
    for (int32_t r = 0; r < std::min(e.RowCount(), e.TopRow() + 3); ++r) {
        for (int32_t c = 0; c < e.ColCount(); ++c) {
            const TRect rect = e.CellRect(c, r);
            if (rect == TRect{}) continue;
            EXPECT_GE(rect.Left, 0) << c << "," << r;
            EXPECT_LT(rect.Left, w) << c << "," << r;
            EXPECT_GE(rect.Right, rect.Left) << c << "," << r;
            EXPECT_GE(rect.Top, 0) << c << "," << r;
            EXPECT_LT(rect.Top, h) << c << "," << r;
        }
    }
    int64_t fixed = 0;
    for (int32_t c = 0; c < e.FixedCols(); ++c) fixed += e.ColWidth(c);
    int64_t shown = 0;
    for (int32_t c = e.LeftCol(); c < e.LeftCol() + e.VisibleColCount(); ++c)
        shown += e.ColWidth(c);
    EXPECT_LE(shown, std::max<int64_t>(0, w - fixed));
}

// Every position has a cell inside the grid, and that cell shows the position.
void ExpectPositionsMapBack(ProbeEditor& e) {
    for (int32_t p = 0; p < e.GetDataSize(); ++p) {
        for (const bool inChar : {false, true}) {
            const TGridCoord cell = e.GetCursorAtPos(p, inChar);
            ASSERT_LT(cell.X, e.ColCount()) << p;
            ASSERT_LT(cell.Y, e.RowCount()) << p;
            const int32_t unit = inChar && e.GetUnicodeChars() ? 2 : 1;
            EXPECT_EQ(e.PositionAt(cell.X, cell.Y), p / unit * unit) << p;
            EXPECT_EQ(e.GetIsCharFieldCol(cell.X), inChar) << p;
        }
    }
}

void Exercise(ProbeEditor& e) {
    e.viewport()->repaint();
    // Through the smallest size and back: the automatic row length is chosen anew each time.
    const QSize size = e.size();
    e.resize(1, 1);
    QApplication::processEvents();
    e.resize(size);
    QApplication::processEvents();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Right, {}},
        {Qt::Key_Down, {}},
        {Qt::Key_PageDown, {}},
        {Qt::Key_End, {}},
        {Qt::Key_Tab, {}},
        {Qt::Key_Left, {}},
        {Qt::Key_PageUp, {}},
        {Qt::Key_End, Qt::ControlModifier},
        {Qt::Key_Up, {}},
        {Qt::Key_PageDown, Qt::ControlModifier},
        {Qt::Key_Home, {}},
        {Qt::Key_Right, Qt::ShiftModifier},
        {Qt::Key_Tab, {}},
        {Qt::Key_Home, Qt::ControlModifier},
        {Qt::Key_1, Qt::ControlModifier},
    };
    for (const auto& [key, mods] : keys) {
        QTest::keyClick(&e, key, mods);
        const TRect caret = e.CellRect(e.Col(), e.Row());
        if (caret != TRect{}) {
            EXPECT_LT(caret.Left, e.ClientWidth()) << key;
        }
    }
    QTest::keyClick(&e, 'a');
    e.Undo();
    QTest::mouseClick(e.viewport(), Qt::LeftButton, {},
                      QPoint(e.ClientWidth() / 2, e.ClientHeight() / 2));
    QTest::mouseClick(e.viewport(), Qt::LeftButton, {}, QPoint(e.ClientWidth() - 2, 30));
    // The offsets' own menu asks whether a point lies on the gutter or the ruler.
    TPopupMenu offsets;
    offsets.addAction("offsets");
    e.SetOffsetPopupMenu(&offsets);
    const QPoint corner(2, 2);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, corner, e.viewport()->mapToGlobal(corner));
    QApplication::sendEvent(e.viewport(), &menu);
    offsets.hide();
    e.SetOffsetPopupMenu(nullptr);
    e.viewport()->repaint();
    ExpectCellsInView(e);
    ExpectPositionsMapBack(e);
}
} // namespace

TEST(Extremes, EverySetterAtTheEndsOfItsRange) {
    TestApp();
    TCustomGrid::ReportException() = [](const std::exception& x) {
        ADD_FAILURE() << "exception in event handler: " << x.what();
    };
    struct Config {
        const char* name;
        int width, height;
        bool unicode, autoFit;
    } configs[] = {
        {"plain", 700, 200, false, false},
        {"unicode, fitted", 700, 200, true, true},
        {"fitted into 1 x 1", 1, 1, false, true},
    };
    for (const Config& config : configs) {
        for (const Setter& s : kSetters) {
            for (const int32_t v : kExtremes) {
                SCOPED_TRACE(testing::Message() << config.name << ": " << s.name << " = " << v);
                ProbeEditor e;
                e.resize(config.width, config.height);
                LoadBytes(e, Pattern(100));
                e.SetUnicodeCharacters(config.unicode);
                e.SetAutoBytesPerRow(config.autoFit);
                e.show();
                e.setFocus();
                QApplication::processEvents();
                try {
                    s.set(e, v);
                } catch (const EOrixHexEditor&) {
                    // A refusal with its message; the layout is the previous one.
                } catch (const EPropertyConvertError&) {
                }
                QApplication::processEvents();
                Exercise(e);
            }
        }
    }
}

// The mapping functions accept any cell and column, also the ends of the integer range: a
// negative position is 0, and a column beyond the type stays beyond every grid.
TEST(Extremes, CellMappingAtTheEndsOfTheRange) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, Pattern(64)); // 16 bytes a row: the character field starts at column 35
    struct Position {
        int32_t column, row, want;
    };
    const Position positions[] = {
        {INT32_MIN, INT32_MIN, 0},
        {2, INT32_MIN, 0},
        {INT32_MIN, 2, 0},
        {INT32_MIN, INT32_MAX, INT32_MAX},
        {INT32_MAX, INT32_MAX, INT32_MAX},
        {INT32_MAX, 2, INT32_MAX - 35},
        {13, 4, 0x25},
        {40, 4, 0x25},
    };
    for (const Position& p : positions)
        EXPECT_EQ(e.PositionAt(p.column, p.row), p.want) << p.column << "," << p.row;
    struct Other {
        bool unicode;
        int32_t column, want;
    };
    const Other others[] = {
        {false, INT32_MAX, INT32_MAX},
        {false, INT32_MAX - 5, INT32_MAX},
        {false, INT32_MIN, 35 - 1073741825},
        {false, 9, 38},
        {true, INT32_MAX, INT32_MAX},
        {true, INT32_MIN, 35 - 536870912},
        {true, 36, 6},
    };
    for (const Other& o : others) {
        e.SetUnicodeCharacters(o.unicode);
        EXPECT_EQ(e.GetOtherFieldColCheck(o.column), o.want) << o.unicode << " " << o.column;
    }
}
