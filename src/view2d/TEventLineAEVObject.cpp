#include "view2d/TEventLineAEVObject.h"

#include "view2d/TLogicalCanvas.h"

namespace vorelt {

TEventLineAEVObject::TEventLineAEVObject() {
    FScaleX = 1;
    FScaleY = 1;
}

void TEventLineAEVObject::Draw() {
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
        const long double x = FPoints.X(i);
        const long double y = FPoints.Y(i);
        FDraw->DrawLine(TLogicalPoint{x, 0}, TLogicalPoint{x, h}, ScaleFlags());
        FDraw->DrawLine(TLogicalPoint{0, y}, TLogicalPoint{w, y}, ScaleFlags());
    }
}

} // namespace vorelt
