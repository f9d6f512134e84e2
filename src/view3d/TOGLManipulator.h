#pragma once
// The manipulator of the 3D draw without a context: which manipulator is shown for the
// current mode and axis, how a drag with the left button turns into its highlight (a swept
// sector of the rotation disk, a stretch of the move arrows or the zoom bar), and how the same
// drag turns, moves or zooms the scene while the button is held. The scene stays where the
// button comes up; Escape during the drag puts it back.

#include "view3d/TOGLMatrix.h"
#include "view3d/TSceneTransform.h"

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
    // The mouse wheel, in eighths of a degree (120 a notch): away from the user zooms in.
    void Wheel(int32_t delta);

    uint8_t State() const { return FState; }
    uint8_t Axis() const { return FAxis; }
    uint8_t Shown() const { return FShown; }
    const TOGLDragRecord& Drag() const { return FDrag; }
    bool HasHighlight() const { return FDrag.Dragging; }
    // The last key handed to the manipulator (0 before any).
    int32_t LastKey() const { return FLastKey; }

    // The standard view's matrices, without the scene's transformation; the draw sets them
    // after every set-up.
    void SetProjection(const TGLProjection& p) { FProjection = p; }
    const TGLProjection& Projection() const { return FProjection; }
    // The matrices the scene is drawn with: the standard view and the scene's transformation.
    TGLProjection SceneProjection() const;

    // --- The scene's transformation -----------------------------------------------------
    const TSceneTransform& Scene() const { return FScene; }
    // Sets it (a loaded view) without telling anyone but the painter.
    void SetScene(const TSceneTransform& scene);
    // "To Default" and "Reset": the standard view.
    void ResetScene();
    // The transformation that was last saved or loaded with the view; "To Last Save" goes
    // back to it.
    void MarkSaved() { FSaved = FScene; }
    const TSceneTransform& Saved() const { return FSaved; }
    void RestoreSaved();

    // Asked whenever the picture changes.
    std::function<void()> OnRepaint;
    // The user changed the scene's transformation (a drag ended, the wheel, a reset).
    std::function<void()> OnSceneChanged;

private:
    void Show(uint8_t state, int32_t lparam);
    void ResetAll();
    void Compute(int32_t x, int32_t y, bool asStart);
    // The scene as the drag from the start to the current point leaves it.
    void ApplyDrag();
    // The drag is over: the scene stays as it is.
    void EndDrag();
    void SceneChanged() {
        if (OnSceneChanged) OnSceneChanged();
    }
    void Repaint() {
        if (OnRepaint) OnRepaint();
    }

    uint8_t FState = msIdle;
    uint8_t FAxis = 0;
    uint8_t FShown = mvNone;
    TOGLDragRecord FDrag;
    int32_t FLastKey = 0;
    TGLProjection FProjection = StandardProjection(400, 400);
    // The scene's matrices and transformation when the button went down: the drag is measured
    // against them, not against the scene it moves.
    TGLProjection FPressProjection = FProjection;
    TSceneTransform FPressScene;
    TSceneTransform FScene;
    TSceneTransform FSaved;
};

} // namespace vorelt
