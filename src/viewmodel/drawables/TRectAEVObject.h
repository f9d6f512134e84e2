#pragma once
// A rectangle on the logical sheet: the info rectangle of a graph and the rectangles a user
// drags. It stores two points, P0 and P1, and shows four corners: 0 = P0, 1 = (P1.X, P0.Y),
// 2 = P1, 3 = (P0.X, P1.Y); edge k joins corners k and k + 1 (edge 3 joins 3 and 0).

#include "viewmodel/drawables/TOutlineAEVObject.h"

namespace vorelt {

class TRectAEVObject : public TOutlineAEVObject {
public:
    TRectAEVObject();
    // Starts selected and in creation, for a rectangle the user draws.
    static std::unique_ptr<TRectAEVObject> CreateForEditing();

    std::string ClassName() const override { return "TRectAEVObject"; }

    bool IsCreationComplete(bool adding) override;
    int GetPointCount() const override;
    bool GetPoint(int index, TLogicalPoint& p) const override;
    void SetPoint(int index, const TLogicalPoint& p) override;
    bool IsClosed() const override { return true; }
    void CreateAddPoint(THitInfo& info) override;
    bool ConstrainPlacement(THitInfo& info) override;
    void DragVertex(THitInfo& info) override;
    void DragEdge(THitInfo& info) override;
    void HitTest(THitInfo& info) override;
    void Draw() override;

    // Corners from P0 and P1 directly.
    void SetRect(long double x0, long double y0, long double x1, long double y1);

protected:
    // The closed outline with a marker at every corner.
    void DrawOutline();
    // Moves corners `corners` by the shift; a coordinate that only one of P0 and P1 changes
    // stays at least 1 unit short of the other on that axis.
    void MoveCorners(const std::vector<int>& corners, long double dx, long double dy);
};

} // namespace vorelt
