#include "drivers/TTimeOrder.h"

#include <algorithm>

namespace vorelt {

std::vector<TTimeStretch>
TTimeOrder::Stretches(const std::function<int64_t(uint64_t)>& timeOf) const {
    std::vector<TTimeStretch> result;
    if (FDescents.empty()) return result;
    // Backward from the end: `low` is the lowest time of the descents after the scanned point.
    // Between two descents the messages in order have rising times, so the ones above `low`
    // are the last ones before the later descent, and the first one not above it ends the scan.
    int64_t low = std::numeric_limits<int64_t>::max();
    bool open = false;
    TTimeStretch current;
    auto take = [&](uint64_t pos) {
        if (!open) {
            open = true;
            current.Last = pos;
        }
        current.First = pos;
    };
    auto close = [&] {
        if (open) result.push_back(current);
        open = false;
    };
    uint64_t upper = FCount;
    for (size_t k = FDescents.size();; --k) {
        const uint64_t lower = k > 0 ? FDescents[k - 1].Pos + 1 : 0;
        if (open || low != std::numeric_limits<int64_t>::max()) {
            for (uint64_t p = upper; p > lower;) {
                --p;
                const int64_t t = timeOf(p);
                if (t == NoTime) continue;
                if (t > low) {
                    take(p);
                } else {
                    close();
                    break;
                }
            }
        }
        if (k == 0) break;
        const TDescent& d = FDescents[k - 1];
        take(d.Pos);
        low = std::min(low, d.Time);
        upper = d.Pos;
    }
    close();
    std::reverse(result.begin(), result.end());
    return result;
}

void SortNearlySorted(std::vector<int64_t>& times, std::vector<int32_t>& positions) {
    TTimeOrder order;
    order.Add(times.data(), times.size());
    if (order.Sorted()) return;
    struct TTimed {
        int64_t Time;
        int32_t Pos;
    };
    std::vector<TTimed> stretch;
    for (const TTimeStretch& s :
         order.Stretches([&](uint64_t p) { return times[static_cast<size_t>(p)]; })) {
        stretch.clear();
        for (uint64_t k = s.First; k <= s.Last; ++k)
            stretch.push_back({times[k], positions[k]});
        std::stable_sort(stretch.begin(), stretch.end(),
                         [](const TTimed& a, const TTimed& b) { return a.Time < b.Time; });
        for (uint64_t k = s.First; k <= s.Last; ++k) {
            times[k] = stretch[k - s.First].Time;
            positions[k] = stretch[k - s.First].Pos;
        }
    }
}

} // namespace vorelt
