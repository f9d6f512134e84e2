#include "view2d/TAixsStrip.h"

#include "view2d/TAixsPainter.h"
#include "view2d/TCanvasDraw.h"

#include <QLayout>
#include <QPainter>

namespace vorelt {

TAixsStrip::TAixsStrip(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
}

void TAixsStrip::SetAxis(TAixsBase* axis) {
    FAxis = axis;
    if (FAxis) {
        FAxis->SetStrip(this);
        FAxis->SetTextMetrics(&FFonts);
    }
    update();
}

int32_t TAixsStrip::PlotLength(bool vertical) const {
    if (!FPlot) return vertical ? height() : width();
    return vertical ? FPlot->height() : FPlot->width();
}

int32_t TAixsStrip::PlotStart() const {
    if (!FPlot || !FAxis) return 0;
    const QPoint offset = FPlot->mapTo(window(), QPoint(0, 0)) - mapTo(window(), QPoint(0, 0));
    return FAxis->Vertical() ? offset.y() : offset.x();
}

void TAixsStrip::SetThickness(int32_t pixels) {
    if (!FAxis || FAxis->Vertical())
        setFixedWidth(pixels);
    else
        setFixedHeight(pixels);
}

void TAixsStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (FAxis)
        PaintAixs(*FAxis, p, width(), height(), FFonts, clBtnFace, PlotStart());
    else
        p.fillRect(rect(), TCanvasDraw::ToQColor(clBtnFace));
}

void LayOutAixs(std::initializer_list<TAixsBase*> axes, QLayout* apply) {
    for (TAixsBase* a : axes)
        a->BuildMarks();
    for (TAixsBase* a : axes)
        a->UpdateLayout();
    // New thicknesses resize the plot; applied now, the marks below fit the plot as drawn.
    if (apply) apply->activate();
    for (TAixsBase* a : axes)
        a->BuildMarks();
}

} // namespace vorelt
