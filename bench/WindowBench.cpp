// The whole project window over a generated PCI file of 1 or 10 million hits, as the user
// feels it: Run (or a zoom, or a page switch) until every view of the page has painted what it
// filled. The same views through `vorelt-export` (one process per view, graphs as PNG, tables
// as CSV) are timed in the same run; `ratio_to_export` is the window's time over theirs. For the
// pages, the engine alone (each view filled in this process without the window's Run) gives
// `ratio_to_engine`.
//
// The demo's "Pipe Run" page holds a 3D graph, which needs OpenGL and a real X server: it is not
// measured here (the benchmark runs on the offscreen platform).

#include "TScriptedDialogs.h"
#include "TTenMillionHits.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "persist/IIDGenerator.h"
#include "persist/TNumberFormat.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "processing/graph/RegisterGraphClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TGraphViewNode.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view2d/TTableGrid.h"
#include "view2d/TTableVC.h"
#include "view3d/RegisterView3dClasses.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace vorelt;

namespace {

using TSteady = std::chrono::steady_clock;

std::string Folder; // the benchmark's own settings, runtime folder and projects

double Seconds(TSteady::time_point from, TSteady::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// ---- Data and projects ---------------------------------------------------------------------

// The data file of `hits` hits: the view benchmarks' ten million, or one of a million made the
// same way and kept in /tmp beside a marker written once it is complete.
std::string DataFile(int64_t hits) {
    if (hits == 10'000'000) return TenMillionHitsFile();
    const std::string name = "/tmp/vorelt-bench-window-" + std::to_string(hits) + ".pci";
    std::error_code ec;
    if (std::filesystem::exists(name + ".hits", ec)) return name;
    TGenerateOptions options;
    options.Format = "pci";
    options.FileName = name;
    options.Hits = static_cast<uint64_t>(hits);
    options.Channels = 16;
    options.Seed = 5;
    options.InOrder = true;
    std::filesystem::remove(name.substr(0, name.size() - 4) + ".log", ec);
    std::string error;
    if (!GenerateDataFile(options, error)) {
        std::fprintf(stderr, "bench_window: %s\n", error.c_str());
        std::exit(1);
    }
    if (std::FILE* f = std::fopen((name + ".hits").c_str(), "w")) std::fclose(f);
    return name;
}

RecListGVCPU At(TGVCPU& p, long double left, long double right) {
    RecListGVCPU at;
    at.TopLeftX = left;
    at.TopLeftY = 0;
    at.BottomRightX = right;
    at.BottomRightY = 210;
    at.ID = p.ID();
    return at;
}

TGVCPUGr* AddGraph(TGVCPU& parent, const TGraphViewPlan& plan) {
    auto* graph = parent.AddNew<TGVCPUGr>();
    graph->SetViewNode(MakeGraphViewNode(plan));
    return graph;
}

TGraphViewPlan AmplitudeOverTime() {
    TGraphViewPlan plan;
    plan.Title = "Amplitude";
    plan.Left.FieldId = fidAmpl;
    plan.Bottom.FieldId = fidTimeS;
    plan.Series.push_back({stPointPlot, 3, 100, bsCnt, false, true});
    return plan;
}

// The project of the window cases over `data`, saved in the benchmark's folder:
//  0 "Filter": a filter that judges every hit (channel >= 0) with a table and a point graph
//    of amplitude over time below it;
//  1 "One Graph": a point graph of amplitude over time on the database;
//  2 "Histogram": the hits per channel.
std::string WindowProject(int64_t hits) {
    const std::string file = Folder + "/window-" + std::to_string(hits) + ".xml";
    if (std::filesystem::exists(file)) return file;
    TProjectAE project;
    std::string error;
    if (!project.OpenDataFile(DataFile(hits), error)) {
        std::fprintf(stderr, "bench_window: %s\n", error.c_str());
        std::exit(1);
    }
    project.SetName("Window");
    project.Pages().AddPage("Filter");
    project.Pages().AddPage("One Graph");
    project.Pages().AddPage("Histogram");
    TGVDb& db = project.Db();
    auto* filter = db.AddNew<TGVCPUFltr>();
    filter->Condition().Add(std::make_unique<TLCCondition>(fidChan, coGreaterOrEquals, "0"));
    auto* table = filter->AddNew<TGVCPUTbl>();
    for (const char* id : {fidNumRec, fidTimeS, fidChan, fidAmpl, fidRise, fidCount, fidEnergy})
        if (const TAEField* f = table->FindField(id)) table->Data().AddColumn(*f);
    table->Data().SetTypeRec(0);
    TGVCPUGr* points = AddGraph(*filter, AmplitudeOverTime());
    TGVCPUGr* single = AddGraph(db, AmplitudeOverTime());
    TGraphViewPlan channels;
    channels.Title = "Hits per Channel";
    channels.Left.FieldId = fidAmpl;
    channels.Left.Legend = "Hits";
    channels.Bottom.FieldId = fidChan;
    channels.Series.push_back({stHistigram, 5, 17, bsCnt, true, false});
    TGVCPUGr* histogram = AddGraph(db, channels);
    db.NameProcessors();
    if (IIDGenerator* ids = project.IDGenerator()) db.AssignIDsDeep(false, *ids);
    project.Pages().Page(0)->AddPlacement(At(*table, 0, 297.0L / 2));
    project.Pages().Page(0)->AddPlacement(At(*points, 297.0L / 2, 297));
    project.Pages().Page(1)->AddPlacement(At(*single, 0, 297));
    project.Pages().Page(2)->AddPlacement(At(*histogram, 0, 297));
    if (!project.SaveProject(file, error)) {
        std::fprintf(stderr, "bench_window: %s: %s\n", file.c_str(), error.c_str());
        std::exit(1);
    }
    project.CloseDataFile();
    return file;
}

// The demo project of `hits` hits made by vorelt-mkdemo, kept in /tmp once complete.
std::string DemoProject(int64_t hits) {
    const std::string dir = "/tmp/vorelt-bench-window-demo-" + std::to_string(hits);
    const std::string file = dir + "/demo.xml";
    std::error_code ec;
    if (std::filesystem::exists(dir + "/made", ec)) return file;
    const int code = QProcess::execute(
        VORELT_MKDEMO, {QString::fromStdString(dir), "--hits", QString::number(hits)});
    if (code != 0 || !std::filesystem::exists(file, ec)) {
        std::fprintf(stderr, "bench_window: vorelt-mkdemo failed (%d)\n", code);
        std::exit(1);
    }
    if (std::FILE* f = std::fopen((dir + "/made").c_str(), "w")) std::fclose(f);
    return file;
}

// ---- The window ----------------------------------------------------------------------------

// Watches the widgets of a page's views and notes, for each view, when it has painted once it
// was done: a table with its rows, a graph filled. The time is taken after the paint.
class TPaintWatch : public QObject {
public:
    struct TView {
        TGVVisualClass* View;
        QWidget* Widget;
        TSteady::time_point Painted{};
        bool Done = false;
    };

    void Watch(TGVVisualClass* v) {
        QWidget* w = nullptr;
        if (auto* g = dynamic_cast<TGraphVC*>(v))
            w = g->Container();
        else if (auto* t = dynamic_cast<TTableVC*>(v))
            w = t->Grid()->viewport();
        if (!w) return;
        w->installEventFilter(this);
        FViews.push_back({v, w});
    }
    void Reset() {
        for (TView& v : FViews)
            v.Done = false;
    }
    bool AllDone() const {
        return std::all_of(FViews.begin(), FViews.end(), [](const TView& v) { return v.Done; });
    }
    // Handles events until every view has painted; false after a minute without.
    bool Wait() {
        QElapsedTimer clock;
        clock.start();
        while (!AllDone()) {
            if (clock.elapsed() > 60000) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return true;
    }
    // The latest paint of all views, and the first paint of a table.
    TSteady::time_point Last() const {
        TSteady::time_point t{};
        for (const TView& v : FViews)
            t = std::max(t, v.Painted);
        return t;
    }
    TSteady::time_point TablePainted() const {
        for (const TView& v : FViews)
            if (dynamic_cast<TTableVC*>(v.View)) return v.Painted;
        return {};
    }
    const std::vector<TView>& Views() const { return FViews; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        for (TView& v : FViews) {
            if (v.Widget != watched || v.Done || !Filled(*v.View)) continue;
            // The widget paints now; the clock reads when it is through.
            static_cast<QObject*>(v.Widget)->event(event);
            v.Painted = TSteady::now();
            v.Done = true;
            return true;
        }
        return false;
    }

private:
    static bool Filled(TGVVisualClass& v) {
        if (auto* g = dynamic_cast<TGraphVC*>(&v)) return g->Active() && !g->AixsGraphLoading();
        return v.Active();
    }
    std::vector<TView> FViews;
};

// The main window with a project open and the views of one page watched.
struct TWindow {
    test::TScriptedDialogs Dialogs;
    TIniApplic Settings{Folder + "/"};
    std::unique_ptr<TFMain> Main;
    TFChild* Child = nullptr;
    std::string Project;

    explicit TWindow(const std::string& project) : Project(project) {
        Main = std::make_unique<TFMain>(Settings);
        Main->resize(1280, 960);
        Main->show();
        QApplication::processEvents();
        Child = Main->OpenProjectWindow(project, false);
        QApplication::processEvents();
        if (!Child) {
            std::fprintf(stderr, "bench_window: %s does not open\n", project.c_str());
            std::exit(1);
        }
    }
    ~TWindow() {
        Child->Project().SetModified(false);
        Main->close();
    }

    void ShowPage(int page) {
        Child->PageControl()->setCurrentIndex(page);
        QApplication::processEvents();
    }
    std::vector<TGVVisualClass*> Views(int page) const {
        std::vector<TGVVisualClass*> views;
        Child->ForEachPlacedView([&](int p, int, TGVVisualClass* v) {
            if (p == page) views.push_back(v);
        });
        return views;
    }
    void Empty() {
        Child->ExecuteCommand(cmResetAll);
        QApplication::processEvents();
    }
};

// ---- vorelt-export -------------------------------------------------------------------------

// The seconds `vorelt-export` takes for every view, one process after the other; a failure
// ends the benchmark.
double ExportSeconds(const std::string& project, const std::vector<TGVVisualClass*>& views,
                     benchmark::State& state) {
    double total = 0;
    for (TGVVisualClass* v : views) {
        const bool table = dynamic_cast<TTableVC*>(v) != nullptr;
        const QString target = QString::fromStdString(Folder) + (table ? "/out.csv" : "/out.png");
        QProcess p;
        const TSteady::time_point start = TSteady::now();
        p.start(VORELT_EXPORT, {QString::fromStdString(project),
                                QString::fromStdString(v->Processor()->Name()), target});
        p.waitForFinished(-1);
        total += Seconds(start, TSteady::now());
        if (p.exitCode() != 0) {
            state.SkipWithError(
                ("vorelt-export: " + p.readAllStandardError().toStdString()).c_str());
            return 0;
        }
    }
    std::filesystem::remove(Folder + "/out.csv");
    std::filesystem::remove(Folder + "/out.png");
    return total;
}

// The engine alone for the same views, in this process and without the window's Run: each
// graph filled and drawn as its view does when it is made active (as bench_graph measures it),
// each table's rows listed. The views are left filled.
double EngineSeconds(const std::vector<TGVVisualClass*>& views) {
    double total = 0;
    for (TGVVisualClass* v : views) {
        if (auto* g = dynamic_cast<TGraphVC*>(v)) {
            g->SetActive(false);
            const TSteady::time_point start = TSteady::now();
            g->SetActive(true);
            g->Container()->RenderNow();
            total += Seconds(start, TSteady::now());
        } else if (auto* t = dynamic_cast<TTableVC*>(v)) {
            std::string error;
            const TSteady::time_point start = TSteady::now();
            t->Data().LoadRows(error);
            total += Seconds(start, TSteady::now());
        }
    }
    return total;
}

void Report(benchmark::State& state, double window, double exported, double table = -1) {
    state.SetIterationTime(window);
    state.counters["window_s"] = window;
    state.counters["export_s"] = exported;
    state.counters["ratio_to_export"] = exported > 0 ? window / exported : 0;
    if (table >= 0) state.counters["table_first_s"] = table;
}

// Run on `page` of `project` until every view of the page painted, against the export of the
// same views.
void RunPage(benchmark::State& state, const std::string& project, int page) {
    TWindow w(project);
    w.ShowPage(page);
    const std::vector<TGVVisualClass*> views = w.Views(page);
    TPaintWatch watch;
    for (TGVVisualClass* v : views)
        watch.Watch(v);
    for (auto _ : state) {
        w.Empty();
        watch.Reset();
        const TSteady::time_point start = TSteady::now();
        w.Child->ExecuteCommand(cmRun);
        // Run returns when every view has read all it shows (a table may show its first
        // screen before).
        state.counters["run_s"] = Seconds(start, TSteady::now());
        if (!watch.Wait()) {
            state.SkipWithError("a view did not paint within a minute");
            return;
        }
        const TSteady::time_point table = watch.TablePainted();
        const double window = Seconds(start, watch.Last());
        for (const TPaintWatch::TView& v : watch.Views())
            if (auto* g = dynamic_cast<TGraphVC*>(v.View))
                state.counters["records"] = static_cast<double>(g->RecordsRead());
        const double exported = ExportSeconds(project, views, state);
        Report(state, window, exported,
               table == TSteady::time_point{} ? -1 : Seconds(start, table));
        const double engine = EngineSeconds(views);
        state.counters["engine_s"] = engine;
        state.counters["ratio_to_engine"] = engine > 0 ? window / engine : 0;
    }
    if (!w.Dialogs.Boxes.empty()) state.SkipWithError(w.Dialogs.Boxes.front().c_str());
}

void BM_WindowDemoTable(benchmark::State& state) {
    RunPage(state, DemoProject(state.range(0)), 0);
}
void BM_WindowDemoGraphs(benchmark::State& state) {
    RunPage(state, DemoProject(state.range(0)), 1);
}
void BM_WindowFilterTablePoints(benchmark::State& state) {
    RunPage(state, WindowProject(state.range(0)), 0);
}
void BM_WindowHistogram(benchmark::State& state) {
    RunPage(state, WindowProject(state.range(0)), 2);
}

// Two wheel steps into the middle of the filled point graph until it has painted again; the
// export redraws the graph from the file.
void BM_WindowZoomRedraw(benchmark::State& state) {
    const std::string project = WindowProject(state.range(0));
    TWindow w(project);
    w.ShowPage(1);
    auto* graph = dynamic_cast<TGraphVC*>(w.Views(1).front());
    w.Child->ExecuteCommand(cmRun);
    QApplication::processEvents();
    TPaintWatch watch;
    watch.Watch(graph);
    TCanvasContainer* c = graph->Container();
    for (auto _ : state) {
        graph->UnzoomView(true);
        QApplication::processEvents();
        watch.Reset();
        const TSteady::time_point start = TSteady::now();
        if (!graph->WheelZoom(c->width() / 2, c->height() / 2, 2)) {
            state.SkipWithError("the wheel did not zoom");
            return;
        }
        if (!watch.Wait()) {
            state.SkipWithError("the graph did not paint within a minute");
            return;
        }
        Report(state, Seconds(start, watch.Last()), ExportSeconds(project, {graph}, state));
    }
}

// Run on the filter page leaves the one graph of the next page outdated; the clock runs from
// the switch to that page until the graph has painted.
void BM_WindowPageSwitch(benchmark::State& state) {
    const std::string project = WindowProject(state.range(0));
    TWindow w(project);
    const std::vector<TGVVisualClass*> views = w.Views(1);
    TPaintWatch watch;
    for (TGVVisualClass* v : views)
        watch.Watch(v);
    for (auto _ : state) {
        w.Empty();
        w.ShowPage(0);
        w.Child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        watch.Reset();
        const TSteady::time_point start = TSteady::now();
        w.Child->PageControl()->setCurrentIndex(1);
        if (!watch.Wait()) {
            state.SkipWithError("the graph did not paint within a minute");
            return;
        }
        Report(state, Seconds(start, watch.Last()), ExportSeconds(project, views, state));
    }
}

void Cases(benchmark::internal::Benchmark* b) {
    b->Arg(1'000'000)
        ->Arg(10'000'000)
        ->Iterations(1)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_WindowFilterTablePoints)->Apply(Cases);
BENCHMARK(BM_WindowDemoTable)->Apply(Cases);
BENCHMARK(BM_WindowDemoGraphs)->Apply(Cases);
BENCHMARK(BM_WindowHistogram)->Apply(Cases);
BENCHMARK(BM_WindowZoomRedraw)->Apply(Cases);
BENCHMARK(BM_WindowPageSwitch)->Apply(Cases);

} // namespace

// The offscreen platform warns of every window it cannot raise.
void QuietOffscreen(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtWarningMsg || !text.startsWith("This plugin does not support"))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietOffscreen);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings, the single-instance lock and recent files of a folder of the benchmark's own.
    char pattern[] = "/tmp/vorelt-bench-window-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    Folder = pattern;
    for (const char* v : {"XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME"})
        qputenv(v, QByteArray::fromStdString(Folder));
    int result = 0;
    {
        QApplication app(argc, argv);
        MaskFloatExceptions();
        RegisterCoreClasses();
        // The projects are written as vorelt-mkdemo writes its own: by the processors alone,
        // before there are views to take the graphs' settings.
        RegisterTableClasses();
        RegisterGraphClasses();
        for (int64_t hits : {1'000'000, 10'000'000}) {
            WindowProject(hits);
            DemoProject(hits);
        }
        RegisterView2dClasses();
        RegisterView3dClasses();
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
    return result;
}
