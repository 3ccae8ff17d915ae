#pragma once
// TCustomGrid: a scrolling frame of cells on QAbstractScrollArea. Columns have their own
// widths; rows share one default height with sparse overrides. Fixed columns and rows stay in
// place; the others scroll in whole cells (the scroll bars count cells). Painting and hit
// testing visit only the visible cells, so a grid of 4 million rows costs what 40 do.
//
// The current cell moves only through MoveColRow, which asks the virtual SelectCell first.
// A left press on a non-fixed cell enters the selecting state and starts the 60 ms selection
// timer; each tick moves the current cell one cell toward a pointer outside the fully visible
// cells. No exception leaves an event handler: the grid's guard hands it to ReportException.
#include "canvas.h"
#include "caret.h"
#include "colors.h"
#include "exceptions.h"
#include "graphics.h"
#include "virtual_keys.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

struct TGridCoord {
    int32_t X = 0; // column
    int32_t Y = 0; // row
    bool operator==(const TGridCoord&) const = default;
};

inline TGridCoord GridCoord(int32_t column, int32_t row) {
    return TGridCoord{column, row};
}

enum TShiftStateFlag : uint32_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = uint32_t;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

enum TGridOption : uint32_t { goThumbTracking = 1 };

// The class library's cursor identifiers.
using TCursor = int32_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crIBeam = -4;
constexpr TCursor crHourGlass = -11;

// Dialog codes of the key query.
constexpr uint32_t DLGC_WANTARROWS = 1;
constexpr uint32_t DLGC_WANTTAB = 2;
constexpr uint32_t DLGC_WANTALLKEYS = 4;
constexpr uint32_t DLGC_WANTCHARS = 0x80;

class TCustomGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TCustomGrid(QWidget* parent = nullptr);
    ~TCustomGrid() override;

    int32_t ColCount() const { return static_cast<int32_t>(colWidths_.size()); }
    int32_t RowCount() const { return rowCount_; }
    void SetColCount(int32_t count);
    void SetRowCount(int32_t count);
    int32_t FixedCols() const { return fixedCols_; }
    int32_t FixedRows() const { return fixedRows_; }
    void SetFixedCols(int32_t count);
    void SetFixedRows(int32_t count);

    int32_t ColWidth(int32_t column) const;
    void SetColWidth(int32_t column, int32_t width);
    int32_t RowHeight(int32_t row) const;
    void SetRowHeight(int32_t row, int32_t height);
    int32_t DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int32_t width);
    int32_t DefaultRowHeight() const { return defaultRowHeight_; }
    // Resets every row height to the new default.
    void SetDefaultRowHeight(int32_t height);

    int32_t Col() const { return col_; }
    int32_t Row() const { return row_; }
    // A move to that column in the current row, anchor moved, scrolled into view.
    void SetCol(int32_t column) { MoveColRow(column, row_, true, true); }
    void SetRow(int32_t row) { MoveColRow(col_, row, true, true); }
    TGridCoord Anchor() const { return anchor_; }
    // Asks SelectCell; when it agrees the cell becomes current, the anchor moves with it when
    // asked, and `show` scrolls it into view. A cell outside the grid raises
    // EInvalidGridOperation "Grid index out of range".
    void MoveColRow(int32_t column, int32_t row, bool moveAnchor, bool show);

    int32_t TopRow() const { return topRow_; }
    int32_t LeftCol() const { return leftCol_; }
    void SetTopRow(int32_t row);
    void SetLeftCol(int32_t column);
    int32_t MaxTopRow() const;
    int32_t MaxLeftCol() const;
    int32_t VisibleRowCount() const;
    int32_t VisibleColCount() const;

    int32_t ClientWidth() const;
    int32_t ClientHeight() const;
    // The cell's rectangle in client pixels; all sides 0 when the cell is not visible.
    TRect CellRect(int32_t column, int32_t row) const;
    // The cell under a client point; -1 for a coordinate on no cell. A point left of or above
    // the grid lies on a fixed cell.
    TGridCoord MouseCoord(int32_t x, int32_t y) const;

    struct DrawInfo {
        int32_t FixedBoundaryX = 0, FixedBoundaryY = 0;
        int32_t GridBoundaryX = 0, GridBoundaryY = 0;
        int32_t GridExtentX = 0, GridExtentY = 0;
    };
    DrawInfo CalcDrawInfo() const;

    uint32_t Options() const { return options_; }
    void SetOptions(uint32_t options);
    bool DefaultDrawing = true;
    bool SaveCellExtents = true;

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    bool Selecting() const { return selecting_; }
    bool Focused() const { return hasFocus(); }
    // Whether the key (VK_SHIFT) or the left button (VK_LBUTTON) is held at this moment.
    bool IsKeyDown(int virtualKey) const;

    TCanvas& Canvas() { return canvas_; }
    TCaret& Caret() { return *caret_; }

    // Shows an exception that reached an event handler; tests and the application replace it.
    static std::function<void(const std::exception&)>& ReportException();

    static constexpr int kSelectionTimerMs = 60;

protected:
    virtual void Paint(TCanvas& canvas);
    virtual void DrawCell(int32_t column, int32_t row, const TRect& rect);
    virtual bool SelectCell(int32_t column, int32_t row);
    virtual void TopLeftChanged() {}
    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void DblClick() {}
    // The selection timer's tick; the base scrolls toward the pointer.
    virtual void WMTimer();
    void GridTimedScroll();
    virtual bool DoMouseWheelDown(TShiftState shift, QPoint position);
    virtual bool DoMouseWheelUp(TShiftState shift, QPoint position);
    virtual void WMVScroll() {}
    virtual void WMHScroll() {}
    virtual void WMSetFocus() {}
    virtual void WMKillFocus() {}
    virtual void Resize() {}
    virtual void KeyDown(int key, TShiftState shift);
    virtual void KeyPress(const QString& text) { (void)text; }
    virtual uint32_t GetDlgCode() const { return DLGC_WANTARROWS; }
    // The pointer position in client pixels now.
    QPoint PointerPos() const;
    TShiftState ShiftFromEvent(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) const;
    void StopSelecting();
    // A drag loop took the left button's release: the button is up, the selecting state over.
    void ButtonReleasedElsewhere() {
        leftDown_ = false;
        StopSelecting();
    }
    // Runs fn under the exception guard.
    void Guarded(const std::function<void()>& fn);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();
    void ClampTopLeft();
    void ScrollInView(int32_t column, int32_t row);
    // Sums of widths and heights that may each reach the type's end.
    int64_t FixedWidth() const;
    int64_t FixedHeight() const;

    std::vector<int32_t> colWidths_;
    std::map<int32_t, int32_t> rowHeights_;
    int32_t rowCount_ = 0;
    int32_t fixedCols_ = 0;
    int32_t fixedRows_ = 0;
    int32_t defaultColWidth_ = 64;
    int32_t defaultRowHeight_ = 24;
    int32_t col_ = 0;
    int32_t row_ = 0;
    TGridCoord anchor_;
    int32_t topRow_ = 0;
    int32_t leftCol_ = 0;
    uint32_t options_ = goThumbTracking;
    TColor color_ = clWindow;
    TCursor cursor_ = crDefault;
    bool selecting_ = false;
    bool leftDown_ = false;
    bool updatingBars_ = false;
    Qt::KeyboardModifiers modifiers_;
    QTimer selectionTimer_;
    TCanvas canvas_;
    TCaret* caret_;
};
