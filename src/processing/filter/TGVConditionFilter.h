#pragma once
// The base of the filtering processors: an on/off switch and a root condition that belong to
// the processor, with what they bring along: saving and loading both, the display title,
// answering for the fields the condition uses, and owning the condition. What the derived
// filter built from the condition is its own; the base only tells it when that has to go.

#include "processing/TGVCPU.h"
#include "processing/filter/ILCOwner.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCTurnOff.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

// TRoot: the root block class the filter keeps (constructed with the filter as its owner).
template <class TRoot> class TGVConditionFilter : public TGVSource, public ILCOwner {
public:
    bool EnabledFilter() const { return FEnabled; }
    // Changed (true) follows a change.
    void SetEnabledFilter(bool enabled);
    TRoot& Condition() { return FRoot; }
    const TRoot& Condition() const { return FRoot; }

    // The name, or "title [name]" when the "Title" property is not empty.
    std::string GetName() const override;
    // Also clears the condition and sets the switch back to the class's initial setting.
    void Reset() override;
    // The processor's items, then "EnabledFilter" and the child "LogCons" with the root.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    // Also true when the condition refers to `id` and (not deep, or the filter is enabled).
    bool DeclaresField(std::string_view id, bool deep) const override;
    // A field the condition refers to sends 0x401 to the processor itself.
    void FieldChanged(std::string_view id) override;
    // The condition drops its references to the field.
    void RemoveField(std::string_view id) override;
    void Changed(bool propagate) override;

    // ILCOwner
    std::string ConditionOwnerName() const override { return FName; }
    const TAEField* ConditionField(std::string_view id) const override { return FindField(id); }
    const TGVVariants* ConditionVariants() const override;
    void ConditionChanged(bool propagate) override { Changed(propagate); }

protected:
    TGVConditionFilter(const TProcessorKind& kind, bool enabledInitially);

    // What the derived filter drew from the condition, the layout or the tree is stale.
    // `treeChanged` is false when only a field went away: the processor's place in the tree
    // is the same then.
    virtual void DropResults(bool treeChanged) = 0;

    const bool FEnabledInitially;
    bool FEnabled;
    TRoot FRoot;
};

extern template class TGVConditionFilter<TLCBase>;
extern template class TGVConditionFilter<TLCTurnOff>;

} // namespace vorelt
