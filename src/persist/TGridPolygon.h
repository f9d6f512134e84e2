#pragma once
// Point-in-polygon on an integer grid: the one winding test of the program, for the zones of
// the test program (regions) and the selection outlines of the graphs (device points).
//
// Fill rule: non-zero winding. Default boundary rule, as for regions of the platform's graphics
// interface: a grid point on a left or top edge belongs to the polygon, a point on a right or
// bottom edge does not ("top" is the smaller y, as on screen). The rule is exact on integer
// coordinates, so two polygons that share an edge never both claim a point of it.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vorelt {

struct TGridPoint {
    int64_t X = 0;
    int64_t Y = 0;
    bool operator==(const TGridPoint&) const = default;
};

// Coordinates beyond this magnitude are clamped so that edge tests cannot overflow.
inline constexpr int64_t GridCoordLimit = 1000000000;

// Contribution of the edge a -> b to the winding number of p, with half-open y ranges and a
// strict side test (which gives the boundary rule above).
inline int WindingOfEdge(TGridPoint a, TGridPoint b, TGridPoint p) {
    int64_t side = (b.X - a.X) * (p.Y - a.Y) - (p.X - a.X) * (b.Y - a.Y);
    if (a.Y <= p.Y) {
        if (b.Y > p.Y && side > 0) return 1;
    } else if (b.Y <= p.Y && side < 0) {
        return -1;
    }
    return 0;
}

// Whether p lies on the segment a - b, ends included.
inline bool OnGridSegment(TGridPoint a, TGridPoint b, TGridPoint p) {
    const int64_t cross = (b.X - a.X) * (p.Y - a.Y) - (b.Y - a.Y) * (p.X - a.X);
    return cross == 0 && std::min(a.X, b.X) <= p.X && p.X <= std::max(a.X, b.X) &&
           std::min(a.Y, b.Y) <= p.Y && p.Y <= std::max(a.Y, b.Y);
}

// Which points of a polygon's boundary belong to it.
enum class TPolygonBoundary {
    LeftAndTopEdges, // as the platform's regions: left and top edges in, right and bottom out
    Outside,         // no point of an edge belongs to the polygon (selection outlines)
};

// The polygon of `count` points, pointAt(i) giving the i-th: callers that keep their points in
// another form hand them over one by one instead of copying them. The polygon is closed from
// the last point back to the first; fewer than three points enclose nothing.
template <class PointAt>
bool PtInGridPolygonOf(size_t count, PointAt&& pointAt, TGridPoint p,
                       TPolygonBoundary boundary = TPolygonBoundary::LeftAndTopEdges) {
    if (count < 3) return false;
    int winding = 0;
    TGridPoint a = pointAt(count - 1);
    for (size_t i = 0; i < count; ++i) {
        const TGridPoint b = pointAt(i);
        if (boundary == TPolygonBoundary::Outside && OnGridSegment(a, b, p)) return false;
        winding += WindingOfEdge(a, b, p);
        a = b;
    }
    return winding != 0;
}

bool PtInGridPolygon(const TGridPoint* points, size_t count, TGridPoint p,
                     TPolygonBoundary boundary = TPolygonBoundary::LeftAndTopEdges);

} // namespace vorelt
