// Turning, moving and zooming the 3D scene without a display: a drag in ROUND, MOVE and ZOOM
// mode changes where a sensor of the scene projects as the mode says, the wheel zooms, Escape
// takes a drag back, "To Default" and "Reset" restore the standard view and "To Last Save" the
// saved one, and the view keeps its transformation in the project file (and writes nothing
// for the standard view, so older projects keep their bytes).

#include "persist/TNodePersist.h"
#include "processing/db/TGVDb.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPULoc.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLContainerCore.h"
#include "view3d/TOGLManipulator.h"
#include "view3d/TSceneTransformNode.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorelt {
namespace {

struct TPoint2 {
    double X, Y; // window pixels, y downward as the mouse gives them
};

double Distance(const TPoint2& a, const TPoint2& b) {
    return std::hypot(a.X - b.X, a.Y - b.Y);
}

class THost : public IOGLContainerHost {
public:
    void StartShortCutTimer() override {}
    void StopShortCutTimer() override {}
    void NotifyOwner(int32_t) override {}
};

struct TSceneFixture : ::testing::Test {
    TSceneFixture() : Core(Host, Draw) {
        Draw.SetProjection(StandardProjection(400, 400));
        Draw.OnSceneChanged = [this] { ++Changes; };
    }
    // Where the scene point projects now.
    TPoint2 At(double x, double y, double z) const {
        double wx, wy, wz;
        EXPECT_TRUE(ProjectPoint(Draw.SceneProjection(), x, y, z, wx, wy, wz));
        return {wx, 400 - 1 - wy};
    }
    TPoint2 Sensor() const { return At(0.6, 0.3, -0.4); }
    TPoint2 Origin() const { return At(0, 0, 0); }
    void Drag(TPoint2 from, TPoint2 to) {
        auto px = [](double v) { return static_cast<int32_t>(std::lround(v)); };
        Core.LeftButtonDown(px(from.X), px(from.Y));
        for (int i = 1; i <= 4; ++i)
            Core.MouseMove(px(from.X + (to.X - from.X) * i / 4),
                           px(from.Y + (to.Y - from.Y) * i / 4), true);
        Core.LeftButtonUp(px(to.X), px(to.Y));
    }
    THost Host;
    TOGLManipulator Draw;
    TOGLContainerCore Core;
    int Changes = 0;
};

TEST(SceneTransform, TurnsMovesAndZoomsAboutTheScenesOwnAxes) {
    TSceneTransform t;
    EXPECT_TRUE(t.IsDefault());
    t.Turn(3, 90);
    // X of the scene now lies along Y of the standard view.
    std::array<double, 3> p = t.Apply(1, 0, 0);
    EXPECT_NEAR(p[0], 0, 1e-12);
    EXPECT_NEAR(p[1], 1, 1e-12);
    // A move along the scene's X follows the turned axis, scaled by the zoom.
    t.ZoomBy(2);
    t.Move(1, 0.5);
    p = t.Apply(0, 0, 0);
    EXPECT_NEAR(p[0], 0, 1e-12);
    EXPECT_NEAR(p[1], 1, 1e-12);
    // Many small turns keep lengths.
    for (int i = 0; i < 1000; ++i) {
        t.Turn(1 + i % 3, 7.3);
    }
    const std::array<double, 3> o = t.Apply(0, 0, 0);
    const std::array<double, 3> q = t.Apply(0.3, -0.4, 1.2);
    EXPECT_NEAR(std::hypot(q[0] - o[0], q[1] - o[1], q[2] - o[2]), 2 * 1.3, 1e-9);
    // The angles give the same rotation back.
    TSceneTransform back;
    const std::array<double, 3> a = t.Angles();
    back.SetAngles(a[0], a[1], a[2]);
    for (size_t i = 0; i < 9; ++i)
        EXPECT_NEAR(back.Rotation()[i], t.Rotation()[i], 1e-12) << i;
    // The zoom stays within its bounds.
    t.ZoomBy(1e6);
    EXPECT_EQ(t.Zoom(), MaxSceneZoom);
    t.ZoomBy(-1);
    EXPECT_EQ(t.Zoom(), MaxSceneZoom);
    t.Reset();
    EXPECT_TRUE(t.IsDefault());
}

TEST_F(TSceneFixture, ARoundDragTurnsTheSceneAboutItsCentre) {
    const TPoint2 standard = Sensor();
    for (int32_t command : {ccRoundX, ccRoundX + 1, ccRoundX + 2}) {
        SCOPED_TRACE(command);
        Core.Command(ccReset);
        const TPoint2 origin = Origin();
        const TPoint2 sensor = Sensor();
        Core.Command(command);
        Drag({origin.X + 60, origin.Y - 40}, {origin.X - 30, origin.Y - 80});
        // The centre stays, the sensor turns away from where it was, at its distance from
        // the centre in the scene.
        EXPECT_LT(Distance(Origin(), origin), 0.01);
        EXPECT_GT(Distance(Sensor(), sensor), 10);
        const std::array<double, 3> p = Draw.Scene().Apply(0.6, 0.3, -0.4);
        EXPECT_NEAR(std::hypot(p[0], p[1], p[2]), std::hypot(0.6, 0.3, -0.4), 1e-9);
        EXPECT_FALSE(Draw.HasHighlight());
    }
    // "Reset" brings the standard view back.
    const TPoint2 turned = Sensor();
    Core.Command(ccReset);
    EXPECT_TRUE(Draw.Scene().IsDefault());
    EXPECT_GT(Distance(Sensor(), turned), 10);
    EXPECT_LT(Distance(Sensor(), standard), 1e-9);
}

TEST_F(TSceneFixture, TheSideFacingTheViewerFollowsTheMouse) {
    // In the standard view Y runs up the screen, across the line of sight: a drag to the right
    // carries the near side of the scene to the right.
    Core.Command(ccRoundX + 1);
    const TPoint2 origin = Origin();
    // The nearer of two points on the X-Z circle moves with the mouse.
    const TPoint2 a0 = At(0.5, 0, 0), b0 = At(-0.5, 0, 0);
    Drag({origin.X, origin.Y + 50}, {origin.X + 40, origin.Y + 50});
    const TPoint2 a1 = At(0.5, 0, 0), b1 = At(-0.5, 0, 0);
    double wx, wy, za, zb;
    ProjectPoint(Draw.SceneProjection(), 0.5, 0, 0, wx, wy, za);
    ProjectPoint(Draw.SceneProjection(), -0.5, 0, 0, wx, wy, zb);
    const bool aNear = za < zb;
    const TPoint2& from = aNear ? a0 : b0;
    const TPoint2& to = aNear ? a1 : b1;
    EXPECT_GT(to.X - from.X, 5);
}

TEST_F(TSceneFixture, AMoveDragCarriesTheSceneInTheDragDirection) {
    for (int32_t command : {ccMoveX, ccMoveX + 1, ccMoveX + 2}) {
        SCOPED_TRACE(command);
        Core.Command(ccReset);
        const TPoint2 sensor = Sensor();
        const TPoint2 origin = Origin();
        Core.Command(command);
        // Along the axis as it shows in the window.
        const uint8_t axis = static_cast<uint8_t>(command - ccMoveX + 1);
        const TPoint2 end = At(axis == 1, axis == 2, axis == 3);
        const double dx = end.X - origin.X, dy = end.Y - origin.Y;
        const double len = std::hypot(dx, dy);
        const TPoint2 from{origin.X + 20, origin.Y + 20};
        const TPoint2 to{from.X + 60 * dx / len, from.Y + 60 * dy / len};
        Drag(from, to);
        const TPoint2 moved = Sensor();
        const double along = ((moved.X - sensor.X) * dx + (moved.Y - sensor.Y) * dy) / len;
        EXPECT_GT(along, 30);
        // Everything moves alike: the centre as far as the sensor, near enough.
        EXPECT_NEAR(Origin().X - origin.X, moved.X - sensor.X, 8);
        EXPECT_NEAR(Origin().Y - origin.Y, moved.Y - sensor.Y, 8);
    }
    Core.Command(ccToDefault);
    EXPECT_TRUE(Draw.Scene().IsDefault());
}

TEST_F(TSceneFixture, AZoomDragAndTheWheelBringTheSceneCloserOrFarther) {
    const TPoint2 origin = Origin();
    const double before = Distance(Sensor(), origin);
    Core.Command(ccZoom);
    Drag({200, 250}, {200, 150}); // up: closer
    const double closer = Distance(Sensor(), Origin());
    EXPECT_GT(closer, before * 1.3);
    EXPECT_LT(Distance(Origin(), origin), 0.01);
    Drag({200, 150}, {200, 350}); // down: farther
    EXPECT_LT(Distance(Sensor(), Origin()), closer / 1.5);
    Core.Command(ccReset);
    EXPECT_NEAR(Distance(Sensor(), origin), before, 1e-9);
    // The wheel zooms in every mode, a notch by a tenth.
    Draw.Wheel(120);
    EXPECT_NEAR(Distance(Sensor(), Origin()), before * 1.1, before * 0.02);
    Draw.Wheel(-240);
    EXPECT_LT(Distance(Sensor(), Origin()), before);
}

TEST_F(TSceneFixture, EscapeTakesTheDragBackAndTheLastSaveComesBack) {
    const TPoint2 sensor = Sensor();
    Core.Command(ccRoundX + 2);
    const TPoint2 origin = Origin();
    Core.LeftButtonDown(static_cast<int32_t>(origin.X + 50), static_cast<int32_t>(origin.Y));
    Core.MouseMove(static_cast<int32_t>(origin.X), static_cast<int32_t>(origin.Y - 50), true);
    EXPECT_GT(Distance(Sensor(), sensor), 10); // turning while the button is held
    EXPECT_TRUE(Draw.HasHighlight());          // the highlight stays as feedback
    Draw.KeyDown(vkEscape);
    EXPECT_LT(Distance(Sensor(), sensor), 1e-9);
    EXPECT_EQ(Changes, 0);

    Drag({origin.X + 50, origin.Y}, {origin.X, origin.Y - 50});
    EXPECT_EQ(Changes, 1);
    Draw.MarkSaved();
    const TPoint2 saved = Sensor();
    Drag({origin.X + 50, origin.Y}, {origin.X, origin.Y + 50});
    EXPECT_GT(Distance(Sensor(), saved), 10);
    Core.Command(ccToLastSave);
    EXPECT_LT(Distance(Sensor(), saved), 1e-9);
    Core.Command(ccToDefault);
    EXPECT_LT(Distance(Sensor(), sensor), 1e-9);
}

TEST(SceneTransformNode, TheViewKeepsItsTransformationAndOldViewsTheirBytes) {
    RegisterCoreClasses();
    RegisterView3dClasses();
    TProjectAE project;
    auto* loc = project.Db().AddNew<TGVCPULoc>();
    auto* graph = loc->AddNew<TGVCPUGr3D>();
    project.Db().AssignIDsDeep(false, *project.IDGenerator());
    auto* view = dynamic_cast<TGraph3DVC*>(graph->GetView());
    ASSERT_NE(view, nullptr);

    // The standard view writes no node.
    TNodePersist plain("OBJ");
    graph->SaveToNode(plain);
    ASSERT_NE(plain.FindNode("VisualClass"), nullptr);
    EXPECT_EQ(plain.FindNode("VisualClass")->FindNode(NodeScene), nullptr);

    // A turned, moved and zoomed view saves it and a copy loads it.
    TOGLManipulator& m = view->Container().Manipulator();
    TSceneTransform t;
    t.Turn(1, 25);
    t.Turn(2, -40);
    t.Move(3, 0.75);
    t.ZoomBy(1.5);
    m.SetScene(t);
    TNodePersist node("OBJ");
    graph->SaveToNode(node);
    const TNodePersist* scene = node.FindNode("VisualClass")->FindNode(NodeScene);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->GetValue("Zoom"), "1,5");
    auto* twin = loc->AddNew<TGVCPUGr3D>();
    twin->LoadFromNode(node);
    const TSceneTransform& loaded =
        dynamic_cast<TGraph3DVC*>(twin->GetView())->Container().Manipulator().Scene();
    for (size_t i = 0; i < 9; ++i)
        EXPECT_NEAR(loaded.Rotation()[i], t.Rotation()[i], 1e-13);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(loaded.Shift()[i], t.Shift()[i], 1e-13);
    EXPECT_EQ(loaded.Zoom(), 1.5);
    // Saved again untouched, the node is the same text.
    TNodePersist again("OBJ");
    twin->SaveToNode(again);
    const TNodePersist* scene2 = again.FindNode("VisualClass")->FindNode(NodeScene);
    ASSERT_NE(scene2, nullptr);
    for (const char* item : {"AngleX", "AngleY", "AngleZ", "ShiftX", "ShiftY", "ShiftZ", "Zoom"})
        EXPECT_EQ(scene2->GetValue(item), scene->GetValue(item)) << item;
    // A view without the node is the standard view; the user's change marks the project.
    twin->LoadFromNode(plain);
    EXPECT_TRUE(
        dynamic_cast<TGraph3DVC*>(twin->GetView())->Container().Manipulator().Scene().IsDefault());
    int modified = 0;
    project.OnModified = [&modified](TProjectAE&) { ++modified; };
    view->Container().Core().Command(ccToDefault);
    EXPECT_EQ(modified, 1);
    view->Container().Core().Command(ccReset); // already the standard view: no change
    EXPECT_EQ(modified, 1);
}

} // namespace
} // namespace vorelt
