// A graph over 10 million hits of a generated PCI file, as the project window drives it: Run
// fills it through the database processor and a filter, a zoom moves the drawn points and the
// container paints them again.

#include "TAlternate.h"
#include "TAnonPeak.h"
#include "TTenMillionHits.h"
#include "model/TAEFieldIDs.h"
#include "persist/TNumberFormat.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "processing/graph/TGVCPUGr.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace vorelt;

namespace {

bool Missed = false; // a speed target was missed: the program exits with 1

// The project with one filter and a graph below it, at full-HD size. The filter holds no
// condition, or (`judged`) one that every hit passes but that makes it read each hit.
struct TGraphSetup {
    TProjectAE Project;
    TGVCPUGr* Graph = nullptr;
    TGraphVC* View = nullptr;
    QWidget Page;

    explicit TGraphSetup(uint8_t type, bool judged = false, const char* leftField = fidAmpl,
                         const char* bottomField = nullptr, bool logarithmic = false) {
        std::string error;
        if (!Project.OpenDataFile(TenMillionHitsFile(), error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        auto* filter = Project.Db().AddNew<TGVCPUFltr>();
        if (judged)
            filter->Condition().Add(
                std::make_unique<TLCCondition>(fidChan, coGreaterOrEquals, "0"));
        Graph = filter->AddNew<TGVCPUGr>();
        View = dynamic_cast<TGraphVC*>(Graph->GetView());
        Page.resize(1920, 1080);
        View->SetParentWindow(&Page);
        View->SetTop(0);
        View->SetLeft(0);
        View->SetWidth(1920);
        View->SetHeight(1080);
        View->SetVisible(true);
        for (TGrAixs* a : {&View->LeftAxis(), &View->BottomAxis()}) {
            a->SetAutoMin(true);
            a->SetAutoMax(true);
        }
        View->LeftAxis().SetFieldId(leftField);
        View->BottomAxis().SetFieldId(bottomField           ? bottomField
                                      : type == stHistigram ? fidAmpl
                                                            : fidTimeS);
        for (TGrAixs* a : {&View->LeftAxis(), &View->BottomAxis()})
            a->SetTypeScale(logarithmic ? tsLogarithmic : tsLinear);
        View->AddSeries(type);
        Page.show();
        QApplication::processEvents();
    }
    ~TGraphSetup() { View->Detach(); }
};

void Fill(benchmark::State& state, uint8_t type, bool judged = false) {
    TGraphSetup s(type, judged);
    for (auto _ : state) {
        state.PauseTiming();
        s.View->SetActive(false);
        state.ResumeTiming();
        s.View->SetActive(true);
        s.View->Container()->RenderNow();
    }
    if (!s.View->Active()) state.SkipWithError(s.View->FillError().c_str());
    const double records = static_cast<double>(s.View->RecordsRead());
    state.counters["records"] = records;
    state.counters["records_per_s"] = benchmark::Counter(
        records * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (auto* p =
            dynamic_cast<TGraphPointAEVObject*>(s.View->SeriesObject(*s.View->Series().Get(0))))
        state.counters["bytes_per_hit"] = static_cast<double>(p->BytesAllocated()) / records;
}

void BM_GraphFillPointPlot(benchmark::State& state) {
    Fill(state, stPointPlot);
}
BENCHMARK(BM_GraphFillPointPlot)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_GraphFillPointPlotJudged(benchmark::State& state) {
    Fill(state, stPointPlot, true);
}
BENCHMARK(BM_GraphFillPointPlotJudged)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_GraphFillHistogram(benchmark::State& state) {
    Fill(state, stHistigram);
}
BENCHMARK(BM_GraphFillHistogram)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The demo's counts against amplitude on logarithmic axes beside the same graph on linear ones,
// filled in turns: logarithmic axes may take at most 1.2 times as long.
void BM_GraphFillLogLogVsLinear(benchmark::State& state) {
    TGraphSetup logLog(stPointPlot, false, fidCount, fidAmpl, true);
    TGraphSetup linear(stPointPlot, false, fidCount, fidAmpl, false);
    auto fill = [](TGraphSetup& s) {
        s.View->SetActive(true);
        s.View->Container()->RenderNow();
    };
    bench::Alternate(
        state, [&] { fill(logLog); }, [&] { fill(linear); },
        [&] {
            logLog.View->SetActive(false);
            linear.View->SetActive(false);
        });
    const double ratio = state.counters["ratio"];
    std::fprintf(stderr, "log-log fill %.0f ms, linear %.0f ms, ratio %.2f\n",
                 static_cast<double>(state.counters["ours_ms"]),
                 static_cast<double>(state.counters["theirs_ms"]), ratio);
    if (ratio > 1.2) {
        Missed = true;
        state.SkipWithError(
            ("logarithmic axes take " + std::to_string(ratio) + " times the linear fill").c_str());
    }
}
BENCHMARK(BM_GraphFillLogLogVsLinear)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// A horizontal zoom to the middle half and back, each followed by the paint of the plot. The
// counters split one turn into the zoom, its paint, the zoom back and its paint.
void BM_GraphRedrawAfterZoom(benchmark::State& state) {
    TGraphSetup s(stPointPlot);
    s.View->SetActive(true);
    s.View->SetFocusedView(true);
    TCanvasContainer* c = s.View->Container();
    const int w = c->Mapping()->Width(), h = c->Mapping()->Height();
    double zoom = 0, render1 = 0, unzoom = 0, render2 = 0;
    auto now = [] { return std::chrono::steady_clock::now(); };
    auto ms = [](auto a, auto b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    for (auto _ : state) {
        auto t0 = now();
        s.View->SelectRect(TRectInt{w / 4, 2, w * 3 / 4, h - 3});
        s.View->ZoomView(zmHorizontal);
        auto t1 = now();
        c->RenderNow();
        auto t2 = now();
        s.View->UnzoomView(false);
        auto t3 = now();
        c->RenderNow();
        auto t4 = now();
        zoom += ms(t0, t1);
        render1 += ms(t1, t2);
        unzoom += ms(t2, t3);
        render2 += ms(t3, t4);
    }
    const double it = static_cast<double>(state.iterations());
    state.counters["zoom_ms"] = zoom / it;
    state.counters["zoom_paint_ms"] = render1 / it;
    state.counters["unzoom_ms"] = unzoom / it;
    state.counters["unzoom_paint_ms"] = render2 / it;
    state.counters["points"] = static_cast<double>(s.View->RecordsRead());
}
BENCHMARK(BM_GraphRedrawAfterZoom)->Unit(benchmark::kMillisecond)->Iterations(5);

// The memory a fill holds beyond the mapped file at its peak, per hit read, for the demo's
// "Hits per Channel" histogram (one bin per channel) and for a point plot. A histogram needs
// no memory per hit: the program exits with 1 when it takes more than a byte per hit, which
// at ten million hits is far above any number of bins.
void MemoryPerHit(benchmark::State& state, uint8_t type) {
    const bool histogram = type == stHistigram;
    TGraphSetup s(type, false, fidAmpl, histogram ? fidChan : fidTimeS);
    if (histogram) {
        TSeriesGr& series = *s.View->Series().Get(0);
        series.SetBinNum(14);
        series.SetCenterBin(true);
    }
    // The plot's picture is drawn once before: it is the same for any number of hits.
    s.View->Container()->RenderNow();
    double perHit = 0;
    for (auto _ : state) {
        s.View->SetActive(false);
        bench::TAnonPeak peak;
        s.View->SetActive(true);
        s.View->Container()->RenderNow();
        peak.Stop();
        const auto records = static_cast<double>(s.View->RecordsRead());
        perHit = records > 0 ? static_cast<double>(peak.Growth()) / records : 0;
        state.counters["records"] = records;
        state.counters["peak_mib"] = static_cast<double>(peak.Growth()) / (1 << 20);
    }
    if (!s.View->Active()) state.SkipWithError(s.View->FillError().c_str());
    state.counters["peak_bytes_per_hit"] = perHit;
    std::fprintf(stderr, "%s: %.1f bytes per hit beyond the file at the peak\n",
                 histogram ? "histogram" : "point plot", perHit);
    if (histogram && perHit > 1) {
        Missed = true;
        state.SkipWithError("the histogram's memory grows with the hits");
    }
}

void BM_GraphMemoryHistogram(benchmark::State& state) {
    MemoryPerHit(state, stHistigram);
}
BENCHMARK(BM_GraphMemoryHistogram)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_GraphMemoryPointPlot(benchmark::State& state) {
    MemoryPerHit(state, stPointPlot);
}
BENCHMARK(BM_GraphMemoryPointPlot)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MaskFloatExceptions();
    RegisterCoreClasses();
    RegisterView2dClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return Missed ? 1 : 0;
}
