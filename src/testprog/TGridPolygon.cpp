#include "testprog/TGridPolygon.h"

namespace vorelt {

bool PtInGridPolygon(const TGridPoint* points, size_t count, TGridPoint p) {
    if (count < 3) return false;
    int winding = 0;
    for (size_t i = 0; i < count; ++i)
        winding += WindingOfEdge(points[i], points[(i + 1) % count], p);
    return winding != 0;
}

} // namespace vorelt
