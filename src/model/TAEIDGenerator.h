#pragma once
// Generates field, processor and variant IDs: 16 random digits 0..8, never a reserved ID and
// never one that the predicate reports in use. The project passes a predicate that looks at
// its processors, their fields and the variants.

#include "persist/IIDGenerator.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>

namespace vorelt {

class TAEIDGenerator : public IIDGenerator {
public:
    using TInUse = std::function<bool(const std::string&)>;

    // Seeded once, from the random device and the clock.
    explicit TAEIDGenerator(TInUse isInUse);
    // Fixed seed, for reproducible runs.
    TAEIDGenerator(TInUse isInUse, uint64_t seed);

    std::string NewID() override;

private:
    TInUse FIsInUse;
    std::mt19937_64 FRandom;
};

} // namespace vorelt
