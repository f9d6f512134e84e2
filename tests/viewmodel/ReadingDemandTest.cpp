// A reader that looks at only some fields: the record's demand, what the database processor
// adds for the fields it works out, and a graph fill through a filter that reads only what its
// axes and its series' conditions need and still gives what whole records give.

#include "DbTestDriver.h"
#include "GraphTestSupport.h"
#include "TestProcessors.h"
#include "common/TestData.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "processing/db/RegisterDbClasses.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TSeriesGr.h"
#include "viewmodel/graph/TGraphFill.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

using test::TTestMessage;

TEST(RecordDemand, TargetsOnlyWantedFieldsAndCopiesOnlyThem) {
    TAERecord source, reader;
    for (TAERecord* r : {&source, &reader}) {
        auto set = std::make_unique<TAEFields>();
        set->Add(NewStandardField(fidAmpl, dtInteger));
        set->Add(NewStandardField(fidTimeS, dtExtended));
        r->AddFields(std::move(set));
    }
    source.Field(0)->SetAsInt64(7);
    source.Field(1)->SetAsFloat(2.5L);
    reader.Field(1)->SetAsFloat(9);
    EXPECT_FALSE(reader.HasDemand());
    EXPECT_EQ(reader.Target(1), reader.Field(1));

    reader.SetDemand({1});
    EXPECT_EQ(reader.Target(0), reader.Field(0));
    EXPECT_EQ(reader.Target(1), nullptr);
    EXPECT_EQ(reader.Target(2), nullptr);
    // What is not wanted is emptied at once.
    EXPECT_TRUE(reader.Field(1)->IsNull());
    reader.CopyValuesFrom(source);
    EXPECT_EQ(reader.Field(0)->GetAsInt64(), 7);
    EXPECT_TRUE(reader.Field(1)->IsNull());
    reader.ClearValues();
    EXPECT_TRUE(reader.Field(0)->IsNull());

    // New fields end the demand.
    auto more = std::make_unique<TAEFields>();
    more->Add(NewStandardField(fidEnergy, dtExtended));
    reader.AddFields(std::move(more));
    EXPECT_FALSE(reader.HasDemand());
    EXPECT_EQ(reader.Target(1), reader.Field(1));
    reader.CopyValuesFrom(source);
    EXPECT_EQ(reader.Field(1)->GetAsFloat(), 2.5L);
}

// A database over the test format with a load line and a field scaled from Parametric1, a
// filter on Parametric1 and a graph below it.
class ReadingDemand : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDbClasses();
        RegisterFilterClasses();
        RegisterClass<TSeriesGr>("TSeriesGr");
        test::TTestDataDriver::Register();
        Db.SetContext(&Context);
        Root = &Db;
        std::vector<TTestMessage> messages;
        for (int k = 0; k < 40; ++k)
            messages.push_back(
                {k % 9 == 8 ? 5 : 1, IntToStr(5 * k), k % 7 == 3 ? "" : IntToStr(k % 5 - 1)});
        const std::string file = Dir.File("demand.tst");
        test::WriteFileBytes(file, test::TestDataText(messages));
        std::string message;
        ASSERT_TRUE(Db.ChangeDataFile(file, message)) << message;
        auto& points = Db.TestLoadLine().Points();
        points.AddPoint({0, 0});
        points.AddPoint({100, 10});
        points.AddPoint({200, 30});
        Pressure = Db.AddParametricField("Pressure", fidParametric1, 2, 1);
        Db.AssignIDs(false, *Context.IDGenerator());
        Filter = Db.AddNew<TGVCPUFltr>();
        Filter->Condition().Add(
            std::make_unique<TLCCondition>(fidParametric1, coGreaterOrEquals, "0"));
        Graph = Filter->AddNew<TGVCPUGr>();
    }

    // Flags for the fields of `record` with these IDs.
    static std::vector<uint8_t> Wanted(const TAERecord& record,
                                       std::initializer_list<std::string> ids) {
        std::vector<uint8_t> wanted(static_cast<size_t>(record.FieldCount()), 0);
        for (int i = 0; i < record.FieldCount(); ++i)
            for (const std::string& id : ids)
                if (record.Field(i)->ID() == id) wanted[static_cast<size_t>(i)] = 1;
        return wanted;
    }

    test::TTempDir Dir;
    TGVCPU* Root = nullptr;
    test::TTestContext Context{Root};
    TGVDb Db;
    TAEField* Pressure = nullptr;
    TGVCPUFltr* Filter = nullptr;
    TGVCPUGr* Graph = nullptr;
};

TEST_F(ReadingDemand, WorkedOutFieldsBringWhatTheyAreWorkedOutFrom) {
    TAERecord record;
    Graph->PrepareRecord(record);
    std::vector<uint8_t> wanted = Wanted(record, {fidCalcLoading, Pressure->ID()});
    EXPECT_TRUE(Graph->WidenDemand(record, wanted));
    EXPECT_TRUE(Filter->WidenDemand(record, wanted));
    EXPECT_TRUE(Db.WidenDemand(record, wanted));
    EXPECT_EQ(wanted, Wanted(record, {fidCalcLoading, Pressure->ID(), fidTimeS, fidParametric1}));
    // A processor that may read what it passes on cannot tell.
    EXPECT_FALSE(Db.AddNew<TGVCPU>()->WidenDemand(record, wanted));

    // Through the filter, under the demand, the wanted fields are those of whole records.
    TAERecord whole;
    Graph->PrepareRecord(whole);
    record.SetDemand(wanted);
    TAEPNav nav, wholeNav;
    int read = 0;
    for (int32_t i = Graph->FirstRecord(nav, record, -1); !(nav.Out.Status & nsEndForward);
         i = Graph->NextRecord(nav, record, i)) {
        Graph->ReadRecord(nav, record, i);
        Graph->ReadRecord(wholeNav, whole, i);
        for (int f = 0; f < whole.FieldCount(); ++f) {
            const bool w = wanted[static_cast<size_t>(f)] != 0;
            EXPECT_EQ(record.Field(f)->IsNull(), !w || whole.Field(f)->IsNull()) << i << " " << f;
            if (w) {
                EXPECT_EQ(record.Field(f)->GetAsString(), whole.Field(f)->GetAsString()) << i;
            }
        }
        ++read;
    }
    EXPECT_GT(read, 20);
}

// The filter judges on the loading, which the consumer does not want: its own record must
// still read the loading and the time it is worked out from.
TEST_F(ReadingDemand, TheFilterReadsWhatItsConditionNeedsBesidesWhatTheConsumerWants) {
    Filter->Condition().Clear();
    Filter->Condition().Add(std::make_unique<TLCCondition>(fidCalcLoading, coGreaterOrEquals, "5"));
    auto walk = [&](bool demand) {
        TAERecord record;
        Graph->PrepareRecord(record);
        if (demand) {
            std::vector<uint8_t> wanted = Wanted(record, {Pressure->ID()});
            EXPECT_TRUE(Db.WidenDemand(record, wanted));
            record.SetDemand(wanted);
        }
        const TAEField* pressure = record.FindByID(Pressure->ID());
        std::vector<std::string> out;
        TAEPNav nav;
        nav.Kinds = KindBit(rkHit);
        for (int32_t i = Graph->FirstRecord(nav, record, -1); !(nav.Out.Status & nsEndForward);
             i = Graph->NextRecord(nav, record, i)) {
            Graph->ReadRecord(nav, record, i);
            out.push_back(IntToStr(i) + ":" + (pressure->IsNull() ? "-" : pressure->GetAsString()));
        }
        return out;
    };
    const std::vector<std::string> whole = walk(false);
    EXPECT_EQ(whole.size(), 27u);
    EXPECT_EQ(walk(true), whole);
    // And whole again after it.
    EXPECT_EQ(walk(false), whole);
}

TEST_F(ReadingDemand, AGraphFillGivesWhatWholeRecordsGive) {
    test::TFakeAxis left, bottom, right;
    TSeriesGrList list;
    test::TFakeSeriesPoints object;
    left.FieldId = Pressure->ID();
    bottom.FieldId = fidCalcLoading;
    TSeriesGr* s = list.Add(std::make_unique<TSeriesGr>());
    s->SetObject(&object, "Fake");
    // A field on neither axis.
    s->SetEnabledFilter(true);
    s->LogCons().Add(std::make_unique<TLCCondition>(fidIndexRec, coGreaterOrEquals, "12"));
    TGraphFillRequest request;
    request.Processor = Graph;
    request.Axes.Left = &left;
    request.Axes.Bottom = &bottom;
    request.Axes.Right = &right;
    request.Series = &list;
    request.KeepMembers = true;
    TGraphFillResult result;
    ASSERT_TRUE(FillGraphRecords(request, result)) << result.Error;
    EXPECT_FALSE(Graph->Record().HasDemand());

    // The same from whole records read one by one.
    TAERecord whole;
    Graph->PrepareRecord(whole);
    const TAEField* loading = whole.FindByID(fidCalcLoading);
    const TAEField* pressure = whole.FindByID(Pressure->ID());
    const TAEField* index = whole.FindByID(fidIndexRec);
    std::vector<int32_t> positions, members;
    TAEPNav nav;
    nav.Kinds = GraphKinds;
    for (int32_t i = Graph->FirstRecord(nav, whole, -1); !(nav.Out.Status & nsEndForward);
         i = Graph->NextRecord(nav, whole, i)) {
        Graph->ReadRecord(nav, whole, i);
        if (loading->IsNull()) continue;
        const size_t k = positions.size();
        positions.push_back(i);
        ASSERT_LT(k, result.Points.size());
        EXPECT_EQ(result.Points[k].Position, i);
        EXPECT_EQ(result.Points[k].X, static_cast<double>(loading->GetAsFloat()));
        EXPECT_EQ(result.Points[k].LeftNull, pressure->IsNull());
        if (!pressure->IsNull()) {
            EXPECT_EQ(result.Points[k].LeftY, static_cast<double>(pressure->GetAsFloat()));
            if (whole.Kind() == rkHit && index->GetAsInt64() >= 12)
                members.push_back(static_cast<int32_t>(k));
        }
    }
    EXPECT_EQ(result.Points.size(), positions.size());
    EXPECT_EQ(s->Members(), members);
    EXPECT_FALSE(members.empty());
}

// Histograms alone keep no data point per record; one that keeps too few bottom values bins
// on a second walk over the same records, to the bins of one that keeps them all (the bins
// themselves are checked with the series).
TEST_F(ReadingDemand, HistogramsAloneKeepNoDataPoints) {
    test::TFakeAxis left, bottom, right;
    TSeriesGrList list;
    test::TFakeSeriesPoints kept, walked;
    left.FieldId = Pressure->ID();
    bottom.FieldId = fidCalcLoading;
    TSeriesGr* byValue = list.Add(std::make_unique<TSeriesGr>());
    TSeriesGr* again = list.Add(std::make_unique<TSeriesGr>());
    byValue->SetObject(&kept, "Fake");
    again->SetObject(&walked, "Fake");
    again->SetValueLimit(2);
    for (TSeriesGr* s : {byValue, again}) {
        s->SetTypeSeries(stHistigram);
        s->SetBinNum(7);
    }
    TGraphFillRequest request;
    request.Processor = Graph;
    request.Axes.Left = &left;
    request.Axes.Bottom = &bottom;
    request.Axes.Right = &right;
    request.Series = &list;
    TGraphFillResult result;
    ASSERT_TRUE(FillGraphRecords(request, result)) << result.Error;
    EXPECT_TRUE(result.Points.empty());
    EXPECT_GT(result.Records, 0);
    EXPECT_TRUE(again->NeedsSecondWalk());
    EXPECT_FALSE(byValue->NeedsSecondWalk());
    EXPECT_GT(byValue->Taken(), 2u);
    EXPECT_EQ(again->Taken(), byValue->Taken());
    ASSERT_EQ(byValue->BinLists().size(), again->BinLists().size());
    for (size_t k = 0; k < byValue->BinLists().size(); ++k) {
        const auto& a = byValue->BinLists()[k];
        const auto& b = again->BinLists()[k];
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].Count, b[i].Count) << k << " " << i;
            EXPECT_EQ(a[i].Value, b[i].Value) << k << " " << i;
        }
    }
    EXPECT_EQ(kept.Points.size(), walked.Points.size());
}

} // namespace
} // namespace vorelt
