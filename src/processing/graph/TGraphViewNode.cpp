#include "processing/graph/TGraphViewNode.h"

#include "model/TAEField.h"
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
    // The axis takes saved bounds only in pairs; an automatic one is emptied by every fill.
    const bool fixedMin = plan.Like && plan.FixedMin;
    const bool fixedMax = plan.Like && plan.FixedMax;
    if (fixedMin || fixedMax)
        for (const auto& [name, value] :
             {std::pair{"MinValue", plan.Min}, {"MaxValue", plan.Max}}) {
            std::unique_ptr<TAEField> v = plan.Like->Clone(cmConstant);
            v->SetFlags(static_cast<uint16_t>(v->Flags() | ffPersistValue));
            v->SetAsFloat(value);
            v->SaveToNode(*node.AddNode(name));
        }
    node.AddItem("AutoMin", fixedMin ? "0" : "1");
    node.AddItem("AutoMax", fixedMax ? "0" : "1");
    node.AddItem("ShowMarkValue", "0");
    // "1" linear, "0" logarithmic.
    node.AddItem("TypeScale", plan.Logarithmic ? "0" : "1");
    if (!plan.Legend.empty()) {
        TGVProperties props;
        props.AddNew<TGVStringProperty>("Legend")->SetAsString(plan.Legend);
        props.SaveToNode(*node.AddNode("Properties"));
    }
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
