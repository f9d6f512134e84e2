#pragma once
// The matrix arithmetic of the fixed-function pipeline, without a context: what glFrustum,
// glTranslate, glRotate and gluPerspective multiply onto a matrix, and gluProject. The draw
// captures the real matrices after every projection set-up; this lets the drag maths and the
// tests work with the same numbers without a display.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorelt {

// Column-major 4 x 4, as OpenGL stores it.
struct TGLMatrix {
    std::array<double, 16> M{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double& At(int row, int col) { return M[static_cast<std::size_t>(col * 4 + row)]; }
    double At(int row, int col) const { return M[static_cast<std::size_t>(col * 4 + row)]; }
    // this := this * other, as the GL calls multiply.
    void Multiply(const TGLMatrix& other);
    void Frustum(double l, double r, double b, double t, double n, double f);
    void Perspective(double fovy, double aspect, double n, double f);
    void Translate(double x, double y, double z);
    void Rotate(double degrees, double x, double y, double z);
};

// What a projection set-up leaves behind.
struct TGLProjection {
    TGLMatrix Projection;
    TGLMatrix ModelView;
    std::array<int32_t, 4> Viewport{0, 0, 1, 1};
};

// The scene's standard projection for a client area of width x height.
TGLProjection StandardProjection(int32_t width, int32_t height);

// gluProject: window coordinates of an object point, y counted upward from the bottom of the
// viewport; false when the point projects to infinity.
bool ProjectPoint(const TGLProjection& p, double x, double y, double z, double& wx, double& wy,
                  double& wz);

} // namespace vorelt
