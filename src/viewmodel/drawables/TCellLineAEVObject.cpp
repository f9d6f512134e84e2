#include "viewmodel/drawables/TCellLineAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

void TCellLineAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    ApplyPen();
    for (int i = 0; i < FPoints.Count(); ++i)
        DrawAcross(FHorizontal, FHorizontal ? FPoints.Y(i) : FPoints.X(i));
}

} // namespace vorelt
