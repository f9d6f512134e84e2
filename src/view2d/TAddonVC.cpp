#include "view2d/TAddonVC.h"

#include "persist/TNodePersist.h"
#include "persist/TTextHelpers.h"
#include "processing/TGVCPU.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"

namespace vorelt {

TAddonVC::TAddonVC(TGVCPU* source, TGraphVC* graph) : FSource(source), FGraph(graph) {}

std::string TAddonVC::GetID() const {
    return FSource ? FSource->ID() : std::string();
}

void TAddonVC::SetEnabled(bool v) {
    if (v == FEnabled) return;
    FEnabled = v;
    if (!v) Clear();
}

void TAddonVC::Changed(bool propagate) {
    if (FSource) FSource->Changed(propagate);
}

void TAddonVC::RedrawContainer() {
    if (FGraph && FGraph->Container()) FGraph->Container()->RedrawObjects();
}

void TAddonVC::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("ID", GetID());
    node.AddItem("Enabled", FEnabled ? "1" : "0");
}

void TAddonVC::LoadFromNode(const TNodePersist& node) {
    if (node.IndexOfItem("Enabled") >= 0) SetEnabled(Trim(node.GetValue("Enabled")) == "1");
}

} // namespace vorelt
