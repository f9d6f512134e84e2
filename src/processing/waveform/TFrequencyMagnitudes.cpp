#include "processing/waveform/TFrequencyMagnitudes.h"

#include <kissfft.hh>

#include <cmath>
#include <numbers>

namespace vorelt {

namespace {

// Above this prime factor KissFFT's generic butterfly (quadratic in the factor) costs more than
// the three power-of-two transforms of the chirp method.
constexpr size_t MaxDirectPrime = 64;

// |z| without hypot's care for overflow: the parts are sums of samples of a few volts.
inline double Modulus(std::complex<double> z) {
    return std::sqrt(z.real() * z.real() + z.imag() * z.imag());
}

} // namespace

struct TFrequencyMagnitudes::TPlans {
    size_t Length = 0;
    bool Chirp = false;
    // Even lengths: the transform of N real samples as one of N/2 complex ones.
    bool Real = false;
    std::unique_ptr<kissfft<double>> Direct;
    // Chirp method: transforms of the padded length, the chirp and the transformed kernel.
    std::unique_ptr<kissfft<double>> Forward, Inverse;
    std::vector<std::complex<double>> Chirps, Kernel, Work;
};

TFrequencyMagnitudes::TFrequencyMagnitudes() = default;
TFrequencyMagnitudes::~TFrequencyMagnitudes() = default;

size_t TFrequencyMagnitudes::LargestPrimeFactor(size_t n) {
    size_t largest = 1;
    for (size_t p = 2; p * p <= n; ++p)
        while (n % p == 0) {
            largest = p;
            n /= p;
        }
    return n > 1 ? n : largest;
}

void TFrequencyMagnitudes::Compute(std::span<const float> y, double sampleRate) {
    FSampleRate = sampleRate;
    FLength = y.size();
    FMagnitude.clear();
    if (y.size() < 2) return;
    if (!FPlans || FPlans->Length != y.size()) {
        FPlans = std::make_unique<TPlans>();
        FPlans->Length = y.size();
        FPlans->Chirp = LargestPrimeFactor(y.size()) > MaxDirectPrime;
        FPlans->Real = !FPlans->Chirp && y.size() % 2 == 0;
        if (!FPlans->Chirp)
            FPlans->Direct =
                std::make_unique<kissfft<double>>(FPlans->Real ? y.size() / 2 : y.size(), false);
    }
    const size_t half = y.size() / 2;
    FMagnitude.resize(half);
    if (FPlans->Real) {
        TransformReal(y);
        // X_(N/2) is real and comes packed in the imaginary part of X_0.
        for (size_t k = 1; k < half; ++k)
            FMagnitude[k - 1] = Modulus(FOut[k]);
        FMagnitude[half - 1] = std::fabs(FOut[0].imag());
        return;
    }
    if (FPlans->Chirp)
        Bluestein(y);
    else
        Transform(y);
    for (size_t k = 1; k <= half; ++k)
        FMagnitude[k - 1] = Modulus(FOut[k]);
}

void TFrequencyMagnitudes::TransformReal(std::span<const float> y) {
    FReal.resize(y.size());
    for (size_t i = 0; i < y.size(); ++i)
        FReal[i] = y[i];
    FOut.resize(y.size() / 2);
    FPlans->Direct->transform_real(FReal.data(), FOut.data());
}

void TFrequencyMagnitudes::Transform(std::span<const float> y) {
    FIn.resize(y.size());
    FOut.resize(y.size());
    for (size_t i = 0; i < y.size(); ++i)
        FIn[i] = {double(y[i]), 0.0};
    FPlans->Direct->transform(FIn.data(), FOut.data());
}

void TFrequencyMagnitudes::Bluestein(std::span<const float> y) {
    const size_t n = y.size();
    TPlans& p = *FPlans;
    if (!p.Forward) {
        size_t m = 1;
        while (m < 2 * n - 1)
            m *= 2;
        p.Forward = std::make_unique<kissfft<double>>(m, false);
        p.Inverse = std::make_unique<kissfft<double>>(m, true);
        // c_j = exp(i pi j² / n), with j² taken modulo 2n so that the angle stays exact.
        p.Chirps.resize(n);
        for (size_t j = 0; j < n; ++j) {
            const uint64_t sq = (uint64_t(j) * j) % (2 * uint64_t(n));
            const double angle = std::numbers::pi * double(sq) / double(n);
            p.Chirps[j] = {std::cos(angle), std::sin(angle)};
        }
        std::vector<std::complex<double>> b(m);
        b[0] = p.Chirps[0];
        for (size_t j = 1; j < n; ++j)
            b[j] = b[m - j] = p.Chirps[j];
        p.Kernel.resize(m);
        p.Forward->transform(b.data(), p.Kernel.data());
        p.Work.resize(m);
    }
    const size_t m = p.Kernel.size();
    FIn.assign(m, {0.0, 0.0});
    for (size_t j = 0; j < n; ++j)
        FIn[j] = double(y[j]) * std::conj(p.Chirps[j]);
    p.Forward->transform(FIn.data(), p.Work.data());
    for (size_t j = 0; j < m; ++j)
        p.Work[j] *= p.Kernel[j];
    FOut.resize(m);
    p.Inverse->transform(p.Work.data(), FOut.data());
    const double scale = 1.0 / double(m);
    for (size_t k = 0; k < n; ++k)
        FOut[k] = FOut[k] * scale * std::conj(p.Chirps[k]);
}

} // namespace vorelt
