#pragma once
// The project's list of variants. It shares the variant base so that it saves like one (its
// own "ClassName", "ID" and "DisplayName") but carries no value of its own.

#include "persist/TGVVariant.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TGVVariants : public TGVVariant {
public:
    TGVVariants() : TGVVariant(vkInteger) {}
    TGVVariants(const TGVVariants&) = delete;
    TGVVariants& operator=(const TGVVariants&) = delete;

    std::string ClassName() const override { return "TGVVariants"; }

    int Count() const { return static_cast<int>(FItems.size()); }
    // None when i is outside the list.
    TGVVariant* Get(int i) const;
    // Returns the position of the new variant.
    int Add(std::unique_ptr<TGVVariant> variant);
    void Delete(int i);
    // Trimmed, case-insensitive; -1 when none or when id is empty.
    int IndexOfID(std::string_view id) const;
    TGVVariant* FindByID(std::string_view id) const;
    // The ID of the first variant whose DisplayName equals name without regard to case;
    // empty when none.
    std::string FindIDByName(std::string_view name) const;
    // True when no variant carries exactly this ID.
    bool IsIDFree(std::string_view id) const;
    // Frees every variant.
    void Clear() override;

    // The list has no value: these raise EInvalidOperation.
    long double GetAsFloat() const override;
    int64_t GetAsInt64() const override;
    std::string GetAsString() const override;
    bool GetAsBoolean() const override;
    void SetAsFloat(long double) override;
    void SetAsInt64(int64_t) override;
    void SetAsString(const std::string&) override;
    void SetAsBoolean(bool) override;
    const void* GetValuePtr() const override { return nullptr; }

    // The base keys, then one child "VARIANT" per variant.
    void SaveToNode(TNodePersist& node) const override;
    // Variants are matched by ID; children of an unregistered class or without ID are skipped.
    void LoadFromNode(const TNodePersist& node) override;

protected:
    bool HasValue() const override { return false; }

private:
    std::vector<std::unique_ptr<TGVVariant>> FItems;
};

} // namespace vorelt
