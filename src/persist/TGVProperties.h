#pragma once
// A named, ordered list of properties that the list owns. Processors, views and dialogs keep
// their settings in such lists and look entries up by name.

#include "persist/TAESaveProperty.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TGVProperties : public TAESaveProperty {
public:
    explicit TGVProperties(std::string name = {}) : TAESaveProperty(std::move(name)) {}
    TGVProperties(const TGVProperties&) = delete;
    TGVProperties& operator=(const TGVProperties&) = delete;

    std::string ClassName() const override { return "TGVProperties"; }
    // Deep copy: every entry is cloned.
    std::unique_ptr<TAESaveProperty> Clone() const override;

    int Count() const { return static_cast<int>(FItems.size()); }
    // None when i is outside the list.
    TAESaveProperty* Get(int i) const;
    // Returns the position of the new entry.
    int Add(std::unique_ptr<TAESaveProperty> property);
    // Convenience for owners that build their lists: adds and returns the typed entry.
    template <class T> T* AddNew(std::string name) {
        auto p = std::make_unique<T>(std::move(name));
        T* raw = p.get();
        Add(std::move(p));
        return raw;
    }
    void Delete(int i);
    // Trimmed, case-insensitive; -1 when none.
    int IndexOfName(std::string_view name) const;
    TAESaveProperty* FindByName(std::string_view name) const;
    // The entry of that name when it is a T, none otherwise.
    template <class T> T* FindAs(std::string_view name) const {
        return dynamic_cast<T*>(FindByName(name));
    }
    void Exchange(int i, int j);

    // The current entry of editors; not saved.
    int ItemIndex() const { return FItemIndex; }
    // Accepted only for a valid position.
    void SetItemIndex(int i);

    // Frees every entry; ItemIndex becomes -1.
    void Clear() override;

    // "ClassName", "Name", then one child "PROPERTY" per entry.
    void SaveToNode(TNodePersist& node) const override;
    // Entries are matched by name, so a saved list puts values back onto the entries that the
    // owner has created; unknown names of a registered class are appended. Children without a
    // name or of an unregistered class are skipped.
    void LoadFromNode(const TNodePersist& node) override;

private:
    std::vector<std::unique_ptr<TAESaveProperty>> FItems;
    int FItemIndex = -1;
};

} // namespace vorelt
