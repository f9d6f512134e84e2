#pragma once
// A layout: the ordered field sets a record carries at one point of the processing tree.
// Sets added by pointer are only referred to (their declarers own them); sets added as
// unique_ptr are owned by the layout (inside a record) and freed by Clear or destruction.

#include "model/TAEFields.h"
#include "persist/TPersistObject.h"

#include <memory>
#include <string_view>
#include <vector>

namespace vorelt {

class TAEListFields : public TPersistObject {
public:
    TAEListFields() = default;
    TAEListFields(const TAEListFields&) = delete;
    TAEListFields& operator=(const TAEListFields&) = delete;

    std::string ClassName() const override { return "TAEListFields"; }
    // A layout is rebuilt by code; it keeps nothing of its own in files.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist&) override {}

    int Count() const { return static_cast<int>(FSets.size()); }
    TAEFields* Get(int i) const {
        return i >= 0 && i < Count() ? FSets[static_cast<size_t>(i)] : nullptr;
    }
    // Appends a reference to a set owned elsewhere.
    void Add(TAEFields* set);
    // Appends a set that the layout owns from now on; returns it.
    TAEFields* Add(std::unique_ptr<TAEFields> set);

    // Flat positions number the fields of all sets in order.
    int FieldCount() const;
    // None when n is outside.
    TAEField* FieldAt(int n) const;
    int IndexOfID(std::string_view id) const;
    TAEField* FindByName(std::string_view name) const;
    TAEField* FindByID(std::string_view id) const;

    // Empties the list and frees the sets it owns; referenced sets stay with their owners.
    void Clear();
    void ClearValues();

private:
    std::vector<TAEFields*> FSets;
    std::vector<std::unique_ptr<TAEFields>> FOwned;
};

} // namespace vorelt
