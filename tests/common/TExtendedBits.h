#pragma once
// A long double made from the x87 extended layout, for tests that walk the encodings.

#include <cstdint>
#include <cstring>

namespace vorelt::test {

inline long double FromBits(uint64_t mantissa, uint16_t signExponent) {
    long double x = 0;
    unsigned char bytes[sizeof x] = {};
    std::memcpy(bytes, &mantissa, 8);
    std::memcpy(bytes + 8, &signExponent, 2);
    std::memcpy(&x, bytes, sizeof x);
    return x;
}

} // namespace vorelt::test
