#include "processing/graph3d/TGVCPUGr3D.h"

#include "model/TAEField.h"
#include "model/TAEIDGenerator.h"
#include "persist/IIDGenerator.h"
#include "persist/TNodePersist.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/TViewNodeCopy.h"
#include "processing/graph3d/IGraph3DView.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace vorelt {

namespace {

TGVCPUGr3D::TViewFactory& Factory() {
    static TGVCPUGr3D::TViewFactory factory;
    return factory;
}

constexpr char NodeVisualClass[] = "VisualClass";

} // namespace

void TGVCPUGr3D::SetViewFactory(TViewFactory factory) {
    Factory() = std::move(factory);
}

TGVCPUGr3D::TGVCPUGr3D()
    : TGVFinal(pkGr3D), FData(*this),
      FNumberState(
          std::random_device{}() ^
          static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
    if (Factory()) SetView(Factory()(*this));
}

TGVCPUGr3D::~TGVCPUGr3D() {
    // The view refers to the processor and its data; it goes first.
    FView.reset();
}

IGraph3DView* TGVCPUGr3D::Graph3DView() const {
    return dynamic_cast<IGraph3DView*>(FView.get());
}

std::string TGVCPUGr3D::GetName() const {
    if (IGraph3DView* view = Graph3DView()) return view->Graph3DCaption();
    return FName;
}

bool TGVCPUGr3D::CollectRecords() {
    std::string error;
    if (FData.Collect(*this, IsLocated() && FFirstHitOnly != 0, error)) return true;
    AddError(error);
    return false;
}

int32_t TGVCPUGr3D::ReadyWithoutView() {
    return FData.Schema() ? -1 : 1;
}

bool TGVCPUGr3D::IsNumberFree(int32_t n) const {
    if (!TGVFinal::IsNumberFree(n)) return false;
    return !FData.Schema() || FData.Schema()->IsIdglFree(n);
}

void TGVCPUGr3D::CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                                  bool deep) const {
    TGVFinal::CollectFieldUses(id, lines, deep);
    if (!FData.UsesField(id)) return;
    const TAEField* field = FindField(id);
    const std::string line =
        "Field: " + (field ? field->FieldName() : std::string()) + "[" + FName + "]";
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
}

bool TGVCPUGr3D::DeclaresField(std::string_view id, bool deep) const {
    return TGVFinal::DeclaresField(id, deep) || (!deep && FData.UsesField(id));
}

void TGVCPUGr3D::FieldChanged(std::string_view id) {
    TGVFinal::FieldChanged(id);
    if (FData.UsesField(id)) DispatchDataChanged();
}

void TGVCPUGr3D::RemoveField(std::string_view id) {
    TGVFinal::RemoveField(id);
    FData.RemoveField(id);
}

void TGVCPUGr3D::SaveToNode(TNodePersist& node) const {
    TGVFinal::SaveToNode(node);
    node.AddItem("FirstHit", FFirstHitOnly ? "1" : "0");
    TNodePersist* visual = node.AddNode(NodeVisualClass);
    if (FView) {
        FView->SaveView(*visual);
        return;
    }
    // Without a view the parts that belong to the view's classes go back as they came.
    CopyViewClassName(*visual, FViewNode.get(), "TGraph3DVC");
    visual->AddItem(ItemShowActivity, FData.ShowActivity() ? "1" : "0");
    CopyViewPart(*visual, FViewNode.get(), "Properties");
    FData.SaveSchema(*visual);
    CopyViewPart(*visual, FViewNode.get(), "SlaveWindow");
    FData.SaveInfoFields(*visual);
}

void TGVCPUGr3D::LoadFromNode(const TNodePersist& node) {
    TGVFinal::LoadFromNode(node);
    if (node.IndexOfItem("FirstHit") >= 0) SetFirstHitOnly(Trim(node.GetValue("FirstHit")) == "1");
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (!SameTextTrimmed(child.Name(), NodeVisualClass)) continue;
        if (FView) {
            FView->LoadView(child);
            continue;
        }
        FViewNode = child.CloneTree();
        if (child.IndexOfItem(ItemShowActivity) >= 0)
            FData.SetShowActivity(Trim(child.GetValue(ItemShowActivity)) != "0");
        for (int k = 0; k < child.NodeCount(); ++k) {
            const TNodePersist& part = *child.Node(k);
            if (SameTextTrimmed(part.Name(), NodeSchema))
                FData.LoadSchema(part, Top());
            else if (SameTextTrimmed(part.Name(), NodeFieldsInfo))
                FData.LoadInfoFields(part);
        }
    }
}

void TGVCPUGr3D::SchemaChanged(TAEOBJ3D&) {
    // Settings of the graph changed; the records it collected stay valid.
    TGVFinal::Changed(false);
    if (IGraph3DView* view = Graph3DView()) view->Graph3DSchemaChanged();
}

std::string TGVCPUGr3D::NewObjectID() {
    if (IProcessorContext* context = Context())
        if (IIDGenerator* generator = context->IDGenerator()) return generator->NewID();
    // Without a project the tree and the schema are all there is to keep apart.
    const TGVCPU* top = Top();
    TAEIDGenerator local(
        [this, top](const std::string& id) {
            return !top->IsIDFree(id) || (FData.Schema() && !FData.Schema()->IsIdFree(id));
        },
        FNumberState++);
    return local.NewID();
}

int32_t TGVCPUGr3D::NewIDGL() {
    const TGVCPU* top = Top();
    for (;;) {
        // splitmix64: cheap and well spread; the numbers only need to be free.
        uint64_t z = (FNumberState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        const int32_t n = static_cast<int32_t>(1 + z % 2147483646ull);
        if (top->IsNumberFree(n)) return n;
    }
}

} // namespace vorelt
