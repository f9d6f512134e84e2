#include "project/TProjectHelpers.h"

#include <algorithm>
#include <limits>

namespace vorelt {

std::string StateName(uint8_t state) {
    static const char* const names[] = {"None",  "Open",    "Opening", "Load", "Loading",
                                        "Close", "Closing", "Saving",  "Init", "Ready"};
    return state < std::size(names) ? names[state] : "";
}

std::string StatusWithWarnings(const std::string& state, const std::vector<std::string>& warnings) {
    std::string text = state;
    for (const std::string& w : warnings)
        text += "; warning: " + w;
    return text;
}

bool TrailingNumber(std::string_view text, int64_t& value) {
    size_t first = text.find_first_of("0123456789");
    if (first == std::string_view::npos) return false;
    int64_t n = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        const int d = c - '0';
        if (n > (std::numeric_limits<int64_t>::max() - d) / 10) return false;
        n = n * 10 + d;
    }
    value = n;
    return true;
}

bool PointInPolygon(TDevicePoint point, const TDevicePoint* points, int count) {
    if (!points || count < 2) return false;
    const int n = count + 1;
    // Points on an edge lie on the region's boundary, which the region does not include.
    auto onSegment = [&](const TDevicePoint& a, const TDevicePoint& b) {
        const int64_t cross =
            int64_t(b.X - a.X) * (point.Y - a.Y) - int64_t(b.Y - a.Y) * (point.X - a.X);
        return cross == 0 && std::min(a.X, b.X) <= point.X && point.X <= std::max(a.X, b.X) &&
               std::min(a.Y, b.Y) <= point.Y && point.Y <= std::max(a.Y, b.Y);
    };
    int winding = 0;
    for (int i = 0; i < n; ++i) {
        const TDevicePoint& a = points[i];
        const TDevicePoint& b = points[(i + 1) % n];
        if (onSegment(a, b)) return false;
        const int64_t side =
            int64_t(b.X - a.X) * (point.Y - a.Y) - int64_t(point.X - a.X) * (b.Y - a.Y);
        if (a.Y <= point.Y) {
            if (b.Y > point.Y && side > 0) ++winding;
        } else if (b.Y <= point.Y && side < 0) {
            --winding;
        }
    }
    return winding != 0;
}

int32_t SmallestFreeNumber(const std::vector<int32_t>& used) {
    for (int32_t n = 1; n <= 128; ++n)
        if (std::find(used.begin(), used.end(), n) == used.end()) return n;
    return -1;
}

} // namespace vorelt
