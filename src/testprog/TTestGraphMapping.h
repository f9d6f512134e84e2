#pragma once
// Where the test program sits on the test graph, without the graph: a value of an axis as a
// fraction of its current range and back, the section edges and load-line vertices as seconds
// of test time, and the rebuilding of the load line's points from a drawn line. The time
// conversion between the bottom axis' field and seconds is handed in (the driver's).

#include "persist/TGVListCoordProperty.h"

#include <functional>
#include <optional>
#include <vector>

namespace vorelt {

class TTestGrLine;
class TTestSection;

// The current range of an axis.
struct TAxisSpan {
    long double Lo = 0;
    long double Hi = 0;
    bool Log = false;
};

// The fraction (0 at Lo, 1 at Hi) of a value; none for a zero-width range or a logarithmic
// axis and a value that is not positive.
std::optional<long double> ValueToFraction(long double v, const TAxisSpan& span);
long double FractionToValue(long double f, const TAxisSpan& span);

// Converts a value from one time field to another; false when the pair is not convertible.
using TTimeConvert = std::function<bool(long double from, long double& to)>;

// A point of the sheet (fractions of the plot: X from the left, Y from the bottom).
struct TPlotFraction {
    long double X = 0;
    long double Y = 0;
};

// The X fraction of a time in seconds on the bottom axis; none when the conversion fails.
std::optional<long double> SecondsToFraction(long double seconds, const TTimeConvert& toAxis,
                                             const TAxisSpan& bottom);
// The whole seconds of an X fraction of the bottom axis; none when the conversion fails.
std::optional<long double> FractionToSeconds(long double f, const TTimeConvert& toSeconds,
                                             const TAxisSpan& bottom);

// A moved or resized section rectangle: its edges (X fractions, either order) back in whole
// seconds. True when MinVal or MaxVal changed; nothing changes when a conversion fails or the
// edges meet.
bool StoreSectionEdges(TTestSection& section, long double x0, long double x1,
                       const TTimeConvert& toSeconds, const TAxisSpan& bottom);

// The load at a Y fraction of the right axis, rounded to the axis' resolution: a thousandth of
// its range, in decimal digits (0,1 MPa on a 0..100 axis), which is finer than a pixel of any
// graph. A pointer does not place a load more exactly, and the rounded value reads as typed.
long double LoadAtFraction(long double f, const TAxisSpan& right);

// The load line drawn on the graph: its vertices give the points, X in whole seconds (a vertex
// whose time does not convert is dropped), Y the load on the right axis (LoadAtFraction), kept
// in time order.
void RebuildLinePoints(TTestGrLine& line, const std::vector<TPlotFraction>& vertices,
                       const TTimeConvert& toSeconds, const TAxisSpan& bottom,
                       const TAxisSpan& right);

} // namespace vorelt
