#include "view3d/TSceneTransform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorelt {

namespace {

constexpr double DegPerRad = 180 / std::numbers::pi;

using TRotation = std::array<double, 9>;

TRotation Product(const TRotation& a, const TRotation& b) {
    TRotation r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r[static_cast<size_t>(i * 3 + j)] +=
                    a[static_cast<size_t>(i * 3 + k)] * b[static_cast<size_t>(k * 3 + j)];
    return r;
}

TRotation AboutAxis(uint8_t axis, double degrees) {
    const double a = degrees / DegPerRad;
    const double c = std::cos(a);
    const double s = std::sin(a);
    switch (axis) {
    case 1:
        return {1, 0, 0, 0, c, -s, 0, s, c};
    case 2:
        return {c, 0, s, 0, 1, 0, -s, 0, c};
    case 3:
        return {c, -s, 0, s, c, 0, 0, 0, 1};
    default:
        return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    }
}

} // namespace

TGLMatrix TSceneTransform::Matrix() const {
    TGLMatrix m;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m.At(i, j) = FZoom * FRotation[static_cast<size_t>(i * 3 + j)];
        m.At(i, 3) = FShift[static_cast<size_t>(i)];
    }
    return m;
}

std::array<double, 3> TSceneTransform::Apply(double x, double y, double z) const {
    std::array<double, 3> out;
    for (size_t i = 0; i < 3; ++i)
        out[i] = FShift[i] + FZoom * (FRotation[i * 3] * x + FRotation[i * 3 + 1] * y +
                                      FRotation[i * 3 + 2] * z);
    return out;
}

void TSceneTransform::Turn(uint8_t axis, double degrees) {
    if (axis < 1 || axis > 3 || !std::isfinite(degrees)) return;
    FRotation = Product(FRotation, AboutAxis(axis, degrees));
    FAngles.reset();
    Orthonormalize();
}

void TSceneTransform::Move(uint8_t axis, double units) {
    if (axis < 1 || axis > 3 || !std::isfinite(units)) return;
    const size_t column = axis - 1u;
    for (size_t i = 0; i < 3; ++i)
        FShift[i] += units * FZoom * FRotation[i * 3 + column];
}

void TSceneTransform::ZoomBy(double factor) {
    if (!std::isfinite(factor) || factor <= 0) return;
    SetZoom(FZoom * factor);
}

void TSceneTransform::SetZoom(double zoom) {
    if (!std::isfinite(zoom)) return;
    FZoom = std::clamp(zoom, MinSceneZoom, MaxSceneZoom);
}

std::array<double, 3> TSceneTransform::Angles() const {
    if (FAngles) return *FAngles;
    const TRotation& r = FRotation;
    const double b = std::asin(std::clamp(r[2], -1.0, 1.0));
    double a, c;
    if (std::fabs(r[2]) < 1 - 1e-12) {
        a = std::atan2(-r[5], r[8]);
        c = std::atan2(-r[1], r[0]);
    } else {
        // Turned a quarter about Y: only the sum or difference of a and c counts.
        a = std::atan2(r[7], r[4]);
        c = 0;
    }
    return {a * DegPerRad, b * DegPerRad, c * DegPerRad};
}

void TSceneTransform::SetAngles(double a, double b, double c) {
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) return;
    FRotation = Product(Product(AboutAxis(1, a), AboutAxis(2, b)), AboutAxis(3, c));
    FAngles = std::array<double, 3>{a, b, c};
}

void TSceneTransform::Orthonormalize() {
    // Gram-Schmidt on the columns: the scene's axes as drawn.
    auto col = [this](size_t j) {
        return std::array<double, 3>{FRotation[j], FRotation[3 + j], FRotation[6 + j]};
    };
    auto unit = [](std::array<double, 3> v) {
        const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (double& x : v)
            x /= n;
        return v;
    };
    const std::array<double, 3> x = unit(col(0));
    std::array<double, 3> y = col(1);
    const double d = x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
    for (size_t i = 0; i < 3; ++i)
        y[i] -= d * x[i];
    y = unit(y);
    const std::array<double, 3> z{x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2],
                                  x[0] * y[1] - x[1] * y[0]};
    for (size_t i = 0; i < 3; ++i) {
        FRotation[i * 3] = x[i];
        FRotation[i * 3 + 1] = y[i];
        FRotation[i * 3 + 2] = z[i];
    }
}

} // namespace vorelt
