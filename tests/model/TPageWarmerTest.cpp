// Populating storage ahead of the writer never changes what the writer puts there, however
// the two interleave, with or without a bound on how far ahead it goes.

#include "model/TPageWarmer.h"
#include "model/TLargePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace vorelt;

namespace {

void FillAndCheck(size_t ahead, bool stopEarly) {
    constexpr size_t n = size_t{24} << 20; // 96 MB of int32
    std::vector<int32_t> a;
    std::vector<uint8_t> b;
    a.reserve(n);
    b.reserve(n);
    AdviseLargePages(a);
    TPageWarmer warmer;
    warmer.Add(a);
    warmer.Add(b);
    warmer.Start(ahead);
    for (size_t i = 0; i < n; ++i) {
        a.push_back(static_cast<int32_t>(i * 2654435761u));
        if (i % 3 == 0) b.push_back(static_cast<uint8_t>(i));
        if ((i & 0xFFFF) == 0) warmer.Reached(a.size());
        if (stopEarly && i == n / 3) warmer.Stop();
    }
    warmer.Stop();
    for (size_t i = 0; i < n; ++i)
        ASSERT_EQ(a[i], static_cast<int32_t>(i * 2654435761u)) << i;
    for (size_t i = 0; i < b.size(); ++i)
        ASSERT_EQ(b[i], static_cast<uint8_t>(i * 3)) << i;
}

} // namespace

TEST(TPageWarmer, WhatTheWriterPutsStaysWhateverTheWarmerDoes) {
    FillAndCheck(SIZE_MAX, false);
    FillAndCheck(size_t{1} << 18, false);
    FillAndCheck(size_t{1} << 18, true);
}

TEST(TPageWarmer, SmallOrMissingStorageIsLeftAlone) {
    TPageWarmer warmer;
    std::vector<int32_t> small(16);
    warmer.Add(small);
    warmer.Add(nullptr, size_t{64} << 20, 4);
    warmer.Start();
    warmer.Reached(100);
    warmer.Stop();
    warmer.Stop();
    EXPECT_EQ(small.size(), 16u);
}
