#pragma once
// What the filling and zooming of a graph ask of an axis. The axes themselves belong to the
// visual layer; the core sees their ranges as numbers.

#include "processing/graph/TAxisScale.h"

#include <string>

namespace vorelt {

class IGraphAxis {
public:
    virtual ~IGraphAxis() = default;
    virtual bool AxisHasField() const = 0;
    virtual std::string AxisFieldId() const = 0;
    virtual bool AxisEnabled() const = 0;
    virtual bool AxisLogarithmic() const = 0;
    // Empties the automatic ends before the data.
    virtual void AxisResetAuto() = 0;
    // A value for the collected range, and one for the current range.
    virtual void AxisAddValue(long double x) = 0;
    virtual void AxisAddCurrentValue(long double x) = 0;
    virtual void AxisFinishRange() = 0;
    virtual void AxisFinishCurrentRange() = 0;
    // The configured or collected range (Min, Max); false while an end is empty.
    virtual bool AxisBounds(long double& lo, long double& hi) const = 0;
    // The current range (CurMin, CurMax); false while an end is empty.
    virtual bool AxisCurrent(long double& lo, long double& hi) const = 0;
    virtual void AxisSetCurrent(long double lo, long double hi) = 0;
    // Empties CurMax, so that the next values collected for the current range decide it.
    virtual void AxisEmptyCurrentMax() = 0;
    // Maps a distance from CurMin (a difference of decimal logarithms on a logarithmic axis)
    // to a fraction of the current range.
    virtual TAxisScale AxisScale() const = 0;
    // Makes a proper range of any pair, by the axis' rules.
    virtual void AxisWidenRange(long double& a, long double& b) const = 0;
};

} // namespace vorelt
