// Axis labels on the scale of the data, in the real window: two demo projects open, Run on the
// graph page of each, "Tile Vertically" chosen from the "Window" menu with the mouse, the main
// window resized, and tiled again. After every step each graph's labelled ticks sit on the
// grid lines of their values and each label stands at its tick, read from the screen's pixels.

#include "../app/TAppSession.h"
#include "app/TFChild.h"
#include "common/TGraphPixels.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view2d/TScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// 3 mm at the 96 pixels per inch of the X server the tests start.
constexpr int MajorTickLength = 11;

// The graphs of the demo's second page, the one the test shows.
std::vector<TGraphVC*> Graphs(TFChild& child) {
    std::vector<TGraphVC*> out;
    child.ForEachPlacedView([&](int page, int, TGVVisualClass* v) {
        if (auto* g = dynamic_cast<TGraphVC*>(v); g && page == 1) out.push_back(g);
    });
    return out;
}

size_t Labelled(const TGrAixs& axis) {
    size_t n = 0;
    for (const RecMarkAixs& m : axis.Marks())
        if (m.Kind != mkTick && !m.Text.empty()) ++n;
    return n;
}

std::string List(const std::vector<int>& v) {
    std::ostringstream s;
    for (int x : v)
        s << x << " ";
    return s.str();
}

void ExpectTicksOnGrid(const TAxisPixels& a, size_t labelled, const std::string& what,
                       bool hidden = false) {
    SCOPED_TRACE(what + ": grid " + List(a.Grid) + "| ticks " + List(a.Ticks) + "| long ticks " +
                 List(a.MajorTicks));
    EXPECT_GE(labelled, 2u) << "an axis with fewer than two labels tells no scale";
    // Bars stand over the grid lines of a histogram; the other graphs' grid lines show.
    if (!hidden) {
        EXPECT_EQ(a.Grid.size(), labelled);
    }
    for (int g : a.Grid)
        EXPECT_LE(NearestDistance(a.Ticks, g), 1) << "grid line at " << g << " has no tick";
    for (size_t i = 0; i < a.MajorTicks.size(); ++i) {
        if (!hidden) {
            EXPECT_LE(NearestDistance(a.Grid, a.MajorTicks[i]), 1)
                << "tick at " << a.MajorTicks[i] << " has no grid line";
        }
        EXPECT_TRUE(a.LabelAtTick[i]) << "no label at the tick at " << a.MajorTicks[i];
    }
}

// Lets the window settle: posted layouts and paints, until the screen shows them.
void Settle(QWidget& main) {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    main.repaint();
    QApplication::processEvents();
}

// Every graph of the windows, from the pixels on the screen.
void ExpectEveryGraphOnTheDataScale(QWidget& main, const std::vector<TFChild*>& children,
                                    const std::string& step, const std::string& shot) {
    Settle(main);
    const QImage image = QGuiApplication::primaryScreen()
                             ->grabWindow(main.winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    if (!shot.empty()) image.save(QString::fromStdString(shot));
    int n = 0;
    for (TFChild* child : children)
        for (TGraphVC* g : Graphs(*child)) {
            const std::string what = step + ", " + g->Title();
            ASSERT_TRUE(g->Active()) << what;
            TCanvasContainer* c = g->Container();
            ASSERT_TRUE(c->isVisible()) << what;
            const QRect plot(c->mapTo(&main, QPoint(0, 0)), c->size());
            // A page wider than its window shows part of its last graph: only whole plots, with
            // their left ticks and bottom labels on the screen, are read.
            if (c->visibleRegion().boundingRect() != c->rect() ||
                !image.rect().contains(plot.adjusted(-MajorTickLength - 2, 0, 0, 40)))
                continue;
            // The bars of the histogram stand over the grid lines of both its axes: in a narrow
            // tile they leave too little of the lines below their tops to be read.
            const bool bars = g->Title() == "Hits per Channel";
            ExpectTicksOnGrid(LeftAxisPixels(image, plot, MajorTickLength), Labelled(g->LeftAxis()),
                              what + ", left axis", bars);
            ExpectTicksOnGrid(BottomAxisPixels(image, plot, MajorTickLength),
                              Labelled(g->BottomAxis()), what + ", bottom axis", bars);
            ++n;
        }
    EXPECT_GE(n, static_cast<int>(2 * children.size())) << step;
}

// Chooses an item of a menu of the menu bar with the mouse.
void ChooseFromMenuBar(QMainWindow& main, const char* menuName, const char* itemName) {
    QMenuBar* bar = main.menuBar();
    QAction* top = nullptr;
    for (QAction* a : bar->actions())
        if (a->menu() && a->menu()->objectName() == menuName) top = a;
    ASSERT_NE(top, nullptr) << menuName;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(top).center());
    QMenu* menu = top->menu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000)) << menuName;
    QAction* item = nullptr;
    for (QAction* a : menu->actions())
        if (a->objectName() == itemName) item = a;
    ASSERT_NE(item, nullptr) << itemName;
    ASSERT_TRUE(item->isEnabled()) << itemName;
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(item).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, 5000)) << menuName;
}

} // namespace

TEST(AxisLabelsOnTheDataScaleSession, TilingTwoProjectsAndResizingKeepEveryTickOnItsGridLine) {
    TAppSession s;
    ASSERT_TRUE(s.AcquireInstance());
    TLongShoF::SetMinimumShowTime(50);
    {
        TFMain& main = s.ShowMainWindow(1280, 960);
        std::vector<TFChild*> children;
        for (const char* folder : {"one", "two"}) {
            TFChild* child = main.OpenProjectWindow(s.MakeDemo(s.Dir.File(folder)), false);
            ASSERT_NE(child, nullptr) << folder;
            child->PageControl()->setCurrentIndex(1);
            QApplication::processEvents();
            child->Action("mRun")->trigger();
            QApplication::processEvents();
            ASSERT_EQ(Graphs(*child).size(), 3u) << folder;
            children.push_back(child);
        }
        // The second window opened maximized over the first.
        ExpectEveryGraphOnTheDataScale(main, {children.back()}, "after Run",
                                       ShotFile("axes-run.png"));

        ChooseFromMenuBar(main, "mWindow", "mTileVertically");
        ExpectEveryGraphOnTheDataScale(main, children, "tiled vertically",
                                       ShotFile("axes-tiled.png"));

        main.resize(1100, 760);
        ChooseFromMenuBar(main, "mWindow", "mTileVertically");
        ExpectEveryGraphOnTheDataScale(main, children, "smaller and tiled again",
                                       ShotFile("axes-retiled.png"));

        // A maximized window follows the main window's size.
        auto* sub = qobject_cast<QMdiSubWindow*>(children.front()->parentWidget());
        ASSERT_NE(sub, nullptr);
        main.MdiArea()->setActiveSubWindow(sub);
        sub->showMaximized();
        main.resize(1280, 1000);
        ExpectEveryGraphOnTheDataScale(main, {children.front()}, "maximized, main window larger",
                                       ShotFile("axes-maximized.png"));
        main.close();
    }
}
