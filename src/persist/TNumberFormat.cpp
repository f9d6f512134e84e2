#include "persist/TNumberFormat.h"

#include "persist/TDecimalDigits.h"
#include "persist/TErrors.h"
#include "persist/TTextHelpers.h"

#include <bit>
#include <cctype>
#include <cfenv>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

namespace vorelt {

namespace {

locale_t CLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Runs printf-family calls under the "C" locale whatever the process locale is (Qt sets the
// user's locale at start-up).
class TCLocaleScope {
public:
    TCLocaleScope() : FOld(uselocale(CLocale())) {}
    ~TCLocaleScope() { uselocale(FOld); }
    TCLocaleScope(const TCLocaleScope&) = delete;
    TCLocaleScope& operator=(const TCLocaleScope&) = delete;

private:
    locale_t FOld;
};

std::string Quoted(std::string_view s) {
    return "'" + std::string(s) + "'";
}

std::string NonFinite(long double x) {
    if (std::isnan(x)) return "NAN";
    return x < 0 ? "-INF" : "INF";
}

} // namespace

namespace {

// printf's digits for the values the integer path leaves: the same rounding, far slower.
TDecimalDigits PrintfDigits(long double x, int precision) {
    char buf[64];
    {
        TCLocaleScope scope;
        std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, x);
    }
    // buf: [-]d.ddddde[+-]XX
    TDecimalDigits d;
    d.Negative = buf[0] == '-';
    const char* p = buf + d.Negative;
    for (; *p != 'e'; ++p)
        if (*p != '.') d.Digits = d.Digits * 10 + static_cast<unsigned>(*p - '0');
    d.Exponent = std::atoi(p + 1);
    return d;
}

constexpr char TwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void PutTwo(char* out, uint32_t v) {
    std::memcpy(out, TwoDigits + 2 * v, 2);
}

// The eight decimal digits of v < 10^8 as byte values 0..9, the first in the lowest byte:
// halves, quarters and single digits split in parallel lanes of one register, by multiplying
// with scaled reciprocals that are exact for the lane values (x * 10486 >> 20 is x / 100 below
// 10^4, x * 103 >> 10 is x / 10 below 100).
[[gnu::always_inline]] inline uint64_t EightDigitValues(uint32_t v) {
    const uint64_t y = (v / 10000) | (static_cast<uint64_t>(v % 10000) << 32);
    const uint64_t hundreds = ((y * 10486) >> 20) & 0x0000007F0000007FULL;
    const uint64_t z = hundreds | ((y - hundreds * 100) << 16);
    const uint64_t tens = ((z * 103) >> 10) & 0x000F000F000F000FULL;
    return tens | ((z - tens * 10) << 8);
}

constexpr uint64_t AsciiZeros = 0x3030303030303030ULL;

// Trailing zero digits among the eight of a word of digit values.
int TrailingZeroDigits(uint64_t values) {
    return values == 0 ? 8 : std::countl_zero(values) / 8;
}

// The general format of `count` significant digits (trailing zeros dropped). `copy(out, i)`
// writes the digits from the i-th on, as many as it likes past the end: the room that
// NumberTextCapacity leaves for that lets every piece be one store of fixed length.
template <class TCopy>
char* Layout(char* out, int count, int exponent, int precision, bool negative, long double x,
             const TCopy& copy, char first) {
    if (negative) *out++ = '-';
    // |x| >= 1e-5 is settled by the exponent except next to the border.
    const bool fixed =
        exponent < precision && (exponent > -5 || (exponent == -5 && std::fabs(x) >= 1e-5L));
    if (fixed && exponent >= 0) {
        const int whole = exponent + 1;
        copy(out, 0);
        if (count <= whole) return out + whole; // the places past `count` are zero digits
        copy(out + whole + 1, whole);
        out[whole] = ',';
        return out + count + 1;
    }
    if (fixed) {
        std::memcpy(out, "0,0000", 6);
        out += 1 - exponent;
        copy(out, 0);
        return out + count;
    }
    copy(out + 2, 1);
    out[0] = first;
    out[1] = ',';
    out += count > 1 ? count + 1 : 1;
    *out++ = 'E';
    if (exponent < 0) *out++ = '-';
    const int e = exponent < 0 ? -exponent : exponent;
    if (e < 10) {
        *out = static_cast<char>('0' + e);
        return out + 1;
    }
    if (e < 100) {
        PutTwo(out, static_cast<uint32_t>(e));
        return out + 2;
    }
    return std::to_chars(out, out + 8, e).ptr;
}

char* Layout(char* out, const TDecimalDigits& d, int precision, long double x) {
    // Two digits and two words of eight, the last `precision` of them significant.
    const uint64_t high = d.Digits / 100000000;
    const uint64_t middle = EightDigitValues(static_cast<uint32_t>(high % 100000000));
    const uint64_t low = EightDigitValues(static_cast<uint32_t>(d.Digits % 100000000));
    int zeros = TrailingZeroDigits(low);
    if (zeros == 8) zeros += TrailingZeroDigits(middle);
    const int count = precision - zeros; // the first digit is never zero
    if (precision <= 16) {
        // The digits in one 128-bit register, the first in the lowest byte: no store of the
        // digits is read back.
        using u128 = unsigned __int128;
        const u128 text =
            static_cast<u128>(middle + AsciiZeros) | (static_cast<u128>(low + AsciiZeros) << 64);
        const u128 digits = text >> (8 * (16 - precision));
        const auto copy = [&](char* to, int from) {
            const u128 piece = digits >> (8 * from);
            std::memcpy(to, &piece, 16);
        };
        return Layout(out, count, d.Exponent, precision, d.Negative, x, copy,
                      static_cast<char>(digits));
    }
    char places[36];
    PutTwo(places, static_cast<uint32_t>(high / 100000000));
    const uint64_t middleText = middle + AsciiZeros, lowText = low + AsciiZeros;
    std::memcpy(places + 2, &middleText, 8);
    std::memcpy(places + 10, &lowText, 8);
    std::memset(places + 18, '0', 18);
    const char* digits = places + 18 - precision;
    // 16 zero digits leave the two top places to look at.
    int n = count;
    while (n > 1 && digits[n - 1] == '0')
        --n;
    const auto copy = [&](char* to, int from) { std::memcpy(to, digits + from, 18); };
    return Layout(out, n, d.Exponent, precision, d.Negative, x, copy, digits[0]);
}

char* WriteFloatTextSlowly(char* out, long double x, int precision) {
    if (!std::isfinite(x)) {
        const std::string s = NonFinite(x);
        std::memcpy(out, s.data(), s.size());
        return out + s.size();
    }
    if (precision < 1) precision = 1;
    if (precision > 18) precision = 18;
    if (x == 0) {
        *out = '0';
        return out + 1;
    }
    TDecimalDigits d;
    if (!ExactDecimalDigits(x, precision, d)) d = PrintfDigits(x, precision);
    return Layout(out, d, precision, x);
}

// Whole numbers of fewer digits than the precision, and zero, are written as integers: their
// general format is exactly their digits. Counts, samples and microseconds of data files are
// mostly such values. Read from the bits, without a conversion through the x87 unit.
[[gnu::always_inline]] inline char* WriteWholeText(char* out, long double x, int precision) {
    if constexpr (std::numeric_limits<long double>::digits != 64) {
        return nullptr;
    } else {
        uint64_t m;
        uint16_t signExp;
        decimal_digits::SplitExtended(x, m, signExp);
        const int biased = signExp & 0x7FFF;
        if (biased == 0) {
            if (m != 0) return nullptr;
            *out = '0'; // either sign
            return out + 1;
        }
        // 2^e <= |x| < 2^(e+1), with the integer bit set; 2^50 is past any 15 digits.
        const int e = biased - 16383;
        if (e < 0 || e > 59 || !(m >> 63) || (m << (e + 1)) != 0) return nullptr;
        const uint64_t n = m >> (63 - e);
        if (precision < 1 || precision > 18 || n >= decimal_digits::Powers.Ten[precision])
            return nullptr;
        if (signExp & 0x8000) *out++ = '-';
        return std::to_chars(out, out + NumberTextCapacity, n).ptr;
    }
}

} // namespace

char* WriteFloatText(char* out, long double x, int precision) {
    if (char* end = WriteWholeText(out, x, precision)) return end;
    TDecimalDigits d;
    if (ExactDecimalDigits(x, precision, d)) return Layout(out, d, precision, x);
    return WriteFloatTextSlowly(out, x, precision);
}

char* WriteIntText(char* out, int64_t n) {
    return std::to_chars(out, out + NumberTextCapacity, n).ptr;
}

std::string FloatToStr(long double x, int precision) {
    char buf[NumberTextCapacity];
    return std::string(buf, WriteFloatText(buf, x, precision));
}

std::string FormatFloat(std::string_view printfFormat, long double x) {
    std::string fmt(printfFormat);
    // Accept exactly one conversion among f, e, E, g, G with optional flags/width/precision.
    size_t pct = fmt.find('%');
    if (fmt.empty() || pct == std::string::npos) return FloatToStr(x);
    size_t i = pct + 1;
    while (i < fmt.size() && std::string_view("-+ #0").find(fmt[i]) != std::string_view::npos)
        ++i;
    while (i < fmt.size() && (std::isdigit(static_cast<unsigned char>(fmt[i])) || fmt[i] == '.'))
        ++i;
    if (i < fmt.size() && fmt[i] == 'L') fmt.erase(i, 1);
    if (i >= fmt.size() || std::string_view("feEgG").find(fmt[i]) == std::string_view::npos)
        return FloatToStr(x);
    if (fmt.find('%', i + 1) != std::string::npos) return FloatToStr(x);
    fmt.insert(i, "L");
    if (!std::isfinite(x)) return NonFinite(x);
    char buf[512];
    {
        TCLocaleScope scope;
        std::snprintf(buf, sizeof buf, fmt.c_str(), x);
    }
    std::string out(buf);
    for (char& c : out)
        if (c == '.') c = ',';
    return out;
}

std::string IntToStr(int64_t n) {
    char buf[NumberTextCapacity];
    return std::string(buf, WriteIntText(buf, n));
}

bool TryStrToFloat(std::string_view s, long double& out) {
    std::string_view t = TrimView(s);
    std::string norm;
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) norm += t[i++];
    size_t digits = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
        norm += t[i++];
        ++digits;
    }
    if (i < t.size() && (t[i] == ',' || t[i] == '.')) {
        norm += '.';
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
            norm += t[i++];
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        norm += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) norm += t[i++];
        size_t expDigits = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
            norm += t[i++];
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != t.size()) return false;
    out = strtold_l(norm.c_str(), nullptr, CLocale());
    return true;
}

long double StrToFloat(std::string_view s) {
    long double v;
    if (!TryStrToFloat(s, v))
        throw EConvertError(Quoted(s) + " is not a valid floating point value");
    return v;
}

bool TryStrToInt64(std::string_view s, int64_t& out) {
    std::string_view t = TrimView(s);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i == t.size()) return false;
    uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                              : uint64_t(std::numeric_limits<int64_t>::max());
    uint64_t v = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
        unsigned d = unsigned(t[i] - '0');
        if (v > (limit - d) / 10) return false;
        v = v * 10 + d;
    }
    out = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
    return true;
}

int64_t StrToInt64(std::string_view s) {
    int64_t v;
    if (!TryStrToInt64(s, v)) throw EConvertError(Quoted(s) + " is not a valid integer value");
    return v;
}

bool TryStrToInt(std::string_view s, int32_t& out) {
    int64_t v;
    if (!TryStrToInt64(s, v) || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

int32_t StrToInt(std::string_view s) {
    int32_t v;
    if (!TryStrToInt(s, v)) throw EConvertError(Quoted(s) + " is not a valid integer value");
    return v;
}

bool TryStrToBool(std::string_view s, bool& out) {
    std::string u = UpperCase(TrimView(s));
    if (u == "TRUE") {
        out = true;
        return true;
    }
    if (u == "FALSE") {
        out = false;
        return true;
    }
    long double v;
    if (TryStrToFloat(s, v)) {
        out = v != 0;
        return true;
    }
    return false;
}

bool StrToBool(std::string_view s) {
    bool v;
    if (!TryStrToBool(s, v)) throw EConvertError(Quoted(s) + " is not a valid boolean value");
    return v;
}

int64_t RoundToInt64(long double x) {
    // llrintl rounds half to even under the default rounding mode and is a single instruction;
    // it is only valid inside the range, so the bounds are checked first.
    if (x > -4.0e18L && x < 4.0e18L) return llrintl(x);
    if (std::isnan(x)) return 0;
    long double r = nearbyintl(x);
    // 2^63 is exactly representable in long double.
    if (r >= 9223372036854775808.0L) return std::numeric_limits<int64_t>::max();
    if (r < -9223372036854775808.0L) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(r);
}

int32_t RoundToInt32(long double x) {
    int64_t v = RoundToInt64(x);
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

void MaskFloatExceptions() {
    fedisableexcept(FE_ALL_EXCEPT);
    fesetround(FE_TONEAREST);
}

} // namespace vorelt
