#include "persist/TNodePersist.h"
#include "processing/db/ITestGraph.h"

#include <algorithm>

namespace vorelt {

namespace {

bool NodeMentions(const TNodePersist& node, std::string_view id) {
    for (const RecParam& item : node.Items())
        if (item.Value.find(id) != std::string::npos) return true;
    for (int i = 0; i < node.NodeCount(); ++i)
        if (NodeMentions(*node.Node(i), id)) return true;
    return false;
}

} // namespace

TSavedTestGraph::TSavedTestGraph() = default;
TSavedTestGraph::~TSavedTestGraph() = default;

bool TSavedTestGraph::UsesField(std::string_view id) const {
    return FNode && id.size() == 16 && NodeMentions(*FNode, id);
}

void TSavedTestGraph::CollectFieldUses(std::string_view id, std::vector<std::string>& lines) const {
    if (!UsesField(id)) return;
    const std::string line = "Test Graph";
    auto at = std::lower_bound(lines.begin(), lines.end(), line);
    if (at == lines.end() || *at != line) lines.insert(at, line);
}

void TSavedTestGraph::SaveToNode(TNodePersist& node) const {
    if (!FNode) return;
    const std::string name = node.Name();
    node.CopyFrom(*FNode);
    node.SetName(name);
}

void TSavedTestGraph::LoadFromNode(const TNodePersist& node) {
    FNode = node.CloneTree();
}

} // namespace vorelt
