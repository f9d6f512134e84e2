#pragma once
// The significant decimal digits of an 80-bit value by integer arithmetic alone: what printf's
// "%.*Le" computes with its arbitrary-precision code, a few times faster than the call itself,
// for the magnitudes that data files hold. Text output of millions of values goes through it.

#include <cstdint>

namespace vorelt {

struct TDecimalDigits {
    uint64_t Digits = 0; // exactly `precision` digits: 10^(precision-1) <= Digits < 10^precision
    int Exponent = 0;    // |x| rounds to Digits * 10^(Exponent - precision + 1)
    bool Negative = false;
};

// |x| rounded to `precision` (1..18) significant digits, to nearest with ties to even, as printf
// rounds under the default rounding mode. False for zero, non-finite and unusual encodings, and
// for magnitudes outside the range the 128-bit arithmetic covers (about 2e-13 to 1e41 at 15
// digits): the caller then asks printf.
bool ExactDecimalDigits(long double x, int precision, TDecimalDigits& out);

} // namespace vorelt
