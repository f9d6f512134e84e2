#include "drivers/TTimeText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

namespace vorelt {
namespace {

std::string Printf02(long long n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld", n);
    return buffer;
}

TEST(TTimeText, TwoDigitsPadOnlyBelowTen) {
    for (uint64_t n : {0ull, 7ull, 9ull, 10ull, 59ull, 99ull, 100ull, 123456ull}) {
        std::string s = "x";
        AppendTwoDigits(s, n);
        EXPECT_EQ(s, "x" + Printf02(static_cast<long long>(n))) << n;
    }
    std::string s;
    AppendTwoDigits(s, std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(s, "18446744073709551615");
}

// Times before the test start reach the signed form; the texts stay those printf gave.
TEST(TTimeText, SignedNumbersAsPrintfHasThem) {
    for (long long n = -120; n <= 120; ++n) {
        std::string s;
        AppendTwoDigits(s, static_cast<int64_t>(n));
        EXPECT_EQ(s, Printf02(n)) << n;
    }
    std::string s;
    AppendTwoDigits(s, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(s, Printf02(std::numeric_limits<long long>::min()));
}

TEST(TTimeText, ClockOfWholeSeconds) {
    std::string s;
    AppendHHMMSS(s, uint64_t{0});
    EXPECT_EQ(s, "00 : 00 : 00");
    s.clear();
    AppendHHMMSS(s, uint64_t{3600 + 2 * 60 + 5});
    EXPECT_EQ(s, "01 : 02 : 05");
    s.clear();
    AppendHHMMSS(s, uint64_t{123 * 3600 + 59 * 60 + 59});
    EXPECT_EQ(s, "123 : 59 : 59");
}

TEST(TTimeText, ClockOfThreeNumbers) {
    std::string s = "Mark ";
    AppendHHMMSS(s, 2, 3, 4);
    EXPECT_EQ(s, "Mark 02 : 03 : 04");
    s.clear();
    AppendHHMMSS(s, 0, 0, -5);
    EXPECT_EQ(s, "00 : 00 : -5");
    s.clear();
    AppendHHMMSS(s, -1, -30, -15);
    EXPECT_EQ(s, "-1 : -30 : -15");
}

} // namespace
} // namespace vorelt
