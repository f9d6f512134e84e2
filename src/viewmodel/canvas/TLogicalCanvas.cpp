#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

namespace {
// A pixel position as a logical point of unscaled axes, which the conversion only shifts by
// the 2-pixel margin.
TLogicalPoint Unscaled(int32_t x, int32_t y) {
    TLogicalPoint p;
    p.X = x - 2;
    p.Y = y - 2;
    return p;
}
} // namespace

bool TLogicalCanvas::DeviceSize(int32_t& width, int32_t& height) const {
    width = 0;
    height = 0;
    return false;
}

void TLogicalCanvas::DrawDevicePoints(const TDeviceDot* dots, size_t count) {
    for (size_t i = 0; i < count; ++i)
        DrawPoint(Unscaled(dots[i].X, dots[i].Y), PackScale(0, 0), dots[i].Color);
}

void TLogicalCanvas::DrawDeviceMarkers(const TDevicePoint* points, size_t count) {
    for (size_t i = 0; i < count; ++i)
        DrawMarker(Unscaled(points[i].X, points[i].Y), PackScale(0, 0));
}

bool TLogicalCanvas::PixelAccess(TPixelAccess& access) {
    access = TPixelAccess{};
    return false;
}

} // namespace vorelt
