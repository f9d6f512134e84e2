#pragma once
// The value of an expression for one record. Compact (12 bytes) because the math processor
// keeps one per calculated field per record; floats are held inline so that numeric
// evaluation never allocates, only string values own a heap copy of their text.
//
// Integers are 64-bit: integer fields and literals keep their full value instead of wrapping
// above 2^31.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace vorelt {

class TExprValue {
public:
    // Kinds.
    static constexpr uint8_t evInteger = 0;
    static constexpr uint8_t evBoolean = 1;
    static constexpr uint8_t evFloat = 3;
    static constexpr uint8_t evString = 4;

    TExprValue() noexcept { std::memset(FData, 0, sizeof FData); }
    ~TExprValue() { Release(); }
    // Deep copy (a string value gets its own text).
    TExprValue(const TExprValue& other);
    TExprValue& operator=(const TExprValue& other);
    // Moving leaves the source empty.
    TExprValue(TExprValue&& other) noexcept;
    TExprValue& operator=(TExprValue&& other) noexcept;

    bool Empty() const { return FEmpty != 0; }
    uint8_t Kind() const { return FKind; }
    bool IsNumeric() const { return !FEmpty && (FKind == evInteger || FKind == evFloat); }

    // Readers of the payload; they assume the matching kind and a value.
    int64_t AsInteger() const {
        int64_t v;
        std::memcpy(&v, FData, sizeof v);
        return v;
    }
    bool AsBoolean() const { return FData[0] != 0; }
    long double AsFloat() const {
        long double v = 0;
        std::memcpy(&v, FData, kFloatBytes);
        return v;
    }
    std::string_view AsString() const;
    // An integer or float value as an extended float.
    long double Numeric() const {
        return FKind == evFloat ? AsFloat() : static_cast<long double>(AsInteger());
    }

    // Every write releases a previous string and marks the value present.
    void SetInteger(int64_t v) {
        Release();
        std::memcpy(FData, &v, sizeof v);
        FKind = evInteger;
        FEmpty = 0;
    }
    void SetBoolean(bool b) {
        Release();
        FData[0] = b ? 1 : 0;
        FKind = evBoolean;
        FEmpty = 0;
    }
    void SetFloat(long double v) {
        Release();
        std::memcpy(FData, &v, kFloatBytes);
        FKind = evFloat;
        FEmpty = 0;
    }
    void SetString(std::string_view s);

    // Releases the payload and marks the value empty.
    void Clear() {
        Release();
        FEmpty = 1;
        FKind = evInteger;
    }
    // Takes over the source's value and leaves the source empty.
    void MoveFrom(TExprValue& source);

private:
    // The significant bytes of an x87 extended float.
    static constexpr size_t kFloatBytes = 10;
    static_assert(sizeof(long double) >= kFloatBytes);

    char* StringPtr() const {
        char* p;
        std::memcpy(&p, FData, sizeof p);
        return p;
    }
    void Release() {
        if (FKind == evString && !FEmpty) delete[] StringPtr();
        std::memset(FData, 0, sizeof FData);
    }

    unsigned char FData[kFloatBytes];
    uint8_t FEmpty = 1;
    uint8_t FKind = evInteger;
};

} // namespace vorelt
