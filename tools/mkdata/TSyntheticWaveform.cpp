#include "TSyntheticWaveform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorelt {

double SyntheticBurstFrequency(int channel, const TWaveformShape& shape) {
    const double wanted = 100e3 + 50e3 * double((std::max(channel, 1) - 1) % 6);
    const double binWidth = shape.SampleRate / double(shape.Samples);
    const double bin = std::max(1.0, std::round(wanted / binWidth));
    return bin * binWidth;
}

void SyntheticWaveform(const TSyntheticEvent& e, double microvoltsPerUnit,
                       const TWaveformShape& shape, uint64_t seed, std::vector<int16_t>& raw) {
    const size_t n = static_cast<size_t>(std::max(shape.Samples, 0));
    raw.assign(n, 0);
    if (n == 0 || microvoltsPerUnit <= 0) return;
    const double peak = std::min(double(e.AmplitudeCode) / microvoltsPerUnit, 32000.0);
    const double omega =
        2 * std::numbers::pi * SyntheticBurstFrequency(e.Channel, shape) / shape.SampleRate;
    const double decay = std::max(1.0, double(n) / 8); // samples to fall by 1/e
    // A small generator of its own, seeded by the run and the hit, for two units of noise.
    uint64_t state = (seed * 0x9E3779B97F4A7C15ULL) ^ (uint64_t(e.TimeUs) << 8) ^ e.Channel;
    for (size_t k = 0; k < n; ++k) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        double v = double(int(state % 5) - 2);
        if (k >= size_t(std::max(shape.Pretrigger, 0))) {
            const double t = double(k - size_t(shape.Pretrigger));
            v += peak * std::exp(-t / decay) * std::sin(omega * t + std::numbers::pi / 2);
        }
        raw[k] = static_cast<int16_t>(std::clamp(std::nearbyint(v), -32768.0, 32767.0));
    }
}

} // namespace vorelt
