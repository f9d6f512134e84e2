#include "processing/TGVCPUPlaceholder.h"

#include "persist/TTextHelpers.h"

#include <algorithm>

namespace vorelt {

namespace {

void CollectIDs(const TNodePersist& node, std::vector<std::string>& ids) {
    for (const RecParam& item : node.Items())
        if (!item.Value.empty() && SameText(item.Name, "ID") &&
            std::find(ids.begin(), ids.end(), item.Value) == ids.end())
            ids.push_back(item.Value);
    for (int i = 0; i < node.NodeCount(); ++i)
        CollectIDs(*node.Node(i), ids);
}

} // namespace

TGVCPUPlaceholder::TGVCPUPlaceholder(const TNodePersist& node) {
    Take(node);
}

void TGVCPUPlaceholder::Take(const TNodePersist& node) {
    FNode = node.CloneTree();
    FSavedClass = node.GetValue("ClassName");
    FID = node.GetValue("ID");
    FSavedIDs.clear();
    CollectIDs(node, FSavedIDs);
    FName = FSavedClass;
    const TProcessorKind* kind = FindProcessorKind(FSavedClass);
    FImageIndex = kind ? kind->ImageIndex : -1;
    // Its children live inside the saved node; it takes none of its own and is never the
    // root.
    FKindFlags = static_cast<uint8_t>(((kind ? kind->KindFlags : 0) | kfFinal) & ~kfDatabase);
}

bool TGVCPUPlaceholder::IsIDFree(std::string_view id) const {
    if (FID == id) return false;
    return std::find(FSavedIDs.begin(), FSavedIDs.end(), id) == FSavedIDs.end();
}

bool TGVCPUPlaceholder::ForEachID(const TIDCallback& callback) const {
    for (const std::string& id : FSavedIDs)
        if (id != FID) callback(id);
    return callback(FID);
}

void TGVCPUPlaceholder::SaveToNode(TNodePersist& node) const {
    node.CopyFrom(*FNode);
}

void TGVCPUPlaceholder::LoadFromNode(const TNodePersist& node) {
    if (&node != FNode.get()) Take(node);
}

int32_t TGVCPUPlaceholder::FirstRecord(TAEPNav& nav, TAERecord&, int32_t) {
    nav.Out.Message.clear();
    nav.Out.EventFlags = 0;
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TGVCPUPlaceholder::LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    return FirstRecord(nav, record, start);
}

} // namespace vorelt
