// What a stored graph may ask of the data: series and bin counts beyond any real graph are
// refused when the project is read, and a bin count far above the number of members costs
// memory by the members, not by the count.

#include "GraphTestSupport.h"

#include "model/TAEFieldIDs.h"
#include "persist/TErrors.h"
#include "persist/TNodeLookups.h"
#include "persist/TNodePersist.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TSeriesGr.h"
#include "viewmodel/graph/TGraphFill.h"

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// A graph processor's node whose view holds `series` series with this BinNum.
std::unique_ptr<TNodePersist> GraphNode(int series, const std::string& binNum) {
    auto node = std::make_unique<TNodePersist>("OBJ");
    node->AddItem("ClassName", "TGVCPUGr");
    TNodePersist* view = node->AddNode("VisualClass");
    view->SetLine(10);
    TNodePersist* list = view->AddNode("SeriesAixs")->AddNode("Serieses");
    list->SetLine(20);
    for (int i = 0; i < series; ++i) {
        TNodePersist* s = list->AddNode("Series");
        s->SetLine(30 + i);
        s->AddItem("ClassName", "TSeriesGr");
        s->AddItem("BinNum", binNum, 31 + i);
        s->AddItem("BinNumType", "0", 32 + i);
    }
    return node;
}

std::string LoadError(const TNodePersist& node) {
    TGVCPUGr graph;
    TNodeLookups::Start();
    try {
        graph.LoadFromNode(node);
    } catch (const std::exception& e) {
        return TNodeLookups::Explain(e, node);
    }
    return {};
}

} // namespace

TEST(GraphLimits, SeriesAndBinCountsBeyondAnyGraphAreRefusedWithTheirPlace) {
    EXPECT_EQ(LoadError(*GraphNode(3, "100")), "");
    EXPECT_EQ(LoadError(*GraphNode(static_cast<int>(MaxGraphSeries), "1048576")), "");
    // Five thousand series made a 2,000-hit export take minutes.
    EXPECT_EQ(LoadError(*GraphNode(5000, "100")),
              "more than 256 series: element \"Serieses\" at line 20 expects at most 256 series");
    // The count that hung the tools, and those that are no count.
    for (const char* bad : {"2147483647", "-1", "1e4000", "1048577"})
        EXPECT_EQ(LoadError(*GraphNode(2, bad)),
                  std::string("'") + bad +
                      "' is not a valid bin count: item \"BinNum\" of element \"Series\" at line "
                      "31 expects a bin count from 0 to 1048576")
            << bad;
}

namespace {

struct TSparseBins : ::testing::Test {
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
        series.SetBinNum(1000000);
    }
    void Add(long double x, uint8_t channel) {
        TGraphDataPoint p;
        p.Position = static_cast<int32_t>(points.size());
        p.X = x;
        p.LeftY = 1;
        p.LeftNull = false;
        p.Channel = channel;
        points.push_back(p);
    }
    void Fill() {
        TGraphRun run;
        run.Left = &left;
        run.Right = &right;
        run.Bottom = &bottom;
        run.Points = &points;
        for (int32_t i = 0; i < static_cast<int32_t>(points.size()); ++i)
            series.Accept(run, i, record);
        series.ComputeBinCount(run);
        const std::vector<int32_t> channels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        series.PrepareLists(channels, 1);
        series.Aggregate(run, 1);
        for (TFakeAxis* a : {&left, &bottom, &right})
            a->AxisFinishRange();
        for (TFakeAxis* a : {&left, &bottom, &right})
            a->AxisFinishCurrentRange();
        series.PrepareLists(channels, 2);
        series.Aggregate(run, 2);
        series.BuildPoints(run);
    }
};

} // namespace

TEST_F(TSparseBins, AMillionBinsOverThreeValuesKeepThreeBinsAndTheGapsBetween) {
    series.SetTypeSeries(stHistigram);
    Add(0, 1);
    Add(50, 2);
    Add(99.99995L, 1);
    Fill();
    ASSERT_EQ(series.BinCount(), 1000000);
    // A million bins for each of twelve channels and all took 800 MB.
    size_t kept = 0;
    for (const auto& list : series.BinLists())
        kept += list.size();
    EXPECT_LE(kept, 13u * 7u);
    const auto& all = series.BinLists()[0];
    std::vector<const TGraphBin*> full;
    for (const TGraphBin& b : all)
        if (b.Count != 0) full.push_back(&b);
    ASSERT_EQ(full.size(), 3u);
    EXPECT_DOUBLE_EQ(static_cast<double>(full[1]->Start), 50.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(full[1]->End), 50.0001);
    EXPECT_DOUBLE_EQ(static_cast<double>(full[2]->End), 100.0);
    // The bins cover the axis without a hole: each starts where the one before ends.
    EXPECT_DOUBLE_EQ(static_cast<double>(all.front().Start), 0.0);
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_DOUBLE_EQ(static_cast<double>(all[i].Start), static_cast<double>(all[i - 1].End));
}

TEST_F(TSparseBins, CumulationCarriesTheSumOverTheGaps) {
    series.SetTypeSeries(stLineGraph);
    series.SetBinCumulation(bcMinMax);
    Add(0, 1);
    Add(50, 1);
    Add(99.99995L, 1);
    Fill();
    std::vector<long double> values;
    for (const TGraphBin& b : series.BinLists()[0])
        values.push_back(b.Value);
    EXPECT_EQ(values, (std::vector<long double>{1, 1, 2, 2, 3}));
}
