#include "processing/graph/TGraphViewNode.h"

#include "persist/TGVProperties.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"

namespace vorelt {

namespace {

void AxisNode(TNodePersist& node, int kind, const TGraphAxisPlan& plan) {
    node.AddItem("ClassName", "TGrAixs");
    node.AddItem("Type", IntToStr(kind));
    node.AddItem("FieldID", plan.FieldId);
    node.AddItem("AutoMin", "1");
    node.AddItem("AutoMax", "1");
    node.AddItem("ShowMarkValue", "0");
    // "1" linear, "0" logarithmic.
    node.AddItem("TypeScale", plan.Logarithmic ? "0" : "1");
}

const char* ObjectClass(uint8_t type) {
    switch (type) {
    case stHistigram:
        return "THistigramAEVObject";
    case stLineGraph:
    case stLinePointToPoint:
        return "TGraphLineAEVObject";
    default:
        return "TGraphPointAEVObject";
    }
}

} // namespace

std::unique_ptr<TNodePersist> MakeGraphViewNode(const TGraphViewPlan& plan) {
    auto node = std::make_unique<TNodePersist>("VisualClass");
    node->AddItem("ClassName", "TGraphVC");
    if (!plan.Title.empty()) {
        TGVProperties props;
        props.AddNew<TGVStringProperty>("Title")->SetAsString(plan.Title);
        props.SaveToNode(*node->AddNode("Properties"));
    }
    node->AddItem("EnableRightAixs", "0");
    AxisNode(*node->AddNode("LeftAixs"), 0, plan.Left);
    TNodePersist* right = node->AddNode("RightAixs");
    right->AddItem("ClassName", "TGrAixs");
    right->AddItem("Type", "2");
    AxisNode(*node->AddNode("BottomAixs"), 1, plan.Bottom);
    TSeriesGrList list;
    for (const TGraphSeriesPlan& p : plan.Series) {
        auto s = std::make_unique<TSeriesGr>();
        s->SetTypeSeries(p.Type);
        s->SetColor(p.Color);
        s->SetBinNum(p.BinNum);
        s->SetBinSumType(p.BinSumType);
        s->SetCenterBin(p.CenterBin);
        s->SetSplittingChan(p.SplittingChan);
        list.Add(std::move(s));
    }
    TNodePersist* series = node->AddNode("SeriesAixs");
    list.SaveToNode(*series);
    // Every series names the class of its drawn object.
    if (TNodePersist* items = series->FindNode("Serieses"))
        for (int i = 0; i < items->NodeCount() && i < list.Count(); ++i)
            items->Node(i)
                ->AddNode("AEVObject")
                ->AddItem("ClassName", ObjectClass(list.Get(i)->TypeSeries()));
    return node;
}

} // namespace vorelt
