// The graphs of the demo project in a real window: Run, a band dragged on the point plot,
// "Zoom" and "Unzoom All" from the view's Edit menu, a band again and "Delete": the graph
// shows itself outdated, Run again and the points are gone, and they stay gone after the
// project was saved, closed and opened again (the companion log keeps the deletion).

#include "../app/TDemoSession.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::DragBand;
using vorelt::test::TDemoSession;

namespace {

int DrawnPoints(TGraphVC& g) {
    auto* p = dynamic_cast<TGraphPointAEVObject*>(g.SeriesObject(*g.Series().Get(0)));
    return p ? p->Points().Count() : -1;
}

void Shot(QWidget& w, const std::string& file) {
    if (!file.empty()) w.grab().save(QString::fromStdString(file));
}

} // namespace

TEST(GraphSession, ZoomDeleteRunAndReopenOnTheDemoProject) {
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    TLongShoF::SetMinimumShowTime(50);
    int afterDelete = 0;
    {
        ASSERT_TRUE(s.Open());
        s.ShowPage(1);
        TGraphVC* g = s.Graph("Amplitude");
        ASSERT_NE(g, nullptr);
        ASSERT_NE(s.Graph("Hits per Channel"), nullptr);
        ASSERT_NE(s.Graph("Counts vs Amplitude"), nullptr);
        s.Run();
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
        Shot(*s.Main, vorelt::test::ShotFile("graph-zoomed.png"));
        g->MenuItem("mUnzoomAllVC")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(g->BottomAxis().CurMin()->GetAsFloat(), lo);
        EXPECT_EQ(g->BottomAxis().CurMax()->GetAsFloat(), hi);

        // Over hits of the first burst, behind the margin the plot leaves left of the data.
        DragBand(*g, 0.045, 0.07);
        ASSERT_NE(g->InfoRect(), nullptr);
        const size_t found = g->FoundPositions().size();
        ASSERT_GT(found, 0u);
        g->MenuItem("mDeleteVC")->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(g->Outdated() || DrawnPoints(*g) < before);
        s.Run();
        ASSERT_TRUE(g->Active());
        afterDelete = DrawnPoints(*g);
        EXPECT_EQ(afterDelete, before - static_cast<int>(found));
        Shot(*s.Main, vorelt::test::ShotFile("graph-deleted.png"));
        s.Dialogs.Boxes.clear();
        s.Child->Action("mSaveProject")->trigger();
        EXPECT_TRUE(s.Main->close());
    }
    {
        ASSERT_TRUE(s.Open());
        s.ShowPage(1);
        TGraphVC* g = s.Graph("Amplitude");
        ASSERT_NE(g, nullptr);
        s.Run();
        ASSERT_TRUE(g->Active());
        EXPECT_EQ(DrawnPoints(*g), afterDelete);
        Shot(*s.Main, vorelt::test::ShotFile("graph-page.png"));
        EXPECT_TRUE(s.Main->close());
    }
}
