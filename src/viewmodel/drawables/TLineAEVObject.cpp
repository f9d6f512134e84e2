#include "viewmodel/drawables/TLineAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

TLineAEVObject::TLineAEVObject() {
    FCanInsertPoints = true;
}

std::unique_ptr<TLineAEVObject> TLineAEVObject::CreateForEditing() {
    auto l = std::make_unique<TLineAEVObject>();
    l->StartAsEditing();
    return l;
}

bool TLineAEVObject::IsCreationComplete(bool adding) {
    if (adding) return false;
    return DropRubberBand(2);
}

void TLineAEVObject::CreateAddPoint(THitInfo& info) {
    AddWithRubberBand(info);
}

void TLineAEVObject::InsertVertex(THitInfo& info, int index) {
    // A double click on a segment puts a new point after the segment's first point.
    if (info.HitKind != hkBody) return;
    const int at = index + 1;
    Change([&] { InsertPoint(at, info.Point.X, info.Point.Y); });
    TBaseAEVObject::InsertVertex(info, at);
}

void TLineAEVObject::HitTest(THitInfo& info) {
    HitTestOutline(info, true, false);
}

void TLineAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    long double width = 0;
    const TAEVPen& pen = StatePen(width);
    ApplyPen(pen, width);
    const int n = GetPointCount();
    const bool editing = DrawsXor();
    TLogicalPoint prev;
    for (int i = 0; i < n; ++i) {
        TLogicalPoint p;
        GetPoint(i, p);
        if (i > 0) FDraw->DrawLine(prev, p, ScaleFlags());
        if (editing || FShowVertices) FDraw->DrawMarker(p, ScaleFlags());
        prev = p;
    }
    if (editing) return;
    bool marks = false;
    for (int i = 0; i < FPoints.Count(); ++i) {
        if (!FPoints.HasFlag(i, pfMarked)) continue;
        if (!marks) {
            TAEVPen mark;
            mark.SetColor(FSelectedPen.Color());
            ApplyPen(mark, width);
            marks = true;
        }
        FDraw->DrawMarker(FPoints.Get(i), ScaleFlags());
    }
}

} // namespace vorelt
