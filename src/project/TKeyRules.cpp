#include "project/TKeyRules.h"

namespace vorelt {

namespace {

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

} // namespace

bool AcceptsKey(TKeyRule rule, std::string_view text, int caret, char ch) {
    if (static_cast<unsigned char>(ch) < 32) return true;
    switch (rule) {
    case TKeyRule::Any:
        return true;
    case TKeyRule::Digits:
        return IsDigit(ch);
    case TKeyRule::Integer:
        return IsDigit(ch) || (ch == '-' && text.empty());
    case TKeyRule::Float:
        if (IsDigit(ch)) return true;
        if (ch == '-') return text.empty();
        if (ch == ',') return caret > 0 && text.find(',') == std::string_view::npos;
        return false;
    case TKeyRule::NoSpace:
        return ch != ' ';
    case TKeyRule::ChannelNumber:
        if (IsDigit(ch)) return true;
        return ch == '-' && caret > 0 && text.find('-') == std::string_view::npos;
    }
    return false;
}

} // namespace vorelt
