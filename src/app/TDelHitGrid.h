#pragma once
// The records grid of the deleted records window: one row per record of the chosen group
// below the caption and unit rows.

#include "view2d/TRecordGrid.h"

#include <functional>

namespace vorelt {

class TDelHitPages;

class TDelHitGrid : public TRecordGrid {
    Q_OBJECT
public:
    TDelHitGrid(TDelHitPages& pages, QWidget* parent = nullptr);

    // Takes the row count and the column width from the pages again.
    void Rebuild();
    void PaintRows(QPainter& painter);

    // The grid's context menu was asked for at the screen position.
    std::function<void(const QPoint&)> OnContextMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TDelHitPages& FPages;
};

} // namespace vorelt
