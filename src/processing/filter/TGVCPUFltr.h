#pragma once
// The filtering processor: passes on its parent's stream, hiding the AE hits for which its
// condition does not hold. Positions are the parent's; no fields are added or changed. The
// hits of a located event pass or fail together: a member is judged on its event's first hit.

#include "processing/TGVCPU.h"
#include "processing/filter/ILCOwner.h"
#include "processing/filter/TLCBlock.h"

#include <utility>
#include <vector>

namespace vorelt {

class TGVCPUFltr : public TGVSource, public ILCOwner {
public:
    TGVCPUFltr();
    std::string ClassName() const override { return "TGVCPUFltr"; }

    bool EnabledFilter() const { return FEnabled; }
    // Changed (true) follows a change.
    void SetEnabledFilter(bool enabled);
    TLCBase& Condition() { return FRoot; }
    const TLCBase& Condition() const { return FRoot; }

    // The name, or "title [name]" when the "Title" property is not empty.
    std::string GetName() const override;
    void Reset() override;
    // The processor's items, then "EnabledFilter" and the child "LogCons" with the root.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    // Also true when the condition refers to `id` and (not deep, or the filter is enabled).
    bool DeclaresField(std::string_view id, bool deep) const override;
    void FieldChanged(std::string_view id) override;
    void RemoveField(std::string_view id) override;
    void Changed(bool propagate) override;
    void Dispatch(TAEOMSG& msg) override;

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;

    // ILCOwner
    std::string ConditionOwnerName() const override { return FName; }
    const TAEField* ConditionField(std::string_view id) const override { return FindField(id); }
    const TGVVariants* ConditionVariants() const override;
    void ConditionChanged(bool propagate) override { Changed(propagate); }

private:
    // Readies the scratch record, the flat positions and the condition for the current
    // layout; `rebind` also re-reads comparison values (variants may have changed).
    void PrepareTest(bool rebind);
    // Whether the parent's record at `index` passes; `nav` holds the parent's answer for it.
    bool Passes(const TAEPNav& nav, int32_t index);
    // An index of the processor that declares the first-hit field, in the parent's space;
    // -1 when a processor in between does not hold it.
    int32_t FirstHitInParent(int64_t index);
    // Walk ends: no record passed.
    static int32_t NoRecord(TAEPNav& nav, uint8_t status);
    static int32_t Aborted(TAEPNav& nav, const char* text);
    void Invalidate();

    bool FEnabled = true;
    TLCBase FRoot;

    // Test state, rebuilt when the layout changes.
    bool FReady = false;
    std::vector<std::pair<const TAEFields*, int>> FSignature;
    int FIdxFirstHitPos = -1;
    // Processors between the first-hit declarer and this filter, top first; their index spaces
    // the event's first-hit index is carried through.
    std::vector<TGVCPU*> FRenumbering;
    std::vector<int32_t> FScratchList;
    int32_t FCachedFirstHit = -1;
    bool FCachedResult = false;
};

} // namespace vorelt
