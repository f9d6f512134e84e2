#pragma once

#include "model/TAEField.h"

namespace vorelt {

class TAEBooleanField : public TAEField {
public:
    TAEBooleanField() : TAEField(dtBoolean, AnyCharSet(), vfBoolean) {}
    std::string ClassName() const override { return "TAEBooleanField"; }

    bool Value() const { return FValue != 0; }

    long double GetAsFloat() const final { return FValue ? 1.0L : 0.0L; }
    int64_t GetAsInt64() const final { return FValue ? 1 : 0; }
    // "True" or "False", also when null.
    std::string GetAsString() const final { return FValue ? "True" : "False"; }
    bool GetAsBoolean() const final { return FValue != 0; }
    void SetAsFloat(long double x) final { SetAsBoolean(x > 0); }
    void SetAsInt64(int64_t n) final { SetAsBoolean(n > 0); }
    // True exactly when the upper-cased text is "TRUE".
    void SetAsString(const std::string& s) final;
    void SetAsBoolean(bool b) final {
        if (!Writable()) return;
        FValue = b ? 1 : 0;
        FIsNull = false;
    }
    const void* GetValuePtr() const final { return &FValue; }
    void SetValueRaw(const void* source) final {
        SetAsBoolean(*static_cast<const uint8_t*>(source) != 0);
    }
    void Clear() final {
        if (!Writable()) return;
        FIsNull = true;
        FValue = 0;
    }
    std::unique_ptr<TAEField> Clone(int mode) const final;

private:
    uint8_t FValue = 0;
};

} // namespace vorelt
