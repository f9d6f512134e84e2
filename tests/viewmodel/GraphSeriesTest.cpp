// Series of 2D graphs without a display: acceptance of records, bins, cumulation, channels,
// logarithmic axes, the reading of a branch's records, zoom ranges and persistence.

#include "FilterStreamSupport.h"
#include "GraphTestSupport.h"

#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TNodePersist.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TSeriesGr.h"
#include "viewmodel/graph/TGraphFill.h"
#include "viewmodel/graph/TGraphZoom.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// A graph of fake axes over 0 .. 100 at the bottom and the series under test.
struct TSeriesFixture : ::testing::Test {
    TFakeAxis left, right, bottom;
    TFakeSeriesPoints object;
    TSeriesGr series;
    std::vector<TGraphDataPoint> points;
    TAERecord record;

    void SetUp() override {
        left.FieldId = fidAmpl;
        bottom.FieldId = fidTimeMS;
        bottom.Fix(0, 100);
        series.SetObject(&object, "Fake");
    }
    TGraphRun Run() {
        TGraphRun run;
        run.Left = &left;
        run.Right = &right;
        run.Bottom = &bottom;
        run.RightEnabled = right.Enabled;
        run.RightOn = right.Enabled && !right.FieldId.empty();
        run.Points = &points;
        return run;
    }
    void Add(long double x, long double y, uint8_t channel = 1, bool deleted = false) {
        TGraphDataPoint p;
        p.Position = static_cast<int32_t>(points.size());
        p.X = x;
        p.LeftY = y;
        p.LeftNull = false;
        p.Channel = channel;
        p.Deleted = deleted;
        points.push_back(p);
    }
    // The whole fill after the records were read.
    void Fill(const std::vector<int32_t>& channels = {1, 2, 3}) {
        const TGraphRun run = Run();
        for (int32_t i = 0; i < static_cast<int32_t>(points.size()); ++i)
            series.Accept(run, i, record);
        series.ComputeBinCount(run);
        series.PrepareLists(channels, 1);
        series.Aggregate(run, 1);
        for (TFakeAxis* a : {&left, &bottom, &right})
            a->AxisFinishRange();
        for (TFakeAxis* a : {&left, &bottom, &right})
            a->AxisFinishCurrentRange();
        series.PrepareLists(channels, 2);
        if (series.NeedsSecondWalk()) {
            series.BeginSecondWalk(run);
            for (const TGraphDataPoint& p : points)
                series.TakeAgain(run, p, record);
        }
        series.Aggregate(run, 2);
        series.BuildPoints(run);
    }
    std::vector<long double> Values(size_t list = 0) const {
        std::vector<long double> out;
        for (const TGraphBin& b : series.BinLists().at(list))
            out.push_back(b.Value);
        return out;
    }
};

} // namespace

TEST_F(TSeriesFixture, HundredBinsOverHundredPutTheLastValueInTheLastBin) {
    series.SetTypeSeries(stHistigram);
    Add(99.5, 1);
    Add(0, 1);
    Fill();
    ASSERT_EQ(series.BinCount(), 100);
    const auto& bins = series.BinLists()[0];
    EXPECT_EQ(bins[99].Count, 1);
    EXPECT_EQ(bins[0].Count, 1);
    EXPECT_DOUBLE_EQ(static_cast<double>(bins[99].Start), 99.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(bins[99].End), 100.0);
}

// The bin of a value is the truncated quotient (x - Min) / width, kept when it lies in
// 0 .. BinCount - 1: also just below each edge, a little below the minimum, and at the maximum.
TEST_F(TSeriesFixture, EveryValueFallsInTheBinOfItsTruncatedQuotient) {
    series.SetTypeSeries(stHistigram);
    // The data points hold doubles.
    std::vector<double> xs = {-1, -0.999, -0.5, -0.0, 100, 100.5, 1e30};
    for (int k = 0; k < 100; ++k) {
        const auto edge = static_cast<double>(k);
        xs.push_back(edge);
        xs.push_back(std::nextafter(edge, -1.0));
        xs.push_back(std::nextafter(edge, 101.0));
        xs.push_back(edge + 0.5);
    }
    std::vector<int32_t> expected(100, 0);
    for (double x : xs) {
        Add(x, 1);
        const double i = std::trunc(x);
        if (i >= 0 && i <= 99) ++expected[static_cast<size_t>(i)];
    }
    Fill();
    ASSERT_EQ(series.BinCount(), 100);
    const auto& bins = series.BinLists()[0];
    for (size_t k = 0; k < 100; ++k)
        EXPECT_EQ(bins[k].Count, expected[k]) << k;
}

// A histogram keeps no member per record: the walk counts by bottom value and channel, and
// where the values are too many different ones, a second walk bins them once the range is
// known. Both give the bins of the truncated quotients.
TEST_F(TSeriesFixture, AHistogramBinsWithoutMembers) {
    series.SetTypeSeries(stHistigram);
    series.SetBinSumType(bsSum);
    const int n = 5000;
    for (int k = 0; k < n; ++k)
        Add(static_cast<long double>((k * 7919) % 4999) / 50.0L, k % 13, 1 + k % 3, k % 101 == 7);
    std::vector<int32_t> counts(100, 0);
    std::vector<long double> sums(100, 0);
    size_t taken = 0;
    for (const TGraphDataPoint& p : points) {
        if (p.Deleted) continue;
        ++taken;
        const auto i = static_cast<size_t>(std::trunc(p.X));
        ++counts[i];
        sums[i] += p.LeftY;
    }
    for (const size_t limit : {size_t{1} << 16, size_t{100}}) {
        series.ClearRun();
        series.SetValueLimit(limit);
        Fill();
        EXPECT_TRUE(series.Members().empty());
        EXPECT_EQ(series.Taken(), taken);
        EXPECT_EQ(series.NeedsSecondWalk(), limit == 100);
        const auto& bins = series.BinLists()[0];
        ASSERT_EQ(bins.size(), 100u);
        for (size_t k = 0; k < 100; ++k) {
            EXPECT_EQ(bins[k].Count, counts[k]) << k << " limit " << limit;
            EXPECT_EQ(bins[k].Value, sums[k]) << k << " limit " << limit;
        }
    }
}

// Enough members that the bins and the points are worked out on two threads, block by block:
// the outcome is the one of a single pass in order.
TEST_F(TSeriesFixture, ManyMembersGiveTheBinsAndPointsOfOnePassInOrder) {
    const int n = 250'003;
    for (int k = 0; k < n; ++k)
        Add(static_cast<long double>((k * 7919) % 10007) / 100.0L, k % 97, 1 + k % 3,
            k % 1001 == 5);
    series.SetTypeSeries(stHistigram);
    series.SetBinSumType(bsSum);
    Fill();
    std::vector<int32_t> counts(100, 0);
    std::vector<long double> sums(100, 0);
    for (const TGraphDataPoint& p : points) {
        if (p.Deleted) continue;
        const long double i = std::trunc((p.X - 0) / 1);
        if (i < 0 || i > 99) continue;
        ++counts[static_cast<size_t>(i)];
        sums[static_cast<size_t>(i)] += p.LeftY;
    }
    const auto& bins = series.BinLists()[0];
    for (size_t k = 0; k < 100; ++k) {
        EXPECT_EQ(bins[k].Count, counts[k]) << k;
        EXPECT_EQ(bins[k].Value, sums[k]) << k;
    }

    series.ClearRun();
    object.ClearSeriesPoints();
    series.SetTypeSeries(stPointPlot);
    Fill();
    ASSERT_GT(object.Points.size(), 240'000u);
    // The points one by one in order, through the object's own sort.
    const long double y0 = left.CurLo, ySpan = left.CurHi - left.CurLo;
    const long double x0 = bottom.CurLo, xSpan = bottom.CurHi - bottom.CurLo;
    TFakeSeriesPoints expected;
    for (const TGraphDataPoint& p : points)
        if (!p.Deleted)
            expected.AddSeriesPoint(p.Position, 0, p.Channel,
                                    (static_cast<long double>(p.LeftY) - y0) / ySpan,
                                    (static_cast<long double>(p.X) - x0) / xSpan);
    expected.SortSeriesPoints();
    ASSERT_EQ(object.Points.size(), expected.Points.size());
    for (size_t k = 0; k < expected.Points.size(); ++k) {
        const TFakePoint& a = object.Points[k];
        const TFakePoint& b = expected.Points[k];
        ASSERT_EQ(a.Tag, b.Tag) << k;
        ASSERT_EQ(a.Channel, b.Channel) << k;
        ASSERT_EQ(a.Y, b.Y) << k;
        ASSERT_EQ(a.X, b.X) << k;
    }
}

TEST_F(TSeriesFixture, CentredBinsAreWiderAndStartHalfABinEarly) {
    series.SetTypeSeries(stHistigram);
    series.SetCenterBin(true);
    Add(50, 1);
    Fill();
    const auto& bins = series.BinLists()[0];
    ASSERT_EQ(bins.size(), 100u);
    const double w = 100.0 / 99.0;
    EXPECT_NEAR(static_cast<double>(bins[0].End - bins[0].Start), w, 1e-12);
    EXPECT_NEAR(static_cast<double>(bins[0].Start), -0.50505050505, 1e-9);
    EXPECT_NEAR(static_cast<double>(bins[0].End), 0.50505050505, 1e-9);
}

TEST_F(TSeriesFixture, OneCentredBinSpansTheWholeRange) {
    series.SetTypeSeries(stHistigram);
    series.SetCenterBin(true);
    series.SetBinNum(1);
    Add(0, 1);
    Add(70, 1);
    Add(100, 1);
    Fill();
    ASSERT_EQ(series.BinCount(), 1);
    const TGraphBin& b = series.BinLists()[0][0];
    EXPECT_EQ(b.Count, 3);
    EXPECT_EQ(b.Start, 0);
    EXPECT_EQ(b.End, 100);
    // Nothing became NaN on the way to the drawn points.
    ASSERT_EQ(object.Points.size(), 2u);
    for (const TFakePoint& p : object.Points) {
        EXPECT_TRUE(std::isfinite(p.X));
        EXPECT_TRUE(std::isfinite(p.Y));
    }
}

TEST_F(TSeriesFixture, BinValueIncRoundsTheCountUpAndSharesTheRange) {
    series.SetTypeSeries(stHistigram);
    series.SetBinNumType(bnValueInc);
    series.SetBinNum(30);
    Add(10, 1);
    Fill();
    ASSERT_EQ(series.BinCount(), 4);
    const TGraphBin& b = series.BinLists()[0][1];
    EXPECT_DOUBLE_EQ(static_cast<double>(b.End - b.Start), 25.0);
    EXPECT_EQ(ComputeBinCount(bnValueInc, 30, true, 0, 100), 5);
    EXPECT_EQ(ComputeBinCount(bnValueInc, 25, false, 0, 100), 4);
    // A width of 0 counts as 1.
    EXPECT_EQ(ComputeBinCount(bnValueInc, 0, false, 0, 100), 100);
}

TEST_F(TSeriesFixture, BinCountRoundsHalfToEvenAndNeverGoesNegative) {
    EXPECT_EQ(ComputeBinCount(bnCount, 2.5L, false, 0, 1), 2);
    EXPECT_EQ(ComputeBinCount(bnCount, 3.5L, false, 0, 1), 4);
    EXPECT_EQ(ComputeBinCount(bnCount, -3, false, 0, 1), 0);
    EXPECT_EQ(ComputeBinCount(bnCount, std::numeric_limits<long double>::quiet_NaN(), false, 0, 1),
              0);
}

TEST_F(TSeriesFixture, BinCountZeroDrawsNothing) {
    for (uint8_t type : {stLineGraph, stHistigram}) {
        series.SetTypeSeries(type);
        series.SetBinNum(0);
        object.Points.clear();
        Add(10, 1);
        Fill();
        EXPECT_EQ(series.BinCount(), 0);
        EXPECT_TRUE(object.Points.empty()) << int(type);
    }
}

TEST_F(TSeriesFixture, CumulationRunsEitherWayOnLineGraphsOnly) {
    series.SetBinNum(3);
    series.SetBinSumType(bsSum);
    Add(10, 1);
    Add(90, 2);
    series.SetTypeSeries(stLineGraph);
    series.SetBinCumulation(bcMinMax);
    Fill();
    EXPECT_EQ(Values(), (std::vector<long double>{1, 1, 3}));
    series.ClearRun();
    object.Points.clear();
    series.SetBinCumulation(bcMaxMin);
    Fill();
    EXPECT_EQ(Values(), (std::vector<long double>{3, 2, 2}));
    // With cumulation every bin draws two points, empty ones included.
    EXPECT_EQ(object.Points.size(), 6u);
    series.ClearRun();
    object.Points.clear();
    series.SetTypeSeries(stHistigram);
    Fill();
    EXPECT_EQ(Values(), (std::vector<long double>{1, 0, 2}));
}

TEST_F(TSeriesFixture, AChannelOutsideTheListIsNotBinned) {
    series.SetTypeSeries(stLineGraph);
    series.SetBinNum(2);
    Add(10, 1, 5);
    Add(10, 1, 2);
    Fill({1, 2, 3});
    EXPECT_EQ(series.BinLists()[0][0].Count, 1);
    EXPECT_EQ(series.BinLists()[2][0].Count, 1);
    // Channel 5 is listed, but only three channels are present.
    series.ClearRun();
    Fill({1, 2, 5});
    EXPECT_EQ(series.BinLists()[0][0].Count, 1);
}

TEST_F(TSeriesFixture, AverageMaxAndMinOfABin) {
    series.SetTypeSeries(stLineGraph);
    series.SetBinNum(1);
    Add(10, 4);
    Add(20, 8);
    series.SetBinSumType(bsAve);
    Fill();
    EXPECT_EQ(Values(), (std::vector<long double>{6}));
    series.ClearRun();
    series.SetBinSumType(bsMax);
    Fill();
    EXPECT_EQ(Values(), (std::vector<long double>{8}));
    // Min starts from the empty bin's 0.
    series.ClearRun();
    series.SetBinSumType(bsMin);
    Fill();
    EXPECT_EQ(Values(), (std::vector<long double>{0}));
}

TEST_F(TSeriesFixture, AZeroOnALogarithmicAxisIsNeitherPlottedNorCounted) {
    left.Log = true;
    Add(10, 0);
    Add(20, 5);
    Add(30, 50);
    Fill();
    EXPECT_EQ(series.Members().size(), 2u);
    ASSERT_EQ(object.Points.size(), 2u);
    EXPECT_EQ(left.Lo, 5);
    EXPECT_EQ(left.Hi, 50);
    for (const TFakePoint& p : object.Points)
        EXPECT_NE(p.Tag, 0);
}

TEST_F(TSeriesFixture, PointsOnLogarithmicAxesLieAtTheExtendedLogarithmsOfTheirValues) {
    // Whole numbers (counts, decibels) inside and beyond the range, fractions, the range's ends.
    left.Log = bottom.Log = true;
    left.Fix(0.5L, 200000);
    bottom.Fix(1, 100000);
    const std::vector<long double> values = {1,     2,     7,     99.5L, 100,    4097,
                                             65535, 65536, 65537, 99999, 100000, 0.75L};
    for (size_t i = 0; i < values.size(); ++i)
        Add(values[i] + (values[i] < 1 ? 1 : 0), values[values.size() - 1 - i]);
    Fill();
    ASSERT_EQ(object.Points.size(), values.size());
    auto at = [](long double v, long double lo, long double hi) {
        return (std::log10(v) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
    };
    for (const TFakePoint& p : object.Points) {
        const TGraphDataPoint& d = points.at(static_cast<size_t>(p.Tag));
        EXPECT_EQ(p.X, at(d.X, 1, 100000)) << d.X;
        EXPECT_EQ(p.Y, at(d.LeftY, 0.5L, 200000)) << d.LeftY;
    }
}

TEST_F(TSeriesFixture, LineGraphOnALogarithmicAxisDrawsZeroFarBelow) {
    left.Log = true;
    left.Fix(1, 100);
    series.SetTypeSeries(stLineGraph);
    series.SetBinNum(2);
    series.SetBinSumType(bsSum);
    Add(10, 0);
    Add(90, 10);
    Fill();
    ASSERT_EQ(object.Points.size(), 2u);
    EXPECT_LT(object.Points[0].Y, -1000);
    EXPECT_NEAR(static_cast<double>(object.Points[1].Y), 0.5, 1e-12);
}

TEST_F(TSeriesFixture, DeletedRecordsOnlyWithUseDelRec) {
    Add(10, 1, 1, true);
    Add(20, 1);
    Fill();
    EXPECT_EQ(object.Points.size(), 1u);
    object.Points.clear();
    series.ClearRun();
    series.SetUseDelRec(true);
    Fill();
    EXPECT_EQ(object.Points.size(), 2u);
}

TEST_F(TSeriesFixture, PointPlotsCarryPositionSelectionAndChannelAndAreSorted) {
    Add(30, 1, 2);
    Add(10, 2, 3);
    points[1].Selected = true;
    Fill();
    ASSERT_EQ(object.Points.size(), 2u);
    EXPECT_TRUE(object.Sorted);
    EXPECT_EQ(object.Points[0].Tag, 1);
    EXPECT_EQ(object.Points[0].Flags, 1);
    EXPECT_EQ(object.Points[0].Channel, 3);
    EXPECT_NEAR(static_cast<double>(object.Points[0].X), 0.1, 1e-12);
}

TEST_F(TSeriesFixture, SplitChannelsDrawOneCurvePerColouredChannel) {
    series.SetTypeSeries(stLineGraph);
    series.SetBinNum(2);
    Add(10, 1, 2);
    Add(90, 1, 5);
    Add(90, 1, 1);
    const int32_t split[] = {2, 5};
    object.SetChannelColors(split, 2);
    Fill({1, 2, 3, 4, 5});
    std::set<std::pair<int32_t, int>> curves;
    for (const TFakePoint& p : object.Points)
        curves.insert({p.Tag, p.Channel});
    EXPECT_EQ(curves, (std::set<std::pair<int32_t, int>>{{2, 2}, {5, 5}}));
    object.Points.clear();
    object.SetChannelColors(nullptr, 0);
    series.ClearRun();
    Fill({1, 2, 3, 4, 5});
    for (const TFakePoint& p : object.Points)
        EXPECT_EQ(p.Tag, 0);
}

TEST_F(TSeriesFixture, RightSideSeriesTakePartOnlyWithARightField) {
    series.SetSide(sdRight);
    TGraphDataPoint p;
    p.RightY = 3;
    p.RightNull = false;
    points.push_back(p);
    Fill();
    EXPECT_TRUE(object.Points.empty());
    right.FieldId = fidCount;
    series.ClearRun();
    Fill();
    EXPECT_EQ(object.Points.size(), 1u);
}

TEST(TGraphZoomTest, AZeroWidthOldRangeAsksForARefill) {
    TFakeAxis l, b;
    l.AxisSetCurrent(0, 10);
    b.AxisSetCurrent(5, 5);
    TGraphRun run;
    run.Left = &l;
    run.Bottom = &b;
    TRangeSnapshot old = SnapshotRanges(run);
    b.AxisSetCurrent(0, 10);
    TViewTransform t = ComputeTransform(old, run);
    EXPECT_TRUE(t.Refill);
    EXPECT_TRUE(std::isfinite(t.XScale));
    old = SnapshotRanges(run);
    b.AxisSetCurrent(2, 4);
    l.AxisSetCurrent(5, 10);
    t = ComputeTransform(old, run);
    EXPECT_FALSE(t.Refill);
    EXPECT_DOUBLE_EQ(static_cast<double>(t.XOrigin), 0.2);
    EXPECT_DOUBLE_EQ(static_cast<double>(t.XScale), 5.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(t.YOriginLeft), 1.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(t.YScaleLeft), 2.0);
}

TEST(TGraphZoomTest, AnUnchangedRangeWithoutWidthMovesNothing) {
    // A rescale that leaves a zero-width range as it was has nothing to move: no refill (which
    // would read the records again) and no NaN.
    TFakeAxis l, b;
    l.AxisSetCurrent(0, 0);
    b.AxisSetCurrent(0, 100);
    TGraphRun run;
    run.Left = &l;
    run.Bottom = &b;
    const TRangeSnapshot old = SnapshotRanges(run);
    const TViewTransform t = ComputeTransform(old, run);
    EXPECT_FALSE(t.Refill);
    EXPECT_EQ(t.YOriginLeft, 1);
    EXPECT_EQ(t.YScaleLeft, 1);
    EXPECT_EQ(t.XOrigin, 0);
    EXPECT_EQ(t.XScale, 1);
    // From zero width to a proper range: a refill.
    l.AxisSetCurrent(0, 10);
    EXPECT_TRUE(ComputeTransform(old, run).Refill);
}

TEST(TGraphZoomTest, ARectangleBeyondTheRangeLeavesThatBound) {
    TFakeAxis l, b;
    l.AxisSetCurrent(0, 100);
    b.AxisSetCurrent(0, 100);
    TGraphRun run;
    run.Left = &l;
    run.Bottom = &b;
    TGraphZoom zoom;
    // From the middle to beyond the right end, and from 0,39 of the height beyond the top.
    TZoomRect r{0.5L, 1.2L, 1.5L, 0.39L};
    zoom.Zoom(run, zmBoth, &r, nullptr);
    long double lo = 0, hi = 0;
    b.AxisCurrent(lo, hi);
    EXPECT_EQ(lo, 50);
    EXPECT_EQ(hi, 100);
    l.AxisCurrent(lo, hi);
    EXPECT_NEAR(static_cast<double>(lo), 39.0, 1e-12);
    EXPECT_EQ(hi, 100);
    TViewTransform t;
    ASSERT_TRUE(zoom.Unzoom(run, true, t));
    b.AxisCurrent(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 100);
    EXPECT_FALSE(zoom.Unzoom(run, true, t));
}

TEST(TGraphZoomTest, TransformedPointsLandWhereARebuildPutsThem) {
    TFakeAxis l, b;
    l.AxisSetCurrent(0, 100);
    b.AxisSetCurrent(0, 100);
    TGraphRun run;
    run.Left = &l;
    run.Bottom = &b;
    TFakeSeriesPoints o;
    o.AddSeriesPoint(0, 0, 0, 0.3L, 0.6L);
    const TRangeSnapshot old = SnapshotRanges(run);
    l.AxisSetCurrent(20, 40);
    b.AxisSetCurrent(50, 70);
    const TViewTransform t = ComputeTransform(old, run);
    o.TransformSeriesPoints(t.YOriginLeft, t.YScaleLeft, t.XOrigin, t.XScale);
    EXPECT_NEAR(static_cast<double>(o.Points[0].X), 0.5, 1e-12);
    EXPECT_NEAR(static_cast<double>(o.Points[0].Y), 0.5, 1e-12);
}

TEST(TGraphZoomTest, SortedRunSearchEndsWithADefinedResult) {
    const std::vector<int> xs{1, 2, 3, 5, 8, 13, 21};
    auto search = [&](int left, int right, int& lo, int& hi) {
        return FindSortedRun(
            static_cast<int>(xs.size()),
            [&](int i) {
                return xs[static_cast<size_t>(i)] < left    ? -1
                       : xs[static_cast<size_t>(i)] > right ? 1
                                                            : 0;
            },
            lo, hi);
    };
    int lo = 0, hi = 0;
    ASSERT_TRUE(search(4, 14, lo, hi));
    EXPECT_EQ(lo, 3);
    EXPECT_EQ(hi, 5);
    ASSERT_TRUE(search(21, 30, lo, hi));
    EXPECT_EQ(lo, 6);
    EXPECT_EQ(hi, 6);
    ASSERT_TRUE(search(0, 1, lo, hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
    EXPECT_FALSE(search(9, 12, lo, hi));
    EXPECT_FALSE(search(30, 40, lo, hi));
    EXPECT_FALSE(FindSortedRun(
        0, [](int) { return 0; }, lo, hi));
    // Every search of every window over a longer index ends, with the whole run.
    std::vector<int> many;
    for (int i = 0; i < 50; ++i)
        many.push_back(i / 3);
    for (int a = -1; a < 18; ++a)
        for (int b2 = a; b2 < 18; ++b2) {
            const bool found = FindSortedRun(
                50,
                [&](int i) {
                    return many[static_cast<size_t>(i)] < a    ? -1
                           : many[static_cast<size_t>(i)] > b2 ? 1
                                                               : 0;
                },
                lo, hi);
            const int wantLo = std::max(0, a) * 3;
            const int wantHi = std::min(49, b2 * 3 + 2);
            if (b2 < 0 || a > 16) {
                EXPECT_FALSE(found);
                continue;
            }
            ASSERT_TRUE(found) << a << " " << b2;
            EXPECT_EQ(lo, wantLo) << a << " " << b2;
            EXPECT_EQ(hi, wantHi) << a << " " << b2;
        }
}

// ---- Reading a branch ----------------------------------------------------------------------

namespace {

struct TGraphFillFixture : ::testing::Test {
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = nullptr;
    TGVCPUGr* graph = nullptr;
    TFakeAxis left, bottom, right;
    TSeriesGrList list;
    TFakeSeriesPoints object;

    void SetUp() override {
        RegisterFilterClasses();
        // Only the series class: the tree tests of this program take the graph processor for
        // a class the program does not know.
        RegisterClass<TSeriesGr>("TSeriesGr");
        source = MakeStream(holder);
        graph = source->AddNew<TGVCPUGr>();
        graph->SetName("GR1");
        left.FieldId = fidAmpl;
        bottom.FieldId = fidTimeMS;
        TSeriesGr* s = list.Add(std::make_unique<TSeriesGr>());
        s->SetObject(&object, "Fake");
    }
    TGraphFillRequest Request() {
        TGraphFillRequest r;
        r.Processor = graph;
        r.Axes.Left = &left;
        r.Axes.Bottom = &bottom;
        r.Axes.Right = &right;
        r.Series = &list;
        return r;
    }
};

} // namespace

TEST_F(TGraphFillFixture, ReadsHitsAndTimeMarksSkippingNullBottoms) {
    AddHit(*source, 10, 1, 40);
    AddHit(*source, 20, 2, 60);
    const int32_t mark = source->AddRecord(rkTimeMark);
    source->SetValue(mark, posTimeMS, 15);
    source->AddRecord(rkHit); // no time: not read into the graph
    source->AddRecord(rkSetup);
    std::vector<std::pair<int32_t, long double>> marks;
    TGraphFillRequest r = Request();
    r.TakeTimeMark = [&](int32_t i, long double x) { marks.emplace_back(i, x); };
    TGraphFillResult result;
    ASSERT_TRUE(FillGraphRecords(r, result)) << result.Error;
    ASSERT_EQ(result.Points.size(), 3u);
    EXPECT_EQ(result.Points[1].Channel, 2);
    EXPECT_EQ(result.Points[1].LeftY, 60);
    EXPECT_EQ(object.Points.size(), 2u);
    EXPECT_EQ(bottom.Lo, 10);
    EXPECT_EQ(bottom.Hi, 20);
    // Only a time field gives time marks.
    EXPECT_EQ(result.TimeAxis, !marks.empty());
}

TEST_F(TGraphFillFixture, FirstHitOnlyWithoutLocationShowsAllHits) {
    source->AddRecord(rkHit, 0, rfFirstHit);
    source->SetValue(0, posTimeMS, 1);
    source->AddRecord(rkHit, 0, 0);
    source->SetValue(1, posTimeMS, 2);
    TGraphFillRequest r = Request();
    r.FirstHitOnly = true;
    TGraphFillResult result;
    ASSERT_TRUE(FillGraphRecords(r, result));
    EXPECT_EQ(result.Points.size(), 2u);
}

TEST_F(TGraphFillFixture, AnAbortEndsTheFillEmpty) {
    for (int i = 0; i < 20000; ++i)
        AddHit(*source, i, 1, 50);
    TGraphFillRequest r = Request();
    r.Aborted = [] { return true; };
    TGraphFillResult result;
    EXPECT_FALSE(FillGraphRecords(r, result));
    EXPECT_EQ(result.Error, "Abort");
    EXPECT_TRUE(result.Points.empty());
}

TEST_F(TGraphFillFixture, TheProcessorKeepsTheViewsNodeWithoutAView) {
    EXPECT_EQ(graph->ImageIndex(), 22);
    EXPECT_EQ(graph->KindFlags(), kfFinal);
    graph->SetFirstHitOnly(true);
    TNodePersist node("OBJ");
    graph->SaveToNode(node);
    EXPECT_EQ(node.GetValue("FirstHit"), "1");
    TNodePersist* visual = node.FindNode("VisualClass");
    ASSERT_NE(visual, nullptr);
    visual->AddItem("EnableRightAixs", "0");
    visual->AddNode("SeriesAixs")->AddItem("ClassName", "TSeriesGrList");
    TGVCPUGr copy;
    copy.LoadFromNode(node);
    EXPECT_TRUE(copy.GetFirstHitOnly());
    TNodePersist again("OBJ");
    copy.SaveToNode(again);
    const TNodePersist* v2 = again.FindNode("VisualClass");
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(v2->GetValue("EnableRightAixs"), "0");
    ASSERT_NE(v2->FindNode("SeriesAixs"), nullptr);
}

TEST(TSeriesPersistTest, EverySettingSurvivesARoundTrip) {
    RegisterFilterClasses();
    RegisterClass<TSeriesGr>("TSeriesGr");
    TSeriesGrList list;
    TSeriesGr* s = list.Add(std::make_unique<TSeriesGr>());
    s->SetTypeSeries(stLineGraph);
    s->SetColor(7);
    s->SetBinNum(12.5L);
    s->SetBinNumType(bnValueInc);
    s->SetBinSumType(bsMax);
    s->SetBinCumulation(bcMaxMin);
    s->SetTypePoint(3);
    s->SetCenterBin(true);
    s->SetSide(sdRight);
    s->SetEnabledFilter(true);
    s->SetVisible(false);
    s->SetSelected(false);
    s->SetUseDelRec(true);
    s->SetSplittingChan(false);
    TNodePersist node("SeriesAixs");
    list.SaveToNode(node);
    const TNodePersist* item = node.FindNode("Serieses")->FindNode("Series");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetValue("BinNum"), "12,5");
    EXPECT_EQ(item->ItemName(0), "ClassName");
    TSeriesGrList back;
    back.LoadFromNode(node);
    ASSERT_EQ(back.Count(), 1);
    const TSeriesGr& b = *back.Get(0);
    EXPECT_EQ(b.TypeSeries(), stLineGraph);
    EXPECT_EQ(b.Color(), 7);
    EXPECT_EQ(b.BinNum(), 12.5L);
    EXPECT_EQ(b.BinNumType(), bnValueInc);
    EXPECT_EQ(b.BinSumType(), bsMax);
    EXPECT_EQ(b.BinCumulation(), bcMaxMin);
    EXPECT_EQ(b.TypePoint(), 3);
    EXPECT_TRUE(b.CenterBin());
    EXPECT_EQ(b.Side(), sdRight);
    EXPECT_TRUE(b.EnabledFilter());
    EXPECT_FALSE(b.Visible());
    EXPECT_FALSE(b.Selected());
    EXPECT_TRUE(b.UseDelRec());
    EXPECT_FALSE(b.SplittingChan());
    // An unknown series class is skipped; a side of 3 is not taken.
    TNodePersist odd("SeriesAixs");
    TNodePersist* l2 = odd.AddNode("Serieses");
    l2->AddNode("Series")->AddItem("ClassName", "TNoSuchSeries");
    TNodePersist* good = l2->AddNode("Series");
    good->AddItem("ClassName", "TSeriesGr");
    good->AddItem("Side", "3");
    back.LoadFromNode(odd);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Get(0)->Side(), sdLeft);
}
