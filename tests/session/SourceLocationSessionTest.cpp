// Where the sources are, as a user sees it: a pencil-lead break on a steel plate
// (steel_plate.pridb, four sensors at the corners of a 450 mm square) located by a
// source-location processor below a location processor, and its location plot after Run
// showing the event where the arrival times put it, with the sensors and their outline; and
// the demo's "Pipe Run" page showing the events located along its pipes on a real X server.
// Screenshots of the screen go where VORELT_SHOTS points, when it is set.

#include "../app/TDemoSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "common/TestData.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TGraphViewNode.h"
#include "processing/graph3d/TGraph3DData.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "processing/location/TLocOutMPT.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "view2d/TAddonVCSensors.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view3d/TBaseObj3DVisials.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TOGLContainer.h"
#include "viewmodel/drawables/TLabelledMarksAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <QApplication>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

using namespace vorelt;
using vorelt::test::ShootScreen;
using vorelt::test::ShotFile;
using vorelt::test::TAppSession;
using vorelt::test::TDemoSession;

namespace {

constexpr char PlotTitle[] = "Plate";

// database -> location (200 µs window) -> source location (the plate's four sensors, 5000
// m/s) -> a plot of Source Y against Source X over 0 .. 750 mm filling the page.
void MakePlateProject(const std::string& data, const std::string& projectFile) {
    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    project.SetName("Plate");
    project.Pages().AddPage("Location");
    auto* loc = project.Db().AddNew<TGVCPULoc>();
    auto mpt = std::make_unique<TLocOutMPT>();
    mpt->SetLockOut(200);
    mpt->SetMPT(200);
    loc->SetAlgorithm(std::move(mpt));
    auto* source = loc->AddNew<TGVCPUSourceLoc>();
    TSensorLayout layout;
    for (const TSensor& s : {SensorAt(1, 600, 600), SensorAt(2, 150, 600), SensorAt(3, 150, 150),
                             SensorAt(4, 600, 150)})
        ASSERT_TRUE(layout.Add(s, error)) << error;
    ASSERT_TRUE(layout.SetVelocity(5000, error));
    source->SetLayout(layout);
    auto* plot = source->AddNew<TGVCPUGr>();
    project.Db().AssignIDsDeep(false, *project.IDGenerator());
    project.Db().NameProcessors();
    TGraphViewPlan plan;
    plan.Title = PlotTitle;
    plan.Left.FieldId = fidSourceY;
    plan.Bottom.FieldId = fidSourceX;
    for (TGraphAxisPlan* a : {&plan.Left, &plan.Bottom}) {
        a->Like = source->FindField(a->FieldId);
        ASSERT_NE(a->Like, nullptr);
        a->FixedMin = a->FixedMax = true;
        a->Min = 0;
        a->Max = 750;
    }
    plan.Series.push_back({stPointPlot, 3, 100, bsCnt, false, true});
    // In the application's process the graph has its view already: the plan goes to it.
    if (auto* view = dynamic_cast<TGraphVC*>(plot->GraphView()))
        view->LoadFromNode(*MakeGraphViewNode(plan));
    else
        plot->SetViewNode(MakeGraphViewNode(plan));
    RecListGVCPU at;
    at.BottomRightX = TDispatchDraw::DefaultLogicalWidth;
    at.BottomRightY = TDispatchDraw::DefaultLogicalHeight;
    at.ID = plot->ID();
    project.Pages().Page(0)->AddPlacement(at);
    ASSERT_TRUE(project.SaveProject(projectFile, error)) << error;
    project.CloseDataFile();
}

// The number after "caption: " on the readout's line that starts with `caption`.
double ReadoutValue(const std::string& readout, const std::string& caption) {
    std::istringstream lines(readout);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(caption, 0) == 0) {
            std::string v = line.substr(line.find(": ") + 2);
            for (char& c : v)
                if (c == ',') c = '.';
            return std::stod(v);
        }
    return -1;
}

} // namespace

TEST(SourceLocationSession, TheLocationPlotShowsThePencilBreakWhereItsArrivalsPutIt) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", source);
    TAppSession session;
    const std::string data = session.Dir.File("steel_plate.pridb");
    std::filesystem::copy_file(source, data);
    const std::string projectFile = session.Dir.File("plate.xml");
    MakePlateProject(data, projectFile);
    if (HasFatalFailure()) return;

    TFMain& main = session.ShowMainWindow(1000, 800);
    TFChild* child = main.OpenProjectWindow(projectFile, false);
    ASSERT_NE(child, nullptr);
    TGraphVC* plot = nullptr;
    child->ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        if (!plot) plot = dynamic_cast<TGraphVC*>(v);
    });
    ASSERT_NE(plot, nullptr);
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(QTest::qWaitFor([plot] { return plot->Active(); }));
    QApplication::processEvents();

    // The processor's one event, where an independent minimisation puts it.
    auto* sources = dynamic_cast<TGVCPUSourceLoc*>(plot->Graph()->Parent());
    ASSERT_NE(sources, nullptr);
    ASSERT_TRUE(sources->EnsureComputed()) << sources->ErrorText();
    ASSERT_EQ(sources->Events().size(), 1u);
    const TSourceEvent& e = sources->Events()[0];
    EXPECT_TRUE(e.Located);
    EXPECT_NEAR(e.X, 221.65, 0.01);
    EXPECT_NEAR(e.Y, 365.66, 0.01);
    EXPECT_NEAR(e.Uncertainty, 1.116, 0.01);

    // The plot's one point reads back the same place, to the readout's digits.
    TCanvasContainer* canvas = plot->Container();
    std::string readout;
    int points = 0;
    for (int y = 0; y < canvas->height(); y += 2)
        for (int x = 0; x < canvas->width(); x += 2) {
            const std::string r = plot->ReadoutAt(x, y);
            if (r.empty()) continue;
            if (r != readout) ++points;
            readout = r;
        }
    ASSERT_FALSE(readout.empty());
    EXPECT_EQ(points, 1) << readout;
    EXPECT_NEAR(ReadoutValue(readout, "Source X"), 221.65, 0.1) << readout;
    EXPECT_NEAR(ReadoutValue(readout, "Source Y"), 365.66, 0.1) << readout;

    // The sensors, numbered, and the square they span.
    TAddonVCSensors* sensors = nullptr;
    for (const auto& a : plot->AddOns())
        if (auto* s = dynamic_cast<TAddonVCSensors*>(a.get())) sensors = s;
    ASSERT_NE(sensors, nullptr);
    EXPECT_TRUE(sensors->GetEnabled());
    ASSERT_NE(sensors->Marks(), nullptr);
    EXPECT_EQ(sensors->Marks()->Labels(), (std::vector<std::string>{"1", "2", "3", "4"}));
    ASSERT_NE(sensors->Outline(), nullptr);
    // Sensor 3 at (150, 150) sits a fifth of the way along both axes (from the bottom).
    TLogicalPoint p;
    ASSERT_TRUE(sensors->Marks()->GetPoint(2, p));
    EXPECT_NEAR(static_cast<double>(p.X / LogicalWidthUnits), 0.2, 1e-9);
    EXPECT_NEAR(static_cast<double>(1 - p.Y / LogicalHeightUnits), 0.2, 1e-9);
    ShootScreen(ShotFile("source-location-plate.png"));
    child->Project().SetModified(false);
}

TEST(SourceLocationSession, TheDemoPipeRunShowsTheEventsLocatedAlongItsPipes) {
    TDemoSession s;
    ASSERT_TRUE(s.Open());
    TGraph3DVC* view = s.ShowPipeRun();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->SourceMarkerCount(), 0);
    s.Run();
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->Active(); }, 5000));
    EXPECT_GT(view->SourceMarkerCount(), 0);
    const TSourceMarksObj3DVisials* marks = nullptr;
    for (int i = 0; i < view->Container().VisualCount(); ++i)
        if (auto* m = dynamic_cast<TSourceMarksObj3DVisials*>(view->Container().Visual(i)))
            marks = m;
    ASSERT_NE(marks, nullptr);
    EXPECT_EQ(static_cast<int>(marks->Marks().size()), view->SourceMarkerCount());
    // The markers reach the frame in their zones' colours (those no sensor shows).
    const QImage frame = view->Container().GrabFrame();
    std::set<uint32_t> colours;
    for (const auto& m : marks->Marks())
        colours.insert(m.Color);
    for (const TActivityEntry& e : view->Data().ActivityLegend())
        colours.erase(ActivityColor(e.Level));
    ASSERT_FALSE(colours.empty());
    int marked = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            marked += colours.count(frame.pixel(x, y) & 0xFFFFFF) > 0;
    EXPECT_GT(marked, 20);
    EXPECT_TRUE(view->Container().ErrorText().empty()) << view->Container().ErrorText();
    ShootScreen(ShotFile("source-location-pipe-run.png"));
    s.ShowPage(3);
    ShootScreen(ShotFile("source-location-demo-plot.png"));
}
