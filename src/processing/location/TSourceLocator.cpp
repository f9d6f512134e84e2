#include "processing/location/TSourceLocator.h"

// Eigen 3 (MPL-2.0) gives the fixed-size 2x2 algebra of the least-squares steps; fixed-size
// matrices live on the stack, so a solve allocates nothing.
#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vorelt {

namespace {

struct TUsed {
    const TSensor* S;
    double T;
};

// The first hit of each channel with a sensor, in order of arrival; stable for equal times.
int Collect(const TSensorLayout& layout, std::span<const TArrival> hits,
            TUsed (&used)[MaxLocatedSensors]) {
    int n = 0;
    for (const TArrival& h : hits) {
        if (!std::isfinite(h.TimeUs)) continue;
        const TSensor* s = layout.Find(h.Chan);
        if (!s) continue;
        bool seen = false;
        for (int k = 0; k < n && !seen; ++k)
            seen = used[k].S == s;
        if (seen || n == MaxLocatedSensors) continue;
        int at = n++;
        while (at > 0 && used[at - 1].T > h.TimeUs) {
            used[at] = used[at - 1];
            --at;
        }
        used[at] = TUsed{s, h.TimeUs};
    }
    return n;
}

using Vec2 = Eigen::Vector2d;
using Mat2 = Eigen::Matrix2d;

// The planar problem of one event: sensor places and path differences v (t_i - t_1).
struct TPlanarProblem {
    int N = 0;
    Vec2 S[MaxLocatedSensors];
    double Path[MaxLocatedSensors]; // Path[0] = 0

    double Cost(const Vec2& p) const {
        const double d1 = (p - S[0]).norm();
        double sum = 0;
        for (int i = 1; i < N; ++i) {
            const double r = (p - S[i]).norm() - d1 - Path[i];
            sum += r * r;
        }
        return sum;
    }

    // The sum of squares, with the normal equations JᵀJ and Jᵀr of the closed-form Jacobian.
    double Normal(const Vec2& p, Mat2& jtj, Vec2& jtr) const {
        const Vec2 e1 = p - S[0];
        const double d1 = std::max(e1.norm(), 1e-12);
        const Vec2 u1 = e1 / d1;
        jtj.setZero();
        jtr.setZero();
        double sum = 0;
        for (int i = 1; i < N; ++i) {
            const Vec2 ei = p - S[i];
            const double di = std::max(ei.norm(), 1e-12);
            const Vec2 j = ei / di - u1;
            const double r = di - d1 - Path[i];
            jtj.noalias() += j * j.transpose();
            jtr.noalias() += j * r;
            sum += r * r;
        }
        return sum;
    }

    // Levenberg-Marquardt from `p`: a step is taken only when it lowers the sum of squares,
    // and the damping grows until one does or the step is too small to matter.
    double Solve(Vec2& p) const {
        Mat2 jtj;
        Vec2 jtr;
        double cost = Normal(p, jtj, jtr);
        double lambda = 1e-3;
        for (int iter = 0; iter < 60; ++iter) {
            bool moved = false;
            Vec2 step = Vec2::Zero();
            while (lambda < 1e12) {
                Mat2 m = jtj;
                m(0, 0) += lambda * (jtj(0, 0) + 1e-9);
                m(1, 1) += lambda * (jtj(1, 1) + 1e-9);
                const double det = m.determinant();
                if (!(std::abs(det) > 0)) {
                    lambda *= 10;
                    continue;
                }
                step = -(m.inverse() * jtr);
                const Vec2 next = p + step;
                const double c = Cost(next);
                if (c < cost) {
                    p = next;
                    const double gain = cost - c;
                    cost = c;
                    lambda = std::max(lambda * 0.1, 1e-12);
                    moved = true;
                    if (gain <= 1e-14 * (cost + 1e-300) + 1e-24) return cost;
                    break;
                }
                lambda *= 10;
            }
            if (!moved || step.norm() < 1e-9 * (1 + p.norm())) return cost;
            cost = Normal(p, jtj, jtr);
        }
        return cost;
    }
};

// Results worse than this (mm) are tried again from every sensor, in case the start from the
// centroid ran into a local minimum; sound events of a calibrated layout stay below it and
// need one solve only.
constexpr double RestartAbove = 0.5;

} // namespace

TSourceResult LocatePlanar(const TSensorLayout& layout, std::span<const TArrival> hits) {
    TUsed used[MaxLocatedSensors];
    const int n = Collect(layout, hits, used);
    TSourceResult result;
    result.SensorsUsed = n;
    if (n < 3) return result;
    const double v = layout.VelocityMmPerUs();
    TPlanarProblem problem;
    problem.N = n;
    Vec2 centroid = Vec2::Zero();
    for (int i = 0; i < n; ++i) {
        problem.S[i] = Vec2(used[i].S->X, used[i].S->Y);
        problem.Path[i] = v * (used[i].T - used[0].T);
        centroid += problem.S[i];
    }
    centroid /= n;
    Vec2 best = centroid;
    double bestCost = problem.Solve(best);
    const double scale = 1.0 / (n - 1);
    if (!(std::sqrt(bestCost * scale) <= RestartAbove)) {
        for (int k = 0; k < n; ++k) {
            // A start right on a sensor has no gradient there: start a little inside.
            Vec2 p = problem.S[k] + 0.05 * (centroid - problem.S[k]);
            const double c = problem.Solve(p);
            if (c < bestCost) {
                bestCost = c;
                best = p;
            }
        }
    }
    if (!std::isfinite(best.x()) || !std::isfinite(best.y()) || !std::isfinite(bestCost))
        return result;
    result.Located = true;
    result.X = best.x();
    result.Y = best.y();
    result.Uncertainty = std::sqrt(bestCost * scale);
    return result;
}

TSourceResult LocateLinear(const TSensorLayout& layout, std::span<const TArrival> hits) {
    TUsed used[MaxLocatedSensors];
    const int n = Collect(layout, hits, used);
    TSourceResult result;
    result.SensorsUsed = std::min(n, 1);
    if (n < 2) return result;
    const TSensor& a = *used[0].S;
    // On pipework the partner is the next sensor hit on the same pipe run.
    int partner = 1;
    if (!a.Pipe.empty()) {
        partner = -1;
        for (int k = 1; k < n && partner < 0; ++k)
            if (used[k].S->Pipe == a.Pipe) partner = k;
        if (partner < 0) return result;
    }
    const TSensor& b = *used[partner].S;
    const bool onPipe = !a.Pipe.empty();
    const double d =
        onPipe ? std::abs(b.Along - a.Along) : std::hypot(b.X - a.X, b.Y - a.Y, b.Z - a.Z);
    const double v = layout.VelocityMmPerUs();
    const double x = (d - v * (used[partner].T - used[0].T)) / 2;
    result.SensorsUsed = 2;
    if (onPipe) result.Pipe = a.Pipe;
    // Outside the stretch between the two sensors: no source on this structure fits.
    if (!(d > 0) || !(x >= 0) || !(x <= d)) return result;
    result.Located = true;
    const double f = x / d;
    result.X = a.X + f * (b.X - a.X);
    result.Y = a.Y + f * (b.Y - a.Y);
    // Off the pipes the sensors are taken to lie on one straight run that starts at the
    // layout's first sensor.
    const TSensor& origin = layout.Sensors().front();
    result.Position = onPipe ? a.Along + (b.Along > a.Along ? x : -x)
                             : std::hypot(result.X - origin.X, result.Y - origin.Y,
                                          a.Z + f * (b.Z - a.Z) - origin.Z);
    // Other sensors of the same run tell how well the times fit that place.
    double sum = 0;
    int others = 1;
    for (int k = 1; k < n; ++k) {
        const TSensor& s = *used[k].S;
        if (k == partner || (onPipe && s.Pipe != a.Pipe)) continue;
        const double along =
            onPipe ? s.Along - a.Along : std::hypot(s.X - a.X, s.Y - a.Y, s.Z - a.Z);
        const double source = onPipe ? result.Position - a.Along : x;
        const double r = std::abs(source - along) - std::abs(source) - v * (used[k].T - used[0].T);
        sum += r * r;
        ++others;
        ++result.SensorsUsed;
    }
    result.Uncertainty = std::sqrt(sum / others);
    return result;
}

TSourceResult LocateEvent(const TSensorLayout& layout, std::span<const TArrival> hits) {
    return layout.Method() == TLocMethod::Linear ? LocateLinear(layout, hits)
                                                 : LocatePlanar(layout, hits);
}

void CountInCircle(std::span<const double> x, std::span<const double> y,
                   std::span<const int32_t> group, std::span<const uint8_t> located,
                   double diameter, std::span<int32_t> counts) {
    const size_t n = counts.size();
    std::fill(counts.begin(), counts.end(), 0);
    if (!(diameter > 0) || !std::isfinite(diameter)) return;
    const double radius = diameter / 2;
    const double r2 = radius * radius * (1 + 1e-12);
    auto cellOf = [&](double c) {
        const double q = std::floor(c / radius);
        // Far-away or broken coordinates share the edge cells; the distance test sorts them.
        return static_cast<int64_t>(std::clamp(q, -1e15, 1e15));
    };
    auto hash = [](int64_t cx, int64_t cy, int32_t g) {
        uint64_t h = static_cast<uint64_t>(cx) * 0x9E3779B97F4A7C15ULL;
        h ^= static_cast<uint64_t>(cy) * 0xC2B2AE3D27D4EB4FULL + (h << 6) + (h >> 2);
        h ^= static_cast<uint64_t>(static_cast<uint32_t>(g)) * 0x165667B19E3779F9ULL;
        return h ^ (h >> 29);
    };
    size_t size = 16;
    while (size < 2 * n)
        size <<= 1;
    const uint64_t mask = size - 1;
    // The sources are copied into bucket order, so that a bucket is read front to back: with
    // a million sources the scattered reads cost far more than the comparisons.
    struct TCellPoint {
        double X, Y;
        int64_t Cx, Cy;
        int32_t Group;
        uint32_t Index;
    };
    std::vector<uint64_t> bucketOf(n);
    std::vector<uint32_t> start(size + 1, 0);
    for (size_t i = 0; i < n; ++i) {
        if (!located[i]) continue;
        bucketOf[i] = hash(cellOf(x[i]), cellOf(y[i]), group[i]) & mask;
        ++start[bucketOf[i] + 1];
    }
    for (size_t b = 0; b < size; ++b)
        start[b + 1] += start[b];
    std::vector<TCellPoint> points(start[size]);
    {
        std::vector<uint32_t> fill(start.begin(), start.end() - 1);
        for (size_t i = 0; i < n; ++i)
            if (located[i])
                points[fill[bucketOf[i]]++] = TCellPoint{
                    x[i], y[i], cellOf(x[i]), cellOf(y[i]), group[i], static_cast<uint32_t>(i)};
    }
    // Sources of one cell ask about the same nine cells: asked in bucket order, those cells
    // are still in the cache.
    for (const TCellPoint& q : points) {
        int32_t count = 0;
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const int64_t qx = q.Cx + dx, qy = q.Cy + dy;
                const uint64_t b = hash(qx, qy, q.Group) & mask;
                for (uint32_t k = start[b]; k < start[b + 1]; ++k) {
                    const TCellPoint& p = points[k];
                    if (p.Cx != qx || p.Cy != qy || p.Group != q.Group) continue;
                    const double ex = p.X - q.X, ey = p.Y - q.Y;
                    count += ex * ex + ey * ey <= r2 ? 1 : 0;
                }
            }
        counts[q.Index] = count;
    }
}

} // namespace vorelt
