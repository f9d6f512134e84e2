#pragma once
// The drawables of the test program on the test graph: a section's filled rectangle and the
// load line. The section or line refers to its drawable while the test program window shows
// the graph; the window owns the placement.

#include "testprog/ITestGraphShape.h"
#include "viewmodel/drawables/TLineAEVObject.h"
#include "viewmodel/drawables/TRectFillAEVObject.h"

namespace vorelt {

class TSectionRectAEVObject : public TRectFillAEVObject, public ITestGraphShape {
public:
    std::string ClassName() const override { return "TSectionRectAEVObject"; }
};

class TLoadLineAEVObject : public TLineAEVObject, public ITestGraphShape {
public:
    std::string ClassName() const override { return "TLoadLineAEVObject"; }
    // Starts selected and in creation, for the line the user draws.
    static std::unique_ptr<TLoadLineAEVObject> CreateForDrawing() {
        auto l = std::make_unique<TLoadLineAEVObject>();
        l->StartAsEditing();
        return l;
    }
};

} // namespace vorelt
