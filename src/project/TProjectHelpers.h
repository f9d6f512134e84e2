#pragma once
// Small helpers shared by the project windows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

// "None", "Open", "Opening", "Load", "Loading", "Close", "Closing", "Saving", "Init", "Ready";
// empty for other values.
std::string StateName(uint8_t state);
// The state text of the status line followed by what opening found wrong with the data file:
// "Ready; warning: ...".
std::string StatusWithWarnings(const std::string& state, const std::vector<std::string>& warnings);

// True when the text holds a digit and everything from its first digit to its end is a digit;
// `value` receives that number ("FR01" gives 1). False when the digits do not fit 64 bits.
bool TrailingNumber(std::string_view text, int64_t& value);

struct TDevicePoint {
    int32_t X = 0;
    int32_t Y = 0;
};

// Whether the point lies inside the polygon of points[0 .. count] (count + 1 points) by the
// non-zero winding rule. Points on the boundary count as outside.
bool PointInPolygon(TDevicePoint point, const TDevicePoint* points, int count);

// The smallest number from 1 to 128 not in the list; -1 when all are used.
int32_t SmallestFreeNumber(const std::vector<int32_t>& used);

} // namespace vorelt
