#pragma once
// What the canvas container needs from a drawable object: its messages, its flags and its
// drawing. The drawable classes of the views derive from it and give the messages their
// meaning.

#include "view2d/TypesPrg.h"

#include <string>

namespace vorelt {

class TCanvasContainerCore;
class TLogicalCanvas;

// Object states.
constexpr uint8_t osCreating = 0;
constexpr uint8_t osNormal = 1;
constexpr uint8_t osEditing = 2;
constexpr uint8_t osCancelled = 3;
constexpr uint8_t osFrozen = 4;

class TBaseAEVObject {
public:
    TBaseAEVObject() = default;
    virtual ~TBaseAEVObject() = default;
    TBaseAEVObject(const TBaseAEVObject&) = delete;
    TBaseAEVObject& operator=(const TBaseAEVObject&) = delete;

    // A message of the container. The base selects and unselects an enabled object and
    // reports no hit for the rest.
    virtual void Dispatch(TAEVMessage& msg);
    // Draws through the container's canvas; the base draws nothing.
    virtual void Draw() {}
    // Redraws now unless a batch update is running.
    virtual void Redraw() {
        if (FUpdateCount == 0) Draw();
    }
    // Objects with a context menu of their own answer the right click themselves.
    virtual bool HasContextHandler() const { return false; }

    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    bool Selected() const { return FSelected; }
    void SetSelected(bool v) { FSelected = v; }
    bool AcceptsBackDblClick() const { return FAcceptsBackDblClick; }
    void SetAcceptsBackDblClick(bool v) { FAcceptsBackDblClick = v; }
    uint8_t State() const { return FState; }
    void SetState(uint8_t s) { FState = s; }
    uint8_t ScaleX() const { return FScaleX; }
    uint8_t ScaleY() const { return FScaleY; }
    uint16_t ScaleFlags() const { return PackScale(FScaleX, FScaleY); }
    void SetScale(uint8_t x, uint8_t y) {
        FScaleX = x;
        FScaleY = y;
    }

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int32_t UpdateCount() const { return FUpdateCount; }

    // Set by the container that takes the object over.
    void Attach(TCanvasContainerCore* container, TLogicalCanvas* draw) {
        FContainer = container;
        FDraw = draw;
    }
    TCanvasContainerCore* Container() const { return FContainer; }
    TLogicalCanvas* DrawCanvas() const { return FDraw; }

protected:
    // Tells the container that the object changed (ignored during a batch update).
    void NotifyChanged();

    std::string FName;
    bool FVisible = true;
    bool FEnabled = true;
    bool FSelected = false;
    bool FAcceptsBackDblClick = false;
    uint8_t FState = osNormal;
    uint8_t FScaleX = 0;
    uint8_t FScaleY = 0;
    int32_t FUpdateCount = 0;
    TCanvasContainerCore* FContainer = nullptr;
    TLogicalCanvas* FDraw = nullptr;
};

} // namespace vorelt
