#pragma once
// Cross-hairs: a full-height line through every point's X and a full-width line through its
// Y. Time marks of graphs use it.

#include "viewmodel/drawables/TFullLineAEVObject.h"

namespace vorelt {

class TEventLineAEVObject : public TFullLineAEVObject {
public:
    TEventLineAEVObject() : TFullLineAEVObject(TAEVPen{clGray, pmCopy, psSolid}, 0.1L) {}
    std::string ClassName() const override { return "TEventLineAEVObject"; }
    void Draw() override;
};

} // namespace vorelt
