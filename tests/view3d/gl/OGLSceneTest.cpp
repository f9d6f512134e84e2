// Frames of the 3D container rendered by a real context (Mesa under Xvfb, the xcb platform):
// a built schema's pipes and sensors appear in their colours where the captured projection
// puts them, the captured matrices are the ones the drag maths assumes, the manipulators draw,
// and a context the scene cannot use ends in "Error Load OpenGL" without a crash.

#include "persist/RegisterPersistClasses.h"
#include "processing/graph3d/RegisterGraph3DClasses.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DSchema.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "view2d/TScriptedDialogs.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLModeBar.h"
#include "view3d/TSchemaEditorF.h"
#include "view3d/TSchemaScene.h"
#include "viewmodel/dialogs/processors/TSchemaEditRules.h"

#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace vorelt {
namespace {

class TOwner : public IObj3DOwner {
public:
    void SchemaChanged(TAEOBJ3D&) override {}
    std::string NewObjectID() override { return std::to_string(1000000000000000 + ++FId); }
    int32_t NewIDGL() override { return ++FGl; }

private:
    int64_t FId = 0;
    int32_t FGl = 0;
};

bool NoDisplay() {
    return !TOGLContainer::DisplayAvailable();
}

void Set(TAEOBJ3D& o, const char* name, long double value) {
    o.Properties().FindAs<TGVProperty>(name)->SetAsFloat(value);
}

uint32_t Rgb(const QImage& img, double wx, double wy) {
    const int x = static_cast<int>(wx);
    const int y = img.height() - 1 - static_cast<int>(wy);
    return img.pixel(x, y) & 0xFFFFFF;
}

struct TSceneFixture : ::testing::Test {
    TSceneFixture() {
        RegisterPersistClasses();
        RegisterGraph3DClasses();
        Schema = std::make_unique<TAEOBJ3DPipesSchema>(&Owner);
        // Away from the axes, which are drawn over the scene.
        Set(*Schema, "BegCoordX", -5);
        Set(*Schema, "BegCoordY", -5);
        Set(*Schema, "BegCoordZ", 5);
        Pipe1 = AddSchemaObject(*Schema, TSchemaAddKind::Pipe);
        Set(*Pipe1, "Length", 10);
        Sensor1 = AddSchemaObject(*Pipe1, TSchemaAddKind::PAE);
        static_cast<TAEOBJ3DPAEPS*>(Sensor1)->SetChannel(1);
        Set(*Sensor1, "DeltaLength", 8);
        Pipe2 = AddSchemaObject(*Schema, TSchemaAddKind::Pipe);
        Set(*Pipe2, "Length", 8);
        Set(*Pipe2, "AngleXZ", 90);
        Sensor2 = AddSchemaObject(*Pipe2, TSchemaAddKind::PAE);
        static_cast<TAEOBJ3DPAEPS*>(Sensor2)->SetChannel(2);
        Set(*Sensor2, "DeltaLength", 6);
    }
    // Window position of a point `f` of the way along an element.
    void Along(const TAEOBJ3D* e, double f, double& wx, double& wy) {
        TPoint3 a, b;
        ASSERT_TRUE(e->CoordPoint(0, a));
        ASSERT_TRUE(e->CoordPoint(1, b));
        double wz;
        ASSERT_TRUE(ProjectPoint(Container->Draw()->Captured(),
                                 static_cast<double>(a.X + (b.X - a.X) * f),
                                 static_cast<double>(a.Y + (b.Y - a.Y) * f),
                                 static_cast<double>(a.Z + (b.Z - a.Z) * f), wx, wy, wz));
    }
    void Show(int w, int h) {
        Container = std::make_unique<TOGLContainer>();
        Container->resize(w, h);
        Container->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Container.get()));
    }
    TOwner Owner;
    std::unique_ptr<TAEOBJ3DPipesSchema> Schema;
    TAEOBJ3D* Pipe1;
    TAEOBJ3D* Sensor1;
    TAEOBJ3D* Pipe2;
    TAEOBJ3D* Sensor2;
    test::TScriptedDialogs Dialogs;
    std::unique_ptr<TOGLContainer> Container;
    // "caption|text" of every message box shown.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> boxes;
        for (size_t i = 0; i < Dialogs.Boxes.size(); ++i)
            boxes.push_back(Dialogs.Captions[i] + "|" + Dialogs.Boxes[i]);
        return boxes;
    }
};

TEST_F(TSceneFixture, PipesAndSensorsShowInTheirColoursWhereTheyProject) {
    if (NoDisplay()) GTEST_SKIP() << "needs a display (run under Xvfb on xcb)";
    Show(400, 400);
    ASSERT_TRUE(Container->HasGL());
    BuildSchemaScene(*Container, Schema.get());
    ASSERT_EQ(Container->VisualCount(), 4);
    const QImage img = Container->GrabFrame();
    ASSERT_FALSE(img.isNull());
    ASSERT_EQ(img.width(), 400);
    EXPECT_TRUE(Container->ErrorText().empty()) << Container->ErrorText();
    EXPECT_TRUE(Boxes().empty()) << (Boxes().empty() ? "" : Boxes()[0]);
    if (qEnvironmentVariableIsSet("VORELT_GL_SHOT"))
        img.save(qEnvironmentVariable("VORELT_GL_SHOT"));

    double x, y;
    Along(Pipe1, 0.3, x, y);
    EXPECT_EQ(Rgb(img, x, y), TPipeObj3DVisials::DefaultColor) << x << "," << y;
    Along(Pipe2, 0.3, x, y);
    EXPECT_EQ(Rgb(img, x, y), TPipeObj3DVisials::DefaultColor) << x << "," << y;
    Along(Sensor1, 0, x, y);
    EXPECT_EQ(Rgb(img, x, y), TPAEObj3DVisials::DefaultColor) << x << "," << y;
    Along(Sensor2, 0, x, y);
    EXPECT_EQ(Rgb(img, x, y), TPAEObj3DVisials::DefaultColor) << x << "," << y;
    // The background elsewhere.
    EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, 0u);

    // The matrices the draw captured are the ones the drag maths works with offscreen.
    const TGLProjection expected = StandardProjection(400, 400);
    const TGLProjection& captured = Container->Draw()->Captured();
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_NEAR(captured.Projection.M[i], expected.Projection.M[i], 1e-6) << i;
        EXPECT_NEAR(captured.ModelView.M[i], expected.ModelView.M[i], 1e-6) << i;
    }
    EXPECT_EQ(captured.Viewport, expected.Viewport);

    // Activity colours reach the sensors.
    BuildSchemaScene(*Container, Schema.get(),
                     [](const TSchemaShape& s) { return s.Channel == 1 ? 0xFF0000u : 0x3050FFu; });
    const QImage coloured = Container->GrabFrame();
    Along(Sensor1, 0, x, y);
    EXPECT_EQ(Rgb(coloured, x, y), 0xFF0000u);
    Along(Sensor2, 0, x, y);
    EXPECT_EQ(Rgb(coloured, x, y), 0x3050FFu);
}

TEST_F(TSceneFixture, ManipulatorsAndTheirHighlightAreDrawn) {
    if (NoDisplay()) GTEST_SKIP() << "needs a display (run under Xvfb on xcb)";
    Show(400, 400);
    auto count = [](const QImage& img, uint32_t rgb) {
        int n = 0;
        for (int yy = 0; yy < img.height(); ++yy)
            for (int xx = 0; xx < img.width(); ++xx)
                n += (img.pixel(xx, yy) & 0xFFFFFF) == rgb;
        return n;
    };
    const uint32_t magenta = 0xFF00FF;
    const uint32_t orange = 0xFF8000;
    EXPECT_EQ(count(Container->GrabFrame(), magenta), 0);
    for (int32_t command : {ccRoundX + 1, ccMoveX, ccZoom}) {
        Container->Perform(oglNotify, command);
        const QImage img = Container->GrabFrame();
        EXPECT_GT(count(img, magenta), 50) << command;
        EXPECT_EQ(count(img, orange), 0) << command;
        // A drag from the origin outward highlights in orange until the button comes up.
        double ox, oy, oz;
        ASSERT_TRUE(ProjectPoint(Container->Draw()->Captured(), 0, 0, 0, ox, oy, oz));
        const QPoint origin(static_cast<int>(ox), 400 - 1 - static_cast<int>(oy));
        QWidget* scene = Container->SceneWidget();
        QTest::mousePress(scene, Qt::LeftButton, {}, origin + QPoint(-60, 60));
        QMouseEvent move(QEvent::MouseMove, QPointF(origin + QPoint(60, -60)),
                         scene->mapToGlobal(QPointF(origin + QPoint(60, -60))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(scene, &move);
        ASSERT_TRUE(Container->Manipulator().HasHighlight()) << command;
        EXPECT_GT(count(Container->GrabFrame(), orange), 20) << command;
        QTest::mouseRelease(scene, Qt::LeftButton, {}, origin + QPoint(60, -60));
        EXPECT_FALSE(Container->Manipulator().HasHighlight());
        EXPECT_EQ(count(Container->GrabFrame(), orange), 0) << command;
    }
    Container->Perform(oglCancelMode, 0);
    EXPECT_EQ(count(Container->GrabFrame(), magenta), 0);
}

TEST_F(TSceneFixture, AContextWithoutTheFixedPipelineFailsWithoutACrash) {
    if (NoDisplay()) GTEST_SKIP() << "needs a display (run under Xvfb on xcb)";
    Container = std::make_unique<TOGLContainer>();
    QSurfaceFormat core = TOGLContainer::DefaultFormat();
    core.setProfile(QSurfaceFormat::CoreProfile);
    core.setVersion(3, 3);
    Container->SetSurfaceFormat(core);
    Container->resize(300, 300);
    Container->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Container.get()));
    BuildSchemaScene(*Container, Schema.get());
    // The message comes after the failed GL call has returned.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Boxes().empty(); }, 5000));
    EXPECT_EQ(Container->ErrorText().rfind("Error Load OpenGL\n", 0), 0u) << Container->ErrorText();
    EXPECT_TRUE(Container->GrabFrame().isNull());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "|" + Container->ErrorText());
    // Nothing is tried again: more paints add no second message.
    Container->Redraw();
    Container->resize(320, 310);
    Container->repaint();
    QApplication::processEvents();
    EXPECT_EQ(Boxes().size(), 1u);
    // A format that no context offers at all takes the same path.
    QSurfaceFormat impossible = TOGLContainer::DefaultFormat();
    impossible.setVersion(99, 0);
    Container->SetSurfaceFormat(impossible);
    Container->Redraw();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Container->ErrorText().empty(); }, 5000));
    EXPECT_EQ(Container->ErrorText().rfind("Error Load OpenGL\n", 0), 0u) << Container->ErrorText();
}

} // namespace
} // namespace vorelt

namespace vorelt {
namespace {

// The editor's own scene and the view's title, on a real context.
TEST_F(TSceneFixture, TheEditorSceneShowsTheSchemaAndTheViewTitleTheMode) {
    if (NoDisplay()) GTEST_SKIP() << "needs a display (run under Xvfb on xcb)";
    TSchemaEditorF editor(*Schema);
    editor.resize(900, 600);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    TOGLContainer& scene = editor.Container();
    ASSERT_TRUE(scene.HasGL());
    const QImage img = scene.GrabFrame();
    ASSERT_FALSE(img.isNull());
    EXPECT_TRUE(scene.ErrorText().empty()) << scene.ErrorText();
    ASSERT_EQ(scene.VisualCount(), 4);
    if (qEnvironmentVariableIsSet("VORELT_GL_SHOT"))
        img.save(qEnvironmentVariable("VORELT_GL_SHOT"));
    const TGLProjection& p = scene.Draw()->Captured();
    EXPECT_EQ(p.Viewport[2], img.width());
    EXPECT_EQ(p.Viewport[3], img.height());
    auto at = [&](const TAEOBJ3D* e, double f) {
        TPoint3 a, b;
        EXPECT_TRUE(e->CoordPoint(0, a));
        EXPECT_TRUE(e->CoordPoint(1, b));
        double wx = 0, wy = 0, wz = 0;
        EXPECT_TRUE(ProjectPoint(p, static_cast<double>(a.X + (b.X - a.X) * f),
                                 static_cast<double>(a.Y + (b.Y - a.Y) * f),
                                 static_cast<double>(a.Z + (b.Z - a.Z) * f), wx, wy, wz));
        return Rgb(img, wx, wy);
    };
    EXPECT_EQ(at(Pipe1, 0.3), TPipeObj3DVisials::DefaultColor);
    EXPECT_EQ(at(Pipe2, 0.3), TPipeObj3DVisials::DefaultColor);
    EXPECT_EQ(at(Sensor1, 0), TPAEObj3DVisials::DefaultColor);
    EXPECT_EQ(at(Sensor2, 0), TPAEObj3DVisials::DefaultColor);
    // A change in the editor is in the next frame: the first pipe now rises.
    editor.Select(Pipe1);
    editor.EnterText("edVertical", "90");
    const QImage raised = scene.GrabFrame();
    TPoint3 top;
    ASSERT_TRUE(Pipe1->CoordPoint(1, top));
    EXPECT_NEAR(static_cast<double>(top.Y), -0.5 + 1.0, 1e-12);
    double wx, wy, wz;
    ASSERT_TRUE(ProjectPoint(scene.Draw()->Captured(), static_cast<double>(top.X),
                             static_cast<double>(top.Y) - 0.3, static_cast<double>(top.Z), wx, wy,
                             wz));
    EXPECT_EQ(Rgb(raised, wx, wy), TPipeObj3DVisials::DefaultColor);

    // The view of a 3D graph on the same display: the title carries the mode.
    RegisterView3dClasses();
    TGVCPUGr3D graph;
    graph.SetName("3D01");
    TGraph3DVC& view = *dynamic_cast<TGraph3DVC*>(graph.GetView());
    QWidget page;
    page.resize(500, 400);
    view.SetParentWindow(&page);
    view.SetLeft(0);
    view.SetTop(0);
    view.SetWidth(500);
    view.SetHeight(400);
    view.SetVisible(true);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_TRUE(view.Container().HasGL());
    view.ModeBar().Command(ccRoundX + 1);
    EXPECT_EQ(view.TitleText(), "          3D01 [ROUND FROM Y]");
    EXPECT_FALSE(view.Container().GrabFrame().isNull());
    EXPECT_TRUE(view.Container().ErrorText().empty());
    // Views leave their page before it goes, as the project window does it.
    view.Detach();
}

} // namespace
} // namespace vorelt
