#include "viewmodel/graph/TNearestPoint.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vorelt {

namespace {

class TNearestSearch {
public:
    TNearestSearch(const TAEVPointList& points, const std::vector<int32_t>& sorted,
                   const TPointProbe& probe)
        : FXs(points.XData()), FYs(points.YData()), FFlags(points.FlagsData()), FSorted(sorted),
          FProbe(probe) {}

    TPointFound Run() {
        const size_t n = FSorted.size();
        if (n == 0 || !(FProbe.ReachX > 0) || !(FProbe.ReachY > 0)) return FFound;
        // The first index at or right of the place; the walk goes outwards from there, to
        // whichever side is nearer in X.
        size_t lo = 0, hi = n;
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (X(mid) < FProbe.X)
                lo = mid + 1;
            else
                hi = mid;
        }
        size_t right = lo, left = lo;
        constexpr long double none = std::numeric_limits<long double>::infinity();
        while (FFound.Visited < FProbe.Budget) {
            const long double toRight = right < n ? (X(right) - FProbe.X) / FProbe.ReachX : none;
            const long double toLeft = left > 0 ? (FProbe.X - X(left - 1)) / FProbe.ReachX : none;
            const bool goRight = right < n && !(toRight * toRight > FBest);
            const bool goLeft = left > 0 && !(toLeft * toLeft > FBest);
            if (!goRight && !goLeft) break;
            ++FFound.Visited;
            if (goRight && (!goLeft || !(toLeft < toRight))) {
                const size_t end = RunEnd(right, n);
                VisitRun(right, end);
                right = end;
            } else {
                const size_t start = RunStart(left - 1);
                VisitRun(start, left);
                left = start;
            }
        }
        return FFound;
    }

private:
    double X(size_t k) const { return FXs[static_cast<size_t>(FSorted[k])]; }
    double Y(size_t k) const { return FYs[static_cast<size_t>(FSorted[k])]; }

    // The end of the run of equal X that starts at `k`, found by doubling steps so that a
    // long run costs its logarithm.
    size_t RunEnd(size_t k, size_t n) const {
        const double x = X(k);
        size_t inside = k, step = 1;
        while (inside + step < n && X(inside + step) == x) {
            inside += step;
            step *= 2;
        }
        size_t lo = inside + 1, hi = std::min(inside + step, n);
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (X(mid) == x)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    // The start of the run of equal X that ends at `k` (inclusive).
    size_t RunStart(size_t k) const {
        const double x = X(k);
        size_t inside = k, step = 1;
        while (inside >= step && X(inside - step) == x) {
            inside -= step;
            step *= 2;
        }
        size_t lo = inside >= step ? inside - step + 1 : 0, hi = inside;
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (X(mid) == x)
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    }

    // The points of one run of equal X, which are sorted by Y: from the place's Y both ways,
    // each way until the points lie farther than the nearest found.
    void VisitRun(size_t from, size_t to) {
        const long double dx = (X(from) - FProbe.X) / FProbe.ReachX;
        const long double dx2 = dx * dx;
        if (dx2 > FBest) return;
        size_t lo = from, hi = to;
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (Y(mid) < FProbe.Y)
                lo = mid + 1;
            else
                hi = mid;
        }
        for (size_t k = lo; k < to && FFound.Visited < FProbe.Budget; ++k)
            if (!Consider(k, dx2)) break;
        for (size_t k = lo; k-- > from && FFound.Visited < FProbe.Budget;)
            if (!Consider(k, dx2)) break;
    }

    // False once the point lies farther than the nearest found: so do the rest of its way.
    bool Consider(size_t k, long double dx2) {
        ++FFound.Visited;
        const long double dy = (Y(k) - FProbe.Y) / FProbe.ReachY;
        const long double d2 = dx2 + dy * dy;
        if (d2 > FBest) return false;
        const int32_t index = FSorted[k];
        const auto i = static_cast<size_t>(index);
        if (FFlags[i] & (pfDeleted | pfChannelHidden)) return true;
        if (FProbe.Width > 0 && !(FXs[i] >= 0 && FXs[i] <= FProbe.Width)) return true;
        if (FProbe.Height > 0 && !(FYs[i] >= 0 && FYs[i] <= FProbe.Height)) return true;
        if (FFound.Index < 0 || d2 < FBest || (d2 == FBest && index < FFound.Index)) {
            FFound.Index = index;
            FBest = d2;
        }
        return true;
    }

    const double* FXs;
    const double* FYs;
    const uint8_t* FFlags;
    const std::vector<int32_t>& FSorted;
    const TPointProbe& FProbe;
    // The squared distance of the nearest point found, as a fraction of the reach.
    long double FBest = 1;
    TPointFound FFound;
};

} // namespace

TPointFound NearestPoint(const TAEVPointList& points, const std::vector<int32_t>& sorted,
                         const TPointProbe& probe) {
    TPointFound found = TNearestSearch(points, sorted, probe).Run();
    if (found.Index >= 0) {
        const long double dx = (points.X(found.Index) - probe.X) / probe.ReachX;
        const long double dy = (points.Y(found.Index) - probe.Y) / probe.ReachY;
        found.Distance = std::sqrt(dx * dx + dy * dy);
    }
    return found;
}

} // namespace vorelt
