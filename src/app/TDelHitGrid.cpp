#include "app/TDelHitGrid.h"

#include "model/TAEFieldTypes.h"
#include "processing/table/TTableData.h"
#include "viewmodel/dialogs/conditioning/TDelHitPages.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace vorelt {

static_assert(TDelHitPages::FixedRows == TRecordGrid::FixedRows);

TDelHitGrid::TDelHitGrid(TDelHitPages& pages, QWidget* parent)
    : TRecordGrid(parent), FPages(pages) {
    setObjectName("grdDelHit");
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TDelHitGrid::Rebuild() {
    SetSize(FPages.GridRowCount(), FPages.ColumnWidth(viewport()->width()));
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
            p.drawText(QRect(x, y, w, RowHeight), CellAlignment(cells[i].Alignment),
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
    for (int row = TopRow(); row < RowCount() && y <= area.bottom(); ++row, y += RowHeight) {
        const QRect line(0, y, area.width(), RowHeight);
        if (row == CurrentRow()) p.fillRect(line, pal.color(QPalette::Highlight).lighter(170));
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
        if (row == CurrentRow()) {
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
    TRecordGrid::resizeEvent(event);
    SetSize(RowCount(), FPages.ColumnWidth(viewport()->width()));
}

void TDelHitGrid::keyPressEvent(QKeyEvent* event) {
    if (!RowKey(event)) QAbstractScrollArea::keyPressEvent(event);
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
