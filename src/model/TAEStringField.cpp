#include "model/TAEStringField.h"

#include "persist/TNumberFormat.h"

namespace vorelt {

long double TAEStringField::GetAsFloat() const {
    return StrToFloat(FValue);
}

int64_t TAEStringField::GetAsInt64() const {
    int64_t n = 0;
    return TryStrToInt64(FValue, n) ? n : 0;
}

bool TAEStringField::GetAsBoolean() const {
    return StrToBool(FValue);
}

void TAEStringField::SetAsFloat(long double x) {
    if (Writable()) SetAsString(FloatToStr(x));
}

void TAEStringField::SetAsInt64(int64_t n) {
    if (Writable()) SetAsString(IntToStr(n));
}

void TAEStringField::SetAsBoolean(bool b) {
    SetAsString(b ? "-1" : "0");
}

void TAEStringField::SetValueRaw(const void* source) {
    SetAsString(*static_cast<const std::string*>(source));
}

std::unique_ptr<TAEField> TAEStringField::Clone(int mode) const {
    auto clone = std::make_unique<TAEStringField>();
    CopyForClone(*clone, mode);
    clone->FValue = FValue;
    return clone;
}

} // namespace vorelt
