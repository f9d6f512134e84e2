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
    FShown = state == msMove ? mvArrows : state == msRotate ? mvDisk : mvZoomBar;
    if (state != msZoom) FAxis = static_cast<uint8_t>(std::clamp(lparam, 0, 3));
    FDrag.Reset();
    Repaint();
}

void TOGLManipulator::ResetAll() {
    FAxis = 0;
    FShown = mvNone;
    FDrag.Reset();
    Repaint();
}

void TOGLManipulator::LeftButtonDown(int32_t x, int32_t y) {
    if (FState == msIdle) return;
    FDrag.Dragging = true;
    Compute(x, y, true);
    Repaint();
}

void TOGLManipulator::LeftButtonUp(int32_t, int32_t) {
    if (FState == msIdle || !FDrag.Dragging) return;
    FDrag.Reset();
    Repaint();
}

void TOGLManipulator::MouseMove(int32_t x, int32_t y, bool onlyLeft) {
    if (FState == msIdle || !FDrag.Dragging) return;
    if (!onlyLeft) {
        FDrag.Dragging = false;
        return;
    }
    Compute(x, y, false);
    Repaint();
}

void TOGLManipulator::KeyDown(int32_t key) {
    FLastKey = key;
    if (FState == msIdle || !FDrag.Dragging || key != vkEscape) return;
    FDrag.Reset();
    Repaint();
}

void TOGLManipulator::Compute(int32_t x, int32_t y, bool asStart) {
    if (asStart) {
        FDrag.StartX = x;
        FDrag.StartY = y;
    } else {
        FDrag.CurrentX = x;
        FDrag.CurrentY = y;
    }
    double ox, oy, oz;
    if (!ProjectPoint(FProjection, 0, 0, 0, ox, oy, oz)) return;
    const int32_t height = FProjection.Viewport[3];
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
    if (!ProjectPoint(FProjection, axis == axX, axis == axY, axis == axZ || axis == axNone, ax, ay,
                      az))
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
