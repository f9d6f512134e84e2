#include "viewmodel/drawables/TPolyLineAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

std::unique_ptr<TPolyLineAEVObject> TPolyLineAEVObject::CreateForEditing() {
    auto p = std::make_unique<TPolyLineAEVObject>();
    p->StartAsEditing();
    return p;
}

bool TPolyLineAEVObject::IsCreationComplete(bool adding) {
    if (adding) return false;
    return DropRubberBand(3);
}

void TPolyLineAEVObject::CreateAddPoint(THitInfo& info) {
    AddWithRubberBand(info);
}

void TPolyLineAEVObject::HitTest(THitInfo& info) {
    HitTestOutline(info, true, true);
}

void TPolyLineAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    long double width = 0;
    const TAEVPen& pen = StatePen(width);
    ApplyPen(pen, width);
    const int n = GetPointCount();
    TLogicalPoint first;
    TLogicalPoint prev;
    for (int i = 0; i < n; ++i) {
        TLogicalPoint p;
        GetPoint(i, p);
        if (i == 0)
            first = p;
        else
            FDraw->DrawLine(prev, p, ScaleFlags());
        prev = p;
    }
    if (n > 1) FDraw->DrawLine(prev, first, ScaleFlags());
}

} // namespace vorelt
