#include "model/TAEIDGenerator.h"

#include "model/TAEField.h"

#include <chrono>

namespace vorelt {

namespace {

uint64_t FreshSeed() {
    std::random_device device;
    uint64_t seed = (static_cast<uint64_t>(device()) << 32) ^ device();
    return seed ^ static_cast<uint64_t>(
                      std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

} // namespace

TAEIDGenerator::TAEIDGenerator(TInUse isInUse) : TAEIDGenerator(std::move(isInUse), FreshSeed()) {}

TAEIDGenerator::TAEIDGenerator(TInUse isInUse, uint64_t seed)
    : FIsInUse(std::move(isInUse)), FRandom(seed) {}

std::string TAEIDGenerator::NewID() {
    // The engine is seeded once: reseeding from the clock per candidate repeats the same
    // candidate within one clock tick and spins when that candidate is taken.
    std::uniform_int_distribution<int> digit(0, 8);
    std::string id(16, '0');
    for (;;) {
        for (char& c : id)
            c = static_cast<char>('0' + digit(FRandom));
        if (IsReservedID(id)) continue;
        if (FIsInUse && FIsInUse(id)) continue;
        return id;
    }
}

} // namespace vorelt
