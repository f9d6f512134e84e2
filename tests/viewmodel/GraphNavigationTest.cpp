// Moving about a graph with the mouse, without a display: wheel steps around the mouse and
// drags as entries of the zoom stack, the search for the point under the mouse, and the text
// that tells a point's values.

#include "GraphTestSupport.h"

#include "model/TAEFieldIDs.h"
#include "viewmodel/axes/TAixsLabel.h"
#include "viewmodel/canvas/TAEVPointList.h"
#include "viewmodel/graph/TGraphZoom.h"
#include "viewmodel/graph/TNearestPoint.h"
#include "viewmodel/graph/TPointReadout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// An axis of an integer field: its ends are whole numbers.
class TIntegerAxis : public TFakeAxis {
public:
    void AxisSetCurrent(long double lo, long double hi) override {
        TFakeAxis::AxisSetCurrent(std::nearbyint(lo), std::nearbyint(hi));
    }
};

struct TGraphNavigationFixture : ::testing::Test {
    TFakeAxis left, bottom;
    TGraphZoom zoom;

    void SetUp() override {
        left.FieldId = fidAmpl;
        bottom.FieldId = fidTimeMS;
        left.AxisSetCurrent(0, 100);
        bottom.AxisSetCurrent(0, 100);
    }
    TGraphRun Run() {
        TGraphRun run;
        run.Left = &left;
        run.Bottom = &bottom;
        return run;
    }
    static std::pair<double, double> Range(const TFakeAxis& a) {
        long double lo = 0, hi = 0;
        a.AxisCurrent(lo, hi);
        return {static_cast<double>(lo), static_cast<double>(hi)};
    }
    TWheelZoom Step(long double fx, long double fy, bool in) {
        TViewTransform t;
        return zoom.ZoomAround(Run(), fx, fy, in ? WheelZoomFactor : 1 / WheelZoomFactor, t);
    }
};

void ExpectRange(std::pair<double, double> got, double lo, double hi) {
    EXPECT_NEAR(got.first, lo, 1e-9);
    EXPECT_NEAR(got.second, hi, 1e-9);
}

} // namespace

TEST_F(TGraphNavigationFixture, WheelStepsZoomAroundTheMouseOneEntryEachAndUnzoomWalksBack) {
    // A quarter from the left and halfway up: the values there stay under the mouse.
    ASSERT_EQ(Step(0.25L, 0.5L, true), TWheelZoom::Zoomed);
    ExpectRange(Range(bottom), 5, 85);
    ExpectRange(Range(left), 10, 90);
    EXPECT_EQ(zoom.Stack().size(), 1u);
    ASSERT_EQ(Step(0.25L, 0.5L, true), TWheelZoom::Zoomed);
    ExpectRange(Range(bottom), 9, 73);
    EXPECT_EQ(zoom.Stack().size(), 2u);

    TViewTransform t;
    ASSERT_TRUE(zoom.Unzoom(Run(), false, t));
    ExpectRange(Range(bottom), 5, 85);
    ASSERT_TRUE(zoom.Unzoom(Run(), false, t));
    ExpectRange(Range(bottom), 0, 100);
    EXPECT_TRUE(zoom.Empty());
}

TEST_F(TGraphNavigationFixture, WheelingOutStaysInsideTheWholeGraphAndEndsInUnzoomAll) {
    // Nothing to zoom out of before the first entry.
    EXPECT_EQ(Step(0.5L, 0.5L, false), TWheelZoom::None);
    EXPECT_TRUE(zoom.Empty());

    ASSERT_EQ(Step(0, 0, true), TWheelZoom::Zoomed);
    ASSERT_EQ(Step(0, 0, true), TWheelZoom::Zoomed);
    ExpectRange(Range(bottom), 0, 64);
    // Out around the top right corner: the range would start below 0 and is moved back in.
    ASSERT_EQ(Step(1, 1, false), TWheelZoom::Zoomed);
    ExpectRange(Range(bottom), 0, 80);
    ExpectRange(Range(left), 0, 80);
    EXPECT_EQ(zoom.Stack().size(), 3u);
    // The next step out would show the whole graph: that is "Unzoom All", left to the caller.
    EXPECT_EQ(Step(1, 1, false), TWheelZoom::UnzoomAll);
    ExpectRange(Range(bottom), 0, 80);
    EXPECT_EQ(zoom.Stack().size(), 3u);
}

TEST_F(TGraphNavigationFixture, AsManyStepsOutAsInComeBackToTheWholeGraph) {
    // Ranges and places whose arithmetic is not exact in binary.
    bottom.AxisSetCurrent(0.3L, 71.7L);
    left.AxisSetCurrent(-3.1L, 103.9L);
    for (int steps = 1; steps <= 8; ++steps) {
        for (int k = 0; k < steps; ++k)
            ASSERT_EQ(Step(0.1L, 0.37L, true), TWheelZoom::Zoomed);
        for (int k = 1; k < steps; ++k)
            ASSERT_EQ(Step(0.1L, 0.37L, false), TWheelZoom::Zoomed) << steps << " in, " << k;
        ASSERT_EQ(Step(0.1L, 0.37L, false), TWheelZoom::UnzoomAll) << steps << " in";
        TViewTransform t;
        ASSERT_TRUE(zoom.Unzoom(Run(), true, t));
        ExpectRange(Range(bottom), 0.3, 71.7);
    }
}

TEST_F(TGraphNavigationFixture, ARangeDraggedPastTheWholeGraphComesBackInsideWhenWheelingOut) {
    ASSERT_EQ(Step(0.5L, 0.5L, true), TWheelZoom::Zoomed);
    ASSERT_EQ(Step(0.5L, 0.5L, true), TWheelZoom::Zoomed);
    ExpectRange(Range(bottom), 18, 82);
    // Half the plot to the right, along the bottom only.
    zoom.BeginDrag(Run());
    zoom.DragTo(Run(), 0.5L, 0);
    EXPECT_TRUE(zoom.EndDrag(Run()));
    ExpectRange(Range(bottom), -14, 50);
    ExpectRange(Range(left), 18, 82);
    ASSERT_EQ(Step(0.5L, 0.5L, false), TWheelZoom::Zoomed);
    ExpectRange(Range(bottom), 0, 80);
    ExpectRange(Range(left), 10, 90);
    EXPECT_EQ(zoom.Stack().size(), 4u);
}

TEST_F(TGraphNavigationFixture, AStepThatCannotNarrowARangePushesNothing) {
    TIntegerAxis channels;
    channels.FieldId = fidChan;
    channels.AxisSetCurrent(0, 3);
    TGraphRun run = Run();
    run.Left = &channels;
    bottom.AxisSetCurrent(1e6L, 1e6L + 1e-7L);
    TViewTransform t;
    // The bottom range is at the precision of its values, the channels at whole numbers.
    EXPECT_EQ(zoom.ZoomAround(run, 0.5L, 0.5L, WheelZoomFactor, t), TWheelZoom::None);
    EXPECT_TRUE(zoom.Empty());
    // A wider integer range narrows to whole numbers.
    channels.AxisSetCurrent(0, 10);
    ASSERT_EQ(zoom.ZoomAround(run, 0.5L, 0.5L, WheelZoomFactor, t), TWheelZoom::Zoomed);
    ExpectRange(Range(channels), 1, 9);
    EXPECT_FALSE(t.Refill);
}

TEST_F(TGraphNavigationFixture, IntegerEndsThatRoundOntoTheWholeGraphUnzoomAll) {
    TIntegerAxis amplitude;
    amplitude.FieldId = fidAmpl;
    amplitude.AxisSetCurrent(32, 91);
    bottom.AxisSetCurrent(0.000888L, 41.821652L);
    TGraphRun run = Run();
    run.Left = &amplitude;
    TViewTransform t;
    for (int k = 0; k < 2; ++k)
        ASSERT_EQ(zoom.ZoomAround(run, 0.0987L, 0.4987L, WheelZoomFactor, t), TWheelZoom::Zoomed);
    ASSERT_EQ(zoom.ZoomAround(run, 0.0987L, 0.4987L, 1 / WheelZoomFactor, t), TWheelZoom::Zoomed);
    // 38 .. 85 widens to 32 .. 90,75, which the integer axis holds as the whole 32 .. 91.
    EXPECT_EQ(zoom.ZoomAround(run, 0.0987L, 0.4987L, 1 / WheelZoomFactor, t),
              TWheelZoom::UnzoomAll);
    EXPECT_EQ(zoom.Stack().size(), 3u);
    ExpectRange(Range(amplitude), 38, 85);
}

TEST_F(TGraphNavigationFixture, ALogarithmicAxisZoomsOnItsDecades) {
    bottom.Log = true;
    bottom.AxisSetCurrent(1, 10000);
    ASSERT_EQ(Step(0.5L, 0.5L, true), TWheelZoom::Zoomed);
    const auto [lo, hi] = Range(bottom);
    EXPECT_NEAR(std::log10(lo), 0.4, 1e-12);
    EXPECT_NEAR(std::log10(hi), 3.6, 1e-12);
}

TEST_F(TGraphNavigationFixture, ADragMovesTheValuesWithTheMouseAndIsOneEntry) {
    TFakeSeriesPoints drawn;
    drawn.AddSeriesPoint(0, 0, 1, 0.5L, 0.5L);
    zoom.BeginDrag(Run());
    EXPECT_TRUE(zoom.Dragging());
    EXPECT_EQ(zoom.Stack().size(), 1u);
    // A tenth of the plot to the right and a fifth down: the point under the mouse goes along.
    TViewTransform t = zoom.DragTo(Run(), 0.1L, -0.2L);
    drawn.TransformSeriesPoints(t.YOriginLeft, t.YScaleLeft, t.XOrigin, t.XScale);
    ExpectRange(Range(bottom), -10, 90);
    ExpectRange(Range(left), 20, 120);
    EXPECT_NEAR(static_cast<double>(drawn.Points[0].X), 0.6, 1e-12);
    EXPECT_NEAR(static_cast<double>(drawn.Points[0].Y), 0.3, 1e-12);
    // Later moves count from the start of the drag, not from the move before.
    t = zoom.DragTo(Run(), 0.2L, 0);
    drawn.TransformSeriesPoints(t.YOriginLeft, t.YScaleLeft, t.XOrigin, t.XScale);
    ExpectRange(Range(bottom), -20, 80);
    ExpectRange(Range(left), 0, 100);
    EXPECT_NEAR(static_cast<double>(drawn.Points[0].X), 0.7, 1e-12);
    EXPECT_NEAR(static_cast<double>(drawn.Points[0].Y), 0.5, 1e-12);
    EXPECT_TRUE(zoom.EndDrag(Run()));
    EXPECT_FALSE(zoom.Dragging());
    EXPECT_EQ(zoom.Stack().size(), 1u);
    TViewTransform back;
    ASSERT_TRUE(zoom.Unzoom(Run(), false, back));
    ExpectRange(Range(bottom), 0, 100);

    // A drag that ends where it started leaves no entry.
    zoom.BeginDrag(Run());
    zoom.DragTo(Run(), 0.4L, 0.4L);
    zoom.DragTo(Run(), 0, 0);
    EXPECT_FALSE(zoom.EndDrag(Run()));
    EXPECT_TRUE(zoom.Empty());
}

// ---- The point under the mouse -----------------------------------------------------------------

namespace {

struct TProbeSeries {
    TAEVPointList Points;
    std::vector<int32_t> Sorted;

    int Add(double x, double y, uint8_t flags = 0) {
        return Points.Add(x, y, static_cast<int32_t>(Points.Count()) * 10, 1, flags);
    }
    void Sort() {
        Sorted.resize(static_cast<size_t>(Points.Count()));
        for (size_t i = 0; i < Sorted.size(); ++i)
            Sorted[i] = static_cast<int32_t>(i);
        std::stable_sort(Sorted.begin(), Sorted.end(), [&](int32_t a, int32_t b) {
            return Points.X(a) < Points.X(b) ||
                   (!(Points.X(b) < Points.X(a)) && Points.Y(a) < Points.Y(b));
        });
    }
    TPointFound Find(double x, double y, double reach, size_t budget = size_t(1) << 20) const {
        TPointProbe p;
        p.X = x;
        p.Y = y;
        p.ReachX = reach;
        p.ReachY = reach;
        p.Budget = budget;
        return NearestPoint(Points, Sorted, p);
    }
};

} // namespace

TEST(TNearestPointTest, TheNearestDrawnPointWithinReach) {
    TProbeSeries s;
    s.Add(10, 10);
    const int near = s.Add(12, 11);
    s.Add(11, 14, pfDeleted);
    s.Add(11.5, 11, pfChannelHidden);
    s.Add(30, 30);
    const int twin = s.Add(50, 50);
    s.Add(50, 50);
    s.Sort();
    TPointFound f = s.Find(11.6, 11.2, 2);
    EXPECT_EQ(f.Index, near);
    EXPECT_LT(f.Distance, 1);
    // Out of reach, and the deleted and hidden points are not there to point at.
    EXPECT_EQ(s.Find(20, 20, 2).Index, -1);
    EXPECT_EQ(s.Find(11, 14, 0.5).Index, -1);
    // Two points on one place: the first in the list, the one drawn there.
    EXPECT_EQ(s.Find(50.1, 49.9, 1).Index, twin);
    // Outside the drawn area nothing is pointed at.
    TPointProbe p;
    p.X = 30;
    p.Y = 30;
    p.ReachX = p.ReachY = 1;
    p.Width = 29;
    p.Height = 100;
    EXPECT_EQ(NearestPoint(s.Points, s.Sorted, p).Index, -1);
    // An empty series or no reach finds nothing.
    TProbeSeries empty;
    EXPECT_EQ(empty.Find(0, 0, 1).Index, -1);
    EXPECT_EQ(s.Find(12, 11, 0).Index, -1);
}

TEST(TNearestPointTest, AgreesWithLookingAtEveryPoint) {
    std::mt19937 random(31);
    std::uniform_real_distribution<double> place(0, 100);
    std::uniform_int_distribution<int> coarse(0, 40);
    TProbeSeries s;
    for (int i = 0; i < 3000; ++i) {
        // Many points share their X (a channel, a whole-number field), some share both.
        const double x = i % 3 == 0 ? coarse(random) * 2.5 : place(random);
        const double y = i % 5 == 0 ? coarse(random) * 2.5 : place(random);
        s.Add(x, y, i % 17 == 0 ? pfDeleted : 0);
    }
    s.Sort();
    for (int k = 0; k < 2000; ++k) {
        const double x = place(random), y = place(random);
        const double reach = k % 2 ? 1.5 : 4;
        int want = -1;
        double best = 1;
        for (int i = 0; i < s.Points.Count(); ++i) {
            if (s.Points.Flags(i) & pfDeleted) continue;
            const double dx = (s.Points.X(i) - x) / reach, dy = (s.Points.Y(i) - y) / reach;
            const double d = dx * dx + dy * dy;
            if (d < best || (d == best && want >= 0 && i < want) || (d == best && want < 0)) {
                if (d <= 1) {
                    best = d;
                    want = i;
                }
            }
        }
        ASSERT_EQ(s.Find(x, y, reach).Index, want) << "at " << x << ", " << y;
    }
}

TEST(TNearestPointTest, LongRunsOfOneXCostTheirLogarithmAndTheBudgetHolds) {
    // A million points on one X (a channel axis, say): the search jumps to the Y under the
    // mouse instead of walking the run.
    TProbeSeries column;
    for (int i = 0; i < 1000000; ++i)
        column.Add(10, i * 0.001);
    column.Sort();
    TPointFound f = column.Find(10.2, 500.0004, 0.5);
    EXPECT_EQ(f.Index, 500000);
    EXPECT_LT(f.Visited, 100u);

    // A million distinct X inside the reach: the budget ends the walk with the nearest so far.
    TProbeSeries dense;
    for (int i = 0; i < 1000000; ++i)
        dense.Add(10 + i * 1e-6, 50);
    dense.Sort();
    f = dense.Find(10.5, 60, 20, 1000);
    EXPECT_GE(f.Index, 0);
    EXPECT_LE(f.Visited, 1001u);
}

// ---- What a point's readout says --------------------------------------------------------------

TEST(TPointReadoutTest, ValuesAreWrittenAsTheAxisLabelsToATenthOfAPixel) {
    TReadoutAxis time;
    time.Lo = 0;
    time.Hi = 100;
    time.Pixels = 500;
    // 0,02 per tenth of a pixel: hundredths.
    EXPECT_EQ(ReadoutValueText(time, 12.3456L), "12,35");
    EXPECT_NEAR(static_cast<double>(ReadoutValueAt(time, 0.25L)), 25, 1e-12);
    TReadoutAxis amplitude = time;
    amplitude.Integer = true;
    EXPECT_EQ(ReadoutValueText(amplitude, 86.99999L), "87");
    TReadoutAxis energy;
    energy.Lo = 1;
    energy.Hi = 10000;
    energy.Logarithmic = true;
    energy.Pixels = 500;
    EXPECT_NEAR(static_cast<double>(ReadoutValueAt(energy, 0.5L)), 100, 1e-9);
    EXPECT_EQ(ReadoutValueText(energy, 345.678L), "345,7");
    TReadoutAxis counts;
    counts.Lo = 0;
    counts.Hi = 100000;
    counts.Pixels = 500;
    counts.LabelFormat = lfExponent;
    EXPECT_EQ(ReadoutValueText(counts, 25000), "2,5E4");
    counts.LabelFormat = lfPowerOfTen;
    EXPECT_EQ(ReadoutValueText(counts, 25000), "2,5*10^4");

    TPointReadout r;
    r.XCaption = "Time ( s )";
    r.XText = "12,35";
    r.YText = "87";
    r.Channel = 3;
    r.Record = 1234;
    EXPECT_EQ(ReadoutText(r), "Time ( s ): 12,35\nY: 87\nChannel: 3\nRecord: 1234");
}
