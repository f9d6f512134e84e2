#include "drivers/TTimeText.h"

namespace vorelt {

namespace {

void AppendDigits(std::string& out, uint64_t n) {
    char digits[20];
    int k = 0;
    do {
        digits[k++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (k > 0)
        out += digits[--k];
}

} // namespace

void AppendTwoDigits(std::string& out, uint64_t n) {
    if (n < 10) out += '0';
    AppendDigits(out, n);
}

void AppendTwoDigits(std::string& out, int64_t n) {
    if (n >= 0) {
        AppendTwoDigits(out, static_cast<uint64_t>(n));
        return;
    }
    // The sign takes the place of the leading zero, as with printf's "%02lld".
    out += '-';
    AppendDigits(out, uint64_t{0} - static_cast<uint64_t>(n));
}

void AppendHHMMSS(std::string& out, uint64_t seconds) {
    AppendTwoDigits(out, seconds / 3600);
    out += " : ";
    AppendTwoDigits(out, seconds / 60 % 60);
    out += " : ";
    AppendTwoDigits(out, seconds % 60);
}

void AppendHHMMSS(std::string& out, int64_t hours, int64_t minutes, int64_t seconds) {
    AppendTwoDigits(out, hours);
    out += " : ";
    AppendTwoDigits(out, minutes);
    out += " : ";
    AppendTwoDigits(out, seconds);
}

} // namespace vorelt
