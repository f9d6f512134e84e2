#include "processing/graph/TGVCPUGr.h"

#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TViewNodeCopy.h"
#include "processing/filter/TFilterCommon.h"
#include "processing/graph/IGraphView.h"
#include "processing/graph/TGraphTypes.h"
#include "processing/graph/TSeriesGr.h"

#include <cmath>

namespace vorelt {

namespace {

TGVCPUGr::TViewFactory& Factory() {
    static TGVCPUGr::TViewFactory factory;
    return factory;
}

constexpr char NodeVisualClass[] = "VisualClass";

// What the stored view asks of the data: each series is a pass over the branch's records and
// each bin a cell per channel, so a view that asks for more than any graph can show is refused
// before it is built.
void CheckViewNode(const TNodePersist& view) {
    const TNodePersist* axis = view.FindNode("SeriesAixs");
    if (!axis) return;
    for (int i = 0; i < axis->NodeCount(); ++i) {
        const TNodePersist& list = *axis->Node(i);
        if (!SameTextTrimmed(list.Name(), "Serieses")) continue;
        int count = 0;
        for (int k = 0; k < list.NodeCount(); ++k) {
            const TNodePersist& item = *list.Node(k);
            if (!SameTextTrimmed(item.Name(), "Series")) continue;
            if (++count > static_cast<int>(MaxGraphSeries))
                throw EAEError("more than " + std::to_string(MaxGraphSeries) +
                               " series: " + list.Where() + " expects at most " +
                               std::to_string(MaxGraphSeries) + " series");
            if (item.IndexOfItem("BinNum") < 0) continue;
            int32_t type = bnCount;
            if (!TryStrToInt(Trim(item.GetValue("BinNumType")), type)) type = bnCount;
            const std::string text = item.GetValue("BinNum");
            long double bins = 0;
            // Texts that are no number keep the default, as they always did.
            if (!TryStrToFloat(Trim(text), bins)) continue;
            if (type == bnValueInc) {
                if (!std::isfinite(bins))
                    throw EConvertError("'" + text + "' is not a valid bin width",
                                        "a finite number", "BinNum");
            } else if (!std::isfinite(bins) || bins < 0 || bins > MaxBinCount) {
                throw EConvertError("'" + text + "' is not a valid bin count",
                                    "a bin count from 0 to " + std::to_string(MaxBinCount),
                                    "BinNum");
            }
        }
    }
}

} // namespace

void TGVCPUGr::SetViewFactory(TViewFactory factory) {
    Factory() = std::move(factory);
}

TGVCPUGr::TGVCPUGr() : TGVFinal(pkGr) {
    if (Factory()) SetView(Factory()(*this));
}

TGVCPUGr::~TGVCPUGr() {
    // The view refers to the processor; it goes first.
    FView.reset();
}

IGraphView* TGVCPUGr::GraphView() const {
    return dynamic_cast<IGraphView*>(FView.get());
}

std::string TGVCPUGr::GetName() const {
    if (IGraphView* view = GraphView()) return view->GraphCaption();
    return FName;
}

void TGVCPUGr::CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                                bool deep) const {
    TGVFinal::CollectFieldUses(id, lines, deep);
    if (IGraphView* view = GraphView()) view->ReportFieldUse(id, lines);
}

bool TGVCPUGr::DeclaresField(std::string_view id, bool deep) const {
    if (TGVFinal::DeclaresField(id, deep)) return true;
    IGraphView* view = GraphView();
    return view && view->UsesField(id);
}

void TGVCPUGr::FieldChanged(std::string_view id) {
    TGVFinal::FieldChanged(id);
    if (IGraphView* view = GraphView(); view && view->UsesField(id)) DispatchDataChanged();
}

void TGVCPUGr::RemoveField(std::string_view id) {
    TGVFinal::RemoveField(id);
    if (IGraphView* view = GraphView()) view->RemoveGraphField(id);
}

const TGVVariants* TGVCPUGr::ConditionVariants() const {
    return ProjectVariantsOf(const_cast<TGVCPUGr&>(*this));
}

void TGVCPUGr::SaveToNode(TNodePersist& node) const {
    TGVFinal::SaveToNode(node);
    node.AddItem("FirstHit", FFirstHitOnly ? "1" : "0");
    TNodePersist* visual = node.AddNode(NodeVisualClass);
    if (FView) {
        FView->SaveView(*visual);
        return;
    }
    // Without a view the view's node goes back as it came.
    CopyViewNode(*visual, FViewNode.get(), "TGraphVC");
}

void TGVCPUGr::LoadFromNode(const TNodePersist& node) {
    TGVFinal::LoadFromNode(node);
    if (node.IndexOfItem("FirstHit") >= 0) SetFirstHitOnly(Trim(node.GetValue("FirstHit")) == "1");
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (!SameTextTrimmed(child.Name(), NodeVisualClass)) continue;
        CheckViewNode(child);
        if (FView)
            FView->LoadView(child);
        else
            FViewNode = child.CloneTree();
    }
}

} // namespace vorelt
