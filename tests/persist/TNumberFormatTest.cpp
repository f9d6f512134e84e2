#include "persist/TNumberFormat.h"
#include "persist/TErrors.h"
#include "persist/TTextCodec.h"
#include "persist/TTextHelpers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

using namespace vorelt;

TEST(NumberFormat, GeneralFormatUsesCommaAndFifteenDigits) {
    EXPECT_EQ(FloatToStr(2.5L), "2,5");
    EXPECT_EQ(FloatToStr(-0.125L), "-0,125");
    EXPECT_EQ(FloatToStr(0.0L), "0");
    EXPECT_EQ(FloatToStr(100.0L), "100");
    EXPECT_EQ(FloatToStr(0.1L), "0,1");
    EXPECT_EQ(FloatToStr(1.0L / 3.0L), "0,333333333333333");
    EXPECT_EQ(FloatToStr(123456789012345.0L), "123456789012345");
    EXPECT_EQ(FloatToStr(1234567890123456.0L), "1,23456789012346E15");
    EXPECT_EQ(FloatToStr(0.00001L), "0,00001");
    EXPECT_EQ(FloatToStr(0.000001L), "1E-6");
    EXPECT_EQ(FloatToStr(1.5e-7L), "1,5E-7");
    EXPECT_EQ(FloatToStr(1e20L), "1E20");
    EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<long double>::infinity()), "-INF");
    EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::quiet_NaN()), "NAN");
}

TEST(NumberFormat, OutputIgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    // de_DE may be missing; the point is only that no locale changes our output.
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(FloatToStr(1.25L), "1,25");
    EXPECT_EQ(FormatFloat("%.3f", 1.25L), "1,250");
    long double v = 0;
    EXPECT_TRUE(TryStrToFloat("1.5", v));
    EXPECT_EQ(v, 1.5L);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(NumberFormat, PrintfFormats) {
    EXPECT_EQ(FormatFloat("%.8f", 0.5L), "0,50000000");
    EXPECT_EQ(FormatFloat("%e", 1500.0L), "1,500000e+03");
    EXPECT_EQ(FormatFloat("", 2.5L), "2,5");
    EXPECT_EQ(FormatFloat("%s", 2.5L), "2,5"); // unusable format falls back
    EXPECT_EQ(FormatFloat("%d", 2.5L), "2,5");
    EXPECT_EQ(FormatFloat("%f %f", 2.5L), "2,5");
}

TEST(NumberFormat, ParsingAcceptsCommaAndPoint) {
    long double v = 0;
    EXPECT_TRUE(TryStrToFloat("2,75", v));
    EXPECT_EQ(v, 2.75L);
    EXPECT_TRUE(TryStrToFloat(" -2.75 ", v));
    EXPECT_EQ(v, -2.75L);
    EXPECT_TRUE(TryStrToFloat("1,5E-7", v));
    EXPECT_NEAR(static_cast<double>(v), 1.5e-7, 1e-20);
    EXPECT_TRUE(TryStrToFloat("5", v));
    EXPECT_TRUE(TryStrToFloat(",5", v));
    EXPECT_EQ(v, 0.5L);
    for (const char* bad : {"", "abc", "1,2,3", "0x10", "inf", "nan", "1e", "-", "1 2", "1,5E"})
        EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    EXPECT_THROW(StrToFloat("abc"), EConvertError);
    try {
        StrToFloat("abc");
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
}

TEST(NumberFormat, IntegerAndBooleanParsing) {
    int64_t n = 0;
    EXPECT_TRUE(TryStrToInt64("-9223372036854775808", n));
    EXPECT_EQ(n, std::numeric_limits<int64_t>::min());
    EXPECT_TRUE(TryStrToInt64("9223372036854775807", n));
    EXPECT_FALSE(TryStrToInt64("9223372036854775808", n));
    EXPECT_FALSE(TryStrToInt64("1.5", n));
    EXPECT_FALSE(TryStrToInt64("", n));
    int32_t i = 0;
    EXPECT_FALSE(TryStrToInt("2147483648", i));
    EXPECT_THROW(StrToInt64("x"), EConvertError);
    bool b = false;
    EXPECT_TRUE(TryStrToBool("tRuE", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(TryStrToBool("-1", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(TryStrToBool("0", b));
    EXPECT_FALSE(b);
    EXPECT_FALSE(TryStrToBool("yes", b));
    try {
        StrToBool("yes");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'yes' is not a valid boolean value");
    }
}

TEST(NumberFormat, RoundingTiesToEvenAndNeverCastsNonFinite) {
    EXPECT_EQ(RoundToInt64(2.5L), 2);
    EXPECT_EQ(RoundToInt64(3.5L), 4);
    EXPECT_EQ(RoundToInt64(-2.5L), -2);
    EXPECT_EQ(RoundToInt64(-3.5L), -4);
    EXPECT_EQ(RoundToInt64(2.4999L), 2);
    EXPECT_EQ(RoundToInt64(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundToInt64(std::numeric_limits<long double>::infinity()),
              std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundToInt64(-std::numeric_limits<long double>::infinity()),
              std::numeric_limits<int64_t>::min());
    EXPECT_EQ(RoundToInt64(1e30L), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundToInt32(1e12L), std::numeric_limits<int32_t>::max());
}

TEST(NumberFormat, DivisionByZeroGivesInfinity) {
    MaskFloatExceptions();
    volatile long double zero = 0;
    long double x = 1.0L / zero;
    EXPECT_TRUE(std::isinf(x));
}

TEST(TextCodec, RoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += char(c);
    std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1251(utf8), all);
    EXPECT_EQ(Utf8ToCp1251("№"), "\xB9");
    EXPECT_EQ(Cp1251ToUtf8("\xB9"), "№");
    EXPECT_EQ(Utf8ToCp1251("Давление"), "\xC4\xE0\xE2\xEB\xE5\xED\xE8\xE5");
    EXPECT_EQ(Utf8ToCp1251("日本"), "??");
    EXPECT_EQ(Utf8ToCp1251(std::string("a\xFF"
                                       "b")),
              "a?b"); // broken UTF-8
}
