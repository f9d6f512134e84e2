#include "processing/filter/TLogicalCondition.h"

#include "model/TAERecord.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/ILCOwner.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"

#include <algorithm>

namespace vorelt {

TLogicalCondition::~TLogicalCondition() = default;

ILCOwner* TLogicalCondition::GetOwner() const {
    return FParent ? FParent->GetOwner() : nullptr;
}

void TLogicalCondition::Clear() {
    FChildren.clear();
    FParent = nullptr;
    FEditFlags = 0;
    Unbind();
}

void TLogicalCondition::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    for (const auto& child : FChildren)
        child->SaveToNode(*node.AddNode("LogCond"));
}

std::unique_ptr<TLogicalCondition>
TLogicalCondition::CreateChild(const std::string& className) const {
    std::unique_ptr<TLogicalCondition> child =
        TClassRegistry::Instance().CreateAs<TLogicalCondition>(className);
    if (!child) return nullptr;
    // A root class saved inside a tree would cut the owner chain of its subtree; it is read
    // as the plain block it acts as there.
    if (dynamic_cast<TLCBlock*>(child.get()) && child->ClassName() != "TLCBlock")
        return std::make_unique<TLCBlock>();
    return child;
}

void TLogicalCondition::LoadFromNode(const TNodePersist& node) {
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist* sub = node.Node(i);
        if (!SameTextTrimmed(sub->Name(), "LogCond")) continue;
        std::unique_ptr<TLogicalCondition> child = CreateChild(sub->GetValue("ClassName"));
        if (!child) continue;
        TLogicalCondition* added = Add(std::move(child));
        added->LoadFromNode(*sub);
    }
}

void TLogicalCondition::Changed(bool propagate) {
    if (FParent) FParent->Changed(propagate);
}

void TLogicalCondition::Bind(const TAEListFields& layout, const TGVVariants* variants) {
    for (const auto& child : FChildren)
        child->Bind(layout, variants);
    FBound = true;
}

void TLogicalCondition::EnsureBound(const TAERecord& record) {
    if (FBound) return;
    ILCOwner* owner = GetOwner();
    Bind(record.Fields(), owner ? owner->ConditionVariants() : nullptr);
}

void TLogicalCondition::CopyTo(TLogicalCondition& target) const {
    target.Clear();
    target.FParent = FParent;
    target.FEditFlags = FEditFlags;
    for (const auto& child : FChildren)
        target.Add(child->Clone());
}

bool TLogicalCondition::CollectUses(std::string_view id, std::vector<std::string>& lines,
                                    const std::string& suffix) const {
    bool found = false;
    for (const auto& child : FChildren)
        found = child->CollectUses(id, lines, suffix) || found;
    return found;
}

bool TLogicalCondition::ReferencesId(std::string_view id) const {
    return std::any_of(FChildren.begin(), FChildren.end(),
                       [id](const auto& child) { return child->ReferencesId(id); });
}

bool TLogicalCondition::RemoveReferences(std::string_view id) {
    for (int i = Count() - 1; i >= 0; --i) {
        if (FChildren[static_cast<size_t>(i)]->RemoveReferences(id)) DeleteChild(i);
    }
    return false;
}

TLogicalCondition* TLogicalCondition::Add(std::unique_ptr<TLogicalCondition> child) {
    child->FParent = this;
    FChildren.push_back(std::move(child));
    Unbind();
    return FChildren.back().get();
}

int TLogicalCondition::IndexOf(const TLogicalCondition* child) const {
    for (int i = 0; i < Count(); ++i)
        if (FChildren[static_cast<size_t>(i)].get() == child) return i;
    return -1;
}

void TLogicalCondition::DeleteChild(int i) {
    if (i < 0 || i >= Count()) return;
    FChildren.erase(FChildren.begin() + i);
    Unbind();
}

std::unique_ptr<TLogicalCondition> TLogicalCondition::Detach() {
    if (!FParent) return nullptr;
    TLogicalCondition* parent = FParent;
    int i = parent->IndexOf(this);
    if (i < 0) return nullptr;
    std::unique_ptr<TLogicalCondition> self = std::move(parent->FChildren[static_cast<size_t>(i)]);
    parent->FChildren.erase(parent->FChildren.begin() + i);
    parent->Unbind();
    FParent = nullptr;
    return self;
}

bool TLogicalCondition::MoveTo(TLogicalCondition& newParent) {
    // A node moved into its own subtree would own itself.
    if (Contains(&newParent)) return false;
    std::unique_ptr<TLogicalCondition> self = Detach();
    if (!self) return false;
    newParent.Add(std::move(self));
    return true;
}

bool TLogicalCondition::Contains(const TLogicalCondition* node) const {
    for (const TLogicalCondition* p = node; p; p = p->FParent)
        if (p == this) return true;
    return false;
}

void TLogicalCondition::Unbind() {
    for (TLogicalCondition* p = this; p; p = p->FParent)
        p->FBound = false;
}

bool AddSortedLine(std::vector<std::string>& lines, const std::string& line) {
    auto it = std::lower_bound(lines.begin(), lines.end(), line);
    if (it == lines.end() || *it != line) lines.insert(it, line);
    return true;
}

} // namespace vorelt
