#include "processing/waveform/TWaveformFeatures.h"

#include "processing/waveform/TFrequencyMagnitudes.h"

#include <cmath>
#include <limits>
#include <vector>

namespace vorelt {

namespace {

// Running sums of squares S_k = y_0² + ... + y_k².
void SumsOfSquares(std::span<const float> y, std::vector<long double>& s) {
    s.resize(y.size());
    long double acc = 0;
    for (size_t k = 0; k < y.size(); ++k) {
        acc += static_cast<long double>(y[k]) * y[k];
        s[k] = acc;
    }
}

// ER_k in single precision, as the pickers compare them.
void EnergyRatios(std::span<const float> y, int window, std::vector<float>& er) {
    std::vector<long double> s;
    SumsOfSquares(y, s);
    const size_t n = y.size();
    const size_t w = window > 0 ? size_t(window) : 1;
    er.assign(n, 0.0f);
    for (size_t k = w; k + w < n; ++k) {
        const long double after = s[k + w] - s[k];
        const long double before = s[k] - s[k - w];
        if (before > 0)
            er[k] = static_cast<float>(after / before);
        else if (after > 0)
            er[k] = std::numeric_limits<float>::infinity(); // energy out of silence
        // Silence on both sides leaves 0: no arrival there.
    }
}

template <typename T> int64_t FirstMax(const std::vector<T>& v) {
    if (v.empty()) return -1;
    size_t best = 0;
    for (size_t k = 1; k < v.size(); ++k)
        if (v[k] > v[best]) best = k;
    return static_cast<int64_t>(best);
}

} // namespace

void ComputeTimeFeatures(std::span<const float> y, double sampleRate, double threshold,
                         TWaveformFeatures& f) {
    const size_t n = y.size();
    long double squares = 0, absSum = 0;
    float maxAbs = 0;
    size_t maxAt = 0;
    long long firstOver = -1;
    int64_t counts = 0;
    for (size_t k = 0; k < n; ++k) {
        const float v = y[k];
        const float a = std::fabs(v);
        squares += static_cast<long double>(v) * v;
        absSum += a;
        if (a > maxAbs) {
            maxAbs = a;
            maxAt = k;
        }
        if (firstOver < 0 && double(a) >= threshold) firstOver = static_cast<long long>(k);
        if (k + 1 < n && double(v) < threshold && threshold <= double(y[k + 1])) ++counts;
    }
    f.SumSquares = static_cast<double>(squares);
    f.MaxAbs = f.PeakAmplitude = maxAbs;
    f.Counts = counts;
    f.RMS = n ? static_cast<double>(std::sqrt(squares / n)) : 0.0;
    if (sampleRate > 0) {
        f.Energy = static_cast<double>(squares / sampleRate / EnergyUnit);
        f.SignalStrength = static_cast<double>(absSum / sampleRate * 1e9L);
        f.RiseTime =
            firstOver >= 0 ? (static_cast<double>(maxAt) - double(firstOver)) / sampleRate : 0.0;
    } else {
        f.Energy = f.SignalStrength = f.RiseTime = 0;
    }
}

int64_t PickHinkley(std::span<const float> y, double alpha) {
    const size_t n = y.size();
    if (n == 0) return -1;
    std::vector<long double> s;
    SumsOfSquares(y, s);
    const long double trend = s[n - 1] / (static_cast<long double>(alpha) * n);
    size_t best = 0;
    long double bestValue = s[0];
    for (size_t k = 1; k < n; ++k) {
        const long double h = s[k] - k * trend;
        if (h < bestValue) {
            bestValue = h;
            best = k;
        }
    }
    return static_cast<int64_t>(best);
}

void AkaikeCurve(std::span<const float> y, std::vector<long double>& aic) {
    const size_t n = y.size();
    aic.clear();
    if (n < 2) return;
    aic.resize(n - 1);
    long double total = 0, totalSquares = 0;
    for (float v : y) {
        total += v;
        totalSquares += static_cast<long double>(v) * v;
    }
    // The smallest normal float: a side without variance must not give log10(0).
    constexpr long double Floor = 1.1755e-38L;
    long double left = 0, leftSquares = 0;
    for (size_t k = 0; k + 1 < n; ++k) {
        left += y[k];
        leftSquares += static_cast<long double>(y[k]) * y[k];
        const long double nl = k + 1, nr = n - k - 1;
        const long double ml = left / nl, mr = (total - left) / nr;
        const long double vl = std::max(leftSquares / nl - ml * ml, Floor);
        const long double vr = std::max((totalSquares - leftSquares) / nr - mr * mr, Floor);
        aic[k] = nl * std::log10(vl) + (nr - 1) * std::log10(vr);
    }
}

int64_t PickAic(std::span<const float> y) {
    if (y.size() == 1) return 0;
    std::vector<long double> aic;
    AkaikeCurve(y, aic);
    if (aic.empty()) return -1;
    size_t best = 0;
    for (size_t k = 1; k < aic.size(); ++k)
        if (aic[k] < aic[best]) best = k;
    return static_cast<int64_t>(best);
}

int64_t PickEnergyRatio(std::span<const float> y, int window) {
    std::vector<float> er;
    EnergyRatios(y, window, er);
    return FirstMax(er);
}

int64_t PickModifiedEnergyRatio(std::span<const float> y, int window) {
    int64_t er, mer;
    PickEnergyRatios(y, window, er, mer);
    return mer;
}

void PickEnergyRatios(std::span<const float> y, int window, int64_t& energyRatio,
                      int64_t& modifiedEnergyRatio) {
    std::vector<float> er;
    EnergyRatios(y, window, er);
    energyRatio = FirstMax(er);
    for (size_t k = 0; k < er.size(); ++k) {
        const float a = er[k] * std::fabs(y[k]);
        er[k] = static_cast<float>(double(a) * a * a);
    }
    modifiedEnergyRatio = FirstMax(er);
}

void ComputeSpectralFeatures(const TFrequencyMagnitudes& spectrum, TWaveformFeatures& f) {
    const std::vector<double>& mag = spectrum.Magnitude();
    f.PeakFrequency = f.CentroidFrequency = 0;
    if (mag.empty()) return;
    size_t peak = 0;
    long double weighted = 0, total = 0;
    for (size_t i = 0; i < mag.size(); ++i) {
        if (mag[i] > mag[peak]) peak = i;
        weighted += static_cast<long double>(spectrum.Frequency(i + 1)) * mag[i];
        total += mag[i];
    }
    f.PeakFrequency = spectrum.Frequency(peak + 1);
    f.CentroidFrequency = total > 0 ? static_cast<double>(weighted / total) : 0.0;
    f.WeightedPeakFrequency = std::sqrt(f.PeakFrequency * f.CentroidFrequency);
}

void ComputeWaveformFeatures(std::span<const float> y, double sampleRate, double threshold,
                             TFrequencyMagnitudes& spectrum, TWaveformFeatures& f) {
    ComputeTimeFeatures(y, sampleRate, threshold, f);
    f.HinkleyIndex = PickHinkley(y);
    f.AicIndex = PickAic(y);
    PickEnergyRatios(y, EnergyRatioWindow, f.EnergyRatioIndex, f.ModifiedEnergyRatioIndex);
    spectrum.Compute(y, sampleRate);
    ComputeSpectralFeatures(spectrum, f);
}

} // namespace vorelt
