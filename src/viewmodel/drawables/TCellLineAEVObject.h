#pragma once
// Grid lines of a graph: a full-width line through every point's Y (horizontal) or a
// full-height line through its X, drawn with an XOR pen. They never answer a click.

#include "viewmodel/drawables/TFullLineAEVObject.h"

namespace vorelt {

class TCellLineAEVObject : public TFullLineAEVObject {
public:
    TCellLineAEVObject() : TFullLineAEVObject(TAEVPen{clBlack, pmXor, psSolid}, 1.0L) {}
    std::string ClassName() const override { return "TCellLineAEVObject"; }
    void Draw() override;
    bool Horizontal() const { return FHorizontal; }
    void SetHorizontal(bool v) { FHorizontal = v; }

private:
    bool FHorizontal = false;
};

} // namespace vorelt
