#include "view2d/TWaveformPlotWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

constexpr int LeftMargin = 64;
constexpr int RightMargin = 14;
constexpr int TopMargin = 10;
constexpr int BottomMargin = 38;

} // namespace

TWaveformPlotWidget::TWaveformPlotWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(300, 160);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TWaveformPlotWidget::SetPlot(const TPlotSeries* series, TPlotView* view,
                                  const QString& xCaption, const QString& yCaption) {
    FSeries = series;
    FView = view;
    FXCaption = xCaption;
    FYCaption = yCaption;
    update();
}

void TWaveformPlotWidget::SetMarks(std::vector<double> xMarks, std::vector<double> yMarks) {
    FXMarks = std::move(xMarks);
    FYMarks = std::move(yMarks);
    update();
}

QRect TWaveformPlotWidget::PlotArea() const {
    return QRect(LeftMargin, TopMargin, std::max(1, width() - LeftMargin - RightMargin),
                 std::max(1, height() - TopMargin - BottomMargin));
}

int TWaveformPlotWidget::XPixel(double x) const {
    const QRect a = PlotArea();
    const TPlotRange& r = FView->X();
    const double p = a.left() + (x - r.Lo) / r.Span() * a.width();
    return int(std::lround(std::clamp(p, -1e6, 1e6)));
}

int TWaveformPlotWidget::YPixel(double y) const {
    const QRect a = PlotArea();
    const TPlotRange& r = FView->Y();
    const double p = a.bottom() - (y - r.Lo) / (r.Span() > 0 ? r.Span() : 1) * a.height();
    return int(std::lround(std::clamp(p, -1e6, 1e6)));
}

double TWaveformPlotWidget::XAt(int pixel) const {
    const QRect a = PlotArea();
    return FView ? FView->X().Lo + double(pixel - a.left()) / a.width() * FView->X().Span() : 0;
}

void TWaveformPlotWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRect a = PlotArea();
    p.fillRect(a, Qt::white);
    if (!FSeries || !FView || FSeries->Y.empty()) {
        p.setPen(palette().text().color());
        p.drawRect(a);
        return;
    }
    // Grid and tick texts.
    const QFontMetrics fm = p.fontMetrics();
    const std::vector<double> xTicks = PlotTicks(FView->X(), std::max(2, a.width() / 90));
    const std::vector<double> yTicks = PlotTicks(FView->Y(), std::max(2, a.height() / 40));
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1;
    const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1;
    p.setPen(QColor(220, 220, 220));
    for (double x : xTicks)
        p.drawLine(XPixel(x), a.top(), XPixel(x), a.bottom());
    for (double y : yTicks)
        p.drawLine(a.left(), YPixel(y), a.right(), YPixel(y));
    p.setPen(palette().text().color());
    for (double x : xTicks) {
        const QString t = QString::fromStdString(PlotTickText(x, xStep));
        p.drawLine(XPixel(x), a.bottom(), XPixel(x), a.bottom() + 4);
        p.drawText(XPixel(x) - fm.horizontalAdvance(t) / 2, a.bottom() + 6 + fm.ascent(), t);
    }
    for (double y : yTicks) {
        const QString t = QString::fromStdString(PlotTickText(y, yStep));
        p.drawLine(a.left() - 4, YPixel(y), a.left(), YPixel(y));
        p.drawText(a.left() - 6 - fm.horizontalAdvance(t), YPixel(y) + fm.ascent() / 2 - 1, t);
    }
    p.drawText(a.left() + (a.width() - fm.horizontalAdvance(FXCaption)) / 2,
               height() - fm.descent() - 1, FXCaption);
    p.save();
    p.translate(fm.ascent(), a.top() + (a.height() + fm.horizontalAdvance(FYCaption)) / 2);
    p.rotate(-90);
    p.drawText(0, 0, FYCaption);
    p.restore();

    p.setClipRect(a.adjusted(0, 0, 1, 1));
    // The series: a vertical line per pixel column from its smallest to its largest value,
    // joined to the next column, or the samples themselves when there are fewer than columns.
    p.setPen(QPen(QColor(20, 60, 160), 1));
    const double perPixel = FView->X().Span() / a.width();
    if (FSeries->Step >= perPixel) {
        const double lo = std::max(0.0, std::floor((FView->X().Lo - FSeries->X0) / FSeries->Step));
        const double hi = std::min(double(FSeries->Size() - 1),
                                   std::ceil((FView->X().Hi - FSeries->X0) / FSeries->Step));
        QPolygon line;
        for (double i = lo; i <= hi; i += 1)
            line << QPoint(XPixel(FSeries->X(size_t(i))), YPixel(FSeries->Y[size_t(i)]));
        p.drawPolyline(line);
    } else {
        FSeries->Columns(FView->X(), a.width(), FColumns);
        int lastY = -1;
        for (int c = 0; c < int(FColumns.size()); ++c) {
            const TColumnExtent& e = FColumns[size_t(c)];
            if (e.Empty) continue;
            const int x = a.left() + c;
            int top = YPixel(e.Max), bottom = YPixel(e.Min);
            if (lastY >= 0) {
                top = std::min(top, lastY);
                bottom = std::max(bottom, lastY);
            }
            p.drawLine(x, top, x, bottom);
            lastY = (YPixel(e.Max) + YPixel(e.Min)) / 2;
        }
    }
    // Marks over the series: a dense trace would hide them.
    p.setPen(QPen(QColor(200, 60, 40), 1, Qt::DashLine));
    for (double x : FXMarks)
        if (x >= FView->X().Lo && x <= FView->X().Hi)
            p.drawLine(XPixel(x), a.top(), XPixel(x), a.bottom());
    for (double y : FYMarks)
        if (y >= FView->Y().Lo && y <= FView->Y().Hi)
            p.drawLine(a.left(), YPixel(y), a.right(), YPixel(y));
    p.setClipping(false);
    if (FDragFrom >= 0 && FDragTo >= 0) {
        const QRect band(QPoint(std::min(FDragFrom, FDragTo), a.top()),
                         QPoint(std::max(FDragFrom, FDragTo), a.bottom()));
        p.fillRect(band, QColor(40, 90, 200, 50));
    }
    p.setPen(palette().text().color());
    p.drawRect(a);
}

void TWaveformPlotWidget::Zoomed() {
    update();
    if (OnZoomed) OnZoomed();
}

void TWaveformPlotWidget::wheelEvent(QWheelEvent* event) {
    if (!FView) return;
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) return;
    FView->ZoomAround(std::pow(0.8, steps), XAt(int(event->position().x())));
    Zoomed();
    event->accept();
}

void TWaveformPlotWidget::mousePressEvent(QMouseEvent* event) {
    const int x = int(event->position().x());
    if (event->button() == Qt::LeftButton && PlotArea().contains(event->position().toPoint())) {
        FDragFrom = FDragTo = x;
    } else if (event->button() == Qt::MiddleButton) {
        FPanFrom = x;
        setCursor(Qt::ClosedHandCursor);
    }
}

void TWaveformPlotWidget::mouseMoveEvent(QMouseEvent* event) {
    const int x = int(event->position().x());
    if (FDragFrom >= 0) {
        FDragTo = std::clamp(x, PlotArea().left(), PlotArea().right());
        update();
    } else if (FPanFrom >= 0 && FView) {
        FView->Pan(XAt(FPanFrom) - XAt(x));
        FPanFrom = x;
        Zoomed();
    }
}

void TWaveformPlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && FDragFrom >= 0) {
        const int from = FDragFrom, to = FDragTo;
        FDragFrom = FDragTo = -1;
        // A drag of a few pixels is a click, not a zoom.
        if (FView && std::abs(to - from) >= 4) {
            FView->ZoomTo(XAt(from), XAt(to));
            Zoomed();
        } else {
            update();
        }
    } else if (event->button() == Qt::MiddleButton) {
        FPanFrom = -1;
        unsetCursor();
    }
}

void TWaveformPlotWidget::mouseDoubleClickEvent(QMouseEvent*) {
    if (!FView) return;
    FView->Reset();
    Zoomed();
}

} // namespace vorelt
