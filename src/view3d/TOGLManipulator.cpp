#include "view3d/TOGLManipulator.h"

#include "view3d/TOGLMessages.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorelt {

namespace {

uint8_t StateOfEnter(uint32_t msg) {
    switch (msg) {
    case oglEnterMove:
        return msMove;
    case oglEnterRotate:
        return msRotate;
    case oglEnterZoom:
        return msZoom;
    default:
        return msIdle;
    }
}

uint32_t LeaveOf(uint8_t state) {
    switch (state) {
    case msMove:
        return oglLeaveMove;
    case msRotate:
        return oglLeaveRotate;
    default:
        return oglLeaveZoom;
    }
}

float Clamp1(double t) {
    if (std::isnan(t)) return 0;
    return static_cast<float>(std::clamp(t, -1.0, 1.0));
}

// The angle between two vectors of the window, in degrees, as atan2 of their dot and cross
// products.
double AngleBetween(double ux, double uy, double vx, double vy) {
    const double cross = ux * vy - uy * vx;
    const double dot = ux * vx + uy * vy;
    return std::atan2(dot, cross) * 180 / std::numbers::pi;
}

struct TScreenAxis {
    double Ox = 0, Oy = 0; // the origin in the window, y upward
    double Dx = 0, Dy = 0; // pixels per unit of the scene along the axis
    bool TowardViewer = false;
    double Depth = 0;   // share of the axis pointing out of the screen, 0 .. 1
    double PerUnit = 0; // pixels per unit of the scene across the line of sight
    bool Valid = false;
};

// Where the scene's axis lies in the window under `p`.
TScreenAxis ScreenAxis(const TGLProjection& p, uint8_t axis) {
    TScreenAxis a;
    double oz;
    if (!ProjectPoint(p, 0, 0, 0, a.Ox, a.Oy, oz)) return a;
    double squares = 0;
    for (uint8_t k = 1; k <= 3; ++k) {
        double x, y, z;
        if (!ProjectPoint(p, k == 1, k == 2, k == 3, x, y, z)) return a;
        const double dx = x - a.Ox;
        const double dy = y - a.Oy;
        squares += dx * dx + dy * dy;
        if (k == axis) {
            a.Dx = dx;
            a.Dy = dy;
            a.TowardViewer = z < oz;
        }
    }
    // The screen shows two of the three unit axes' dimensions: their squared projections add
    // up to twice the square of the scale across the line of sight.
    a.PerUnit = std::sqrt(squares / 2);
    if (a.PerUnit <= 0) return a;
    const double across = std::min(1.0, std::sqrt(a.Dx * a.Dx + a.Dy * a.Dy) / a.PerUnit);
    a.Depth = std::sqrt(1 - across * across);
    a.Valid = true;
    return a;
}

} // namespace

void TOGLManipulator::Perform(uint32_t msg, int32_t lparam) {
    if (FState == msIdle) {
        const uint8_t state = StateOfEnter(msg);
        if (state == msIdle) return;
        FState = state;
        Show(state, lparam);
        return;
    }
    if (StateOfEnter(msg) != msIdle || msg == oglAxisChanged) {
        Show(FState, lparam);
        return;
    }
    if (msg == LeaveOf(FState)) {
        FState = msIdle;
        ResetAll();
    }
}

void TOGLManipulator::Show(uint8_t state, int32_t lparam) {
    EndDrag();
    FShown = state == msMove ? mvArrows : state == msRotate ? mvDisk : mvZoomBar;
    if (state != msZoom) FAxis = static_cast<uint8_t>(std::clamp(lparam, 0, 3));
    FDrag.Reset();
    Repaint();
}

void TOGLManipulator::ResetAll() {
    EndDrag();
    FAxis = 0;
    FShown = mvNone;
    FDrag.Reset();
    Repaint();
}

TGLProjection TOGLManipulator::SceneProjection() const {
    TGLProjection p = FProjection;
    p.ModelView.Multiply(FScene.Matrix());
    return p;
}

void TOGLManipulator::SetScene(const TSceneTransform& scene) {
    FScene = scene;
    FPressScene = scene;
    Repaint();
}

void TOGLManipulator::ResetScene() {
    const bool changed = !FScene.IsDefault();
    FDrag.Reset();
    SetScene(TSceneTransform());
    if (changed) SceneChanged();
}

void TOGLManipulator::RestoreSaved() {
    const bool changed = FScene != FSaved;
    FDrag.Reset();
    SetScene(FSaved);
    if (changed) SceneChanged();
}

void TOGLManipulator::LeftButtonDown(int32_t x, int32_t y) {
    if (FState == msIdle) return;
    EndDrag();
    FDrag.Dragging = true;
    FPressScene = FScene;
    FPressProjection = SceneProjection();
    Compute(x, y, true);
    Repaint();
}

void TOGLManipulator::LeftButtonUp(int32_t, int32_t) {
    if (FState == msIdle || !FDrag.Dragging) return;
    EndDrag();
    FDrag.Reset();
    Repaint();
}

void TOGLManipulator::MouseMove(int32_t x, int32_t y, bool onlyLeft) {
    if (FState == msIdle || !FDrag.Dragging) return;
    if (!onlyLeft) {
        EndDrag();
        FDrag.Dragging = false;
        return;
    }
    Compute(x, y, false);
    ApplyDrag();
    Repaint();
}

void TOGLManipulator::KeyDown(int32_t key) {
    FLastKey = key;
    if (FState == msIdle || !FDrag.Dragging || key != vkEscape) return;
    FScene = FPressScene;
    FDrag.Reset();
    Repaint();
}

void TOGLManipulator::Wheel(int32_t delta) {
    if (delta == 0) return;
    // A notch zooms by a tenth.
    FScene.ZoomBy(std::pow(1.1, delta / 120.0));
    if (FDrag.Dragging) FPressScene = FScene;
    Repaint();
    SceneChanged();
}

void TOGLManipulator::EndDrag() {
    if (!FDrag.Dragging) return;
    const bool changed = FScene != FPressScene;
    FPressScene = FScene;
    if (changed) SceneChanged();
}

void TOGLManipulator::ApplyDrag() {
    if (FDrag.StartX < 0 || FDrag.CurrentX < 0) return;
    FScene = FPressScene;
    const TGLProjection& p = FPressProjection;
    const int32_t height = p.Viewport[3];
    auto up = [height](int32_t wy) { return static_cast<double>(height - wy - 1); };
    const double sx = FDrag.StartX, sy = up(FDrag.StartY);
    const double cx = FDrag.CurrentX, cy = up(FDrag.CurrentY);
    if (FState == msZoom) {
        // Up the window zooms in: the whole height of it four times.
        FScene.ZoomBy(std::pow(4.0, (cy - sy) / std::max(1, height)));
        return;
    }
    const TScreenAxis a = ScreenAxis(p, FAxis);
    if (!a.Valid) return;
    const double across2 = a.Dx * a.Dx + a.Dy * a.Dy;
    if (FState == msMove) {
        // The point under the mouse follows it along the axis; an axis that points at the
        // viewer moves at most as fast as one across the screen.
        const double floor2 = 0.01 * a.PerUnit * a.PerUnit;
        if (across2 < floor2) return;
        FScene.Move(FAxis, ((cx - sx) * a.Dx + (cy - sy) * a.Dy) / across2);
        return;
    }
    if (FState != msRotate) return;
    double degrees;
    if (a.Depth >= 0.7) {
        // An axis toward or away from the viewer: the scene turns with the mouse about the
        // origin, counterclockwise for an axis that points at the viewer.
        const double ux = sx - a.Ox, uy = sy - a.Oy, vx = cx - a.Ox, vy = cy - a.Oy;
        if ((ux == 0 && uy == 0) || (vx == 0 && vy == 0)) return;
        degrees = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy) * 180 / std::numbers::pi;
        if (!a.TowardViewer) degrees = -degrees;
    } else {
        // An axis across the screen: the side facing the viewer follows the mouse across it.
        const double len = std::sqrt(across2);
        const double nx = a.Dy / len, ny = -a.Dx / len;
        degrees = ((cx - sx) * nx + (cy - sy) * ny) / a.PerUnit * 180 / std::numbers::pi;
    }
    FScene.Turn(FAxis, degrees);
}

void TOGLManipulator::Compute(int32_t x, int32_t y, bool asStart) {
    if (asStart) {
        FDrag.StartX = x;
        FDrag.StartY = y;
    } else {
        FDrag.CurrentX = x;
        FDrag.CurrentY = y;
    }
    // Measured in the scene as it was when the button went down, where the manipulator is
    // drawn.
    const TGLProjection& p = FPressProjection;
    double ox, oy, oz;
    if (!ProjectPoint(p, 0, 0, 0, ox, oy, oz)) return;
    const int32_t height = p.Viewport[3];
    auto up = [height](int32_t wy) { return static_cast<double>(height - wy - 1); };

    if (FState == msRotate) {
        const double sx = FDrag.StartX - ox;
        const double sy = up(FDrag.StartY) - oy;
        FDrag.Quadrant = sx >= 0 ? (sy >= 0 ? 1 : 2) : (sy < 0 ? 3 : 4);
        double start = AngleBetween(0, std::fabs(sy), sx, sy);
        double sweep = 0;
        if (FDrag.CurrentX >= 0 && FDrag.CurrentY >= 0) {
            const double cx = FDrag.CurrentX - ox;
            const double cy = up(FDrag.CurrentY) - oy;
            sweep = AngleBetween(sx, sy, cx, cy);
        }
        if (FAxis == axY) start += FDrag.Quadrant == 1 || FDrag.Quadrant == 3 ? 120 : 90;
        if (FAxis == axZ) {
            start = -start;
            sweep = -sweep;
        }
        FDrag.StartAngle = static_cast<float>(start);
        FDrag.SweepAngle = static_cast<float>(sweep);
        return;
    }

    // Move and zoom: the stretch along the projected axis.
    const uint8_t axis = FState == msZoom ? axZ : FAxis;
    double ax, ay, az;
    if (!ProjectPoint(p, axis == axX, axis == axY, axis == axZ || axis == axNone, ax, ay, az))
        return;
    const double dx = ax - ox;
    const double dy = ay - oy;
    const double len = std::sqrt(dx * dx + dy * dy);
    auto t = [&](int32_t px, int32_t py) -> float {
        if (FState == msMove && axis == axZ) {
            const double s = std::sin(std::acos(dx / len));
            return Clamp1((px - ox) / s / len);
        }
        const double s = std::sin(std::acos(dy / len));
        return Clamp1((up(py) - oy) / s / len);
    };
    if (asStart) {
        FDrag.T0 = t(FDrag.StartX, FDrag.StartY);
        FDrag.T1 = FDrag.T0;
    } else {
        FDrag.T1 = t(FDrag.CurrentX, FDrag.CurrentY);
    }
}

} // namespace vorelt
