#include "viewmodel/axes/TAixsSteps.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

// Minor divisions of the decimal mantissas: fifths of 1, 2.5 and 5, quarters of 2.
int32_t DecimalDivisions(long double mantissa) {
    return mantissa == 2 ? 4 : 5;
}

// Steps of a time axis in seconds, with the minor divisions that land on round times.
struct TTimeStep {
    long double Seconds;
    int32_t Divisions;
};
constexpr TTimeStep TimeSteps[] = {
    {1, 5},    {2, 4},    {5, 5},     {10, 5},    {15, 3},    {20, 4},    {30, 3},
    {60, 6},   {120, 4},  {300, 5},   {600, 5},   {900, 3},   {1200, 4},  {1800, 3},
    {3600, 4}, {7200, 4}, {10800, 3}, {21600, 6}, {43200, 4}, {86400, 4},
};
constexpr long double Day = 86400;

// m 10^e, as exact as the type holds it: negative powers of ten have no exact binary value,
// but a quotient by a positive one is rounded once.
long double Decimal(long double m, int32_t e) {
    return e < 0 ? m / std::pow(10.0L, -e) : m * std::pow(10.0L, e);
}

// The smallest decimal round number m 10^e (m of 1, 2, 2.5, 5) not below x > 0.
TAixsTickStep DecimalAtLeast(long double x, bool integer) {
    if (integer && x < 1) x = 1;
    auto e = static_cast<int32_t>(std::floor(std::log10(x)));
    // The logarithm may land a decade off near powers of ten; a hair below counts as equal.
    const long double tolerance = 1 - 1E-12L;
    for (int tries = 0; tries < 4; ++tries, ++e) {
        for (long double m : {1.0L, 2.0L, 2.5L, 5.0L, 10.0L}) {
            const long double c = Decimal(m, e);
            // Whole-number axes count in whole numbers: 2.5 only from 25 on.
            if (integer && (c < 1 || c != std::floor(c))) continue;
            if (c >= x * tolerance) return {c, DecimalDivisions(m == 10 ? 1 : m)};
        }
    }
    return {};
}

// Whole-number axes put minor ticks on whole numbers only: fewer divisions, or none.
int32_t WholeDivisions(long double step, int32_t divisions) {
    for (int32_t d : {divisions, 5, 4, 2}) {
        if (d <= 1 || d > divisions) continue;
        const long double part = step / d;
        if (part >= 1 && part == std::floor(part)) return d;
    }
    return 1;
}

// Seconds in a unit of `unit` seconds; units of a whole fraction of a second (ms, µs) count
// exactly.
long double InUnit(long double seconds, long double unit) {
    const long double perSecond = std::round(1 / unit);
    if (unit < 1 && std::fabs(1 / unit - perSecond) < 1E-6L * perSecond) return seconds * perSecond;
    return seconds / unit;
}

} // namespace

TAixsTickStep RoundStepAtLeast(long double atLeast, const TAixsCounting& counting) {
    if (!(atLeast > 0) || !std::isfinite(atLeast)) return {};
    TAixsTickStep step;
    const long double unit = counting.UnitSeconds;
    const long double seconds = atLeast * unit;
    if (unit > 0 && std::isfinite(seconds) && seconds > 0.5L) {
        // Whole seconds, minutes, hours, then whole days in round numbers.
        for (const TTimeStep& t : TimeSteps)
            if (t.Seconds >= seconds * (1 - 1E-12L)) {
                step = {InUnit(t.Seconds, unit), t.Divisions};
                break;
            }
        if (step.Step == 0) {
            const TAixsTickStep days = DecimalAtLeast(seconds / Day, false);
            step = {InUnit(days.Step * Day, unit), days.Divisions};
        }
    } else {
        step = DecimalAtLeast(atLeast, counting.Integer);
    }
    if (counting.Integer) step.Divisions = WholeDivisions(step.Step, step.Divisions);
    if (!std::isfinite(step.Step)) return {};
    return step;
}

TAixsTickStep NextRoundStep(const TAixsTickStep& step, const TAixsCounting& counting) {
    if (!(step.Step > 0)) return {};
    // Just above the present step; the tolerance of the search treats a hair above as equal.
    return RoundStepAtLeast(step.Step * (1 + 1E-9L), counting);
}

namespace {

// The largest of 1, 2, 5 times a power of ten not above x > 0.
long double RoundQuantumBelow(long double x) {
    auto e = static_cast<int32_t>(std::floor(std::log10(x)));
    for (int tries = 0; tries < 3; ++tries, --e) {
        for (long double m : {5.0L, 2.0L, 1.0L})
            if (Decimal(m, e) <= x * (1 + 1E-12L)) return Decimal(m, e);
    }
    return x;
}

// A round number next to v > 0, below it (down) or above it: 1, 2 or 5 times a power of ten
// when that stays within `slack` decades of v, else a whole multiple of the power, else two
// significant digits.
long double LogRound(long double v, bool down, long double slack) {
    const auto e = static_cast<int32_t>(std::floor(std::log10(v)));
    const long double power = Decimal(1, e);
    auto near = [&](long double r) { return std::fabs(std::log10(r / v)) <= slack; };
    long double r = 0;
    if (down) {
        for (long double m : {5.0L, 2.0L, 1.0L})
            if (m * power <= v) {
                r = m * power;
                break;
            }
        if (r > 0 && near(r)) return r;
        r = std::floor(v / power) * power;
        if (r > 0 && near(r)) return r;
        const long double tenth = Decimal(1, e - 1);
        return std::max(tenth, std::floor(v / tenth) * tenth);
    }
    for (long double m : {1.0L, 2.0L, 5.0L, 10.0L})
        if (m * power >= v) {
            r = m * power;
            break;
        }
    if (near(r)) return r;
    r = std::ceil(v / power) * power;
    if (near(r)) return r;
    const long double tenth = Decimal(1, e - 1);
    return std::ceil(v / tenth) * tenth;
}

} // namespace

void PadAutoRange(long double& lo, long double& hi, bool padLo, bool padHi, bool logarithmic,
                  bool integer) {
    if ((!padLo && !padHi) || !(lo < hi) || !std::isfinite(lo) || !std::isfinite(hi)) return;
    if (logarithmic) {
        if (!(lo > 0)) return;
        const long double a = std::log10(lo);
        const long double b = std::log10(hi);
        const long double margin = AixsRangeMargin * (b - a);
        if (!(margin > 0)) return;
        // The rounding adds at most as much again as the margin.
        long double newLo = padLo ? LogRound(std::pow(10.0L, a - margin), true, margin) : lo;
        long double newHi = padHi ? LogRound(std::pow(10.0L, b + margin), false, margin) : hi;
        if (std::isfinite(newLo) && std::isfinite(newHi) && newLo > 0 && newLo < newHi) {
            lo = newLo;
            hi = newHi;
        }
        return;
    }
    const long double span = hi - lo;
    if (!std::isfinite(span)) return;
    const long double margin = AixsRangeMargin * span;
    long double quantum = RoundQuantumBelow(span / 50);
    if (integer) quantum = std::max(1.0L, std::round(quantum));
    long double newLo = lo;
    long double newHi = hi;
    if (padLo) newLo = std::floor((lo - margin) / quantum) * quantum;
    if (padHi) newHi = std::ceil((hi + margin) / quantum) * quantum;
    // A range far from zero next to its width cannot be rounded in this precision.
    if (!std::isfinite(newLo) || newLo > lo) newLo = padLo ? lo - margin : lo;
    if (!std::isfinite(newHi) || newHi < hi) newHi = padHi ? hi + margin : hi;
    if (std::isfinite(newLo) && std::isfinite(newHi) && newLo < newHi) {
        lo = newLo;
        hi = newHi;
    }
}

} // namespace vorelt
