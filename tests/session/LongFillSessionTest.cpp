// A fill that takes a while on a real X server: a point graph over a file of ten million hits.
// Run; once the progress box is up, a click on the File menu opens the menu and its commands
// that cannot run now are disabled; Cancel stops the fill at once and the graph says where it
// stopped.

#include "../app/TAppSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFSeries.h"
#include "app/TFTreePrj.h"
#include "app/TFillStop.h"
#include "app/TfrmAeGr.h"
#include "model/TAEFieldIDs.h"
#include "processing/TAEMessages.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "project/TFillProgress.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view2d/TScriptedDialogs.h"
#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <chrono>
#include <cstdio>

#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::ShootScreen;
using vorelt::test::ShotFile;
using vorelt::test::TAppSession;

namespace {

using TSteady = std::chrono::steady_clock;

// A point graph of amplitude over time on the first page, built in the project tree.
TGVCPUGr* PlaceGraph(TAppSession& s, TFChild& child) {
    TGVCPUGr* graph = nullptr;
    s.Dialogs.On<TFSeries>([](TFSeries&) { return int(QDialog::Accepted); });
    s.Dialogs.OnDialog = [&](QDialog& d) {
        auto& w = static_cast<TFTreePrj&>(d);
        TGVDb& db = child.Project().Db();
        w.SelectProcessor(&db);
        EXPECT_TRUE(w.InsertProcessor(pkGr));
        graph = dynamic_cast<TGVCPUGr*>(db.Child(db.ChildCount() - 1));
        if (!graph) return int(QDialog::Rejected);
        w.SelectProcessor(graph);
        auto* frame = qobject_cast<TfrmAeGr*>(w.ParameterPage());
        if (!frame) return int(QDialog::Rejected);
        frame->SetAxisField(akLeft, fidAmpl);
        frame->SetAxisField(akBottom, fidTime);
        frame->AddSeries(stPointPlot);
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
    child.Action("mProjectThreeView")->trigger();
    s.Dialogs.OnDialog = nullptr;
    return graph;
}

} // namespace

TEST(LongFillSession, FileMenuOpensDuringAFillAndCancelStopsItAtOnce) {
    TAppSession s;
    ASSERT_TRUE(s.AcquireInstance());
    // Ten million hits: the fill lasts well past the half second after which its box shows.
    const uint64_t hits = 10'000'000;
    const std::string data = s.GeneratedFile("long.pci", hits, 4, 3);
    ASSERT_FALSE(data.empty());
    TFMain& main = s.ShowMainWindow(1280, 960);
    TFChild* child = s.NewProjectWindow(data);
    ASSERT_NE(child, nullptr);
    TGVCPUGr* graph = PlaceGraph(s, *child);
    ASSERT_NE(graph, nullptr);
    auto* view = dynamic_cast<TGraphVC*>(graph->GetView());
    ASSERT_NE(view, nullptr);
    QApplication::processEvents();

    QMenuBar* bar = main.menuBar();
    QAction* file = nullptr;
    for (QAction* a : bar->actions())
        if (a->menu() && a->menu()->objectName() == "mFile") file = a;
    ASSERT_NE(file, nullptr);

    s.Dialogs.Boxes.clear();
    const auto progress = view->OnProgress;
    bool done = false, menuOpened = false, openDisabled = false, exitDisabled = false;
    int percentShown = -1;
    int64_t cancelledAt = -1, fileRecords = 0;
    TSteady::time_point cancelled{};
    const TSteady::time_point started = TSteady::now();
    double boxAfter = -1;
    view->OnProgress = [&](int64_t n, int64_t total) {
        progress(n, total);
        TFillStop* fill = TFillStop::Current();
        if (done || !fill || !fill->Box() || !fill->Box()->isVisible()) return;
        done = true;
        boxAfter = std::chrono::duration<double>(TSteady::now() - started).count();
        TFillProgressBox* box = fill->Box();
        percentShown = box->Bar()->value();
        ShootScreen(ShotFile("long-fill-box.png"));

        // The File menu opens with the mouse; what cannot run now is shown disabled.
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(file).center());
        menuOpened = QTest::qWaitFor([&] { return file->menu()->isVisible(); }, 3000);
        openDisabled = !main.Action("mOpenProject")->isEnabled();
        exitDisabled = !main.Action("mExit")->isEnabled();
        ShootScreen(ShotFile("long-fill-file-menu.png"));
        QTest::keyClick(file->menu(), Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !file->menu()->isVisible(); }, 3000));
        EXPECT_FALSE(fill->Stopped()) << "Escape closed the menu only";

        // Cancel with the mouse; the clock runs until Run has returned.
        cancelled = TSteady::now();
        QTest::mouseClick(box->CancelButton(), Qt::LeftButton);
        EXPECT_TRUE(fill->Stopped());
        cancelledAt = n;
        fileRecords = total;
    };
    child->ExecuteCommand(cmRun);
    const TSteady::time_point returned = TSteady::now();
    view->OnProgress = progress;

    ASSERT_TRUE(done) << "no progress box during the fill";
    const double stopSeconds = std::chrono::duration<double>(returned - cancelled).count();
    std::printf("box after %.3f s at %d %%; stopped %.3f s after Cancel at %lld of %lld records\n",
                boxAfter, percentShown, stopSeconds, static_cast<long long>(cancelledAt),
                static_cast<long long>(fileRecords));
    EXPECT_GE(boxAfter, 0.45) << "the box waits for half a second";
    EXPECT_TRUE(menuOpened) << "the File menu opens during the fill";
    EXPECT_TRUE(openDisabled);
    EXPECT_TRUE(exitDisabled);
    EXPECT_GE(fileRecords, static_cast<int64_t>(hits));
    EXPECT_LT(cancelledAt, fileRecords) << "the fill ended before Cancel";
    // Half a second asked for; generous on a loaded machine.
    EXPECT_LT(stopSeconds, 1.5) << "Cancel took " << stopSeconds << " s";

    QApplication::processEvents();
    ShootScreen(ShotFile("long-fill-stopped.png"));
    EXPECT_FALSE(view->Active());
    EXPECT_EQ(view->Notice(), StoppedText(cancelledAt, fileRecords));
    auto* notice = view->Container()->findChild<QLabel*>("lNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text().toStdString(), view->Notice());
    EXPECT_TRUE(s.Dialogs.Boxes.empty()) << "a stop asked for is no error";
    EXPECT_TRUE(main.Action("mOpenProject")->isEnabled());
    EXPECT_TRUE(child->Action("mRun")->isEnabled());
    s.Dialogs.Answers = {mrNo};
}
