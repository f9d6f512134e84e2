#include "model/TAEExtendedField.h"

#include "persist/TNumberFormat.h"

namespace vorelt {

int64_t TAEExtendedField::GetAsInt64() const {
    return RoundToInt64(FValue);
}

std::string TAEExtendedField::GetAsString() const {
    return FIsNull ? std::string() : FloatToStr(FValue);
}

void TAEExtendedField::SetAsString(const std::string& s) {
    if (s.empty()) {
        Clear();
        return;
    }
    long double x = FValue;
    TryStrToFloat(s, x);
    SetAsFloat(x);
}

std::unique_ptr<TAEField> TAEExtendedField::Clone(int mode) const {
    auto clone = std::make_unique<TAEExtendedField>();
    CopyForClone(*clone, mode);
    clone->FValue = FValue;
    return clone;
}

} // namespace vorelt
