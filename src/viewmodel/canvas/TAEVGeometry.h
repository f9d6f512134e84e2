#pragma once
// Plane geometry of hit tests, in pixels.

#include "viewmodel/canvas/TypesPrg.h"

namespace vorelt {

// Distance from p to the segment a-b: perpendicular when the foot of the perpendicular lies on
// the segment, otherwise to the nearer end.
long double SegmentDistance(TDevicePoint p, TDevicePoint a, TDevicePoint b);

// Whether p lies within `tolerance` pixels of q in both directions.
inline bool NearHandle(TDevicePoint p, TDevicePoint q, int32_t tolerance) {
    const int64_t dx = int64_t(p.X) - q.X;
    const int64_t dy = int64_t(p.Y) - q.Y;
    return dx <= tolerance && dx >= -tolerance && dy <= tolerance && dy >= -tolerance;
}

// Whether the point lies inside the polygon of points[0 .. count] (count + 1 points) by the
// non-zero winding rule. Points on the boundary count as outside.
bool PointInPolygon(TDevicePoint point, const TDevicePoint* points, int count);

} // namespace vorelt
