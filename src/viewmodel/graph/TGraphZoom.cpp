#include "viewmodel/graph/TGraphZoom.h"

#include "persist/TNumberFormat.h"
#include "processing/graph/IGraphAxis.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

void Current(const IGraphAxis* a, long double& lo, long double& hi) {
    lo = hi = 0;
    if (a) a->AxisCurrent(lo, hi);
}

long double Lg(long double v) {
    return std::log10(v == 0 ? GraphLogZero : v);
}

// Origin and scale of one axis; false when the old range has no width.
bool Pair(const IGraphAxis& a, long double o1, long double o2, long double n1, long double n2,
          bool fromMin, long double& origin, long double& scale) {
    if (o1 == n1 && o2 == n2) {
        // Nothing moved, whatever the width.
        origin = fromMin ? 0 : 1;
        scale = 1;
        return true;
    }
    long double d = 0, od = 0, nd = 0;
    if (a.AxisLogarithmic()) {
        od = Lg(o2) - Lg(o1);
        nd = Lg(n2) - Lg(n1);
        d = (fromMin ? Lg(n1) : Lg(n2)) - Lg(o1);
    } else {
        od = o2 - o1;
        nd = n2 - n1;
        d = (fromMin ? n1 : n2) - o1;
    }
    if (od == 0 || nd == 0 || !std::isfinite(od) || !std::isfinite(nd)) return false;
    origin = d / od;
    scale = od / nd;
    return std::isfinite(origin) && std::isfinite(scale);
}

// Wheel steps and drags work on the scale the axis draws: values, or their decimal logarithms.
long double ToScale(const IGraphAxis& a, long double v) {
    return a.AxisLogarithmic() ? Lg(v) : v;
}

long double FromScale(const IGraphAxis& a, long double s) {
    return a.AxisLogarithmic() ? std::pow(10.0L, s) : s;
}

// A range narrower than this part of its values' size no longer tells values apart.
constexpr long double NarrowestRelative = 1e-12L;
// A span this close to the whole graph's is the whole graph's.
constexpr long double WholeSpanSlack = 1e-9L;

bool SameRanges(const TRangeSnapshot& a, const TRangeSnapshot& b) {
    return a.LeftMin == b.LeftMin && a.LeftMax == b.LeftMax && a.BottomMin == b.BottomMin &&
           a.BottomMax == b.BottomMax && a.HasRight == b.HasRight &&
           (!a.HasRight || (a.RightMin == b.RightMin && a.RightMax == b.RightMax));
}

// Sets a new current range and keeps it only when the axis holds it as a proper range (an
// integer axis rounds its ends and may make them meet).
bool SetProperRange(IGraphAxis& a, long double lo, long double hi) {
    long double oldLo = 0, oldHi = 0;
    a.AxisCurrent(oldLo, oldHi);
    a.AxisSetCurrent(lo, hi);
    long double nowLo = 0, nowHi = 0;
    if (a.AxisCurrent(nowLo, nowHi) && nowLo < nowHi) return true;
    a.AxisSetCurrent(oldLo, oldHi);
    return false;
}

// One axis of a wheel step. `full` is the range before the first entry, or none.
struct TWheelAxis {
    IGraphAxis* Axis = nullptr;
    long double At = 0;
    bool HasFull = false;
    long double FullLo = 0, FullHi = 0;
    bool Change = false;
    long double Lo = 0, Hi = 0;
    // The range after the step (changed or not) is the full one.
    bool AtFull = false;
};

void PlanWheelAxis(TWheelAxis& w, long double factor) {
    long double lo = 0, hi = 0;
    if (!w.Axis->AxisCurrent(lo, hi)) return;
    w.AtFull = w.HasFull && lo == w.FullLo && hi == w.FullHi;
    const IGraphAxis& a = *w.Axis;
    const long double s0 = ToScale(a, lo), s1 = ToScale(a, hi);
    const long double span = s1 - s0;
    if (!(span > 0) || !std::isfinite(span)) return;
    const long double at = s0 + w.At * span;
    long double n0 = at - w.At * span * factor;
    long double n1 = n0 + span * factor;
    if (factor > 1 && w.HasFull) {
        const long double f0 = ToScale(a, w.FullLo), f1 = ToScale(a, w.FullHi);
        // Steps in and out by the same factor come back to the whole span but for rounding.
        if (n1 - n0 >= (f1 - f0) * (1 - WholeSpanSlack)) {
            w.Change = lo != w.FullLo || hi != w.FullHi;
            w.Lo = w.FullLo;
            w.Hi = w.FullHi;
            w.AtFull = true;
            return;
        }
        if (n0 < f0) {
            n1 += f0 - n0;
            n0 = f0;
        } else if (n1 > f1) {
            n0 -= n1 - f1;
            n1 = f1;
        }
    }
    if (!(n1 - n0 > std::max(std::fabs(n0), std::fabs(n1)) * NarrowestRelative)) return;
    const long double newLo = FromScale(a, n0), newHi = FromScale(a, n1);
    if (!std::isfinite(newLo) || !std::isfinite(newHi) || !(newLo < newHi)) return;
    w.Change = newLo != lo || newHi != hi;
    w.Lo = newLo;
    w.Hi = newHi;
    w.AtFull = w.HasFull && newLo == w.FullLo && newHi == w.FullHi;
}

// Moves the range lo .. hi of a drag's start by `d` of its span against the mouse.
void ShiftRange(IGraphAxis* a, long double lo, long double hi, long double d) {
    if (!a || !a->AxisHasField() || !std::isfinite(d)) return;
    const long double s0 = ToScale(*a, lo), s1 = ToScale(*a, hi);
    const long double span = s1 - s0;
    if (!(span > 0) || !std::isfinite(span)) return;
    const long double newLo = FromScale(*a, s0 - d * span), newHi = FromScale(*a, s1 - d * span);
    if (!std::isfinite(newLo) || !std::isfinite(newHi) || !(newLo < newHi)) return;
    SetProperRange(*a, newLo, newHi);
}

} // namespace

TRangeSnapshot SnapshotRanges(const TGraphRun& axes) {
    TRangeSnapshot s;
    Current(axes.Left, s.LeftMin, s.LeftMax);
    Current(axes.Bottom, s.BottomMin, s.BottomMax);
    s.HasRight = axes.RightOn;
    if (s.HasRight) Current(axes.Right, s.RightMin, s.RightMax);
    return s;
}

void RestoreRanges(const TGraphRun& axes, const TRangeSnapshot& s) {
    axes.Left->AxisSetCurrent(s.LeftMin, s.LeftMax);
    axes.Bottom->AxisSetCurrent(s.BottomMin, s.BottomMax);
    if (axes.RightOn && s.HasRight) axes.Right->AxisSetCurrent(s.RightMin, s.RightMax);
}

TViewTransform ComputeTransform(const TRangeSnapshot& old, const TGraphRun& axes) {
    TViewTransform t;
    long double n1 = 0, n2 = 0;
    bool ok = true;
    Current(axes.Left, n1, n2);
    ok &= Pair(*axes.Left, old.LeftMin, old.LeftMax, n1, n2, false, t.YOriginLeft, t.YScaleLeft);
    Current(axes.Bottom, n1, n2);
    ok &= Pair(*axes.Bottom, old.BottomMin, old.BottomMax, n1, n2, true, t.XOrigin, t.XScale);
    if (axes.RightOn && old.HasRight) {
        Current(axes.Right, n1, n2);
        ok &= Pair(*axes.Right, old.RightMin, old.RightMax, n1, n2, false, t.YOriginRight,
                   t.YScaleRight);
    } else {
        t.YScaleRight = 1;
        t.YOriginRight = 0;
    }
    if (!ok) {
        // Nothing can be moved from a range without width: the points are drawn anew.
        t = TViewTransform{};
        t.Refill = true;
    }
    return t;
}

long double ValueAtFraction(const IGraphAxis& axis, long double f) {
    long double lo = 0, hi = 0;
    axis.AxisCurrent(lo, hi);
    if (axis.AxisLogarithmic()) return std::pow(10.0L, Lg(lo) + f * (Lg(hi) - Lg(lo)));
    return lo + f * (hi - lo);
}

void NarrowRange(IGraphAxis& axis, long double a, long double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) return;
    axis.AxisWidenRange(a, b);
    long double lo = 0, hi = 0;
    if (!axis.AxisCurrent(lo, hi)) return;
    if (a > lo) lo = a;
    if (b < hi) hi = b;
    axis.AxisSetCurrent(lo, hi);
}

TViewTransform TGraphZoom::Zoom(const TGraphRun& axes, int mode, const TZoomRect* rect,
                                const TShortCutMSG* range) {
    const TRangeSnapshot old = SnapshotRanges(axes);
    FStack.push_back(old);
    if ((mode == zmBoth || mode == zmVertical) && rect)
        for (IGraphAxis* a : {axes.Left, axes.RightOn ? axes.Right : nullptr})
            if (a)
                NarrowRange(*a, ValueAtFraction(*a, rect->Bottom), ValueAtFraction(*a, rect->Top));
    if ((mode == zmBoth || mode == zmHorizontal) && rect)
        NarrowRange(*axes.Bottom, ValueAtFraction(*axes.Bottom, rect->Left),
                    ValueAtFraction(*axes.Bottom, rect->Right));
    if (mode == zmRange && range) axes.Bottom->AxisSetCurrent(range->Min, range->Max);
    return ComputeTransform(old, axes);
}

bool TGraphZoom::Unzoom(const TGraphRun& axes, bool all, TViewTransform& t) {
    if (FStack.empty()) return false;
    const TRangeSnapshot old = SnapshotRanges(axes);
    if (all) {
        RestoreRanges(axes, FStack.front());
        FStack.clear();
    } else {
        RestoreRanges(axes, FStack.back());
        FStack.pop_back();
    }
    t = ComputeTransform(old, axes);
    return true;
}

TWheelZoom TGraphZoom::ZoomAround(const TGraphRun& axes, long double fx, long double fy,
                                  long double factor, TViewTransform& t) {
    if (!(factor > 0) || factor == 1 || !std::isfinite(factor) || !std::isfinite(fx) ||
        !std::isfinite(fy))
        return TWheelZoom::None;
    // Unzoomed, the graph shows all it has: there is nothing to zoom out to.
    const bool out = factor > 1;
    if (out && FStack.empty()) return TWheelZoom::None;
    const TRangeSnapshot old = SnapshotRanges(axes);
    const TRangeSnapshot* first = FStack.empty() ? nullptr : &FStack.front();
    TWheelAxis plan[3];
    plan[0].Axis = axes.Bottom;
    plan[0].At = fx;
    plan[1].Axis = axes.Left;
    plan[1].At = fy;
    plan[2].Axis = axes.RightOn ? axes.Right : nullptr;
    plan[2].At = fy;
    if (first) {
        plan[0].HasFull = true;
        plan[0].FullLo = first->BottomMin;
        plan[0].FullHi = first->BottomMax;
        plan[1].HasFull = true;
        plan[1].FullLo = first->LeftMin;
        plan[1].FullHi = first->LeftMax;
        plan[2].HasFull = first->HasRight;
        plan[2].FullLo = first->RightMin;
        plan[2].FullHi = first->RightMax;
    }
    bool any = false;
    bool allFull = out;
    for (TWheelAxis& w : plan) {
        if (!w.Axis || !w.Axis->AxisHasField()) continue;
        PlanWheelAxis(w, factor);
        any |= w.Change;
        allFull &= w.AtFull;
    }
    if (allFull) return TWheelZoom::UnzoomAll;
    if (!any) return TWheelZoom::None;
    FStack.push_back(old);
    for (TWheelAxis& w : plan)
        if (w.Axis && w.Change) SetProperRange(*w.Axis, w.Lo, w.Hi);
    const TRangeSnapshot now = SnapshotRanges(axes);
    if (SameRanges(now, old)) {
        FStack.pop_back();
        return TWheelZoom::None;
    }
    // Integer ends can round a step onto the whole graph that its plan did not reach.
    if (out && SameRanges(now, FStack.front())) {
        RestoreRanges(axes, old);
        FStack.pop_back();
        return TWheelZoom::UnzoomAll;
    }
    t = ComputeTransform(old, axes);
    return TWheelZoom::Zoomed;
}

void TGraphZoom::BeginDrag(const TGraphRun& axes) {
    if (FDragging) EndDrag(axes);
    FStack.push_back(SnapshotRanges(axes));
    FDragging = true;
}

TViewTransform TGraphZoom::DragTo(const TGraphRun& axes, long double dx, long double dy) {
    const TRangeSnapshot old = SnapshotRanges(axes);
    if (FDragging && !FStack.empty()) {
        const TRangeSnapshot start = FStack.back();
        ShiftRange(axes.Bottom, start.BottomMin, start.BottomMax, dx);
        ShiftRange(axes.Left, start.LeftMin, start.LeftMax, dy);
        if (axes.RightOn && start.HasRight)
            ShiftRange(axes.Right, start.RightMin, start.RightMax, dy);
    }
    return ComputeTransform(old, axes);
}

bool TGraphZoom::EndDrag(const TGraphRun& axes) {
    if (!FDragging) return false;
    FDragging = false;
    if (FStack.empty()) return false;
    if (!SameRanges(FStack.back(), SnapshotRanges(axes))) return true;
    FStack.pop_back();
    return false;
}

bool FindSortedRun(int count, const std::function<int(int)>& test, int& lo, int& hi) {
    if (count <= 0) return false;
    lo = 0;
    hi = count - 1;
    int mid = -1;
    while (mid < 0) {
        if (lo > hi) return false;
        if (lo == hi) {
            if (test(lo) != 0) return false;
            mid = lo;
        } else if (lo + 1 == hi) {
            if (test(lo) == 0)
                mid = lo;
            else if (test(hi) == 0)
                mid = hi;
            else
                return false;
        } else {
            const int m = static_cast<int>(
                std::nearbyintl((static_cast<long double>(lo) + static_cast<long double>(hi)) / 2));
            const int r = test(m);
            if (r == 0)
                mid = m;
            else if (r > 0)
                hi = m;
            else
                lo = m;
        }
    }
    int first = mid;
    for (int i = lo; i <= mid; ++i)
        if (test(i) == 0) {
            first = i;
            break;
        }
    int last = mid;
    for (int i = hi; i >= mid; --i)
        if (test(i) == 0) {
            last = i;
            break;
        }
    lo = first;
    hi = last;
    return true;
}

} // namespace vorelt
