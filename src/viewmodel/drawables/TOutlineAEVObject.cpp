#include "viewmodel/drawables/TOutlineAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

TOutlineAEVObject::TOutlineAEVObject() {
    FScaleX = 1;
    FScaleY = 1;
    FMovable = true;
    FResizable = true;
}

void TOutlineAEVObject::StartAsEditing() {
    FSelected = true;
    FAutoEdit = true;
    FState = osCreating;
    FCreateIndex = -1;
}

const TAEVPen& TOutlineAEVObject::StatePen(long double& widthMm) const {
    if (DrawsXor()) {
        widthMm = 0.1L;
        return FEditingPen;
    }
    widthMm = FLineWidth;
    return FSelected ? FSelectedPen : FFramePen;
}

void TOutlineAEVObject::ApplyPen(const TAEVPen& pen, long double widthMm) {
    TPenAttrs attrs = pen.Attrs();
    const ICoordConvert* c = Converter();
    attrs.Width = c ? c->MmToPixels(widthMm) : 1;
    TDrawStyle style;
    style.Pen = &attrs;
    style.Mask = static_cast<uint16_t>(pen.Mask() | dsPenWidth);
    FDraw->ApplyStyle(style);
}

void TOutlineAEVObject::AddWithRubberBand(const THitInfo& info) {
    const auto x = static_cast<double>(info.Point.X);
    const auto y = static_cast<double>(info.Point.Y);
    if (FCreateIndex != -1 && FPoints.Valid(FCreateIndex))
        FPoints.SetXY(FCreateIndex, x, y);
    else
        FPoints.Add(x, y);
    FCreateIndex = FPoints.Add(x, y);
    NotifyChanged();
}

bool TOutlineAEVObject::DropRubberBand(int minimum) {
    if (FCreateIndex != -1) {
        FPoints.Delete(FCreateIndex);
        FCreateIndex = -1;
        NotifyChanged();
    }
    return FPoints.Count() >= minimum;
}

} // namespace vorelt
