#include "viewmodel/drawables/TRectFillAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

void TRectFillAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    long double width = 0;
    const TAEVPen& pen = StatePen(width);
    ApplyPen(pen, width);
    DrawOutline();
    // The mode stays that of the state pen, so an XOR look still erases itself.
    TAEVPen second;
    second.SetColor(FEditingPen.Color());
    second.SetStyle(psSolid);
    ApplyPen(second, 0.1L);
    const int n = GetPointCount();
    for (int i = 0; i < n; ++i) {
        TLogicalPoint a;
        TLogicalPoint b;
        GetPoint(i, a);
        GetPoint((i + 1) % n, b);
        FDraw->DrawLine(a, b, ScaleFlags());
    }
}

} // namespace vorelt
