// The waveform window on a real recording, as a user meets it: bearing.pridb with its
// transient database beside it, a table with the waveform index and the peak frequency, Run,
// a double-click on a row opens the window with the row's signal and spectrum, Page Down walks
// on to the next hit, and the popup menu's "Show Waveform" opens it again; a graph of peak
// frequency against amplitude does the same for its points.
// Screenshots of the screen go where VORELT_SHOTS points, when it is set.

#include "../app/TAppSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "common/TestData.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TGraphViewNode.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view2d/TTableGrid.h"
#include "view2d/TTableVC.h"
#include "view2d/TWaveformWindow.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::PlacedTable;
using vorelt::test::ShootScreen;
using vorelt::test::ShotFile;
using vorelt::test::TAppSession;
using vorelt::test::TTempDir;

namespace {

// bearing.pridb and its transient database copied into `dir`; the copy of the hits.
std::string CopyBearing(const std::string& source, TTempDir& dir) {
    const std::string data = dir.File("bearing.pridb");
    std::filesystem::copy_file(source, data);
    std::filesystem::copy_file(std::filesystem::path(source).replace_extension(".tradb"),
                               dir.File("bearing.tradb"));
    return data;
}

// The view of processor `id` over the whole of the project's first page.
void PlaceOnWholePage(TProjectAE& project, const std::string& id) {
    RecListGVCPU at;
    at.BottomRightX = TDispatchDraw::DefaultLogicalWidth;
    at.BottomRightY = TDispatchDraw::DefaultLogicalHeight;
    at.ID = id;
    project.Pages().Page(0)->AddPlacement(at);
}

// A project over `data` with one page holding a table of the hits with their waveform index
// and peak frequency.
void MakeTableProject(const std::string& data, const std::string& projectFile) {
    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    project.SetName("Bearing");
    project.Pages().AddPage("Hits");
    auto* table = project.Db().AddNew<TGVCPUTbl>();
    project.Db().AssignIDsDeep(false, *project.IDGenerator());
    project.Db().NameProcessors();
    for (const char* id : {fidTime, fidChan, fidAmpl, fidWaveIndex, fidPeakFrequency})
        if (const TAEField* f = table->FindField(id)) table->Data().AddColumn(*f);
    ASSERT_EQ(table->Data().Columns().Count(), 5);
    table->Data().SetTypeRec(1 << rkHit);
    PlaceOnWholePage(project, table->ID());
    ASSERT_TRUE(project.SaveProject(projectFile, error)) << error;
    project.CloseDataFile();
}

// The project's window with its table filled by Run.
TTableVC* OpenAndRun(TAppSession& session, const std::string& projectFile) {
    TFMain& main = session.ShowMainWindow(1000, 700);
    TFChild* child = main.OpenProjectWindow(projectFile, false);
    TTableVC* view = child ? PlacedTable(*child) : nullptr;
    if (!view) return nullptr;
    child->ExecuteCommand(cmRun);
    return QTest::qWaitFor([&] { return view->Active(); }) ? view : nullptr;
}

} // namespace

TEST(WaveformSession, DoubleClickOnATableRowShowsItsWaveformAndNextWalksOn) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", source);
    TAppSession session;
    TTempDir& dir = session.Dir;
    const std::string data = CopyBearing(source, dir);
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("")))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };

    const std::string projectFile = dir.File("bearing.xml");
    MakeTableProject(data, projectFile);
    const std::vector<std::string> before = listing();

    TTableVC* view = OpenAndRun(session, projectFile);
    ASSERT_NE(view, nullptr);
    ASSERT_GE(view->Data().RowCount(), 400);

    // A double-click on the third data row.
    TTableGrid* grid = view->Grid();
    const int y = (TTableGrid::FixedRows + 2) * TTableGrid::RowHeight + TTableGrid::RowHeight / 2;
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(60, y));
    ASSERT_TRUE(QTest::qWaitFor([] {
        TWaveformWindow* w = TWaveformWindow::SharedIfOpen();
        return w && w->isVisible();
    }));
    TWaveformWindow& window = *TWaveformWindow::SharedIfOpen();
    EXPECT_EQ(window.Position(), 2);
    ASSERT_FALSE(window.Plot().Empty());
    EXPECT_EQ(window.Plot().Signal().Size(), 5000u); // bearing's records hold 5000 samples
    EXPECT_GT(window.Plot().Spectrum().Size(), 0u);
    const int64_t first = window.Plot().Info().Index;
    window.setGeometry(40, 60, 1000, 620);
    ShootScreen(ShotFile("waveform-window.png"));

    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_EQ(window.Position(), 3);
    EXPECT_NE(window.Plot().Info().Index, first);
    ShootScreen(ShotFile("waveform-window-next.png"));

    // Zoom with the wheel over the signal, then Home shows the whole record again.
    QWidget* signal = window.findChild<QWidget*>("pltSignal");
    ASSERT_NE(signal, nullptr);
    QWheelEvent wheel(QPointF(300, 80), signal->mapToGlobal(QPointF(300, 80)), {}, {0, 240},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(signal, &wheel);
    EXPECT_TRUE(window.Plot().SignalView().Zoomed());
    QTest::keyClick(&window, Qt::Key_Home);
    EXPECT_FALSE(window.Plot().SignalView().Zoomed());

    // "Show Waveform" in the view's popup menu opens the current row.
    window.close();
    ASSERT_TRUE(QTest::qWaitFor([] { return TWaveformWindow::SharedIfOpen() == nullptr; }));
    QList<QAction*> items;
    view->OnPopupMenu = [&](TVisualClass&, const QPoint&, const QList<QAction*>& list) {
        items = list;
    };
    view->ShowContextMenu(QPoint(10, 10));
    QAction* show = nullptr;
    for (QAction* a : items)
        if (a->objectName() == "mShowWaveformVC") show = a;
    ASSERT_NE(show, nullptr);
    EXPECT_TRUE(show->isEnabled());
    show->trigger();
    ASSERT_NE(TWaveformWindow::SharedIfOpen(), nullptr);
    EXPECT_EQ(TWaveformWindow::SharedIfOpen()->Position(), 2);
    TWaveformWindow::SharedIfOpen()->close();
    QApplication::processEvents();

    // Reading the recording and its waveforms left nothing beside them.
    std::vector<std::string> after = listing();
    after.erase(std::remove_if(after.begin(), after.end(),
                               [](const std::string& n) { return n.ends_with(".xml"); }),
                after.end());
    std::vector<std::string> wanted = before;
    wanted.erase(std::remove_if(wanted.begin(), wanted.end(),
                                [](const std::string& n) { return n.ends_with(".xml"); }),
                 wanted.end());
    EXPECT_EQ(after, wanted);
}

TEST(WaveformSession, ATransientDatabaseOfAnotherNameIsChosenInTheDatabaseMenu) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", source);
    TAppSession session;
    TTempDir& dir = session.Dir;
    const std::string data = dir.File("hits.pridb");
    std::filesystem::copy_file(source, data);
    std::filesystem::create_directories(dir.File("waves"));
    const std::string transients = dir.File("waves/recorded.tradb");
    std::filesystem::copy_file(std::filesystem::path(source).replace_extension(".tradb"),
                               transients);
    const std::string projectFile = dir.File("hits.xml");
    MakeTableProject(data, projectFile);

    TTableVC* view = OpenAndRun(session, projectFile);
    ASSERT_NE(view, nullptr);
    // No transient database beside the hits: the rows have no waveform to show.
    EXPECT_FALSE(view->ShowWaveform(TTableGrid::FixedRows));

    TFMain& main = *session.Main;
    TFChild* child = main.ActiveChild();
    ASSERT_NE(child, nullptr);
    QMenu* database = main.menuBar()->findChild<QMenu*>("mDatabase");
    ASSERT_NE(database, nullptr);
    QAction* select = nullptr;
    for (QAction* a : database->actions())
        if (a->objectName() == "mSelectTransients") select = a;
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->text(), "Select Transient Database");
    EXPECT_TRUE(select->isEnabled());

    // A hit database is no transient database: refused, the file named.
    session.Dialogs.Files = {data};
    select->trigger();
    ASSERT_FALSE(session.Dialogs.Boxes.empty());
    EXPECT_NE(session.Dialogs.Boxes.back().find(data), std::string::npos)
        << session.Dialogs.Boxes.back();
    EXPECT_FALSE(view->ShowWaveform(TTableGrid::FixedRows));

    session.Dialogs.Files = {transients};
    select->trigger();
    EXPECT_NE(session.Dialogs.Boxes.back().find("490 waveforms"), std::string::npos)
        << session.Dialogs.Boxes.back();
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->Active(); }));
    ASSERT_TRUE(view->ShowWaveform(TTableGrid::FixedRows));
    TWaveformWindow* window = TWaveformWindow::SharedIfOpen();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->Plot().Empty());
    ShootScreen(ShotFile("waveform-chosen-transients.png"));
    window->close();
    QApplication::processEvents();
}

TEST(WaveformSession, DoubleClickOnAGraphPointShowsItsWaveform) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", source);
    TAppSession session;
    TTempDir& dir = session.Dir;
    const std::string data = CopyBearing(source, dir);
    const std::string projectFile = dir.File("bearing.xml");
    {
        TProjectAE project;
        std::string error;
        ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
        project.Pages().AddPage("Spectra");
        auto* graph = project.Db().AddNew<TGVCPUGr>();
        project.Db().AssignIDsDeep(false, *project.IDGenerator());
        project.Db().NameProcessors();
        TGraphViewPlan plan;
        plan.Title = "Peak Frequency";
        plan.Left.FieldId = fidPeakFrequency;
        plan.Bottom.FieldId = fidAmpl;
        plan.Series.push_back({stPointPlot, 3, 100, bsCnt, false, true});
        // In the application's process the graph has its view already: the plan goes to it.
        if (auto* view = dynamic_cast<TGraphVC*>(graph->GraphView()))
            view->LoadFromNode(*MakeGraphViewNode(plan));
        else
            graph->SetViewNode(MakeGraphViewNode(plan));
        PlaceOnWholePage(project, graph->ID());
        ASSERT_TRUE(project.SaveProject(projectFile, error)) << error;
        project.CloseDataFile();
    }
    TFMain& main = session.ShowMainWindow(1000, 700);
    TFChild* child = main.OpenProjectWindow(projectFile, false);
    ASSERT_NE(child, nullptr);
    TGraphVC* g = nullptr;
    child->ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        if (!g) g = dynamic_cast<TGraphVC*>(v);
    });
    ASSERT_NE(g, nullptr);
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g->Active(); })) << g->FillError();

    // A drawn point well inside the plot, and the waveform index of its hit.
    ASSERT_EQ(g->Series().Count(), 1) << g->Title() << " " << g->FillError();
    auto* series = dynamic_cast<TGraphPointAEVObject*>(g->SeriesObject(*g->Series().Get(0)));
    ASSERT_NE(series, nullptr);
    const TAEVPointList& points = series->Points();
    ASSERT_EQ(points.Count(), 490);
    const QRect inside = g->Container()->rect().adjusted(20, 20, -20, -20);
    int chosen = -1;
    QPoint at;
    for (int i = 0; i < points.Count() && chosen < 0; ++i) {
        int32_t x = 0, y = 0;
        g->Container()->Converter().LogicalToDevice(1, 1, points.X(i), points.Y(i), x, y);
        const TSeriesGr* s = nullptr;
        int found = -1;
        // A point that is the one found at its own pixel (not covered by another).
        if (inside.contains(x, y) && g->PointAt(x, y, s, found) && found == i) {
            chosen = i;
            at = QPoint(x, y);
        }
    }
    ASSERT_GE(chosen, 0);

    QTest::mouseDClick(g->Container(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([] {
        TWaveformWindow* w = TWaveformWindow::SharedIfOpen();
        return w && w->isVisible();
    }));
    TWaveformWindow& window = *TWaveformWindow::SharedIfOpen();
    EXPECT_EQ(window.Position(), chosen);
    ASSERT_FALSE(window.Plot().Empty());
    EXPECT_EQ(window.Plot().Info().Channel, points.Channel(chosen));
    const int64_t first = window.Plot().Info().Index;
    EXPECT_EQ(window.Plot().Signal().Size(), 5000u);
    window.setGeometry(40, 60, 1000, 620);
    ShootScreen(ShotFile("waveform-from-graph.png"));
    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_EQ(window.Position(), chosen + 1);
    EXPECT_NE(window.Plot().Info().Index, first);
    window.close();
    ASSERT_TRUE(QTest::qWaitFor([] { return TWaveformWindow::SharedIfOpen() == nullptr; }));

    // The popup menu on the point offers "Show Waveform"; away from points it is greyed.
    QList<QAction*> items;
    g->OnPopupMenu = [&](TVisualClass&, const QPoint&, const QList<QAction*>& list) {
        items = list;
    };
    g->Clicked();
    auto itemAt = [&](QPoint p) -> QAction* {
        items.clear();
        bool handled = false;
        g->Container()->Core().OnContextPopup(g->Container()->Core(), p.x(), p.y(), handled);
        for (QAction* a : items)
            if (a->objectName() == "mShowWaveformVC") return a;
        return nullptr;
    };
    QAction* away = itemAt(QPoint(1, 1));
    ASSERT_NE(away, nullptr);
    EXPECT_FALSE(away->isEnabled());
    QAction* show = itemAt(at);
    ASSERT_NE(show, nullptr);
    EXPECT_TRUE(show->isEnabled());
    show->trigger();
    ASSERT_NE(TWaveformWindow::SharedIfOpen(), nullptr);
    EXPECT_EQ(TWaveformWindow::SharedIfOpen()->Position(), chosen);
    TWaveformWindow::SharedIfOpen()->close();
    QApplication::processEvents();
}
