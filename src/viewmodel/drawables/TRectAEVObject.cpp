#include "viewmodel/drawables/TRectAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

#include <cmath>

namespace vorelt {

TRectAEVObject::TRectAEVObject() = default;

std::unique_ptr<TRectAEVObject> TRectAEVObject::CreateForEditing() {
    auto r = std::make_unique<TRectAEVObject>();
    r->StartAsEditing();
    return r;
}

void TRectAEVObject::SetRect(long double x0, long double y0, long double x1, long double y1) {
    FPoints.Clear();
    FPoints.Add(static_cast<double>(x0), static_cast<double>(y0));
    FPoints.Add(static_cast<double>(x1), static_cast<double>(y1));
    NotifyChanged();
    Redraw();
}

bool TRectAEVObject::IsCreationComplete(bool) {
    return FPoints.Count() == 2;
}

int TRectAEVObject::GetPointCount() const {
    return FPoints.Count() >= 2 ? 4 : 0;
}

bool TRectAEVObject::GetPoint(int index, TLogicalPoint& p) const {
    if (FPoints.Count() < 2 || index < 0 || index > 3) return false;
    p = TLogicalPoint{};
    p.X = (index == 1 || index == 2) ? FPoints.X(1) : FPoints.X(0);
    p.Y = (index == 2 || index == 3) ? FPoints.Y(1) : FPoints.Y(0);
    return true;
}

void TRectAEVObject::SetPoint(int index, const TLogicalPoint& p) {
    if (FPoints.Count() < 2 || index < 0 || index > 3) return;
    const int ix = (index == 1 || index == 2) ? 1 : 0;
    const int iy = (index == 2 || index == 3) ? 1 : 0;
    FPoints.SetXY(ix, static_cast<double>(p.X), FPoints.Y(ix));
    FPoints.SetXY(iy, FPoints.X(iy), static_cast<double>(p.Y));
}

void TRectAEVObject::CreateAddPoint(THitInfo& info) {
    // The first click places P0 and a P1 that follows the mouse until the second click.
    if (FPoints.Count() != 0) return;
    FPoints.Add(static_cast<double>(info.Point.X), static_cast<double>(info.Point.Y));
    FPoints.Add(static_cast<double>(info.Point.X + 1), static_cast<double>(info.Point.Y + 1));
    FCreateIndex = 2;
    NotifyChanged();
}

bool TRectAEVObject::ConstrainPlacement(THitInfo& info) {
    TBaseAEVObject::ConstrainPlacement(info);
    // While a rectangle is drawn its second corner stays right of and below the first.
    if (FState == osCreating && FPoints.Count() == 2) {
        info.Point.X = std::max<long double>(info.Point.X, FPoints.X(0) + 1);
        info.Point.Y = std::max<long double>(info.Point.Y, FPoints.Y(0) + 1);
    }
    return true;
}

void TRectAEVObject::MoveCorners(const std::vector<int>& corners, long double dx, long double dy) {
    if (FPoints.Count() < 2) return;
    // Which of P0 and P1 each corner moves, per axis.
    bool moveX[2] = {false, false};
    bool moveY[2] = {false, false};
    for (int k : corners) {
        moveX[(k == 1 || k == 2) ? 1 : 0] = true;
        moveY[(k == 2 || k == 3) ? 1 : 0] = true;
    }
    auto axis = [](long double& a, long double& b, bool ma, bool mb, long double d) {
        if (ma && mb) {
            a += d;
            b += d;
            return;
        }
        if (!ma && !mb) return;
        long double& moving = ma ? a : b;
        const long double other = ma ? b : a;
        // The moving coordinate keeps its side of the other one, 1 unit short at least.
        const bool below = moving < other || (moving == other && ma);
        moving += d;
        if (below && moving > other - 1) moving = other - 1;
        if (!below && moving < other + 1) moving = other + 1;
    };
    long double x0 = FPoints.X(0), y0 = FPoints.Y(0), x1 = FPoints.X(1), y1 = FPoints.Y(1);
    axis(x0, x1, moveX[0], moveX[1], dx);
    axis(y0, y1, moveY[0], moveY[1], dy);
    FPoints.SetXY(0, static_cast<double>(x0), static_cast<double>(y0));
    FPoints.SetXY(1, static_cast<double>(x1), static_cast<double>(y1));
}

void TRectAEVObject::DragVertex(THitInfo& info) {
    if (FState == osCreating) {
        TBaseAEVObject::DragVertex(info);
        return;
    }
    long double dx = 0;
    long double dy = 0;
    AllowedShift(info, FVertexAxes, dx, dy);
    if (dx == 0 && dy == 0) return;
    if (!AcceptChange(hkHandle, FDragIndex, dx, dy)) return;
    Change([&] { MoveCorners({FDragIndex}, dx, dy); });
    FDragAnchor.X = info.Point.X;
    FDragAnchor.Y = info.Point.Y;
}

void TRectAEVObject::DragEdge(THitInfo& info) {
    int a = 0;
    int b = 0;
    if (!GetEdge(FDragIndex, a, b)) return;
    long double dx = 0;
    long double dy = 0;
    AllowedShift(info, FVertexAxes, dx, dy);
    if (dx == 0 && dy == 0) return;
    if (!AcceptChange(hkEdge, FDragIndex, dx, dy)) return;
    Change([&] { MoveCorners({a, b}, dx, dy); });
    FDragAnchor.X = info.Point.X;
    FDragAnchor.Y = info.Point.Y;
}

void TRectAEVObject::HitTest(THitInfo& info) {
    HitTestOutline(info, true, true);
}

void TRectAEVObject::DrawOutline() {
    const int n = GetPointCount();
    TLogicalPoint first;
    TLogicalPoint prev;
    for (int i = 0; i < n; ++i) {
        TLogicalPoint p;
        GetPoint(i, p);
        FDraw->DrawMarker(p, ScaleFlags());
        if (i == 0)
            first = p;
        else
            FDraw->DrawLine(prev, p, ScaleFlags());
        prev = p;
    }
    if (n > 1) FDraw->DrawLine(prev, first, ScaleFlags());
}

void TRectAEVObject::Draw() {
    if (!CanDraw()) return;
    TCanvasStateGuard guard(*FDraw);
    long double width = 0;
    const TAEVPen& pen = StatePen(width);
    ApplyPen(pen, width);
    DrawOutline();
}

} // namespace vorelt
