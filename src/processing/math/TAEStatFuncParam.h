#pragma once
// Parameters of statistical and criterion functions: a field of the record (its ID) or a
// constant, found by name. Field parameters are resolved to flat positions once per layout.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TAEListFields;

constexpr uint8_t spkField = 0;
constexpr uint8_t spkConstant = 1;

class TAEStatFuncParam {
public:
    TAEStatFuncParam(uint8_t kind, std::string name) : FKind(kind), FName(std::move(name)) {}

    uint8_t Kind() const { return FKind; }
    bool IsField() const { return FKind == spkField; }
    const std::string& Name() const { return FName; }
    const std::string& FieldID() const { return FFieldID; }
    void SetFieldID(std::string id) { FFieldID = std::move(id); }
    long double Value() const { return FValue; }
    void SetValue(long double v) { FValue = v; }

    // Flat position of the field in the bound layout; -1 when unbound, a constant or absent.
    int Position() const { return FPosition; }
    // Data type of the field in the bound layout; dtUnknown when absent.
    uint8_t DataType() const { return FDataType; }
    void Bind(const TAEListFields& layout);

private:
    uint8_t FKind;
    std::string FName;
    std::string FFieldID;
    long double FValue = 0;
    int FPosition = -1;
    uint8_t FDataType = 0;
};

class TAEStatFuncParams {
public:
    TAEStatFuncParam& Add(uint8_t kind, std::string name) {
        FItems.emplace_back(kind, std::move(name));
        return FItems.back();
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    TAEStatFuncParam& Items(int i) { return FItems[static_cast<size_t>(i)]; }
    const TAEStatFuncParam& Items(int i) const { return FItems[static_cast<size_t>(i)]; }
    // Trimmed, upper-cased comparison of both names; none when absent.
    TAEStatFuncParam* Find(std::string_view name);
    const TAEStatFuncParam* Find(std::string_view name) const;
    void Bind(const TAEListFields& layout) {
        for (auto& p : FItems)
            p.Bind(layout);
    }

private:
    std::vector<TAEStatFuncParam> FItems;
};

} // namespace vorelt
