#include "view2d/TCellLineAEVObject.h"

#include "view2d/TLogicalCanvas.h"

namespace vorelt {

TCellLineAEVObject::TCellLineAEVObject() {
    FScaleX = 1;
    FScaleY = 1;
}

void TCellLineAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    TPenAttrs attrs = FPen.Attrs();
    const ICoordConvert* c = Converter();
    attrs.Width = c ? c->MmToPixels(FLineWidth) : 1;
    TDrawStyle style;
    style.Pen = &attrs;
    style.Mask = static_cast<uint16_t>(FPen.Mask() | dsPenWidth);
    FDraw->ApplyStyle(style);
    const long double w = LogicalWidth();
    const long double h = LogicalHeight();
    for (int i = 0; i < FPoints.Count(); ++i) {
        TLogicalPoint a;
        TLogicalPoint b;
        if (FHorizontal) {
            a.X = 0;
            b.X = w;
            a.Y = b.Y = FPoints.Y(i);
        } else {
            a.Y = 0;
            b.Y = h;
            a.X = b.X = FPoints.X(i);
        }
        FDraw->DrawLine(a, b, ScaleFlags());
    }
}

} // namespace vorelt
