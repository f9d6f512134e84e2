#pragma once
// What a number field of a window takes. Every number field shows the decimal comma and
// accepts "." typed for it; the text is judged as a whole, so a text that is no number stays
// as typed and is refused with a message, instead of losing the keys that did not fit.

#include <cstdint>
#include <string>
#include <string_view>

namespace vorelt {

enum class TNumberKind : uint8_t {
    Count,   // a whole number without a sign
    Integer, // a whole number, optionally signed
    Decimal, // a signed decimal number with "," or "." and an optional exponent ("1,5E-7")
};

struct TNumberRule {
    TNumberKind Kind = TNumberKind::Decimal;
    // An empty text is taken (the window gives it its own meaning, such as 0 or "none").
    bool EmptyAllowed = false;
};

// The text as a number field shows it: every "." typed becomes the decimal comma. Nothing else
// changes, so a wrong text stays visible as typed.
std::string DecimalCommaText(std::string_view typed);
// Whether the text, blanks around it ignored, is a number of the rule's kind (a finite one,
// within 64 bits for whole numbers).
bool IsNumberText(const TNumberRule& rule, std::string_view text);
// The refusal of a text that is not a number of the rule's kind: "'abc' is not a valid
// floating point value" or "... integer value"; empty when the text is taken.
std::string NumberTextError(const TNumberRule& rule, std::string_view text);

// The key rule of name edits: names take no blanks.
bool AcceptsNameChar(char ch);

} // namespace vorelt
