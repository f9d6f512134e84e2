// Source location of one million events of 4 to 8 hits each, from their arrival times: the
// planar solve (with and without arrival-time noise) and the linear one, in events per second
// ("items_per_second"), and the count of sources within an inch over the planar results.

#include "processing/location/TSensorLayout.h"
#include "processing/location/TSourceLocator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

using namespace vorelt;

namespace {

constexpr size_t EventCount = 1000000;

struct TEvents {
    TSensorLayout Layout;
    std::vector<TArrival> Hits;
    std::vector<uint32_t> Start; // EventCount + 1 offsets into Hits
};

// Eight sensors round a 1000 mm plate; each event is heard by 4 to 8 of them, the nearest
// first, as on a plate where the wave fades with distance.
const TEvents& Events(TLocMethod method, double noiseUs) {
    static std::vector<std::pair<std::pair<int, double>, std::unique_ptr<TEvents>>> cache;
    for (auto& [key, events] : cache)
        if (key.first == static_cast<int>(method) && key.second == noiseUs) return *events;
    auto events = std::make_unique<TEvents>();
    TEvents& e = *events;
    std::string error;
    const bool planar = method == TLocMethod::Planar;
    const double place[8][2] = {{0, 0},       {500, 0},    {1000, 0}, {1000, 500},
                                {1000, 1000}, {500, 1000}, {0, 1000}, {0, 500}};
    for (int c = 1; c <= 8; ++c)
        e.Layout.Add(planar ? SensorAt(c, place[c - 1][0], place[c - 1][1])
                            : SensorAt(c, 1000.0 * (c - 1), 0),
                     error);
    e.Layout.SetMethod(method);
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> across(0, planar ? 1000 : 7000);
    std::uniform_int_distribution<int> heard(4, 8);
    std::normal_distribution<double> noise(0, noiseUs > 0 ? noiseUs : 1);
    const double v = e.Layout.VelocityMmPerUs();
    e.Hits.reserve(EventCount * 6);
    e.Start.reserve(EventCount + 1);
    std::vector<TArrival> all;
    for (size_t n = 0; n < EventCount; ++n) {
        const double x = across(rng), y = planar ? across(rng) : 0;
        all.clear();
        for (const TSensor& s : e.Layout.Sensors()) {
            double t = 1000 + std::hypot(s.X - x, s.Y - y) / v;
            if (noiseUs > 0) t += noise(rng);
            all.push_back({s.Chan, t});
        }
        std::sort(all.begin(), all.end(),
                  [](const TArrival& a, const TArrival& b) { return a.TimeUs < b.TimeUs; });
        e.Start.push_back(static_cast<uint32_t>(e.Hits.size()));
        all.resize(static_cast<size_t>(heard(rng)));
        e.Hits.insert(e.Hits.end(), all.begin(), all.end());
    }
    e.Start.push_back(static_cast<uint32_t>(e.Hits.size()));
    cache.emplace_back(std::make_pair(static_cast<int>(method), noiseUs), std::move(events));
    return *cache.back().second;
}

void Locate(benchmark::State& state, TLocMethod method, double noiseUs) {
    const TEvents& e = Events(method, noiseUs);
    size_t located = 0;
    double sum = 0;
    for (auto _ : state) {
        located = 0;
        for (size_t n = 0; n < EventCount; ++n) {
            const std::span<const TArrival> hits(e.Hits.data() + e.Start[n],
                                                 e.Start[n + 1] - e.Start[n]);
            const TSourceResult r = LocateEvent(e.Layout, hits);
            located += r.Located ? 1 : 0;
            sum += r.X + r.Position;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * EventCount));
    state.counters["located"] = static_cast<double>(located);
}

void BM_LocatePlanar(benchmark::State& state) {
    Locate(state, TLocMethod::Planar, 0);
}
void BM_LocatePlanarNoisy(benchmark::State& state) {
    // 0.05 µs of noise: 0.25 mm of path at 5000 m/s, a realistic picked arrival.
    Locate(state, TLocMethod::Planar, 0.05);
}
void BM_LocateLinear(benchmark::State& state) {
    Locate(state, TLocMethod::Linear, 0.05);
}

void BM_CountInCircle(benchmark::State& state) {
    const TEvents& e = Events(TLocMethod::Planar, 0.05);
    std::vector<double> x(EventCount), y(EventCount);
    std::vector<int32_t> group(EventCount, 0), counts(EventCount);
    std::vector<uint8_t> located(EventCount);
    for (size_t n = 0; n < EventCount; ++n) {
        const TSourceResult r =
            LocateEvent(e.Layout, std::span<const TArrival>(e.Hits.data() + e.Start[n],
                                                            e.Start[n + 1] - e.Start[n]));
        // Spread over a 10 m square, about five sources within an inch of each: a dense test
        // record rather than a million sources on one plate.
        x[n] = 10 * r.X;
        y[n] = 10 * r.Y;
        located[n] = r.Located;
    }
    size_t clustered = 0;
    for (auto _ : state) {
        CountInCircle(x, y, group, located, DefaultClusterDiameter, counts);
        benchmark::DoNotOptimize(counts.data());
    }
    for (int32_t c : counts)
        clustered += c >= 3 ? 1 : 0;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * EventCount));
    state.counters["three_or_more"] = static_cast<double>(clustered);
}

} // namespace

BENCHMARK(BM_LocatePlanar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocatePlanarNoisy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountInCircle)->Unit(benchmark::kMillisecond);
