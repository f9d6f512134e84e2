#include "viewmodel/axes/TAixsRange.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

void FinishIntegerRange(int64_t& lo, int64_t& hi, bool autoMin, bool autoMax, int64_t typeMin,
                        int64_t typeMax) {
    // Wide arithmetic, so that no step overflows before the range is put back in the type.
    __int128 a = lo;
    __int128 b = hi;
    if (autoMin == autoMax) {
        if (b < a)
            b = a + 2;
        else if (b == a) {
            b += 1;
            a -= 1;
        } else if (b - a == 1) {
            b += 1;
        }
    } else if (autoMin) {
        if (b - a < 2) b = a + 2;
    } else if (b - a < 2) {
        a = b - 2;
    }
    if (typeMin < typeMax) {
        if (b > typeMax) {
            a -= b - typeMax;
            b = typeMax;
        }
        if (a < typeMin) {
            b += typeMin - a;
            a = typeMin;
        }
        b = std::min<__int128>(b, typeMax);
    }
    lo = static_cast<int64_t>(a);
    hi = static_cast<int64_t>(b);
}

void FinishFloatRange(long double& lo, long double& hi, bool autoMin, bool autoMax) {
    if (autoMin == autoMax) {
        if (hi < lo) {
            hi = lo + 0.2L * std::fabs(lo);
        } else if (hi == lo) {
            const long double d = 0.1L * std::fabs(lo);
            hi += d;
            lo -= d;
        }
    } else if (autoMin) {
        if (hi <= lo) hi = lo + 0.2L * std::fabs(lo);
    } else if (hi <= lo) {
        lo = hi - 0.2L * std::fabs(hi);
    }
    if (!(lo < hi) || !std::isfinite(lo) || !std::isfinite(hi)) {
        lo = -1;
        hi = 1;
    }
}

void FinishLogRange(long double& lo, long double& hi, bool integer) {
    if (!(hi > 0) || !std::isfinite(hi)) {
        lo = 1;
        hi = 10;
        return;
    }
    if (!(lo > 0)) lo = integer ? 1 : LogFloor;
    if (!(hi > lo)) hi = lo * 10;
}

} // namespace vorelt
