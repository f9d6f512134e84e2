#pragma once
// The table's grid: one wide column, two fixed header rows (captions and units) and one row
// per record, each drawn when it comes into sight by fetching its record again. Nothing but
// the positions of the rows is kept, so ten million rows cost forty megabytes and a page of
// rows costs one fetch per visible row.

#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"

#include <QAbstractScrollArea>
#include <functional>
#include <vector>

class QPainter;

namespace vorelt {

class TTableVC;

class TTableGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;
    static constexpr int FixedRows = 2;

    explicit TTableGrid(TTableVC& view, QWidget* parent = nullptr);

    // Grid rows: two header rows and at least one more.
    int RowCount() const { return FRowCount; }
    void SetRowCount(int rows);
    // Width of the single column in pixels.
    int ColumnWidth() const { return FColumnWidth; }
    void SetColumnWidth(int width);
    // The current grid row (2 and up is a data row); clamped to the rows.
    int CurrentRow() const { return FCurrentRow; }
    void SetCurrentRow(int row);
    // The first data row in sight.
    int TopRow() const;
    int VisibleDataRows() const;
    int HorizontalOffset() const;
    // Columns and fields are bound again (after a change of columns or layout).
    void Rebind();
    // Paints the rows in sight into `painter` (the widget's paint event uses it too).
    void PaintRows(QPainter& painter, const QRect& area);

    // Rows fetched by the last paint; what a paint of one screen costs.
    int LastFetches() const { return FLastFetches; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();
    void EnsureVisible(int row);
    int RowAt(int y) const;
    void BindColumns();
    void DrawHeader(QPainter& p, int row, const QRect& cell);
    void DrawDataRow(QPainter& p, int row, const QRect& cell);
    void DrawRowMark(QPainter& p, uint8_t recFlags, const QRect& cell);

    TTableVC& FView;
    int FRowCount = 3;
    int FColumnWidth = 500;
    int FCurrentRow = FixedRows;
    int FLastFetches = 0;
    bool FBound = false;
    TAEPNav FNav;
    TAERecord FRecord;
    std::vector<int> FPositions; // flat position of each visible column's field, -1 if absent
    int FDefaultTextPos = -1;
};

} // namespace vorelt
