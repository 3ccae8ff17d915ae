#pragma once
// The editor's string grid, addressed as the class library's string grid is: row 0 is the
// fixed caption row (shown as the header, so it stays in view), column 0 the fixed column
// (shown, but neither editable nor selectable), rows from 1 the records. Cells hold the
// stored bytes and show them converted from code page 936; a cell edited in place gives its
// typed text back in code page 936.
#include "chip_editor_rows.h"

#include <QTableWidget>
#include <functional>
#include <string>

class TChipEditorGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TChipEditorGrid(QWidget* parent);

    // Rows including the caption row (at least 1).
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int count);
    // The current row (0 when no cell is current) and making row the current one, which
    // runs OnSelectCell.
    int Row() const;
    void SetRow(int row);
    // The current row without running OnSelectCell: used when the grid is rebuilt.
    void PlaceRow(int row);

    void SetCaptions(const std::array<const char*, kEditorColumns>& captions);
    void SetColWidth(int column, int width);
    std::string Cell(int column, int row) const;
    void SetCell(int column, int row, const std::string& bytes);
    EditorRow Cells(int row) const;
    void SetCells(int row, const EditorRow& cells);
    // Every row from row on takes the cells of the row below it; the grid has one row less.
    void DeleteRow(int row);

    // A cell became the current cell (column, row).
    std::function<void(int, int)> OnSelectCell;
    // A double click anywhere in the grid.
    std::function<void()> OnDblClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    QTableWidgetItem* ItemAt(int column, int row) const;
    bool quiet_ = false;
};
