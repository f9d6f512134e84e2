#include "persist/TDecimalDigits.h"

#include <bit>
#include <cstring>
#include <limits>

namespace vorelt {

namespace {

using u128 = unsigned __int128;

constexpr int MaxPow5 = 27; // 5^27 < 2^63

constexpr auto Pow5Table = [] {
    struct {
        uint64_t V[MaxPow5 + 1];
    } t{};
    t.V[0] = 1;
    for (int i = 1; i <= MaxPow5; ++i)
        t.V[i] = t.V[i - 1] * 5;
    return t;
}();

constexpr auto Pow10Table = [] {
    struct {
        uint64_t V[20];
    } t{};
    t.V[0] = 1;
    for (int i = 1; i < 20; ++i)
        t.V[i] = t.V[i - 1] * 10;
    return t;
}();

// What lies below the last digit kept, for rounding to nearest with ties to even.
enum TRest { rsExact, rsBelowHalf, rsHalf, rsAboveHalf };

TRest RestOf(u128 rest, u128 divisor) {
    if (rest == 0) return rsExact;
    const u128 twice = 2 * rest;
    return twice < divisor ? rsBelowHalf : twice == divisor ? rsHalf : rsAboveHalf;
}

// x = m * 2^q scaled by 10^k and cut to an integer, with what was cut; false when the arithmetic
// would not be exact in 128 bits. The integer is below ten times 10^precision, far below 2^64.
bool Scaled(uint64_t m, int q, int k, uint64_t& whole, TRest& rest) {
    if (k >= 0) {
        if (k > MaxPow5) return false;
        // m * 10^k * 2^q = (m * 5^k) * 2^(q + k)
        const u128 product = static_cast<u128>(m) * Pow5Table.V[k];
        const int s = q + k;
        if (s >= 0) {
            if (s >= 64) return false;
            whole = static_cast<uint64_t>(product << s);
            rest = rsExact;
            return true;
        }
        const int shift = -s;
        if (shift >= 128) return false;
        const u128 quotient = product >> shift;
        whole = static_cast<uint64_t>(quotient);
        rest = RestOf(product - (quotient << shift), static_cast<u128>(1) << shift);
        return true;
    }
    const int j = -k;
    if (j > MaxPow5) return false;
    // m * 2^q / 10^j = m * 2^(q - j) / 5^j
    const int t = q - j;
    u128 numerator = m, divisor = Pow5Table.V[j];
    if (t >= 0) {
        if (t > 63) return false;
        numerator <<= t;
    } else {
        if (-t > 64) return false;
        divisor <<= -t;
    }
    const u128 quotient = numerator / divisor;
    whole = static_cast<uint64_t>(quotient);
    rest = RestOf(numerator - quotient * divisor, divisor);
    return true;
}

} // namespace

bool ExactDecimalDigits(long double x, int precision, TDecimalDigits& out) {
    if constexpr (std::numeric_limits<long double>::digits != 64) {
        return false;
    } else {
        if (precision < 1 || precision > 18) return false;
        // The x87 extended layout: 64-bit significand with its integer bit, then sign and a
        // 15-bit biased exponent.
        unsigned char bytes[sizeof(long double)];
        std::memcpy(bytes, &x, sizeof x);
        uint64_t m;
        uint16_t signExp;
        std::memcpy(&m, bytes, 8);
        std::memcpy(&signExp, bytes + 8, 2);
        const int biased = signExp & 0x7FFF;
        // Zero, denormals, infinities, NaN and the encodings without the integer bit.
        if (biased == 0 || biased == 0x7FFF || !(m >> 63)) return false;
        const int q = biased - 16383 - 63;
        // 2^(q+63) <= |x| < 2^(q+64): the decimal exponent is floor((q+63) log10 2) or one more.
        const int binary = q + 63;
        if (binary < -200 || binary > 200) return false;
        int exponent = (binary * 78913) >> 18; // floor(binary * log10 2) in this range
        uint64_t digits;
        TRest rest;
        if (!Scaled(m, q, precision - 1 - exponent, digits, rest)) return false;
        const uint64_t limit = Pow10Table.V[precision];
        if (digits >= limit) {
            // The estimate was one low: one digit more came out, and joins what is cut.
            const unsigned last = static_cast<unsigned>(digits % 10);
            digits /= 10;
            ++exponent;
            if (last > 5 || (last == 5 && rest != rsExact))
                rest = rsAboveHalf;
            else if (last == 5)
                rest = rsHalf;
            else if (last > 0 || rest != rsExact)
                rest = rsBelowHalf;
        }
        if (rest == rsAboveHalf || (rest == rsHalf && (digits & 1))) ++digits;
        if (digits == limit) {
            // 99..9 rounded up: one digit, at the next exponent.
            digits = Pow10Table.V[precision - 1];
            ++exponent;
        }
        out.Digits = digits;
        out.Exponent = exponent;
        out.Negative = (signExp & 0x8000) != 0;
        return true;
    }
}

} // namespace vorelt
