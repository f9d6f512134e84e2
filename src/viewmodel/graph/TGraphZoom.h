#pragma once
// The range side of zooming a graph: snapshots of the current ranges, the zoom stack, the
// narrowing of ranges to a rectangle, zooming around the mouse by wheel steps and moving the
// ranges with a drag, the transform that moves drawn points from old ranges to new ones, and
// the search of a sorted point index for the points under a rectangle.

#include "processing/graph/TGraphTypes.h"
#include "processing/graph/TSeriesGr.h"

#include <functional>
#include <vector>

namespace vorelt {

// Zoom modes.
constexpr int zmBoth = 0;
constexpr int zmVertical = 1;
constexpr int zmHorizontal = 2;
constexpr int zmRange = 3; // horizontally to a given range

TRangeSnapshot SnapshotRanges(const TGraphRun& axes);
// Sets the current ranges from a snapshot; the right pair only while the right axis is on.
void RestoreRanges(const TGraphRun& axes, const TRangeSnapshot& s);

// From the old current ranges to the present ones. An old range without width cannot be
// mapped from: the transform then asks for a refill of the view.
TViewTransform ComputeTransform(const TRangeSnapshot& old, const TGraphRun& axes);

// Narrows the current range of `axis` to the values a .. b (widened to a proper range first):
// each bound moves inwards or stays.
void NarrowRange(IGraphAxis& axis, long double a, long double b);

// A rectangle of the plot as fractions of the current ranges (0 at the minimum, 1 at the
// maximum; Top above Bottom), as the drawn points are placed.
struct TZoomRect {
    long double Left = 0, Top = 1, Right = 1, Bottom = 0;
};

// The value at a fraction of the current range of `axis`.
long double ValueAtFraction(const IGraphAxis& axis, long double f);

// What a wheel step did.
enum class TWheelZoom {
    None,     // nothing changed and nothing was pushed
    Zoomed,   // one entry pushed, the ranges changed
    UnzoomAll // the step would show the whole graph again: the caller unzooms everything
};

// A wheel step zooms in by this span ratio; a step the other way divides by it.
constexpr long double WheelZoomFactor = 0.8L;

class TGraphZoom {
public:
    const std::vector<TRangeSnapshot>& Stack() const { return FStack; }
    bool Empty() const { return FStack.empty(); }
    void Clear() {
        FStack.clear();
        FDragging = false;
    }
    // Pushes the current ranges and narrows them; returns the transform from the old ranges.
    // Modes 0 to 2 need `rect`, mode 3 `range`.
    TViewTransform Zoom(const TGraphRun& axes, int mode, const TZoomRect* rect,
                        const TShortCutMSG* range);
    // Back to the last snapshot, or with `all` to the first; false with an empty stack.
    bool Unzoom(const TGraphRun& axes, bool all, TViewTransform& t);

    // One wheel step around a place of the plot given as fractions of the current ranges
    // (`fx` from the left, `fy` from the bottom): every axis with a field gets `factor` times
    // its span (below 1 zooms in), the place staying where it is. Zooming out never shows
    // more than the ranges before the first entry: a range that would reach past them is
    // moved back inside, and a step that would show all of them again asks for "Unzoom All".
    // An axis whose range cannot get narrower (integer steps, the precision of the values)
    // keeps it; a step that changes no axis pushes nothing.
    TWheelZoom ZoomAround(const TGraphRun& axes, long double fx, long double fy, long double factor,
                          TViewTransform& t);

    // A drag of the plot is one entry: BeginDrag pushes the ranges of its start, DragTo sets
    // the ranges moved by the mouse's way from the start (fractions of the plot, `dx` to the
    // right, `dy` upwards: the values under the mouse go with it) and returns the transform
    // from the ranges before, EndDrag takes the entry back when the ranges are those of the
    // start. True from EndDrag when the drag left its entry.
    void BeginDrag(const TGraphRun& axes);
    bool Dragging() const { return FDragging; }
    TViewTransform DragTo(const TGraphRun& axes, long double dx, long double dy);
    bool EndDrag(const TGraphRun& axes);

private:
    std::vector<TRangeSnapshot> FStack;
    bool FDragging = false;
};

// The run of indexes of a sorted index whose points lie inside in X: `test` gives -1 for a
// point left of the rectangle, 1 right of it and 0 inside. False when no point is inside.
bool FindSortedRun(int count, const std::function<int(int)>& test, int& lo, int& hi);

} // namespace vorelt
