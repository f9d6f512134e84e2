#include "app/TDelHitGrid.h"

#include "model/TAEFieldTypes.h"
#include "processing/cond/TDelHitPages.h"
#include "processing/table/TTableData.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace vorelt {

namespace {

constexpr int FixedRows = TDelHitPages::FixedRows;

Qt::Alignment AlignmentOf(uint8_t a) {
    switch (a) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

TDelHitGrid::TDelHitGrid(TDelHitPages& pages, QWidget* parent)
    : QAbstractScrollArea(parent), FPages(pages) {
    setObjectName("grdDelHit");
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(1);
}

void TDelHitGrid::Rebuild() {
    FRowCount = FPages.GridRowCount();
    FColumnWidth = FPages.ColumnWidth(viewport()->width());
    FCurrentRow = std::clamp(FCurrentRow, FixedRows, FRowCount - 1);
    UpdateScrollBars();
    viewport()->update();
}

void TDelHitGrid::SetCurrentRow(int row) {
    FCurrentRow = std::clamp(row, FixedRows, FRowCount - 1);
    const int top = TopRow();
    const int visible = VisibleDataRows();
    if (FCurrentRow < top)
        verticalScrollBar()->setValue(FCurrentRow - FixedRows);
    else if (FCurrentRow >= top + visible)
        verticalScrollBar()->setValue(FCurrentRow - FixedRows - visible + 1);
    viewport()->update();
}

int TDelHitGrid::TopRow() const {
    return FixedRows + verticalScrollBar()->value();
}

int TDelHitGrid::VisibleDataRows() const {
    return std::max(1, (viewport()->height() - FixedRows * RowHeight) / RowHeight);
}

int TDelHitGrid::HorizontalOffset() const {
    return horizontalScrollBar()->value();
}

int TDelHitGrid::RowAt(int y) const {
    if (y < 0) return -1;
    const int r = y / RowHeight;
    if (r < FixedRows) return r;
    const int row = TopRow() + r - FixedRows;
    return row < FRowCount ? row : -1;
}

void TDelHitGrid::UpdateScrollBars() {
    const int visible = VisibleDataRows();
    verticalScrollBar()->setRange(0, std::max(0, FRowCount - FixedRows - visible));
    verticalScrollBar()->setPageStep(visible);
    horizontalScrollBar()->setRange(0, std::max(0, FColumnWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(std::max(1, viewport()->width()));
}

void TDelHitGrid::PaintRows(QPainter& p) {
    const QPalette& pal = palette();
    const QRect area = viewport()->rect();
    p.fillRect(area, pal.color(QPalette::Base));
    const QFontMetrics fm(font());
    const int tagWidth = fm.horizontalAdvance("WWW");
    const int left = -HorizontalOffset() + 4;
    const int cellsLeft = left + tagWidth + 5 + TDelHitPages::NumberWidth;
    auto drawCells = [&](const std::vector<TDelHitCell>& cells, int y, bool stretchLast) {
        int x = cellsLeft;
        for (size_t i = 0; i < cells.size(); ++i) {
            int w = std::max(0, cells[i].Width);
            if (stretchLast && i + 1 == cells.size()) w = std::max(w, area.right() - x);
            p.drawText(QRect(x, y, w, RowHeight), AlignmentOf(cells[i].Alignment),
                       QString::fromStdString(cells[i].Text));
            x += w + 10;
        }
    };
    // The two header rows.
    p.fillRect(QRect(0, 0, area.width(), FixedRows * RowHeight), pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::ButtonText));
    if (FPages.HeadersShown()) {
        drawCells(FPages.HeaderCells(0), 0, false);
        p.drawText(QRect(left + tagWidth + 5, RowHeight, TDelHitPages::NumberWidth, RowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("\u2116"));
        drawCells(FPages.HeaderCells(1), RowHeight, false);
    }
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(0, FixedRows * RowHeight - 1, area.width(), FixedRows * RowHeight - 1);
    int y = FixedRows * RowHeight;
    for (int row = TopRow(); row < FRowCount && y <= area.bottom(); ++row, y += RowHeight) {
        const QRect line(0, y, area.width(), RowHeight);
        if (row == FCurrentRow) p.fillRect(line, pal.color(QPalette::Highlight).lighter(170));
        const TDelHitRow r = FPages.Row(row);
        if (r.Read) {
            const TKindTag tag = KindTagOf(r.Kind, r.RecFlags);
            QFont rowFont = font();
            rowFont.setUnderline(tag.Underline);
            if (tag.Text[0] != '\0') {
                QFont tagFont = rowFont;
                tagFont.setBold(tag.Bold);
                p.setFont(tagFont);
                p.setPen(QColor(static_cast<QRgb>(0xFF000000u | tag.Color)));
                p.drawText(QRect(left, y, tagWidth, RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                           tag.Text);
            }
            p.setFont(rowFont);
            p.setPen(pal.color(QPalette::Text));
            p.drawText(QRect(left + tagWidth + 5, y, TDelHitPages::NumberWidth, RowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(r.Number));
            drawCells(r.Cells, y, r.Kind != rkHit && r.Kind != rkCriterion);
            p.setFont(font());
        }
        if (row == FCurrentRow) {
            QPen pen(pal.color(QPalette::WindowText));
            pen.setStyle(Qt::DotLine);
            p.setPen(pen);
            p.drawRect(line.adjusted(0, 0, -1, -1));
        }
    }
}

void TDelHitGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    PaintRows(p);
}

void TDelHitGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    FColumnWidth = FPages.ColumnWidth(viewport()->width());
    UpdateScrollBars();
}

void TDelHitGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void TDelHitGrid::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        SetCurrentRow(FCurrentRow - 1);
        break;
    case Qt::Key_Down:
        SetCurrentRow(FCurrentRow + 1);
        break;
    case Qt::Key_PageUp:
        SetCurrentRow(FCurrentRow - VisibleDataRows());
        break;
    case Qt::Key_PageDown:
        SetCurrentRow(FCurrentRow + VisibleDataRows());
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (plain && FColumnWidth > viewport()->width())
            horizontalScrollBar()->triggerAction(event->key() == Qt::Key_Left
                                                     ? QAbstractSlider::SliderSingleStepSub
                                                     : QAbstractSlider::SliderSingleStepAdd);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        break;
    }
}

void TDelHitGrid::mousePressEvent(QMouseEvent* event) {
    setFocus();
    // A click on the caption or unit row leaves the current row where it is.
    const int row = RowAt(static_cast<int>(event->position().y()));
    if (row >= FixedRows) SetCurrentRow(row);
}

void TDelHitGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (OnContextMenu) OnContextMenu(event->globalPos());
}

} // namespace vorelt
