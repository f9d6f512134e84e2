// A graph built in the tree window and placed on a page of a project window offscreen: Run
// fills it, "Show Info Rectangle" opens the info window with the records under the rectangle,
// the Unselect and Undelete items follow the database processor's groups, and a long fill shows
// its progress in the status bar and, after half a second, in a box with Cancel, and stops on
// Escape or Cancel, leaving the graph inactive and saying how far it got.

#include "TAppSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFSeries.h"
#include "app/TFTreePrj.h"
#include "app/TFillStop.h"
#include "app/TLongShoF.h"
#include "app/TfrmAeGr.h"
#include "common/TestData.h"
#include "model/TAEFieldIDs.h"
#include "processing/TAEMessages.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/TFillProgress.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableGrid.h"
#include "view2d/TTableVC.h"
#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TAppSession;
using vorelt::test::TScriptedDialogs;

namespace {

struct TGraphWindowFixture : ::testing::Test {
    TAppSession session;
    TScriptedDialogs& dialogs = session.Dialogs;
    TFChild* child = nullptr;
    TGVCPUGr* graph = nullptr;

    void SetUp() override {
        // Enough records for the fill to report progress a few times.
        const std::string data = session.GeneratedFile("run.pci", 60000, 4, 7);
        ASSERT_FALSE(data.empty());
        session.ShowMainWindow(1000, 760);
        child = session.NewProjectWindow(data);
        ASSERT_NE(child, nullptr);
        dialogs.On<TFSeries>([](TFSeries&) { return int(QDialog::Accepted); });
        dialogs.OnDialog = [this](QDialog& d) {
            auto& w = static_cast<TFTreePrj&>(d);
            TGVDb& db = child->Project().Db();
            w.SelectProcessor(&db);
            EXPECT_TRUE(w.InsertProcessor(pkGr));
            graph = dynamic_cast<TGVCPUGr*>(db.Child(db.ChildCount() - 1));
            if (!graph) return int(QDialog::Rejected);
            w.SelectProcessor(graph);
            auto* frame = qobject_cast<TfrmAeGr*>(w.ParameterPage());
            EXPECT_NE(frame, nullptr);
            if (!frame) return int(QDialog::Rejected);
            frame->SetAxisField(akLeft, fidAmpl);
            frame->SetAxisField(akBottom, fidTime);
            frame->AddSeries(stPointPlot);
            frame->AddInfoField(fidAmpl);
            frame->AddInfoField(fidChan);
            w.Tabs()->setCurrentIndex(1);
            w.SelectPage(0);
            EXPECT_TRUE(w.TreeToPreview(graph, QPoint(10, 10)));
            if (TRoShemRectAEVObject* box = w.BoxOf(graph->ID())) {
                box->SetRect(0, 0, 297, 210);
                box->OnEndEdit(*box);
            }
            w.CloseWindow();
            return w.result();
        };
        child->Action("mProjectThreeView")->trigger();
        ASSERT_NE(graph, nullptr);
        QApplication::processEvents();
    }
    void TearDown() override {
        dialogs.Answers = {mrNo};
        session.Main.reset();
    }
    TGraphVC& View() { return *dynamic_cast<TGraphVC*>(graph->GetView()); }
    // A band over the whole plot of the focused graph.
    void Band() {
        View().SetFocusedView(true);
        const int w = View().Container()->Mapping()->Width();
        const int h = View().Container()->Mapping()->Height();
        View().SelectRect(TRectInt{2, 2, w - 3, h - 3});
    }
};

} // namespace

TEST_F(TGraphWindowFixture, ShowInfoOpensTheRecordsUnderTheRectangleAndLeavesTheTreeAsItWas) {
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(View().Active()) << View().FillError();
    EXPECT_GT(View().RecordsRead(), 0);
    Band();
    ASSERT_NE(View().InfoRect(), nullptr);
    const size_t found = View().FoundPositions().size();
    EXPECT_GT(found, 0u);
    QAction* info = View().MenuItem("mInfoVC");
    ASSERT_TRUE(info->isEnabled());
    // What the project would save, and that nothing is to be saved.
    std::string error;
    const std::string saved = session.Dir.File("p.xml");
    ASSERT_TRUE(child->Project().SaveProject(saved, error)) << error;
    ASSERT_FALSE(child->Project().Modified());
    const std::string before = vorelt::test::ReadFileBytes(saved);
    std::string title;
    int rows = -1, fetched = -1, children = -1;
    dialogs.OnDialog = [&](QDialog& d) {
        title = d.windowTitle().toStdString();
        children = graph->ChildCount();
        d.grab().save(QString::fromStdString(session.Dir.File("info.png")));
        if (auto* grid = d.findChild<TTableGrid*>()) {
            rows = grid->RowCount() - TTableGrid::FixedRows;
            fetched = grid->LastFetches();
        }
        return int(QDialog::Rejected);
    };
    info->trigger();
    EXPECT_EQ(title, "Show Info");
    EXPECT_EQ(rows, static_cast<int>(found));
    EXPECT_GT(fetched, 0); // the records were read to be drawn
    // The records are read through the graph's branch without a processor in the tree, so
    // the project has nothing new to save.
    EXPECT_EQ(children, 0);
    EXPECT_EQ(graph->ChildCount(), 0);
    EXPECT_FALSE(child->Project().Modified());
    ASSERT_TRUE(child->Project().SaveProject(saved, error)) << error;
    EXPECT_EQ(vorelt::test::ReadFileBytes(saved), before);
    EXPECT_TRUE(View().GetFocusedView());
}

TEST_F(TGraphWindowFixture, UnselectAndUndeleteFollowTheDatabaseGroups) {
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(View().Active());
    EXPECT_FALSE(View().MenuItem("mUnselectVC")->isEnabled());
    EXPECT_FALSE(View().MenuItem("mUnDeleteVC")->isEnabled());
    EXPECT_FALSE(View().MenuItem("mUnDeleteAllVC")->isEnabled());
    Band();
    ASSERT_TRUE(View().SelectFound());
    EXPECT_TRUE(View().MenuItem("mUnselectVC")->isEnabled());
    EXPECT_FALSE(View().MenuItem("mUnDeleteVC")->isEnabled());
    Band();
    ASSERT_TRUE(View().DeleteFound());
    EXPECT_TRUE(View().MenuItem("mUnDeleteVC")->isEnabled());
    EXPECT_TRUE(View().MenuItem("mUnDeleteAllVC")->isEnabled());
    View().MenuItem("mUnDeleteVC")->trigger();
    View().MenuItem("mUnselectVC")->trigger();
    EXPECT_FALSE(View().MenuItem("mUnDeleteVC")->isEnabled());
    EXPECT_FALSE(View().MenuItem("mUnselectVC")->isEnabled());
}

TEST_F(TGraphWindowFixture, EscapeStopsALongFillAndTheGraphStaysInactive) {
    // A whole fill shows how far it got.
    std::vector<std::string> shown;
    QLabel* status = session.Main->StatusPanel(2);
    auto progress = View().OnProgress;
    ASSERT_TRUE(progress);
    View().OnProgress = [&](int64_t n, int64_t total) {
        progress(n, total);
        shown.push_back(status->text().toStdString());
    };
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(View().Active()) << View().FillError();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.front().find("Loading Data..."), std::string::npos);
    EXPECT_EQ(status->text().toStdString().find("Loading Data..."), std::string::npos);

    // Escape while it reads: the fill ends, the graph is empty and inactive, no error box
    // follows, and switching pages does not fill it again.
    int reports = 0;
    View().OnProgress = [&](int64_t n, int64_t total) {
        if (++reports == 1) {
            QCoreApplication::postEvent(
                View().Container(),
                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
        progress(n, total);
    };
    dialogs.Boxes.clear();
    child->ExecuteCommand(cmRun);
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(View().Active());
    EXPECT_FALSE(View().Outdated());
    EXPECT_EQ(View().FillError(), "Abort");
    EXPECT_FALSE(dialogs.Asked("Abort")) << "a stop asked for is no error";
    EXPECT_EQ(View().RecordsRead(), 0);
}

TEST_F(TGraphWindowFixture, ALongFillShowsABoxWithCancelWhileMenusOpenAndCommandsWait) {
    // Every report of the fill takes 200 ms on the fill's clock: the box comes at the third.
    int64_t now = 0;
    SetFillClock([&] { return now; });
    struct TRealClock {
        ~TRealClock() { SetFillClock({}); }
    } realClock;
    auto progress = View().OnProgress;
    QMenuBar* bar = session.Main->menuBar();
    QAction* file = nullptr;
    for (QAction* a : bar->actions())
        if (a->menu() && a->menu()->objectName() == "mFile") file = a;
    ASSERT_NE(file, nullptr);
    int reports = 0;
    int64_t cancelledAt = -1, fileRecords = 0;
    bool boxAtSecond = false, menuOpened = false, waiting = false, axesQuiet = false;
    View().OnProgress = [&](int64_t n, int64_t total) {
        now += 200;
        progress(n, total);
        TFillStop* fill = TFillStop::Current();
        ASSERT_NE(fill, nullptr);
        if (++reports == 2) boxAtSecond = fill->Box() != nullptr;
        if (reports != 3) return;
        TFillProgressBox* box = fill->Box();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(box->Bar()->value(), PercentOf(n, total));
        EXPECT_GT(total, 0);
        waiting = !child->Action("mRun")->isEnabled() &&
                  !child->Action("mCloseProject")->isEnabled() &&
                  !session.Main->Action("mOpenProject")->isEnabled() &&
                  !session.Main->Action("mExit")->isEnabled();
        axesQuiet = View().LeftAxis().GraphLoading() && View().BottomAxis().GraphLoading();
        // A click on the File menu opens it; Escape closes the menu and leaves the fill going.
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(file).center());
        menuOpened = file->menu()->isVisible();
        QTest::keyClick(file->menu(), Qt::Key_Escape);
        EXPECT_FALSE(file->menu()->isVisible());
        EXPECT_FALSE(fill->Stopped());
        // A click elsewhere in the window does nothing; Cancel stops the fill.
        QTest::mouseClick(View().Container(), Qt::LeftButton);
        QTest::mouseClick(box->CancelButton(), Qt::LeftButton);
        EXPECT_TRUE(fill->Stopped());
        cancelledAt = n;
        fileRecords = total;
    };
    child->ExecuteCommand(cmRun);
    View().OnProgress = progress;

    EXPECT_FALSE(boxAtSecond) << "the box shows only after half a second";
    EXPECT_TRUE(waiting) << "commands that cannot run during a fill are disabled";
    EXPECT_TRUE(menuOpened) << "the File menu opens during a fill";
    EXPECT_TRUE(axesQuiet) << "the axes know that the graph is loading";
    EXPECT_EQ(reports, 3) << "the fill stops at the report that saw Cancel";
    ASSERT_GT(cancelledAt, 0);
    EXPECT_FALSE(View().Active());
    EXPECT_EQ(View().Notice(), StoppedText(cancelledAt, fileRecords));
    EXPECT_EQ(TFillStop::Current(), nullptr);
    EXPECT_TRUE(child->Action("mRun")->isEnabled());
    EXPECT_TRUE(session.Main->Action("mOpenProject")->isEnabled());
    EXPECT_TRUE(child->Action("mCloseProject")->isEnabled());
    EXPECT_FALSE(View().LeftAxis().GraphLoading());
}
