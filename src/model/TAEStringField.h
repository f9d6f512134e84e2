#pragma once

#include "model/TAEField.h"

namespace vorelt {

class TAEStringField : public TAEField {
public:
    TAEStringField() : TAEField(dtString, AnyCharSet(), vfString) {}
    std::string ClassName() const override { return "TAEStringField"; }

    const std::string& Value() const { return FValue; }

    // Reading a text that is not a number or boolean raises EConvertError.
    long double GetAsFloat() const final;
    // 0 when the text is not an integer.
    int64_t GetAsInt64() const final;
    std::string GetAsString() const final { return FValue; }
    bool GetAsBoolean() const final;
    void SetAsFloat(long double x) final;
    void SetAsInt64(int64_t n) final;
    void SetAsString(const std::string& s) final {
        if (!Writable()) return;
        FValue = s;
        FIsNull = false;
    }
    // The numeric boolean texts "-1" and "0".
    void SetAsBoolean(bool b) final;
    const void* GetValuePtr() const final { return &FValue; }
    void SetValueRaw(const void* source) final;
    void Clear() final {
        if (!Writable()) return;
        FIsNull = true;
        FValue.clear();
    }
    std::unique_ptr<TAEField> Clone(int mode) const override;

private:
    std::string FValue;
};

} // namespace vorelt
