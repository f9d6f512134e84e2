// The source-location processor in a tree: database (or an in-memory stream) -> location ->
// source location -> table, its records, its options in the project and its refusals.

#include "common/TestData.h"
#include "drivers/RegisterDriversClasses.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "persist/TNodePersist.h"
#include "processing/IProcessorContext.h"
#include "processing/TGVCPUMemorySource.h"
#include "processing/db/RegisterDbClasses.h"
#include "processing/db/TGVDb.h"
#include "processing/location/RegisterLocationClasses.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vorelt;
using namespace vorelt::test;

namespace {

struct TNoContext : IProcessorContext {
    IIDGenerator* IDGenerator() override { return nullptr; }
    IUserPrompt* Prompt() override { return nullptr; }
    void TopMessage(TAEOMSG&) override {}
};

TSensorLayout PlateLayout() {
    TSensorLayout layout;
    std::string error;
    const double place[4][2] = {{600, 600}, {150, 600}, {150, 150}, {600, 150}};
    for (int c = 1; c <= 4; ++c)
        EXPECT_TRUE(layout.Add(SensorAt(c, place[c - 1][0], place[c - 1][1]), error));
    return layout;
}

std::unique_ptr<TGVCPUMemorySource> HitStream() {
    auto source = std::make_unique<TGVCPUMemorySource>();
    auto set = std::make_unique<TAEFields>();
    set->SetName("Database Fields");
    set->Add(NewStandardField(fidTime, dtExtended));
    set->Add(NewStandardField(fidChan, dtInteger));
    set->Add(NewStandardField(fidAmpl, dtExtended));
    source->AddSourceSet(std::move(set));
    return source;
}

// The hits of a source at (x, y) on the plate at t0 µs, in order of arrival.
void AddSource(TGVCPUMemorySource& s, const TSensorLayout& layout, double x, double y, double t0) {
    std::vector<std::pair<double, int>> arrivals;
    for (const TSensor& sensor : layout.Sensors())
        arrivals.push_back(
            {t0 + std::hypot(sensor.X - x, sensor.Y - y) / layout.VelocityMmPerUs(), sensor.Chan});
    std::sort(arrivals.begin(), arrivals.end());
    for (const auto& [t, chan] : arrivals) {
        const int32_t i = s.AddRecord(rkHit);
        s.SetValue(i, 0, t);
        s.SetValue(i, 1, chan);
        s.SetValue(i, 2, 60);
    }
}

TGVCPULoc* AddLocation(TGVCPU& parent, int32_t window) {
    auto* loc = parent.AddNew<TGVCPULoc>();
    loc->SetName("LC01");
    auto algorithm = std::make_unique<TLocOutMPT>();
    algorithm->SetLockOut(window);
    algorithm->SetMPT(window);
    loc->SetAlgorithm(std::move(algorithm));
    return loc;
}

const TAEField& F(const TAERecord& r, const char* id) {
    const TAEField* f = r.FindByID(id);
    EXPECT_NE(f, nullptr) << id;
    static auto none = NewStandardField(fidNone, dtInteger);
    return f ? *f : *none;
}

} // namespace

TEST(SourceLocationProcessor, SteelPlateThroughDatabaseLocationAndTable) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", file);
    RegisterDriversClasses();
    RegisterDbClasses();
    RegisterLocationClasses();
    RegisterTableClasses();
    TTempDir dir;
    TNoContext context;
    TGVDb db;
    db.SetContext(&context);
    std::string message;
    ASSERT_TRUE(db.ChangeDataFile(CopyToTemp(file, dir), message)) << message;
    TGVCPULoc* loc = AddLocation(db, 200);
    auto* source = loc->AddNew<TGVCPUSourceLoc>();
    source->SetLayout(PlateLayout());
    auto* table = source->AddNew<TGVCPUTbl>();
    for (const char* id : {fidTime, fidChan, fidSourceX, fidSourceY, fidLocUncertainty,
                           fidSensorsUsed, fidLocated, fidEventsInCircle, fidSourcePipe}) {
        TAEField* f = table->FindField(id);
        ASSERT_NE(f, nullptr) << id;
        table->Data().AddColumn(*f);
    }
    table->Data().SetTypeRec(0);
    std::string error;
    ASSERT_TRUE(table->Data().LoadRows(error)) << error;
    // One event of four hits: one row, the event's first hit (channel 3).
    ASSERT_EQ(table->Data().Rows().size(), 1u);
    TAERecord record;
    table->PrepareRecord(record);
    TAEPNav nav;
    ASSERT_TRUE(table->FetchRow(nav, record, 0, table->Data().Rows()[0]));
    EXPECT_EQ(F(record, fidChan).GetAsInt64(), 3);
    EXPECT_NEAR(static_cast<double>(F(record, fidSourceX).GetAsFloat()), 221.65, 0.01);
    EXPECT_NEAR(static_cast<double>(F(record, fidSourceY).GetAsFloat()), 365.66, 0.01);
    EXPECT_NEAR(static_cast<double>(F(record, fidLocUncertainty).GetAsFloat()), 1.116, 0.01);
    EXPECT_EQ(F(record, fidSensorsUsed).GetAsInt64(), 4);
    EXPECT_EQ(F(record, fidLocated).GetAsInt64(), 1);
    EXPECT_EQ(F(record, fidEventsInCircle).GetAsInt64(), 1);
    EXPECT_TRUE(F(record, fidSourcePipe).IsNull());
    ASSERT_EQ(source->Events().size(), 1u);
    EXPECT_EQ(source->Events()[0].Hits, 4);
}

TEST(SourceLocationProcessor, OneRecordPerEventWithClustersAndUnlocatedEvents) {
    RegisterLocationClasses();
    const TSensorLayout layout = PlateLayout();
    std::unique_ptr<TGVCPUMemorySource> stream = HitStream();
    // Three sources within an inch, one far away, then an event of two hits only.
    AddSource(*stream, layout, 300, 300, 1000);
    AddSource(*stream, layout, 306, 300, 3000);
    AddSource(*stream, layout, 300, 306, 5000);
    stream->AddRecord(rkTimeMark);
    AddSource(*stream, layout, 500, 200, 7000);
    for (int c : {1, 2}) {
        const int32_t i = stream->AddRecord(rkHit);
        stream->SetValue(i, 0, 9000 + c);
        stream->SetValue(i, 1, c);
    }
    TGVCPULoc* loc = AddLocation(*stream, 200);
    auto* source = loc->AddNew<TGVCPUSourceLoc>();
    source->SetLayout(layout);
    TAERecord record;
    source->PrepareRecord(record);
    TAEPNav nav;
    EXPECT_EQ(source->RecordCount(nav, record), 5);
    std::vector<int64_t> inCircle, located, used;
    std::vector<int32_t> own;
    for (int32_t i = source->FirstRecord(nav, record, -1); i >= 0;) {
        source->ReadRecord(nav, record, i);
        own.push_back(i);
        inCircle.push_back(F(record, fidEventsInCircle).GetAsInt64());
        located.push_back(F(record, fidLocated).GetAsInt64());
        used.push_back(F(record, fidSensorsUsed).GetAsInt64());
        if (located.back() == 0) {
            EXPECT_TRUE(F(record, fidSourceX).IsNull());
        }
        const int32_t next = source->NextRecord(nav, record, i);
        if (nav.Out.Status & nsEndForward) break;
        i = next;
    }
    EXPECT_EQ(inCircle, (std::vector<int64_t>{3, 3, 3, 1, 0}));
    EXPECT_EQ(located, (std::vector<int64_t>{1, 1, 1, 1, 0}));
    EXPECT_EQ(used, (std::vector<int64_t>{4, 4, 4, 4, 2}));
    // Own event i is the first hit of event i in the location processor's stream.
    std::vector<int32_t> list = {3};
    source->ListToParent(list);
    EXPECT_EQ(list, (std::vector<int32_t>{13}));
    source->ListFromParent(list);
    EXPECT_EQ(list, (std::vector<int32_t>{3}));
    list = {1};
    source->ListFromParent(list);
    EXPECT_TRUE(list.empty());
    // A smaller circle separates the cluster.
    ASSERT_TRUE(source->SetCircleDiameter(10));
    source->FirstRecord(nav, record, -1);
    EXPECT_EQ(source->Events()[0].InCircle, 1);
    EXPECT_FALSE(source->SetCircleDiameter(0));
}

TEST(SourceLocationProcessor, OptionsSurviveTheProjectAndOldNodesKeepDefaults) {
    RegisterLocationClasses();
    TGVCPUSourceLoc saved;
    TSensorLayout layout = PlateLayout();
    std::string error;
    ASSERT_TRUE(layout.SetVelocity(3200, error));
    layout.SetMethod(TLocMethod::Linear);
    saved.SetLayout(layout);
    ASSERT_TRUE(saved.SetCircleDiameter(50.8));
    TNodePersist node("OBJ");
    saved.SaveToNode(node);
    TGVCPUSourceLoc loaded;
    loaded.LoadFromNode(node);
    EXPECT_TRUE(loaded.Layout() == layout);
    EXPECT_DOUBLE_EQ(loaded.CircleDiameter(), 50.8);
    EXPECT_EQ(loaded.OwnFields().Count(), saved.OwnFields().Count());

    // A node saved before the processor had options.
    TNodePersist old("OBJ");
    old.AddItem("ClassName", "TGVCPUSourceLoc");
    TGVCPUSourceLoc fromOld;
    fromOld.LoadFromNode(old);
    EXPECT_TRUE(fromOld.Layout() == TSensorLayout());
    EXPECT_DOUBLE_EQ(fromOld.CircleDiameter(), DefaultClusterDiameter);
    EXPECT_EQ(fromOld.Kind(), &pkSourceLoc);
    EXPECT_TRUE(fromOld.KindFlags() & kfBelowLocation);
}

TEST(SourceLocationProcessor, RefusedBelowAnUnlocatedBranch) {
    RegisterLocationClasses();
    std::unique_ptr<TGVCPUMemorySource> stream = HitStream();
    TGVCPUSourceLoc candidate;
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&candidate, stream.get()));
    TGVCPULoc* loc = AddLocation(*stream, 0);
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(&candidate, loc));
}

TEST(SourceLocationProcessor, PickedArrivalsComeFromTheWaveforms) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", file);
    RegisterDriversClasses();
    RegisterDbClasses();
    RegisterLocationClasses();
    TTempDir dir;
    std::string tradb = file;
    tradb.replace(tradb.size() - 5, 5, "tradb");
    const std::string copy = CopyToTemp(file, dir);
    CopyToTemp(tradb, dir);
    TNoContext context;
    TGVDb db;
    db.SetContext(&context);
    std::string message;
    ASSERT_TRUE(db.ChangeDataFile(copy, message)) << message;
    TGVCPULoc* loc = AddLocation(db, 200);
    auto* source = loc->AddNew<TGVCPUSourceLoc>();
    TSensorLayout layout = PlateLayout();
    source->SetLayout(layout);
    ASSERT_TRUE(source->EnsureComputed()) << source->ErrorText();
    ASSERT_EQ(source->Events().size(), 1u);
    const TSourceEvent byHits = source->Events()[0];
    layout.SetArrival(TArrivalSource::PickedArrival);
    source->SetLayout(layout);
    ASSERT_TRUE(source->EnsureComputed()) << source->ErrorText();
    ASSERT_EQ(source->Events().size(), 1u);
    const TSourceEvent byPicks = source->Events()[0];
    ASSERT_TRUE(byPicks.Located);
    EXPECT_EQ(byPicks.SensorsUsed, 4);
    // The picks sit before the threshold crossings by different amounts on each channel.
    EXPECT_NE(byPicks.X, byHits.X);
}
