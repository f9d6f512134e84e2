// Graph axes as a reader sees them, without a display: automatic ranges leave room around the
// data and fixed ones stay as typed, counting histograms stand on zero, ticks fall on round
// steps whose labels stand apart at every plot size, time axes count in round times, and the
// grid follows the major steps only.

#include "GraphTestSupport.h"

#include "model/TAEExtendedField.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEIntegerField.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "processing/graph/TSeriesGr.h"
#include "viewmodel/axes/TAixsLabel.h"
#include "viewmodel/axes/TAixsSteps.h"
#include "viewmodel/axes/TGrAixs.h"
#include "viewmodel/axes/TGrAixsScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace vorelt;
using namespace vorelt::test;

namespace {

constexpr char fidAmplitude[] = "0000000000000004";
constexpr char fidChannel[] = "0000000000000002";
constexpr char fidSeconds[] = "0000000000000061";
constexpr char fidMicroseconds[] = "0000000000000001";
constexpr char fidCounts[] = "0000000000000009";

class TStrip : public IAixsStrip {
public:
    int32_t W = 40, H = 500;
    int32_t StripWidth() const override { return W; }
    int32_t StripHeight() const override { return H; }
    void SetThickness(int32_t) override {}
    void RepaintStrip() override {}
};

class TGraph : public IAixsGraph {
public:
    std::map<std::string, std::unique_ptr<TAEField>> Fields;
    TGraph() {
        Add(fidAmplitude, std::make_unique<TAEExtendedField>(), ukDecibel, 0);
        Add(fidChannel, std::make_unique<TAEByteField>(), ukNone, 0);
        Add(fidSeconds, std::make_unique<TAEExtendedField>(), ukSecond, ffTime);
        Add(fidMicroseconds, std::make_unique<TAEExtendedField>(), ukMicrosecond, ffTime);
        Add(fidCounts, std::make_unique<TAEIntegerField>(), ukCount, 0);
    }
    void Add(const char* id, std::unique_ptr<TAEField> f, uint8_t unit, uint16_t flags) {
        f->SetID(id);
        f->SetFieldName(id);
        f->SetUnitKind(unit);
        f->SetFlags(static_cast<uint16_t>(f->Flags() | flags));
        Fields[id] = std::move(f);
    }
    bool AixsGraphActive() const override { return true; }
    void SetModified(bool) override {}
    const TAEField* FindAixsField(const std::string& id) const override {
        auto it = Fields.find(id);
        return it == Fields.end() ? nullptr : it->second.get();
    }
};

// Plot sizes of a graph window of 640x480, 1200x800 and 1920x1080 pixels, less the axis
// strips, the title bar and the window frame.
struct TPlotSize {
    int32_t Width, Height;
};
constexpr TPlotSize PlotSizes[] = {{540, 390}, {1100, 710}, {1820, 990}};

struct TAxis {
    TGraph graph;
    TStrip strip;
    TFixedTextMetrics metrics;
    TGrAixs axis{&graph, akLeft};

    TAxis(const char* id, uint8_t kind, int32_t length) {
        axis.SetKind(kind);
        axis.SetStrip(&strip);
        axis.SetTextMetrics(&metrics);
        axis.SetFieldId(id);
        SetLength(length);
    }
    void SetLength(int32_t length) {
        if (axis.Kind() == akBottom)
            strip.W = length;
        else
            strip.H = length;
    }
    // The range an automatic axis takes for the data.
    void Collect(const std::vector<long double>& data, bool autoMin = true, bool autoMax = true) {
        axis.SetAutoMin(autoMin);
        axis.SetAutoMax(autoMax);
        axis.ResetAuto();
        for (long double v : data)
            axis.AddValue(v);
        axis.FinishRange();
        axis.FinishCurrentRange();
        axis.BuildMarks();
    }
    long double Lo() const { return axis.CurMin()->GetAsFloat(); }
    long double Hi() const { return axis.CurMax()->GetAsFloat(); }
    int32_t Pixel(long double v) const {
        return axis.Logarithmic() ? axis.ValueToPixel(std::log10(v) - std::log10(Lo()))
                                  : axis.ValueToPixel(v - Lo());
    }
    // The frame of the plot lies on the first and the last pixel along the axis.
    int32_t FirstPixel() const { return -2; }
    int32_t LastPixel() const { return axis.PlotLength() - 3; }
};

// A label's extent along the axis, from the marks and the metrics, as the strip draws it.
struct TLabelBox {
    int32_t Low, High;
    std::string Text;
};

std::vector<TLabelBox> LabelBoxes(const TAixsBase& axis) {
    std::vector<TLabelBox> boxes;
    for (const RecMarkAixs& m : axis.Marks()) {
        if (m.Kind == mkTick || m.Text.empty()) continue;
        const TTextExtent e =
            MeasureAixsLabel(FormatAixsLabel(m.Text, axis.TypeMarkValue()), axis.Metrics());
        const int32_t size = axis.Vertical() ? e.Height : e.Width;
        const int32_t low = axis.Vertical() ? m.LabelPos - size : m.LabelPos;
        boxes.push_back({low, low + size, m.Text});
    }
    std::sort(boxes.begin(), boxes.end(),
              [](const TLabelBox& a, const TLabelBox& b) { return a.Low < b.Low; });
    return boxes;
}

// Whether `step` is 1, 2, 2.5 or 5 times a power of ten.
bool RoundDecimal(long double step) {
    if (!(step > 0)) return false;
    const long double e = std::floor(std::log10(step));
    const long double m = step / std::pow(10.0L, e);
    for (long double r : {1.0L, 2.0L, 2.5L, 5.0L, 10.0L})
        if (std::fabs(m - r) < 1E-9L) return true;
    return false;
}

// The values of the labelled majors, in order.
std::vector<long double> MajorValues(const TAixsBase& axis) {
    std::vector<long double> values;
    long double v = 0;
    for (const RecMarkAixs& m : axis.Marks())
        if (m.Grid && !m.Text.empty() && TryStrToFloat(m.Text, v)) values.push_back(v);
    std::sort(values.begin(), values.end());
    return values;
}

} // namespace

// ---- Ranges ------------------------------------------------------------------------------------

TEST(AutomaticRanges, LeaveAMarginSoThatNoDatumLiesOnTheFrame) {
    // The data of real graphs: amplitudes of pencil-lead breaks, times of a 70-second test,
    // negative values, a narrow range far from zero, tiny and huge values.
    const std::vector<std::vector<long double>> sets = {
        {98, 99.5, 100.2, 101}, {40, 55, 100}, {0, 35, 70},     {-12, -3, 4},
        {1000.5, 1000.75},      {2E-7, 9E-7},  {3E9, 8E9, 1E10}};
    for (uint8_t kind : {akLeft, akBottom})
        for (const TPlotSize& size : PlotSizes)
            for (const auto& data : sets) {
                const int32_t length = kind == akBottom ? size.Width : size.Height;
                TAxis a(fidAmplitude, kind, length);
                a.Collect(data);
                const long double lo = *std::min_element(data.begin(), data.end());
                const long double hi = *std::max_element(data.begin(), data.end());
                SCOPED_TRACE(std::to_string(static_cast<double>(lo)) + " .. " +
                             std::to_string(static_cast<double>(hi)) + " on " +
                             std::to_string(length) + " pixels");
                // 3 to 5 % of the span on each side.
                const long double span = hi - lo;
                EXPECT_GE(lo - a.Lo(), 0.029L * span);
                EXPECT_LE(lo - a.Lo(), 0.051L * span);
                EXPECT_GE(a.Hi() - hi, 0.029L * span);
                EXPECT_LE(a.Hi() - hi, 0.051L * span);
                // A marker of 5 pixels around the extreme points keeps off the frame.
                EXPECT_GT(a.Pixel(lo) - 2, a.FirstPixel());
                EXPECT_LT(a.Pixel(hi) + 2, a.LastPixel());
            }
}

TEST(AutomaticRanges, FixedEndsStayAsTypedAndOnlyAutomaticEndsMove) {
    TAxis a(fidAmplitude, akLeft, 400);
    a.axis.Min()->SetAsFloat(35);
    a.axis.Max()->SetAsFloat(95);
    a.Collect({40, 60, 80}, false, false);
    EXPECT_EQ(a.Lo(), 35);
    EXPECT_EQ(a.Hi(), 95);
    // Data beyond a fixed range do not move it either.
    a.Collect({20, 120}, false, false);
    EXPECT_EQ(a.Lo(), 35);
    EXPECT_EQ(a.Hi(), 95);
    // A fixed minimum of 0 with an automatic maximum: only the top gets the margin.
    a.axis.Min()->SetAsFloat(0);
    a.Collect({10, 100}, false, true);
    EXPECT_EQ(a.Lo(), 0);
    EXPECT_GT(a.Hi(), 100);
    EXPECT_LE(a.Hi(), 105);
}

TEST(AutomaticRanges, FinishingAgainOrAfterAZoomGivesTheSameRange) {
    TAxis a(fidAmplitude, akLeft, 400);
    a.Collect({40, 100});
    const long double lo = a.Lo(), hi = a.Hi();
    a.axis.FinishCurrentRange();
    a.axis.FinishCurrentRange();
    EXPECT_EQ(a.Lo(), lo);
    EXPECT_EQ(a.Hi(), hi);
    // The current maximum emptied and collected again, as a rescale of line graphs does.
    a.axis.EmptyCurrentMax();
    a.axis.AddCurrentValue(100);
    a.axis.FinishCurrentRange();
    EXPECT_EQ(a.Lo(), lo);
    EXPECT_EQ(a.Hi(), hi);
    // A current value inside the margin is still a datum beyond the data reached.
    a.axis.AddCurrentValue(101);
    a.axis.FinishCurrentRange();
    EXPECT_GT(a.Hi(), 101);
}

TEST(AutomaticRanges, DegenerateAndUnusableDataStillGiveAProperRange) {
    TAxis channel(fidChannel, akBottom, 500);
    channel.Collect({7, 7, 7});
    EXPECT_EQ(channel.Lo(), 6);
    EXPECT_EQ(channel.Hi(), 8);
    // Whole numbers stay whole, and the margin stays inside the type.
    channel.Collect({1, 4});
    EXPECT_EQ(channel.Lo(), 0);
    EXPECT_EQ(channel.Hi(), 5);
    channel.Collect({0, 255});
    EXPECT_GE(channel.Lo(), 0);
    EXPECT_LE(channel.Hi(), 255);

    TAxis a(fidAmplitude, akLeft, 400);
    a.Collect({2, 2});
    EXPECT_NEAR(static_cast<double>(a.Lo()), 1.8, 1E-12);
    EXPECT_NEAR(static_cast<double>(a.Hi()), 2.2, 1E-12);
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    for (const std::vector<long double>& data : std::vector<std::vector<long double>>{
             {nan, 5, nan, 9}, {inf}, {-inf, inf}, {1, inf}, {nan}}) {
        a.Collect(data);
        if (a.axis.CurMin()->IsNull()) continue; // nothing to plot
        EXPECT_TRUE(std::isfinite(a.Lo()));
        EXPECT_TRUE(std::isfinite(a.Hi()));
        EXPECT_LT(a.Lo(), a.Hi());
    }
}

TEST(AutomaticRanges, LogarithmicAxesTakeTheirMarginInDecades) {
    TAxis a(fidAmplitude, akLeft, 400);
    a.axis.SetTypeScale(tsLogarithmic);
    a.Collect({3, 4000});
    // 3 % of 3.1 decades beyond each end, on 1, 2 or 5 times a power of ten.
    EXPECT_EQ(a.Lo(), 2);
    EXPECT_EQ(a.Hi(), 5000);
    EXPECT_GT(a.Pixel(3) - 2, a.FirstPixel());
    EXPECT_LT(a.Pixel(4000) + 2, a.LastPixel());
    // Counts (whole numbers) that reach 1: the range goes below 1, so that hits of one count
    // stay off the frame.
    TAxis counts(fidCounts, akLeft, 400);
    counts.axis.SetTypeScale(tsLogarithmic);
    counts.Collect({1, 2, 700});
    EXPECT_LT(counts.Lo(), 1);
    EXPECT_GT(counts.Pixel(1) - 2, counts.FirstPixel());
    EXPECT_LT(counts.Pixel(700) + 2, counts.LastPixel());
    // Values without a logarithm are left out.
    a.Collect({0, -5, 20, 300});
    EXPECT_GT(a.Lo(), 0);
    EXPECT_LT(a.Lo(), 20);
    EXPECT_GT(a.Hi(), 300);
}

TEST(AutomaticRanges, CountingHistogramsStandTheirBarsOnZero) {
    TGraph graph;
    TGrAixs left(&graph, akLeft), bottom(&graph, akBottom);
    left.SetFieldId(fidAmplitude);
    bottom.SetFieldId(fidChannel);
    left.SetAutoMin(true);
    left.SetAutoMax(true);
    bottom.Min()->SetAsFloat(1);
    bottom.Max()->SetAsFloat(5);
    TGrAixsScale leftScale(left), bottomScale(bottom);
    for (uint8_t sum : {bsCnt, bsSum, bsAve}) {
        SCOPED_TRACE(static_cast<int>(sum));
        TSeriesGr series;
        TFakeSeriesPoints object;
        series.SetObject(&object, "Fake");
        series.SetTypeSeries(stHistigram);
        series.SetBinSumType(sum);
        series.SetBinNum(4);
        std::vector<TGraphDataPoint> points;
        // Counts of 5, 6, 7 and 8 hits on channels 1 .. 4, amplitudes 60 .. 63 dB.
        for (int c = 1; c <= 4; ++c)
            for (int k = 0; k < 4 + c; ++k) {
                TGraphDataPoint p;
                p.Position = static_cast<int32_t>(points.size());
                p.X = c;
                p.LeftY = 59 + c;
                p.LeftNull = false;
                p.Channel = static_cast<uint8_t>(c);
                points.push_back(p);
            }
        TGraphRun run;
        run.Left = &leftScale;
        run.Bottom = &bottomScale;
        run.Points = &points;
        TAERecord record;
        leftScale.AxisResetAuto();
        bottomScale.AxisResetAuto();
        for (int32_t i = 0; i < static_cast<int32_t>(points.size()); ++i)
            series.Accept(run, i, record);
        series.ComputeBinCount(run);
        for (IGraphAxis* a : {&leftScale, &bottomScale})
            a->AxisFinishRange();
        for (IGraphAxis* a : {&leftScale, &bottomScale})
            a->AxisFinishCurrentRange();
        const std::vector<int32_t> channels{1, 2, 3, 4};
        series.PrepareLists(channels, 2);
        series.Aggregate(run, 2);
        leftScale.AxisEmptyCurrentMax();
        series.AddCurrentRange(run, channels);
        leftScale.AxisFinishCurrentRange();
        series.BuildPoints(run);
        const long double lo = left.CurMin()->GetAsFloat(), hi = left.CurMax()->GetAsFloat();
        ASSERT_FALSE(object.Points.empty());
        if (sum == bsAve) {
            // Averages of 60 .. 63 dB: the range stays near them, and the bars stand on its
            // bottom, which the margin keeps below the lowest bar.
            EXPECT_GT(lo, 55);
            for (const TFakePoint& p : object.Points)
                EXPECT_GT(p.Y * (hi - lo) + lo, lo - 1E-9L);
            continue;
        }
        // The range holds zero with a margin below it, and every bar's foot is at zero.
        EXPECT_LT(lo, 0);
        EXPECT_GT(hi, sum == bsCnt ? 8 : 8 * 63);
        int feet = 0;
        for (const TFakePoint& p : object.Points)
            if (std::fabs(p.Y * (hi - lo) + lo) < 1E-9L) ++feet;
        EXPECT_EQ(feet, 4);
        // A bar of the smallest count is as high as its count, not cut to nothing.
        long double smallest = hi;
        for (const TFakePoint& p : object.Points) {
            const long double v = p.Y * (hi - lo) + lo;
            if (v > 1E-9L) smallest = std::min(smallest, v);
        }
        EXPECT_NEAR(static_cast<double>(smallest), sum == bsCnt ? 5.0 : 5.0 * 60, 1E-9);
    }
}

// ---- Ticks and grid ----------------------------------------------------------------------------

TEST(AxisTicks, RoundStepsWhoseLabelsStandApartAtEveryPlotSize) {
    const std::vector<std::pair<long double, long double>> ranges = {
        {0, 100},         {38, 102},   {-3, 73}, {0, 4600},    {0.001, 0.0107},
        {1000.4, 1000.8}, {-250, 250}, {0, 1E7}, {2E-7, 9E-7}, {95, 104}};
    for (uint8_t kind : {akLeft, akBottom})
        for (const TPlotSize& size : PlotSizes)
            for (const auto& [lo, hi] : ranges) {
                const int32_t length = kind == akBottom ? size.Width : size.Height;
                TAxis a(fidAmplitude, kind, length);
                a.axis.Min()->SetAsFloat(lo);
                a.axis.Max()->SetAsFloat(hi);
                a.Collect({}, false, false);
                SCOPED_TRACE(std::to_string(static_cast<double>(lo)) + " .. " +
                             std::to_string(static_cast<double>(hi)) +
                             (kind == akBottom ? " across " : " up ") + std::to_string(length));
                const std::vector<TLabelBox> boxes = LabelBoxes(a.axis);
                // Enough labels to read the scale, not so many that they crowd.
                EXPECT_GE(boxes.size(), 3u);
                EXPECT_LE(boxes.size(), 11u);
                // Each label inside the strip, apart from the next by a gap.
                const int32_t gap = a.axis.LabelGap(a.axis.Vertical()) / 2;
                for (size_t i = 0; i < boxes.size(); ++i) {
                    EXPECT_GE(boxes[i].Low, a.FirstPixel()) << boxes[i].Text;
                    EXPECT_LE(boxes[i].High, a.LastPixel()) << boxes[i].Text;
                    if (i > 0) {
                        EXPECT_GE(boxes[i].Low - boxes[i - 1].High, gap)
                            << boxes[i - 1].Text << " and " << boxes[i].Text;
                    }
                }
                // Majors a round step apart; a grid line at each, at nothing else.
                const std::vector<long double> majors = MajorValues(a.axis);
                ASSERT_GE(majors.size(), 2u);
                EXPECT_TRUE(RoundDecimal(majors[1] - majors[0]))
                    << static_cast<double>(majors[1] - majors[0]);
                for (const RecMarkAixs& m : a.axis.Marks()) {
                    if (m.Grid) {
                        EXPECT_FALSE(m.Text.empty());
                    }
                }
                // Minor ticks between the majors, without labels.
                size_t minors = 0;
                for (const RecMarkAixs& m : a.axis.Marks())
                    minors += m.Kind == mkTick && m.Text.empty() ? 1 : 0;
                EXPECT_GT(minors, 0u);
            }
}

TEST(AxisTicks, LogarithmicAxesLabelEnoughValuesThatStandApart) {
    // Amplitudes over less than a decade, counts over four decades, at every plot size.
    const std::vector<std::pair<long double, long double>> ranges = {
        {25, 105}, {18, 30000}, {2, 5000}, {0.5L, 0.9L}};
    for (uint8_t kind : {akLeft, akBottom})
        for (const TPlotSize& size : PlotSizes)
            for (const auto& [lo, hi] : ranges) {
                const int32_t length = (kind == akBottom ? size.Width : size.Height) * 6 / 10;
                TAxis a(fidAmplitude, kind, length);
                a.axis.SetTypeScale(tsLogarithmic);
                a.axis.Min()->SetAsFloat(lo);
                a.axis.Max()->SetAsFloat(hi);
                a.Collect({}, false, false);
                SCOPED_TRACE(std::to_string(static_cast<double>(lo)) + " .. " +
                             std::to_string(static_cast<double>(hi)) +
                             (kind == akBottom ? " across " : " up ") + std::to_string(length));
                const std::vector<TLabelBox> boxes = LabelBoxes(a.axis);
                EXPECT_GE(boxes.size(), 3u);
                for (size_t i = 1; i < boxes.size(); ++i)
                    EXPECT_GT(boxes[i].Low, boxes[i - 1].High)
                        << boxes[i - 1].Text << " and " << boxes[i].Text;
                for (const TLabelBox& b : boxes) {
                    EXPECT_GE(b.Low, a.FirstPixel()) << b.Text;
                    EXPECT_LE(b.High, a.LastPixel()) << b.Text;
                }
            }
}

TEST(AxisTicks, ATimeAxisOverSeventySecondsCountsInRoundTimes) {
    // A pencil-lead-break test of 70 seconds: not a label and a grid line every second.
    for (const TPlotSize& size : PlotSizes) {
        TAxis a(fidSeconds, akBottom, size.Width);
        a.Collect({0.4L, 12, 35, 69.6L});
        const std::vector<long double> majors = MajorValues(a.axis);
        ASSERT_GE(majors.size(), 2u);
        const long double step = majors[1] - majors[0];
        SCOPED_TRACE(std::to_string(size.Width) + " pixels, step " +
                     std::to_string(static_cast<double>(step)));
        EXPECT_TRUE(step == 5 || step == 10 || step == 15 || step == 20 || step == 30);
        size_t grid = 0;
        for (const RecMarkAixs& m : a.axis.Marks())
            grid += m.Grid ? 1 : 0;
        EXPECT_GE(grid, 3u);
        EXPECT_LE(grid, 11u);
    }
    // Over two hours the steps are whole minutes and hours, in the axis' own unit.
    TAxis hours(fidSeconds, akBottom, 1100);
    hours.Collect({0, 7200});
    const std::vector<long double> majors = MajorValues(hours.axis);
    ASSERT_GE(majors.size(), 2u);
    const long double step = majors[1] - majors[0];
    EXPECT_TRUE(step == 900 || step == 1200 || step == 1800) << static_cast<double>(step);
    TAxis micro(fidMicroseconds, akBottom, 1100);
    micro.Collect({0, 70E6L});
    const std::vector<long double> us = MajorValues(micro.axis);
    ASSERT_GE(us.size(), 2u);
    EXPECT_EQ(std::fmod(static_cast<double>(us[1] - us[0]), 5E6), 0);
}

TEST(AxisTicks, RoundStepsAndTheirMinorParts) {
    const TAixsCounting decimal{false, 0};
    EXPECT_EQ(RoundStepAtLeast(7, decimal).Step, 10);
    EXPECT_EQ(RoundStepAtLeast(2.2L, decimal).Step, 2.5L);
    EXPECT_EQ(RoundStepAtLeast(0.031L, decimal).Step, 0.05L);
    EXPECT_EQ(RoundStepAtLeast(10, decimal).Step, 10);
    EXPECT_EQ(RoundStepAtLeast(2, decimal).Divisions, 4);
    EXPECT_EQ(RoundStepAtLeast(5, decimal).Divisions, 5);
    EXPECT_EQ(NextRoundStep({2, 4}, decimal).Step, 2.5L);
    // Whole numbers: no 2,5, no fractions, minor ticks on whole numbers only.
    const TAixsCounting whole{true, 0};
    EXPECT_EQ(RoundStepAtLeast(2.2L, whole).Step, 5);
    EXPECT_EQ(RoundStepAtLeast(0.3L, whole).Step, 1);
    EXPECT_EQ(RoundStepAtLeast(0.3L, whole).Divisions, 1);
    EXPECT_EQ(RoundStepAtLeast(2, whole).Divisions, 2);
    EXPECT_EQ(RoundStepAtLeast(22, whole).Step, 25);
    // Seconds: past a second, whole seconds, minutes and hours.
    const TAixsCounting seconds{false, 1};
    EXPECT_EQ(RoundStepAtLeast(7, seconds).Step, 10);
    EXPECT_EQ(RoundStepAtLeast(40, seconds).Step, 60);
    EXPECT_EQ(RoundStepAtLeast(40, seconds).Divisions, 6);
    EXPECT_EQ(RoundStepAtLeast(2000, seconds).Step, 3600);
    EXPECT_EQ(RoundStepAtLeast(0.3L, seconds).Step, 0.5L);
    const TAixsCounting micro{false, 1E-6L};
    EXPECT_EQ(RoundStepAtLeast(40E6L, micro).Step, 60E6L);
    // Nothing usable gives nothing.
    EXPECT_EQ(RoundStepAtLeast(0, decimal).Step, 0);
    EXPECT_EQ(RoundStepAtLeast(std::numeric_limits<long double>::quiet_NaN(), decimal).Step, 0);
    EXPECT_EQ(RoundStepAtLeast(std::numeric_limits<long double>::infinity(), decimal).Step, 0);
}
