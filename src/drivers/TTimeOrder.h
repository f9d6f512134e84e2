#pragma once
// Where a stream of message times leaves time order, found without keeping the times.
//
// Recorded files are nearly in order, with short stretches out of it. A message is in its place
// when no message before it is later and no message after it is earlier; every other message
// belongs to a stretch, and sorting each stretch on its own (equal times in file order) gives
// exactly what a stable sort of the whole stream gives. A message that is not below everything
// before it (a descent) is always out of place, and only descents can lie below an earlier
// message that is in order with everything before it, so the descents alone tell the stretches:
// a first pass keeps only them, and the stretches are found backward from them, asking again for
// the few times next to each.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace vorelt {

// The time of a message that keeps its slot (no time); a timed message never has this time.
inline constexpr int64_t NoTime = std::numeric_limits<int64_t>::min();

// Positions First..Last (both included) of a stretch: its timed messages are sorted among
// themselves, untimed ones keep their slots. Every timed message of it is out of place.
struct TTimeStretch {
    uint64_t First = 0;
    uint64_t Last = 0;
};

class TTimeOrder {
public:
    // The times of the next `count` positions (NoTime for a message without one).
    void Add(const int64_t* times, size_t count) {
        int64_t high = FHigh;
        for (size_t k = 0; k < count; ++k) {
            const int64_t t = times[k];
            if (t == NoTime) continue;
            if (t >= high)
                high = t;
            else
                FDescents.push_back({FCount + k, t});
        }
        FHigh = high;
        FCount += count;
    }
    uint64_t Count() const { return FCount; }
    bool Sorted() const { return FDescents.empty(); }
    size_t DescentCount() const { return FDescents.size(); }

    // The stretches in position order. `timeOf` gives the time of a position as Add had it; it
    // is asked only for positions next to descents.
    std::vector<TTimeStretch> Stretches(const std::function<int64_t(uint64_t)>& timeOf) const;

private:
    struct TDescent {
        uint64_t Pos;
        int64_t Time;
    };
    std::vector<TDescent> FDescents;
    int64_t FHigh = NoTime;
    uint64_t FCount = 0;
};

// Sorts the times (with the positions beside them) like a stable sort, sorting only the
// stretches that are out of order.
void SortNearlySorted(std::vector<int64_t>& times, std::vector<int32_t>& positions);

} // namespace vorelt
