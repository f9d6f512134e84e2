#include "model/TAERecord.h"

#include "model/TAEFieldValue.h"

#include "persist/TNodePersist.h"

#include <atomic>
#include <typeinfo>

namespace vorelt {

void TAERecord::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
}

uint64_t TAERecord::NewLayoutStamp() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

void TAERecord::Clear() {
    FLayoutStamp = NewLayoutStamp();
    FFlat.clear();
    FTargets.clear();
    FWanted.clear();
    FWantedAt.clear();
    FHasDemand = false;
    FDemandStamp = NewLayoutStamp();
    FFields.Clear();
    FKind = 0;
    FIndex = -1;
    FRecFlags = 0;
}

void TAERecord::ClearValues() {
    // A null field holds the cleared value already; most fields of a message stay null.
    for (TAEField* f : FHasDemand ? FWanted : FFlat)
        if (!f->IsNull()) ClearFieldValue(*f);
}

TAEFields* TAERecord::AddFields(std::unique_ptr<TAEFields> set) {
    TAEFields* added = FFields.Add(std::move(set));
    FLayoutStamp = NewLayoutStamp();
    if (added)
        for (int i = 0; i < added->Count(); ++i)
            FFlat.push_back(added->Get(i));
    ClearDemand();
    return added;
}

void TAERecord::BuildForLayout(const TAEListFields& layout) {
    Clear();
    FFlat.reserve(static_cast<size_t>(layout.FieldCount()));
    for (int i = 0; i < layout.Count(); ++i)
        AddFields(layout.Get(i)->Clone(cmWorking));
}

void TAERecord::RebuildFlat() {
    FLayoutStamp = NewLayoutStamp();
    FFlat.clear();
    for (int s = 0; s < FFields.Count(); ++s) {
        TAEFields* set = FFields.Get(s);
        for (int i = 0; i < set->Count(); ++i)
            FFlat.push_back(set->Get(i));
    }
    ClearDemand();
}

void TAERecord::SetDemand(const std::vector<uint8_t>& wanted) {
    FTargets = FFlat;
    FWanted.clear();
    FWantedAt.clear();
    for (size_t i = 0; i < FTargets.size(); ++i) {
        if (i < wanted.size() && wanted[i] != 0) {
            FWanted.push_back(FFlat[i]);
            FWantedAt.push_back(static_cast<uint32_t>(i));
            continue;
        }
        FTargets[i] = nullptr;
        ClearFieldValue(*FFlat[i]);
    }
    FHasDemand = true;
    FDemandStamp = NewLayoutStamp();
}

void TAERecord::ClearDemand() {
    FTargets = FFlat;
    FWanted.clear();
    FWantedAt.clear();
    FHasDemand = false;
    FDemandStamp = NewLayoutStamp();
}

bool TAERecord::StartsWithLayoutOf(const TAERecord& prefix) const {
    if (prefix.FFlat.size() > FFlat.size()) return false;
    for (size_t i = 0; i < prefix.FFlat.size(); ++i) {
        const TAEField& a = *prefix.FFlat[i];
        const TAEField& b = *FFlat[i];
        if (typeid(a) != typeid(b) || a.ValueFamily() != b.ValueFamily() ||
            a.DataType() != b.DataType() || a.ID() != b.ID())
            return false;
    }
    return true;
}

void TAERecord::CopyValuesFrom(const TAERecord& prefix) {
    FKind = prefix.FKind;
    FIndex = prefix.FIndex;
    FRecFlags = prefix.FRecFlags;
    const size_t n = prefix.FFlat.size();
    if (FHasDemand) {
        // The others are null since the demand was set, or hold what no reader under it reads.
        for (const uint32_t i : FWantedAt)
            if (i < n)
                CopyFieldValue(*prefix.FFlat[i], *FFlat[i]);
            else
                ClearFieldValue(*FFlat[i]);
        return;
    }
    for (size_t i = 0; i < n; ++i)
        CopyFieldValue(*prefix.FFlat[i], *FFlat[i]);
    for (size_t i = n; i < FFlat.size(); ++i)
        ClearFieldValue(*FFlat[i]);
}

} // namespace vorelt
