#pragma once
// Typed settings with presentation attributes (caption, unit, widths, alignment). The value
// conversions differ from those of record fields on purpose: a boolean reads as text "-1"/"0"
// and a string property converts without a locked or read-only state.

#include "persist/TAESaveProperty.h"

#include <cstdint>
#include <string>

namespace vorelt {

class TGVProperty : public TAESaveProperty {
public:
    // Type codes shared with record fields.
    static constexpr uint8_t dtString = 1;
    static constexpr uint8_t dtInteger = 7;
    static constexpr uint8_t dtExtended = 11;
    static constexpr uint8_t dtBoolean = 13;

    static constexpr uint8_t AlignLeft = 0;
    static constexpr uint8_t AlignRight = 1;
    static constexpr uint8_t AlignCenter = 2;

    uint8_t DataType() const { return FDataType; }

    uint8_t GetAlignment() const { return FAlignment; }
    virtual void SetAlignment(uint8_t alignment) { FAlignment = alignment; }
    virtual int32_t GetDisplayWidth() const { return FDisplayWidth; }
    virtual int32_t GetDisplaySWidth() const { return FDisplaySWidth; }
    virtual void SetDisplayWidth(int32_t width) { FDisplayWidth = width; }
    virtual void SetDisplaySWidth(int32_t width) { FDisplaySWidth = width; }
    virtual void SetDisplayName(std::string text) { FDisplayName = std::move(text); }
    virtual std::string GetDisplayName() const { return FDisplayName; }
    virtual std::string GetDisplayDimension() const { return FDisplayDimension; }
    virtual void SetDisplayDimension(std::string text) { FDisplayDimension = std::move(text); }
    virtual bool IsNull() const { return FIsNull; }

    int32_t GetTag() const { return FTag; }
    void SetTag(int32_t tag) { FTag = tag; }
    bool GetEnable() const { return FEnable; }
    void SetEnable(bool enable) { FEnable = enable; }

    // Getters of a string property raise EConvertError when the text does not fit.
    virtual long double GetAsFloat() const = 0;
    virtual int32_t GetAsInteger() const = 0;
    virtual std::string GetAsString() const = 0;
    virtual bool GetAsBoolean() const = 0;
    virtual void SetAsFloat(long double value) = 0;
    virtual void SetAsInteger(int32_t value) = 0;
    virtual void SetAsString(const std::string& value) = 0;
    virtual void SetAsBoolean(bool value) = 0;
    virtual const void* GetValuePtr() const = 0;

    // Sets IsNull and resets the value; presentation attributes stay.
    void Clear() override;

    void SaveToNode(TNodePersist& node) const override;
    // Keys that are absent or empty keep the current state; a present value does not change
    // IsNull. Bad numbers raise EConvertError.
    void LoadFromNode(const TNodePersist& node) override;

protected:
    TGVProperty(std::string name, uint8_t dataType)
        : TAESaveProperty(std::move(name)), FDataType(dataType) {}
    TGVProperty(const TGVProperty&) = default;
    TGVProperty& operator=(const TGVProperty&) = default;

    virtual void ResetValue() = 0;
    virtual std::string ValueText() const = 0;
    virtual void LoadValue(const std::string& text) = 0;
    void Assigned() { FIsNull = false; }

private:
    bool FIsNull = true;
    uint8_t FDataType;
    std::string FDisplayName;
    std::string FDisplayDimension;
    int32_t FDisplayWidth = -1;
    int32_t FDisplaySWidth = -1;
    uint8_t FAlignment = AlignLeft;
    int32_t FTag = -1;
    bool FEnable = true;
};

class TGVStringProperty : public TGVProperty {
public:
    explicit TGVStringProperty(std::string name = {}) : TGVProperty(std::move(name), dtString) {}
    std::string ClassName() const override { return "TGVStringProperty"; }
    std::unique_ptr<TAESaveProperty> Clone() const override;

    const std::string& Value() const { return FValue; }

    long double GetAsFloat() const override;
    int32_t GetAsInteger() const override;
    std::string GetAsString() const override { return FValue; }
    bool GetAsBoolean() const override;
    void SetAsFloat(long double value) override;
    void SetAsInteger(int32_t value) override;
    void SetAsString(const std::string& value) override;
    void SetAsBoolean(bool value) override;
    const void* GetValuePtr() const override { return &FValue; }

protected:
    void ResetValue() override { FValue.clear(); }
    std::string ValueText() const override { return FValue; }
    void LoadValue(const std::string& text) override { FValue = text; }

private:
    std::string FValue;
};

class TGVIntegerProperty : public TGVProperty {
public:
    explicit TGVIntegerProperty(std::string name = {}) : TGVProperty(std::move(name), dtInteger) {}
    std::string ClassName() const override { return "TGVIntegerProperty"; }
    std::unique_ptr<TAESaveProperty> Clone() const override;

    int32_t Value() const { return FValue; }

    long double GetAsFloat() const override { return FValue; }
    int32_t GetAsInteger() const override { return FValue; }
    std::string GetAsString() const override;
    bool GetAsBoolean() const override { return FValue > 0; }
    void SetAsFloat(long double value) override;
    void SetAsInteger(int32_t value) override;
    // Text that is not a 32-bit integer gives 0.
    void SetAsString(const std::string& value) override;
    void SetAsBoolean(bool value) override;
    const void* GetValuePtr() const override { return &FValue; }

protected:
    void ResetValue() override { FValue = 0; }
    std::string ValueText() const override;
    void LoadValue(const std::string& text) override;

private:
    int32_t FValue = 0;
};

class TGVFloatProperty : public TGVProperty {
public:
    explicit TGVFloatProperty(std::string name = {}) : TGVProperty(std::move(name), dtExtended) {}
    std::string ClassName() const override { return "TGVFloatProperty"; }
    std::unique_ptr<TAESaveProperty> Clone() const override;

    long double Value() const { return FValue; }

    long double GetAsFloat() const override { return FValue; }
    int32_t GetAsInteger() const override;
    std::string GetAsString() const override;
    bool GetAsBoolean() const override { return FValue > 0; }
    void SetAsFloat(long double value) override;
    void SetAsInteger(int32_t value) override;
    // Text that is not a number gives 0.
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

class TGVBooleanProperty : public TGVProperty {
public:
    explicit TGVBooleanProperty(std::string name = {}) : TGVProperty(std::move(name), dtBoolean) {}
    std::string ClassName() const override { return "TGVBooleanProperty"; }
    std::unique_ptr<TAESaveProperty> Clone() const override;

    bool Value() const { return FValue; }

    long double GetAsFloat() const override { return FValue ? 1 : 0; }
    int32_t GetAsInteger() const override { return FValue ? 1 : 0; }
    // "-1" or "0", as project files store booleans of properties.
    std::string GetAsString() const override { return FValue ? "-1" : "0"; }
    bool GetAsBoolean() const override { return FValue; }
    void SetAsFloat(long double value) override;
    void SetAsInteger(int32_t value) override;
    // Raises EConvertError for text that is not a boolean; the value then stays.
    void SetAsString(const std::string& value) override;
    void SetAsBoolean(bool value) override;
    const void* GetValuePtr() const override { return &FValue; }

protected:
    void ResetValue() override { FValue = false; }
    std::string ValueText() const override { return FValue ? "-1" : "0"; }
    void LoadValue(const std::string& text) override;

private:
    bool FValue = false;
};

} // namespace vorelt
