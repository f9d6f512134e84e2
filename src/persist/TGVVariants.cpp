#include "persist/TGVVariants.h"

#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

TGVVariant* TGVVariants::Get(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return FItems[size_t(i)].get();
}

int TGVVariants::Add(std::unique_ptr<TGVVariant> variant) {
    if (!variant) return -1;
    FItems.push_back(std::move(variant));
    return Count() - 1;
}

void TGVVariants::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    FItems.erase(FItems.begin() + i);
}

int TGVVariants::IndexOfID(std::string_view id) const {
    if (Trim(id).empty()) return -1;
    for (size_t i = 0; i < FItems.size(); ++i)
        if (SameTextTrimmed(FItems[i]->ID(), id)) return static_cast<int>(i);
    return -1;
}

TGVVariant* TGVVariants::FindByID(std::string_view id) const {
    return Get(IndexOfID(id));
}

std::string TGVVariants::FindIDByName(std::string_view name) const {
    for (const auto& v : FItems)
        if (SameText(v->GetDisplayName(), name)) return v->ID();
    return {};
}

bool TGVVariants::IsIDFree(std::string_view id) const {
    for (const auto& v : FItems)
        if (!v->IDDiffers(id)) return false;
    return true;
}

void TGVVariants::Clear() {
    FItems.clear();
}

long double TGVVariants::GetAsFloat() const {
    throw EInvalidOperation();
}
int64_t TGVVariants::GetAsInt64() const {
    throw EInvalidOperation();
}
std::string TGVVariants::GetAsString() const {
    throw EInvalidOperation();
}
bool TGVVariants::GetAsBoolean() const {
    throw EInvalidOperation();
}
void TGVVariants::SetAsFloat(long double) {
    throw EInvalidOperation();
}
void TGVVariants::SetAsInt64(int64_t) {
    throw EInvalidOperation();
}
void TGVVariants::SetAsString(const std::string&) {
    throw EInvalidOperation();
}
void TGVVariants::SetAsBoolean(bool) {
    throw EInvalidOperation();
}

void TGVVariants::SaveToNode(TNodePersist& node) const {
    TGVVariant::SaveToNode(node);
    for (const auto& v : FItems)
        v->SaveToNode(*node.AddNode("VARIANT"));
}

void TGVVariants::LoadFromNode(const TNodePersist& node) {
    TGVVariant::LoadFromNode(node);
    const TClassRegistry& registry = TClassRegistry::Instance();
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist* child = node.Node(i);
        if (!SameTextTrimmed(child->Name(), "VARIANT")) continue;
        std::string className = child->GetValue("ClassName");
        std::string id = child->GetValue("ID");
        if (!registry.IsRegistered(className) || Trim(id).empty()) continue;
        if (TGVVariant* existing = FindByID(id)) {
            existing->LoadFromNode(*child);
            continue;
        }
        std::unique_ptr<TGVVariant> created = registry.CreateAs<TGVVariant>(className);
        if (!created) continue; // registered, but not a variant
        created->LoadFromNode(*child);
        Add(std::move(created));
    }
}

} // namespace vorelt
