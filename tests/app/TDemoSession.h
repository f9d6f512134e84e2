#pragma once
// The demo project in the application's main window, and the steps a user takes in it: shared
// by the offscreen window tests and the sessions on a real X server, which run the same steps.

#include "TAppSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "processing/graph/TSeriesGr.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TOGLContainer.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>

namespace vorelt::test {

class TDemoSession : public TAppSession {
public:
    // The demo of `hits` hits; the demo's own number when 0.
    explicit TDemoSession(int hits = 0) : Project(MakeDemo(Dir.Path(), hits)) {}
    ~TDemoSession() override {
        if (Main && Child) Child->Project().SetModified(false);
    }

    // The main window with the demo project open; false when it could not be opened. A main
    // window open before is closed first.
    bool Open(int width = 1280, int height = 900) {
        if (!ShowMain(width, height)) return false;
        Child = Main->OpenProjectWindow(Project, false);
        QApplication::processEvents();
        return Child != nullptr;
    }

    // The main window without a project; false when the demo was not made.
    bool ShowMain(int width = 1280, int height = 900) {
        if (!std::filesystem::exists(Project)) return false;
        Child = nullptr;
        ShowMainWindow(width, height);
        return true;
    }

    void ShowPage(int page) {
        Child->PageControl()->setCurrentIndex(page);
        QApplication::processEvents();
    }
    // The "Pipe Run" page shown, with its 3D graph's OpenGL scene on the screen (on a real X
    // server); null when the view or its scene is missing.
    TGraph3DVC* ShowPipeRun() {
        TGraph3DVC* view = View3D();
        if (!view) return nullptr;
        Child->PageControl()->setCurrentIndex(2);
        const bool shown = QTest::qWaitFor([view] {
            return view->Container().HasGL() && view->Container().SceneWidget()->isVisible();
        });
        return shown ? view : nullptr;
    }
    void Run() {
        Child->ExecuteCommand(cmRun);
        QApplication::processEvents();
    }

    TGraphVC* Graph(const std::string& title) const { return PlacedGraph(*Child, title); }
    TGraph3DVC* View3D() const { return Placed3D(*Child); }
    TTableVC* Table() const { return PlacedTable(*Child); }

    // Saves a picture where VORELT_SHOTS points, when it is set: the whole screen on a real
    // X server (menus and the find window are windows of their own), else the main window.
    void Shot(const char* name) const {
        const QString dir = qEnvironmentVariable("VORELT_SHOTS");
        if (dir.isEmpty() || !Main) return;
        QApplication::processEvents();
        QScreen* screen = QGuiApplication::primaryScreen();
        if (QGuiApplication::platformName() == "xcb" && screen)
            screen->grabWindow(0).save(dir + "/" + name);
        else
            Main->grab().save(dir + "/" + name);
    }

    std::string Project;
    // Null again once the window is gone (closed with the main window, say).
    QPointer<TFChild> Child;
};

// The hits a histogram's bins hold, over all channels; -1 without bins.
inline int64_t HistogramHits(TGraphVC& g) {
    const TSeriesGr* s = g.Series().Get(0);
    if (!s || s->BinLists().empty()) return -1;
    int64_t n = 0;
    for (const TGraphBin& b : s->BinLists()[0])
        n += b.Count;
    return n;
}

// The text over a graph's plot when it has no plot to show, empty when none is shown.
inline std::string GraphNotice(TGraphVC& g) {
    auto* label = g.Container()->findChild<QLabel*>("lNotice");
    return label && label->isVisible() ? label->text().toStdString() : std::string();
}

// A band dragged with the mouse over fractions of the plot's width, after a click that
// focuses the graph.
inline void DragBand(TGraphVC& g, double from, double to) {
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

} // namespace vorelt::test
