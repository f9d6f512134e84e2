#pragma once
// The records grid of the deleted records window: one wide column, the caption and unit rows,
// and one row per record of the chosen group. Header rows never become current, so a command
// on the current row always means a record.

#include <QAbstractScrollArea>
#include <functional>

namespace vorelt {

class TDelHitPages;

class TDelHitGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;

    TDelHitGrid(TDelHitPages& pages, QWidget* parent = nullptr);

    // Takes the row count and the column width from the pages again.
    void Rebuild();
    int RowCount() const { return FRowCount; }
    int ColumnWidth() const { return FColumnWidth; }
    int CurrentRow() const { return FCurrentRow; }
    // Clamped to the data rows (2 and up).
    void SetCurrentRow(int row);
    int HorizontalOffset() const;
    int RowAt(int y) const;
    void PaintRows(QPainter& painter);

    // The grid's context menu was asked for at the screen position.
    std::function<void(const QPoint&)> OnContextMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();
    int TopRow() const;
    int VisibleDataRows() const;

    TDelHitPages& FPages;
    int FRowCount = 3;
    int FColumnWidth = 100;
    int FCurrentRow = 2;
};

} // namespace vorelt
