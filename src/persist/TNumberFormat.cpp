#include "persist/TNumberFormat.h"

#include "persist/TErrors.h"
#include "persist/TTextHelpers.h"

#include <cctype>
#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

std::string FloatToStr(long double x, int precision) {
    if (!std::isfinite(x)) return NonFinite(x);
    if (precision < 1) precision = 1;
    if (precision > 18) precision = 18;
    if (x == 0) return "0";
    char buf[64];
    {
        TCLocaleScope scope;
        std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, x);
    }
    // buf: [-]d.ddddde[+-]XX ; split into digits and exponent.
    std::string s(buf);
    bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    size_t ePos = s.find('e');
    int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string digits;
    for (size_t i = 0; i < ePos; ++i)
        if (s[i] != '.') digits += s[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    long double ax = std::fabs(x);
    if (exponent < precision && ax >= 1e-5L) {
        if (exponent >= 0) {
            std::string intPart, frac;
            for (int i = 0; i <= exponent; ++i)
                intPart += i < static_cast<int>(digits.size()) ? digits[i] : '0';
            if (static_cast<int>(digits.size()) > exponent + 1) frac = digits.substr(exponent + 1);
            out += intPart;
            if (!frac.empty()) out += "," + frac;
        } else {
            out += "0," + std::string(-exponent - 1, '0') + digits;
        }
    } else {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "," + digits.substr(1);
        out += "E";
        if (exponent < 0) out += "-";
        out += std::to_string(std::abs(exponent));
    }
    return out;
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
    return std::to_string(n);
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
