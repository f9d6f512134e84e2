#include "persist/TGVProperties.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <utility>

namespace vorelt {

std::unique_ptr<TAESaveProperty> TGVProperties::Clone() const {
    auto copy = std::make_unique<TGVProperties>(Name());
    for (const auto& p : FItems)
        copy->FItems.push_back(p->Clone());
    copy->FItemIndex = FItemIndex;
    return copy;
}

TAESaveProperty* TGVProperties::Get(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return FItems[size_t(i)].get();
}

int TGVProperties::Add(std::unique_ptr<TAESaveProperty> property) {
    if (!property) return -1;
    FItems.push_back(std::move(property));
    return Count() - 1;
}

void TGVProperties::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    FItems.erase(FItems.begin() + i);
    if (FItemIndex >= Count()) FItemIndex = Count() - 1;
}

int TGVProperties::IndexOfName(std::string_view name) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (SameTextTrimmed(FItems[i]->Name(), name)) return static_cast<int>(i);
    return -1;
}

TAESaveProperty* TGVProperties::FindByName(std::string_view name) const {
    return Get(IndexOfName(name));
}

void TGVProperties::Exchange(int i, int j) {
    if (i < 0 || i >= Count() || j < 0 || j >= Count()) return;
    std::swap(FItems[size_t(i)], FItems[size_t(j)]);
}

void TGVProperties::SetItemIndex(int i) {
    if (i >= 0 && i < Count()) FItemIndex = i;
}

void TGVProperties::Clear() {
    FItems.clear();
    FItemIndex = -1;
}

void TGVProperties::SaveToNode(TNodePersist& node) const {
    TAESaveProperty::SaveToNode(node);
    for (const auto& p : FItems)
        p->SaveToNode(*node.AddNode("PROPERTY"));
}

void TGVProperties::LoadFromNode(const TNodePersist& node) {
    TAESaveProperty::LoadFromNode(node);
    const TClassRegistry& registry = TClassRegistry::Instance();
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist* child = node.Node(i);
        if (!SameTextTrimmed(child->Name(), "PROPERTY")) continue;
        std::string className = child->GetValue("ClassName");
        std::string name = child->GetValue("Name");
        if (!registry.IsRegistered(className) || Trim(name).empty()) continue;
        if (TAESaveProperty* existing = FindByName(name)) {
            existing->LoadFromNode(*child);
            continue;
        }
        std::unique_ptr<TAESaveProperty> created = registry.CreateAs<TAESaveProperty>(className);
        if (!created) continue; // registered, but not a property
        created->LoadFromNode(*child);
        Add(std::move(created));
    }
}

} // namespace vorelt
