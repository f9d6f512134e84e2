#include "persist/IIDGenerator.h"
#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TXMLPersistentAEProject.h"
#include "testprog/ITestGraphShape.h"
#include "testprog/RegisterTestprogClasses.h"
#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

using namespace vorelt;

namespace {

class TestProgramTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestprogClasses(); }
};

class TSequenceGenerator : public IIDGenerator {
public:
    std::string NewID() override { return "00000000000009" + std::to_string(10 + FNext++); }

private:
    int FNext = 0;
};

class TShape : public ITestGraphShape {};

std::unique_ptr<TTestSection> Section(const char* text, int32_t lo, int32_t hi, const char* id) {
    auto s = std::make_unique<TTestSection>(text, lo, hi);
    s->SetID(id);
    return s;
}

std::optional<long double> Load(const TTestGrLine& line, long double t) {
    long double v = 0;
    if (!line.CalcLoading(t, v)) return std::nullopt;
    return v;
}

} // namespace

TEST_F(TestProgramTest, WithoutSectionsEveryRecordPasses) {
    TTestSectionList none;
    EXPECT_TRUE(InSelectedSections(none, 5.0L, {}));
    EXPECT_TRUE(InSelectedSections(none, -100.0L, {"0000000000000001"}));
    EXPECT_TRUE(InSelectedSections(none, std::nullopt, {"0000000000000001"}));
}

TEST_F(TestProgramTest, SectionBoundsAreInclusive) {
    TTestSectionList list;
    list.Add(Section("Hold 1", 10, 20, "0000000000000001"));
    list.Add(Section("Hold 2", 100, 200, "0000000000000002"));
    list.Add(Section("Unnamed", 0, 1000, ""));
    const std::vector<std::string> first = {"0000000000000001"};
    EXPECT_TRUE(InSelectedSections(list, 10.0L, first));
    EXPECT_TRUE(InSelectedSections(list, 15.5L, first));
    EXPECT_TRUE(InSelectedSections(list, 20.0L, first));
    EXPECT_FALSE(InSelectedSections(list, 20.5L, first));
    EXPECT_FALSE(InSelectedSections(list, 9.999L, first));
    EXPECT_FALSE(InSelectedSections(list, 150.0L, first)); // section not chosen
    EXPECT_FALSE(InSelectedSections(list, std::nullopt, first));
    EXPECT_FALSE(InSelectedSections(list, 15.0L, {}));
    EXPECT_FALSE(InSelectedSections(list, 500.0L, {""})); // an empty ID chooses nothing

    TSelectedSections both(list, {"0000000000000002", "0000000000000001"});
    EXPECT_TRUE(both.Admits(150.0L));
    EXPECT_TRUE(both.Admits(12.0L));
    EXPECT_FALSE(both.Admits(50.0L));
    EXPECT_FALSE(both.Admits(std::numeric_limits<long double>::quiet_NaN()));
}

TEST_F(TestProgramTest, SectionListOperations) {
    TTestSectionList list;
    EXPECT_EQ(list.Add(Section("A", 0, 1, "0000000000000001")), 0);
    EXPECT_EQ(list.Add(Section("B", 1, 2, "")), 1);
    EXPECT_EQ(list.Add(nullptr), -1);
    EXPECT_EQ(list.IndexOfID(""), -1);
    EXPECT_EQ(list.IndexOfID("0000000000000001"), 0);
    EXPECT_EQ(list.FindByID("0000000000000009"), nullptr);
    EXPECT_EQ(list.IndexOfText("B"), 1);
    EXPECT_EQ(list.IndexOfText("b"), -1);
    list.Exchange(0, 1);
    EXPECT_EQ(list.Get(0)->Text(), "B");
    list.Exchange(0, 2);
    list.Put(1, Section("C", 5, 6, "0000000000000003"));
    EXPECT_EQ(list.Get(1)->Text(), "C");
    list.Put(2, Section("D", 5, 6, ""));
    EXPECT_EQ(list.Count(), 2);

    TSequenceGenerator gen;
    list.AssignIDs(false, gen);
    EXPECT_EQ(list.Get(0)->ID(), "0000000000000910");
    EXPECT_EQ(list.Get(1)->ID(), "0000000000000003");
    list.AssignIDs(true, gen);
    EXPECT_EQ(list.Get(1)->ID(), "0000000000000912");

    TShape rect;
    list.Get(0)->SetRect(&rect);
    list.Get(0)->Clear();
    EXPECT_EQ(list.Get(0)->Rect(), nullptr);
    EXPECT_EQ(list.Get(0)->Text(), "");
    EXPECT_EQ(list.Get(0)->MaxVal(), 0);
    list.Delete(5);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(TestProgramTest, SectionListKeysAndLoading) {
    TTestSectionList list;
    list.Add(Section("Нагрузка 1", 10, 20, "0000000000000001"));
    list.Add(Section("Hold", -5, 300, "0000000000000002"));
    TNodePersist node("TestSectionList");
    list.SaveToNode(node);
    EXPECT_EQ(node.GetValue("ClassName"), "TTestSectionList");
    const TNodePersist* sections = node.FindNode("Sections");
    ASSERT_NE(sections, nullptr);
    ASSERT_EQ(sections->NodeCount(), 2);
    const TNodePersist* s = sections->Node(1);
    EXPECT_EQ(s->Name(), "Section");
    EXPECT_EQ(s->ItemName(0), "ClassName");
    EXPECT_EQ(s->GetValue("ClassName"), "TTestSection");
    EXPECT_EQ(s->GetValue("MinVal"), "-5");
    EXPECT_EQ(s->GetValue("MaxVal"), "300");

    TNodePersist* foreign = node.FindNode("Sections")->AddNode("Section");
    foreign->AddItem("ClassName", "TNoSuchSection");
    foreign->AddItem("Text", "Ghost");

    TTestSectionList loaded;
    loaded.Add(Section("Old", 0, 0, "0000000000000099"));
    loaded.LoadFromNode(node);
    ASSERT_EQ(loaded.Count(), 2); // the old content is gone, the foreign class skipped
    EXPECT_EQ(loaded.Get(0)->Text(), "Нагрузка 1");
    EXPECT_EQ(loaded.Get(1)->MinVal(), -5);
    EXPECT_EQ(loaded.FindByID("0000000000000002")->MaxVal(), 300);

    TNodePersist bad;
    TNodePersist* b = bad.AddNode("Sections")->AddNode("Section");
    b->AddItem("ClassName", "TTestSection");
    b->AddItem("MinVal", "1,5");
    EXPECT_THROW(loaded.LoadFromNode(bad), EConvertError);
}

TEST_F(TestProgramTest, LoadInterpolation) {
    TTestGrLine line;
    EXPECT_FALSE(Load(line, 0));
    line.Points().AddPoint({0, 0});
    line.Points().AddPoint({100, 10});
    line.Points().AddPoint({200, 10});
    EXPECT_EQ(Load(line, 50), 5.0L);
    EXPECT_EQ(Load(line, 100), 10.0L);
    EXPECT_EQ(Load(line, 150), 10.0L);
    EXPECT_EQ(Load(line, 0), 0.0L);
    EXPECT_EQ(Load(line, 200), 10.0L);
    EXPECT_EQ(Load(line, 12.5L), 1.25L);
    EXPECT_FALSE(Load(line, 250));
    EXPECT_FALSE(Load(line, -1));
    EXPECT_FALSE(Load(line, std::numeric_limits<long double>::quiet_NaN()));

    // A change of the points is seen at once.
    line.Points().SetPoint(2, {200, 30});
    EXPECT_EQ(Load(line, 150), 20.0L);
    line.Points().AddPoint({300, 0});
    EXPECT_EQ(Load(line, 250), 15.0L);

    TTestGrLine single;
    single.Points().AddPoint({10, 4});
    EXPECT_EQ(Load(single, 10), 4.0L);
    EXPECT_FALSE(Load(single, 10.5L));
}

TEST_F(TestProgramTest, LoadStepsTakeTheFirstPointOfAnEqualTime) {
    TTestGrLine line;
    for (TGVCoord c : {TGVCoord{0, 0}, TGVCoord{10, 0}, TGVCoord{10, 5}, TGVCoord{20, 5}})
        line.Points().AddPoint(c);
    EXPECT_EQ(Load(line, 9), 0.0L);
    EXPECT_EQ(Load(line, 10), 0.0L);
    EXPECT_EQ(Load(line, 11), 5.0L);
}

TEST_F(TestProgramTest, UnsortedPointsFollowTheStoredOrderWalk) {
    TTestGrLine line;
    for (TGVCoord c : {TGVCoord{0, 0}, TGVCoord{100, 10}, TGVCoord{50, 20}, TGVCoord{200, 0}})
        line.Points().AddPoint(c);
    EXPECT_EQ(Load(line, 75), 7.5L);    // between the first two points
    EXPECT_EQ(Load(line, 50), 5.0L);    // the walk interpolates before it reaches (50, 20)
    EXPECT_EQ(Load(line, 125), 10.0L);  // between (50, 20) and (200, 0), the last below
    line.Points().ExchangePoints(1, 2); // now sorted
    EXPECT_EQ(Load(line, 75), 15.0L);
    EXPECT_EQ(Load(line, 50), 20.0L);
}

TEST_F(TestProgramTest, LoadLineKeysAndLenientLoading) {
    TTestGrLine line;
    EXPECT_EQ(line.Color(), 3428749); // RGB (141, 81, 52)
    line.SetID("0000000000000042");
    line.SetColor(255);
    line.SetWidthLine(1.25L);
    line.Points().AddPoint({0, 0});
    line.Points().AddPoint({60, 2.5L});
    TNodePersist node("TestGrLine");
    line.SaveToNode(node);
    EXPECT_EQ(node.GetValue("ClassName"), "TTestGrLine");
    EXPECT_EQ(node.GetValue("Color"), "255");
    EXPECT_EQ(node.GetValue("WidthLine"), "1,25");
    const TNodePersist* coords = node.FindNode("Coords");
    ASSERT_NE(coords, nullptr);
    EXPECT_EQ(coords->GetValue("ClassName"), "TGVListCoordProperty");
    ASSERT_NE(coords->FindNode("List"), nullptr);
    EXPECT_EQ(coords->FindNode("List")->NodeCount(), 2);

    TTestGrLine loaded;
    loaded.LoadFromNode(node);
    EXPECT_EQ(loaded.ID(), "0000000000000042");
    EXPECT_EQ(loaded.Color(), 255);
    EXPECT_EQ(loaded.WidthLine(), 1.25L);
    EXPECT_EQ(loaded.Points().GetPoint(1), (TGVCoord{60, 2.5L}));

    TNodePersist bad;
    bad.AddItem("Color", "red");
    bad.AddItem("WidthLine", "thin");
    loaded.LoadFromNode(bad);
    EXPECT_EQ(loaded.Color(), 0);
    EXPECT_EQ(loaded.WidthLine(), 0.5L);
    EXPECT_EQ(loaded.Points().PointCount(), 2); // no "Coords": points stay

    TShape shape;
    loaded.SetLine(&shape);
    loaded.Clear();
    EXPECT_EQ(loaded.Line(), nullptr);
    EXPECT_EQ(loaded.Color(), TTestGrLine::DefaultColor);
    EXPECT_EQ(loaded.Points().PointCount(), 0);
    EXPECT_FALSE(Load(loaded, 30));
}

TEST_F(TestProgramTest, LoadBoundsThroughNotifications) {
    TTestGrLine line;
    EXPECT_EQ(line.GetMin(), 0);
    EXPECT_EQ(line.GetMax(), 0);
    line.SetMax(50); // unbound: nothing happens
    long double lo = 1, hi = 40;
    line.OnGetMin = [&] { return lo; };
    line.OnGetMax = [&] { return hi; };
    line.OnSetMax = [&](long double v) { hi = v; };
    line.SetMax(60);
    EXPECT_EQ(line.GetMax(), 60);
    EXPECT_EQ(line.GetMin(), 1);
}

TEST_F(TestProgramTest, ProjectFileHoldsTheTestProgram) {
    TTestSectionList list;
    list.Add(Section("Hold", 10, 20, "0000000000000001"));
    TTestGrLine line;
    line.Points().AddPoint({0, 0});
    line.Points().AddPoint({100, 12.5L});

    TNodePersist root("ParamPRG");
    TNodePersist* db = root.AddNode("GVDb");
    list.SaveToNode(*db->AddNode("TestSectionList"));
    line.SaveToNode(*db->AddNode("TestGrLine"));
    TNodePersist back;
    std::string error;
    ASSERT_TRUE(
        TXMLPersistentAEProject::Parse(TXMLPersistentAEProject::Serialize(root), back, error))
        << error;
    const TNodePersist* backDb = back.FindNode("GVDb");
    ASSERT_NE(backDb, nullptr);
    ASSERT_NE(backDb->FindNode("TestSectionList"), nullptr);
    EXPECT_EQ(backDb->FindNode("TestSectionList")->FindNode("Sections")->NodeCount(), 1);

    auto loadedList = TClassRegistry::Instance().CreateAs<TTestSectionList>("TTestSectionList");
    auto loadedLine = TClassRegistry::Instance().CreateAs<TTestGrLine>("ttestgrline");
    ASSERT_TRUE(loadedList && loadedLine);
    loadedList->LoadFromNode(*backDb->FindNode("TestSectionList"));
    loadedLine->LoadFromNode(*backDb->FindNode("TestGrLine"));
    EXPECT_EQ(loadedList->Get(0)->Text(), "Hold");
    EXPECT_EQ(Load(*loadedLine, 50), 6.25L);
}
