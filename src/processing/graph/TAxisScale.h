#pragma once
// The mapping of distances along an axis to fractions of its current range, with the range
// read once: a fill normalizes millions of coordinates against the same two ends.

#include <cmath>

namespace vorelt {

struct TAxisScale {
    // False while an end of the current range is empty: every distance then maps to 0.
    bool Known = false;
    // The top of the range (its decimal logarithm on a logarithmic axis) and the span.
    long double Top = 0;
    long double Span = 0;

    // A distance from CurMin as a fraction of the range. A zero-width range gives 0, except
    // for the top itself.
    long double Normalize(long double d) const {
        if (!Known) return 0;
        if (Span == 0 || !std::isfinite(Span)) return d == Top ? d : 0;
        return d / Span;
    }
};

} // namespace vorelt
