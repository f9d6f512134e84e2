#pragma once
// Cross-hairs: a full-height line through every point's X and a full-width line through its
// Y. Time marks of graphs use it.

#include "view2d/TAEVPen.h"
#include "view2d/TBaseAEVObject.h"

namespace vorelt {

class TEventLineAEVObject : public TBaseAEVObject {
public:
    TEventLineAEVObject();
    std::string ClassName() const override { return "TEventLineAEVObject"; }
    void Draw() override;

    TAEVPen& Pen() { return FPen; }
    long double LineWidth() const { return FLineWidth; }
    void SetLineWidth(long double mm) { FLineWidth = mm; }

private:
    TAEVPen FPen{clGray, pmCopy, psSolid};
    long double FLineWidth = 0.1L;
};

} // namespace vorelt
