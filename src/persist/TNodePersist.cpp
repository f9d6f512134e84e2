#include "persist/TNodePersist.h"

#include "persist/TNodeLookups.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

TNodePersist::TNodePersist(std::string name) : FName(std::move(name)) {}

std::string TNodePersist::Where() const {
    std::string s = "element \"" + FName + "\"";
    if (FLine > 0) s += " at line " + std::to_string(FLine);
    return s;
}

TNodePersist* TNodePersist::AddNode(std::string name) {
    auto node = std::make_unique<TNodePersist>(std::move(name));
    return AdoptNode(std::move(node));
}

TNodePersist* TNodePersist::AdoptNode(std::unique_ptr<TNodePersist> node) {
    node->FParent = this;
    FNodes.push_back(std::move(node));
    return FNodes.back().get();
}

std::unique_ptr<TNodePersist> TNodePersist::TakeNode(int i) {
    if (i < 0 || i >= NodeCount()) return nullptr;
    std::unique_ptr<TNodePersist> node = std::move(FNodes[size_t(i)]);
    FNodes.erase(FNodes.begin() + i);
    node->FParent = nullptr;
    return node;
}

void TNodePersist::AddItem(std::string name, std::string value, int line) {
    FItems.push_back({std::move(name), std::move(value), line});
}

int TNodePersist::IndexOfItem(std::string_view name) const {
    std::string key = UpperCase(Trim(name));
    for (size_t i = 0; i < FItems.size(); ++i)
        if (UpperCase(Trim(FItems[i].Name)) == key) return static_cast<int>(i);
    return -1;
}

std::string TNodePersist::GetValue(std::string_view name) const {
    int i = IndexOfItem(name);
    if (i < 0) return {};
    TNodeLookups::Note(*this, i);
    return FItems[size_t(i)].Value;
}

int TNodePersist::IndexOfNode(std::string_view name) const {
    std::string key = UpperCase(Trim(name));
    for (size_t i = 0; i < FNodes.size(); ++i)
        if (UpperCase(Trim(FNodes[i]->FName)) == key) return static_cast<int>(i);
    return -1;
}

TNodePersist* TNodePersist::FindNode(std::string_view name) const {
    int i = IndexOfNode(name);
    return i < 0 ? nullptr : FNodes[size_t(i)].get();
}

TNodePersist* TNodePersist::Node(int i) const {
    if (i < 0 || i >= NodeCount()) return nullptr;
    return FNodes[size_t(i)].get();
}

std::string TNodePersist::ItemName(int i) const {
    if (i < 0 || i >= ItemCount()) return {};
    return FItems[size_t(i)].Name;
}

std::string TNodePersist::ItemValue(int i) const {
    if (i < 0 || i >= ItemCount()) return {};
    return FItems[size_t(i)].Value;
}

std::unique_ptr<TNodePersist> TNodePersist::CloneTree() const {
    auto copy = std::make_unique<TNodePersist>(FName);
    copy->CopyFrom(*this);
    return copy;
}

void TNodePersist::CopyFrom(const TNodePersist& other) {
    if (&other == this) return;
    Clear();
    FItems = other.FItems;
    FLine = other.FLine;
    for (const auto& child : other.FNodes)
        AdoptNode(child->CloneTree());
}

bool TNodePersist::SameTree(const TNodePersist& other) const {
    if (FName != other.FName || FItems.size() != other.FItems.size() ||
        FNodes.size() != other.FNodes.size())
        return false;
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Name != other.FItems[i].Name || FItems[i].Value != other.FItems[i].Value)
            return false;
    for (size_t i = 0; i < FNodes.size(); ++i)
        if (!FNodes[i]->SameTree(*other.FNodes[i])) return false;
    return true;
}

} // namespace vorelt
