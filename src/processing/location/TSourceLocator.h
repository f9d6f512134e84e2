#pragma once
// Where one event came from, from the arrival times of its hits at sensors of known place.
// Pure functions over one event: no state, no heap, so that millions of events a second can
// be located and any caller (processor, command line, view) gets the same answer.
//
// Planar: the point p that minimises
//   U(p) = |(|p - s_i| - |p - s_1|) - v (t_i - t_1)|_{i=2..n} / sqrt(n - 1),
// s_1 the sensor hit first. U, in mm, is how badly the arrival times fit one source, and is
// reported as the location uncertainty. Linear: between the first two sensors hit, at
// (d - v dt) / 2 from the first, d their distance along the pipe (or straight).

#include "processing/location/TSensorLayout.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace vorelt {

struct TArrival {
    int32_t Chan = 0;
    double TimeUs = 0;
};

struct TSourceResult {
    bool Located = false;
    double X = 0; // mm
    double Y = 0;
    // Linear: mm along the pipe; off the pipes, mm from the layout's first sensor.
    double Position = 0;
    double Uncertainty = 0; // mm
    int32_t SensorsUsed = 0;
    std::string_view Pipe; // linear on a pipe: the pipe's name, valid while the layout lives
};

// Distinct sensors of one event that take part in a location; more are ignored.
constexpr int MaxLocatedSensors = 16;

// Hits on channels without a sensor and later hits of a channel already seen are skipped.
TSourceResult LocatePlanar(const TSensorLayout& layout, std::span<const TArrival> hits);
TSourceResult LocateLinear(const TSensorLayout& layout, std::span<const TArrival> hits);
// By the layout's method.
TSourceResult LocateEvent(const TSensorLayout& layout, std::span<const TArrival> hits);

// For each located source, the number of located sources (itself included) within a circle of
// `diameter` mm around it; 0 for sources that are not located. Sources on different pipes
// (`group`) never count for each other. A grid of cells half the diameter wide is hashed, so
// the work grows with the number of sources, not with its square.
void CountInCircle(std::span<const double> x, std::span<const double> y,
                   std::span<const int32_t> group, std::span<const uint8_t> located,
                   double diameter, std::span<int32_t> counts);

constexpr double DefaultClusterDiameter = 25.4; // mm: one inch

} // namespace vorelt
