#include "processing/expr/TExprValue.h"

#include <utility>

namespace vorelt {

TExprValue::TExprValue(const TExprValue& other) : TExprValue() {
    *this = other;
}

TExprValue& TExprValue::operator=(const TExprValue& other) {
    if (this == &other) return *this;
    if (other.FKind == evString && !other.FEmpty) {
        SetString(other.AsString());
        return *this;
    }
    Release();
    std::memcpy(FData, other.FData, sizeof FData);
    FKind = other.FKind;
    FEmpty = other.FEmpty;
    return *this;
}

TExprValue::TExprValue(TExprValue&& other) noexcept : TExprValue() {
    MoveFrom(other);
}

TExprValue& TExprValue::operator=(TExprValue&& other) noexcept {
    MoveFrom(other);
    return *this;
}

std::string_view TExprValue::AsString() const {
    if (FKind != evString || FEmpty) return {};
    const char* p = StringPtr();
    return p ? std::string_view(p) : std::string_view();
}

void TExprValue::SetString(std::string_view s) {
    char* p = new char[s.size() + 1];
    std::memcpy(p, s.data(), s.size());
    p[s.size()] = '\0';
    Release();
    std::memcpy(FData, &p, sizeof p);
    FKind = evString;
    FEmpty = 0;
}

void TExprValue::MoveFrom(TExprValue& source) {
    if (this == &source) return;
    Release();
    std::memcpy(FData, source.FData, sizeof FData);
    FKind = source.FKind;
    FEmpty = source.FEmpty;
    // The payload now belongs here: clear the source without releasing it.
    std::memset(source.FData, 0, sizeof source.FData);
    source.FEmpty = 1;
    source.FKind = evInteger;
}

} // namespace vorelt
