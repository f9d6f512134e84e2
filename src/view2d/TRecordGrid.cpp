#include "view2d/TRecordGrid.h"

#include "model/TAEFieldTypes.h"
#include "processing/table/TSeekPlacement.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

namespace vorelt {

TRecordGrid::TRecordGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(1);
}

Qt::Alignment TRecordGrid::CellAlignment(uint8_t alignment) {
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void TRecordGrid::SetSize(int rows, int columnWidth) {
    FRowCount = std::max(FixedRows + 1, rows);
    FColumnWidth = std::max(1, columnWidth);
    FCurrentRow = std::clamp(FCurrentRow, FixedRows, FRowCount - 1);
    UpdateScrollBars();
    viewport()->update();
}

void TRecordGrid::SetCurrentRow(int row) {
    FCurrentRow = std::clamp(row, FixedRows, FRowCount - 1);
    const int top = TopRow();
    const int visible = VisibleDataRows();
    if (FCurrentRow < top)
        verticalScrollBar()->setValue(FCurrentRow - FixedRows);
    else if (FCurrentRow >= top + visible)
        verticalScrollBar()->setValue(FCurrentRow - FixedRows - visible + 1);
    viewport()->update();
}

void TRecordGrid::CenterCurrentRow(int row) {
    FCurrentRow = std::clamp(row, FixedRows, FRowCount - 1);
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(CenteredScroll(FCurrentRow - FixedRows, VisibleDataRows(), bar->maximum()));
    viewport()->update();
}

QRect TRecordGrid::RowScreenRect(int row) const {
    const int y = (FixedRows + row - TopRow()) * RowHeight;
    const QPoint origin = viewport()->mapToGlobal(QPoint(0, y));
    return QRect(origin, QSize(viewport()->width(), RowHeight));
}

int TRecordGrid::TopRow() const {
    return FixedRows + verticalScrollBar()->value();
}

int TRecordGrid::VisibleDataRows() const {
    return std::max(1, (viewport()->height() - FixedRows * RowHeight) / RowHeight);
}

int TRecordGrid::HorizontalOffset() const {
    return horizontalScrollBar()->value();
}

int TRecordGrid::RowAt(int y) const {
    if (y < 0) return -1;
    const int r = y / RowHeight;
    if (r < FixedRows) return r;
    const int row = TopRow() + r - FixedRows;
    return row < FRowCount ? row : -1;
}

void TRecordGrid::UpdateScrollBars() {
    const int visible = VisibleDataRows();
    verticalScrollBar()->setRange(0, std::max(0, FRowCount - FixedRows - visible));
    verticalScrollBar()->setPageStep(visible);
    horizontalScrollBar()->setRange(0, std::max(0, FColumnWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(std::max(1, viewport()->width()));
}

bool TRecordGrid::RowKey(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Up:
        SetCurrentRow(FCurrentRow - 1);
        return true;
    case Qt::Key_Down:
        SetCurrentRow(FCurrentRow + 1);
        return true;
    case Qt::Key_PageUp:
        SetCurrentRow(FCurrentRow - VisibleDataRows());
        return true;
    case Qt::Key_PageDown:
        SetCurrentRow(FCurrentRow + VisibleDataRows());
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!control) return false;
        SetCurrentRow(key == Qt::Key_Home ? FixedRows : FRowCount - 1);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (plain && FColumnWidth > viewport()->width())
            horizontalScrollBar()->triggerAction(key == Qt::Key_Left
                                                     ? QAbstractSlider::SliderSingleStepSub
                                                     : QAbstractSlider::SliderSingleStepAdd);
        return true;
    default:
        return false;
    }
}

void TRecordGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TRecordGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

} // namespace vorelt
