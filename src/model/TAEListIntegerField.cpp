#include "model/TAEListIntegerField.h"

#include "persist/TErrors.h"

namespace vorelt {

long double TAEListIntegerField::GetAsFloat() const {
    throw EInvalidOperation();
}
int64_t TAEListIntegerField::GetAsInt64() const {
    throw EInvalidOperation();
}
bool TAEListIntegerField::GetAsBoolean() const {
    throw EInvalidOperation();
}
void TAEListIntegerField::SetAsFloat(long double) {
    throw EInvalidOperation();
}
void TAEListIntegerField::SetAsInt64(int64_t) {
    throw EInvalidOperation();
}
void TAEListIntegerField::SetAsString(const std::string&) {
    throw EInvalidOperation();
}
void TAEListIntegerField::SetAsBoolean(bool) {
    throw EInvalidOperation();
}

std::unique_ptr<TAEField> TAEListIntegerField::Clone(int mode) const {
    auto clone = std::make_unique<TAEListIntegerField>();
    CopyForClone(*clone, mode);
    clone->FValue = FValue;
    return clone;
}

} // namespace vorelt
