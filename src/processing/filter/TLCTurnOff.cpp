#include "processing/filter/TLCTurnOff.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/ILCOwner.h"

namespace vorelt {

TLCTurnOff::TLCTurnOff(ILCOwner* owner) : FOwner(owner) {
    SetEditFlags(efRoot);
}

void TLCTurnOff::Clear() {
    TLCBlock::Clear();
    SetEditFlags(efRoot);
    FDeltaBefore = 0;
    FDeltaAfter = 0;
}

void TLCTurnOff::SaveToNode(TNodePersist& node) const {
    SaveBlockItems(node);
    node.AddItem("TypeElem", std::string(BlockOperationKey(Operation())));
    node.AddItem("DeltaBefore", IntToStr(FDeltaBefore));
    node.AddItem("DeltaAfter", IntToStr(FDeltaAfter));
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToNode(*node.AddNode("LogCond"));
}

void TLCTurnOff::LoadFromNode(const TNodePersist& node) {
    TLCBlock::LoadFromNode(node);
    int32_t n;
    if (node.IndexOfItem("DeltaBefore") >= 0 && TryStrToInt(Trim(node.GetValue("DeltaBefore")), n))
        FDeltaBefore = n;
    if (node.IndexOfItem("DeltaAfter") >= 0 && TryStrToInt(Trim(node.GetValue("DeltaAfter")), n))
        FDeltaAfter = n;
}

void TLCTurnOff::Changed(bool propagate) {
    if (FOwner) FOwner->ConditionChanged(propagate);
}

bool TLCTurnOff::Evaluate(const TAERecord& record) {
    EnsureBound(record);
    if (FChildren.empty()) return true;
    return EvaluateChildren(record);
}

std::unique_ptr<TLogicalCondition> TLCTurnOff::Clone() const {
    auto clone = std::make_unique<TLCTurnOff>(FOwner);
    CopyTo(*clone);
    clone->SetOperation(Operation());
    clone->FDeltaBefore = FDeltaBefore;
    clone->FDeltaAfter = FDeltaAfter;
    return clone;
}

} // namespace vorelt
