// The time sort of the sorted copy must give exactly what a stable sort gives, for the nearly
// ordered streams of recorded files and for anything else; untimed messages keep their slots,
// and the stretches it rewrites hold only messages that are out of place.

#include "drivers/TTimeOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <utility>

using namespace vorelt;

namespace {

void ExpectLikeStableSort(const std::vector<int64_t>& input) {
    std::vector<std::pair<int64_t, int32_t>> expected;
    for (size_t i = 0; i < input.size(); ++i)
        expected.push_back({input[i], static_cast<int32_t>(i * 3)});
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int64_t> times = input;
    std::vector<int32_t> positions;
    for (size_t i = 0; i < input.size(); ++i)
        positions.push_back(static_cast<int32_t>(i * 3));
    SortNearlySorted(times, positions);
    ASSERT_EQ(times.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(times[i], expected[i].first) << i;
        EXPECT_EQ(positions[i], expected[i].second) << i;
    }
}

TEST(SortNearlySortedTest, EdgeCases) {
    ExpectLikeStableSort({});
    ExpectLikeStableSort({5});
    ExpectLikeStableSort({2, 1});
    ExpectLikeStableSort({1, 1, 1});
    ExpectLikeStableSort({3, 2, 1});
    ExpectLikeStableSort({1, 5, 5, 2, 5, 3, 9, 9, 0});
    ExpectLikeStableSort({-4, 7, -4, 7, 0});
}

TEST(SortNearlySortedTest, NearlyOrderedStreamsWithEqualTimes) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<int64_t> times;
        int64_t t = 0;
        const int n = 1 + static_cast<int>(random() % 400);
        for (int i = 0; i < n; ++i) {
            t += static_cast<int64_t>(random() % 4); // steps of 0 give equal times
            // Now and then a message from a little earlier or later.
            const int64_t jitter =
                random() % 10 == 0 ? static_cast<int64_t>(random() % 21) - 10 : 0;
            times.push_back(t + jitter);
        }
        ExpectLikeStableSort(times);
    }
}

TEST(SortNearlySortedTest, UnorderedInput) {
    std::mt19937 random(11);
    for (int round = 0; round < 50; ++round) {
        std::vector<int64_t> times(1 + random() % 300);
        for (int64_t& t : times)
            t = static_cast<int64_t>(random() % 50);
        ExpectLikeStableSort(times);
    }
}

// A message is out of place when an earlier one is later or a later one earlier.
std::vector<bool> OutOfPlace(const std::vector<int64_t>& times) {
    std::vector<bool> out(times.size(), false);
    int64_t high = NoTime;
    for (size_t i = 0; i < times.size(); ++i) {
        if (times[i] == NoTime) continue;
        if (times[i] < high) out[i] = true;
        high = std::max(high, times[i]);
    }
    int64_t low = std::numeric_limits<int64_t>::max();
    for (size_t i = times.size(); i-- > 0;) {
        if (times[i] == NoTime) continue;
        if (times[i] > low) out[i] = true;
        low = std::min(low, times[i]);
    }
    return out;
}

// The order of a whole stream from its stretches: timed messages of each stretch stably sorted
// into the stretch's timed slots.
std::vector<uint64_t> OrderFromStretches(const std::vector<int64_t>& times, size_t block) {
    TTimeOrder order;
    for (size_t first = 0; first < times.size(); first += block)
        order.Add(times.data() + first, std::min(block, times.size() - first));
    EXPECT_EQ(order.Count(), times.size());
    std::vector<uint64_t> result(times.size());
    for (size_t i = 0; i < times.size(); ++i)
        result[i] = i;
    uint64_t next = 0;
    std::vector<uint64_t> asked;
    for (const TTimeStretch& s : order.Stretches([&](uint64_t p) {
             asked.push_back(p);
             return times[p];
         })) {
        EXPECT_LE(s.First, s.Last);
        EXPECT_GE(s.First, next) << "stretches overlap or are out of order";
        next = s.Last + 1;
        std::vector<uint64_t> timed;
        for (uint64_t p = s.First; p <= s.Last; ++p)
            if (times[p] != NoTime) timed.push_back(p);
        std::stable_sort(timed.begin(), timed.end(),
                         [&](uint64_t a, uint64_t b) { return times[a] < times[b]; });
        size_t k = 0;
        for (uint64_t p = s.First; p <= s.Last; ++p)
            if (times[p] != NoTime) result[p] = timed[k++];
    }
    // Read again: the messages out of place and, per stretch of messages in order, the one that
    // ends it; each at most once.
    const std::vector<bool> out = OutOfPlace(times);
    const auto timedAsked =
        std::count_if(asked.begin(), asked.end(), [&](uint64_t p) { return times[p] != NoTime; });
    EXPECT_LE(static_cast<size_t>(timedAsked),
              static_cast<size_t>(std::count(out.begin(), out.end(), true)) + order.DescentCount() +
                  1);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(std::adjacent_find(asked.begin(), asked.end()), asked.end());
    return result;
}

std::vector<uint64_t> StableOrder(const std::vector<int64_t>& times) {
    std::vector<uint64_t> timed, result(times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        result[i] = i;
        if (times[i] != NoTime) timed.push_back(i);
    }
    std::vector<uint64_t> sorted = timed;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](uint64_t a, uint64_t b) { return times[a] < times[b]; });
    for (size_t k = 0; k < timed.size(); ++k)
        result[timed[k]] = sorted[k];
    return result;
}

void ExpectStretchesSortLikeStableSort(const std::vector<int64_t>& times, size_t block) {
    EXPECT_EQ(OrderFromStretches(times, block), StableOrder(times));
    TTimeOrder order;
    order.Add(times.data(), times.size());
    const std::vector<bool> out = OutOfPlace(times);
    std::vector<bool> inStretch(times.size(), false);
    for (const TTimeStretch& s : order.Stretches([&](uint64_t p) { return times[p]; }))
        for (uint64_t p = s.First; p <= s.Last; ++p)
            inStretch[p] = true;
    for (size_t i = 0; i < times.size(); ++i)
        if (times[i] != NoTime) {
            EXPECT_EQ(inStretch[i], out[i]) << i;
        }
}

TEST(TimeOrderTest, UntimedMessagesKeepTheirSlots) {
    const int64_t u = NoTime;
    ExpectStretchesSortLikeStableSort({}, 4);
    ExpectStretchesSortLikeStableSort({u, u, u}, 2);
    ExpectStretchesSortLikeStableSort({u, 5, u, 3, u}, 1);
    ExpectStretchesSortLikeStableSort({u, 2, u, 1, 4, u, 3, u}, 3);
    ExpectStretchesSortLikeStableSort({9, u, 1, 2, 3, u, 4}, 2);
    ExpectStretchesSortLikeStableSort({1, 2, u, 3, 0}, 5); // the last message is the earliest
    ExpectStretchesSortLikeStableSort({-5, u, -5, 7, u, 7, -5}, 2);
}

TEST(TimeOrderTest, RecordedStreamsWithUntimedMessagesAndBoardHandOvers) {
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::vector<int64_t> times;
        int64_t t = 0;
        const int n = 1 + static_cast<int>(random() % 600);
        while (static_cast<int>(times.size()) < n) {
            const unsigned what = random() % 20;
            if (what == 0) {
                times.push_back(NoTime);
            } else if (what == 1) {
                // Two boards hand over their buffered hits one board after the other.
                const int pairs = 1 + static_cast<int>(random() % 4);
                std::vector<int64_t> a, b;
                for (int i = 0; i < pairs; ++i) {
                    a.push_back(t += static_cast<int64_t>(random() % 3));
                    b.push_back(t += static_cast<int64_t>(random() % 3));
                }
                times.insert(times.end(), a.begin(), a.end());
                if (random() % 2) times.push_back(NoTime);
                times.insert(times.end(), b.begin(), b.end());
            } else {
                t += static_cast<int64_t>(random() % 4);
                times.push_back(random() % 15 == 0 ? t - static_cast<int64_t>(random() % 30) : t);
            }
        }
        ExpectStretchesSortLikeStableSort(times, 1 + random() % 64);
    }
}

TEST(TimeOrderTest, UnorderedStreams) {
    std::mt19937 random(13);
    for (int round = 0; round < 100; ++round) {
        std::vector<int64_t> times(1 + random() % 200);
        for (int64_t& t : times)
            t = random() % 6 == 0 ? NoTime : static_cast<int64_t>(random() % 40) - 20;
        ExpectStretchesSortLikeStableSort(times, 1 + random() % 16);
    }
}

} // namespace
