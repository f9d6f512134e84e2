#include "viewmodel/drawables/TLabelledMarksAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

TLabelledMarksAEVObject::TLabelledMarksAEVObject() {
    SetMovable(false);
    SetResizable(false);
    SetEnabled(false);
}

void TLabelledMarksAEVObject::ClearValues() {
    ClearPoints();
    FLabels.clear();
}

void TLabelledMarksAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    long double width = 0;
    const TAEVPen& pen = StatePen(width);
    ApplyPen(pen, width);
    TDrawStyle text;
    text.Font = &FFont;
    text.Mask = static_cast<uint16_t>(dsFontName | dsFontColor | dsFontHeight | dsFontStyle);
    FDraw->ApplyStyle(text);
    // The label sits above and right of its marker in a box of a few millimetres.
    constexpr long double Dx = 1.5L, Wide = 12, Tall = 5;
    const int n = GetPointCount();
    for (int i = 0; i < n; ++i) {
        TLogicalPoint p;
        GetPoint(i, p);
        FDraw->DrawMarker(p, ScaleFlags());
        if (static_cast<size_t>(i) >= FLabels.size() || FLabels[static_cast<size_t>(i)].empty())
            continue;
        const TLogicalPoint a{p.X + Dx, p.Y - Tall - Dx};
        const TLogicalPoint b{p.X + Dx + Wide, p.Y - Dx};
        FDraw->DrawTextRect(a, b, ScaleFlags(), FLabels[static_cast<size_t>(i)]);
    }
}

} // namespace vorelt
