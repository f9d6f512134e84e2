#include "common/TByteMutator.h"

#include <algorithm>
#include <cstddef>

namespace vorelt::test {

std::vector<uint32_t> Extremes32(size_t fileSize) {
    return {0,
            1,
            0x7FFFFFFF,
            0x80000000,
            0xFFFFFFFF,
            0xFFFFFFF0,
            static_cast<uint32_t>(fileSize),
            static_cast<uint32_t>(fileSize + 1)};
}

const std::vector<uint16_t>& Extremes16() {
    static const std::vector<uint16_t> values = {0, 1, 2, 3, 0x7FFF, 0x8000, 0xFFFF, 0xFFFE};
    return values;
}

void PutLE(std::string& s, size_t at, uint32_t v, int bytes) {
    for (int b = 0; b < bytes && at + static_cast<size_t>(b) < s.size(); ++b)
        s[at + static_cast<size_t>(b)] = static_cast<char>((v >> (8 * b)) & 0xFF);
}

void ChangeRandomBytes(std::string& s, std::mt19937& rng, std::string& what) {
    if (s.empty()) return;
    const int changes = 1 + static_cast<int>(rng() % 8);
    for (int c = 0; c < changes; ++c) {
        const size_t at = rng() % s.size();
        s[at] = static_cast<char>(rng() & 0xFF);
        what += " " + std::to_string(at);
    }
}

std::string TByteMutator::Mutate(const std::string& valid, std::string& what) {
    std::string m = valid;
    const size_t size = valid.size();
    if (size == 0) {
        what = "empty";
        return m;
    }
    auto span = [&](size_t most) { return 1 + FRng() % std::max<size_t>(1, std::min(most, size)); };
    switch (FRng() % 10) {
    case 0:
    case 1: {
        const size_t len = FRng() % size;
        what = "truncated to " + std::to_string(len);
        m.resize(len);
        break;
    }
    case 2:
    case 3: {
        const size_t at = FRng() % size;
        const int width = (FRng() & 1) ? 4 : 2;
        const std::vector<uint32_t> values = Extremes32(size);
        const uint32_t v = width == 4 ? values[FRng() % values.size()]
                                      : Extremes16()[FRng() % Extremes16().size()];
        PutLE(m, at, v, width);
        what = "u" + std::to_string(8 * width) + " at " + std::to_string(at) +
               " := " + std::to_string(v);
        break;
    }
    case 4:
    case 5:
        what = "random bytes at";
        ChangeRandomBytes(m, FRng, what);
        break;
    case 6: {
        const size_t n = (FRng() & 1) ? 65536 : 1 + FRng() % 4096;
        what = std::to_string(n) + " zero bytes appended";
        m.append(n, '\0');
        break;
    }
    case 7: {
        const size_t n = 1 + FRng() % 4096;
        what = std::to_string(n) + " random bytes appended";
        for (size_t i = 0; i < n; ++i)
            m.push_back(static_cast<char>(FRng() & 0xFF));
        break;
    }
    case 8: {
        const size_t at = FRng() % size;
        const size_t n = std::min(span(4096), size - at);
        what = std::to_string(n) + " bytes zeroed at " + std::to_string(at);
        std::fill(m.begin() + static_cast<std::ptrdiff_t>(at),
                  m.begin() + static_cast<std::ptrdiff_t>(at + n), '\0');
        break;
    }
    default: {
        const size_t at = FRng() % size;
        const size_t n = std::min(span(2048), size - at);
        if (FRng() & 1) {
            what = std::to_string(n) + " bytes at " + std::to_string(at) + " doubled";
            m.insert(at, valid, at, n);
        } else {
            what = std::to_string(n) + " bytes at " + std::to_string(at) + " taken out";
            m.erase(at, n);
        }
        break;
    }
    }
    return m;
}

} // namespace vorelt::test
