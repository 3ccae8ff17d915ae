#include "grid.h"

#include "app_application.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {
Qt::CursorShape ToQtCursor(TCursor cursor) {
    switch (cursor) {
    case crArrow:
        return Qt::ArrowCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    default:
        return Qt::ArrowCursor;
    }
}
[[noreturn]] void IndexError() {
    throw EInvalidGridOperation("Grid index out of range");
}

// The button of a press or release; any other than the right and middle ones is the left.
TMouseButton ButtonOf(Qt::MouseButton button) {
    return button == Qt::RightButton    ? TMouseButton::mbRight
           : button == Qt::MiddleButton ? TMouseButton::mbMiddle
                                        : TMouseButton::mbLeft;
}

// How many lines (rows or columns) from first on show in full in room pixels.
template <typename Extent>
int32_t CountShowingInFull(int32_t first, int32_t end, int64_t room, Extent extent) {
    int64_t used = 0;
    int32_t count = 0;
    for (int32_t line = first; line < end; ++line) {
        used += extent(line);
        if (used > room) break;
        ++count;
    }
    return count;
}

// The first scrollable line (row or column) from which the line index still shows in full
// in room pixels, going back from index while the lines fit; index itself at the least.
template <typename Extent>
int32_t FirstShowingInFull(int32_t index, int32_t fixed, int64_t room, Extent extent) {
    int64_t used = 0;
    int32_t first = index;
    while (first >= fixed) {
        used += extent(first);
        if (used > room) break;
        --first;
    }
    return std::min(first + 1, index);
}

} // namespace

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    caret_ = new TCaret(viewport());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    selectionTimer_.setInterval(kSelectionTimerMs);
    connect(&selectionTimer_, &QTimer::timeout, this, [this] { Guarded([this] { WMTimer(); }); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (updatingBars_) return;
        Guarded([this, value] {
            SetTopRow(value);
            WMVScroll();
        });
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (updatingBars_) return;
        Guarded([this, value] {
            SetLeftCol(value);
            WMHScroll();
        });
    });
    SetOptions(goThumbTracking);
    SetColCount(5);
    SetRowCount(5);
    SetFixedCols(1);
    SetFixedRows(1);
}

TCustomGrid::~TCustomGrid() = default;

std::function<void(const std::exception&)>& TCustomGrid::ReportException() {
    // By default the application's exception box, as for every other handler.
    static std::function<void(const std::exception&)> handler = [](const std::exception& e) {
        Application.ShowException(e);
    };
    return handler;
}

void TCustomGrid::Guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ReportException()(e);
    }
}

void TCustomGrid::SetColCount(int32_t count) {
    if (count < 1) count = 1;
    colWidths_.resize(static_cast<size_t>(count), defaultColWidth_);
    if (fixedCols_ >= count) fixedCols_ = count - 1;
    if (col_ >= count) col_ = count - 1;
    if (col_ < fixedCols_) col_ = fixedCols_;
    anchor_.X = std::min(anchor_.X, count - 1);
    ClampTopLeft();
}

void TCustomGrid::SetRowCount(int32_t count) {
    if (count < 1) count = 1;
    rowCount_ = count;
    rowHeights_.erase(rowHeights_.lower_bound(count), rowHeights_.end());
    if (fixedRows_ >= count) fixedRows_ = count - 1;
    if (row_ >= count) row_ = count - 1;
    if (row_ < fixedRows_) row_ = fixedRows_;
    anchor_.Y = std::min(anchor_.Y, count - 1);
    ClampTopLeft();
}

void TCustomGrid::SetFixedCols(int32_t count) {
    fixedCols_ = std::clamp(count, 0, ColCount() - 1);
    col_ = std::max(col_, fixedCols_);
    anchor_.X = std::max(anchor_.X, fixedCols_);
    ClampTopLeft();
}

void TCustomGrid::SetFixedRows(int32_t count) {
    fixedRows_ = std::clamp(count, 0, rowCount_ - 1);
    row_ = std::max(row_, fixedRows_);
    anchor_.Y = std::max(anchor_.Y, fixedRows_);
    ClampTopLeft();
}

int32_t TCustomGrid::ColWidth(int32_t column) const {
    if (column < 0 || column >= ColCount()) return 0;
    return colWidths_[static_cast<size_t>(column)];
}

void TCustomGrid::SetColWidth(int32_t column, int32_t width) {
    if (column < 0 || column >= ColCount()) IndexError();
    if (colWidths_[static_cast<size_t>(column)] == width) return;
    colWidths_[static_cast<size_t>(column)] = std::max(0, width);
    UpdateScrollBars();
    viewport()->update();
}

int32_t TCustomGrid::RowHeight(int32_t row) const {
    if (row < 0 || row >= rowCount_) return 0;
    const auto it = rowHeights_.find(row);
    return it == rowHeights_.end() ? defaultRowHeight_ : it->second;
}

void TCustomGrid::SetRowHeight(int32_t row, int32_t height) {
    if (row < 0 || row >= rowCount_) IndexError();
    if (height == defaultRowHeight_)
        rowHeights_.erase(row);
    else
        rowHeights_[row] = std::max(0, height);
    UpdateScrollBars();
    viewport()->update();
}

void TCustomGrid::SetDefaultColWidth(int32_t width) {
    defaultColWidth_ = std::max(0, width);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    UpdateScrollBars();
    viewport()->update();
}

void TCustomGrid::SetDefaultRowHeight(int32_t height) {
    defaultRowHeight_ = std::max(0, height);
    rowHeights_.clear();
    ClampTopLeft();
    viewport()->update();
}

void TCustomGrid::MoveColRow(int32_t column, int32_t row, bool moveAnchor, bool show) {
    if (column < 0 || row < 0 || column >= ColCount() || row >= rowCount_) IndexError();
    if (!SelectCell(column, row)) return;
    col_ = column;
    row_ = row;
    if (moveAnchor) anchor_ = GridCoord(column, row);
    if (show) ScrollInView(column, row);
    viewport()->update();
}

int64_t TCustomGrid::FixedWidth() const {
    int64_t w = 0;
    for (int32_t c = 0; c < fixedCols_; ++c) w += ColWidth(c);
    return w;
}

int64_t TCustomGrid::FixedHeight() const {
    int64_t h = 0;
    for (int32_t r = 0; r < fixedRows_; ++r) h += RowHeight(r);
    return h;
}

int32_t TCustomGrid::ClientWidth() const {
    return viewport()->width();
}
int32_t TCustomGrid::ClientHeight() const {
    return viewport()->height();
}

int32_t TCustomGrid::VisibleRowCount() const {
    return CountShowingInFull(topRow_, rowCount_, int64_t{ClientHeight()} - FixedHeight(),
                              [this](int32_t r) { return RowHeight(r); });
}

int32_t TCustomGrid::VisibleColCount() const {
    return CountShowingInFull(leftCol_, ColCount(), int64_t{ClientWidth()} - FixedWidth(),
                              [this](int32_t c) { return ColWidth(c); });
}

int32_t TCustomGrid::MaxTopRow() const {
    const int32_t last = rowCount_ - 1;
    const int32_t first =
        FirstShowingInFull(last, fixedRows_, int64_t{ClientHeight()} - FixedHeight(),
                           [this](int32_t r) { return RowHeight(r); });
    return std::clamp(first, fixedRows_, std::max(fixedRows_, last));
}

int32_t TCustomGrid::MaxLeftCol() const {
    const int32_t last = ColCount() - 1;
    const int32_t first =
        FirstShowingInFull(last, fixedCols_, int64_t{ClientWidth()} - FixedWidth(),
                           [this](int32_t c) { return ColWidth(c); });
    return std::clamp(first, fixedCols_, std::max(fixedCols_, last));
}

void TCustomGrid::SetTopRow(int32_t row) {
    row = std::clamp(row, fixedRows_, MaxTopRow());
    if (row == topRow_) return;
    topRow_ = row;
    UpdateScrollBars();
    viewport()->update();
    TopLeftChanged();
}

void TCustomGrid::SetLeftCol(int32_t column) {
    column = std::clamp(column, fixedCols_, MaxLeftCol());
    if (column == leftCol_) return;
    leftCol_ = column;
    UpdateScrollBars();
    viewport()->update();
    TopLeftChanged();
}

void TCustomGrid::ClampTopLeft() {
    const int32_t top = std::clamp(topRow_, fixedRows_, MaxTopRow());
    const int32_t left = std::clamp(leftCol_, fixedCols_, MaxLeftCol());
    const bool changed = top != topRow_ || left != leftCol_;
    topRow_ = top;
    leftCol_ = left;
    UpdateScrollBars();
    viewport()->update();
    if (changed) TopLeftChanged();
}

void TCustomGrid::ScrollInView(int32_t column, int32_t row) {
    if (row >= fixedRows_) {
        if (row < topRow_) {
            SetTopRow(row);
        } else {
            // Scroll down until the row is fully visible.
            const int32_t first =
                FirstShowingInFull(row, fixedRows_, int64_t{ClientHeight()} - FixedHeight(),
                                   [this](int32_t r) { return RowHeight(r); });
            if (first > topRow_) SetTopRow(first);
        }
    }
    if (column >= fixedCols_) {
        if (column < leftCol_) {
            SetLeftCol(column);
        } else {
            const int32_t first =
                FirstShowingInFull(column, fixedCols_, int64_t{ClientWidth()} - FixedWidth(),
                                   [this](int32_t c) { return ColWidth(c); });
            if (first > leftCol_) SetLeftCol(first);
        }
    }
}

TRect TCustomGrid::CellRect(int32_t column, int32_t row) const {
    if (column < 0 || row < 0 || column >= ColCount() || row >= rowCount_) return {};
    // A fixed cell that begins beyond the client is as hidden as a scrolled one.
    int64_t x = 0;
    if (column < fixedCols_) {
        for (int32_t c = 0; c < column; ++c) x += ColWidth(c);
        if (x >= ClientWidth()) return {};
    } else {
        if (column < leftCol_) return {};
        x = FixedWidth();
        for (int32_t c = leftCol_; c < column && x < ClientWidth(); ++c) x += ColWidth(c);
        if (x >= ClientWidth()) return {};
    }
    int64_t y = 0;
    if (row < fixedRows_) {
        for (int32_t r = 0; r < row; ++r) y += RowHeight(r);
        if (y >= ClientHeight()) return {};
    } else {
        if (row < topRow_) return {};
        y = FixedHeight();
        for (int32_t r = topRow_; r < row && y < ClientHeight(); ++r) y += RowHeight(r);
        if (y >= ClientHeight()) return {};
    }
    // The far edges of a cell wider or higher than the type can hold stop at its end.
    auto edge = [](int64_t v) { return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)); };
    return TRect{edge(x), edge(y), edge(x + ColWidth(column)), edge(y + RowHeight(row))};
}

TGridCoord TCustomGrid::MouseCoord(int32_t x, int32_t y) const {
    TGridCoord result{-1, -1};
    // Columns: fixed ones from the left edge, the others from LeftCol on, also past the
    // visible area (a captured pointer may lie outside the window).
    if (x < 0) {
        result.X = 0;
    } else {
        int64_t edge = 0;
        for (int32_t c = 0; c < fixedCols_ && result.X < 0; ++c) {
            edge += ColWidth(c);
            if (x < edge) result.X = c;
        }
        for (int32_t c = leftCol_; c < ColCount() && result.X < 0; ++c) {
            edge += ColWidth(c);
            if (x < edge) result.X = c;
        }
    }
    if (y < 0) {
        result.Y = 0;
    } else {
        int64_t edge = 0;
        for (int32_t r = 0; r < fixedRows_ && result.Y < 0; ++r) {
            edge += RowHeight(r);
            if (y < edge) result.Y = r;
        }
        for (int32_t r = topRow_; r < rowCount_ && result.Y < 0; ++r) {
            edge += RowHeight(r);
            if (y < edge) result.Y = r;
            if (edge > static_cast<int64_t>(y) + 1) break;
        }
    }
    return result;
}

TCustomGrid::DrawInfo TCustomGrid::CalcDrawInfo() const {
    DrawInfo info;
    info.GridExtentX = ClientWidth();
    info.GridExtentY = ClientHeight();
    // Fixed cells wider or higher than the client cover all of it.
    info.FixedBoundaryX = static_cast<int32_t>(std::min<int64_t>(FixedWidth(), info.GridExtentX));
    info.FixedBoundaryY = static_cast<int32_t>(std::min<int64_t>(FixedHeight(), info.GridExtentY));
    int64_t x = info.FixedBoundaryX;
    for (int32_t c = leftCol_; c < ColCount() && x < info.GridExtentX; ++c) x += ColWidth(c);
    int64_t y = info.FixedBoundaryY;
    for (int32_t r = topRow_; r < rowCount_ && y < info.GridExtentY; ++r) y += RowHeight(r);
    info.GridBoundaryX = static_cast<int32_t>(std::min<int64_t>(x, info.GridExtentX));
    info.GridBoundaryY = static_cast<int32_t>(std::min<int64_t>(y, info.GridExtentY));
    return info;
}

void TCustomGrid::SetOptions(uint32_t options) {
    options_ = options;
    verticalScrollBar()->setTracking(options & goThumbTracking);
    horizontalScrollBar()->setTracking(options & goThumbTracking);
}

void TCustomGrid::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    viewport()->update();
}

void TCustomGrid::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    viewport()->setCursor(QCursor(ToQtCursor(cursor)));
}

bool TCustomGrid::IsKeyDown(int virtualKey) const {
    if (virtualKey == VK_LBUTTON) return leftDown_;
    if (virtualKey == VK_SHIFT) return modifiers_ & Qt::ShiftModifier;
    return false;
}

void TCustomGrid::UpdateScrollBars() {
    updatingBars_ = true;
    QScrollBar* v = verticalScrollBar();
    v->setRange(fixedRows_, MaxTopRow());
    v->setPageStep(std::max(1, VisibleRowCount()));
    v->setValue(topRow_);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(fixedCols_, MaxLeftCol());
    h->setPageStep(std::max(1, VisibleColCount()));
    h->setValue(leftCol_);
    updatingBars_ = false;
}

void TCustomGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void TCustomGrid::Paint(TCanvas&) {
    // The plain grid: each visible cell through DrawCell.
    std::vector<int32_t> rows;
    std::vector<int32_t> cols;
    for (int32_t r = 0; r < fixedRows_; ++r) rows.push_back(r);
    for (int32_t r = topRow_; r < rowCount_ && CellRect(0, r) != TRect{}; ++r) rows.push_back(r);
    for (int32_t c = 0; c < fixedCols_; ++c) cols.push_back(c);
    for (int32_t c = leftCol_; c < ColCount() && CellRect(c, 0) != TRect{}; ++c) cols.push_back(c);
    for (int32_t r : rows)
        for (int32_t c : cols) DrawCell(c, r, CellRect(c, r));
}

void TCustomGrid::DrawCell(int32_t, int32_t, const TRect&) {}

bool TCustomGrid::SelectCell(int32_t, int32_t) {
    return true;
}

QPoint TCustomGrid::PointerPos() const {
    return viewport()->mapFromGlobal(QCursor::pos());
}

TShiftState TCustomGrid::ShiftFromEvent(Qt::KeyboardModifiers modifiers,
                                        Qt::MouseButtons buttons) const {
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

void TCustomGrid::StopSelecting() {
    selecting_ = false;
    selectionTimer_.stop();
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    if (button != TMouseButton::mbLeft) return;
    if (shift & ssDouble) {
        DblClick();
        return;
    }
    const TGridCoord cell = MouseCoord(x, y);
    if (cell.X < fixedCols_ || cell.Y < fixedRows_) return;
    selecting_ = true;
    selectionTimer_.start();
    MoveColRow(cell.X, cell.Y, true, true);
}

void TCustomGrid::MouseMove(TShiftState, int32_t x, int32_t y) {
    if (!selecting_) return;
    const TGridCoord cell = MouseCoord(x, y);
    if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && cell.X < ColCount() && cell.Y < rowCount_ &&
        !(cell == anchor_))
        // No range selection here: the anchor follows the current cell, so a drag back onto
        // the pressed cell moves there too.
        MoveColRow(cell.X, cell.Y, true, true);
}

void TCustomGrid::MouseUp(TMouseButton, TShiftState, int32_t, int32_t) {
    StopSelecting();
}

void TCustomGrid::WMTimer() {
    GridTimedScroll();
}

void TCustomGrid::GridTimedScroll() {
    if (!selecting_) return;
    const QPoint p = PointerPos();
    const DrawInfo info = CalcDrawInfo();
    // Right and bottom edges of the last fully visible column and row.
    int64_t right = info.FixedBoundaryX;
    for (int32_t c = leftCol_; c < leftCol_ + VisibleColCount(); ++c) right += ColWidth(c);
    int64_t bottom = info.FixedBoundaryY;
    for (int32_t r = topRow_; r < topRow_ + VisibleRowCount(); ++r) bottom += RowHeight(r);
    int32_t dc = 0;
    int32_t dr = 0;
    if (p.x() < info.FixedBoundaryX)
        dc = -1;
    else if (p.x() >= right)
        dc = 1;
    if (p.y() < info.FixedBoundaryY)
        dr = -1;
    else if (p.y() >= bottom)
        dr = 1;
    if (dc == 0 && dr == 0) return;
    // The view scrolls by one cell and the current cell follows it by one.
    if (dr != 0) SetTopRow(topRow_ + dr);
    if (dc != 0) SetLeftCol(leftCol_ + dc);
    const int32_t c = std::clamp(col_ + dc, fixedCols_, ColCount() - 1);
    const int32_t r = std::clamp(row_ + dr, fixedRows_, rowCount_ - 1);
    if (c != col_ || r != row_) MoveColRow(c, r, true, true);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState, QPoint) {
    if (row_ + 1 < rowCount_) MoveColRow(col_, row_ + 1, true, true);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState, QPoint) {
    if (row_ - 1 >= fixedRows_) MoveColRow(col_, row_ - 1, true, true);
    return true;
}

void TCustomGrid::KeyDown(int, TShiftState) {}

void TCustomGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), ToQColor(color_));
    canvas_.SetPainter(&painter);
    canvas_.Font = font();
    Guarded([this] { Paint(canvas_); });
    canvas_.SetPainter(nullptr);
    caret_->Paint(painter);
}

void TCustomGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Guarded([this] {
        ClampTopLeft();
        Resize();
    });
}

void TCustomGrid::mousePressEvent(QMouseEvent* event) {
    modifiers_ = event->modifiers();
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    const TMouseButton button = ButtonOf(event->button());
    const QPoint p = event->position().toPoint();
    Guarded([&] {
        MouseDown(button, ShiftFromEvent(event->modifiers(), event->buttons()), p.x(), p.y());
    });
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    modifiers_ = event->modifiers();
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    const QPoint p = event->position().toPoint();
    Guarded([&] {
        MouseDown(TMouseButton::mbLeft,
                  ShiftFromEvent(event->modifiers(), event->buttons()) | ssDouble, p.x(), p.y());
    });
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* event) {
    modifiers_ = event->modifiers();
    leftDown_ = event->buttons() & Qt::LeftButton;
    const QPoint p = event->position().toPoint();
    Guarded([&] { MouseMove(ShiftFromEvent(event->modifiers(), event->buttons()), p.x(), p.y()); });
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* event) {
    modifiers_ = event->modifiers();
    if (event->button() == Qt::LeftButton) leftDown_ = false;
    const TMouseButton button = ButtonOf(event->button());
    const QPoint p = event->position().toPoint();
    Guarded([&] {
        MouseUp(button, ShiftFromEvent(event->modifiers(), event->buttons()), p.x(), p.y());
    });
}

void TCustomGrid::wheelEvent(QWheelEvent* event) {
    modifiers_ = event->modifiers();
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    const TShiftState shift = ShiftFromEvent(event->modifiers(), event->buttons());
    const QPoint p = event->position().toPoint();
    Guarded([&] {
        if (delta < 0)
            DoMouseWheelDown(shift, p);
        else
            DoMouseWheelUp(shift, p);
    });
    event->accept();
}

void TCustomGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    Guarded([this] { WMSetFocus(); });
}

void TCustomGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    leftDown_ = false;
    StopSelecting();
    Guarded([this] { WMKillFocus(); });
}

void TCustomGrid::keyPressEvent(QKeyEvent* event) {
    modifiers_ = event->modifiers();
    Guarded([&] {
        KeyDown(event->key(), ShiftFromEvent(event->modifiers(), Qt::NoButton));
        if (!event->text().isEmpty()) KeyPress(event->text());
    });
}

bool TCustomGrid::focusNextPrevChild(bool next) {
    if (GetDlgCode() & DLGC_WANTTAB) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}
