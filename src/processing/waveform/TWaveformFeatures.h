#pragma once
// Features of one waveform (volts, one value per sample): the hit values recomputed from the
// signal, the arrival pickers and the spectral frequencies. The sums of the hit values run in
// long double, so that a record of a million samples loses nothing to rounding; the pickers
// work on running sums in double precision, the arithmetic their definitions were checked
// against, where a different rounding can move an index between near-equal candidates.

#include <cstdint>
#include <span>
#include <vector>

namespace vorelt {

class TFrequencyMagnitudes;

struct TWaveformFeatures {
    double SumSquares = 0;     // V²
    double MaxAbs = 0;         // V
    double PeakAmplitude = 0;  // V, the same as MaxAbs
    double Energy = 0;         // eu = 1e-14 V² s
    double SignalStrength = 0; // nVs
    int64_t Counts = 0;        // rising crossings of the threshold
    double RMS = 0;            // V
    double RiseTime = 0;       // s, from the first threshold crossing to the peak
    int64_t HinkleyIndex = -1;
    int64_t AicIndex = -1;
    int64_t EnergyRatioIndex = -1;
    int64_t ModifiedEnergyRatioIndex = -1;
    double PeakFrequency = 0;         // Hz
    double CentroidFrequency = 0;     // Hz
    double WeightedPeakFrequency = 0; // Hz, sqrt(peak * centroid)
};

// The energy unit: 1e-14 V² s.
constexpr double EnergyUnit = 1e-14;
constexpr double HinkleyAlpha = 5;
constexpr int EnergyRatioWindow = 100;

// Sum of squares, peak, energy, signal strength, counts, RMS and rise time.
void ComputeTimeFeatures(std::span<const float> y, double sampleRate, double threshold,
                         TWaveformFeatures& f);

// Arrival pickers: the sample index of the arrival, -1 for an empty record.
// Hinkley: the first k of the smallest S_k - k * S_(N-1) / (alpha N), S_k = sum of y_i² to k.
int64_t PickHinkley(std::span<const float> y, double alpha = HinkleyAlpha);
// Akaike information criterion: the first k (0 .. N-2) of the smallest
// (k+1) log10(var(y_0..y_k)) + (N-k-2) log10(var(y_(k+1)..y_(N-1))), the variances
// mean(y²) - mean(y)² from running sums in double precision, the criterion compared in single
// precision (values that tie there pick the first).
int64_t PickAic(std::span<const float> y);
// The criterion for every k = 0 .. N-2 (empty below two samples), as PickAic compares it.
void AkaikeCurve(std::span<const float> y, std::vector<float>& aic);
// Energy ratio over a window w: the first k of the largest (S_(k+w) - S_k) / (S_k - S_(k-w)),
// for w <= k < N - w (0 elsewhere). The ratios are compared in single precision.
int64_t PickEnergyRatio(std::span<const float> y, int window = EnergyRatioWindow);
// Modified energy ratio: the first k of the largest (ER_k |y_k|)³, in single precision.
int64_t PickModifiedEnergyRatio(std::span<const float> y, int window = EnergyRatioWindow);
// Both energy-ratio pickers from one pass over the ratios.
void PickEnergyRatios(std::span<const float> y, int window, int64_t& energyRatio,
                      int64_t& modifiedEnergyRatio);

// The peak frequency (first on ties) and the centroid of the magnitude spectrum.
void ComputeSpectralFeatures(const TFrequencyMagnitudes& spectrum, TWaveformFeatures& f);

// Everything above; the spectrum object keeps its plans between calls of the same length.
void ComputeWaveformFeatures(std::span<const float> y, double sampleRate, double threshold,
                             TFrequencyMagnitudes& spectrum, TWaveformFeatures& f);

} // namespace vorelt
