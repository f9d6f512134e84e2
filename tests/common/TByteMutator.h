#pragma once
// Damage done to the bytes of a valid file: cut short, length and count fields set to extreme
// values, random bytes changed, garbage or zeros appended, stretches zeroed, doubled or taken
// out. The driver mutation tests and the command-line campaign draw their cases from here.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vorelt::test {

// Values that break lengths and counts: zero, one, the signed and unsigned limits, and the
// file's own size.
std::vector<uint32_t> Extremes32(size_t fileSize);
const std::vector<uint16_t>& Extremes16();

// Writes the low `bytes` bytes of v little-endian at `at` (those inside the string).
void PutLE(std::string& s, size_t at, uint32_t v, int bytes);

// Changes 1 to 8 random bytes; `what` gets their offsets.
void ChangeRandomBytes(std::string& s, std::mt19937& rng, std::string& what);

class TByteMutator {
public:
    explicit TByteMutator(uint32_t seed) : FRng(seed) {}

    // A damaged copy of `valid` by a mutation chosen at random; `what` describes it so that
    // the case can be told and made again.
    std::string Mutate(const std::string& valid, std::string& what);
    std::mt19937& Rng() { return FRng; }

private:
    std::mt19937 FRng;
};

} // namespace vorelt::test
