#include "project/TFillProgress.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

struct TFakeFillClock {
    int64_t Now = 1000;
    TFakeFillClock() {
        SetFillClock([this] { return Now; });
    }
    ~TFakeFillClock() { SetFillClock({}); }
};

TEST(FillProgress, ShowsOnlyAfterHalfASecondAndCountsInWholePercent) {
    TFakeFillClock clock;
    TFillProgress p;
    p.Report(4'100'000, 10'000'000);
    EXPECT_FALSE(p.DueToShow());
    clock.Now += 499;
    EXPECT_FALSE(p.DueToShow());
    clock.Now += 1;
    EXPECT_TRUE(p.DueToShow());
    EXPECT_EQ(p.Percent(), 41);
    // 100 % only once every record was read; no total, no percentage.
    EXPECT_EQ(PercentOf(9'999'999, 10'000'000), 99);
    EXPECT_EQ(PercentOf(10'000'000, 10'000'000), 100);
    EXPECT_EQ(PercentOf(5, 0), 0);
    EXPECT_FALSE(p.Stopped());
    p.Stop();
    EXPECT_TRUE(p.Stopped());
}

TEST(FillProgress, TheWindowIsBroughtUpToDateAtOnceThenOncePerRefreshTime) {
    TFakeFillClock clock;
    TFillProgress p;
    EXPECT_TRUE(p.DueToRefresh());
    EXPECT_FALSE(p.DueToRefresh());
    clock.Now += TFillProgress::RefreshMs - 1;
    EXPECT_FALSE(p.DueToRefresh());
    clock.Now += 1;
    EXPECT_TRUE(p.DueToRefresh());
    EXPECT_FALSE(p.DueToRefresh());
}

TEST(FillProgress, TextsSayHowFarTheFillGot) {
    EXPECT_EQ(StoppedText(4'100'000, 10'000'000),
              "Stopped at 41 % (4 100 000 of 10 000 000 records)");
    EXPECT_EQ(StoppedText(0, 999), "Stopped at 0 % (0 of 999 records)");
    EXPECT_EQ(ProgressText(1234, 0), "1 234 records");
    EXPECT_EQ(GroupedCount(100'000), "100 000");
    EXPECT_EQ(GroupedCount(-1'000), "-1 000");
}

TEST(FillProgress, OnlyArrangingWindowsRunsDuringAFill) {
    EXPECT_TRUE(RunsDuringFill("mCascade"));
    EXPECT_TRUE(RunsDuringFill("mTileVertically"));
    for (const char* c : {"mRun", "mOpenProject", "mNewProject", "mExit", "mCloseProject",
                          "mSaveProject", "mSelectDatabase", ""})
        EXPECT_FALSE(RunsDuringFill(c)) << c;
}

} // namespace
} // namespace vorelt
