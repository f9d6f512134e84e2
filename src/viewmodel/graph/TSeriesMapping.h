#pragma once
// Logical-to-pixel conversion for loops over millions of series points. For the container's
// own mapping the conversion is one multiplication per axis and a rounding to nearest with ties
// to even; any other converter is called point by point.

#include "viewmodel/canvas/TypesPrg.h"

#include <cmath>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorelt {

// Nearest integer, ties to even, for values known to lie well inside the 32-bit range.
inline int32_t RoundEvenSmall(double v) {
#if defined(__SSE2__)
    return _mm_cvtsd_si32(_mm_set_sd(v));
#else
    return static_cast<int32_t>(std::nearbyint(v));
#endif
}

class TSeriesMapping {
public:
    TSeriesMapping(const ICoordConvert* converter, uint16_t flags);

    bool Fast() const { return FFast; }
    // The factors of the fast conversion (only meaningful when Fast()).
    double Kx() const { return FKx; }
    double Ky() const { return FKy; }

    // The pixel of a point; false for coordinates no pixel can show (NaN, infinities, and
    // positions beyond a billion pixels).
    bool Map(double x, double y, int32_t& devX, int32_t& devY) const {
        if (FFast) {
            const double fx = x * FKx;
            const double fy = y * FKy;
            if (!(std::fabs(fx) < 1e9 && std::fabs(fy) < 1e9)) return false;
            devX = RoundEvenSmall(fx) + 2;
            devY = RoundEvenSmall(fy) + 2;
            return true;
        }
        return SlowMap(x, y, devX, devY);
    }

    // The pixel of a point inside 0 .. width - 1, 0 .. height - 1; false outside.
    bool MapInside(double x, double y, int32_t width, int32_t height, int32_t& devX,
                   int32_t& devY) const {
        if (FFast) {
            const double fx = x * FKx;
            const double fy = y * FKy;
            // A loose test first, which NaN fails too; the exact one after rounding.
            if (!(fx > -3.0 && fx < width && fy > -3.0 && fy < height)) return false;
            devX = RoundEvenSmall(fx) + 2;
            devY = RoundEvenSmall(fy) + 2;
        } else if (!SlowMap(x, y, devX, devY)) {
            return false;
        }
        return static_cast<uint32_t>(devX) < static_cast<uint32_t>(width) &&
               static_cast<uint32_t>(devY) < static_cast<uint32_t>(height);
    }

private:
    bool SlowMap(double x, double y, int32_t& devX, int32_t& devY) const;

    const ICoordConvert* FConverter;
    uint8_t FScaleX;
    uint8_t FScaleY;
    bool FFast = false;
    double FKx = 1;
    double FKy = 1;
};

} // namespace vorelt
