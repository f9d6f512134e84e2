#include "persist/TTextHelpers.h"

namespace vorelt {

namespace {

bool IsTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Upper case of the character at s[i], written as the same number of bytes into out;
// returns that number (1 or 2).
size_t FoldAt(std::string_view s, size_t i, char out[2]) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 'a' && c <= 'z') {
        out[0] = static_cast<char>(c - 32);
        return 1;
    }
    if (c >= 0xD0 && c <= 0xD2 && i + 1 < s.size()) {
        const unsigned char c1 = static_cast<unsigned char>(s[i + 1]);
        if ((c1 & 0xC0u) == 0x80u) {
            unsigned cp = ((c & 0x1Fu) << 6) | (c1 & 0x3Fu);
            if (cp >= 0x430 && cp <= 0x44F)
                cp -= 0x20;
            else if (cp >= 0x450 && cp <= 0x45F)
                cp -= 0x50;
            else if (cp == 0x491)
                cp = 0x490;
            out[0] = static_cast<char>(0xC0 | (cp >> 6));
            out[1] = static_cast<char>(0x80 | (cp & 0x3F));
            return 2;
        }
    }
    out[0] = static_cast<char>(c);
    return 1;
}

} // namespace

std::string_view TrimView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsTrimmed(s[b]))
        ++b;
    while (e > b && IsTrimmed(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string UpperCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    char folded[2];
    for (size_t i = 0; i < s.size();) {
        const size_t n = FoldAt(s, i, folded);
        out.append(folded, n);
        i += n;
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    char fa[2], fb[2];
    for (size_t i = 0; i < a.size();) {
        const size_t na = FoldAt(a, i, fa);
        const size_t nb = FoldAt(b, i, fb);
        if (na != nb || fa[0] != fb[0] || (na == 2 && fa[1] != fb[1])) return false;
        i += na;
    }
    return true;
}

bool SameTextTrimmed(std::string_view a, std::string_view b) {
    return SameText(TrimView(a), TrimView(b));
}

bool EqualsUpperCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    char folded[2];
    for (size_t i = 0; i < text.size();) {
        const size_t n = FoldAt(text, i, folded);
        if (folded[0] != upper[i] || (n == 2 && folded[1] != upper[i + 1])) return false;
        i += n;
    }
    return true;
}

} // namespace vorelt
