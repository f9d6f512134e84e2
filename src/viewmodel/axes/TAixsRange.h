#pragma once
// Finishing an axis range collected from the data, so that drawing always has Min < Max.
// Degenerate and inverted ranges are widened around their value (by its size, whatever its
// sign); a range of zeros becomes -1 .. 1; a logarithmic range keeps only positive ends.

#include <cstdint>

namespace vorelt {

// Integer values of a type whose values lie in typeMin .. typeMax. With both ends automatic
// or both fixed: Max < Min gives Max := Min + 2, Max = Min widens by 1 on each side,
// Max - Min = 1 gives Max := Max + 1. Only Min automatic and Max - Min < 2: Max := Min + 2;
// only Max automatic: Min := Max - 2. A range pushed past the type's limits is shifted back
// inside them.
void FinishIntegerRange(int64_t& lo, int64_t& hi, bool autoMin, bool autoMax, int64_t typeMin,
                        int64_t typeMax);

// Floating-point values. With both ends automatic or both fixed: Max < Min gives
// Max := Min + 0.2 |Min|, Max = Min widens by 0.1 |Min| on each side. Only Min automatic and
// Max <= Min: Max := Min + 0.2 |Min|; only Max automatic: Min := Max - 0.2 |Max|. Whatever is
// still not a proper range (zeros, infinities, NaN) becomes -1 .. 1.
void FinishFloatRange(long double& lo, long double& hi, bool autoMin, bool autoMax);

// The floating-point rules for any pair of values.
inline void WidenFloatRange(long double& lo, long double& hi) {
    FinishFloatRange(lo, hi, true, true);
}

// A logarithmic range after the rules above: a non-positive minimum becomes 1 for integers or
// 3.6E-4931 for floating point; without a positive maximum the range is 1 .. 10; a maximum not
// above the minimum becomes ten times the minimum.
void FinishLogRange(long double& lo, long double& hi, bool integer);

// The smallest positive value a logarithm is taken of.
constexpr long double LogFloor = 3.6E-4931L;

} // namespace vorelt
