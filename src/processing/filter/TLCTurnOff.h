#pragma once
// The root block of a turn-off filter: a root condition with the time window, in microseconds,
// that a triggering hit removes around itself.

#include "processing/filter/TLCBlock.h"

namespace vorelt {

class TLCTurnOff : public TLCBlock {
public:
    // Operation AND, edit flags of a root, both windows 0.
    explicit TLCTurnOff(ILCOwner* owner = nullptr);
    std::string ClassName() const override { return "TLCTurnOff"; }

    ILCOwner* GetOwner() const override { return FOwner; }
    void SetOwner(ILCOwner* owner) { FOwner = owner; }
    int32_t DeltaBefore() const { return FDeltaBefore; }
    void SetDeltaBefore(int32_t us) { FDeltaBefore = us; }
    int32_t DeltaAfter() const { return FDeltaAfter; }
    void SetDeltaAfter(int32_t us) { FDeltaAfter = us; }

    // Children removed, windows 0; stays the undeletable root of its owner.
    void Clear() override;
    // The block's items, a second "TypeElem" (readers take the first), "DeltaBefore",
    // "DeltaAfter", then the children.
    void SaveToNode(TNodePersist& node) const override;
    // "DeltaBefore" and "DeltaAfter" are taken when they read as integers.
    void LoadFromNode(const TNodePersist& node) override;
    void Changed(bool propagate) override;
    // An empty root is true: with no condition every hit triggers.
    bool Evaluate(const TAERecord& record) override;
    std::unique_ptr<TLogicalCondition> Clone() const override;

private:
    ILCOwner* FOwner;
    int32_t FDeltaBefore = 0;
    int32_t FDeltaAfter = 0;
};

} // namespace vorelt
