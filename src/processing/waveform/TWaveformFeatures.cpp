#include "processing/waveform/TWaveformFeatures.h"

#include "processing/waveform/TFrequencyMagnitudes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
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

// The smallest normal float: a side without variance must not give log10(0).
constexpr double VarianceFloor = 1.1755e-38;

// log10 of a positive normal double to within FastLogError: the exponent, and the series of
// atanh for the mantissa brought into [sqrt(1/2), sqrt(2)). No library call, so the loop over
// all splits vectorises.
constexpr double FastLogError = 1e-10;

inline double FastLog10(double x) {
    const auto bits = std::bit_cast<uint64_t>(x);
    double e = double(int64_t((bits >> 52) & 0x7FF) - 1023);
    double m = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFFULL) | 0x3FF0000000000000ULL);
    if (m > std::numbers::sqrt2) {
        m *= 0.5;
        e += 1;
    }
    const double t = (m - 1) / (m + 1);
    const double t2 = t * t;
    // |t| <= 0.1716: the first term left out, 2 t^13 / 13, is below 2e-11.
    const double series =
        1 + t2 * (1.0 / 3 + t2 * (1.0 / 5 + t2 * (1.0 / 7 + t2 * (1.0 / 9 + t2 * (1.0 / 11)))));
    return (e * std::numbers::ln2 + 2 * t * series) * (1 / std::numbers::ln10);
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

// The variances of both sides of every split, from running sums in double precision as the
// criterion is defined: the right side's sums are the totals less the left's. A difference of
// sums that rounds below zero counts by its size; a side without variance gets the floor.
class TAkaikeTerms {
public:
    explicit TAkaikeTerms(std::span<const float> y) : FN(y.size()) {
        if (FN < 2) return;
        double total = 0, totalSquares = 0;
        for (float v : y) {
            total += v;
            totalSquares += double(v) * double(v);
        }
        FLeft.resize(FN - 1);
        FRight.resize(FN - 1);
        double left = 0, leftSquares = 0;
        for (size_t k = 0; k + 1 < FN; ++k) {
            left += y[k];
            leftSquares += double(y[k]) * double(y[k]);
            const double nl = double(k + 1), nr = double(FN - k - 1);
            const double ml = left / nl, mr = (total - left) / nr;
            FLeft[k] = Floor(leftSquares / nl - ml * ml);
            FRight[k] = Floor((totalSquares - leftSquares) / nr - mr * mr);
        }
    }

    size_t Splits() const { return FLeft.size(); }

    float Exact(size_t k) const {
        return static_cast<float>(double(k + 1) * std::log10(FLeft[k]) +
                                  double(FN - k - 2) * std::log10(FRight[k]));
    }

    std::vector<double>& Approximate() {
        FApprox.resize(FLeft.size());
        for (size_t k = 0; k < FLeft.size(); ++k)
            FApprox[k] =
                double(k + 1) * FastLog10(FLeft[k]) + double(FN - k - 2) * FastLog10(FRight[k]);
        return FApprox;
    }

private:
    static double Floor(double v) { return std::max(std::fabs(v), VarianceFloor); }

    size_t FN;
    std::vector<double> FLeft, FRight, FApprox;
};

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

void AkaikeCurve(std::span<const float> y, std::vector<float>& aic) {
    TAkaikeTerms terms(y);
    aic.resize(terms.Splits());
    for (size_t k = 0; k < aic.size(); ++k)
        aic[k] = terms.Exact(k);
}

int64_t PickAic(std::span<const float> y) {
    if (y.size() == 1) return 0;
    TAkaikeTerms terms(y);
    const size_t splits = terms.Splits();
    if (splits == 0) return -1;
    // A first pass with a logarithm good to 1e-10 finds the few splits near the smallest value;
    // only those get the library's logarithm. Every split whose exact value, in single
    // precision, could be the smallest lies within twice the first pass's error bound plus the
    // rounding to single precision of the smallest approximate value.
    std::vector<double>& approx = terms.Approximate();
    double smallest = approx[0];
    for (size_t k = 1; k < splits; ++k)
        smallest = std::min(smallest, approx[k]);
    const double bound = double(y.size()) * FastLogError;
    const double margin =
        2 * bound + 4 * std::fabs(smallest) * double(std::numeric_limits<float>::epsilon());
    size_t best = 0;
    float bestValue = std::numeric_limits<float>::infinity();
    for (size_t k = 0; k < splits; ++k) {
        if (approx[k] > smallest + margin) continue;
        const float exact = terms.Exact(k);
        if (exact < bestValue) {
            bestValue = exact;
            best = k;
        }
    }
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
