// The float texts a dump copies from what it wrote before against the texts written afresh:
// values that repeat, values that collide in the look-up, values that differ only in sign or
// in bits below the printed digits, texts too long to keep, and columns that stop looking up.

#include "cli/TFloatTextCache.h"
#include "cli/TRecordTextWriter.h"
#include "common/TExtendedBits.h"
#include "persist/TNumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace vorelt;

namespace {

using vorelt::test::FromBits;

std::string Fresh(long double x) {
    char buf[NumberTextCapacity];
    return std::string(buf, WriteFloatText(buf, x));
}

std::string Cached(cli::TFloatTextCache& cache, long double x) {
    char buf[NumberTextCapacity + 8];
    std::memset(buf, 'x', sizeof buf);
    char* end = cache.Write(buf, x);
    EXPECT_LE(end - buf, static_cast<ptrdiff_t>(NumberTextCapacity));
    return std::string(buf, end);
}

// Values a column of a file holds, and the values next to them that print differently or
// alike.
std::vector<long double> Pool(std::mt19937_64& random) {
    using L = std::numeric_limits<long double>;
    std::vector<long double> pool = {0.0L,
                                     -0.0L,
                                     1.0L,
                                     -1.0L,
                                     L::infinity(),
                                     -L::infinity(),
                                     L::quiet_NaN(),
                                     -L::quiet_NaN(),
                                     L::denorm_min(),
                                     -L::denorm_min(),
                                     L::max(),
                                     L::min(),
                                     1e15L,
                                     999999999999999.0L,
                                     -1.23456789012345e-100L, // longer than the kept texts
                                     -1.23456789012345e-4000L,
                                     40.0406805931207L,
                                     1e-5L,
                                     9.99999999999999e-6L};
    for (int i = 0; i < 600; ++i) {
        const long double level = 20.0L * std::log10(static_cast<long double>(random() % 5000 + 1));
        pool.push_back(level);
        pool.push_back(-level);
        pool.push_back(std::nextafter(level, 1e4000L)); // same text, other bits
        const int binary = static_cast<int>(random() % 400) - 200;
        pool.push_back(FromBits(random() | (1ULL << 63),
                                static_cast<uint16_t>((16383 + binary) | (i & 1 ? 0x8000 : 0))));
    }
    return pool;
}

TEST(FloatTextCache, RepeatedValuesGiveTheFreshTexts) {
    std::mt19937_64 random(31);
    const std::vector<long double> pool = Pool(random);
    cli::TFloatTextCache cache;
    for (int i = 0; i < 300000; ++i) {
        // Mostly the pool, sometimes a value never seen.
        const long double x =
            i % 7 == 0 ? FromBits(random() | (1ULL << 63), static_cast<uint16_t>(16383 + i % 90))
                       : pool[random() % pool.size()];
        ASSERT_EQ(Cached(cache, x), Fresh(x)) << i;
    }
}

TEST(FloatTextCache, ColumnOfDistinctValuesStillGivesTheFreshTexts) {
    std::mt19937_64 random(5);
    const std::vector<long double> pool = Pool(random);
    cli::TFloatTextCache cache;
    // Times first: every value new, so the column stops looking up; then repeats.
    for (int i = 0; i < 20000; ++i) {
        const long double x = i * 1.000001L / 3;
        ASSERT_EQ(Cached(cache, x), Fresh(x)) << i;
    }
    for (int i = 0; i < 20000; ++i) {
        const long double x = pool[random() % pool.size()];
        ASSERT_EQ(Cached(cache, x), Fresh(x)) << i;
    }
}

TEST(FloatTextCache, LinesOfTheWriterKeepTheirColumns) {
    // Each column keeps its own texts; the same value in two columns, nulls and other kinds
    // between them.
    std::mt19937_64 random(8);
    const std::vector<long double> pool = Pool(random);
    std::ostringstream out;
    std::string want;
    {
        cli::TRecordTextWriter text(out);
        for (int line = 0; line < 20000; ++line) {
            const long double a = pool[random() % 40];
            const long double b = pool[random() % pool.size()];
            text.AddFloat(a);
            text.AddNull();
            text.AddFloat(b);
            text.AddInt(line);
            text.AddFloat(a);
            if (line % 3 == 0) text.AddFloat(b);
            text.EndLine();
            want += Fresh(a) + ";;" + Fresh(b) + ";" + std::to_string(line) + ";" + Fresh(a);
            if (line % 3 == 0) want += ";" + Fresh(b);
            want += "\n";
        }
    }
    EXPECT_EQ(out.str(), want);
}

} // namespace
