#pragma once
// The manipulator of the 3D draw without a context: which manipulator is shown for the
// current mode and axis, and how a drag with the left button turns into its highlight (a
// swept sector of the rotation disk, a stretch of the move arrows or the zoom bar). Drags
// change only the highlight, never the scene.

#include "view3d/TOGLMatrix.h"

#include <cstdint>
#include <functional>

namespace vorelt {

// Manipulator states and what is shown.
constexpr uint8_t msIdle = 0;
constexpr uint8_t msMove = 1;
constexpr uint8_t msRotate = 2;
constexpr uint8_t msZoom = 3;
constexpr uint8_t mvNone = 0;
constexpr uint8_t mvDisk = 1;
constexpr uint8_t mvArrows = 2;
constexpr uint8_t mvZoomBar = 3;

struct TOGLDragRecord {
    float StartAngle = 0; // degrees
    float SweepAngle = 0;
    float T0 = 0; // [-1, 1]
    float T1 = 0;
    int32_t StartX = -1; // window pixels, y from the top
    int32_t StartY = -1;
    int32_t CurrentX = -1;
    int32_t CurrentY = -1;
    uint8_t Quadrant = 0;
    bool Dragging = false;
    void Reset() { *this = TOGLDragRecord(); }
};

class TOGLManipulator {
public:
    // The manipulator messages (oglEnter..., oglLeave..., oglAxisChanged).
    void Perform(uint32_t msg, int32_t lparam);
    void LeftButtonDown(int32_t x, int32_t y);
    void LeftButtonUp(int32_t x, int32_t y);
    // `onlyLeft`: the left button is the only button held.
    void MouseMove(int32_t x, int32_t y, bool onlyLeft);
    void KeyDown(int32_t key);

    uint8_t State() const { return FState; }
    uint8_t Axis() const { return FAxis; }
    uint8_t Shown() const { return FShown; }
    const TOGLDragRecord& Drag() const { return FDrag; }
    bool HasHighlight() const { return FDrag.Dragging; }
    // The last key handed to the manipulator (0 before any).
    int32_t LastKey() const { return FLastKey; }

    // The matrices the drag maths projects with; the draw sets them after every set-up.
    void SetProjection(const TGLProjection& p) { FProjection = p; }
    const TGLProjection& Projection() const { return FProjection; }

    // Asked whenever the picture changes.
    std::function<void()> OnRepaint;

private:
    void Show(uint8_t state, int32_t lparam);
    void ResetAll();
    void Compute(int32_t x, int32_t y, bool asStart);
    void Repaint() {
        if (OnRepaint) OnRepaint();
    }

    uint8_t FState = msIdle;
    uint8_t FAxis = 0;
    uint8_t FShown = mvNone;
    TOGLDragRecord FDrag;
    int32_t FLastKey = 0;
    TGLProjection FProjection = StandardProjection(400, 400);
};

} // namespace vorelt
