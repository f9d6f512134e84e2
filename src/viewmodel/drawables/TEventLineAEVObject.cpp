#include "viewmodel/drawables/TEventLineAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

void TEventLineAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    ApplyPen();
    for (int i = 0; i < FPoints.Count(); ++i) {
        DrawAcross(false, FPoints.X(i));
        DrawAcross(true, FPoints.Y(i));
    }
}

} // namespace vorelt
