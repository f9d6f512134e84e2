#pragma once
// The canvas container without its window: the owned list of drawable objects, the selection,
// the interaction state machine (typing, rubber band, tracking, creating) and the painting
// order. The window part feeds it mouse, key and timer events and provides the services
// below, so the whole protocol runs in tests without a display.

#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/drawables/TBaseAEVObject.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TCanvasDraw;

// Window services the container state machine needs.
class ICanvasHost {
public:
    virtual ~ICanvasHost() = default;
    virtual int32_t ClientWidth() const = 0;
    virtual int32_t ClientHeight() const = 0;
    virtual void SetMouseCapture(bool capture) = 0;
    // Redraws the whole back buffer and shows it.
    virtual void Repaint() = 0;
    // Shows the back buffer as it is (after direct drawing such as the rubber band).
    virtual void ShowBuffer() = 0;
    virtual void StartTypingTimer() = 0;
    virtual void StopTypingTimer() = 0;
    virtual void TakeFocus() = 0;
    virtual void BeginDragOperation() = 0;
};

// Container states.
constexpr uint8_t csIdle = 0;
constexpr uint8_t csTyping = 1;
constexpr uint8_t csRubberBand = 2;
constexpr uint8_t csTracking = 3;
constexpr uint8_t csCreating = 4;

class TCanvasContainerCore : public IObjectContainer {
public:
    TCanvasContainerCore(ICanvasHost& host, TCanvasDraw* draw);
    ~TCanvasContainerCore();
    TCanvasContainerCore(const TCanvasContainerCore&) = delete;
    TCanvasContainerCore& operator=(const TCanvasContainerCore&) = delete;

    // ---- Objects ---------------------------------------------------------------------------
    // -1 (or past the end) appends on top; 0 inserts at the bottom. Returns the position.
    int AddObject(std::unique_ptr<TBaseAEVObject> obj, int index = -1);
    // Ignored outside the list.
    void DeleteObject(int index);
    void Clear();
    int Count() const { return static_cast<int>(FObjects.size()); }
    TBaseAEVObject* GetObject(int index) const;
    // Searches from the top; -1 when absent or none.
    int IndexOfObject(const TBaseAEVObject* obj) const;
    bool ExchangeObjects(int i, int j);
    void RedrawObjects();
    int SelectedIndex() const { return FSelectedIndex; }
    TBaseAEVObject* SelectedObject() const { return GetObject(FSelectedIndex); }

    // ---- Events ----------------------------------------------------------------------------
    void StartCreate(std::unique_ptr<TBaseAEVObject> obj);
    void SelectObject(TBaseAEVObject* obj);
    void LeftButtonDown(int32_t x, int32_t y, uint16_t keyState);
    void LeftButtonUp(int32_t x, int32_t y, uint16_t keyState);
    void MouseMove(int32_t x, int32_t y, uint16_t keyState);
    void RightButtonDown(int32_t x, int32_t y, uint16_t keyState);
    void LeftDoubleClick(int32_t x, int32_t y, uint16_t keyState);
    void KeyDown(uint16_t keyCode, uint16_t keyState);
    void TypingTimer();
    void CancelMode();
    // Messages sent to the container: AEVM_CANCELMODE cancels, AEVM_CHANGED is accepted.
    void Perform(TAEVMessage& msg) override;

    uint8_t State() const { return FState; }
    bool IsIdle() const { return FState == csIdle; }

    // ---- Hit testing -----------------------------------------------------------------------
    int HitTest(THitInfo& info, bool onlyEnabled);
    int HitTestTop(THitInfo& info);

    // ---- Painting --------------------------------------------------------------------------
    // Background, every object but the selected one in list order, then the selected one; a
    // rubber band under way is drawn again on top.
    void Render();
    // XOR outline of the normalised rectangle; drawing it twice erases it.
    void DrawBand(const TRectInt& rect);

    // ---- Settings --------------------------------------------------------------------------
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor c);
    TColor BandColor() const { return FBandColor; }
    void SetBandColor(TColor c) { FBandColor = c; }
    bool AllowSelectRect() const { return FAllowSelectRect; }
    void SetAllowSelectRect(bool v) { FAllowSelectRect = v; }
    bool DragObjects() const { return FDragObjects; }
    void SetDragObjects(bool v) { FDragObjects = v; }
    const TRectInt& SelectRect() const { return FSelectRect; }
    const std::string& ShortCutText() const { return FShortCutText; }
    TCanvasDraw* Draw() const { return FDraw; }

    std::function<void(TCanvasContainerCore&, TRectInt&)> OnSelectRect;
    std::function<void(TCanvasContainerCore&, int32_t, int32_t, bool&)> OnContextPopup;
    std::function<bool(TCanvasContainerCore&, const std::string&)> OnShortCut;

private:
    enum TEvent {
        evEnter = 1,
        evStartCreate = 2,
        evLeftDown = 3,
        evLeftUp = 4,
        evMove = 5,
        evRightDown = 6,
        evDoubleClick = 7,
        evKeyDown = 8,
        evSelect = 9,
        evTimer = 10,
        evCancel = 11
    };

    // Hands the event to the handler of the current state.
    void HandleEvent(int event, TMouseKeyInfo& src, TBaseAEVObject* obj = nullptr);
    // One handler per state; events a state does not list leave it unchanged.
    void IdleEvent(int event, TMouseKeyInfo& src, TBaseAEVObject* obj);
    void TypingEvent(int event, TMouseKeyInfo& src);
    void RubberBandEvent(int event, TMouseKeyInfo& src);
    void TrackingEvent(int event, TMouseKeyInfo& src);
    void CreatingEvent(int event, TMouseKeyInfo& src);
    // Parts of the idle and creating handlers.
    void IdleRightDown(TMouseKeyInfo& src);
    void IdleDoubleClick(TMouseKeyInfo& src);
    void EnterCreating(TMouseKeyInfo& src);
    // Tells the object being created that creation is off, removes it and goes idle.
    void CancelCreated(THitInfo& info, TMouseKeyInfo& src);
    // Takes the band off the buffer (XOR: drawn once more).
    void EraseBand();
    // The band's rectangle, ordered and kept inside the window, goes to OnSelectRect unless
    // it is no larger than a point.
    void EndBand(TMouseKeyInfo& src);
    void GoTo(uint8_t state, TMouseKeyInfo& src);
    void Send(TBaseAEVObject* obj, uint32_t msg, THitInfo& info, TMouseKeyInfo& src);
    THitInfo InfoAt(const TMouseKeyInfo& src) const;
    void UnselectCurrent(TMouseKeyInfo& src);
    // Selects the enabled object under the mouse and forwards the left-button-down to it.
    void SelectHit(TMouseKeyInfo& src);
    void TypeKey(uint16_t keyCode, bool replace);
    void DeleteCreated();
    static bool OnlyLeftDown(uint16_t keyState) {
        return (keyState & (MK_LBUTTON_ | MK_RBUTTON_ | MK_MBUTTON_)) == MK_LBUTTON_;
    }

    ICanvasHost& FHost;
    TCanvasDraw* FDraw;
    std::vector<std::unique_ptr<TBaseAEVObject>> FObjects;
    int FSelectedIndex = -1;
    TBaseAEVObject* FObjectBeingCreated = nullptr;
    std::unique_ptr<TBaseAEVObject> FPendingCreate;
    uint8_t FState = csIdle;
    TColor FBackColor = clWhite;
    TColor FBandColor = 0;
    TRectInt FSelectRect;
    bool FBandShown = false;
    bool FAllowSelectRect = true;
    bool FDragObjects = false;
    std::string FShortCutText;
};

} // namespace vorelt
