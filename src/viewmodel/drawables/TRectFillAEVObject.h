#pragma once
// A rectangle whose outline is drawn a second time, solid and thin, in the colour of its
// editing pen, so that it stands out on any background.

#include "viewmodel/drawables/TRectAEVObject.h"

namespace vorelt {

class TRectFillAEVObject : public TRectAEVObject {
public:
    TRectFillAEVObject() = default;
    std::string ClassName() const override { return "TRectFillAEVObject"; }
    void Draw() override;
};

} // namespace vorelt
