#include "model/TAEListFields.h"

#include "persist/TNodePersist.h"

namespace vorelt {

void TAEListFields::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
}

void TAEListFields::Add(TAEFields* set) {
    if (set) FSets.push_back(set);
}

TAEFields* TAEListFields::Add(std::unique_ptr<TAEFields> set) {
    if (!set) return nullptr;
    FOwned.push_back(std::move(set));
    FSets.push_back(FOwned.back().get());
    return FSets.back();
}

int TAEListFields::FieldCount() const {
    int n = 0;
    for (const TAEFields* s : FSets)
        n += s->Count();
    return n;
}

TAEField* TAEListFields::FieldAt(int n) const {
    if (n < 0) return nullptr;
    for (const TAEFields* s : FSets) {
        if (n < s->Count()) return s->Get(n);
        n -= s->Count();
    }
    return nullptr;
}

int TAEListFields::IndexOfID(std::string_view id) const {
    int base = 0;
    for (const TAEFields* s : FSets) {
        int i = s->IndexOfID(id);
        if (i >= 0) return base + i;
        base += s->Count();
    }
    return -1;
}

TAEField* TAEListFields::FindByName(std::string_view name) const {
    for (const TAEFields* s : FSets)
        if (TAEField* f = s->FindByName(name)) return f;
    return nullptr;
}

TAEField* TAEListFields::FindByID(std::string_view id) const {
    for (const TAEFields* s : FSets)
        if (TAEField* f = s->FindByID(id)) return f;
    return nullptr;
}

void TAEListFields::Clear() {
    FSets.clear();
    FOwned.clear();
}

void TAEListFields::ClearValues() {
    for (TAEFields* s : FSets)
        s->ClearValues();
}

} // namespace vorelt
