#include "model/TAEIntegerField.h"

#include "persist/TNumberFormat.h"

namespace vorelt {

std::string TAEIntegerField::GetAsString() const {
    return FIsNull ? std::string() : IntToStr(FValue);
}

void TAEIntegerField::SetAsFloat(long double x) {
    SetAsInt64(RoundToInt64(x));
}

void TAEIntegerField::SetAsString(const std::string& s) {
    if (s.empty()) {
        Clear();
        return;
    }
    int64_t n = 0;
    if (TryStrToInt64(s, n)) SetAsInt64(n);
}

std::unique_ptr<TAEField> TAEIntegerField::Clone(int mode) const {
    auto clone = std::make_unique<TAEIntegerField>();
    CopyForClone(*clone, mode);
    clone->FValue = FValue;
    return clone;
}

} // namespace vorelt
