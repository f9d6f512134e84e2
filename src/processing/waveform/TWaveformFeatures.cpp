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

int64_t PickHinkley(const std::vector<double>& s, double alpha);

// Running sums of squares S_k = y_0² + ... + y_k².
void SumsOfSquares(std::span<const float> y, std::vector<double>& s) {
    s.resize(y.size());
    double acc = 0;
    for (size_t k = 0; k < y.size(); ++k) {
        acc += double(y[k]) * double(y[k]);
        s[k] = acc;
    }
}

// The smallest normal float: a side without variance must not give log10(0).
constexpr double VarianceFloor = 1.1755e-38;

// log10 of a positive normal double to within FastLogError, without a division or a library
// call: the exponent, a table of 128 points of the mantissa, and five terms of log(1 + r) for
// the small rest |r| < 1/255 (the first term left out, r^6 / 6, is below 1e-15).
constexpr double FastLogError = 1e-13;

struct TLogTable {
    double Inverse[128];
    double Log[128];
    TLogTable() {
        for (int i = 0; i < 128; ++i) {
            const double c = 1 + (i + 0.5) / 128;
            Inverse[i] = 1 / c;
            Log[i] = std::log(c);
        }
    }
};

inline double FastLog10(double x) {
    static const TLogTable table;
    const auto bits = std::bit_cast<uint64_t>(x);
    const double e = double(int64_t(bits >> 52) - 1023);
    const double m = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFFULL) | 0x3FF0000000000000ULL);
    const size_t i = (bits >> 45) & 127;
    const double r = m * table.Inverse[i] - 1;
    const double series = r * (1 + r * (-0.5 + r * (1.0 / 3 + r * (-0.25 + r * 0.2))));
    return (e * std::numbers::ln2 + table.Log[i] + series) * (1 / std::numbers::ln10);
}

// The Akaike criterion of every split, from running sums in double precision as it is defined:
// the right side's sums are the totals less the left's. A difference of sums that rounds below
// zero counts by its size; a side without variance gets the floor.
class TAkaikeTerms {
public:
    explicit TAkaikeTerms(std::span<const float> y) : FN(y.size()) {
        if (FN < 2) return;
        FSum.resize(FN);
        FSquares.resize(FN);
        double sum = 0, squares = 0;
        for (size_t k = 0; k < FN; ++k) {
            sum += y[k];
            squares += double(y[k]) * double(y[k]);
            FSum[k] = sum;
            FSquares[k] = squares;
        }
    }

    size_t Splits() const { return FN < 2 ? 0 : FN - 1; }

    // The criterion as defined, in single precision.
    float Exact(size_t k) const {
        const double nl = double(k + 1), nr = double(FN - k - 1);
        const double ml = FSum[k] / nl, mr = (FSum[FN - 1] - FSum[k]) / nr;
        const double vl = Floor(FSquares[k] / nl - ml * ml);
        const double vr = Floor((FSquares[FN - 1] - FSquares[k]) / nr - mr * mr);
        return static_cast<float>(nl * std::log10(vl) + double(FN - k - 2) * std::log10(vr));
    }

    // The criterion of every split within ApproximateError(): reciprocals for the divisions
    // and FastLog10. Where a variance is so small against the mean square that the rounding of
    // the sums could decide its logarithm, or reaches the floor, the split gets its exact value.
    const std::vector<double>& Approximate() {
        const size_t splits = Splits();
        FApprox.resize(splits);
        if (FInverse.size() != FN + 1) {
            FInverse.resize(FN + 1);
            for (size_t j = 1; j <= FN; ++j)
                FInverse[j] = 1.0 / double(j);
        }
        const double total = FSum[FN - 1], totalSquares = FSquares[FN - 1];
        for (size_t k = 0; k < splits; ++k) {
            const double il = FInverse[k + 1], ir = FInverse[FN - k - 1];
            const double ml = FSum[k] * il, mr = (total - FSum[k]) * ir;
            const double sl = FSquares[k] * il, sr = (totalSquares - FSquares[k]) * ir;
            const double vl = sl - ml * ml, vr = sr - mr * mr;
            if (!(vl >= WellConditioned * sl && vr >= WellConditioned * sr && vl > VarianceFloor &&
                  vr > VarianceFloor)) {
                FApprox[k] = Exact(k);
                continue;
            }
            FApprox[k] = double(k + 1) * FastLog10(vl) + double(FN - k - 2) * FastLog10(vr);
        }
        return FApprox;
    }

    // |Approximate()[k] - Exact(k) before its rounding to single precision|, for every k.
    double ApproximateError() const { return double(FN) * (FastLogError + 1e-11); }

private:
    // A variance at least 1e-4 of the mean square keeps the rounding of the sums (a few units
    // in the last place of the mean square) below 1e-11 of it, and its logarithm within 1e-11.
    static constexpr double WellConditioned = 1e-4;

    static double Floor(double v) { return std::max(std::fabs(v), VarianceFloor); }

    size_t FN;
    // Scratch kept per thread between records: one pick at a time runs on a thread.
    static thread_local std::vector<double> FSum, FSquares, FApprox, FInverse;
};

thread_local std::vector<double> TAkaikeTerms::FSum, TAkaikeTerms::FSquares, TAkaikeTerms::FApprox,
    TAkaikeTerms::FInverse;

// ER_k in single precision, as the pickers compare them.
void EnergyRatios(std::span<const float> y, const std::vector<double>& s, int window,
                  std::vector<float>& er) {
    const size_t n = y.size();
    const size_t w = window > 0 ? size_t(window) : 1;
    er.assign(n, 0.0f);
    for (size_t k = w; k + w < n; ++k) {
        const double after = s[k + w] - s[k];
        const double before = s[k] - s[k - w];
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
    std::vector<double> s;
    SumsOfSquares(y, s);
    return PickHinkley(s, alpha);
}

namespace {

int64_t PickHinkley(const std::vector<double>& s, double alpha) {
    const size_t n = s.size();
    if (n == 0) return -1;
    const double trend = s[n - 1] / (alpha * double(n));
    size_t best = 0;
    double bestValue = s[0];
    for (size_t k = 1; k < n; ++k) {
        const double h = s[k] - k * trend;
        if (h < bestValue) {
            bestValue = h;
            best = k;
        }
    }
    return static_cast<int64_t>(best);
}

void PickEnergyRatios(std::span<const float> y, const std::vector<double>& s, int window,
                      int64_t& energyRatio, int64_t& modifiedEnergyRatio) {
    thread_local std::vector<float> er;
    EnergyRatios(y, s, window, er);
    energyRatio = FirstMax(er);
    for (size_t k = 0; k < er.size(); ++k) {
        const float a = er[k] * std::fabs(y[k]);
        er[k] = static_cast<float>(double(a) * a * a);
    }
    modifiedEnergyRatio = FirstMax(er);
}

} // namespace

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
    // The approximate pass finds the few splits near the smallest value; only those are
    // computed as defined. Every split whose value in single precision could be the smallest
    // lies within twice the approximation's error plus a few units of single precision.
    const std::vector<double>& approx = terms.Approximate();
    const double smallest = *std::min_element(approx.begin(), approx.end());
    const double margin = 2 * terms.ApproximateError() +
                          4 * std::fabs(smallest) * double(std::numeric_limits<float>::epsilon());
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
    int64_t er, mer;
    PickEnergyRatios(y, window, er, mer);
    return er;
}

int64_t PickModifiedEnergyRatio(std::span<const float> y, int window) {
    int64_t er, mer;
    PickEnergyRatios(y, window, er, mer);
    return mer;
}

void PickEnergyRatios(std::span<const float> y, int window, int64_t& energyRatio,
                      int64_t& modifiedEnergyRatio) {
    std::vector<double> s;
    SumsOfSquares(y, s);
    PickEnergyRatios(y, s, window, energyRatio, modifiedEnergyRatio);
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
    // The running sums of squares serve both Hinkley and the energy ratios.
    thread_local std::vector<double> sums;
    SumsOfSquares(y, sums);
    f.HinkleyIndex = PickHinkley(sums, HinkleyAlpha);
    f.AicIndex = PickAic(y);
    PickEnergyRatios(y, sums, EnergyRatioWindow, f.EnergyRatioIndex, f.ModifiedEnergyRatioIndex);
    spectrum.Compute(y, sampleRate);
    ComputeSpectralFeatures(spectrum, f);
}

} // namespace vorelt
