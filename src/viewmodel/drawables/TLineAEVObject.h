#pragma once
// An open line through its points: load lines, test-program shapes. Points can be inserted
// by a double click on a segment while editing.

#include "viewmodel/drawables/TOutlineAEVObject.h"

namespace vorelt {

class TLineAEVObject : public TOutlineAEVObject {
public:
    TLineAEVObject();
    // Starts selected and in creation, for a line the user draws.
    static std::unique_ptr<TLineAEVObject> CreateForEditing();

    std::string ClassName() const override { return "TLineAEVObject"; }

    // Never complete while adding; a right click drops the rubber-band point and completes a
    // line of at least 2 points.
    bool IsCreationComplete(bool adding) override;
    void CreateAddPoint(THitInfo& info) override;
    void InsertVertex(THitInfo& info, int index) override;
    void HitTest(THitInfo& info) override;
    void Draw() override;

    bool ShowVertices() const { return FShowVertices; }
    void SetShowVertices(bool v) { FShowVertices = v; }

private:
    bool FShowVertices = true;
};

} // namespace vorelt
