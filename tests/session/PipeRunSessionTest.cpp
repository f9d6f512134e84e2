// The demo's "Pipe Run" page in the application on a real X server: the 3D graph gets an
// OpenGL scene, Run colours the sensors by their first hits in the rendered frame, and the
// round shortcut typed twice on the scene turns the axis to Y.

#include "../app/TDemoSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "common/TestData.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TScriptedDialogs.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TBaseObj3DVisials.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TOGLContainer.h"

#include <gtest/gtest.h>
#include <map>

using namespace vorelt;
using vorelt::test::TDemoSession;

namespace {

std::map<uint32_t, int> ColourCounts(const QImage& frame) {
    std::map<uint32_t, int> counts;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            ++counts[frame.pixel(x, y) & 0xFFFFFF];
    return counts;
}

} // namespace

TEST(PipeRunSession, TheDemoPageRendersTheSchemaWithItsActivity) {
    TDemoSession s;
    ASSERT_TRUE(s.Open());
    TFChild* child = s.Child;
    TGraph3DVC* view = s.ShowPipeRun();
    ASSERT_NE(view, nullptr);

    // Before Run: pipes and sensors in their own colours.
    std::map<uint32_t, int> before = ColourCounts(view->Container().GrabFrame());
    EXPECT_TRUE(view->Container().ErrorText().empty()) << view->Container().ErrorText();
    EXPECT_GT(before[TPipeObj3DVisials::DefaultColor], 500);
    EXPECT_GT(before[THostObj3DVisials::DefaultColor], 500);
    EXPECT_GT(before[TPAEObj3DVisials::DefaultColor], 11 * 50);

    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->Active(); }, 5000));
    std::map<uint32_t, int> after = ColourCounts(view->Container().GrabFrame());
    EXPECT_EQ(after[TPAEObj3DVisials::DefaultColor], 0);
    EXPECT_GT(after[TPipeObj3DVisials::DefaultColor], 500);
    // Each sensor shows in the colour of its level: the busiest one at least.
    std::map<uint32_t, int> sensorsOfColour;
    for (const TActivityEntry& e : view->Data().ActivityLegend())
        if (!e.Sensor.empty()) ++sensorsOfColour[ActivityColor(e.Level)];
    ASSERT_TRUE(sensorsOfColour.count(ActivityColor(ActivityLevels)));
    for (const auto& [colour, sensors] : sensorsOfColour)
        EXPECT_GT(after[colour], sensors * 50) << std::hex << colour;

    // "r" starts rotating about X; "r" again after the typing timer steps to Y.
    view->RequestFocus();
    const auto typed = [view] { return view->Container().Core().Mode() != cmTyping; };
    QTest::keyClick(&view->Container(), Qt::Key_R);
    ASSERT_TRUE(QTest::qWaitFor(typed, 5000));
    QTest::keyClick(&view->Container(), Qt::Key_R);
    ASSERT_TRUE(QTest::qWaitFor(typed, 5000));
    EXPECT_NE(view->TitleText().find("[ROUND FROM Y]"), std::string::npos) << view->TitleText();
    EXPECT_TRUE(s.Dialogs.Boxes.empty());
}
