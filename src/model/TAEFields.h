#pragma once
// A field set: the ordered fields that one driver or processor declares, owned by the set.

#include "model/TAEField.h"
#include "persist/TPersistObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IFieldSetOwner;
class IIDGenerator;

class TAEFields : public TPersistObject {
public:
    explicit TAEFields(IFieldSetOwner* owner = nullptr) : FOwner(owner) {}
    TAEFields(const TAEFields&) = delete;
    TAEFields& operator=(const TAEFields&) = delete;

    std::string ClassName() const override { return "TAEFields"; }

    IFieldSetOwner* Owner() const { return FOwner; }
    void SetOwner(IFieldSetOwner* owner) { FOwner = owner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& s) { FName = s; }
    uint8_t Kind() const { return FKind; }
    void SetKind(uint8_t k) { FKind = k; }

    int Count() const { return static_cast<int>(FItems.size()); }
    // None when i is outside.
    TAEField* Get(int i) const {
        return i >= 0 && i < Count() ? FItems[static_cast<size_t>(i)].get() : nullptr;
    }
    // Takes the field over, makes this set its Owner and appends it; returns it.
    TAEField* Add(std::unique_ptr<TAEField> field);
    // Frees the field at i.
    void Delete(int i);
    // Hands the field at i back to the caller without freeing it; none when i is outside.
    std::unique_ptr<TAEField> Extract(int i);
    void Exchange(int i, int j);

    // Trimmed, case-insensitive FieldName match; -1 / none when absent.
    int IndexOfName(std::string_view name) const;
    TAEField* FindByName(std::string_view name) const;
    // Exact, non-empty ID match; -1 / none when absent.
    int IndexOfID(std::string_view id) const;
    TAEField* FindByID(std::string_view id) const;
    bool IsIDFree(std::string_view id) const;
    // Exact, case-sensitive FieldName match.
    virtual bool IsNameFree(std::string_view name) const;

    void Clear() { FItems.clear(); }
    void ClearValues();
    void SetLocked(bool flag);
    void AssignID(bool renew, IIDGenerator& generator);
    // Same owner, name and kind; Clone(mode) of every field in order.
    std::unique_ptr<TAEFields> Clone(int mode) const;

    // One "FIELD" child per non-system field.
    void SaveToNode(TNodePersist& node) const override;
    // Each "FIELD" child updates the field of the same name, or adds a new field of its saved
    // class; children without a registered class or a FieldName are skipped.
    void LoadFromNode(const TNodePersist& node) override;

private:
    IFieldSetOwner* FOwner;
    std::string FName;
    uint8_t FKind = 0;
    std::vector<std::unique_ptr<TAEField>> FItems;
};

} // namespace vorelt
