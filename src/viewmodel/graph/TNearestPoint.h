#pragma once
// The drawn point nearest to a place of the plot, for pointing at points with the mouse. A
// series may hold tens of millions of points and the search runs on every mouse move, so it
// walks the series' index sorted by X outwards from the place, jumps over runs of equal X
// (sorted by Y) by binary search, stops where no nearer point can follow, and looks at a
// bounded number of points at most.

#include "viewmodel/canvas/TAEVPointList.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorelt {

struct TPointProbe {
    // The place, in the series' coordinates (logical units of the sheet).
    long double X = 0;
    long double Y = 0;
    // How far a point may lie on each axis; the reach is the ellipse they span.
    long double ReachX = 0;
    long double ReachY = 0;
    // The drawn area: points outside it are not on the screen.
    long double Width = 0;
    long double Height = 0;
    // The most points looked at; past it the nearest found so far is the answer.
    size_t Budget = size_t(1) << 20;
};

struct TPointFound {
    // The point's index in the list, -1 when none is within reach.
    int Index = -1;
    // Its distance as a fraction of the reach (0 at the place, 1 at the edge of the ellipse).
    long double Distance = 0;
    // Points looked at.
    size_t Visited = 0;
};

// The nearest point of `points` within reach that is drawn (not deleted, not of a hidden
// channel); among points at the same distance the first in the list, which is the one drawn
// on its pixel. `sorted` holds every index of the list ordered by X, then Y.
TPointFound NearestPoint(const TAEVPointList& points, const std::vector<int32_t>& sorted,
                         const TPointProbe& probe);

} // namespace vorelt
