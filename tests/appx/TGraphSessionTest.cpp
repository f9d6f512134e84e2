// The graphs of the demo project in a real window: Run, a band dragged on the point plot,
// "Zoom" and "Unzoom All" from the view's Edit menu, a band again and "Delete": the graph
// shows itself outdated, Run again and the points are gone, and they stay gone after the
// project was saved, closed and opened again (the companion log keeps the deletion).

#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "app/TSingleInstance.h"
#include "common/TestData.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphPointAEVObject.h"
#include "view2d/TGraphVC.h"
#include "view2d/TRectAEVObject.h"
#include "view2d/TScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

TGraphVC* GraphTitled(TFChild& child, const std::string& title) {
    TGraphVC* found = nullptr;
    child.ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        auto* g = dynamic_cast<TGraphVC*>(v);
        if (g && g->Title() == title) found = g;
    });
    return found;
}

int DrawnPoints(TGraphVC& g) {
    auto* p = dynamic_cast<TGraphPointAEVObject*>(g.SeriesObject(*g.Series().Get(0)));
    return p ? p->Points().Count() : -1;
}

// A band dragged with the mouse over the fractions of the plot's width.
void DragBand(TGraphVC& g, double from, double to) {
    TCanvasContainer* c = g.Container();
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, QPoint(c->width() / 2, 3));
    QApplication::processEvents();
    const QPoint a(static_cast<int>(c->width() * from), static_cast<int>(c->height() * 0.03));
    const QPoint b(static_cast<int>(c->width() * to), static_cast<int>(c->height() * 0.97));
    QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, a);
    for (int step = 1; step <= 4; ++step) {
        const QPointF p = QPointF(a) + (QPointF(b) - QPointF(a)) * (step / 4.0);
        QMouseEvent move(QEvent::MouseMove, p, c->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(c, &move);
    }
    QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, b);
    QApplication::processEvents();
}

void Shot(QWidget& w, const std::string& file) {
    if (!file.empty()) w.grab().save(QString::fromStdString(file));
}

} // namespace

TEST(GraphSession, ZoomDeleteRunAndReopenOnTheDemoProject) {
    TTempDir dir;
    const std::string runtime = dir.File("run");
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    // Screenshots go where VORELT_SHOTS points, when it is set.
    const std::string shots = qEnvironmentVariable("VORELT_SHOTS").toStdString();
    auto shotFile = [&](const char* name) { return shots.empty() ? shots : shots + "/" + name; };
    TSingleInstance instance;
    ASSERT_TRUE(instance.Acquire());
    const QString bin = VORELT_BINARY_DIR;
    QProcess::execute(bin + "/demo/vorelt-mkdemo", {QString::fromStdString(dir.Path())});
    const std::string demo = dir.File("demo.xml");
    ASSERT_TRUE(std::filesystem::exists(demo));
    RegisterCoreClasses();
    RegisterView2dClasses();
    TLongShoF::SetMinimumShowTime(50);
    TIniApplic settings(dir.Path() + "/");
    TScriptedDialogs dialogs;
    int afterDelete = 0;
    {
        TFMain main(settings, dialogs);
        main.resize(1280, 900);
        main.show();
        QApplication::processEvents();
        TFChild* child = main.OpenProjectWindow(demo, false);
        ASSERT_NE(child, nullptr);
        child->PageControl()->setCurrentIndex(1);
        QApplication::processEvents();
        TGraphVC* g = GraphTitled(*child, "Amplitude");
        ASSERT_NE(g, nullptr);
        ASSERT_NE(GraphTitled(*child, "Hits per Channel"), nullptr);
        ASSERT_NE(GraphTitled(*child, "Counts vs Amplitude"), nullptr);
        child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        ASSERT_TRUE(g->Active()) << g->FillError();
        const int before = DrawnPoints(*g);
        ASSERT_GT(before, 10000);
        const long double lo = g->BottomAxis().CurMin()->GetAsFloat();
        const long double hi = g->BottomAxis().CurMax()->GetAsFloat();

        // The demo's hits lie at the start and the end of the test: a band over the start.
        DragBand(*g, 0.01, 0.06);
        ASSERT_TRUE(g->GetFocusedView());
        ASSERT_NE(g->InfoRect(), nullptr);
        g->MenuItem("mZoomVC")->trigger();
        QApplication::processEvents();
        const std::string title = g->TitleText();
        ASSERT_GE(title.size(), 7u);
        EXPECT_EQ(title.substr(title.size() - 7), " [Zoom]");
        EXPECT_LT(g->BottomAxis().CurMax()->GetAsFloat(), hi);
        Shot(main, shotFile("graph-zoomed.png"));
        g->MenuItem("mUnzoomAllVC")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(g->BottomAxis().CurMin()->GetAsFloat(), lo);
        EXPECT_EQ(g->BottomAxis().CurMax()->GetAsFloat(), hi);

        DragBand(*g, 0.01, 0.04);
        ASSERT_NE(g->InfoRect(), nullptr);
        const size_t found = g->FoundPositions().size();
        ASSERT_GT(found, 0u);
        g->MenuItem("mDeleteVC")->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(g->Outdated() || DrawnPoints(*g) < before);
        child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        ASSERT_TRUE(g->Active());
        afterDelete = DrawnPoints(*g);
        EXPECT_EQ(afterDelete, before - static_cast<int>(found));
        Shot(main, shotFile("graph-deleted.png"));
        dialogs.Boxes.clear();
        child->Action("mSaveProject")->trigger();
        EXPECT_TRUE(main.close());
    }
    {
        TFMain main(settings, dialogs);
        main.resize(1280, 900);
        main.show();
        QApplication::processEvents();
        TFChild* child = main.OpenProjectWindow(demo, false);
        ASSERT_NE(child, nullptr);
        child->PageControl()->setCurrentIndex(1);
        QApplication::processEvents();
        TGraphVC* g = GraphTitled(*child, "Amplitude");
        ASSERT_NE(g, nullptr);
        child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        ASSERT_TRUE(g->Active());
        EXPECT_EQ(DrawnPoints(*g), afterDelete);
        Shot(main, shotFile("graph-page.png"));
        EXPECT_TRUE(main.close());
    }
    instance.Release();
}
