// The clock texts and second fractions of Vallen hits against the cut of each time on its
// own: times in order and out of order, on both sides of whole seconds, minutes and hours,
// before the test start, and far beyond a day.

#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/TTimeText.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace vorelt {
namespace {

struct TClockTexts {
    std::string HHMMSS;
    long double TimeUS = 0;
};

// The cut as it reads for one time alone.
TClockTexts ClockOf(long double us) {
    const long double s = us / 1000000.0L;
    const auto h = static_cast<int64_t>(std::trunc(s / 3600.0L));
    const auto m = static_cast<int64_t>(std::trunc((s - 3600.0L * h) / 60.0L));
    const long double r = s - 3600.0L * h - 60.0L * m;
    const auto whole = static_cast<int64_t>(std::trunc(r));
    TClockTexts c;
    AppendHHMMSS(c.HHMMSS, h, m, whole);
    c.TimeUS = r - whole;
    return c;
}

TEST(VallenClockTest, EveryHitHasTheClockOfItsOwnTime) {
    // Ticks of 0.1 µs.
    std::vector<int64_t> ticks;
    std::mt19937_64 random(3);
    for (int64_t edge : {int64_t{10000000}, int64_t{600000000}, int64_t{36000000000},
                         int64_t{864000000000}, int64_t{7} * 36000000000})
        for (int64_t k = 1; k < 4; ++k)
            for (int64_t d = -3; d <= 3; ++d)
                ticks.push_back(k * edge + d);
    int64_t t = 0;
    for (int i = 0; i < 3000; ++i) {
        t += static_cast<int64_t>(random() % 3000000); // in order, thousands a second
        ticks.push_back(t);
        if (i % 50 == 0) ticks.push_back(t - 20000000); // back by two seconds
    }
    for (int i = 0; i < 300; ++i)
        ticks.push_back(static_cast<int64_t>(random() % 10000000000000ULL) - 100000000);
    ticks.push_back(-5);
    ticks.push_back(-10000001);

    std::vector<std::string> schema = test::MinimalVallenSchema();
    std::string insert = "INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, Thr, Amp, "
                         "RiseT, Dur, Eny, RMS, Counts) VALUES ";
    for (size_t i = 0; i < ticks.size(); ++i)
        insert += (i ? ",(" : "(") + std::to_string(i + 1) + ", 2, " + std::to_string(ticks[i]) +
                  ", 1, 1, 10, 100, 15, 200, 3, 1000, 7)";
    schema.push_back(insert);
    test::TTempDir dir;
    const std::string file = dir.File("clock.pridb");
    test::MakeDatabase(file, schema);
    std::unique_ptr<TAEDriverDb> driver = test::OpenVallen(file);
    ASSERT_TRUE(driver);

    TAEListFields layout;
    driver->GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    TAEPNav nav;
    size_t n = 0;
    for (int32_t p = driver->FirstRecord(nav); !(nav.Out.Status & nsEndForward);
         p = driver->NextRecord(nav, p), ++n) {
        driver->ReadRecord(nav, record, p);
        ASSERT_EQ(nav.Out.Status & nsError, 0);
        ASSERT_LT(n, ticks.size());
        const long double us = record.FindByID(fidTime)->GetAsFloat();
        const TClockTexts want = ClockOf(us);
        ASSERT_EQ(record.FindByID(fidHHMMSS)->GetAsString(), want.HHMMSS) << ticks[n];
        const long double fraction = record.FindByID(fidTimeUS)->GetAsFloat();
        ASSERT_TRUE(fraction == want.TimeUS) << ticks[n];
    }
    EXPECT_EQ(n, ticks.size());
}

} // namespace
} // namespace vorelt
