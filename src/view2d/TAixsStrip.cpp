#include "view2d/TAixsStrip.h"

#include "view2d/TAixsPainter.h"
#include "view2d/TCanvasDraw.h"

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

void TAixsStrip::SetThickness(int32_t pixels) {
    if (!FAxis || FAxis->Vertical())
        setFixedWidth(pixels);
    else
        setFixedHeight(pixels);
}

void TAixsStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (FAxis)
        PaintAixs(*FAxis, p, width(), height(), FFonts);
    else
        p.fillRect(rect(), TCanvasDraw::ToQColor(clBtnFace));
}

} // namespace vorelt
