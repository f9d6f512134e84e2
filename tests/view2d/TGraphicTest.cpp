// The passive graph: the owner's objects come on a fill with ranges, a rectangle zoom only
// narrows and hands the transform to the owner, unzooming goes back; the popup items.

#include "view2d/TGraphic.h"
#include "view2d/TCanvasContainer.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <QAction>
#include <QApplication>

#include <gtest/gtest.h>

using namespace vorelt;

TEST(TGraphicTest, FillZoomAndUnzoomGoThroughTheOwner) {
    TGraphic g;
    g.resize(500, 400);
    g.show();
    QApplication::processEvents();
    TGraphic::SetRange(g.BottomAxis(), 0, 100);
    TGraphic::SetRange(g.LeftAxis(), 0, 10);
    int fills = 0, clears = 0;
    std::vector<TViewTransform> seen;
    g.OnFill = [&](TGraphic&) { ++fills; };
    g.OnClear = [&](TGraphic&) { ++clears; };
    g.OnTransform = [&](TGraphic&, const TViewTransform& t) { seen.push_back(t); };
    g.SetActive(true);
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(g.ZoomView(0));
    EXPECT_FALSE(g.MenuItem("mZoomVC")->isEnabled());
    EXPECT_EQ(g.MenuItem("mVisualClass")->text(), "Edit");

    // The left half of the plot, beyond its top and bottom: only the bottom range narrows.
    const int w = g.Container()->Mapping()->Width(), h = g.Container()->Mapping()->Height();
    g.SelectRect(0, -20, w / 2, h + 20);
    ASSERT_NE(g.InfoRect(), nullptr);
    EXPECT_TRUE(g.MenuItem("mZoomVC")->isEnabled());
    g.MenuItem("mZoomVC")->trigger();
    EXPECT_EQ(g.InfoRect(), nullptr);
    ASSERT_EQ(seen.size(), 1u);
    long double lo = 0, hi = 0;
    g.BottomAxis().CurrentRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_NEAR(static_cast<double>(hi), 50.0, 1.0);
    EXPECT_NEAR(static_cast<double>(seen[0].XScale), 100.0 / static_cast<double>(hi), 1e-9);
    g.LeftAxis().CurrentRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 10);
    EXPECT_EQ(seen[0].YScaleLeft, 1);
    EXPECT_TRUE(g.Zoomed());

    g.MenuItem("mUnzoomAllVC")->trigger();
    EXPECT_FALSE(g.Zoomed());
    g.BottomAxis().CurrentRange(lo, hi);
    EXPECT_EQ(hi, 100);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[1].Refill);
    g.SetActive(false);
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(clears, 2);
}
