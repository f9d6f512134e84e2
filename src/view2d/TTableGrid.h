#pragma once
// The table's grid: one wide column, two fixed header rows (captions and units) and one row
// per record, each drawn when it comes into sight by fetching its record again. Nothing but
// the positions of the rows is kept, so ten million rows cost forty megabytes and a page of
// rows costs one fetch per visible row.

#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "view2d/TRecordGrid.h"

#include <functional>
#include <vector>

class QPainter;

namespace vorelt {

class TTableVC;

class TTableGrid : public TRecordGrid {
    Q_OBJECT
public:
    explicit TTableGrid(TTableVC& view, QWidget* parent = nullptr);

    void SetRowCount(int rows);
    void SetColumnWidth(int width);
    // Columns and fields are bound again (after a change of columns or layout).
    void Rebind();
    // Paints the rows in sight into `painter` (the widget's paint event uses it too).
    void PaintRows(QPainter& painter, const QRect& area);

    // Rows fetched by the last paint; what a paint of one screen costs.
    int LastFetches() const { return FLastFetches; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BindColumns();
    void DrawHeader(QPainter& p, int row, const QRect& cell);
    void DrawDataRow(QPainter& p, int row, const QRect& cell);
    void DrawRowMark(QPainter& p, uint8_t recFlags, const QRect& cell);

    TTableVC& FView;
    int FLastFetches = 0;
    bool FBound = false;
    TAEPNav FNav;
    TAERecord FRecord;
    std::vector<int> FPositions; // flat position of each visible column's field, -1 if absent
    int FDefaultTextPos = -1;
};

} // namespace vorelt
