#pragma once
// The significant decimal digits of an 80-bit value by integer arithmetic alone: what printf's
// "%.*Le" computes with its arbitrary-precision code, several times faster than the call
// itself, for the magnitudes that data files hold. Text output of millions of values goes
// through it, so it is inline.

#include <cstdint>
#include <cstring>
#include <limits>

namespace vorelt {

struct TDecimalDigits {
    uint64_t Digits = 0; // exactly `precision` digits: 10^(precision-1) <= Digits < 10^precision
    int Exponent = 0;    // |x| rounds to Digits * 10^(Exponent - precision + 1)
    bool Negative = false;
};

namespace decimal_digits {

using u128 = unsigned __int128;

inline constexpr int MaxPow5 = 27; // 5^27 < 2^63

struct TPowers {
    uint64_t Five[MaxPow5 + 1];
    uint64_t Ten[20];
};

inline constexpr TPowers Powers = [] {
    TPowers t{};
    t.Five[0] = t.Ten[0] = 1;
    for (int i = 1; i <= MaxPow5; ++i)
        t.Five[i] = t.Five[i - 1] * 5;
    for (int i = 1; i < 20; ++i)
        t.Ten[i] = t.Ten[i - 1] * 10;
    return t;
}();

// What was cut below the last digit kept: Half when it is at least one half, Sticky when it is
// neither zero nor exactly one half.
struct TCut {
    bool Half = false;
    bool Sticky = false;
};

inline TCut CutOf(u128 rest, u128 divisor) {
    const u128 twice = 2 * rest;
    return {twice >= divisor, rest != 0 && twice != divisor};
}

// x = m * 2^q scaled by 10^k and cut to an integer; false when the arithmetic would not be
// exact in 128 bits. The integer is below ten times 10^precision, far below 2^64.
[[gnu::always_inline]] inline bool Scaled(uint64_t m, int q, int k, uint64_t& whole, TCut& cut) {
    if (k >= 0) {
        if (k > MaxPow5) return false;
        // m * 10^k * 2^q = (m * 5^k) * 2^(q + k)
        const u128 product = static_cast<u128>(m) * Powers.Five[k];
        const int s = q + k;
        if (s >= 0) {
            if (s >= 64) return false;
            whole = static_cast<uint64_t>(product << s);
            cut = {};
            return true;
        }
        const int shift = -s;
        if (shift >= 128) return false;
        whole = static_cast<uint64_t>(product >> shift);
        const u128 below = product & ((static_cast<u128>(1) << shift) - 1);
        const u128 half = static_cast<u128>(1) << (shift - 1);
        cut = {below >= half, below != 0 && below != half};
        return true;
    }
    const int j = -k;
    if (j > MaxPow5) return false;
    // m * 2^q / 10^j = m * 2^(q - j) / 5^j
    const int t = q - j;
    u128 numerator = m, divisor = Powers.Five[j];
    if (t >= 0) {
        if (t > 63) return false;
        numerator <<= t;
    } else {
        if (-t > 64) return false;
        divisor <<= -t;
    }
    const u128 quotient = numerator / divisor;
    whole = static_cast<uint64_t>(quotient);
    cut = CutOf(numerator - quotient * divisor, divisor);
    return true;
}

// The x87 extended layout of a long double: the 64-bit significand with its integer bit, then
// the sign and the 15-bit biased exponent.
[[gnu::always_inline]] inline void SplitExtended(long double x, uint64_t& significand,
                                                 uint16_t& signExponent) {
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &x, sizeof x);
    std::memcpy(&significand, bytes, 8);
    std::memcpy(&signExponent, bytes + 8, 2);
}

} // namespace decimal_digits

// |x| rounded to `precision` (1..18) significant digits, to nearest with ties to even, as printf
// rounds under the default rounding mode. False for zero, non-finite and unusual encodings, and
// for magnitudes outside the range the 128-bit arithmetic covers (about 2e-13 to 1e41 at 15
// digits): the caller then asks printf.
[[gnu::always_inline]] inline bool ExactDecimalDigits(long double x, int precision,
                                                      TDecimalDigits& out) {
    using namespace decimal_digits;
    if constexpr (std::numeric_limits<long double>::digits != 64) {
        return false;
    } else {
        if (precision < 1 || precision > 18) return false;
        uint64_t m;
        uint16_t signExp;
        SplitExtended(x, m, signExp);
        const int biased = signExp & 0x7FFF;
        // Zero, denormals, infinities, NaN and the encodings without the integer bit.
        if (biased == 0 || biased == 0x7FFF || !(m >> 63)) return false;
        const int q = biased - 16383 - 63;
        // 2^(q+63) <= |x| < 2^(q+64): the decimal exponent is floor((q+63) log10 2) or one more.
        const int binary = q + 63;
        if (binary < -200 || binary > 200) return false;
        int exponent = (binary * 78913) >> 18; // floor(binary * log10 2) in this range
        uint64_t digits;
        TCut cut;
        if (!Scaled(m, q, precision - 1 - exponent, digits, cut)) return false;
        const uint64_t limit = Powers.Ten[precision];
        if (digits >= limit) {
            // The estimate was one low: one digit more came out, and joins what is cut.
            const unsigned last = static_cast<unsigned>(digits % 10);
            digits /= 10;
            ++exponent;
            cut = {last >= 5, cut.Half || cut.Sticky || (last != 0 && last != 5)};
        }
        digits += cut.Half && (cut.Sticky || (digits & 1));
        if (digits == limit) {
            // 99..9 rounded up: one digit, at the next exponent.
            digits = Powers.Ten[precision - 1];
            ++exponent;
        }
        out.Digits = digits;
        out.Exponent = exponent;
        out.Negative = (signExp & 0x8000) != 0;
        return true;
    }
}

} // namespace vorelt
