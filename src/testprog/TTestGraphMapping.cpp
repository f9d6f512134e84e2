#include "testprog/TTestGraphMapping.h"

#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vorelt {

std::optional<long double> ValueToFraction(long double v, const TAxisSpan& span) {
    long double lo = span.Lo, hi = span.Hi;
    if (span.Log) {
        if (v <= 0 || lo <= 0 || hi <= 0) return std::nullopt;
        v = std::log10(v);
        lo = std::log10(lo);
        hi = std::log10(hi);
    }
    const long double width = hi - lo;
    if (width == 0 || !std::isfinite(width) || !std::isfinite(v)) return std::nullopt;
    return (v - lo) / width;
}

long double FractionToValue(long double f, const TAxisSpan& span) {
    if (span.Log && span.Lo > 0 && span.Hi > 0) {
        const long double a = std::log10(span.Lo);
        return std::pow(10.0L, a + f * (std::log10(span.Hi) - a));
    }
    return span.Lo + f * (span.Hi - span.Lo);
}

std::optional<long double> SecondsToFraction(long double seconds, const TTimeConvert& toAxis,
                                             const TAxisSpan& bottom) {
    long double v = 0;
    if (!toAxis || !toAxis(seconds, v)) return std::nullopt;
    return ValueToFraction(v, bottom);
}

std::optional<long double> FractionToSeconds(long double f, const TTimeConvert& toSeconds,
                                             const TAxisSpan& bottom) {
    long double s = 0;
    if (!toSeconds || !toSeconds(FractionToValue(f, bottom), s) || !std::isfinite(s))
        return std::nullopt;
    return WholeSeconds(s);
}

bool StoreSectionEdges(TTestSection& section, long double x0, long double x1,
                       const TTimeConvert& toSeconds, const TAxisSpan& bottom) {
    const std::optional<long double> a = FractionToSeconds(std::min(x0, x1), toSeconds, bottom);
    const std::optional<long double> b = FractionToSeconds(std::max(x0, x1), toSeconds, bottom);
    if (!a || !b || !(*a < *b)) return false;
    // Whole seconds of a 32-bit field: the edges stay inside it.
    const auto clip = [](long double s) {
        return static_cast<int32_t>(std::clamp(s, -2147483648.0L, 2147483647.0L));
    };
    const int32_t lo = clip(*a), hi = clip(*b);
    if (lo == section.MinVal() && hi == section.MaxVal()) return false;
    section.SetMinVal(lo);
    section.SetMaxVal(hi);
    return true;
}

long double LoadAtFraction(long double f, const TAxisSpan& right) {
    const long double v = FractionToValue(f, right);
    const long double width = std::fabs(right.Hi - right.Lo);
    if (!std::isfinite(v) || !(width > 0) || !std::isfinite(width)) return v;
    const int digits = std::clamp(static_cast<int>(std::ceil(-std::log10(width / 1000))), 0, 6);
    // Through the decimal text, so that the value is the one its digits say.
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lf", digits, v);
    return std::strtold(text, nullptr);
}

void RebuildLinePoints(TTestGrLine& line, const std::vector<TPlotFraction>& vertices,
                       const TTimeConvert& toSeconds, const TAxisSpan& bottom,
                       const TAxisSpan& right) {
    line.Points().ClearPoints();
    for (const TPlotFraction& v : vertices) {
        const std::optional<long double> t = FractionToSeconds(v.X, toSeconds, bottom);
        if (!t) continue;
        InsertLinePoint(line, {*t, LoadAtFraction(v.Y, right)});
    }
}

} // namespace vorelt
