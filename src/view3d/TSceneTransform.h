#pragma once
// The user's turn, shift and zoom of a 3D scene. It stands in front of everything the scene
// draws (objects, axes, manipulators): a point p of the scene is drawn at
// Shift + Zoom * Rotation * p of the standard view. Turns and moves go about and along the
// scene's own axes, as the axes and the manipulators show them.

#include "view3d/TOGLMatrix.h"

#include <array>
#include <cstdint>
#include <optional>

namespace vorelt {

inline constexpr double MinSceneZoom = 0.05;
inline constexpr double MaxSceneZoom = 20;

class TSceneTransform {
public:
    bool IsDefault() const { return *this == TSceneTransform(); }
    void Reset() { *this = TSceneTransform(); }
    bool operator==(const TSceneTransform& other) const {
        return FRotation == other.FRotation && FShift == other.FShift && FZoom == other.FZoom;
    }

    // The matrix to multiply onto the model-view matrix, as glMultMatrixd takes it.
    TGLMatrix Matrix() const;
    // Where the scene point (x, y, z) is drawn in the standard view.
    std::array<double, 3> Apply(double x, double y, double z) const;

    // Turns the scene about its own axis (1 X, 2 Y, 3 Z) through its origin, right-handed.
    void Turn(uint8_t axis, double degrees);
    // Moves the scene along its own axis by `units` of the scene.
    void Move(uint8_t axis, double units);
    // Multiplies the zoom, kept within MinSceneZoom .. MaxSceneZoom.
    void ZoomBy(double factor);

    // The rotation as angles in degrees about X, then Y, then Z: Rx(a) * Ry(b) * Rz(c).
    std::array<double, 3> Angles() const;
    void SetAngles(double a, double b, double c);
    const std::array<double, 3>& Shift() const { return FShift; }
    void SetShift(double x, double y, double z) { FShift = {x, y, z}; }
    double Zoom() const { return FZoom; }
    void SetZoom(double zoom);
    // Row-major 3 x 3.
    const std::array<double, 9>& Rotation() const { return FRotation; }

private:
    // Keeps the rotation orthonormal against the rounding of many small turns.
    void Orthonormalize();

    std::array<double, 9> FRotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::array<double, 3> FShift{0, 0, 0};
    double FZoom = 1;
    // The angles the rotation was set from, until it is turned: a loaded view saves the
    // angles it was loaded with, not their recomputation.
    std::optional<std::array<double, 3>> FAngles;
};

} // namespace vorelt
