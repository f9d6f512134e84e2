// Placing the test program on the test graph without the graph: fractions of linear and
// logarithmic ranges, section edges back in whole seconds, and a drawn line turned into
// points in time order with the vertices that do not convert dropped.

#include "testprog/TTestGraphMapping.h"
#include "persist/TNumberFormat.h"
#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"
#include "viewmodel/dialogs/testprog/TTestSettingsRules.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

// Bottom axis in milliseconds.
const TTimeConvert SecondsToMs = [](long double s, long double& ms) {
    ms = s * 1000;
    return true;
};
const TTimeConvert MsToSeconds = [](long double ms, long double& s) {
    s = ms / 1000;
    return true;
};
const TTimeConvert Never = [](long double, long double&) { return false; };

TEST(TestGraphMapping, FractionsOfLinearAndLogarithmicRanges) {
    const TAxisSpan lin{0, 200, false};
    EXPECT_EQ(ValueToFraction(50, lin), 0.25L);
    EXPECT_EQ(FractionToValue(0.25L, lin), 50);
    EXPECT_FALSE(ValueToFraction(5, TAxisSpan{3, 3, false}));
    const TAxisSpan log{1, 1000, true};
    EXPECT_NEAR(static_cast<double>(*ValueToFraction(10, log)), 1.0 / 3, 1e-15);
    EXPECT_NEAR(static_cast<double>(FractionToValue(2.0L / 3, log)), 100, 1e-12);
    EXPECT_FALSE(ValueToFraction(0, log));
    // A section at 50 s on an axis of 0 .. 200 000 ms; a time that does not convert is not
    // placed.
    EXPECT_EQ(SecondsToFraction(50, SecondsToMs, TAxisSpan{0, 200000, false}), 0.25L);
    EXPECT_FALSE(SecondsToFraction(50, Never, lin));
}

TEST(TestGraphMapping, MovedSectionEdgesAreWholeSecondsAndStoredOnlyWhenChanged) {
    TTestSection s("Hold", 10, 20);
    const TAxisSpan ms{0, 100000, false};
    // Edges at 10,4 s and 30,5 s, given right to left: 10 and 30 (ties to even).
    EXPECT_TRUE(StoreSectionEdges(s, 0.305L, 0.104L, MsToSeconds, ms));
    EXPECT_EQ(s.MinVal(), 10);
    EXPECT_EQ(s.MaxVal(), 30);
    EXPECT_FALSE(StoreSectionEdges(s, 0.1L, 0.3L, MsToSeconds, ms));
    // Edges that round together or do not convert leave the section.
    EXPECT_FALSE(StoreSectionEdges(s, 0.5L, 0.502L, MsToSeconds, ms));
    EXPECT_FALSE(StoreSectionEdges(s, 0.5L, 0.7L, Never, ms));
    EXPECT_EQ(s.MinVal(), 10);
    EXPECT_EQ(s.MaxVal(), 30);
}

TEST(TestGraphMapping, ADrawnLineGivesPointsInTimeOrder) {
    TTestGrLine line;
    line.Points().AddPoint({1, 1});
    const TAxisSpan bottom{0, 100, false};
    const TAxisSpan right{0, 50, false};
    int calls = 0;
    // The second vertex does not convert.
    const TTimeConvert some = [&](long double x, long double& s) {
        s = x;
        return ++calls != 2;
    };
    RebuildLinePoints(line, {{0.6L, 0.5L}, {0.3L, 0.1L}, {0.205L, 0.2L}}, some, bottom, right);
    ASSERT_EQ(line.Points().PointCount(), 2);
    EXPECT_EQ(line.Points().GetPoint(0), (TGVCoord{20, 10}));
    EXPECT_EQ(line.Points().GetPoint(1), (TGVCoord{60, 25}));
}

TEST(TestGraphMapping, ALoadPlacedWithThePointerKeepsTheAxisResolution) {
    // 0 .. 100 MPa: tenths; 0 .. 5: thousandths; a wide range: whole units.
    EXPECT_EQ(LoadAtFraction(0.0189523809523809L, {0, 100, false}), 1.9L);
    EXPECT_EQ(FloatToStr(LoadAtFraction(0.0189523809523809L, {0, 100, false})), "1,9");
    EXPECT_EQ(FloatToStr(LoadAtFraction(0.379047619L, {0, 5, false})), "1,895");
    EXPECT_EQ(FloatToStr(LoadAtFraction(0.123456L, {0, 20000, false})), "2469");
    EXPECT_EQ(LoadAtFraction(0.5L, {10, 10, false}), 10);
}

TEST(TestSettingsRules, EditsFollowTheAutoBoxesAndAddNeedsBothFields) {
    const TAxisGroupEnabling none = AxisGroupEnabling(true, false, false, false);
    EXPECT_TRUE(none.SelectField);
    EXPECT_FALSE(none.Controls || none.MinEdit || none.MaxEdit);
    const TAxisGroupEnabling autoMin = AxisGroupEnabling(true, true, true, false);
    EXPECT_TRUE(autoMin.Controls);
    EXPECT_FALSE(autoMin.MinEdit);
    EXPECT_TRUE(autoMin.MaxEdit);
    const TAxisGroupEnabling off = AxisGroupEnabling(false, true, false, false);
    EXPECT_FALSE(off.SelectField || off.Controls || off.MinEdit);
    EXPECT_TRUE(CanAddSeries(true, true));
    EXPECT_FALSE(CanAddSeries(true, false));
    EXPECT_FALSE(CanAddSeries(false, true));
}

} // namespace
} // namespace vorelt
