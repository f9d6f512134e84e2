// The number texts written without printf against the formatting they replaced: the old
// FloatToStr, kept here as it was (printf's "%.*Le" under the C locale, then the layout), over
// the edges of every rule and of the integer arithmetic, and over many random values.

#include "common/TExtendedBits.h"
#include "persist/TDecimalDigits.h"
#include "persist/TNumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <random>
#include <string>
#include <vector>

using namespace vorelt;

namespace {

using vorelt::test::FromBits;

// The formatting as it stood before the integer path, unchanged.
std::string ReferenceFloatToStr(long double x, int precision = 15) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
    if (precision < 1) precision = 1;
    if (precision > 18) precision = 18;
    if (x == 0) return "0";
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    char buf[64];
    locale_t old = uselocale(c);
    std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, x);
    uselocale(old);
    std::string s(buf);
    bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    size_t ePos = s.find('e');
    int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string digits;
    for (size_t i = 0; i < ePos; ++i)
        if (s[i] != '.') digits += s[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    long double ax = std::fabs(x);
    if (exponent < precision && ax >= 1e-5L) {
        if (exponent >= 0) {
            std::string intPart, frac;
            for (int i = 0; i <= exponent; ++i)
                intPart += i < static_cast<int>(digits.size()) ? digits[i] : '0';
            if (static_cast<int>(digits.size()) > exponent + 1) frac = digits.substr(exponent + 1);
            out += intPart;
            if (!frac.empty()) out += "," + frac;
        } else {
            out += "0," + std::string(-exponent - 1, '0') + digits;
        }
    } else {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "," + digits.substr(1);
        out += "E";
        if (exponent < 0) out += "-";
        out += std::to_string(std::abs(exponent));
    }
    return out;
}

std::string Written(long double x, int precision = 15) {
    char buf[NumberTextCapacity + 8];
    std::memset(buf, 'x', sizeof buf);
    char* end = WriteFloatText(buf, x, precision);
    EXPECT_LE(end - buf, static_cast<ptrdiff_t>(NumberTextCapacity));
    return std::string(buf, end);
}

// Checks a value and its neighbours, both signs, at the usual and at every precision.
void Check(long double x, bool allPrecisions = false) {
    for (long double v : {x, std::nextafter(x, 0.0L), std::nextafter(x, 1e4000L), -x}) {
        const int from = allPrecisions ? 1 : 15;
        const int to = allPrecisions ? 18 : 15;
        for (int p = from; p <= to; ++p) {
            const std::string want = ReferenceFloatToStr(v, p);
            ASSERT_EQ(Written(v, p), want) << "precision " << p;
            if (p == 15) {
                ASSERT_EQ(FloatToStr(v), want);
            }
        }
    }
}

TEST(FloatText, Edges) {
    using L = std::numeric_limits<long double>;
    const std::vector<long double> values = {
        0.0L, -0.0L, 1.0L, 2.5L, 0.1L, 1.0L / 3, 2.0L / 3, 24.0L, 100.0L, 3336.0L,
        // the fixed and scientific borders
        1e-5L, 0.00001L, 9.99999999999999e-6L, 1.00000000000001e-5L, 1e15L, 999999999999999.0L,
        999999999999999.4L, 999999999999999.5L, 999999999999999.6L, 1e14L, 99999999999999.95L,
        // rounding at the last digit: carries into a new digit, ties of exact values
        9.999999999999995L, 9.9999999999999949L, 0.99999999999999995L, 1000000000000005.0L,
        1000000000000015.0L, 1000000000000025.0L, 1234567890123456.0L, 1234567890123455.0L,
        12345678901234565.0L, 0.5L, 0.125L, 0.000030517578125L, 9.5367431640625e-7L,
        // the range of the integer arithmetic and beyond
        1e-13L, 1e-14L, 1e-15L, 1e27L, 1e28L, 1e30L, 1e40L, 1e41L, 1e42L, 1e60L, 1e-60L,
        18446744073709551615.0L, 9223372036854775808.0L, 1e300L, 1e-300L, 1e4000L, 1e-4000L,
        // integers
        7.0L, 65535.0L, 4294967296.0L, 123456789012345.0L,
        // denormals, the smallest normal and the largest value
        L::denorm_min(), L::min(), L::min() / 3, L::max(), L::epsilon(),
        static_cast<long double>(std::numeric_limits<double>::denorm_min()),
        static_cast<long double>(std::numeric_limits<double>::max()),
        static_cast<long double>(std::numeric_limits<float>::min()),
        // values of a time pass: microseconds to seconds and hours
        3336.0L / 1000000.0L, 3336.0L / 3600000000.0L, 86399999999.0L / 1000000.0L};
    for (long double x : values)
        Check(x, true);
    EXPECT_EQ(Written(0.0L), "0");
    EXPECT_EQ(Written(-0.0L), "0");
    EXPECT_EQ(Written(L::infinity()), "INF");
    EXPECT_EQ(Written(-L::infinity()), "-INF");
    EXPECT_EQ(Written(L::quiet_NaN()), "NAN");
    EXPECT_EQ(Written(-L::quiet_NaN()), "NAN");
    EXPECT_EQ(Written(1e15L), "1E15");
    EXPECT_EQ(Written(999999999999999.5L), "1E15");
    EXPECT_EQ(Written(1000000000000005.0L), "1E15"); // a tie: to the even digit
    EXPECT_EQ(Written(1000000000000015.0L), "1,00000000000002E15");
    EXPECT_EQ(Written(1e-5L), "0,00001");
    EXPECT_EQ(Written(9.99999999999999e-6L), "9,99999999999999E-6");
}

TEST(FloatText, PowersOfTenAndTwo) {
    for (int e = -4950; e <= 4932; ++e) {
        const long double x = std::pow(10.0L, static_cast<long double>(e));
        if (x != 0 && std::isfinite(x)) Check(x, e > -40 && e < 60);
    }
    for (int e = -16445; e < 16384; e += (e > -300 && e < 300) ? 1 : 37)
        Check(std::ldexp(1.0L, e), e > -200 && e < 200);
}

TEST(FloatText, UnusualEncodings) {
    // Without the integer bit (unnormals, pseudo-denormals): printf decides, as before.
    for (int exponent : {0, 1, 100, 16383, 16400})
        for (uint64_t m : {1ULL, 0x4000000000000000ULL, 0x8000000000000001ULL})
            for (int sign : {0, 0x8000}) {
                const long double x = FromBits(m, static_cast<uint16_t>(exponent | sign));
                ASSERT_EQ(Written(x), ReferenceFloatToStr(x)) << exponent << " " << m;
            }
}

TEST(FloatText, RandomValues) {
    std::mt19937_64 random(20240601);
    // Any significand at any exponent of a wide range.
    for (int i = 0; i < 200000; ++i) {
        const uint64_t m = random() | (1ULL << 63);
        const int binary = static_cast<int>(random() % 400) - 200;
        const uint16_t exponent = static_cast<uint16_t>(16383 + binary);
        const long double x = FromBits(m, static_cast<uint16_t>(exponent | (i & 1 ? 0x8000 : 0)));
        const int p = i % 4 == 0 ? static_cast<int>(random() % 18) + 1 : 15;
        ASSERT_EQ(Written(x, p), ReferenceFloatToStr(x, p)) << i;
    }
    // Values as drivers make them: counts scaled by decimal factors, and doubles widened.
    for (int i = 0; i < 200000; ++i) {
        const long double count = static_cast<long double>(random() % 100000000000ULL);
        const long double scale[] = {1.0L, 10.0L, 1000.0L, 1000000.0L, 3600000000.0L, 3.0L};
        const long double x = count / scale[i % 6];
        ASSERT_EQ(Written(x), ReferenceFloatToStr(x)) << i;
        double d;
        const uint64_t bits = random();
        std::memcpy(&d, &bits, sizeof d);
        const long double widened = d;
        ASSERT_EQ(Written(widened), ReferenceFloatToStr(widened)) << i;
    }
}

TEST(FloatText, WholeNumbers) {
    // Written as integers below 10^precision; from there on, and for anything with a fraction,
    // by the digits path. Both must give the old texts at every precision.
    std::mt19937_64 random(99);
    for (int i = 0; i < 200000; ++i) {
        const int bits = static_cast<int>(random() % 62) + 1;
        const uint64_t n = random() >> (64 - bits);
        const long double x = static_cast<long double>(n) * (i & 1 ? -1 : 1);
        const int p = i % 3 == 0 ? static_cast<int>(random() % 18) + 1 : 15;
        ASSERT_EQ(Written(x, p), ReferenceFloatToStr(x, p)) << n << " " << p;
        const long double half = x + (x < 0 ? -0.5L : 0.5L);
        ASSERT_EQ(Written(half, p), ReferenceFloatToStr(half, p)) << n << " " << p;
    }
    for (int p = 1; p <= 18; ++p) {
        long double ten = 1;
        for (int k = 0; k < p; ++k)
            ten *= 10;
        for (long double x : {ten, ten - 1, ten + 1, ten - 2, ten / 10, ten / 10 - 1})
            Check(x, true);
    }
    for (int e = 0; e < 64; ++e) {
        const long double x = std::ldexp(1.0L, e);
        Check(x, true);
        Check(x - 1, true);
        Check(x + 1, true);
    }
}

TEST(FloatText, DigitsOfTheIntegerPathAreExact) {
    // At 15 digits the integer path covers 2e-13 to 1e41; beyond, printf gives the digits.
    TDecimalDigits d;
    for (long double x : {2e-13L, 0.001L, 1.0L, 1e15L, 1e30L, 1e41L}) {
        ASSERT_TRUE(ExactDecimalDigits(x, 15, d)) << x;
        ASSERT_TRUE(ExactDecimalDigits(-x, 15, d)) << x;
    }
    EXPECT_TRUE(ExactDecimalDigits(3336.0L / 3600000000.0L, 15, d));
    EXPECT_EQ(d.Digits, 926666666666667u);
    EXPECT_EQ(d.Exponent, -7);
    EXPECT_FALSE(ExactDecimalDigits(1e-14L, 15, d));
    EXPECT_FALSE(ExactDecimalDigits(1e43L, 15, d));
    EXPECT_FALSE(ExactDecimalDigits(0.0L, 15, d));
    EXPECT_FALSE(ExactDecimalDigits(std::numeric_limits<long double>::infinity(), 15, d));
    EXPECT_FALSE(ExactDecimalDigits(std::numeric_limits<long double>::denorm_min(), 15, d));
    EXPECT_FALSE(ExactDecimalDigits(1.0L, 0, d));
    EXPECT_FALSE(ExactDecimalDigits(1.0L, 19, d));
}

TEST(FloatText, Integers) {
    std::mt19937_64 random(7);
    const std::vector<int64_t> edges = {0,
                                        1,
                                        -1,
                                        9,
                                        10,
                                        -10,
                                        99,
                                        100,
                                        std::numeric_limits<int64_t>::max(),
                                        std::numeric_limits<int64_t>::min(),
                                        std::numeric_limits<int32_t>::max(),
                                        std::numeric_limits<int32_t>::min()};
    char buf[NumberTextCapacity];
    for (int64_t n : edges) {
        ASSERT_EQ(std::string(buf, WriteIntText(buf, n)), std::to_string(n));
        ASSERT_EQ(IntToStr(n), std::to_string(n));
    }
    for (int i = 0; i < 100000; ++i) {
        const int64_t n = static_cast<int64_t>(random()) >> (random() % 64);
        ASSERT_EQ(std::string(buf, WriteIntText(buf, n)), std::to_string(n));
    }
}

} // namespace
