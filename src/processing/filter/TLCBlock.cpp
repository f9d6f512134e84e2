#include "processing/filter/TLCBlock.h"

#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/ILCOwner.h"

namespace vorelt {

namespace {

struct TOpText {
    uint8_t Op;
    const char* Key;
    const char* Caption;
};

constexpr TOpText OpTexts[] = {
    {lcAnd, "AND", "( AND )"},
    {lcOr, "OR", "( OR )"},
    {lcNotAnd, "NOT_AND", "NOT ( AND )"},
    {lcNotOr, "NOT_OR", "NOT ( OR )"},
};

} // namespace

std::string_view BlockOperationKey(uint8_t op) {
    for (const TOpText& t : OpTexts)
        if (t.Op == op) return t.Key;
    return {};
}

uint8_t BlockOperationOfKey(std::string_view key) {
    for (const TOpText& t : OpTexts)
        if (key == t.Key) return t.Op;
    return 0;
}

std::string_view BlockOperationCaption(uint8_t op) {
    for (const TOpText& t : OpTexts)
        if (t.Op == op) return t.Caption;
    return {};
}

void TLCBlock::SetOperation(uint8_t op) {
    if (BlockOperationKey(op).empty()) return;
    FOperation = op;
}

void TLCBlock::Clear() {
    TLogicalCondition::Clear();
    FOperation = lcAnd;
}

void TLCBlock::SaveBlockItems(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("TypeElem", std::string(BlockOperationKey(FOperation)));
}

void TLCBlock::SaveToNode(TNodePersist& node) const {
    SaveBlockItems(node);
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToNode(*node.AddNode("LogCond"));
}

void TLCBlock::LoadFromNode(const TNodePersist& node) {
    if (uint8_t op = BlockOperationOfKey(Trim(node.GetValue("TypeElem")))) FOperation = op;
    TLogicalCondition::LoadFromNode(node);
}

std::string TLCBlock::GetCaption() const {
    std::string s(BlockOperationCaption(FOperation));
    if (Count() == 0) s += " Empty Logical Conditions List";
    return s;
}

std::string TLCBlock::GetText() const {
    std::string s = IsNegated() ? "NOT ( " : "( ";
    if (Count() == 0) return IsNegated() ? "NOT ( )" : "( )";
    const char* joint = IsConjunction() ? " AND " : " OR ";
    for (int i = 0; i < Count(); ++i) {
        if (i > 0) s += joint;
        s += Items(i)->GetText();
    }
    return s + " )";
}

bool TLCBlock::EvaluateChildren(const TAERecord& record) {
    bool value;
    if (IsConjunction()) {
        value = true;
        for (const auto& child : FChildren) {
            if (!child->Evaluate(record)) {
                value = false;
                break;
            }
        }
    } else {
        // Every child is evaluated, so a failing later child fails the record even after an
        // earlier true one.
        value = false;
        for (const auto& child : FChildren)
            value = child->Evaluate(record) || value;
    }
    return IsNegated() ? !value : value;
}

bool TLCBlock::Evaluate(const TAERecord& record) {
    EnsureBound(record);
    if (FChildren.empty()) {
        ILCOwner* owner = GetOwner();
        throw EAEError(std::string("Filter") + " " + "Error" + " " +
                       (owner ? owner->ConditionOwnerName() : std::string()));
    }
    return EvaluateChildren(record);
}

std::unique_ptr<TLogicalCondition> TLCBlock::Clone() const {
    auto clone = std::make_unique<TLCBlock>();
    CopyTo(*clone);
    clone->SetOperation(FOperation);
    return clone;
}

TLCBase::TLCBase(ILCOwner* owner) : FOwner(owner) {
    SetEditFlags(efRoot);
}

void TLCBase::Clear() {
    TLCBlock::Clear();
    SetEditFlags(efRoot);
}

void TLCBase::Changed(bool propagate) {
    if (FOwner) FOwner->ConditionChanged(propagate);
}

bool TLCBase::Evaluate(const TAERecord& record) {
    EnsureBound(record);
    if (FChildren.empty()) return true;
    return EvaluateChildren(record);
}

std::unique_ptr<TLogicalCondition> TLCBase::Clone() const {
    auto clone = std::make_unique<TLCBase>(FOwner);
    CopyTo(*clone);
    clone->SetOperation(Operation());
    return clone;
}

} // namespace vorelt
