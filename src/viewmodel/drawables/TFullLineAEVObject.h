#pragma once
// Lines that run across the whole canvas through the object's points (grid lines, cross-hairs):
// one pen and a width in millimetres, and no answer to a click.

#include "viewmodel/canvas/TAEVPen.h"
#include "viewmodel/drawables/TBaseAEVObject.h"

namespace vorelt {

class TFullLineAEVObject : public TBaseAEVObject {
public:
    TAEVPen& Pen() { return FPen; }
    long double LineWidth() const { return FLineWidth; }
    void SetLineWidth(long double mm) { FLineWidth = mm; }

protected:
    TFullLineAEVObject(const TAEVPen& pen, long double widthMm);
    // Selects the pen at its width in pixels; the guard restores the canvas afterwards.
    void ApplyPen();
    // Draws from one edge of the canvas to the other, at Y (horizontal) or at X.
    void DrawAcross(bool horizontal, long double at);

private:
    TAEVPen FPen;
    long double FLineWidth;
};

} // namespace vorelt
