// Source location from arrival times: the locators over single events, the sensor layout and
// its refusals, and the count of sources within a circle.

#include "persist/TNodePersist.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DPipePS.h"
#include "processing/graph3d/TAEOBJ3DSchema.h"
#include "processing/location/TSchemaSensorPlaces.h"
#include "processing/location/TSensorLayout.h"
#include "processing/location/TSourceLocator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace vorelt;

namespace {

TSensorLayout PlateLayout() {
    TSensorLayout layout;
    std::string error;
    const double place[4][2] = {{600, 600}, {150, 600}, {150, 150}, {600, 150}};
    for (int c = 1; c <= 4; ++c)
        EXPECT_TRUE(layout.Add(SensorAt(c, place[c - 1][0], place[c - 1][1]), error)) << error;
    EXPECT_TRUE(layout.SetVelocity(5000, error));
    return layout;
}

// Arrival times of a source at (x, y) with the layout's velocity, starting at t0.
std::vector<TArrival> ArrivalsFrom(const TSensorLayout& layout, double x, double y,
                                   double t0 = 1000) {
    std::vector<TArrival> hits;
    for (const TSensor& s : layout.Sensors())
        hits.push_back({s.Chan, t0 + std::hypot(s.X - x, s.Y - y) / layout.VelocityMmPerUs()});
    std::sort(hits.begin(), hits.end(),
              [](const TArrival& a, const TArrival& b) { return a.TimeUs < b.TimeUs; });
    return hits;
}

} // namespace

// The four hits of the steel-plate pencil-lead break as the file holds them (µs).
TEST(SourceLocator, SteelPlateEventLandsWhereTheMinimumOfUIs) {
    const TSensorLayout layout = PlateLayout();
    const std::vector<TArrival> hits = {
        {3, 3992771.0}, {2, 3992774.7}, {4, 3992812.9}, {1, 3992814.3}};
    const TSourceResult r = LocatePlanar(layout, hits);
    ASSERT_TRUE(r.Located);
    EXPECT_NEAR(r.X, 221.65, 0.01);
    EXPECT_NEAR(r.Y, 365.66, 0.01);
    EXPECT_NEAR(r.Uncertainty, 1.116, 0.01);
    EXPECT_EQ(r.SensorsUsed, 4);
}

TEST(SourceLocator, PlanarFindsExactSourcesFromEveryStart) {
    const TSensorLayout layout = PlateLayout();
    // Sources inside, on the edges, near a sensor and outside the square of sensors: the
    // start at the centroid must not stop in a local minimum anywhere.
    const double sources[][2] = {{375, 375}, {160, 590}, {590, 160}, {300, 151},
                                 {599, 420}, {700, 300}, {-50, 400}, {155, 155}};
    for (const auto& s : sources) {
        const TSourceResult r = LocatePlanar(layout, ArrivalsFrom(layout, s[0], s[1]));
        ASSERT_TRUE(r.Located);
        EXPECT_NEAR(r.X, s[0], 1e-3) << s[0] << "," << s[1];
        EXPECT_NEAR(r.Y, s[1], 1e-3) << s[0] << "," << s[1];
        EXPECT_LT(r.Uncertainty, 1e-3);
    }
}

TEST(SourceLocator, PlanarUsesEachChannelOnceAndNeedsThreeSensors) {
    const TSensorLayout layout = PlateLayout();
    std::vector<TArrival> hits = ArrivalsFrom(layout, 300, 400);
    // A reflection arriving later on a channel already hit, and a channel without a sensor.
    hits.push_back({hits[0].Chan, hits.back().TimeUs + 50});
    hits.push_back({9, hits[0].TimeUs - 5});
    TSourceResult r = LocatePlanar(layout, hits);
    ASSERT_TRUE(r.Located);
    EXPECT_EQ(r.SensorsUsed, 4);
    EXPECT_NEAR(r.X, 300, 1e-3);
    EXPECT_NEAR(r.Y, 400, 1e-3);

    const std::vector<TArrival> two = {{1, 10}, {2, 20}, {2, 25}, {7, 30}};
    r = LocatePlanar(layout, two);
    EXPECT_FALSE(r.Located);
    EXPECT_EQ(r.SensorsUsed, 2);
}

TEST(SourceLocator, LinearBetweenTheFirstTwoSensors) {
    TSensorLayout layout;
    std::string error;
    ASSERT_TRUE(layout.Add(SensorAt(1, 0, 0), error));
    ASSERT_TRUE(layout.Add(SensorAt(2, 1000, 0), error));
    ASSERT_TRUE(layout.SetVelocity(5000, error));
    layout.SetMethod(TLocMethod::Linear);
    // Source 300 mm from sensor 1: 60 µs to it, 140 µs to sensor 2.
    TSourceResult r = LocateEvent(layout, std::vector<TArrival>{{1, 60}, {2, 140}});
    ASSERT_TRUE(r.Located);
    EXPECT_NEAR(r.Position, 300, 1e-9);
    EXPECT_NEAR(r.X, 300, 1e-9);
    EXPECT_EQ(r.SensorsUsed, 2);
    // Sensor 2 first: the position still counts from the layout's first sensor.
    r = LocateLinear(layout, std::vector<TArrival>{{2, 20}, {1, 100}});
    ASSERT_TRUE(r.Located);
    EXPECT_NEAR(r.Position, 700, 1e-9);
    EXPECT_NEAR(r.X, 700, 1e-9);
    // A time difference longer than the path between the sensors: outside the structure.
    r = LocateLinear(layout, std::vector<TArrival>{{1, 0}, {2, 250}});
    EXPECT_FALSE(r.Located);
    r = LocateLinear(layout, std::vector<TArrival>{{1, 0}});
    EXPECT_FALSE(r.Located);
}

TEST(SourceLocator, LinearMeasuresAlongThePipeOfTheFirstSensor) {
    TSensorLayout layout;
    std::string error;
    // Two runs; the straight distance of sensors 1 and 3 says nothing about the pipe.
    ASSERT_TRUE(layout.Add({1, 0, 0, 0, "Pipe01", 0}, error));
    ASSERT_TRUE(layout.Add({2, 0, 0, 0, "Pipe02", 500}, error));
    ASSERT_TRUE(layout.Add({3, 10, 0, 0, "Pipe01", 2000}, error));
    ASSERT_TRUE(layout.SetVelocity(4000, error));
    // Source at 1200 mm on Pipe01: 300 µs to sensor 1, 200 µs to sensor 3; sensor 2 of the
    // other run is hit in between and ignored.
    const TSourceResult r =
        LocateLinear(layout, std::vector<TArrival>{{3, 200}, {2, 250}, {1, 300}});
    ASSERT_TRUE(r.Located);
    EXPECT_EQ(r.Pipe, "Pipe01");
    EXPECT_NEAR(r.Position, 1200, 1e-9);
}

TEST(SensorLayout, RefusesUnknownAndDuplicateChannels) {
    TSensorLayout layout;
    std::string error;
    EXPECT_TRUE(layout.Add(SensorAt(4, 1, 2), error, 4));
    EXPECT_FALSE(layout.Add(SensorAt(5, 1, 2), error, 4));
    EXPECT_EQ(error, "Invalid Channel 5");
    EXPECT_FALSE(layout.Add(SensorAt(0, 1, 2), error));
    EXPECT_EQ(error, "Invalid Channel 0");
    EXPECT_FALSE(layout.Add(SensorAt(4, 7, 8), error));
    EXPECT_EQ(error, "Duplicate Channel 4");
    EXPECT_EQ(layout.Count(), 1);
    EXPECT_FALSE(layout.SetVelocity(0, error));
    EXPECT_FALSE(layout.SetVelocity(NAN, error));
}

TEST(SensorLayout, CsvAcceptsBothDecimalsAndNamesTheBadLine) {
    TSensorLayout layout;
    std::string error;
    ASSERT_TRUE(
        layout.ParseCsv("Chan;X;Y;Z\r\n1;600;600\r\n2;150,5;600.25;3\r\n\r\n", "L.csv", error))
        << error;
    ASSERT_EQ(layout.Count(), 2);
    EXPECT_DOUBLE_EQ(layout.Find(2)->X, 150.5);
    EXPECT_DOUBLE_EQ(layout.Find(2)->Y, 600.25);
    EXPECT_DOUBLE_EQ(layout.Find(2)->Z, 3);

    const struct {
        const char* Text;
        const char* Error;
    } bad[] = {
        {"1;1;1\n1;2;2\n", "L.csv, line 2: Duplicate Channel 1"},
        {"1;1;1\n200;2;2\n", "L.csv, line 2: Invalid Channel 200"},
        {"Chan;X;Y\n1;1\n", "L.csv, line 2: expected Chan;X;Y or Chan;X;Y;Z, found 2 fields"},
        {"1;1;abc\n", "L.csv, line 1: \"abc\" is not a number"},
        {"1;1;1\nx;1;1\n", "L.csv, line 2: the channel \"x\" is not a number"},
        {"Chan;X;Y\n", "L.csv: no sensors"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(layout.ParseCsv(b.Text, "L.csv", error)) << b.Text;
        EXPECT_EQ(error, b.Error);
    }
    // A refused file leaves the sensors as they were.
    EXPECT_EQ(layout.Count(), 2);
}

TEST(SensorLayout, PersistsAndReadsItsOwnCsv) {
    TSensorLayout layout = PlateLayout();
    std::string error;
    ASSERT_TRUE(layout.Add({7, 1.25, -3.5, 0.125, "Pipe03", 812.5}, error));
    ASSERT_TRUE(layout.SetVelocity(3123.5, error));
    layout.SetMethod(TLocMethod::Linear);
    layout.SetArrival(TArrivalSource::PickedArrival);
    TNodePersist node("SensorLayout");
    layout.SaveToNode(node);
    TSensorLayout loaded;
    loaded.LoadFromNode(node);
    EXPECT_TRUE(loaded == layout);

    TSensorLayout fromCsv;
    ASSERT_TRUE(fromCsv.ParseCsv(layout.CsvText(), "L.csv", error)) << error;
    ASSERT_EQ(fromCsv.Count(), layout.Count());
    EXPECT_DOUBLE_EQ(fromCsv.Find(7)->Z, 0.125);
}

TEST(SourceClusters, CountsSourcesWithinTheCircle) {
    // Three sources within an inch of each other, one just outside, one on another pipe.
    const std::vector<double> x = {100, 110, 100, 100 + 12.8, 105, 400};
    const std::vector<double> y = {100, 100, 110, 100, 100, 400};
    const std::vector<int32_t> group = {0, 0, 0, 0, 1, 0};
    const std::vector<uint8_t> located = {1, 1, 1, 1, 1, 0};
    std::vector<int32_t> counts(x.size());
    CountInCircle(x, y, group, located, 25.4, counts);
    EXPECT_EQ(counts, (std::vector<int32_t>{3, 3, 2, 2, 1, 0}));
}

TEST(SourceClusters, AgreesWithCountingEveryPair) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 300);
    const size_t n = 3000;
    std::vector<double> x(n), y(n);
    std::vector<int32_t> group(n, 0), counts(n);
    std::vector<uint8_t> located(n, 1);
    for (size_t i = 0; i < n; ++i) {
        x[i] = u(rng);
        y[i] = u(rng) - 150;
    }
    CountInCircle(x, y, group, located, 25.4, counts);
    for (size_t i = 0; i < n; i += 37) {
        int32_t expected = 0;
        for (size_t j = 0; j < n; ++j)
            expected += std::hypot(x[j] - x[i], y[j] - y[i]) <= 12.7 ? 1 : 0;
        EXPECT_EQ(counts[i], expected) << i;
    }
}

namespace {

class TSchemaOwner : public IObj3DOwner {
public:
    void SchemaChanged(TAEOBJ3D&) override {}
    std::string NewObjectID() override { return std::to_string(1000000000000000 + ++FId); }
    int32_t NewIDGL() override { return ++FGl; }

private:
    int64_t FId = 0;
    int32_t FGl = 0;
};

void SetFloat(TAEOBJ3D& o, const char* name, long double value) {
    o.Properties().FindAs<TGVProperty>(name)->SetAsFloat(value);
}

TAEOBJ3D* AddSensor(TAEOBJ3D& pipe, TSchemaOwner& owner, int32_t chan, long double metres) {
    auto* pae = static_cast<TAEOBJ3DPAEPS*>(pipe.AddChild(std::make_unique<TAEOBJ3DPAEPS>(&owner)));
    pae->SetChannel(chan);
    SetFloat(*pae, "DeltaLength", metres);
    return pae;
}

} // namespace

TEST(SchemaSensorPlaces, SensorsTakeTheirPipeAndOffsetFromTheSchema) {
    TSchemaOwner owner;
    TAEOBJ3DPipesSchema schema(&owner);
    TAEOBJ3D* pipe = schema.AddChild(std::make_unique<TAEOBJ3DPipePS>(&owner));
    pipe->SetText("Pipe01");
    SetFloat(*pipe, "Length", 10);
    AddSensor(*pipe, owner, 1, 1);
    AddSensor(*pipe, owner, 2, 9);
    TSensorLayout layout;
    std::string error;
    ASSERT_TRUE(layout.Add(SensorAt(2, 5, 5), error));
    ASSERT_TRUE(layout.Add(SensorAt(3, 7, 7), error));
    ASSERT_TRUE(PlaceSensorsFromSchema(schema, layout, error)) << error;
    ASSERT_EQ(layout.Count(), 3);
    EXPECT_EQ(layout.Find(1)->Pipe, "Pipe01");
    EXPECT_DOUBLE_EQ(layout.Find(1)->Along, 1000);
    EXPECT_DOUBLE_EQ(layout.Find(2)->Along, 9000);
    EXPECT_TRUE(layout.Find(3)->Pipe.empty());
    // Source 2500 mm along: 1500 mm from sensor 1, 6500 mm from sensor 2.
    layout.SetMethod(TLocMethod::Linear);
    const TSourceResult r = LocateEvent(layout, std::vector<TArrival>{{1, 300}, {2, 1300}});
    ASSERT_TRUE(r.Located);
    EXPECT_EQ(r.Pipe, "Pipe01");
    EXPECT_NEAR(r.Position, 2500, 1e-9);

    // Two sensors of one channel: refused, the layout stays as it was.
    AddSensor(*pipe, owner, 1, 5);
    const TSensorLayout before = layout;
    EXPECT_FALSE(PlaceSensorsFromSchema(schema, layout, error));
    EXPECT_EQ(error, "Duplicate Channel 1");
    EXPECT_TRUE(layout == before);
}
