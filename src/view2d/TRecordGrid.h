#pragma once
// What the record grids share: one wide column, two fixed header rows (captions and units)
// above the data rows, a current row that is always a data row, and the keys that move it.
// Header rows never become current, so a command on the current row always means a record.

#include <QAbstractScrollArea>
#include <cstdint>

class QKeyEvent;

namespace vorelt {

class TRecordGrid : public QAbstractScrollArea {
public:
    static constexpr int RowHeight = 20;
    static constexpr int FixedRows = 2;

    explicit TRecordGrid(QWidget* parent = nullptr);

    // Grid rows: the two header rows and at least one more.
    int RowCount() const { return FRowCount; }
    // Width of the single column in pixels.
    int ColumnWidth() const { return FColumnWidth; }
    // The current grid row, clamped to the data rows (2 and up), scrolled into sight.
    int CurrentRow() const { return FCurrentRow; }
    void SetCurrentRow(int row);
    // The same, with the row scrolled into the middle of the rows in sight.
    void CenterCurrentRow(int row);
    // The row's rectangle on the screen (the part of the viewport it takes).
    QRect RowScreenRect(int row) const;
    // The first data row in sight.
    int TopRow() const;
    int VisibleDataRows() const;
    int HorizontalOffset() const;
    // The grid row under the viewport's y, or -1 below the last row.
    int RowAt(int y) const;

    // The alignment of a field's text (taLeftJustify, taRightJustify, taCenter) in a cell.
    static Qt::Alignment CellAlignment(uint8_t alignment);

protected:
    // Takes new row and column sizes; keeps the current row among the data rows.
    void SetSize(int rows, int columnWidth);
    // Up, Down, PageUp and PageDown move the current row, Ctrl+Home and Ctrl+End go to the
    // first and the last record, plain Left and Right scroll a column wider than the grid.
    // False for any other key.
    bool RowKey(QKeyEvent* event);

    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void UpdateScrollBars();

private:
    int FRowCount = FixedRows + 1;
    int FColumnWidth = 500;
    int FCurrentRow = FixedRows;
};

} // namespace vorelt
