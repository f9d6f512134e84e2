#include "view3d/TOGLMatrix.h"

#include <cmath>
#include <numbers>

namespace vorelt {

void TGLMatrix::Multiply(const TGLMatrix& other) {
    TGLMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k)
                s += At(i, k) * other.At(k, j);
            r.At(i, j) = s;
        }
    *this = r;
}

void TGLMatrix::Frustum(double l, double r, double b, double t, double n, double f) {
    TGLMatrix m;
    m.At(0, 0) = 2 * n / (r - l);
    m.At(1, 1) = 2 * n / (t - b);
    m.At(0, 2) = (r + l) / (r - l);
    m.At(1, 2) = (t + b) / (t - b);
    m.At(2, 2) = -(f + n) / (f - n);
    m.At(3, 2) = -1;
    m.At(2, 3) = -2 * f * n / (f - n);
    m.At(3, 3) = 0;
    Multiply(m);
}

void TGLMatrix::Perspective(double fovy, double aspect, double n, double f) {
    const double top = n * std::tan(fovy * std::numbers::pi / 360);
    const double right = top * aspect;
    Frustum(-right, right, -top, top, n, f);
}

void TGLMatrix::Translate(double x, double y, double z) {
    TGLMatrix m;
    m.At(0, 3) = x;
    m.At(1, 3) = y;
    m.At(2, 3) = z;
    Multiply(m);
}

void TGLMatrix::Rotate(double degrees, double x, double y, double z) {
    const double len = std::sqrt(x * x + y * y + z * z);
    if (len == 0) return;
    x /= len;
    y /= len;
    z /= len;
    const double a = degrees * std::numbers::pi / 180;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double t = 1 - c;
    TGLMatrix m;
    m.At(0, 0) = x * x * t + c;
    m.At(0, 1) = x * y * t - z * s;
    m.At(0, 2) = x * z * t + y * s;
    m.At(1, 0) = y * x * t + z * s;
    m.At(1, 1) = y * y * t + c;
    m.At(1, 2) = y * z * t - x * s;
    m.At(2, 0) = x * z * t - y * s;
    m.At(2, 1) = y * z * t + x * s;
    m.At(2, 2) = z * z * t + c;
    Multiply(m);
}

TGLProjection StandardProjection(int32_t width, int32_t height) {
    TGLProjection p;
    p.Viewport = {0, 0, width, height};
    p.Projection.Frustum(-1, 1, -1, 1, 3, 10);
    p.Projection.Translate(0, 0, -8);
    p.Projection.Rotate(30, 1, 0, 0);
    p.Projection.Rotate(70, 0, 1, 0);
    return p;
}

bool ProjectPoint(const TGLProjection& p, double x, double y, double z, double& wx, double& wy,
                  double& wz) {
    const double in[4] = {x, y, z, 1};
    double eye[4];
    double clip[4];
    for (int i = 0; i < 4; ++i) {
        eye[i] = 0;
        for (int k = 0; k < 4; ++k)
            eye[i] += p.ModelView.At(i, k) * in[k];
    }
    for (int i = 0; i < 4; ++i) {
        clip[i] = 0;
        for (int k = 0; k < 4; ++k)
            clip[i] += p.Projection.At(i, k) * eye[k];
    }
    if (clip[3] == 0) return false;
    const double nx = clip[0] / clip[3];
    const double ny = clip[1] / clip[3];
    const double nz = clip[2] / clip[3];
    wx = p.Viewport[0] + (nx * 0.5 + 0.5) * p.Viewport[2];
    wy = p.Viewport[1] + (ny * 0.5 + 0.5) * p.Viewport[3];
    wz = nz * 0.5 + 0.5;
    return true;
}

} // namespace vorelt
