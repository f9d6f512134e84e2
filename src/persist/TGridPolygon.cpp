#include "persist/TGridPolygon.h"

namespace vorelt {

bool PtInGridPolygon(const TGridPoint* points, size_t count, TGridPoint p,
                     TPolygonBoundary boundary) {
    if (!points) return false;
    return PtInGridPolygonOf(
        count, [points](size_t i) { return points[i]; }, p, boundary);
}

} // namespace vorelt
