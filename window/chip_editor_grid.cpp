#include "chip_editor_grid.h"

#include "encoding.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

namespace {

QString Shown(const std::string& bytes) {
    return QString::fromStdString(Cp936ToUtf8(bytes));
}

} // namespace

TChipEditorGrid::TChipEditorGrid(QWidget* parent) : QTableWidget(0, kEditorColumns, parent) {
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultSectionSize(75);
    horizontalHeader()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // A double click belongs to the dialog (row into the edit controls); cells are edited
    // by typing, F2 or a click on the current cell.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        if (!quiet_ && row >= 0 && OnSelectCell) OnSelectCell(column, row + 1);
    });
}

void TChipEditorGrid::SetRowCount(int count) {
    quiet_ = true;
    setRowCount(std::max(count, 1) - 1);
    quiet_ = false;
}

int TChipEditorGrid::Row() const {
    return currentRow() < 0 ? 0 : currentRow() + 1;
}

void TChipEditorGrid::SetRow(int row) {
    if (row < 1 || row >= RowCount()) return;
    setCurrentCell(row - 1, std::max(currentColumn(), 1));
}

void TChipEditorGrid::PlaceRow(int row) {
    quiet_ = true;
    if (row >= 1 && row < RowCount())
        setCurrentCell(row - 1, std::max(currentColumn(), 1));
    else
        setCurrentCell(-1, -1);
    quiet_ = false;
}

void TChipEditorGrid::SetCaptions(const std::array<const char*, kEditorColumns>& captions) {
    QStringList labels;
    for (const char* caption : captions) labels << QString::fromUtf8(caption);
    setHorizontalHeaderLabels(labels);
}

void TChipEditorGrid::SetColWidth(int column, int width) {
    setColumnWidth(column, width);
}

QTableWidgetItem* TChipEditorGrid::ItemAt(int column, int row) const {
    if (row < 1 || row >= RowCount() || column < 0 || column >= kEditorColumns) return nullptr;
    return item(row - 1, column);
}

std::string TChipEditorGrid::Cell(int column, int row) const {
    if (row == 0) {
        const QTableWidgetItem* header = horizontalHeaderItem(column);
        return header ? Utf8ToCp936(header->text().toStdString()) : std::string();
    }
    const QTableWidgetItem* cell = ItemAt(column, row);
    if (!cell) return {};
    // An untouched cell gives back exactly the bytes it was given; one edited in place gives
    // its typed text.
    const std::string stored = cell->data(Qt::UserRole).toByteArray().toStdString();
    if (Shown(stored) == cell->text()) return stored;
    return Utf8ToCp936(cell->text().toStdString());
}

void TChipEditorGrid::SetCell(int column, int row, const std::string& bytes) {
    if (row < 1 || row >= RowCount() || column < 0 || column >= kEditorColumns) return;
    QTableWidgetItem* cell = item(row - 1, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        // The fixed column shows its texts but takes no selection and no typing.
        if (column == 0) {
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setBackground(palette().button());
        }
        setItem(row - 1, column, cell);
    }
    cell->setData(Qt::UserRole, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    cell->setText(Shown(bytes));
}

EditorRow TChipEditorGrid::Cells(int row) const {
    EditorRow cells;
    for (int c = 0; c < kEditorColumns; ++c) cells[static_cast<size_t>(c)] = Cell(c, row);
    return cells;
}

void TChipEditorGrid::SetCells(int row, const EditorRow& cells) {
    for (int c = 0; c < kEditorColumns; ++c) SetCell(c, row, cells[static_cast<size_t>(c)]);
}

void TChipEditorGrid::DeleteRow(int row) {
    if (row < 1 || row >= RowCount()) return;
    quiet_ = true;
    removeRow(row - 1);
    quiet_ = false;
}

void TChipEditorGrid::mousePressEvent(QMouseEvent* event) {
    // A click on the fixed column does not move the current cell.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.column() == 0) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    const QModelIndex before = currentIndex();
    QTableWidget::mousePressEvent(event);
    // A click selects its cell also when it is the current one already.
    if (index.isValid() && currentIndex() == before && index == before && OnSelectCell)
        OnSelectCell(index.column(), index.row() + 1);
}

void TChipEditorGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (OnDblClick) OnDblClick();
}

QModelIndex TChipEditorGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex index = QTableWidget::moveCursor(action, modifiers);
    if (index.isValid() && index.column() == 0 && columnCount() > 1)
        index = model()->index(index.row(), 1);
    return index;
}
