#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

std::unique_ptr<TRoShemRectAEVObject> TRoShemRectAEVObject::CreateForEditing() {
    auto r = std::make_unique<TRoShemRectAEVObject>();
    r->StartAsEditing();
    return r;
}

void TRoShemRectAEVObject::SetCaption(std::string caption) {
    FCaption = std::move(caption);
    Redraw();
}

void TRoShemRectAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    long double width = 0;
    const TAEVPen& pen = StatePen(width);
    ApplyPen(pen, width);
    TDrawStyle fill;
    fill.Brush = &FBrush.Attrs();
    fill.Font = &FFont;
    fill.Mask = static_cast<uint16_t>(FBrush.Mask() | dsFontName | dsFontColor | dsFontHeight |
                                      dsFontStyle);
    FDraw->ApplyStyle(fill);
    TLogicalPoint p0;
    TLogicalPoint p2;
    GetPoint(0, p0);
    GetPoint(2, p2);
    FDraw->DrawRoundRect(p0, p2, FCornerSize, ScaleFlags());
    if (!FCaption.empty()) FDraw->DrawTextRect(p0, p2, ScaleFlags(), FCaption);
}

} // namespace vorelt
