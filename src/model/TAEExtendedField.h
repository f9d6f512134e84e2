#pragma once
// The float family: every class stores an 80-bit extended value; Single and Double differ only
// in the type code.

#include "model/TAEField.h"

#include <cstring>

namespace vorelt {

class TAEExtendedField : public TAEField {
public:
    TAEExtendedField() : TAEField(dtExtended, FloatCharSet(), vfFloat) {}
    std::string ClassName() const override { return "TAEExtendedField"; }

    long double Value() const { return FValue; }

    long double GetAsFloat() const final { return FValue; }
    // Nearest integer, ties to even.
    int64_t GetAsInt64() const final;
    // General format with 15 significant digits; empty when null.
    std::string GetAsString() const final;
    bool GetAsBoolean() const final { return FValue > 0; }
    void SetAsFloat(long double x) final {
        if (!Writable()) return;
        FValue = x;
        FIsNull = false;
    }
    void SetAsInt64(int64_t n) final { SetAsFloat(static_cast<long double>(n)); }
    // Empty text clears; text that is not a number keeps the value but the field is no longer
    // null.
    void SetAsString(const std::string& s) final;
    void SetAsBoolean(bool b) final { SetAsFloat(b ? 1.0L : 0.0L); }
    const void* GetValuePtr() const final { return &FValue; }
    void SetValueRaw(const void* source) final {
        SetAsFloat(*static_cast<const long double*>(source));
    }
    // The value of another field bit for bit, without an x87 load and store: records are
    // copied a million times a second.
    void CopyValue(const TAEExtendedField& from) {
        if (!Writable()) return;
        std::memcpy(&FValue, &from.FValue, sizeof FValue);
        FIsNull = false;
    }
    void Clear() final {
        if (!Writable()) return;
        FIsNull = true;
        // All zero bits are +0 in every IEEE format; plain stores of them cost far less than
        // the x87 store of a zero, and records clear every field before each read.
        std::memset(&FValue, 0, sizeof FValue);
    }
    std::unique_ptr<TAEField> Clone(int mode) const final;

protected:
    explicit TAEExtendedField(uint8_t dataType) : TAEField(dataType, FloatCharSet(), vfFloat) {}

private:
    long double FValue = 0;
};

class TAESingleField : public TAEExtendedField {
public:
    TAESingleField() : TAEExtendedField(dtSingle) {}
    std::string ClassName() const override { return "TAESingleField"; }
};

class TAEDoubleField : public TAEExtendedField {
public:
    TAEDoubleField() : TAEExtendedField(dtDouble) {}
    std::string ClassName() const override { return "TAEDoubleField"; }
};

} // namespace vorelt
