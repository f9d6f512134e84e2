// The time sort of the sorted copy must give exactly what a stable sort gives, for the nearly
// ordered streams of recorded files and for anything else.

#include "drivers/TAEDriverDb.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace
