#include "view2d/TCanvasContainerCore.h"

#include "persist/TTextCodec.h"
#include "view2d/TCanvasDraw.h"

#include <algorithm>

namespace vorelt {

TCanvasContainerCore::TCanvasContainerCore(ICanvasHost& host, TCanvasDraw* draw)
    : FHost(host), FDraw(draw) {}

TCanvasContainerCore::~TCanvasContainerCore() = default;

// ---- Objects -------------------------------------------------------------------------------

int TCanvasContainerCore::AddObject(std::unique_ptr<TBaseAEVObject> obj, int index) {
    if (!obj) return -1;
    obj->Attach(this, FDraw);
    int pos;
    if (index < 0 || index >= Count()) {
        FObjects.push_back(std::move(obj));
        pos = Count() - 1;
    } else {
        FObjects.insert(FObjects.begin() + index, std::move(obj));
        pos = index;
        if (FSelectedIndex >= index) ++FSelectedIndex;
    }
    FHost.Repaint();
    return pos;
}

void TCanvasContainerCore::DeleteObject(int index) {
    if (index < 0 || index >= Count()) return;
    if (FObjects[static_cast<size_t>(index)].get() == FObjectBeingCreated)
        FObjectBeingCreated = nullptr;
    FObjects.erase(FObjects.begin() + index);
    FSelectedIndex = -1;
    FHost.Repaint();
}

void TCanvasContainerCore::Clear() {
    FObjectBeingCreated = nullptr;
    FObjects.clear();
    FSelectedIndex = -1;
    FHost.Repaint();
}

TBaseAEVObject* TCanvasContainerCore::GetObject(int index) const {
    return index >= 0 && index < Count() ? FObjects[static_cast<size_t>(index)].get() : nullptr;
}

int TCanvasContainerCore::IndexOfObject(const TBaseAEVObject* obj) const {
    if (!obj) return -1;
    for (int i = Count() - 1; i >= 0; --i)
        if (FObjects[static_cast<size_t>(i)].get() == obj) return i;
    return -1;
}

bool TCanvasContainerCore::ExchangeObjects(int i, int j) {
    if (i < 0 || j < 0 || i >= Count() || j >= Count()) return false;
    std::swap(FObjects[static_cast<size_t>(i)], FObjects[static_cast<size_t>(j)]);
    if (FSelectedIndex == i)
        FSelectedIndex = j;
    else if (FSelectedIndex == j)
        FSelectedIndex = i;
    return true;
}

void TCanvasContainerCore::RedrawObjects() {
    // The repaint renders the background and every object again before the buffer is shown,
    // so drawing each object into the old buffer first would only be painted over: with a
    // series of millions of points that doubled the cost of every zoom.
    FHost.Repaint();
}

// ---- Painting ------------------------------------------------------------------------------

void TCanvasContainerCore::Render() {
    if (!FDraw) return;
    FDraw->BeginPaint();
    FDraw->FillRect(0, 0, FHost.ClientWidth(), FHost.ClientHeight(), FBackColor);
    for (int i = 0; i < Count(); ++i)
        if (i != FSelectedIndex) FObjects[static_cast<size_t>(i)]->Draw();
    if (TBaseAEVObject* sel = SelectedObject()) sel->Draw();
    if (FBandShown) DrawBand(FSelectRect);
    FDraw->EndPaint();
}

void TCanvasContainerCore::DrawBand(const TRectInt& rect) {
    if (!FDraw) return;
    const int32_t l = std::min(rect.Left, rect.Right);
    const int32_t r = std::max(rect.Left, rect.Right);
    const int32_t t = std::min(rect.Top, rect.Bottom);
    const int32_t b = std::max(rect.Top, rect.Bottom);
    const TPenAttrs savedPen = FDraw->Pen();
    const TBrushAttrs savedBrush = FDraw->Brush();
    FDraw->Pen().Color = FBandColor;
    FDraw->Pen().Style = psDashDotDot;
    FDraw->Pen().Mode = pmXor;
    FDraw->Pen().Width = 1;
    FDraw->Brush().Color = FBackColor;
    FDraw->Brush().Style = bsSolid;
    FDraw->BeginPaint();
    FDraw->MoveTo(l, t);
    FDraw->LineTo(l, b);
    FDraw->LineTo(r, b);
    FDraw->LineTo(r, t);
    FDraw->LineTo(l, t);
    FDraw->EndPaint();
    FDraw->Pen() = savedPen;
    FDraw->Brush() = savedBrush;
}

void TCanvasContainerCore::SetBackColor(TColor c) {
    FBackColor = c;
    FHost.Repaint();
}

// ---- Hit testing ---------------------------------------------------------------------------

int TCanvasContainerCore::HitTest(THitInfo& info, bool onlyEnabled) {
    info.Tolerance = 3;
    const int32_t devX = info.DevX;
    const int32_t devY = info.DevY;
    int best = -1;
    long double bestDistance = 0;
    TMouseKeyInfo none;
    for (int i = 0; i < Count(); ++i) {
        TBaseAEVObject* obj = FObjects[static_cast<size_t>(i)].get();
        if (onlyEnabled && !obj->Enabled()) continue;
        THitInfo probe = info;
        probe.HitKind = 0;
        probe.HitIndex = 0;
        probe.Distance = 0;
        Send(obj, AEVM_HITTEST, probe, none);
        if (probe.HitKind != 0 && (best < 0 || probe.Distance < bestDistance)) {
            best = i;
            bestDistance = probe.Distance;
            info.HitKind = probe.HitKind;
            info.HitIndex = probe.HitIndex;
            info.Distance = probe.Distance;
            info.Point = probe.Point;
        }
        info.DevX = devX;
        info.DevY = devY;
    }
    return best;
}

int TCanvasContainerCore::HitTestTop(THitInfo& info) {
    info.Tolerance = 3;
    TMouseKeyInfo none;
    for (int i = Count() - 1; i >= 0; --i) {
        TBaseAEVObject* obj = FObjects[static_cast<size_t>(i)].get();
        THitInfo probe = info;
        probe.HitKind = 0;
        Send(obj, AEVM_HITTEST, probe, none);
        if (probe.HitKind != 0 && obj->HasContextHandler()) return i;
    }
    return -1;
}

// ---- Events --------------------------------------------------------------------------------

namespace {
TMouseKeyInfo Mouse(int32_t x, int32_t y, uint16_t keyState) {
    TMouseKeyInfo m;
    m.KeyState = keyState;
    m.X = static_cast<int16_t>(std::clamp(x, -32768, 32767));
    m.Y = static_cast<int16_t>(std::clamp(y, -32768, 32767));
    return m;
}
} // namespace

void TCanvasContainerCore::StartCreate(std::unique_ptr<TBaseAEVObject> obj) {
    if (!obj) return;
    TMouseKeyInfo src;
    FPendingCreate = std::move(obj);
    HandleEvent(evStartCreate, src, FPendingCreate.get());
    FPendingCreate.reset();
}

void TCanvasContainerCore::SelectObject(TBaseAEVObject* obj) {
    TMouseKeyInfo src;
    HandleEvent(evSelect, src, obj);
}

void TCanvasContainerCore::LeftButtonDown(int32_t x, int32_t y, uint16_t keyState) {
    FHost.TakeFocus();
    TMouseKeyInfo src = Mouse(x, y, keyState);
    HandleEvent(evLeftDown, src);
}

void TCanvasContainerCore::LeftButtonUp(int32_t x, int32_t y, uint16_t keyState) {
    TMouseKeyInfo src = Mouse(x, y, keyState);
    HandleEvent(evLeftUp, src);
}

void TCanvasContainerCore::MouseMove(int32_t x, int32_t y, uint16_t keyState) {
    TMouseKeyInfo src = Mouse(x, y, keyState);
    HandleEvent(evMove, src);
}

void TCanvasContainerCore::RightButtonDown(int32_t x, int32_t y, uint16_t keyState) {
    TMouseKeyInfo src = Mouse(x, y, keyState);
    HandleEvent(evRightDown, src);
}

void TCanvasContainerCore::LeftDoubleClick(int32_t x, int32_t y, uint16_t keyState) {
    TMouseKeyInfo src = Mouse(x, y, keyState);
    HandleEvent(evDoubleClick, src);
}

void TCanvasContainerCore::KeyDown(uint16_t keyCode, uint16_t keyState) {
    TMouseKeyInfo src;
    src.KeyCode = keyCode;
    src.KeyState = keyState;
    HandleEvent(evKeyDown, src);
}

void TCanvasContainerCore::TypingTimer() {
    TMouseKeyInfo src;
    HandleEvent(evTimer, src);
}

void TCanvasContainerCore::CancelMode() {
    TMouseKeyInfo src;
    HandleEvent(evCancel, src);
}

void TCanvasContainerCore::Perform(TAEVMessage& msg) {
    if (msg.Msg == AEVM_CANCELMODE) CancelMode();
    // AEVM_CHANGED is accepted: objects redraw themselves.
}

THitInfo TCanvasContainerCore::InfoAt(const TMouseKeyInfo& src) const {
    THitInfo info;
    info.DevX = src.X;
    info.DevY = src.Y;
    info.Tolerance = 3;
    return info;
}

void TCanvasContainerCore::Send(TBaseAEVObject* obj, uint32_t msg, THitInfo& info,
                                TMouseKeyInfo& src) {
    if (!obj) return;
    TAEVMessage m;
    m.Msg = msg;
    m.Info = &info;
    m.Source = &src;
    obj->Dispatch(m);
}

void TCanvasContainerCore::UnselectCurrent(TMouseKeyInfo& src) {
    if (TBaseAEVObject* sel = SelectedObject()) {
        THitInfo info = InfoAt(src);
        Send(sel, AEVM_UNSELECT, info, src);
    }
    FSelectedIndex = -1;
}

void TCanvasContainerCore::SelectHit(TMouseKeyInfo& src) {
    THitInfo info = InfoAt(src);
    const int hit = HitTest(info, true);
    if (hit < 0) return;
    TBaseAEVObject* obj = GetObject(hit);
    Send(obj, AEVM_SELECT, info, src);
    if (obj->Selected()) FSelectedIndex = hit;
    Send(obj, WM_LBUTTONDOWN_, info, src);
    FHost.Repaint();
}

void TCanvasContainerCore::TypeKey(uint16_t keyCode, bool replace) {
    std::string ch;
    if (keyCode == VK_BACK_)
        ch = "-";
    else if (keyCode < 0x80)
        ch = std::string(1, static_cast<char>(keyCode));
    else if (keyCode < 0x100)
        ch = Cp1251ToUtf8(std::string(1, static_cast<char>(keyCode)));
    if (replace)
        FShortCutText = ch;
    else
        FShortCutText += ch;
    FHost.StopTypingTimer();
    FHost.StartTypingTimer();
}

void TCanvasContainerCore::DeleteCreated() {
    const int idx = IndexOfObject(FObjectBeingCreated);
    FObjectBeingCreated = nullptr;
    if (idx >= 0) DeleteObject(idx);
}

void TCanvasContainerCore::GoTo(uint8_t state, TMouseKeyInfo& src) {
    const uint8_t old = FState;
    if (old == state) return;
    if (old == csTyping) FHost.StopTypingTimer();
    if (old == csRubberBand || old == csTracking || old == csCreating) FHost.SetMouseCapture(false);
    FState = state;
    if (old == csTracking || old == csCreating) FHost.Repaint();
    HandleEvent(evEnter, src);
}

void TCanvasContainerCore::HandleEvent(int event, TMouseKeyInfo& src, TBaseAEVObject* obj) {
    switch (FState) {
    case csIdle:
        IdleEvent(event, src, obj);
        break;
    case csTyping:
        TypingEvent(event, src);
        break;
    case csRubberBand:
        RubberBandEvent(event, src);
        break;
    case csTracking:
        TrackingEvent(event, src);
        break;
    case csCreating:
        CreatingEvent(event, src);
        break;
    default:
        break;
    }
}

// ---- Idle ----------------------------------------------------------------------------------

void TCanvasContainerCore::IdleEvent(int event, TMouseKeyInfo& src, TBaseAEVObject* obj) {
    switch (event) {
    case evStartCreate:
        UnselectCurrent(src);
        FObjectBeingCreated = obj;
        GoTo(csCreating, src);
        break;
    case evLeftDown:
        UnselectCurrent(src);
        SelectHit(src);
        FHost.Repaint();
        break;
    case evMove:
        if (FDragObjects) {
            if (FSelectedIndex >= 0 && OnlyLeftDown(src.KeyState)) FHost.BeginDragOperation();
        } else if (FAllowSelectRect && OnlyLeftDown(src.KeyState)) {
            GoTo(csRubberBand, src);
        }
        break;
    case evRightDown:
        IdleRightDown(src);
        break;
    case evDoubleClick:
        IdleDoubleClick(src);
        break;
    case evKeyDown:
        if (FSelectedIndex < 0) {
            GoTo(csTyping, src);
        } else {
            THitInfo info = InfoAt(src);
            Send(SelectedObject(), WM_KEYDOWN_, info, src);
        }
        break;
    case evSelect: {
        const int idx = IndexOfObject(obj);
        if (idx < 0) break;
        if (FSelectedIndex >= 0 && FSelectedIndex != idx) UnselectCurrent(src);
        THitInfo info = InfoAt(src);
        Send(obj, AEVM_SELECT, info, src);
        if (obj->Selected()) FSelectedIndex = idx;
        FHost.Repaint();
        break;
    }
    case evCancel:
        if (FSelectedIndex >= 0) {
            UnselectCurrent(src);
            FHost.Repaint();
        }
        break;
    default:
        break;
    }
}

void TCanvasContainerCore::IdleRightDown(TMouseKeyInfo& src) {
    THitInfo info = InfoAt(src);
    const int hit = HitTestTop(info);
    if (hit < 0) {
        bool handled = true;
        if (OnContextPopup) OnContextPopup(*this, src.X, src.Y, handled);
    } else {
        Send(GetObject(hit), WM_RBUTTONDOWN_, info, src);
    }
}

void TCanvasContainerCore::IdleDoubleClick(TMouseKeyInfo& src) {
    UnselectCurrent(src);
    THitInfo info = InfoAt(src);
    const int hit = HitTest(info, false);
    if (hit < 0) {
        for (auto& o : FObjects) {
            if (!o->Enabled() || !o->AcceptsBackDblClick()) continue;
            THitInfo probe = InfoAt(src);
            Send(o.get(), AEVM_BACKDBLCLICK, probe, src);
            if (probe.HitKind != 0) break;
        }
        FHost.Repaint();
        return;
    }
    TBaseAEVObject* target = GetObject(hit);
    Send(target, AEVM_SELECT, info, src);
    if (target->Selected()) {
        FSelectedIndex = hit;
        Send(target, AEVM_BEGINEDIT, info, src);
        if (target->State() == osEditing) {
            Send(target, WM_LBUTTONDOWN_, info, src);
            GoTo(csTracking, src);
        } else {
            Send(target, WM_LBUTTONDBLCLK_, info, src);
        }
    } else {
        Send(target, WM_LBUTTONDBLCLK_, info, src);
    }
    FHost.Repaint();
}

// ---- Typing a shortcut ---------------------------------------------------------------------

void TCanvasContainerCore::TypingEvent(int event, TMouseKeyInfo& src) {
    switch (event) {
    case evEnter:
        TypeKey(src.KeyCode, true);
        break;
    case evKeyDown:
        TypeKey(src.KeyCode, false);
        break;
    case evTimer: {
        FHost.StopTypingTimer();
        const std::string text = FShortCutText;
        GoTo(csIdle, src);
        if (OnShortCut) OnShortCut(*this, text);
        break;
    }
    case evCancel:
        GoTo(csIdle, src);
        HandleEvent(evCancel, src);
        break;
    default:
        break;
    }
}

// ---- Rubber band ---------------------------------------------------------------------------

void TCanvasContainerCore::RubberBandEvent(int event, TMouseKeyInfo& src) {
    switch (event) {
    case evEnter:
        FSelectRect = {src.X, src.Y, src.X, src.Y};
        DrawBand(FSelectRect);
        FBandShown = true;
        FHost.ShowBuffer();
        FHost.SetMouseCapture(true);
        break;
    case evMove:
        if (OnlyLeftDown(src.KeyState)) {
            DrawBand(FSelectRect);
            FSelectRect.Right = src.X;
            FSelectRect.Bottom = src.Y;
            DrawBand(FSelectRect);
            FHost.ShowBuffer();
        } else {
            // Any other button state ends the band as the release does.
            EndBand(src);
        }
        break;
    case evLeftUp:
        EndBand(src);
        break;
    case evCancel:
        EraseBand();
        GoTo(csIdle, src);
        HandleEvent(evCancel, src);
        break;
    default:
        break;
    }
}

void TCanvasContainerCore::EraseBand() {
    DrawBand(FSelectRect);
    FBandShown = false;
    FHost.ShowBuffer();
}

void TCanvasContainerCore::EndBand(TMouseKeyInfo& src) {
    EraseBand();
    TRectInt r = FSelectRect;
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    const int32_t w = FHost.ClientWidth();
    const int32_t h = FHost.ClientHeight();
    if (r.Top < 1) r.Top = 0;
    if (r.Left < 1) r.Left = 0;
    if (r.Bottom > h - 3) r.Bottom = h - 1;
    if (r.Right > w - 3) r.Right = w - 1;
    FSelectRect = r;
    GoTo(csIdle, src);
    const int32_t s = SizePoint();
    if (OnSelectRect && r.Right - r.Left > s && r.Bottom - r.Top > s) OnSelectRect(*this, r);
}

// ---- Tracking the selected object ----------------------------------------------------------

void TCanvasContainerCore::TrackingEvent(int event, TMouseKeyInfo& src) {
    TBaseAEVObject* tracked = SelectedObject();
    THitInfo info = InfoAt(src);
    switch (event) {
    case evEnter:
        FHost.SetMouseCapture(true);
        FHost.Repaint();
        break;
    case evLeftDown:
        info.Tolerance = 3;
        Send(tracked, AEVM_HITTEST, info, src);
        if (tracked && info.HitKind != 0) {
            Send(tracked, WM_LBUTTONDOWN_, info, src);
        } else {
            Send(tracked, AEVM_ENDEDIT, info, src);
            Send(tracked, AEVM_UNSELECT, info, src);
            FSelectedIndex = -1;
            SelectHit(src);
            GoTo(csIdle, src);
        }
        break;
    case evMove:
        if (src.KeyState & MK_LBUTTON_) {
            Send(tracked, AEVM_DRAG, info, src);
            FHost.ShowBuffer();
            break;
        }
        [[fallthrough]];
    case evLeftUp:
        Send(tracked, WM_LBUTTONUP_, info, src);
        FHost.ShowBuffer();
        break;
    case evRightDown:
        Send(tracked, AEVM_ENDEDIT, info, src);
        GoTo(csIdle, src);
        break;
    case evDoubleClick:
        info.Tolerance = 3;
        Send(tracked, AEVM_HITTEST, info, src);
        Send(tracked, WM_LBUTTONDBLCLK_, info, src);
        break;
    case evCancel:
        Send(tracked, AEVM_ENDEDIT, info, src);
        GoTo(csIdle, src);
        HandleEvent(evCancel, src);
        break;
    default:
        break;
    }
}

// ---- Creating an object --------------------------------------------------------------------

void TCanvasContainerCore::CreatingEvent(int event, TMouseKeyInfo& src) {
    THitInfo info = InfoAt(src);
    TBaseAEVObject* created = FObjectBeingCreated;
    switch (event) {
    case evEnter:
        EnterCreating(src);
        break;
    case evLeftDown:
        if (created->State() != osCreating) {
            CancelCreated(info, src);
        } else {
            Send(created, AEVM_ADDPOINT, info, src);
            if (created->State() != osCreating) {
                FObjectBeingCreated = nullptr;
                GoTo(csIdle, src);
            }
        }
        break;
    case evMove:
        Send(created, AEVM_MOVEPOINT, info, src);
        FHost.ShowBuffer();
        break;
    case evRightDown:
        Send(created, WM_RBUTTONDOWN_, info, src);
        if (created->State() == osNormal) {
            FObjectBeingCreated = nullptr;
            GoTo(csIdle, src);
        } else if (created->State() == osCancelled) {
            DeleteCreated();
            GoTo(csIdle, src);
        }
        break;
    case evKeyDown:
        if (src.KeyCode == VK_DELETE_) CancelCreated(info, src);
        break;
    case evCancel:
        CancelCreated(info, src);
        HandleEvent(evCancel, src);
        break;
    default:
        break;
    }
}

void TCanvasContainerCore::EnterCreating(TMouseKeyInfo& src) {
    TBaseAEVObject* created = FObjectBeingCreated;
    if (!created || !FPendingCreate) {
        GoTo(csIdle, src);
        return;
    }
    THitInfo info = InfoAt(src);
    const int idx = AddObject(std::move(FPendingCreate), -1);
    Send(created, AEVM_SELECT, info, src);
    if (!created->Selected()) {
        CancelCreated(info, src);
        return;
    }
    FSelectedIndex = idx;
    Send(created, AEVM_BEGINCREATE, info, src);
    if (created->State() != osCreating)
        CancelCreated(info, src);
    else
        FHost.SetMouseCapture(true);
}

void TCanvasContainerCore::CancelCreated(THitInfo& info, TMouseKeyInfo& src) {
    Send(FObjectBeingCreated, AEVM_CANCELCREATE, info, src);
    DeleteCreated();
    GoTo(csIdle, src);
}

} // namespace vorelt
