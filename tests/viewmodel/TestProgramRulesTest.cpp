// The rules of the test program windows that need no graph: section and point checks, the
// load line's points in time order, its load bounds, the test graph's defaults and the marks
// of the section selection window.

#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"
#include "viewmodel/dialogs/testprog/TTestProgramRules.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

std::vector<long double> Times(const TTestGrLine& line) {
    std::vector<long double> t;
    for (const TGVCoord& c : line.Points().Points())
        t.push_back(c.X);
    return t;
}

TEST(SectionDialog, RefusesEmptyTakenNamesAndEmptyRanges) {
    TTestSectionList list;
    list.Add(std::make_unique<TTestSection>("Hold 1", 10, 20));
    list.Add(std::make_unique<TTestSection>("Hold 2", 30, 40));
    EXPECT_EQ(CheckSection(list, -1, "  ", "1", "2"), "Empty Name");
    EXPECT_EQ(CheckSection(list, -1, "Hold 1", "1", "2"), "Name Exists");
    EXPECT_EQ(CheckSection(list, -1, " Hold 2 ", "1", "2"), "Name Exists");
    EXPECT_EQ(CheckSection(list, -1, "Hold 3", "50", "50"), "Invalid Min( Max ) Value");
    EXPECT_EQ(CheckSection(list, -1, "Hold 3", "60", "50"), "Invalid Min( Max ) Value");
    EXPECT_EQ(CheckSection(list, -1, "Hold 3", "50", "60"), "");
    // Editing a section keeps its own name.
    EXPECT_EQ(CheckSection(list, 0, "Hold 1", "10", "25"), "");
    EXPECT_EQ(CheckSection(list, 0, "Hold 2", "10", "25"), "Name Exists");
}

TEST(SectionDialog, BoundsThatAreNoWholeSecondsAreRefusedAsTyped) {
    TTestSectionList list;
    EXPECT_EQ(CheckSection(list, -1, "Hold", "", "60"), "");
    EXPECT_EQ(CheckSection(list, -1, "Hold", "10,5", "60"), "'10,5' is not a valid integer value");
    EXPECT_EQ(CheckSection(list, -1, "Hold", "10", "abc"), "'abc' is not a valid integer value");
    EXPECT_EQ(CheckSection(list, -1, "Hold", "-", "60"), "'-' is not a valid integer value");
}

TEST(LinePoints, APointAtFiftyGoesBetweenZeroAndHundred) {
    TTestGrLine line;
    line.Points().AddPoint({0, 0});
    line.Points().AddPoint({100, 10});
    EXPECT_EQ(InsertLinePoint(line, {50, 5}), 1);
    EXPECT_EQ(Times(line), (std::vector<long double>{0, 50, 100}));
    // Times are whole seconds, ties to even; a time equal to a point's goes before it.
    EXPECT_EQ(InsertLinePoint(line, {100.5L, 7}), 2);
    EXPECT_EQ(Times(line), (std::vector<long double>{0, 50, 100, 100}));
    EXPECT_EQ(line.Points().GetPoint(2).Y, 7);
    EXPECT_EQ(InsertLinePoint(line, {-3, 1}), 0);
}

TEST(LinePoints, AnEditedPointMovesToItsPlace) {
    TTestGrLine line;
    for (long double t : {0, 50, 100, 150})
        line.Points().AddPoint({t, t / 10});
    EXPECT_EQ(EditLinePoint(line, 0, {120, 1}), 2);
    EXPECT_EQ(Times(line), (std::vector<long double>{50, 100, 120, 150}));
    EXPECT_EQ(EditLinePoint(line, 3, {10, 1}), 0);
    EXPECT_EQ(Times(line), (std::vector<long double>{10, 50, 100, 120}));
    EXPECT_EQ(EditLinePoint(line, 1, {500, 1}), 3);
    EXPECT_EQ(Times(line), (std::vector<long double>{10, 100, 120, 500}));
}

TEST(LinePoints, DeletingOnePointOfATwoPointLineRemovesTheLine) {
    TTestGrLine line;
    line.Points().AddPoint({0, 0});
    line.Points().AddPoint({100, 10});
    line.Points().AddPoint({200, 10});
    EXPECT_FALSE(DeleteLinePoint(line, 2));
    EXPECT_EQ(line.Points().PointCount(), 2);
    EXPECT_TRUE(DeleteLinePoint(line, 0));
    EXPECT_EQ(line.Points().PointCount(), 0);
    EXPECT_FALSE(DeleteLinePoint(line, 0));
}

TEST(PointDialog, TimeWithinTheAxisAndLoadWithinTheBounds) {
    TGVCoord p;
    const TSecondsRange axis{0, 600};
    EXPECT_EQ(CheckPoint("700", "5", axis, 0, 100, p), "Invalid Value 700[S]");
    EXPECT_EQ(CheckPoint("60", "150", axis, 0, 100, p), "Invalid Value 150[MPa]");
    EXPECT_EQ(CheckPoint("60", "5", std::nullopt, 0, 100, p), "Invalid Value [S]");
    EXPECT_EQ(CheckPoint("60", "2,5", axis, 0, 100, p), "");
    EXPECT_EQ(p, (TGVCoord{60, 2.5L}));
    EXPECT_EQ(CheckPoint("600", "100", axis, 0, 100, p), "");
}

TEST(LineParameters, LoadBoundsMustEncloseThePoints) {
    TTestGrLine line;
    long double min = 0, max = 100;
    line.OnGetMin = [&] { return min; };
    line.OnGetMax = [&] { return max; };
    line.Points().AddPoint({0, 5});
    line.Points().AddPoint({100, 40});
    EXPECT_EQ(CheckLoadMin(line, 100), "Invalid Min Value");
    EXPECT_EQ(CheckLoadMin(line, 6), "Invalid Min Value");
    EXPECT_EQ(CheckLoadMin(line, 5), "");
    EXPECT_EQ(CheckLoadMax(line, 0), "Invalid Max Value");
    EXPECT_EQ(CheckLoadMax(line, 39), "Invalid Max Value");
    EXPECT_EQ(CheckLoadMax(line, 40), "");
    EXPECT_EQ(LineWidthOf("abc"), 0.1L);
    EXPECT_EQ(LineWidthOf("0,7"), 0.7L);
}

TEST(TestGraphDefaults, AnEmptyGraphGetsCountTimeAndAFixedLoadAxis) {
    const TTestGraphSetUp plan = PlanTestGraphDefaults({});
    EXPECT_TRUE(plan.Changed);
    EXPECT_TRUE(plan.AddPointSeries);
    EXPECT_EQ(plan.State.LeftField, "0000000000000005");
    EXPECT_EQ(plan.State.BottomField, "0000000000000061");
    EXPECT_TRUE(plan.State.RightEnabled);
    EXPECT_EQ(plan.State.RightField, "0000000000000071");
    EXPECT_FALSE(plan.State.RightAutoMin || plan.State.RightAutoMax);
    EXPECT_EQ(plan.State.RightMin, 0);
    EXPECT_EQ(plan.State.RightMax, 100);
}

TEST(TestGraphDefaults, AGraphOfItsOwnIsLeftAlone) {
    TTestGraphState own;
    own.LeftField = "0000000000000003";
    own.BottomField = "0000000000000001";
    own.RightEnabled = true;
    own.RightField = "0000000000000071";
    own.RightMax = 40;
    own.SeriesCount = 2;
    const TTestGraphSetUp plan = PlanTestGraphDefaults(own);
    EXPECT_FALSE(plan.Changed);
    EXPECT_FALSE(plan.AddPointSeries);
    EXPECT_EQ(plan.State.LeftField, own.LeftField);
    EXPECT_EQ(plan.State.RightMax, 40);
}

TEST(SectionSelection, DoubleClicksToggleAndOkGivesTheMarkedIDs) {
    TTestSectionList list;
    for (const char* id : {"0000000000000101", "0000000000000102", "0000000000000103"}) {
        auto s = std::make_unique<TTestSection>(id, 0, 1);
        s->SetID(id);
        list.Add(std::move(s));
    }
    MarkSections(list, {"0000000000000103"});
    ToggleSectionMark(*list.Get(0));
    EXPECT_EQ(MarkedSectionIDs(list),
              (std::vector<std::string>{"0000000000000101", "0000000000000103"}));
    ToggleSectionMark(*list.Get(0));
    EXPECT_EQ(MarkedSectionIDs(list), (std::vector<std::string>{"0000000000000103"}));
}

} // namespace
} // namespace vorelt
