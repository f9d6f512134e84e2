#include "testprog/TZIPParameters.h"
#include "persist/TErrors.h"
#include "persist/TGVListCoordProperty.h"
#include "persist/TGridPolygon.h"
#include "persist/TNodePersist.h"
#include "testprog/RegisterTestprogClasses.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace vorelt;

namespace {

class ZIPTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestprogClasses(); }

    // The zone of a grid point of the diagram, through the public value-based entry.
    int ZoneAtGrid(int64_t x, int64_t y, std::string* name = nullptr) const {
        long double h = 1 + static_cast<long double>(x) * 9 / 1000;
        long double s = 10 + static_cast<long double>(1000 - y) * 990 / 1000;
        EXPECT_EQ(TZIPParameters::ToGrid(h, s), (TGridPoint{x, y}));
        return Zip.ClassifyZone(s, h, name);
    }

    TZIPParameters Zip;
};

bool InPolygon(const std::vector<TGridPoint>& poly, int64_t x, int64_t y) {
    return PtInGridPolygon(poly.data(), poly.size(), {x, y});
}

} // namespace

TEST(GridPolygon, RectangleIncludesLeftAndTopEdgesOnly) {
    const std::vector<TGridPoint> cw = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::vector<TGridPoint> ccw = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    for (const auto* poly : {&cw, &ccw}) {
        EXPECT_TRUE(InPolygon(*poly, 5, 5));
        EXPECT_TRUE(InPolygon(*poly, 0, 0)); // top-left corner
        EXPECT_TRUE(InPolygon(*poly, 0, 5)); // left edge
        EXPECT_TRUE(InPolygon(*poly, 5, 0)); // top edge
        EXPECT_TRUE(InPolygon(*poly, 9, 9));
        EXPECT_FALSE(InPolygon(*poly, 10, 5)); // right edge
        EXPECT_FALSE(InPolygon(*poly, 5, 10)); // bottom edge
        EXPECT_FALSE(InPolygon(*poly, 10, 0));
        EXPECT_FALSE(InPolygon(*poly, -1, 5));
        EXPECT_FALSE(InPolygon(*poly, 5, 11));
    }
}

TEST(GridPolygon, PolygonsSharingAnEdgeClaimEachPointOnce) {
    // A square cut along its diagonal, and a square cut by a slanted line with lattice points.
    const std::vector<std::vector<TGridPoint>> tilings[] = {
        {{{0, 0}, {10, 10}, {0, 10}}, {{0, 0}, {10, 0}, {10, 10}}},
        {{{0, 0}, {4, 0}, {8, 12}, {0, 12}}, {{4, 0}, {12, 0}, {12, 12}, {8, 12}}}};
    for (const auto& tiling : tilings) {
        const int64_t w = tiling[1][2].X, h = tiling[1][2].Y;
        for (int64_t y = -1; y <= h + 1; ++y)
            for (int64_t x = -1; x <= w + 1; ++x) {
                int claims = InPolygon(tiling[0], x, y) + InPolygon(tiling[1], x, y);
                bool inSquare = x >= 0 && x < w && y >= 0 && y < h;
                EXPECT_EQ(claims, inSquare ? 1 : 0) << x << "," << y;
            }
    }
}

TEST(GridPolygon, NonZeroWindingFillsTheCentreOfAStar) {
    // A pentagram: its centre is wound twice, inside under the non-zero rule.
    const std::vector<TGridPoint> star = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    EXPECT_TRUE(InPolygon(star, 50, 50));
    EXPECT_TRUE(InPolygon(star, 50, 10));
    EXPECT_FALSE(InPolygon(star, 5, 80));
    EXPECT_FALSE(InPolygon({{0, 0}, {10, 10}}, 5, 5));
    EXPECT_FALSE(PtInGridPolygon(nullptr, 0, {0, 0}));
}

TEST_F(ZIPTest, ChannelExamples) {
    std::string name;
    EXPECT_EQ(Zip.ClassifyZone(30, 1.5L, &name), 1);
    EXPECT_EQ(name, "Zone A");
    EXPECT_EQ(Zip.ClassifyZone(20, 5, &name), 0);
    EXPECT_EQ(name, "Zone 0");
    EXPECT_EQ(Zip.ClassifyZone(2000, 5, &name), -1);
    EXPECT_EQ(name, "");
    EXPECT_EQ(Zip.ClassifyZone(std::numeric_limits<long double>::quiet_NaN(), 5), -1);
    EXPECT_EQ(Zip.ClassifyZone(20, std::numeric_limits<long double>::infinity()), -1);
    EXPECT_EQ(TZIPParameters::ToGrid(1e30L, -1e30L), (TGridPoint{GridCoordLimit, GridCoordLimit}));
}

TEST_F(ZIPTest, EachDefaultZoneInsideOnItsEdgesAndOutside) {
    std::string name;
    // Zone 0: x 0..1000, y 985..1000.
    EXPECT_EQ(ZoneAtGrid(500, 990, &name), 0);
    EXPECT_EQ(name, "Zone 0");
    EXPECT_EQ(ZoneAtGrid(500, 985), 0);   // top edge, shared with A, C
    EXPECT_EQ(ZoneAtGrid(0, 999), 0);     // left edge
    EXPECT_EQ(ZoneAtGrid(500, 1000), -1); // bottom edge: severity 10 lies in no zone
    EXPECT_EQ(ZoneAtGrid(1000, 990), -1); // right edge: historic index 10 lies in no zone
    // Zone A: x 0..111, y 960..985.
    EXPECT_EQ(ZoneAtGrid(50, 970, &name), 1);
    EXPECT_EQ(name, "Zone A");
    EXPECT_EQ(ZoneAtGrid(50, 960), 1);  // top edge
    EXPECT_EQ(ZoneAtGrid(0, 984), 1);   // left edge
    EXPECT_EQ(ZoneAtGrid(111, 970), 2); // right edge belongs to B's left edge
    EXPECT_EQ(ZoneAtGrid(-1, 970), -1);
    // Zone B.
    EXPECT_EQ(ZoneAtGrid(150, 970), 2);
    EXPECT_EQ(ZoneAtGrid(50, 938), 2); // top edge
    EXPECT_EQ(ZoneAtGrid(50, 959), 2);
    EXPECT_EQ(ZoneAtGrid(178, 970), 3); // right edge belongs to C
    EXPECT_EQ(ZoneAtGrid(150, 940), 3); // above B's slanted top: C
    // Zone C.
    EXPECT_EQ(ZoneAtGrid(500, 960), 3);
    EXPECT_EQ(ZoneAtGrid(500, 938), 3); // top edge
    EXPECT_EQ(ZoneAtGrid(50, 818), 3);  // top edge of its left arm
    EXPECT_EQ(ZoneAtGrid(1000, 960), -1);
    // Zone D.
    EXPECT_EQ(ZoneAtGrid(500, 900), 4);
    EXPECT_EQ(ZoneAtGrid(50, 600), 4);
    EXPECT_EQ(ZoneAtGrid(100, 404), 4); // top edge
    EXPECT_EQ(ZoneAtGrid(178, 600), 5); // right edge of its arm belongs to E
    EXPECT_EQ(ZoneAtGrid(500, 818), 4);
    // Zone E.
    EXPECT_EQ(ZoneAtGrid(500, 100, &name), 5);
    EXPECT_EQ(name, "Zone E");
    EXPECT_EQ(ZoneAtGrid(0, 0), 5); // top-left corner: severity 1000, index 1
    EXPECT_EQ(ZoneAtGrid(177, 600), 4);
    EXPECT_EQ(ZoneAtGrid(500, -1), -1); // above the diagram
    EXPECT_EQ(ZoneAtGrid(1000, 100), -1);
}

TEST_F(ZIPTest, DefaultZonesTileTheDiagram) {
    // Every grid point of the diagram, right and bottom borders excluded, is in exactly one
    // default zone: no gaps and no overlaps between neighbouring zones.
    std::vector<std::vector<TGridPoint>> zones;
    for (int i = 0; i < Zip.Zones().Count(); ++i) {
        std::vector<TGridPoint> poly;
        for (const TGVCoord& c :
             dynamic_cast<const TGVListCoordProperty&>(*Zip.Zones().Get(i)).Points())
            poly.push_back(TZIPParameters::ToGrid(c.X, c.Y));
        zones.push_back(poly);
    }
    ASSERT_EQ(zones.size(), 6u);
    int bad = 0;
    for (int64_t y = 0; y < 1000; y += 1)
        for (int64_t x = 0; x < 1000; x += 1) {
            int claims = 0;
            for (const auto& z : zones)
                claims += InPolygon(z, x, y);
            bad += claims != 1;
        }
    EXPECT_EQ(bad, 0);
}

TEST_F(ZIPTest, SetDefaultZoneRestoresOnlyThatZone) {
    auto* a = Zip.Zones().FindAs<TGVListCoordProperty>("Zone A");
    auto* b = Zip.Zones().FindAs<TGVListCoordProperty>("Zone B");
    a->ClearPoints();
    b->DeletePoint(0);
    EXPECT_EQ(Zip.ClassifyZone(30, 1.5L), -1);
    Zip.SetDefaultZone("zone a");
    EXPECT_EQ(a->PointCount(), 4);
    EXPECT_EQ(a->GetPoint(2), (TGVCoord{2, 25}));
    EXPECT_EQ(b->PointCount(), 6);
    EXPECT_EQ(Zip.ClassifyZone(30, 1.5L), 1);
    Zip.SetDefaultZone("Zone Q");
    Zip.SetDefaultZone("Zone B");
    EXPECT_EQ(b->PointCount(), 7);
}

TEST_F(ZIPTest, DefaultKTableParses) {
    EXPECT_TRUE(Zip.ParseK());
    const uint8_t ops[] = {0, 0, 2, 3, 2};
    const long double values[] = {-1, 0, 15, 0.8L, 200};
    for (int i = 0; i < TZIPParameters::KRowCount; ++i) {
        EXPECT_EQ(Zip.KRow(i).TypeOperation, ops[i]) << i;
        EXPECT_EQ(Zip.KRow(i).Value, values[i]) << i;
        EXPECT_EQ(Zip.KRow(i).ErrorText, "") << i;
    }
    EXPECT_EQ(Zip.KRow(0).Text, "Not applicable");
    EXPECT_EQ(Zip.HistoricIndexK(5), -1);
    EXPECT_EQ(Zip.HistoricIndexK(-3), -1);
    EXPECT_EQ(Zip.HistoricIndexK(12), 0);
    EXPECT_EQ(Zip.HistoricIndexK(20), 5);
    EXPECT_EQ(Zip.HistoricIndexK(100), 80);
    EXPECT_EQ(Zip.HistoricIndexK(999), 799); // 799,2
    EXPECT_EQ(Zip.HistoricIndexK(1000), 800);
    EXPECT_EQ(Zip.HistoricIndexK(5000), 4800);
}

TEST_F(ZIPTest, KRowRanges) {
    const std::pair<int64_t, int> cases[] = {{9, 0},  {10, 1},  {14, 1},   {15, 2}, {74, 2},
                                             {75, 3}, {999, 3}, {1000, 4}, {-5, 0}, {INT64_MAX, 4}};
    for (auto [n, row] : cases)
        EXPECT_EQ(TZIPParameters::KRowFor(n), row) << n;
    EXPECT_STREQ(TZIPParameters::KRowLabel(3), "75 - 1000");
}

TEST_F(ZIPTest, ParseKGoodTexts) {
    Zip.SetKText(3, " n * 0.5 ");
    Zip.SetKText(2, "N+3");
    Zip.SetKText(1, "7,");
    Zip.SetKText(4, "2*N");
    EXPECT_TRUE(Zip.ParseK());
    EXPECT_EQ(Zip.KRow(3).TypeOperation, 3);
    EXPECT_EQ(Zip.KRow(3).Value, 0.5L);
    EXPECT_EQ(Zip.KRow(3).Text, " n * 0.5 "); // the user's text stays
    EXPECT_EQ(Zip.KRow(2).TypeOperation, 1);
    EXPECT_EQ(Zip.HistoricIndexK(20), 23);
    EXPECT_EQ(Zip.KRow(1).TypeOperation, 0);
    EXPECT_EQ(Zip.HistoricIndexK(10), 7);
    EXPECT_EQ(Zip.HistoricIndexK(1500), 3000);
    // Ties round to even: 0,5 * 75 = 37,5 -> 38 and 0,5 * 77 = 38,5 -> 38.
    EXPECT_EQ(Zip.HistoricIndexK(75), 38);
    EXPECT_EQ(Zip.HistoricIndexK(77), 38);
}

TEST_F(ZIPTest, ParseKBadTextsFallBackToTheDefault) {
    const char* bad[] = {"N/2", "", "N", "N+", ",5", "1,2,3", "abc", "-5", "N-1e3", "N*0.5x"};
    for (const char* text : bad) {
        TZIPParameters zip;
        zip.SetKText(3, text);
        EXPECT_FALSE(zip.ParseK()) << text;
        EXPECT_EQ(zip.KRow(3).Text, "N*0,8") << text;
        EXPECT_EQ(zip.KRow(3).TypeOperation, 3) << text;
        EXPECT_EQ(zip.KRow(3).Value, 0.8L) << text;
        EXPECT_EQ(zip.KRow(2).ErrorText, "") << text;
    }
    Zip.SetKText(3, "n/2");
    EXPECT_FALSE(Zip.ParseK());
    EXPECT_EQ(Zip.KRow(3).ErrorText, "Invalid Operation: N/2");
    // A row that failed once parses again when it is corrected.
    Zip.SetKText(3, "N*0,25");
    EXPECT_TRUE(Zip.ParseK());
    EXPECT_EQ(Zip.KRow(3).ErrorText, "");
    EXPECT_EQ(Zip.HistoricIndexK(100), 25);
    // Row 0 takes a formula too, and returns to "Not applicable" on a bad one.
    Zip.SetKText(0, "1");
    EXPECT_TRUE(Zip.ParseK());
    EXPECT_EQ(Zip.HistoricIndexK(3), 1);
    Zip.SetKText(0, "x");
    EXPECT_FALSE(Zip.ParseK());
    EXPECT_EQ(Zip.KRow(0).Text, "Not applicable");
    EXPECT_EQ(Zip.HistoricIndexK(3), -1);
}

TEST_F(ZIPTest, SeverityCountNeverBelowTen) {
    Zip.SetJ(5);
    EXPECT_EQ(Zip.J(), 10);
    Zip.SetJ(25);
    EXPECT_EQ(Zip.J(), 25);
    TNodePersist zero;
    zero.AddItem("Severity", "0");
    Zip.LoadFromNode(zero);
    EXPECT_EQ(Zip.J(), 10);
    TNodePersist negative;
    negative.AddItem("Severity", "-7");
    Zip.LoadFromNode(negative);
    EXPECT_EQ(Zip.J(), 10);
    TNodePersist bad;
    bad.AddItem("Severity", "ten");
    EXPECT_THROW(Zip.LoadFromNode(bad), EConvertError);
}

TEST_F(ZIPTest, SaveAndLoadRoundTrip) {
    Zip.SetJ(15);
    Zip.SetKText(2, "N-12");
    Zip.ParseK();
    auto* e = Zip.Zones().FindAs<TGVListCoordProperty>("Zone E");
    e->SetPoint(0, {1.5L, 990});

    TNodePersist node("ZIP");
    Zip.SaveToNode(node);
    EXPECT_EQ(node.GetValue("Severity"), "15");
    const TNodePersist* hi = node.FindNode("HistoricIndex");
    ASSERT_NE(hi, nullptr);
    ASSERT_EQ(hi->NodeCount(), 5);
    EXPECT_EQ(hi->Node(3)->GetValue("Index"), "3");
    EXPECT_EQ(hi->Node(3)->GetValue("Text"), "N*0,8");
    EXPECT_EQ(hi->Node(3)->GetValue("TypeOperation"), "3");
    EXPECT_EQ(hi->Node(3)->GetValue("Value"), "0,8");
    const TNodePersist* coords = node.FindNode("ZipCoords");
    ASSERT_NE(coords, nullptr);
    EXPECT_EQ(coords->NodeCount(), 6);

    TZIPParameters loaded;
    loaded.LoadFromNode(node);
    EXPECT_EQ(loaded.J(), 15);
    EXPECT_EQ(loaded.KRow(2).Text, "N-12");
    EXPECT_EQ(loaded.HistoricIndexK(20), 8);
    EXPECT_EQ(loaded.Zones().Count(), 6);
    EXPECT_EQ(loaded.Zones().FindAs<TGVListCoordProperty>("Zone E")->GetPoint(0),
              (TGVCoord{1.5L, 990}));
}

TEST_F(ZIPTest, LoadSkipsIncompleteAndForeignRows) {
    TNodePersist node;
    TNodePersist* hi = node.AddNode("HistoricIndex");
    auto addRow = [hi](const char* index, const char* text, const char* op, const char* value) {
        TNodePersist* item = hi->AddNode("Items");
        item->AddItem("Index", index);
        item->AddItem("Text", text);
        item->AddItem("TypeOperation", op);
        item->AddItem("Value", value);
    };
    addRow("7", "N-1", "2", "1"); // no such row
    addRow("x", "N-1", "2", "1"); // not an index
    addRow("2", "N-1", "2", "");  // no value
    addRow("4", "N+1", "1", "1"); // taken
    Zip.LoadFromNode(node);
    EXPECT_EQ(Zip.KRow(2).Text, "N-15");
    EXPECT_EQ(Zip.KRow(4).Text, "N+1");
    EXPECT_EQ(Zip.HistoricIndexK(2000), 2001);
    EXPECT_EQ(Zip.J(), 10);       // no "Severity": unchanged
    addRow("4", "N?1", "9", "1"); // an operation this program does not know
    Zip.LoadFromNode(node);
    EXPECT_EQ(Zip.HistoricIndexK(2000), -1);
}
