#pragma once
// A closed outline through its points: the zone polygons of graph add-ons.

#include "viewmodel/drawables/TOutlineAEVObject.h"

namespace vorelt {

class TPolyLineAEVObject : public TOutlineAEVObject {
public:
    TPolyLineAEVObject() = default;
    static std::unique_ptr<TPolyLineAEVObject> CreateForEditing();

    std::string ClassName() const override { return "TPolyLineAEVObject"; }
    // Never complete while adding; a right click drops the rubber-band point and completes a
    // polygon of more than 2 points.
    bool IsCreationComplete(bool adding) override;
    void CreateAddPoint(THitInfo& info) override;
    bool IsClosed() const override { return true; }
    void HitTest(THitInfo& info) override;
    void Draw() override;
};

} // namespace vorelt
