// A point series of ten million hits with random channels spread over a 1920 x 1080 back
// buffer. The draw (one point per pixel, selected points on top, marks last) is measured in
// turns with a plain loop that converts the same points and writes one pixel each straight
// into the image; the zoom rewrites every point without the records; the search for the point
// under the mouse runs on every mouse move, over scattered points and over points that share
// their X (a channel axis).

#include "TAlternate.h"
#include "view2d/TCanvasDraw.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/graph/TNearestPoint.h"
#include "viewmodel/graph/TSeriesMapping.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <thread>

using namespace vorelt;

namespace {

constexpr int32_t Width = 1920;
constexpr int32_t Height = 1080;
constexpr size_t PointCount = 10'000'000;

struct TScene {
    std::shared_ptr<TCoordMapping> Mapping = std::make_shared<TCoordMapping>(Width, Height, 96);
    QImage Image{Width, Height, QImage::Format_RGB32};
    TCanvasDraw Draw{Mapping, &Image};
    TGraphPointAEVObject Series;

    // selectedPerMille and markedPerTenThousand of the points carry those flags.
    TScene(int selectedPerMille, int markedPerTenThousand) {
        Series.Attach(nullptr, &Draw);
        Series.Reserve(PointCount);
        std::mt19937_64 gen(20240611);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::uniform_int_distribution<int> channel(1, 8);
        std::uniform_int_distribution<int> perTenThousand(0, 9999);
        for (size_t i = 0; i < PointCount; ++i) {
            uint8_t flags = 0;
            const int r = perTenThousand(gen);
            if (r < selectedPerMille * 10) flags |= pfSelected;
            if (r >= 5000 && r < 5000 + markedPerTenThousand) flags |= pfMarked;
            Series.AddValueEx(static_cast<int32_t>(i), flags, static_cast<uint8_t>(channel(gen)),
                              unit(gen), unit(gen));
        }
        for (int ch = 1; ch <= 8; ++ch)
            Series.ChannelColors().SetChannelColour(ch, PaletteColor(ch));
        Series.ApplyToPoints();
        Image.fill(Qt::white);
    }

    // What drawing cannot do with less: convert each point and write its pixel.
    void PlainLoop() {
        const TSeriesMapping map(Mapping.get(), sfBoth);
        auto* bits = reinterpret_cast<uint32_t*>(Image.bits());
        const ptrdiff_t stride = Image.bytesPerLine() / 4;
        const double* xs = Series.Points().XData();
        const double* ys = Series.Points().YData();
        const uint32_t colour = 0xFF0000FFu;
        for (size_t i = 0; i < PointCount; ++i) {
            int32_t x = 0;
            int32_t y = 0;
            if (map.MapInside(xs[i], ys[i], Width, Height, x, y)) bits[y * stride + x] = colour;
        }
        benchmark::DoNotOptimize(bits[0]);
    }
};

void Report(benchmark::State& state, const TScene& scene) {
    state.counters["ratio_to_plain"] = state.counters["ratio"];
    state.counters["bytes_per_point"] =
        static_cast<double>(scene.Series.BytesAllocated()) / static_cast<double>(PointCount);
    state.counters["nproc"] = static_cast<double>(std::thread::hardware_concurrency());
}

void BM_PointSeriesDraw(benchmark::State& state) {
    static TScene scene(0, 0);
    vorelt::bench::Alternate(
        state, [] { scene.Series.Draw(); }, [] { scene.PlainLoop(); },
        [] { scene.Image.fill(Qt::white); });
    Report(state, scene);
}
BENCHMARK(BM_PointSeriesDraw)->Unit(benchmark::kMillisecond)->Iterations(15);

// 1 % of the points selected and 0.1 % marked.
void BM_PointSeriesDrawSelectedMarked(benchmark::State& state) {
    static TScene scene(1, 10);
    vorelt::bench::Alternate(
        state, [] { scene.Series.Draw(); }, [] { scene.PlainLoop(); },
        [] { scene.Image.fill(Qt::white); });
    Report(state, scene);
}
BENCHMARK(BM_PointSeriesDrawSelectedMarked)->Unit(benchmark::kMillisecond)->Iterations(15);

// A zoom in and back out of every point, in one pass each.
void BM_TransformPoints(benchmark::State& state) {
    static TScene scene(0, 0);
    bool in = true;
    for (auto _ : state) {
        if (in)
            scene.Series.TransformPoints(0.75L, 2, 0.25L, 2);
        else
            scene.Series.TransformPoints(1.5L, 0.5L, -0.5L, 0.5L);
        in = !in;
        benchmark::DoNotOptimize(scene.Series.Points().XData()[PointCount / 2]);
    }
    state.counters["points"] = static_cast<double>(PointCount);
}
BENCHMARK(BM_TransformPoints)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same zoom through TransformPoint, one call per point.
void BM_TransformPointEach(benchmark::State& state) {
    static TScene scene(0, 0);
    bool in = true;
    for (auto _ : state) {
        const int n = scene.Series.GetPointCount();
        for (int i = 0; i < n; ++i) {
            if (in)
                scene.Series.TransformPoint(i, 0.75L, 2, 0.25L, 2);
            else
                scene.Series.TransformPoint(i, 1.5L, 0.5L, -0.5L, 0.5L);
        }
        in = !in;
        benchmark::DoNotOptimize(scene.Series.Points().XData()[PointCount / 2]);
    }
}
BENCHMARK(BM_TransformPointEach)->Unit(benchmark::kMillisecond)->Iterations(6);

// The point under the mouse, for one mouse position after another: 4 pixels and the point's
// half size of reach, as the graph asks.
void NearestPoints(benchmark::State& state, const TGraphPointAEVObject& series) {
    std::mt19937_64 gen(31);
    std::uniform_real_distribution<double> x(0, LogicalWidthUnits), y(0, LogicalHeightUnits);
    TPointProbe probe;
    probe.ReachX = 5.0L * LogicalWidthUnits / Width;
    probe.ReachY = 5.0L * LogicalHeightUnits / Height;
    probe.Width = LogicalWidthUnits;
    probe.Height = LogicalHeightUnits;
    size_t visited = 0, found = 0, probes = 0;
    for (auto _ : state) {
        probe.X = x(gen);
        probe.Y = y(gen);
        const TPointFound f = NearestPoint(series.Points(), series.SortedIndex(), probe);
        visited += f.Visited;
        found += f.Index >= 0;
        ++probes;
    }
    state.counters["visited_per_move"] = static_cast<double>(visited) / static_cast<double>(probes);
    state.counters["found_share"] = static_cast<double>(found) / static_cast<double>(probes);
}

void BM_NearestPointScattered(benchmark::State& state) {
    static TScene scene(0, 0);
    static const bool sorted = (scene.Series.SortIndex(), true);
    benchmark::DoNotOptimize(sorted);
    NearestPoints(state, scene.Series);
}
BENCHMARK(BM_NearestPointScattered)->Unit(benchmark::kMicrosecond)->Iterations(20000);

// Ten million points on twelve X values: runs of almost a million points each.
void BM_NearestPointOnChannels(benchmark::State& state) {
    static const std::unique_ptr<TGraphPointAEVObject> series = [] {
        auto s = std::make_unique<TGraphPointAEVObject>();
        s->Reserve(PointCount);
        std::mt19937_64 gen(20240611);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::uniform_int_distribution<int> channel(1, 12);
        for (size_t i = 0; i < PointCount; ++i) {
            const int ch = channel(gen);
            s->AddValueEx(static_cast<int32_t>(i), 0, static_cast<uint8_t>(ch), unit(gen),
                          ch / 13.0);
        }
        s->SortIndex();
        return s;
    }();
    NearestPoints(state, *series);
}
BENCHMARK(BM_NearestPointOnChannels)->Unit(benchmark::kMicrosecond)->Iterations(20000);

} // namespace

int main(int argc, char** argv) {
    // Images and painters only; no window is ever shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
