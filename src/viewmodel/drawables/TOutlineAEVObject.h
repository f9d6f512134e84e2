#pragma once
// What rectangles, lines and polygons share: a frame pen, a selected pen and an editing pen
// (XOR, so that the look while creating or editing erases itself when drawn again), a line
// width in millimetres, and the placing of points with a rubber-band point.

#include "viewmodel/canvas/TAEVPen.h"
#include "viewmodel/drawables/TBaseAEVObject.h"

namespace vorelt {

class TOutlineAEVObject : public TBaseAEVObject {
public:
    TOutlineAEVObject();

    TAEVPen& FramePen() { return FFramePen; }
    TAEVPen& SelectedPen() { return FSelectedPen; }
    TAEVPen& EditingPen() { return FEditingPen; }
    long double LineWidth() const { return FLineWidth; }
    void SetLineWidth(long double mm) { FLineWidth = mm; }

protected:
    // Selected and in creation, as a shape the user draws starts.
    void StartAsEditing();
    // The pen of the current state and its width in millimetres.
    const TAEVPen& StatePen(long double& widthMm) const;
    void ApplyPen(const TAEVPen& pen, long double widthMm);
    // Fixes the rubber-band point at the click (or places the first point) and adds a new
    // rubber-band point.
    void AddWithRubberBand(const THitInfo& info);
    // Drops the rubber-band point; true when at least `minimum` points remain.
    bool DropRubberBand(int minimum);

    TAEVPen FFramePen{clBlack, pmCopy, psSolid};
    TAEVPen FSelectedPen{clRed, pmCopy, psSolid};
    TAEVPen FEditingPen{clBlack, pmXor, psDashDotDot};
    long double FLineWidth = 0.1L;
};

} // namespace vorelt
