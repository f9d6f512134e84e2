#pragma once
// Project-wide named variables that users define and expressions read. Their conversions
// differ from those of properties: a boolean reads as "True"/"False" and integers are 64-bit.

#include "persist/TPersistObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorelt {

class IIDGenerator;

class TGVVariant : public TPersistObject {
public:
    static constexpr uint8_t vkInteger = 0;
    static constexpr uint8_t vkFloat = 1;
    static constexpr uint8_t vkString = 2;
    static constexpr uint8_t vkBoolean = 3;

    // "Integer", "Float", "String", "Boolean"; empty for an unknown kind.
    static std::string KindName(uint8_t kind);

    uint8_t Kind() const { return FKind; }
    const std::string& ID() const { return FID; }

    virtual void SetDisplayName(std::string name) { FDisplayName = std::move(name); }
    virtual std::string GetDisplayName() const { return FDisplayName; }
    virtual bool IsNull() const { return FIsNull; }

    // Getters of a string variant raise EConvertError when the text does not fit.
    virtual long double GetAsFloat() const = 0;
    virtual int64_t GetAsInt64() const = 0;
    virtual std::string GetAsString() const = 0;
    virtual bool GetAsBoolean() const = 0;
    virtual void SetAsFloat(long double value) = 0;
    virtual void SetAsInt64(int64_t value) = 0;
    virtual void SetAsString(const std::string& value) = 0;
    virtual void SetAsBoolean(bool value) = 0;
    virtual const void* GetValuePtr() const = 0;

    virtual void SetID(std::string id) { FID = std::move(id); }
    // Sets IsNull and resets the value.
    virtual void Clear();

    // "ClassName", "ID", "DisplayName" and, for the value classes, "Value".
    void SaveToNode(TNodePersist& node) const override;
    // "ID" and "DisplayName" when present and not empty; a present, non-empty "Value" is
    // parsed for the class and clears IsNull (bad text raises EConvertError).
    void LoadFromNode(const TNodePersist& node) override;

    // True when the variant has no ID or an ID other than exactly `id`.
    virtual bool IDDiffers(std::string_view id) const { return FID.empty() || FID != id; }
    // A variant without ID gets a new one.
    void AssignID(IIDGenerator& generator);

protected:
    explicit TGVVariant(uint8_t kind) : FKind(kind) {}
    TGVVariant(const TGVVariant&) = default;
    TGVVariant& operator=(const TGVVariant&) = default;

    virtual void ResetValue() {}
    // False for classes that carry no value (the list).
    virtual bool HasValue() const { return true; }
    virtual std::string ValueText() const { return {}; }
    virtual void LoadValue(const std::string&) {}
    void Assigned() { FIsNull = false; }

private:
    uint8_t FKind;
    std::string FID;
    bool FIsNull = true;
    std::string FDisplayName;
};

class TGVStringVariant : public TGVVariant {
public:
    TGVStringVariant() : TGVVariant(vkString) {}
    std::string ClassName() const override { return "TGVStringVariant"; }

    const std::string& Value() const { return FValue; }

    long double GetAsFloat() const override;
    int64_t GetAsInt64() const override;
    std::string GetAsString() const override { return FValue; }
    bool GetAsBoolean() const override;
    void SetAsFloat(long double value) override;
    void SetAsInt64(int64_t value) override;
    void SetAsString(const std::string& value) override;
    // "True" or "False".
    void SetAsBoolean(bool value) override;
    const void* GetValuePtr() const override { return &FValue; }

protected:
    void ResetValue() override { FValue.clear(); }
    std::string ValueText() const override { return FValue; }
    void LoadValue(const std::string& text) override { FValue = text; }

private:
    std::string FValue;
};

class TGVIntegerVariant : public TGVVariant {
public:
    TGVIntegerVariant() : TGVVariant(vkInteger) {}
    std::string ClassName() const override { return "TGVIntegerVariant"; }

    int64_t Value() const { return FValue; }

    long double GetAsFloat() const override { return static_cast<long double>(FValue); }
    int64_t GetAsInt64() const override { return FValue; }
    std::string GetAsString() const override;
    bool GetAsBoolean() const override { return FValue > 0; }
    // Rounds half to even.
    void SetAsFloat(long double value) override;
    void SetAsInt64(int64_t value) override;
    // Raises EConvertError for text that is not a 64-bit integer; the value then stays.
    void SetAsString(const std::string& value) override;
    void SetAsBoolean(bool value) override;
    const void* GetValuePtr() const override { return &FValue; }

protected:
    void ResetValue() override { FValue = 0; }
    std::string ValueText() const override;
    void LoadValue(const std::string& text) override;

private:
    int64_t FValue = 0;
};

class TGVFloatVariant : public TGVVariant {
public:
    TGVFloatVariant() : TGVVariant(vkFloat) {}
    std::string ClassName() const override { return "TGVFloatVariant"; }

    long double Value() const { return FValue; }

    long double GetAsFloat() const override { return FValue; }
    int64_t GetAsInt64() const override;
    std::string GetAsString() const override;
    bool GetAsBoolean() const override { return FValue > 0; }
    void SetAsFloat(long double value) override;
    void SetAsInt64(int64_t value) override;
    // Text that is not a number leaves the variant as it was.
    void SetAsString(const std::string& value) override;
    void SetAsBoolean(bool value) override;
    const void* GetValuePtr() const override { return &FValue; }

protected:
    void ResetValue() override { FValue = 0; }
    std::string ValueText() const override;
    void LoadValue(const std::string& text) override;

private:
    long double FValue = 0;
};

class TGVBooleanVariant : public TGVVariant {
public:
    TGVBooleanVariant() : TGVVariant(vkBoolean) {}
    std::string ClassName() const override { return "TGVBooleanVariant"; }

    bool Value() const { return FValue; }

    long double GetAsFloat() const override { return FValue ? 1 : 0; }
    int64_t GetAsInt64() const override { return FValue ? 1 : 0; }
    std::string GetAsString() const override { return FValue ? "True" : "False"; }
    bool GetAsBoolean() const override { return FValue; }
    void SetAsFloat(long double value) override;
    void SetAsInt64(int64_t value) override;
    // Raises EConvertError for text that is not a boolean; the value then stays.
    void SetAsString(const std::string& value) override;
    void SetAsBoolean(bool value) override;
    const void* GetValuePtr() const override { return &FValue; }

protected:
    void ResetValue() override { FValue = false; }
    // Saved as -1 or 0, unlike GetAsString.
    std::string ValueText() const override { return FValue ? "-1" : "0"; }
    void LoadValue(const std::string& text) override;

private:
    bool FValue = false;
};

} // namespace vorelt
