// The 3D container's interaction without a display: modes and commands, the typed shortcuts
// and their timer, right clicks, the manipulator's drag record and highlight, and the widget
// on the offscreen platform (no GL widget, the panel instead).

#include "view3d/TBaseObj3DVisials.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLContainerCore.h"
#include "view3d/TOGLManipulator.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace vorelt {
namespace {

// Records what the container asks of its window and tells its owner, in order.
class TFakeHost : public IOGLContainerHost {
public:
    void StartShortCutTimer() override {
        TimerRunning = true;
        Log.push_back("timer");
    }
    void StopShortCutTimer() override { TimerRunning = false; }
    void NotifyOwner(int32_t code) override { Log.push_back("notify " + std::to_string(code)); }
    bool TimerRunning = false;
    std::vector<std::string> Log;
};

struct TContainerFixture : ::testing::Test {
    TContainerFixture() : Core(Host, Draw) {
        Draw.OnRepaint = [this] { ++Repaints; };
        Core.OnClickPoint = [this](int32_t x, int32_t y, int32_t flag) {
            Host.Log.push_back("click " + std::to_string(x) + "," + std::to_string(y) + "," +
                               std::to_string(flag));
        };
    }
    void Type(const std::string& keys) {
        for (char c : keys)
            Core.KeyDown(static_cast<unsigned char>(c));
    }
    // The timer fires 250 ms after the last key.
    void Fire() {
        ASSERT_TRUE(Host.TimerRunning);
        Core.ShortCutTimer();
        EXPECT_FALSE(Host.TimerRunning);
    }
    int Count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : Host.Log)
            n += e == entry;
        return n;
    }
    TFakeHost Host;
    TOGLManipulator Draw;
    TOGLContainerCore Core;
    int Repaints = 0;
};

TEST_F(TContainerFixture, TwoLettersWithinTheTimerGiveOneMoveAlongX) {
    Type("mm");
    EXPECT_EQ(Core.Mode(), cmTyping);
    EXPECT_EQ(Core.ShortCutText(), "mm");
    EXPECT_EQ(Core.ModeText(), "");
    Fire();
    EXPECT_EQ(Core.Mode(), cmMove);
    EXPECT_EQ(Core.Axis(), axX);
    EXPECT_EQ(Count("notify 0"), 1);
    EXPECT_EQ(Draw.State(), msMove);
    EXPECT_EQ(Draw.Axis(), axX);
    EXPECT_EQ(Draw.Shown(), mvArrows);
    EXPECT_EQ(Core.ModeText(), "MOVE AT X");
}

TEST_F(TContainerFixture, TheSameLetterAfterTheTimerStepsTheAxis) {
    Type("m");
    Fire();
    Type("m");
    Fire();
    EXPECT_EQ(Core.Mode(), cmMove);
    EXPECT_EQ(Core.Axis(), axY);
    EXPECT_EQ(Draw.Axis(), axY);
    EXPECT_EQ(Core.ModeText(), "MOVE AT Y");
    Type("M");
    Fire();
    Type(" m ");
    Fire();
    EXPECT_EQ(Core.Axis(), axX); // X -> Y -> Z -> X
    EXPECT_EQ(Count("notify 0"), 4);
    // The letter of Wait, Zoom or Select in its own mode does nothing.
    Type("z");
    Fire();
    EXPECT_EQ(Core.Mode(), cmZoom);
    EXPECT_EQ(Draw.State(), msZoom);
    Host.Log.clear();
    Type("z");
    Fire();
    EXPECT_EQ(Core.Mode(), cmZoom);
    EXPECT_EQ(Count("notify 0"), 0);
}

TEST_F(TContainerFixture, ALetterWithoutAModeGoesToTheDraw) {
    Type("r");
    Fire();
    ASSERT_EQ(Core.Mode(), cmRound);
    Host.Log.clear();
    Type("x");
    Fire();
    EXPECT_EQ(Core.Mode(), cmRound);
    EXPECT_EQ(Core.Axis(), axX);
    EXPECT_EQ(Draw.LastKey(), 'x');
    EXPECT_EQ(Count("notify 0"), 0);
    // Escape typed during a drag ends it once the timer has run.
    Draw.LeftButtonDown(10, 10);
    ASSERT_TRUE(Draw.HasHighlight());
    Core.KeyDown(vkEscape);
    Fire();
    EXPECT_FALSE(Draw.HasHighlight());
}

TEST_F(TContainerFixture, BackspaceMakesTheTextAMinusThatSelectsNothing) {
    Core.KeyDown(vkBack);
    EXPECT_EQ(Core.ShortCutText(), "-");
    Type("m");
    EXPECT_EQ(Core.ShortCutText(), "-m");
    Core.KeyDown(vkBack);
    EXPECT_EQ(Core.ShortCutText(), "-");
    Fire();
    EXPECT_EQ(Core.Mode(), cmWait);
    EXPECT_EQ(Draw.LastKey(), vkBack);
    EXPECT_EQ(Count("notify 0"), 0);
}

TEST_F(TContainerFixture, LettersAreSearchedInTheirOwnOrder) {
    // R comes before M in the search, wherever it stands in the text.
    Type("mr");
    Fire();
    EXPECT_EQ(Core.Mode(), cmRound);
    EXPECT_EQ(Core.ModeText(), "ROUND FROM X");
    // V leaves the mode and issues command 3.
    Host.Log.clear();
    Type("sv");
    Fire();
    EXPECT_EQ(Core.Mode(), cmWait);
    EXPECT_EQ(Core.Axis(), axNone);
    EXPECT_EQ(Draw.State(), msIdle);
    EXPECT_EQ(Host.Log.back(), "notify 3");
}

TEST_F(TContainerFixture, ARightClickInMoveLeavesTheModeThenReportsThePoint) {
    Core.Command(ccMoveX + 2);
    ASSERT_EQ(Core.ModeText(), "MOVE AT Z");
    Host.Log.clear();
    Core.RightButtonDown(30, 40);
    EXPECT_EQ(Core.Mode(), cmWait);
    EXPECT_EQ(Draw.State(), msIdle);
    EXPECT_EQ(Draw.Shown(), mvNone);
    ASSERT_EQ(Host.Log.size(), 2u);
    EXPECT_EQ(Host.Log[0], "notify 0");
    EXPECT_EQ(Host.Log[1], "click 30,40,1");
    // In Wait only the point is reported.
    Core.RightButtonDown(1, 2);
    EXPECT_EQ(Host.Log.back(), "click 1,2,1");
    EXPECT_EQ(Count("notify 0"), 1);
}

TEST_F(TContainerFixture, ReleasingTheButtonRemovesTheHighlight) {
    Core.Command(ccMoveX);
    Core.LeftButtonDown(200, 150);
    EXPECT_TRUE(Draw.HasHighlight());
    EXPECT_EQ(Draw.Drag().StartX, 200);
    const int before = Repaints;
    Core.MouseMove(210, 140, true);
    EXPECT_EQ(Repaints, before + 1);
    EXPECT_EQ(Draw.Drag().CurrentX, 210);
    Core.LeftButtonUp(210, 140);
    EXPECT_FALSE(Draw.HasHighlight());
    EXPECT_EQ(Draw.Drag().StartX, -1);
    EXPECT_EQ(Repaints, before + 2);

    // Moving without the button ends the drag and draws nothing.
    Core.LeftButtonDown(200, 150);
    const int down = Repaints;
    Core.MouseMove(220, 130, false);
    EXPECT_FALSE(Draw.Drag().Dragging);
    EXPECT_EQ(Repaints, down);
    // In Wait and Select the mouse does not reach the draw.
    Core.Command(ccSelect);
    Core.LeftButtonDown(5, 5);
    EXPECT_FALSE(Draw.HasHighlight());
}

TEST_F(TContainerFixture, CommandsLeaveTheModeAndEnterTheNext) {
    Core.Command(ccZoom);
    EXPECT_EQ(Core.ModeText(), "ZOOM");
    EXPECT_EQ(Draw.Shown(), mvZoomBar);
    Core.Command(ccRoundX + 1);
    EXPECT_EQ(Core.ModeText(), "ROUND FROM Y");
    EXPECT_EQ(Draw.State(), msRotate);
    EXPECT_EQ(Draw.Shown(), mvDisk);
    EXPECT_EQ(Draw.Axis(), axY);
    Host.Log.clear();
    Core.Command(ccToDefault);
    EXPECT_EQ(Core.Mode(), cmWait);
    EXPECT_EQ(Draw.State(), msIdle);
    EXPECT_EQ(Host.Log, (std::vector<std::string>{"notify 1"}));
    // Select has no manipulator; losing the focus leaves it.
    Core.Command(ccSelect);
    EXPECT_EQ(Core.ModeText(), "SELECT");
    EXPECT_EQ(Draw.State(), msIdle);
    Core.Perform(oglCancelMode, 0);
    EXPECT_EQ(Core.ModeText(), "WAIT");
    Host.Log.clear();
    Core.Perform(oglCancelMode, 0); // nothing to leave in Wait
    Core.Perform(oglIgnored, 0);
    EXPECT_TRUE(Host.Log.empty());
    EXPECT_EQ(TOGLContainerCore::ModeText(cmRound, axNone), "");
    EXPECT_EQ(TOGLContainerCore::ModeText(cmTyping, axX), "");
}

TEST_F(TContainerFixture, AShortcutTheOwnerTakesEndsTheMode) {
    std::string seen;
    Core.OnShortCut = [&seen](const std::string& text) {
        seen = text;
        return text.find('l') != std::string::npos;
    };
    Core.Command(ccRoundX);
    Type("l");
    Fire();
    EXPECT_EQ(seen, "l");
    EXPECT_EQ(Core.Mode(), cmWait);
    EXPECT_EQ(Draw.State(), msIdle);
    // Refused texts are interpreted as usual.
    Type("m");
    Fire();
    EXPECT_EQ(seen, "m");
    EXPECT_EQ(Core.Mode(), cmMove);
}

TEST(OGLManipulator, DragRecordFollowsTheProjectedAxes) {
    TOGLManipulator m;
    const TGLProjection p = StandardProjection(400, 400);
    m.SetProjection(p);
    double ox, oy, oz;
    ASSERT_TRUE(ProjectPoint(p, 0, 0, 0, ox, oy, oz));
    // The window row of a point counted from the top.
    auto row = [](double upY) { return static_cast<int32_t>(400 - 1 - upY + 0.5); };

    m.Perform(oglEnterMove, axY);
    // Pressed on the origin: no stretch yet.
    m.LeftButtonDown(static_cast<int32_t>(ox + 0.5), row(oy));
    EXPECT_NEAR(m.Drag().T0, 0, 0.02);
    EXPECT_EQ(m.Drag().T1, m.Drag().T0);
    // Far above: clamped to 1; far below: -1.
    m.MouseMove(static_cast<int32_t>(ox), 0, true);
    EXPECT_EQ(m.Drag().T1, 1.0f);
    m.MouseMove(static_cast<int32_t>(ox), 399, true);
    EXPECT_EQ(m.Drag().T1, -1.0f);
    // The drag moved the scene; Escape puts it back for the angles below.
    m.KeyDown(vkEscape);
    EXPECT_TRUE(m.Scene().IsDefault());
    m.LeftButtonUp(0, 0);

    m.Perform(oglLeaveMove, 0);
    EXPECT_EQ(m.State(), msIdle);
    m.Perform(oglEnterRotate, axX);
    const int32_t cx = static_cast<int32_t>(ox + 0.5);
    const int32_t cy = row(oy);
    m.LeftButtonDown(cx + 50, cy - 50); // upper right of the origin
    EXPECT_EQ(m.Drag().Quadrant, 1);
    const float startX = m.Drag().StartAngle;
    m.LeftButtonDown(cx + 50, cy + 50);
    EXPECT_EQ(m.Drag().Quadrant, 2);
    m.LeftButtonDown(cx - 50, cy + 50);
    EXPECT_EQ(m.Drag().Quadrant, 3);
    m.LeftButtonDown(cx - 50, cy - 50);
    EXPECT_EQ(m.Drag().Quadrant, 4);
    // About Z the angles turn the other way.
    m.Perform(oglAxisChanged, axZ);
    EXPECT_FALSE(m.HasHighlight());
    m.LeftButtonDown(cx + 50, cy - 50);
    EXPECT_FLOAT_EQ(m.Drag().StartAngle, -startX);
    m.MouseMove(cx, cy - 50, true);
    const float sweepZ = m.Drag().SweepAngle;
    m.Perform(oglAxisChanged, axX);
    m.LeftButtonDown(cx + 50, cy - 50);
    m.MouseMove(cx, cy - 50, true);
    EXPECT_FLOAT_EQ(m.Drag().SweepAngle, -sweepZ);
    EXPECT_NE(sweepZ, 0);
    // About Y the start angle is shifted by the quadrant.
    m.Perform(oglAxisChanged, axY);
    m.LeftButtonDown(cx + 50, cy - 50);
    EXPECT_FLOAT_EQ(m.Drag().StartAngle, startX + 120);
    m.LeftButtonDown(cx + 50, cy + 50);
    EXPECT_EQ(m.Drag().Quadrant, 2);
}

TEST(OGLMatrix, TheStandardProjectionMatchesTheGLCalls) {
    const TGLProjection p = StandardProjection(640, 480);
    double wx, wy, wz;
    ASSERT_TRUE(ProjectPoint(p, 0, 0, 0, wx, wy, wz));
    // The origin lies 8 units in front of the eye, on the axis of the frustum.
    EXPECT_NEAR(wx, 320, 1e-9);
    EXPECT_NEAR(wy, 240, 1e-9);
    EXPECT_GT(wz, 0);
    EXPECT_LT(wz, 1);
    // Rotated 70 degrees about Y, +X runs to the right less than +Z runs to the left; tilted
    // 30 degrees about X, +Y goes up on the screen.
    double ux, uy, uz;
    ASSERT_TRUE(ProjectPoint(p, 0, 1, 0, ux, uy, uz));
    EXPECT_GT(uy, wy);
    TGLMatrix r;
    r.Rotate(90, 0, 0, 1);
    EXPECT_NEAR(r.At(0, 1), -1, 1e-12);
    EXPECT_NEAR(r.At(1, 0), 1, 1e-12);
}

TEST(OGLContainerWidget, OffscreenItHoldsAPanelAndTheTimerEndsShortcuts) {
    ASSERT_FALSE(TOGLContainer::DisplayAvailable());
    TOGLContainer c;
    c.resize(300, 200);
    c.show();
    EXPECT_FALSE(c.HasGL());
    auto* panel = c.findChild<QLabel*>("pnlNoDisplay");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text().toStdString(), txtNeedsDisplay);
    EXPECT_TRUE(c.GrabFrame().isNull());
    std::vector<int32_t> notes;
    c.OnNotify = [&notes](TOGLContainer&, int32_t code) { notes.push_back(code); };
    c.setFocus();
    QTest::keyClicks(&c, "mm");
    EXPECT_EQ(c.Core().Mode(), cmTyping);
    // The typed text is read when the shortcut timer ends.
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.ModeText() == "MOVE AT X"; }, 5000)) << c.ModeText();
    EXPECT_EQ(notes, (std::vector<int32_t>{0}));
    QTest::keyClick(&c, 'm');
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.ModeText() == "MOVE AT Y"; }, 5000)) << c.ModeText();
    // A right click on the panel leaves the mode and reports the point.
    std::vector<int32_t> clicks;
    c.OnClickPoint = [&clicks](TOGLContainer&, int32_t x, int32_t y, int32_t) {
        clicks.push_back(x);
        clicks.push_back(y);
    };
    QTest::mouseClick(&c, Qt::RightButton, {}, QPoint(40, 50));
    EXPECT_EQ(c.ModeText(), "WAIT");
    EXPECT_EQ(clicks.size(), 2u);
    // Visual objects: -1 appends, a position inside the list puts the object in front.
    TSchemaShape a;
    a.IDGL = 1;
    TSchemaShape b;
    b.IDGL = 2;
    TSchemaShape d;
    d.IDGL = 3;
    c.AddVisual(std::make_unique<TPipeObj3DVisials>(a));
    c.AddVisual(std::make_unique<TPipeObj3DVisials>(b), 5);
    c.AddVisual(std::make_unique<TPipeObj3DVisials>(d), 1);
    ASSERT_EQ(c.VisualCount(), 3);
    EXPECT_EQ(c.Visual(0)->Name(), 3);
    EXPECT_EQ(c.Visual(1)->Name(), 1);
    EXPECT_EQ(c.Visual(2)->Name(), 2);
    c.ClearVisuals();
    EXPECT_EQ(c.VisualCount(), 0);
}

TEST(OGLVisuals, SensorLabelsStayReadableOnEitherBackground) {
    using TRgb = std::array<float, 3>;
    const TRgb white{1, 1, 1};
    const TRgb black{0, 0, 0};
    const float face = 240.0f / 255;
    // The view's white labels: kept on its dark active background, black on the light face.
    EXPECT_EQ(ReadableLabelColor(white, {0, 0, 0, 1}), white);
    EXPECT_EQ(ReadableLabelColor(white, {face, face, face, 1}), black);
    // A label that shows is never changed, whatever its hue.
    EXPECT_EQ(ReadableLabelColor(TRgb{1, 1, 0}, {0, 0, 0.2f, 1}), (TRgb{1, 1, 0}));
    EXPECT_EQ(ReadableLabelColor(black, {1, 1, 1, 1}), black);
    // Dark red on black hardly shows: white instead.
    EXPECT_EQ(ReadableLabelColor(TRgb{0.8f, 0, 0}, {0, 0, 0, 1}), white);
}

} // namespace
} // namespace vorelt
