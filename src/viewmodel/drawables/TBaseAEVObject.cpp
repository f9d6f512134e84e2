#include "viewmodel/drawables/TBaseAEVObject.h"

#include "persist/TNodePersist.h"
#include "viewmodel/canvas/TAEVGeometry.h"
#include "viewmodel/canvas/TLogicalCanvas.h"

#include <algorithm>
#include <limits>
#include <thread>

namespace vorelt {

void TBaseAEVObject::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
}

// ---- Messages ------------------------------------------------------------------------------

void TBaseAEVObject::Dispatch(TAEVMessage& msg) {
    switch (msg.Msg) {
    case WM_LBUTTONDOWN_:
        HandleEvent(oeLeftDown, msg);
        break;
    case WM_MOUSEMOVE_:
        HandleEvent(oeMouseMove, msg);
        break;
    case WM_LBUTTONUP_:
        HandleEvent(oeLeftUp, msg);
        break;
    case WM_RBUTTONDOWN_:
        HandleEvent(oeRightDown, msg);
        break;
    case WM_LBUTTONDBLCLK_:
        HandleEvent(oeDblClick, msg);
        break;
    case WM_KEYDOWN_:
        HandleEvent(oeKeyDown, msg);
        break;
    case AEVM_BEGINCREATE:
        HandleEvent(oeBeginCreate, msg);
        break;
    case AEVM_ADDPOINT:
        HandleEvent(oeAddPoint, msg);
        break;
    case AEVM_MOVEPOINT:
        HandleEvent(oeMovePoint, msg);
        break;
    case AEVM_DRAG:
        HandleEvent(oeDrag, msg);
        break;
    case AEVM_ENDEDIT:
        HandleEvent(oeEndEdit, msg);
        break;
    case AEVM_CANCELCREATE:
        HandleEvent(oeCancelCreate, msg);
        break;
    case AEVM_BEGINEDIT:
        HandleEvent(oeBeginEdit, msg);
        break;
    case AEVM_BACKDBLCLICK:
        if (msg.Info) msg.Info->HitKind = hkNone;
        break;
    case AEVM_HITTEST:
        if (msg.Info) HitTest(*msg.Info);
        break;
    case AEVM_SELECT:
        if (FEnabled) {
            FSelected = true;
            Redraw();
            if (OnSelect) OnSelect(*this);
        }
        break;
    case AEVM_UNSELECT:
        if (FEnabled) {
            FSelected = false;
            Redraw();
            if (OnUnselect) OnUnselect(*this);
        }
        break;
    case AEVM_NOTIFY:
        if (OnNotify) OnNotify(*this, msg);
        Redraw();
        break;
    default:
        break;
    }
}

void TBaseAEVObject::Freeze() {
    TAEVMessage msg;
    HandleEvent(oeFreeze, msg);
}

void TBaseAEVObject::Unfreeze() {
    TAEVMessage msg;
    HandleEvent(oeUnfreeze, msg);
}

void TBaseAEVObject::ChangeState(uint8_t s, TAEVMessage& msg) {
    FState = s;
    HandleEvent(oeEntered, msg);
}

void TBaseAEVObject::HandleEvent(int code, TAEVMessage& msg) {
    switch (FState) {
    case osCreating:
        HandleCreating(code, msg);
        break;
    case osNormal:
        HandleNormal(code, msg);
        break;
    case osEditing:
        HandleEditing(code, msg);
        break;
    case osCancelled:
        if (code == oeEntered) {
            if (OnCancel) OnCancel(*this);
            Redraw();
        }
        break;
    case osFrozen:
        if (code == oeEntered) {
            FFrozen = true;
        } else if (code == oeUnfreeze) {
            FFrozen = false;
            ChangeState(osNormal, msg);
        }
        break;
    default:
        break;
    }
}

void TBaseAEVObject::HandleCreating(int code, TAEVMessage& msg) {
    THitInfo none;
    THitInfo& info = msg.Info ? *msg.Info : none;
    switch (code) {
    case oeEntered:
        if (FAutoEdit && FVisible && FEnabled && FSelected)
            StartCreation();
        else
            ChangeState(osNormal, msg);
        break;
    case oeRightDown: {
        // Completing may drop the rubber-band point, so the XOR look is erased first.
        Redraw();
        BeginUpdate();
        const bool complete = IsCreationComplete(false);
        EndUpdate();
        if (complete) {
            FinishCreation();
            ChangeState(osNormal, msg);
        } else {
            ChangeState(osCancelled, msg);
        }
        break;
    }
    case oeAddPoint:
        FillPoint(info);
        if (!CanPlacePoint(info)) break;
        if (IsCreationComplete(true)) {
            FinishCreation();
            ChangeState(osNormal, msg);
        } else {
            Change([&] { CreateAddPoint(info); });
        }
        break;
    case oeMovePoint:
        FillPoint(info);
        if (FCreateIndex != -1 && ConstrainPlacement(info)) DragVertex(info);
        break;
    case oeCancelCreate:
        ChangeState(osCancelled, msg);
        break;
    default:
        break;
    }
}

void TBaseAEVObject::HandleNormal(int code, TAEVMessage& msg) {
    THitInfo none;
    THitInfo& info = msg.Info ? *msg.Info : none;
    switch (code) {
    case oeBackDblClick:
        FindPointAt(info);
        break;
    case oeRightDown:
        ContextPopup(info);
        break;
    case oeBeginCreate:
        ChangeState(osCreating, msg);
        break;
    case oeCancelCreate:
        ChangeState(osCancelled, msg);
        break;
    case oeBeginEdit:
        ChangeState(osEditing, msg);
        break;
    case oeFreeze:
        ChangeState(osFrozen, msg);
        break;
    default:
        break;
    }
}

void TBaseAEVObject::HandleEditing(int code, TAEVMessage& msg) {
    THitInfo none;
    THitInfo& info = msg.Info ? *msg.Info : none;
    switch (code) {
    case oeEntered:
        if ((FMovable || FResizable) && FVisible && FEnabled && FSelected)
            Redraw();
        else
            ChangeState(osNormal, msg);
        break;
    case oeLeftDown:
        BeginDrag(info);
        break;
    case oeDblClick:
        FillPoint(info);
        if (FCanInsertPoints && CanPlacePoint(info) && !IsCreationComplete(true))
            InsertVertex(info, info.HitIndex);
        break;
    case oeDrag:
        Drag(info);
        break;
    case oeEndEdit:
        EndEdit();
        ChangeState(osNormal, msg);
        break;
    default:
        break;
    }
}

void TBaseAEVObject::HitTest(THitInfo& info) {
    info.HitKind = hkNone;
}

// ---- Points --------------------------------------------------------------------------------

bool TBaseAEVObject::IsCreationComplete(bool) {
    return false;
}

bool TBaseAEVObject::GetPoint(int index, TLogicalPoint& p) const {
    if (!FPoints.Valid(index)) return false;
    p = FPoints.Get(index);
    return true;
}

void TBaseAEVObject::SetPoint(int index, const TLogicalPoint& p) {
    if (!FPoints.Valid(index)) return;
    TLogicalPoint q = FPoints.Get(index);
    q.X = p.X;
    q.Y = p.Y;
    FPoints.Set(index, q);
}

int TBaseAEVObject::AddPoint(long double x, long double y) {
    return AddPointEx(x, y, 0, 0, 0);
}

int TBaseAEVObject::AddPointEx(long double x, long double y, int32_t tag, uint8_t channel,
                               uint8_t flags) {
    const int i = FPoints.Add(static_cast<double>(x), static_cast<double>(y), tag, channel, flags);
    NotifyChanged();
    return i;
}

int TBaseAEVObject::InsertPoint(int index, long double x, long double y) {
    return InsertPointEx(index, x, y, 0, 0, 0);
}

int TBaseAEVObject::InsertPointEx(int index, long double x, long double y, int32_t tag,
                                  uint8_t channel, uint8_t flags) {
    const int i =
        FPoints.Insert(index, static_cast<double>(x), static_cast<double>(y), tag, channel, flags);
    NotifyChanged();
    return i;
}

void TBaseAEVObject::ClearPoints() {
    FPoints.Clear();
    FCreateIndex = -1;
    NotifyChanged();
    Redraw();
}

void TBaseAEVObject::DeletePoint(int index) {
    if (!FPoints.Valid(index)) return;
    FPoints.Delete(index);
    if (FCreateIndex == index)
        FCreateIndex = -1;
    else if (FCreateIndex > index)
        --FCreateIndex;
    NotifyChanged();
}

bool TBaseAEVObject::GetShapePointDevice(int index, TDevicePoint& p) const {
    TLogicalPoint q;
    if (!GetShapePoint(index, q)) return false;
    p = ToDevice(q);
    return true;
}

bool TBaseAEVObject::GetEdge(int index, int& first, int& second) const {
    const int n = GetShapeCount();
    const int edges = IsClosed() ? (n >= 2 ? n : 0) : std::max(0, n - 1);
    if (index < 0 || index >= edges) return false;
    first = index;
    second = (index + 1) % n;
    return true;
}

// ---- Conversions ---------------------------------------------------------------------------

ICoordConvert* TBaseAEVObject::Converter() const {
    if (FConverter) return FConverter.get();
    return FDraw ? FDraw->Converter() : nullptr;
}

long double TBaseAEVObject::LogicalWidth() const {
    const ICoordConvert* c = Converter();
    return c ? c->GetLogicalWidth() : LogicalWidthUnits;
}

long double TBaseAEVObject::LogicalHeight() const {
    const ICoordConvert* c = Converter();
    return c ? c->GetLogicalHeight() : LogicalHeightUnits;
}

TDevicePoint TBaseAEVObject::ToDevice(const TLogicalPoint& p) const {
    TDevicePoint d;
    if (const ICoordConvert* c = Converter())
        c->LogicalToDevice(FScaleX, FScaleY, p.X, p.Y, d.X, d.Y);
    return d;
}

TLogicalPoint TBaseAEVObject::ToLogical(int32_t devX, int32_t devY) const {
    TLogicalPoint p;
    if (const ICoordConvert* c = Converter())
        c->DeviceToLogical(FScaleX, FScaleY, devX, devY, p.X, p.Y);
    return p;
}

void TBaseAEVObject::FillPoint(THitInfo& info) const {
    const TLogicalPoint p = ToLogical(info.DevX, info.DevY);
    info.Point.X = p.X;
    info.Point.Y = p.Y;
}

// ---- Creation and editing ------------------------------------------------------------------

void TBaseAEVObject::CreateAddPoint(THitInfo& info) {
    AddPoint(info.Point.X, info.Point.Y);
}

void TBaseAEVObject::FindPointAt(THitInfo& info) {
    info.HitKind = hkNone;
}

bool TBaseAEVObject::InsideBounds(const TLogicalPoint& p) const {
    if (FBoundsMin.X != NoBound && p.X < FBoundsMin.X) return false;
    if (FBoundsMin.Y != NoBound && p.Y < FBoundsMin.Y) return false;
    if (FBoundsMax.X != NoBound && p.X > FBoundsMax.X) return false;
    if (FBoundsMax.Y != NoBound && p.Y > FBoundsMax.Y) return false;
    return true;
}

bool TBaseAEVObject::CanPlacePoint(THitInfo& info) {
    return InsideBounds(info.Point);
}

bool TBaseAEVObject::ConstrainPlacement(THitInfo& info) {
    TLogicalPoint& p = info.Point;
    if (FBoundsMin.X != NoBound) p.X = std::max(p.X, FBoundsMin.X);
    if (FBoundsMin.Y != NoBound) p.Y = std::max(p.Y, FBoundsMin.Y);
    if (FBoundsMax.X != NoBound) p.X = std::min(p.X, FBoundsMax.X);
    if (FBoundsMax.Y != NoBound) p.Y = std::min(p.Y, FBoundsMax.Y);
    return true;
}

bool TBaseAEVObject::ConstrainDrag(THitInfo& info) {
    bool clipped = false;
    bool changed = false;
    return ClipToBounds(info, clipped, changed);
}

std::vector<int> TBaseAEVObject::DraggedPoints() const {
    std::vector<int> moved;
    switch (FDragKind) {
    case hkBody:
        for (int i = 0; i < GetShapeCount(); ++i)
            moved.push_back(i);
        break;
    case hkHandle:
        if (FDragIndex >= 0 && FDragIndex < GetShapeCount()) moved.push_back(FDragIndex);
        break;
    case hkEdge: {
        int a = 0;
        int b = 0;
        if (GetEdge(FDragIndex, a, b)) {
            moved.push_back(a);
            moved.push_back(b);
        }
        break;
    }
    default:
        break;
    }
    return moved;
}

bool TBaseAEVObject::ClipToBounds(THitInfo& info, bool& clipped, bool& changed) {
    clipped = false;
    changed = false;
    if (FBoundsMin.X == NoBound && FBoundsMin.Y == NoBound && FBoundsMax.X == NoBound &&
        FBoundsMax.Y == NoBound)
        return true;
    const std::vector<int> moved = DraggedPoints();
    if (moved.empty()) return true;
    constexpr long double inf = std::numeric_limits<long double>::infinity();
    long double minX = inf, minY = inf, maxX = -inf, maxY = -inf;
    const long double dx = info.Point.X - FDragAnchor.X;
    const long double dy = info.Point.Y - FDragAnchor.Y;
    for (int i : moved) {
        TLogicalPoint p;
        if (!GetShapePoint(i, p)) continue;
        minX = std::min(minX, p.X + dx);
        maxX = std::max(maxX, p.X + dx);
        minY = std::min(minY, p.Y + dy);
        maxY = std::max(maxY, p.Y + dy);
    }
    // One axis: pull the mouse back by the overshoot; a shape wider than the bounds stays.
    auto clip = [&](long double lo, long double hi, long double bmin, long double bmax,
                    long double& mouse, long double anchor) {
        const long double under = bmin != NoBound && lo < bmin ? bmin - lo : 0;
        const long double over = bmax != NoBound && hi > bmax ? hi - bmax : 0;
        if (under > 0 && over > 0) {
            clipped = true;
            changed = true;
            mouse = anchor;
        } else if (under > 0) {
            mouse += under;
            changed = true;
        } else if (over > 0) {
            mouse -= over;
            changed = true;
        }
    };
    clip(minX, maxX, FBoundsMin.X, FBoundsMax.X, info.Point.X, FDragAnchor.X);
    clip(minY, maxY, FBoundsMin.Y, FBoundsMax.Y, info.Point.Y, FDragAnchor.Y);
    return true;
}

void TBaseAEVObject::AllowedShift(THitInfo& info, uint8_t axes, long double& dx,
                                  long double& dy) const {
    if (!(axes & maX)) info.Point.X = FDragAnchor.X;
    if (!(axes & maY)) info.Point.Y = FDragAnchor.Y;
    dx = info.Point.X - FDragAnchor.X;
    dy = info.Point.Y - FDragAnchor.Y;
}

bool TBaseAEVObject::AcceptChange(int32_t kind, int32_t index, long double dx, long double dy) {
    bool accept = true;
    if (OnChanging) OnChanging(*this, kind, index, dx, dy, accept);
    return accept;
}

void TBaseAEVObject::Drag(THitInfo& info) {
    if (!(FMovable || FResizable)) return;
    FillPoint(info);
    // Forbidden axes first, so that the bounds see only the shift that can happen.
    long double dx = 0;
    long double dy = 0;
    AllowedShift(info, FDragKind == hkBody ? FMoveAxes : FVertexAxes, dx, dy);
    if (!ConstrainDrag(info)) return;
    switch (FDragKind) {
    case hkBody:
        if (FMovable) DragBody(info);
        break;
    case hkHandle:
        if (FResizable) DragVertex(info);
        break;
    case hkEdge:
        if (FResizable) DragEdge(info);
        break;
    default:
        break;
    }
}

void TBaseAEVObject::DragBody(THitInfo& info) {
    long double dx = 0;
    long double dy = 0;
    AllowedShift(info, FMoveAxes, dx, dy);
    if (dx == 0 && dy == 0) return;
    if (!AcceptChange(hkBody, FDragIndex, dx, dy)) return;
    Change([&] {
        // All points are read before any is written: a rectangle's corners share coordinates.
        std::vector<TLogicalPoint> shape(static_cast<size_t>(GetShapeCount()));
        for (int i = 0; i < GetShapeCount(); ++i)
            GetShapePoint(i, shape[static_cast<size_t>(i)]);
        for (int i = 0; i < GetShapeCount(); ++i) {
            TLogicalPoint p = shape[static_cast<size_t>(i)];
            p.X += dx;
            p.Y += dy;
            SetShapePoint(i, p);
        }
    });
    FDragAnchor.X = info.Point.X;
    FDragAnchor.Y = info.Point.Y;
}

void TBaseAEVObject::DragVertex(THitInfo& info) {
    if (FState == osCreating) {
        // The rubber-band point follows the mouse itself.
        const int i = FCreateIndex;
        Change([&] {
            TLogicalPoint p;
            if (!GetShapePoint(i, p)) return;
            p.X = info.Point.X;
            p.Y = info.Point.Y;
            SetShapePoint(i, p);
        });
        return;
    }
    long double dx = 0;
    long double dy = 0;
    AllowedShift(info, FVertexAxes, dx, dy);
    if (dx == 0 && dy == 0) return;
    if (!AcceptChange(hkHandle, FDragIndex, dx, dy)) return;
    Change([&] {
        TLogicalPoint p;
        if (!GetShapePoint(FDragIndex, p)) return;
        p.X += dx;
        p.Y += dy;
        SetShapePoint(FDragIndex, p);
    });
    FDragAnchor.X = info.Point.X;
    FDragAnchor.Y = info.Point.Y;
}

void TBaseAEVObject::DragEdge(THitInfo& info) {
    int a = 0;
    int b = 0;
    if (!GetEdge(FDragIndex, a, b)) return;
    long double dx = 0;
    long double dy = 0;
    AllowedShift(info, FVertexAxes, dx, dy);
    if (dx == 0 && dy == 0) return;
    if (!AcceptChange(hkEdge, FDragIndex, dx, dy)) return;
    Change([&] {
        TLogicalPoint pa;
        TLogicalPoint pb;
        if (!GetShapePoint(a, pa) || !GetShapePoint(b, pb)) return;
        pa.X += dx;
        pa.Y += dy;
        pb.X += dx;
        pb.Y += dy;
        SetShapePoint(a, pa);
        SetShapePoint(b, pb);
    });
    FDragAnchor.X = info.Point.X;
    FDragAnchor.Y = info.Point.Y;
}

void TBaseAEVObject::InsertVertex(THitInfo&, int index) {
    if (OnInsertPoint) OnInsertPoint(*this, index);
}

void TBaseAEVObject::BeginDrag(THitInfo& info) {
    FillPoint(info);
    FDragAnchor.X = info.Point.X;
    FDragAnchor.Y = info.Point.Y;
    FDragKind = info.HitKind;
    FDragIndex = info.HitIndex;
    FDragDistance = info.Distance;
    if (OnBeginDrag) OnBeginDrag(*this);
}

void TBaseAEVObject::EndEdit() {
    Redraw();
    if (OnEndEdit) OnEndEdit(*this);
}

void TBaseAEVObject::StartCreation() {
    FCreateIndex = -1;
    Redraw();
    if (OnCreateStart) OnCreateStart(*this);
}

void TBaseAEVObject::FinishCreation() {
    Redraw();
    if (OnCreated) OnCreated(*this);
}

void TBaseAEVObject::ContextPopup(THitInfo& info) {
    bool handled = true;
    if (OnContextPopup) OnContextPopup(*this, TDevicePoint{info.DevX, info.DevY}, handled);
}

// ---- Hit testing ---------------------------------------------------------------------------

void TBaseAEVObject::HitTestOutline(THitInfo& info, bool handles, bool inside) {
    info.HitKind = hkNone;
    if (!FVisible || FFrozen) return;
    // While editing, the points as they are being changed; otherwise the drawn shape.
    const bool stored = FState == osEditing;
    const int n = stored ? GetPointCount() : GetShapeCount();
    if (n == 0) return;
    std::vector<TDevicePoint> dev(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        TLogicalPoint p;
        if (stored ? GetPoint(i, p) : GetShapePoint(i, p))
            dev[static_cast<size_t>(i)] = ToDevice(p);
    }
    const TDevicePoint mouse{info.DevX, info.DevY};
    const int32_t t = info.Tolerance;
    if (handles) {
        for (int i = n - 1; i >= 0; --i) {
            if (NearHandle(mouse, dev[static_cast<size_t>(i)], t)) {
                info.HitKind = hkHandle;
                info.HitIndex = i;
                info.Distance = 0;
                return;
            }
        }
    }
    const bool closed = IsClosed();
    const int edges = closed ? (n >= 2 ? n : 0) : n - 1;
    long double best = std::numeric_limits<long double>::infinity();
    int bestEdge = -1;
    for (int i = 0; i < edges; ++i) {
        const long double d = SegmentDistance(mouse, dev[static_cast<size_t>(i)],
                                              dev[static_cast<size_t>((i + 1) % n)]);
        if (d < best) {
            best = d;
            bestEdge = i;
        }
    }
    if (bestEdge >= 0 && best <= t) {
        info.HitKind = closed ? hkEdge : hkBody;
        info.HitIndex = bestEdge;
        info.Distance = best;
        return;
    }
    if (closed && inside && n >= 3 && PointInPolygon(mouse, dev.data(), n - 1)) {
        info.HitKind = hkBody;
        info.HitIndex = 0;
        info.Distance = best;
    }
}

// ---- Values ----------------------------------------------------------------------------------

void TBaseAEVObject::AddValue(long double yNorm, long double xNorm) {
    const long double lw = LogicalWidth();
    const long double lh = LogicalHeight();
    AddPoint(xNorm * lw, lh - yNorm * lh);
}

void TBaseAEVObject::AddValueEx(int32_t position, uint8_t flags, uint8_t channel, long double yNorm,
                                long double xNorm) {
    const long double lw = LogicalWidth();
    const long double lh = LogicalHeight();
    FPoints.Add(static_cast<double>(xNorm * lw), static_cast<double>(lh - yNorm * lh), position,
                channel, flags);
}

void TBaseAEVObject::TransformPoint(int index, long double yOrigin, long double yScale,
                                    long double xOrigin, long double xScale) {
    if (!FPoints.Valid(index)) return;
    const double ox = static_cast<double>(xOrigin * LogicalWidth());
    const double oy = static_cast<double>(LogicalHeight() - yOrigin * LogicalHeight());
    const auto sx = static_cast<double>(xScale);
    const auto sy = static_cast<double>(yScale);
    FPoints.SetXY(index, sx * (FPoints.X(index) - ox), sy * (FPoints.Y(index) - oy));
}

void TBaseAEVObject::TransformPoints(long double yOrigin, long double yScale, long double xOrigin,
                                     long double xScale) {
    // The same arithmetic as TransformPoint, so both give the same pixels.
    const double ox = static_cast<double>(xOrigin * LogicalWidth());
    const double oy = static_cast<double>(LogicalHeight() - yOrigin * LogicalHeight());
    const auto sx = static_cast<double>(xScale);
    const auto sy = static_cast<double>(yScale);
    // A rescale that moved nothing (every fill ends with one) leaves each point where it is;
    // a zoom along one axis leaves the other coordinate as it is.
    const bool moveX = !(ox == 0 && sx == 1);
    const bool moveY = !(oy == 0 && sy == 1);
    if (!moveX && !moveY) return;
    double* x = FPoints.XData();
    double* y = FPoints.YData();
    const size_t n = static_cast<size_t>(FPoints.Count());
    auto move = [](double* v, size_t from, size_t to, double s, double o) {
        for (size_t i = from; i < to; ++i)
            v[i] = s * (v[i] - o);
    };
    // A zoom of millions of points is bound by the memory bandwidth one core gets: a second
    // core moves one of the arrays, or half of the only one that moves.
    constexpr size_t ParallelFrom = size_t(1) << 20;
    if (n >= ParallelFrom && std::thread::hardware_concurrency() > 1) {
        if (moveX && moveY) {
            std::thread other([=] { move(y, 0, n, sy, oy); });
            move(x, 0, n, sx, ox);
            other.join();
        } else {
            double* v = moveX ? x : y;
            const double s = moveX ? sx : sy;
            const double o = moveX ? ox : oy;
            std::thread other([=] { move(v, n / 2, n, s, o); });
            move(v, 0, n / 2, s, o);
            other.join();
        }
    } else {
        if (moveX) move(x, 0, n, sx, ox);
        if (moveY) move(y, 0, n, sy, oy);
    }
}

// ---- Attributes ------------------------------------------------------------------------------

void TBaseAEVObject::SetName(std::string name) {
    FName = std::move(name);
    Redraw();
}

void TBaseAEVObject::SetVisible(bool v) {
    FVisible = v;
    Redraw();
}

void TBaseAEVObject::SetEnabled(bool v) {
    FEnabled = v;
    Redraw();
}

void TBaseAEVObject::SetMovable(bool v) {
    FMovable = v;
    Redraw();
}

void TBaseAEVObject::SetResizable(bool v) {
    FResizable = v;
    Redraw();
}

void TBaseAEVObject::SetMoveAxes(uint8_t axes) {
    FMoveAxes = axes;
    Redraw();
}

void TBaseAEVObject::SetBounds(const TLogicalPoint& minCorner, const TLogicalPoint& maxCorner) {
    FBoundsMin = minCorner;
    FBoundsMax = maxCorner;
    Redraw();
}

void TBaseAEVObject::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0) NotifyChanged();
}

void TBaseAEVObject::NotifyChanged() {
    if (FUpdateCount > 0 || !FContainer) return;
    TAEVMessage msg;
    msg.Msg = AEVM_CHANGED;
    FContainer->Perform(msg);
}

// ---- Canvas state ----------------------------------------------------------------------------

TCanvasStateGuard::TCanvasStateGuard(TLogicalCanvas& canvas) : FCanvas(canvas) {
    FCanvas.SaveState();
}

TCanvasStateGuard::~TCanvasStateGuard() {
    FCanvas.RestoreState();
}

} // namespace vorelt
