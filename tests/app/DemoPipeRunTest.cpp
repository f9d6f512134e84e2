// The demo project in the application's window on the offscreen platform: the table stays on
// the first page, the "Pipe Run" page holds the 3D graph of a location branch, which shows the
// panel instead of a GL widget; Run collects the first hits of the demo file, colours the
// schema's sensors and places the events located along the pipes.

#include "TDemoSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "common/TestData.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TOGLContainer.h"

#include <QLabel>
#include <gtest/gtest.h>
#include <set>

using namespace vorelt;
using vorelt::test::TDemoSession;
using vorelt::test::TScriptedDialogs;

namespace {

void CollectChannels(const TAEOBJ3D& o, std::multiset<int32_t>& channels) {
    if (const auto* s = dynamic_cast<const TAEOBJ3DPAEPS*>(&o)) channels.insert(s->Channel());
    for (int i = 0; i < o.ChildCount(); ++i)
        CollectChannels(*o.Child(i), channels);
}

} // namespace

TEST(DemoProject, ThePipeRunPageShowsThe3DGraphAndRunColoursItsSensors) {
    TDemoSession s;
    ASSERT_TRUE(s.Open());
    TFChild* child = s.Child;
    TScriptedDialogs& dialogs = s.Dialogs;
    QTabWidget* pages = child->PageControl();
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->tabText(2), "Pipe Run");
    EXPECT_EQ(pages->tabText(3), "Located Sources");

    TGraph3DVC* view = nullptr;
    int viewPage = -1;
    int tablePage = -1;
    child->ForEachPlacedView([&](int page, int, TGVVisualClass* v) {
        if (auto* g = dynamic_cast<TGraph3DVC*>(v)) {
            view = g;
            viewPage = page;
        }
        if (dynamic_cast<TTableVC*>(v)) tablePage = page;
    });
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(viewPage, 2);
    EXPECT_EQ(tablePage, 0);
    auto* sources = dynamic_cast<TGVCPUSourceLoc*>(view->Graph()->Parent());
    ASSERT_NE(sources, nullptr);
    EXPECT_NE(dynamic_cast<TGVCPULoc*>(sources->Parent()), nullptr);
    // The sensors of the schema, on their pipes, for locating along them.
    EXPECT_EQ(sources->Layout().Count(), 11);
    EXPECT_EQ(sources->Layout().Method(), TLocMethod::Linear);

    // Eleven sensors, one per channel, all on channels of the 12-channel demo file.
    ASSERT_NE(view->Data().Schema(), nullptr);
    std::multiset<int32_t> channels;
    CollectChannels(*view->Data().Schema(), channels);
    EXPECT_EQ(channels.size(), 11u);
    EXPECT_EQ(std::set<int32_t>(channels.begin(), channels.end()).size(), 11u);
    EXPECT_EQ(*channels.begin(), 1);
    EXPECT_EQ(*channels.rbegin(), 11);

    // On its page the view fills the sheet; offscreen its scene is the plain panel.
    pages->setCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_TRUE(view->Panel()->isVisible());
    EXPECT_GT(view->Panel()->width(), pages->currentWidget()->width() * 9 / 10);
    EXPECT_FALSE(view->Container().HasGL());
    bool told = false;
    for (QLabel* l : view->Container().findChildren<QLabel*>())
        told |= l->text().contains(txtNeedsDisplay);
    EXPECT_TRUE(told);
    EXPECT_EQ(view->CheckReady(), -1);

    dialogs.Boxes.clear();
    child->ExecuteCommand(cmRun);
    QApplication::processEvents();
    ASSERT_TRUE(view->Active());
    EXPECT_TRUE(dialogs.Boxes.empty()) << dialogs.Boxes.front();
    // Every channel of the file heard first hits; channel 12 has no sensor in the schema.
    const std::vector<TActivityEntry> legend = view->Data().ActivityLegend();
    ASSERT_EQ(legend.size(), 12u);
    int32_t busiest = 0;
    for (const TActivityEntry& e : legend) {
        EXPECT_GT(e.FirstHits, 0) << "channel " << e.Channel;
        EXPECT_EQ(e.Sensor.empty(), e.Channel == 12) << "channel " << e.Channel;
        busiest = std::max(busiest, e.Level);
    }
    EXPECT_EQ(busiest, ActivityLevels);
    // Events located on the pipes stand on them in the scene.
    int located = 0;
    for (const TSourceEvent& e : sources->Events())
        located += e.Located && e.Pipe >= 0;
    EXPECT_GT(located, 0);
    EXPECT_EQ(view->SourceMarkerCount(), located);
    // The legend stands beside the scene, not over it.
    ASSERT_TRUE(view->Legend()->isVisible());
    const QRect scene = view->Container().geometry();
    const QRect key = view->Legend()->geometry();
    EXPECT_FALSE(scene.intersects(key));
    EXPECT_GE(key.left(), scene.right());
}
