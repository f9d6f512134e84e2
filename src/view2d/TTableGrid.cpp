#include "view2d/TTableGrid.h"

#include "model/TAEFieldIDs.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TTableVC.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace vorelt {

namespace {

constexpr int TagLeft = 16;

} // namespace

TTableGrid::TTableGrid(TTableVC& view, QWidget* parent) : TRecordGrid(parent), FView(view) {
    setObjectName("grdTable");
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAutoFillBackground(false);
}

void TTableGrid::SetRowCount(int rows) {
    SetSize(rows, ColumnWidth());
}

void TTableGrid::SetColumnWidth(int width) {
    SetSize(RowCount(), width);
}

void TTableGrid::Rebind() {
    FBound = false;
    viewport()->update();
}

void TTableGrid::BindColumns() {
    TGVCPUTbl* table = FView.Table();
    FPositions.clear();
    FDefaultTextPos = -1;
    if (!table) return;
    table->PrepareRowRecord(FRecord);
    for (const TGVStringProperty* c : FView.Data().VisibleColumns()) {
        int pos = -1;
        for (int i = 0; i < FRecord.FieldCount(); ++i)
            if (FRecord.Field(i)->ID() == c->Value()) {
                pos = i;
                break;
            }
        FPositions.push_back(pos);
    }
    for (int i = 0; i < FRecord.FieldCount(); ++i)
        if (FRecord.Field(i)->ID() == fidDefaultText) FDefaultTextPos = i;
    FBound = true;
}

void TTableGrid::PaintRows(QPainter& p, const QRect& area) {
    if (!FBound) BindColumns();
    FLastFetches = 0;
    const QPalette& pal = palette();
    p.fillRect(area, pal.color(QPalette::Button));
    const int width = viewport()->width();
    auto cellRect = [&](int y) {
        return QRect(-HorizontalOffset(), y, std::max(ColumnWidth(), width), RowHeight);
    };
    DrawHeader(p, 0, cellRect(0));
    DrawHeader(p, 1, cellRect(RowHeight));
    int y = FixedRows * RowHeight;
    for (int row = TopRow(); row < RowCount() && y < area.bottom() + 1; ++row, y += RowHeight) {
        const QRect cell = cellRect(y);
        if (row == CurrentRow()) p.fillRect(cell, pal.color(QPalette::HighlightedText));
        DrawDataRow(p, row, cell);
        if (row == CurrentRow()) {
            QPen pen(pal.color(QPalette::WindowText));
            pen.setStyle(Qt::DotLine);
            p.setPen(pen);
            p.drawRect(QRect(0, y, width - 1, RowHeight - 1));
        }
    }
}

void TTableGrid::DrawHeader(QPainter& p, int row, const QRect& cell) {
    TTableVC& view = FView;
    const QFontMetrics fm(font());
    int x = cell.left() + TagLeft + fm.horizontalAdvance("WWW") + 5;
    p.setPen(palette().color(QPalette::ButtonText));
    if (row == 0) {
        // Captions only while the data source is ready.
        if (view.GetStatus() == vsUnavailable) return;
        for (const TGVStringProperty* c : view.Data().VisibleColumns()) {
            const QRect r(x, cell.top(), c->GetDisplayWidth(), RowHeight);
            p.drawText(r, CellAlignment(c->GetAlignment()),
                       QString::fromStdString(c->GetDisplayName()));
            x += c->GetDisplayWidth() + 10;
        }
        return;
    }
    const std::vector<const TGVStringProperty*> columns = view.Data().VisibleColumns();
    TGVCPUTbl* table = view.Table();
    for (const TGVStringProperty* c : columns) {
        int w = c->GetDisplayWidth();
        std::string unit = c->GetDisplayDimension();
        if (table)
            if (const TAEField* f = table->FindField(c->Value())) {
                unit = f->GetDisplayDimension();
                if (w == 0) w = f->GetDisplayWidth();
            }
        p.drawText(QRect(x, cell.top(), std::max(0, w), RowHeight),
                   CellAlignment(c->GetAlignment()), QString::fromStdString(DisplayUnit(unit)));
        x += w + 10;
    }
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, cell.bottom(), viewport()->width(), cell.bottom());
}

void TTableGrid::DrawDataRow(QPainter& p, int row, const QRect& cell) {
    TTableVC& view = FView;
    TGVCPUTbl* table = view.Table();
    const int32_t position = view.Data().RowPosition(row - FixedRows);
    if (!table || position < 0) return;
    // A row that cannot be fetched stays empty.
    if (!table->FetchRow(FNav, FRecord, row - 1, position)) return;
    ++FLastFetches;
    const uint8_t kind = FRecord.Kind();
    const TKindTag tag = KindTagOf(kind, FRecord.RecFlags());
    QFont rowFont = font();
    rowFont.setUnderline(tag.Underline);
    const QFontMetrics fm(font());
    const int tagWidth = fm.horizontalAdvance("WWW");
    if (tag.Text[0] != '\0') {
        QFont tagFont = rowFont;
        tagFont.setBold(tag.Bold);
        p.setFont(tagFont);
        p.setPen(QColor(static_cast<QRgb>(0xFF000000u | tag.Color)));
        p.drawText(QRect(cell.left() + TagLeft, cell.top(), tagWidth, RowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, tag.Text);
    }
    p.setFont(rowFont);
    p.setPen(palette().color(QPalette::ButtonText));
    int x = cell.left() + TagLeft + tagWidth + 5;
    const std::vector<const TGVStringProperty*> columns = view.Data().VisibleColumns();
    if (kind == rkHit || kind == rkCriterion) {
        for (size_t i = 0; i < columns.size() && i < FPositions.size(); ++i) {
            const int w = columns[i]->GetDisplayWidth();
            if (FPositions[i] >= 0) {
                const TAEField& f = *FRecord.Field(FPositions[i]);
                p.drawText(QRect(x, cell.top(), w, RowHeight),
                           CellAlignment(columns[i]->GetAlignment()),
                           QString::fromStdString(FormatTableValue(f)));
            }
            x += w + 10;
        }
    } else if (FDefaultTextPos >= 0) {
        const TAEField& f = *FRecord.Field(FDefaultTextPos);
        // The text of a message runs across the columns.
        p.drawText(QRect(x, cell.top(), std::max(f.GetDisplayWidth(), cell.right() - x), RowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(f.GetAsString()));
    }
    p.setFont(font());
    DrawRowMark(p, FRecord.RecFlags(), cell);
}

void TTableGrid::DrawRowMark(QPainter& p, uint8_t recFlags, const QRect& cell) {
    const TRowMark mark = RowMarkOf(recFlags);
    if (mark == TRowMark::None) return;
    const QRect box(cell.left() + 2, cell.top() + 4, 11, 11);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(box);
    const bool deleted = mark != TRowMark::ChkNotDel;
    const bool selected = mark != TRowMark::NotChkDel;
    if (deleted) {
        // The deleted part: a red cross.
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(box.topLeft() + QPoint(2, 2), box.bottomRight() - QPoint(2, 2));
        p.drawLine(box.topRight() + QPoint(-2, 2), box.bottomLeft() + QPoint(2, -2));
    }
    if (selected) {
        // The selected part: a tick.
        p.setPen(QPen(QColor(0, 120, 0), 2));
        p.drawLine(box.left() + 2, box.center().y(), box.center().x(), box.bottom() - 2);
        p.drawLine(box.center().x(), box.bottom() - 2, box.right() - 1, box.top() + 1);
    }
    p.setBrush(Qt::NoBrush);
}

void TTableGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    PaintRows(p, viewport()->rect());
}

void TTableGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        FView.SendHitMark(CurrentRow());
        return;
    }
    RowKey(event);
    FView.ShortCutKey(key);
}

void TTableGrid::mousePressEvent(QMouseEvent* event) {
    FView.Clicked();
    setFocus();
    const int row = RowAt(static_cast<int>(event->position().y()));
    if (row >= FixedRows) SetCurrentRow(row);
}

void TTableGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const int row = RowAt(static_cast<int>(event->position().y()));
    if (row >= FixedRows) {
        SetCurrentRow(row);
        FView.SendHitMark(row);
        FView.ShowWaveform(row);
    }
}

void TTableGrid::contextMenuEvent(QContextMenuEvent* event) {
    FView.Clicked();
    FView.ShowContextMenu(event->globalPos());
}

} // namespace vorelt
