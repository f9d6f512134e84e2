#pragma once
// Plane geometry of hit tests, in pixels.

#include "view2d/TypesPrg.h"

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

} // namespace vorelt
