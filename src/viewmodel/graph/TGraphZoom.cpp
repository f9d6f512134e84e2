#include "viewmodel/graph/TGraphZoom.h"

#include "persist/TNumberFormat.h"
#include "processing/graph/IGraphAxis.h"

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
