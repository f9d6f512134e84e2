#pragma once
// The integer family. The narrower classes differ only in the type code and the accepted
// characters; all store a signed 64-bit value and none clamps.

#include "model/TAEField.h"

namespace vorelt {

class TAEIntegerField : public TAEField {
public:
    TAEIntegerField() : TAEField(dtInteger, SignedDigitCharSet(), vfInteger) {}
    std::string ClassName() const override { return "TAEIntegerField"; }

    int64_t Value() const { return FValue; }

    long double GetAsFloat() const final { return static_cast<long double>(FValue); }
    int64_t GetAsInt64() const final { return FValue; }
    std::string GetAsString() const final;
    bool GetAsBoolean() const final { return FValue > 0; }
    // Rounds to nearest, ties to even.
    void SetAsFloat(long double x) final;
    void SetAsInt64(int64_t n) final {
        if (!Writable()) return;
        FValue = n;
        FIsNull = false;
    }
    // Empty text clears; text that is not an integer leaves value and null state alone.
    void SetAsString(const std::string& s) final;
    void SetAsBoolean(bool b) final { SetAsInt64(b ? 1 : 0); }
    const void* GetValuePtr() const final { return &FValue; }
    void SetValueRaw(const void* source) final { SetAsInt64(*static_cast<const int64_t*>(source)); }
    void Clear() final {
        if (!Writable()) return;
        FIsNull = true;
        FValue = 0;
    }
    std::unique_ptr<TAEField> Clone(int mode) const final;

protected:
    TAEIntegerField(uint8_t dataType, const TAECharSet& validChars)
        : TAEField(dataType, validChars, vfInteger) {}

private:
    int64_t FValue = 0;
};

class TAEByteField : public TAEIntegerField {
public:
    TAEByteField() : TAEIntegerField(dtByte, DigitCharSet()) {}
    std::string ClassName() const override { return "TAEByteField"; }
};

class TAEWordField : public TAEIntegerField {
public:
    TAEWordField() : TAEIntegerField(dtWord, DigitCharSet()) {}
    std::string ClassName() const override { return "TAEWordField"; }
};

class TAELongwordField : public TAEIntegerField {
public:
    TAELongwordField() : TAEIntegerField(dtLongWord, DigitCharSet()) {}
    std::string ClassName() const override { return "TAELongwordField"; }
};

class TAEShortIntField : public TAEIntegerField {
public:
    TAEShortIntField() : TAEIntegerField(dtShortInt, SignedDigitCharSet()) {}
    std::string ClassName() const override { return "TAEShortIntField"; }
};

class TAESmallIntField : public TAEIntegerField {
public:
    TAESmallIntField() : TAEIntegerField(dtSmallInt, SignedDigitCharSet()) {}
    std::string ClassName() const override { return "TAESmallIntField"; }
};

class TAEInt64Field : public TAEIntegerField {
public:
    TAEInt64Field() : TAEIntegerField(dtInt64, SignedDigitCharSet()) {}
    std::string ClassName() const override { return "TAEInt64Field"; }
};

} // namespace vorelt
