#pragma once
// Point-in-polygon on an integer grid, standing in for the platform's polygon regions.
//
// Fill rule: non-zero winding. Boundary rule, as for regions of the platform's graphics
// interface: a grid point on a left or top edge belongs to the polygon, a point on a right or
// bottom edge does not ("top" is the smaller y, as on screen). The rule is exact on integer
// coordinates, so two polygons that share an edge never both claim a point of it.

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

// Fewer than three points enclose nothing.
bool PtInGridPolygon(const TGridPoint* points, size_t count, TGridPoint p);

} // namespace vorelt
