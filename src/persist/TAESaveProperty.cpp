#include "persist/TAESaveProperty.h"

#include "persist/TNodePersist.h"

namespace vorelt {

void TAESaveProperty::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Name", FName);
}

void TAESaveProperty::LoadFromNode(const TNodePersist& node) {
    std::string name = node.GetValue("Name");
    if (!name.empty()) FName = std::move(name);
}

} // namespace vorelt
