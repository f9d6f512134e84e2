#pragma once
// A leaf of a condition tree: compares one field of the record with a constant or with a
// project variant.

#include "processing/filter/TLogicalCondition.h"

namespace vorelt {

// Comparison operations.
constexpr uint8_t coEquals = 1;
constexpr uint8_t coNoEquals = 2;
constexpr uint8_t coLessOrEquals = 3;
constexpr uint8_t coGreaterOrEquals = 4;
constexpr uint8_t coLess = 5;
constexpr uint8_t coGreater = 6;

// "Equals" .. "Greater"; empty for other codes.
std::string_view ConditionOperationKey(uint8_t op);
// 0 for an unknown key.
uint8_t ConditionOperationOfKey(std::string_view key);
// "=", "<>", "<=", ">=", "<", ">"; empty for other codes.
std::string_view ConditionOperationSymbol(uint8_t op);

class TLCCondition : public TLogicalCondition {
public:
    // Operation Equals, edit flags "no children".
    TLCCondition();
    TLCCondition(std::string fieldID, uint8_t operation, std::string value,
                 std::string variantID = {});
    std::string ClassName() const override { return "TLCCondition"; }

    const std::string& FieldID() const { return FFieldID; }
    void SetFieldID(std::string id);
    uint8_t Operation() const { return FOperation; }
    // Codes outside 1..6 are ignored.
    void SetOperation(uint8_t op);
    const std::string& Value() const { return FValue; }
    void SetValue(std::string value);
    const std::string& VariantID() const { return FVariantID; }
    void SetVariantID(std::string id);

    // Operation Equals, empty field, value and variant, edit flags "no children".
    void Clear() override;
    // "ClassName", "Operation", "FieldID", "Value", "VariantID".
    void SaveToNode(TNodePersist& node) const override;
    // Unknown operation keys and empty texts leave the current values.
    void LoadFromNode(const TNodePersist& node) override;
    std::string GetCaption() const override;
    std::string GetText() const override { return GetCaption(); }

    void Bind(const TAEListFields& layout, const TGVVariants* variants) override;
    bool Evaluate(const TAERecord& record) override;
    std::unique_ptr<TLogicalCondition> Clone() const override;

    bool CollectUses(std::string_view id, std::vector<std::string>& lines,
                     const std::string& suffix) const override;
    bool ReferencesId(std::string_view id) const override;
    // True (free me) when the condition tests field `id`; a variant use keeps it.
    bool RemoveReferences(std::string_view id) override;

private:
    // How the bound field is compared.
    enum class TCompare : uint8_t { Never, Integer, Float, Boolean, String };

    template <class T> bool Compare(const T& field, const T& value) const;

    std::string FFieldID;
    uint8_t FOperation = coEquals;
    std::string FValue;
    std::string FVariantID;

    // Binding.
    int FPos = -1;
    TCompare FCompare = TCompare::Never;
    int64_t FInt = 0;
    long double FFloat = 0;
    bool FBool = false;
    std::string FText; // trimmed, upper case
    std::string FBindError;
};

} // namespace vorelt
