#include "model/TAERecord.h"

#include "model/TAEFieldValue.h"

#include "persist/TNodePersist.h"

namespace vorelt {

void TAERecord::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
}

void TAERecord::Clear() {
    FFlat.clear();
    FFields.Clear();
    FKind = 0;
    FIndex = -1;
    FRecFlags = 0;
}

void TAERecord::ClearValues() {
    for (TAEField* f : FFlat)
        ClearFieldValue(*f);
}

TAEFields* TAERecord::AddFields(std::unique_ptr<TAEFields> set) {
    TAEFields* added = FFields.Add(std::move(set));
    if (added)
        for (int i = 0; i < added->Count(); ++i)
            FFlat.push_back(added->Get(i));
    return added;
}

void TAERecord::BuildForLayout(const TAEListFields& layout) {
    Clear();
    FFlat.reserve(static_cast<size_t>(layout.FieldCount()));
    for (int i = 0; i < layout.Count(); ++i)
        AddFields(layout.Get(i)->Clone(cmWorking));
}

void TAERecord::RebuildFlat() {
    FFlat.clear();
    for (int s = 0; s < FFields.Count(); ++s) {
        TAEFields* set = FFields.Get(s);
        for (int i = 0; i < set->Count(); ++i)
            FFlat.push_back(set->Get(i));
    }
}

} // namespace vorelt
