#pragma once
// Grid lines of a graph: a full-width line through every point's Y (horizontal) or a
// full-height line through its X, drawn with an XOR pen. They never answer a click.

#include "view2d/TAEVPen.h"
#include "view2d/TBaseAEVObject.h"

namespace vorelt {

class TCellLineAEVObject : public TBaseAEVObject {
public:
    TCellLineAEVObject();
    std::string ClassName() const override { return "TCellLineAEVObject"; }
    void Draw() override;

    bool Horizontal() const { return FHorizontal; }
    void SetHorizontal(bool v) { FHorizontal = v; }
    TAEVPen& Pen() { return FPen; }
    long double LineWidth() const { return FLineWidth; }
    void SetLineWidth(long double mm) { FLineWidth = mm; }

private:
    bool FHorizontal = false;
    TAEVPen FPen{clBlack, pmXor, psSolid};
    long double FLineWidth = 1.0L;
};

} // namespace vorelt
