#include "viewmodel/drawables/TFullLineAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

TFullLineAEVObject::TFullLineAEVObject(const TAEVPen& pen, long double widthMm)
    : FPen(pen), FLineWidth(widthMm) {
    FScaleX = 1;
    FScaleY = 1;
}

void TFullLineAEVObject::ApplyPen() {
    TPenAttrs attrs = FPen.Attrs();
    const ICoordConvert* c = Converter();
    attrs.Width = c ? c->MmToPixels(FLineWidth) : 1;
    TDrawStyle style;
    style.Pen = &attrs;
    style.Mask = static_cast<uint16_t>(FPen.Mask() | dsPenWidth);
    FDraw->ApplyStyle(style);
}

void TFullLineAEVObject::DrawAcross(bool horizontal, long double at) {
    if (horizontal)
        FDraw->DrawLine(TLogicalPoint{0, at}, TLogicalPoint{LogicalWidth(), at}, ScaleFlags());
    else
        FDraw->DrawLine(TLogicalPoint{at, 0}, TLogicalPoint{at, LogicalHeight()}, ScaleFlags());
}

} // namespace vorelt
