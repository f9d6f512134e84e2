#include "viewmodel/canvas/TAEVGeometry.h"

#include "persist/TGridPolygon.h"

#include <cmath>

namespace vorelt {

long double SegmentDistance(TDevicePoint p, TDevicePoint a, TDevicePoint b) {
    const long double vx = static_cast<long double>(b.X) - a.X;
    const long double vy = static_cast<long double>(b.Y) - a.Y;
    const long double wx = static_cast<long double>(p.X) - a.X;
    const long double wy = static_cast<long double>(p.Y) - a.Y;
    const long double len2 = vx * vx + vy * vy;
    if (len2 == 0) return std::hypot(wx, wy);
    const long double t = (wx * vx + wy * vy) / len2;
    if (t <= 0) return std::hypot(wx, wy);
    if (t >= 1)
        return std::hypot(static_cast<long double>(p.X) - b.X, static_cast<long double>(p.Y) - b.Y);
    return std::fabs(vx * wy - vy * wx) / std::sqrt(len2);
}

bool PointInPolygon(TDevicePoint point, const TDevicePoint* points, int count) {
    if (!points || count < 2) return false;
    const auto pointAt = [points](size_t i) { return TGridPoint{points[i].X, points[i].Y}; };
    return PtInGridPolygonOf(size_t(count) + 1, pointAt, TGridPoint{point.X, point.Y},
                             TPolygonBoundary::Outside);
}

} // namespace vorelt
