#pragma once
// Round numbers for axes: the tick steps a reader counts in (1, 2, 2.5 and 5 times a power of
// ten; on time axes whole seconds, minutes, hours and days), the minor divisions between two
// ticks, and the margin an automatic range leaves around its data.

#include <cstdint>

namespace vorelt {

// A tick step and how many parts its minor ticks cut it into (1: no minor ticks).
struct TAixsTickStep {
    long double Step = 0;
    int32_t Divisions = 1;
};

// How an axis counts: whole numbers only, and the length of its unit in seconds when it is a
// time axis (0 otherwise).
struct TAixsCounting {
    bool Integer = false;
    long double UnitSeconds = 0;
};

// The smallest round step not below `atLeast` (positive and finite; anything else gives a step
// of 0).
TAixsTickStep RoundStepAtLeast(long double atLeast, const TAixsCounting& counting);

// The round step after `step`.
TAixsTickStep NextRoundStep(const TAixsTickStep& step, const TAixsCounting& counting);

// The part of the span an automatic range leaves free beyond its data on each side, before
// rounding; the rounding adds up to another 2 %.
constexpr long double AixsRangeMargin = 0.03L;

// Widens the automatic ends of lo .. hi (lo < hi, both finite) by the margin and rounds them
// outward to round numbers (multiples of 1, 2 or 5 times a power of ten, at most a fiftieth of
// the span; whole numbers on integer axes), so that no datum lies on the frame. A logarithmic
// range gets its margin in decades and ends on 1, 2 or 5 times a power of ten where that adds
// no more than the margin again, else on a whole multiple of a power of ten or two significant
// digits. Ranges that are not proper are left alone (the range rules widen them).
void PadAutoRange(long double& lo, long double& hi, bool padLo, bool padHi, bool logarithmic,
                  bool integer);

} // namespace vorelt
