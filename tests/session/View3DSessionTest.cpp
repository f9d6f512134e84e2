// The 3D view of the demo's "Pipe Run" page turned, moved and zoomed in the application on a
// real X server, as a user does it: "r" "r" and a drag turns the scene about its centre, "m"
// and a drag carries it along the drag, the ZOOM button and a drag upward or the wheel bring
// it closer; the rendered frame shows the sensor where the projection puts it, and RESET
// brings the standard view back. Screenshots of the screen go to the build folder
// (view3d-session-*.png).

#include "../app/TDemoSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "common/TestData.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TScriptedDialogs.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TBaseObj3DVisials.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLModeBar.h"

#include <QToolButton>
#include <QWheelEvent>

#include <cmath>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TDemoSession;

namespace {

void Screenshot(const std::string& name) {
    vorelt::test::ShootScreen(std::string(VORELT_BINARY_DIR) + "/" + name);
}

struct TSpot {
    double X = 0, Y = 0; // window pixels of the scene, y downward
};

double Distance(const TSpot& a, const TSpot& b) {
    return std::hypot(a.X - b.X, a.Y - b.Y);
}

// The scene of the view, rendered, and where points of it project in that frame.
struct TScene {
    TOGLContainer& Container;
    QImage Frame;
    void Render() { Frame = Container.GrabFrame(); }
    TSpot At(const TPoint3& p) const {
        double wx, wy, wz;
        EXPECT_TRUE(ProjectPoint(Container.Draw()->Captured(), static_cast<double>(p.X),
                                 static_cast<double>(p.Y), static_cast<double>(p.Z), wx, wy, wz));
        return {wx, Frame.height() - 1 - wy};
    }
    uint32_t Colour(const TSpot& s) const {
        return Frame.pixel(static_cast<int>(s.X), static_cast<int>(s.Y)) & 0xFFFFFF;
    }
    void Drag(TSpot from, TSpot to) {
        QWidget* scene = Container.SceneWidget();
        auto point = [](double x, double y) {
            return QPoint(int(std::lround(x)), int(std::lround(y)));
        };
        QTest::mousePress(scene, Qt::LeftButton, {}, point(from.X, from.Y));
        for (int i = 1; i <= 8; ++i) {
            const QPointF p =
                point(from.X + (to.X - from.X) * i / 8, from.Y + (to.Y - from.Y) * i / 8);
            QMouseEvent move(QEvent::MouseMove, p, scene->mapToGlobal(p), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(scene, &move);
        }
        QTest::mouseRelease(scene, Qt::LeftButton, {}, point(to.X, to.Y));
        Render();
    }
};

} // namespace

TEST(View3DSession, TheSceneTurnsMovesAndZoomsAndResetBringsItBack) {
    TDemoSession s;
    ASSERT_TRUE(s.Open());
    TFChild* child = s.Child;
    TGraph3DVC* view = s.ShowPipeRun();
    ASSERT_NE(view, nullptr);
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->Active(); }));
    TOGLContainer& container = view->Container();
    TScene scene{container, {}};
    scene.Render();
    ASSERT_FALSE(scene.Frame.isNull());

    // A sensor of the schema, and the centre of the scene.
    const TBaseObj3DVisials* sensor = nullptr;
    for (int i = 0; i < container.VisualCount() && !sensor; ++i)
        if (dynamic_cast<const TPAEObj3DVisials*>(container.Visual(i)))
            sensor = container.Visual(i);
    ASSERT_NE(sensor, nullptr);
    const TPoint3 at = sensor->Shape().From;
    const TPoint3 centre{0, 0, 0};
    const TSpot home = scene.At(at);
    const TSpot middle = scene.At(centre);
    const uint32_t colour = scene.Colour(home);
    ASSERT_EQ(colour, sensor->Color());
    Screenshot("view3d-session-before.png");
    // The turn is saved with the view: turning changes the project.
    int modified = 0;
    const auto notify = child->Project().OnModified;
    child->Project().OnModified = [&](TProjectAE& p) {
        ++modified;
        if (notify) notify(p);
    };

    // ROUND FROM Y ("r" twice, the typing timer between), then a drag across the scene.
    view->RequestFocus();
    QTest::keyClick(&container, Qt::Key_R);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view->TitleText().find("[ROUND FROM X]") != std::string::npos; }));
    QTest::keyClick(&container, Qt::Key_R);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view->TitleText().find("[ROUND FROM Y]") != std::string::npos; }));
    scene.Drag({middle.X - 120, middle.Y + 60}, {middle.X + 80, middle.Y + 60});
    const TSpot turned = scene.At(at);
    EXPECT_GT(Distance(turned, home), 10) << "the scene did not turn";
    EXPECT_LT(Distance(scene.At(centre), middle), 0.5) << "it turns about its centre";
    EXPECT_EQ(scene.Colour(turned), colour) << "the frame shows the sensor where it turned to";
    EXPECT_GT(modified, 0);
    Screenshot("view3d-session-round.png");

    // RESET brings the standard view back.
    view->ModeBar().Button("RESET")->click();
    scene.Render();
    EXPECT_LT(Distance(scene.At(at), home), 0.01);
    EXPECT_EQ(scene.Colour(home), colour);
    Screenshot("view3d-session-reset.png");

    // MOVE AT X ("m"): a drag along the X axis as it shows carries the sensor with it.
    view->RequestFocus();
    QTest::keyClick(&container, Qt::Key_M);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view->TitleText().find("[MOVE AT X]") != std::string::npos; }));
    const TSpot xEnd = scene.At(TPoint3{1, 0, 0});
    const double dx = xEnd.X - middle.X, dy = xEnd.Y - middle.Y;
    const double len = std::hypot(dx, dy);
    ASSERT_GT(len, 5);
    scene.Drag({middle.X + 10, middle.Y + 10},
               {middle.X + 10 + 80 * dx / len, middle.Y + 10 + 80 * dy / len});
    const TSpot moved = scene.At(at);
    EXPECT_GT(((moved.X - home.X) * dx + (moved.Y - home.Y) * dy) / len, 40);
    EXPECT_EQ(scene.Colour(moved), colour);
    Screenshot("view3d-session-move.png");

    // ZOOM: a drag upward brings the scene closer; the wheel closer still; "v" resets.
    view->ModeBar().Button("RESET")->click();
    view->ModeBar().Button("ZOOM")->click();
    EXPECT_NE(view->TitleText().find("[ZOOM]"), std::string::npos);
    scene.Render();
    const double far = Distance(scene.At(at), scene.At(centre));
    scene.Drag({middle.X, middle.Y + 100}, {middle.X, middle.Y - 50});
    const double near = Distance(scene.At(at), scene.At(centre));
    EXPECT_GT(near, far * 1.3);
    Screenshot("view3d-session-zoom.png");
    // The wheel over the scene reaches the container, as X delivers it.
    const QPointF p = container.SceneWidget()->mapTo(&container, QPointF(middle.X, middle.Y));
    QWheelEvent wheel(p, container.mapToGlobal(p), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&container, &wheel);
    scene.Render();
    EXPECT_GT(Distance(scene.At(at), scene.At(centre)), near * 1.05);
    view->RequestFocus();
    QTest::keyClick(&container, Qt::Key_V);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (scene.Render(), Distance(scene.At(at), home) < 0.01); }));
    EXPECT_TRUE(s.Dialogs.Boxes.empty());
    child->Project().SetModified(false);
    s.Main->close();
}
