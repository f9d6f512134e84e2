#pragma once
// The magnitude spectrum of a whole record: |X_k| of the discrete Fourier transform, no window,
// no padding, for k = 1 .. N/2 (the DC bin left out), at f_k = k * rate / N. The transform is
// KissFFT's in double precision; an even length is transformed as half as many complex values.
// Lengths with a large prime factor go through Bluestein's chirp transform on a power-of-two
// length, so that no length costs more than a few transforms of twice its size.

#include <complex>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vorelt {

class TFrequencyMagnitudes {
public:
    TFrequencyMagnitudes();
    ~TFrequencyMagnitudes();
    TFrequencyMagnitudes(const TFrequencyMagnitudes&) = delete;
    TFrequencyMagnitudes& operator=(const TFrequencyMagnitudes&) = delete;

    // Computes the spectrum of `y` sampled at `sampleRate` Hz.
    void Compute(std::span<const float> y, double sampleRate);

    // Bins 1 .. N/2: Magnitude()[k - 1] is |X_k|.
    const std::vector<double>& Magnitude() const { return FMagnitude; }
    double Frequency(size_t bin) const { return double(bin) * FSampleRate / double(FLength); }
    size_t Length() const { return FLength; }

    // The largest prime factor of n (1 for n <= 1).
    static size_t LargestPrimeFactor(size_t n);

private:
    struct TPlans;
    void Transform(std::span<const float> y);
    void TransformReal(std::span<const float> y);
    void Bluestein(std::span<const float> y);

    std::unique_ptr<TPlans> FPlans;
    std::vector<std::complex<double>> FIn, FOut;
    std::vector<double> FReal;
    std::vector<double> FMagnitude;
    double FSampleRate = 0;
    size_t FLength = 0;
};

} // namespace vorelt
