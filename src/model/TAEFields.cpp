#include "model/TAEFields.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <utility>

namespace vorelt {

TAEField* TAEFields::Add(std::unique_ptr<TAEField> field) {
    if (!field) return nullptr;
    field->SetOwner(this);
    FItems.push_back(std::move(field));
    return FItems.back().get();
}

void TAEFields::Delete(int i) {
    if (i >= 0 && i < Count()) FItems.erase(FItems.begin() + i);
}

std::unique_ptr<TAEField> TAEFields::Extract(int i) {
    if (i < 0 || i >= Count()) return nullptr;
    std::unique_ptr<TAEField> field = std::move(FItems[static_cast<size_t>(i)]);
    FItems.erase(FItems.begin() + i);
    field->SetOwner(nullptr);
    return field;
}

void TAEFields::Exchange(int i, int j) {
    if (i >= 0 && i < Count() && j >= 0 && j < Count())
        std::swap(FItems[static_cast<size_t>(i)], FItems[static_cast<size_t>(j)]);
}

int TAEFields::IndexOfName(std::string_view name) const {
    std::string key = UpperCase(Trim(name));
    for (int i = 0; i < Count(); ++i)
        if (UpperCase(Trim(FItems[static_cast<size_t>(i)]->FieldName())) == key) return i;
    return -1;
}

TAEField* TAEFields::FindByName(std::string_view name) const {
    return Get(IndexOfName(name));
}

int TAEFields::IndexOfID(std::string_view id) const {
    if (id.empty()) return -1;
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)]->ID() == id) return i;
    return -1;
}

TAEField* TAEFields::FindByID(std::string_view id) const {
    return Get(IndexOfID(id));
}

bool TAEFields::IsIDFree(std::string_view id) const {
    for (const auto& f : FItems)
        if (!f->IDDiffers(id)) return false;
    return true;
}

bool TAEFields::IsNameFree(std::string_view name) const {
    for (const auto& f : FItems)
        if (!f->NameDiffers(name)) return false;
    return true;
}

void TAEFields::ClearValues() {
    for (const auto& f : FItems)
        f->Clear();
}

void TAEFields::SetLocked(bool flag) {
    for (const auto& f : FItems)
        f->SetLocked(flag);
}

void TAEFields::AssignID(bool renew, IIDGenerator& generator) {
    for (const auto& f : FItems)
        f->AssignID(renew, generator);
}

std::unique_ptr<TAEFields> TAEFields::Clone(int mode) const {
    auto clone = std::make_unique<TAEFields>(FOwner);
    clone->FName = FName;
    clone->FKind = FKind;
    clone->FItems.reserve(FItems.size());
    for (const auto& f : FItems)
        clone->Add(f->Clone(mode));
    return clone;
}

void TAEFields::SaveToNode(TNodePersist& node) const {
    for (const auto& f : FItems)
        if (!f->HasFlag(ffSystem)) f->SaveToNode(*node.AddNode("FIELD"));
}

void TAEFields::LoadFromNode(const TNodePersist& node) {
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (!SameTextTrimmed(child.Name(), "FIELD")) continue;
        std::string className = child.GetValue("ClassName");
        if (className.empty() || !TClassRegistry::Instance().IsRegistered(className)) continue;
        std::string fieldName = child.GetValue("FieldName");
        if (fieldName.empty()) continue;
        if (TAEField* existing = FindByName(fieldName)) {
            existing->LoadFromNode(child);
            continue;
        }
        std::unique_ptr<TAEField> field = TClassRegistry::Instance().CreateAs<TAEField>(className);
        if (!field) continue; // registered, but not a field class
        Add(std::move(field))->LoadFromNode(child);
    }
}

} // namespace vorelt
