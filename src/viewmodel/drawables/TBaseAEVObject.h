#pragma once
// A drawable object of a 2D view: its points on the logical sheet, its drawing through the
// container's canvas, its answers to hit tests and the small state machine that turns the
// container's messages into selection, creation and editing. Nothing here needs a window: the
// object talks to a TLogicalCanvas and a coordinate converter only, so the rules run in tests
// without a display.

#include "persist/TPersistObject.h"
#include "viewmodel/canvas/TAEVPointList.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

// The container an object lies in, as the object sees it: where its change notices go.
class IObjectContainer {
public:
    virtual ~IObjectContainer() = default;
    virtual void Perform(TAEVMessage& msg) = 0;
};
class TLogicalCanvas;

// Object states.
constexpr uint8_t osCreating = 0;
constexpr uint8_t osNormal = 1;
constexpr uint8_t osEditing = 2;
constexpr uint8_t osCancelled = 3;
constexpr uint8_t osFrozen = 4;

// Events of HandleEvent.
constexpr int oeEntered = 1;
constexpr int oeLeftDown = 2;
constexpr int oeBackDblClick = 3;
constexpr int oeLeftUp = 4;
constexpr int oeMouseMove = 5;
constexpr int oeRightDown = 6;
constexpr int oeDblClick = 7;
constexpr int oeKeyDown = 8;
constexpr int oeBeginCreate = 9;
constexpr int oeAddPoint = 10;
constexpr int oeMovePoint = 11;
constexpr int oeDrag = 12;
constexpr int oeEndEdit = 13;
constexpr int oeCancelCreate = 14;
constexpr int oeBeginEdit = 15;
constexpr int oeFreeze = 16;
constexpr int oeUnfreeze = 17;

// Hit and drag kinds.
constexpr int32_t hkNone = 0;
constexpr int32_t hkBody = 1;
constexpr int32_t hkHandle = 2;
constexpr int32_t hkEdge = 3;

// Bits of MoveAxes and VertexAxes.
constexpr uint8_t maY = 0x01;
constexpr uint8_t maX = 0x02;

// A side of Bounds with this value is free.
constexpr long double NoBound = -1;

class TBaseAEVObject : public TPersistObject {
public:
    TBaseAEVObject() = default;
    ~TBaseAEVObject() override = default;
    TBaseAEVObject(const TBaseAEVObject&) = delete;
    TBaseAEVObject& operator=(const TBaseAEVObject&) = delete;

    std::string ClassName() const override { return "TBaseAEVObject"; }
    // Objects keep no settings of their own in a project: only the class is written, so that
    // the owner recreates the right kind.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist&) override {}

    // ---- Messages --------------------------------------------------------------------------
    // A message of the container, turned into an event of HandleEvent or answered directly.
    virtual void Dispatch(TAEVMessage& msg);
    // The state machine.
    virtual void HandleEvent(int code, TAEVMessage& msg);
    // Freezing and thawing come from the owning view, not from the container.
    void Freeze();
    void Unfreeze();
    // Answers AEVM_HITTEST; the base reports no hit.
    virtual void HitTest(THitInfo& info);

    // ---- Drawing ---------------------------------------------------------------------------
    virtual void Draw() {}
    // Draws now unless a batch update is running.
    virtual void Redraw() {
        if (FUpdateCount == 0) Draw();
    }
    // Objects with a context menu of their own answer the right click themselves.
    virtual bool HasContextHandler() const { return static_cast<bool>(OnContextPopup); }

    // ---- Points ----------------------------------------------------------------------------
    virtual bool IsCreationComplete(bool adding);
    virtual int GetPointCount() const { return FPoints.Count(); }
    virtual bool GetPoint(int index, TLogicalPoint& p) const;
    virtual void SetPoint(int index, const TLogicalPoint& p);
    virtual int AddPoint(long double x, long double y);
    virtual int AddPointEx(long double x, long double y, int32_t tag, uint8_t channel,
                           uint8_t flags);
    virtual int InsertPoint(int index, long double x, long double y);
    virtual int InsertPointEx(int index, long double x, long double y, int32_t tag, uint8_t channel,
                              uint8_t flags);
    virtual void ClearPoints();
    // Ignored out of range.
    void DeletePoint(int index);
    const TAEVPointList& Points() const { return FPoints; }
    TAEVPointList& Points() { return FPoints; }

    // ---- Shape as drawn --------------------------------------------------------------------
    virtual int GetShapeCount() const { return GetPointCount(); }
    virtual bool GetShapePoint(int index, TLogicalPoint& p) const { return GetPoint(index, p); }
    virtual bool GetShapePointDevice(int index, TDevicePoint& p) const;
    virtual void SetShapePoint(int index, const TLogicalPoint& p) { SetPoint(index, p); }
    // The two shape points of edge `index`; false when there is no such edge.
    virtual bool GetEdge(int index, int& first, int& second) const;
    // Whether the outline returns to its first point.
    virtual bool IsClosed() const { return false; }

    // ---- Creation and editing --------------------------------------------------------------
    virtual void CreateAddPoint(THitInfo& info);
    virtual void FindPointAt(THitInfo& info);
    virtual bool ConstrainDrag(THitInfo& info);
    virtual bool CanPlacePoint(THitInfo& info);
    virtual bool ConstrainPlacement(THitInfo& info);
    // Pulls info.Point back so that the dragged shape stays inside Bounds. Changed: the point
    // was corrected; Clipped: the shape does not fit on some axis, which then does not move.
    virtual bool ClipToBounds(THitInfo& info, bool& clipped, bool& changed);
    virtual void DragBody(THitInfo& info);
    virtual void DragVertex(THitInfo& info);
    virtual void DragEdge(THitInfo& info);
    virtual void InsertVertex(THitInfo& info, int index);
    virtual void BeginDrag(THitInfo& info);
    virtual void EndEdit();
    virtual void StartCreation();
    virtual void FinishCreation();
    virtual void ContextPopup(THitInfo& info);

    // ---- Values of views -------------------------------------------------------------------
    // Appends the point of normalised values (0 .. 1 upwards and rightwards).
    virtual void AddValue(long double yNorm, long double xNorm);
    virtual void AddValueEx(int32_t position, uint8_t flags, uint8_t channel, long double yNorm,
                            long double xNorm);
    // Moves point `index` from one current range onto another (a zoom without the records).
    virtual void TransformPoint(int index, long double yOrigin, long double yScale,
                                long double xOrigin, long double xScale);
    // The same for every point in one pass.
    virtual void TransformPoints(long double yOrigin, long double yScale, long double xOrigin,
                                 long double xScale);
    virtual void ClearValues() { ClearPoints(); }

    // ---- Attributes ------------------------------------------------------------------------
    const std::string& Name() const { return FName; }
    void SetName(std::string name);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Selected() const { return FSelected; }
    void SetSelected(bool v) { FSelected = v; }
    bool AcceptsBackDblClick() const { return FAcceptsBackDblClick; }
    void SetAcceptsBackDblClick(bool v) { FAcceptsBackDblClick = v; }
    bool Movable() const { return FMovable; }
    void SetMovable(bool v);
    bool Resizable() const { return FResizable; }
    void SetResizable(bool v);
    bool CanInsertPoints() const { return FCanInsertPoints; }
    void SetCanInsertPoints(bool v) { FCanInsertPoints = v; }
    uint8_t MoveAxes() const { return FMoveAxes; }
    void SetMoveAxes(uint8_t axes);
    uint8_t VertexAxes() const { return FVertexAxes; }
    void SetVertexAxes(uint8_t axes) { FVertexAxes = axes; }
    // Minimum and maximum corner; a coordinate of NoBound leaves that side free.
    void SetBounds(const TLogicalPoint& minCorner, const TLogicalPoint& maxCorner);
    const TLogicalPoint& BoundsMin() const { return FBoundsMin; }
    const TLogicalPoint& BoundsMax() const { return FBoundsMax; }
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool v) { FAutoEdit = v; }
    uint8_t State() const { return FState; }
    // Stores the state without entering it.
    void SetState(uint8_t s) { FState = s; }
    bool Frozen() const { return FFrozen; }
    uint8_t ScaleX() const { return FScaleX; }
    uint8_t ScaleY() const { return FScaleY; }
    uint16_t ScaleFlags() const { return PackScale(FScaleX, FScaleY); }
    void SetScale(uint8_t x, uint8_t y) {
        FScaleX = x;
        FScaleY = y;
    }
    int CreateIndex() const { return FCreateIndex; }
    int32_t DragKind() const { return FDragKind; }
    int32_t DragIndex() const { return FDragIndex; }
    long double DragDistance() const { return FDragDistance; }
    const TLogicalPoint& DragAnchor() const { return FDragAnchor; }

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int32_t UpdateCount() const { return FUpdateCount; }

    // Set by the container that takes the object over.
    void Attach(IObjectContainer* container, TLogicalCanvas* draw) {
        FContainer = container;
        FDraw = draw;
    }
    // An object used without a container (page previews, tests) gets its converter here.
    void SetConverter(std::shared_ptr<ICoordConvert> converter) {
        FConverter = std::move(converter);
    }
    IObjectContainer* Container() const { return FContainer; }
    TLogicalCanvas* DrawCanvas() const { return FDraw; }
    // The own converter, else the canvas's.
    ICoordConvert* Converter() const;
    long double LogicalWidth() const;
    long double LogicalHeight() const;

    // Conversions with the object's own scale flags.
    TDevicePoint ToDevice(const TLogicalPoint& p) const;
    TLogicalPoint ToLogical(int32_t devX, int32_t devY) const;

    // ---- Events ----------------------------------------------------------------------------
    std::function<void(TBaseAEVObject&, TAEVMessage&)> OnNotify;
    std::function<void(TBaseAEVObject&)> OnSelect;
    std::function<void(TBaseAEVObject&)> OnUnselect;
    std::function<void(TBaseAEVObject&, std::vector<int32_t>&)> OnPointsFound;
    std::function<void(TBaseAEVObject&)> OnCancel;
    std::function<void(TBaseAEVObject&, TDevicePoint, bool&)> OnContextPopup;
    std::function<void(TBaseAEVObject&)> OnBeginDrag;
    std::function<void(TBaseAEVObject&)> OnEndEdit;
    // Change kind (1 body, 2 vertex, 3 edge), handle index, proposed shift; may refuse.
    std::function<void(TBaseAEVObject&, int32_t, int32_t, long double, long double, bool&)>
        OnChanging;
    std::function<void(TBaseAEVObject&)> OnCreated;
    std::function<void(TBaseAEVObject&)> OnCreateStart;
    std::function<void(TBaseAEVObject&, int)> OnInsertPoint;

protected:
    // Tells the container that the object changed (ignored during a batch update).
    void NotifyChanged();
    // Stores the state and enters it.
    void ChangeState(uint8_t s, TAEVMessage& msg);
    // Whether the drawing common to all objects may start.
    bool CanDraw() const { return FDraw && FVisible && !FFrozen && GetShapeCount() > 0; }
    // Creating and editing draw with an XOR pen: drawing the old look once more erases it.
    bool DrawsXor() const { return FState == osCreating || FState == osEditing; }
    // Erases the XOR look, runs the change inside one batch update and draws the new look.
    template <class F> void Change(F&& change) {
        const bool erase = DrawsXor();
        if (erase) Redraw();
        BeginUpdate();
        change();
        EndUpdate();
        Redraw();
    }
    // Asks OnChanging; true when the change may go ahead.
    bool AcceptChange(int32_t kind, int32_t index, long double dx, long double dy);
    // The mouse position of the message as a logical point in info.Point.
    void FillPoint(THitInfo& info) const;
    // The shift from the anchor to info.Point on the axes `axes` allows; a forbidden axis
    // resets info.Point to the anchor's coordinate.
    void AllowedShift(THitInfo& info, uint8_t axes, long double& dx, long double& dy) const;
    // Indices of the shape points a drag of the current kind moves.
    std::vector<int> DraggedPoints() const;
    // Hit test over the drawn outline: handles, then segments, then (closed shapes) inside.
    void HitTestOutline(THitInfo& info, bool handles, bool inside);
    bool InsideBounds(const TLogicalPoint& p) const;

    TAEVPointList FPoints;
    int32_t FDragKind = hkNone;
    int32_t FDragIndex = -1;
    long double FDragDistance = 0;
    TLogicalPoint FDragAnchor;
    int FCreateIndex = -1;
    int32_t FUpdateCount = 0;
    std::string FName;
    TLogicalCanvas* FDraw = nullptr;
    std::shared_ptr<ICoordConvert> FConverter;
    bool FVisible = true;
    bool FEnabled = true;
    bool FSelected = false;
    bool FAcceptsBackDblClick = false;
    bool FMovable = false;
    bool FResizable = false;
    bool FCanInsertPoints = false;
    uint8_t FMoveAxes = maX | maY;
    uint8_t FVertexAxes = maX | maY;
    TLogicalPoint FBoundsMin{NoBound, NoBound};
    TLogicalPoint FBoundsMax{NoBound, NoBound};
    bool FAutoEdit = false;
    IObjectContainer* FContainer = nullptr;
    uint8_t FState = osNormal;
    bool FFrozen = false;
    uint8_t FScaleX = 0;
    uint8_t FScaleY = 0;

private:
    void HandleCreating(int code, TAEVMessage& msg);
    void HandleNormal(int code, TAEVMessage& msg);
    void HandleEditing(int code, TAEVMessage& msg);
    void Drag(THitInfo& info);
};

// Saves and restores the canvas state around an object's drawing, also when drawing fails.
class TCanvasStateGuard {
public:
    explicit TCanvasStateGuard(TLogicalCanvas& canvas);
    ~TCanvasStateGuard();
    TCanvasStateGuard(const TCanvasStateGuard&) = delete;
    TCanvasStateGuard& operator=(const TCanvasStateGuard&) = delete;

private:
    TLogicalCanvas& FCanvas;
};

} // namespace vorelt
