#include "model/TAEBooleanField.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

void TAEBooleanField::SetAsString(const std::string& s) {
    SetAsBoolean(UpperCase(s) == "TRUE");
}

std::unique_ptr<TAEField> TAEBooleanField::Clone(int mode) const {
    auto clone = std::make_unique<TAEBooleanField>();
    CopyForClone(*clone, mode);
    clone->FValue = FValue;
    return clone;
}

} // namespace vorelt
