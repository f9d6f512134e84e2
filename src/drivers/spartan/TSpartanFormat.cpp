#include "drivers/spartan/TSpartanFormat.h"

#include "drivers/TByteReader.h"

namespace vorelt::spartan {

bool IsSpartanDate(std::string_view text) {
    // Blanks go first (trimming included), then "/" counts as ".".
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (c == ' ') continue;
        s.push_back(c == '/' ? '.' : c);
    }
    if (s.size() < 6 || s[2] != '.' || s[5] != '.') return false;
    size_t dots = 0;
    for (char c : s)
        dots += c == '.' ? 1 : 0;
    if (dots != 2) return false;
    s.erase(5, 1);
    s.erase(2, 1);
    if (s.size() < 9 || s[8] != ':') return false;
    s.erase(8, 1);
    if (s.size() < 11 || s[10] != ':') return false;
    s.erase(10, 1);
    // The rest is a number: digits with at most one decimal comma, not in first place.
    if (s.empty()) return false;
    bool comma = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') continue;
        if ((c == ',' || c == '.') && i > 0 && !comma) {
            comma = true;
            continue;
        }
        return false;
    }
    return true;
}

bool LooksLikeSpartan(const uint8_t* head, size_t size) {
    TByteReader r(head, size < HeaderSize ? size : HeaderSize);
    // A file that ends before the date text could hold it cannot be told apart from anything.
    if (!r.Has(DateOffset, 1)) return false;
    return IsSpartanDate(r.Text(DateOffset, DateChars));
}

} // namespace vorelt::spartan
