#include "persist/TNumberInput.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <cmath>

namespace vorelt {

std::string DecimalCommaText(std::string_view typed) {
    std::string text(typed);
    for (char& c : text)
        if (c == '.') c = ',';
    return text;
}

bool IsNumberText(const TNumberRule& rule, std::string_view text) {
    const std::string_view t = TrimView(text);
    if (t.empty()) return rule.EmptyAllowed;
    switch (rule.Kind) {
    case TNumberKind::Count:
        if (t.front() == '-' || t.front() == '+') return false;
        [[fallthrough]];
    case TNumberKind::Integer: {
        int64_t n = 0;
        return TryStrToInt64(t, n);
    }
    case TNumberKind::Decimal: {
        long double x = 0;
        return TryStrToFloat(t, x) && std::isfinite(x);
    }
    }
    return false;
}

std::string NumberTextError(const TNumberRule& rule, std::string_view text) {
    if (IsNumberText(rule, text)) return {};
    const std::string quoted = "'" + Trim(std::string(text)) + "'";
    if (rule.Kind == TNumberKind::Decimal) return quoted + " is not a valid floating point value";
    return quoted + " is not a valid integer value";
}

bool AcceptsNameChar(char ch) {
    return ch != ' ';
}

} // namespace vorelt
