// The graph view over an in-memory stream: filling, zooming by rectangle and by the typed
// shortcuts of checked graphs, channel splitting, requests by rectangle, colour schemes and
// persistence.

#include "TStreamGraph.h"

#include "model/TAEFieldIDs.h"
#include "persist/TNodePersist.h"
#include "processing/IProcessorContext.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TGraphLineAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

struct TGraphViewFixture : TStreamGraphFixture {
    void SetUp() override {
        TStreamGraphFixture::SetUp();
        page.show();
        AddRampHits();
    }
    TGraphVC* NewGraph(const char* name, const char* id, uint8_t type = stPointPlot) {
        TGraphVC* view = AddAmplitudeGraph(*source, &page, type, name, id);
        EXPECT_NE(view, nullptr);
        return view;
    }
    static long double CurMin(TGrAixs& a) { return a.CurMin()->GetAsFloat(); }
    static long double CurMax(TGrAixs& a) { return a.CurMax()->GetAsFloat(); }
    static TGraphPointAEVObject* Points(TGraphVC& v) {
        return dynamic_cast<TGraphPointAEVObject*>(v.SeriesObject(*v.Series().Get(0)));
    }
    // A band over the middle of the plot.
    static void Band(TGraphVC& v, double from = 0.25, double to = 0.75) {
        v.SetFocusedView(true);
        const int w = v.Container()->Mapping()->Width(), h = v.Container()->Mapping()->Height();
        v.SelectRect(TRectInt{static_cast<int32_t>(w * from), static_cast<int32_t>(h * 0.05),
                              static_cast<int32_t>(w * to), static_cast<int32_t>(h * 0.95)});
    }
};

} // namespace

TEST_F(TGraphViewFixture, RunFillsThePointPlotAndTheAxes) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901");
    v->SetActive(true);
    ASSERT_TRUE(v->Active()) << v->FillError();
    EXPECT_EQ(v->RecordsRead(), 100);
    ASSERT_NE(Points(*v), nullptr);
    EXPECT_EQ(Points(*v)->Points().Count(), 100);
    // The data span 0 .. 99: 3 % of the span on each side, rounded outward to whole numbers.
    EXPECT_EQ(CurMin(v->BottomAxis()), -3);
    EXPECT_EQ(CurMax(v->BottomAxis()), 102);
    EXPECT_EQ(v->TitleText().find("[Zoom]"), std::string::npos);
    EXPECT_NE(v->TitleText().find(" vs "), std::string::npos);
    v->SetActive(false);
    EXPECT_EQ(Points(*v)->Points().Count(), 0);
}

TEST_F(TGraphViewFixture, TheCollectedRangeSkipsWhatALogarithmicAxisCannotShow) {
    AddHit(*source, 100, 1, 0);
    AddHit(*source, 101, 2, -5);
    AddHit(*source, 102, 3, 7);
    TGraphVC* v = NewGraph("GR1", "0000000000000901");
    v->LeftAxis().SetTypeScale(tsLogarithmic);
    v->SetActive(true);
    ASSERT_TRUE(v->Active()) << v->FillError();
    EXPECT_EQ(v->RecordsRead(), 103);
    EXPECT_EQ(Points(*v)->Points().Count(), 101);
    EXPECT_EQ(v->LeftAxis().Min()->GetAsFloat(), 7);
    EXPECT_EQ(v->LeftAxis().Max()->GetAsFloat(), 100);
    EXPECT_EQ(v->BottomAxis().Min()->GetAsFloat(), 0);
    EXPECT_EQ(v->BottomAxis().Max()->GetAsFloat(), 102);
}

TEST_F(TGraphViewFixture, ARectangleZoomNarrowsAndUnzoomAllRestores) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901");
    v->SetActive(true);
    const long double lo = CurMin(v->BottomAxis()), hi = CurMax(v->BottomAxis());
    Band(*v);
    ASSERT_NE(v->InfoRect(), nullptr);
    QAction* zoom = v->MenuItem("mZoomVC");
    ASSERT_NE(zoom, nullptr);
    EXPECT_TRUE(zoom->isEnabled());
    EXPECT_EQ(zoom->text(), "Zoom");
    zoom->trigger();
    EXPECT_EQ(v->InfoRect(), nullptr);
    EXPECT_GT(CurMin(v->BottomAxis()), lo);
    EXPECT_LT(CurMax(v->BottomAxis()), hi);
    const std::string title = v->TitleText();
    EXPECT_EQ(title.substr(title.size() - 7), " [Zoom]");
    // The drawn points moved with the range: those now outside lie beyond the sheet.
    int inside = 0;
    const TAEVPointList& p = Points(*v)->Points();
    for (int i = 0; i < p.Count(); ++i)
        if (p.X(i) >= 0 && p.X(i) <= LogicalWidthUnits) ++inside;
    EXPECT_GT(inside, 30);
    EXPECT_LT(inside, 70);
    v->MenuItem("mUnzoomAllVC")->trigger();
    EXPECT_EQ(CurMin(v->BottomAxis()), lo);
    EXPECT_EQ(CurMax(v->BottomAxis()), hi);
    EXPECT_TRUE(v->Zoom().Empty());
}

TEST_F(TGraphViewFixture, TypedZOnACheckedGraphZoomsTheOtherCheckedGraph) {
    TGraphVC* a = NewGraph("GR1", "0000000000000901");
    TGraphVC* b = NewGraph("GR2", "0000000000000902");
    TGraphVC* c = NewGraph("GR3", "0000000000000903");
    for (TGraphVC* v : {a, b, c})
        v->SetActive(true);
    a->SetCheckMark(true);
    b->SetCheckMark(true);
    Band(*a);
    EXPECT_TRUE(a->ShortCut(" z "));
    EXPECT_FALSE(a->Zoom().Empty());
    EXPECT_EQ(CurMin(b->BottomAxis()), CurMin(a->BottomAxis()));
    EXPECT_EQ(CurMax(b->BottomAxis()), CurMax(a->BottomAxis()));
    EXPECT_FALSE(b->Zoom().Empty());
    // Not checked: it stays.
    EXPECT_TRUE(c->Zoom().Empty());
    EXPECT_TRUE(a->ShortCut("z-"));
    EXPECT_TRUE(a->Zoom().Empty());
    EXPECT_TRUE(b->Zoom().Empty());
}

TEST_F(TGraphViewFixture, DeleteSendsThePositionsUnderTheRectangleUp) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901");
    v->SetActive(true);
    Band(*v, 0.0, 0.3);
    EXPECT_TRUE(v->DeleteFound());
    const TAEOMSG* m = context.Find(omDeleteGroup);
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(m->List.empty());
    for (int32_t p : m->List)
        EXPECT_LT(p, 40);
    // The rectangle stays for the next command.
    EXPECT_NE(v->InfoRect(), nullptr);
    // A change of the deletion flags makes an active point plot outdated.
    TAEOMSG changed;
    changed.Msg = omDeletedAdded;
    v->ViewMessage(changed);
    EXPECT_TRUE(v->Outdated());
}

TEST_F(TGraphViewFixture, TheColourSchemeComesInWParam) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901");
    TAEOMSG m;
    m.Msg = omColorScheme;
    m.WParam = 1;
    m.List = {0};
    v->ViewMessage(m);
    EXPECT_EQ(v->ColorSchemeIndex(), 1);
}

TEST_F(TGraphViewFixture, SplitChannelsDrawOneCurvePerChannelAndMarkTheTitle) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901", stLineGraph);
    v->Series().Get(0)->SetBinNum(10);
    v->SetCheckMark(true);
    v->SetActive(true);
    auto* line = dynamic_cast<TGraphLineAEVObject*>(v->SeriesObject(*v->Series().Get(0)));
    ASSERT_NE(line, nullptr);
    for (int i = 0; i < line->Points().Count(); ++i)
        EXPECT_EQ(line->Points().Tag(i), 0);
    TAEOMSG m;
    m.Msg = omSplitChannels;
    m.List = {2, 5};
    v->ViewMessage(m);
    const std::string title = v->TitleText();
    EXPECT_EQ(title.substr(title.size() - 5), " [SC]");
    std::set<int32_t> tags;
    for (int i = 0; i < line->Points().Count(); ++i)
        tags.insert(line->Points().Tag(i));
    // Without a channel list in the stream no channel takes part: only list 0 exists, and
    // it is not among the split channels.
    EXPECT_TRUE(tags.empty() || tags == (std::set<int32_t>{2, 5}));
}

TEST_F(TGraphViewFixture, DisablingTheRightAxisDeletesRightSideSeries) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901");
    TSeriesGr* r = v->AddSeries(stPointPlot);
    r->SetSide(sdRight);
    EXPECT_EQ(v->Series().Count(), 2);
    EXPECT_NE(r->Color(), v->Series().Get(0)->Color());
    v->SetEnableRightAixs(false);
    ASSERT_EQ(v->Series().Count(), 1);
    EXPECT_EQ(v->Series().Get(0)->Side(), sdLeft);
}

TEST_F(TGraphViewFixture, TheViewSurvivesSavingAndLoading) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901", stHistigram);
    v->Series().Get(0)->SetBinNum(25);
    v->SetEnableRightAixs(false);
    TNodePersist node("OBJ");
    v->Graph()->SaveToNode(node);
    const TNodePersist* visual = node.FindNode("VisualClass");
    ASSERT_NE(visual, nullptr);
    EXPECT_EQ(visual->GetValue("ClassName"), "TGraphVC");
    EXPECT_EQ(visual->GetValue("EnableRightAixs"), "0");
    TGraphVC* w = NewGraph("GR2", "0000000000000902");
    w->Graph()->LoadFromNode(node);
    ASSERT_EQ(w->Series().Count(), 1);
    EXPECT_EQ(w->Series().Get(0)->TypeSeries(), stHistigram);
    EXPECT_EQ(w->Series().Get(0)->BinNum(), 25);
    EXPECT_NE(w->SeriesObject(*w->Series().Get(0)), nullptr);
    EXPECT_EQ(w->LeftAxis().FieldId(), fidAmpl);
    EXPECT_EQ(w->BottomAxis().FieldId(), fidTimeMS);
    EXPECT_FALSE(w->RightAxis().Enabled());
    w->SetActive(true);
    EXPECT_TRUE(w->Active()) << w->FillError();
}

TEST_F(TGraphViewFixture, ThePopupMenuHasTheItemsInOrder) {
    TGraphVC* v = NewGraph("GR1", "0000000000000901");
    const char* names[] = {"mHideVC",     "mHideHitMarksVC", "mZoomVC",      "mHZoomVC",
                           "mVZoomVC",    "mUnzoomVC",       "mUnzoomAllVC", "mSelectVC",
                           "mUnselectVC", "mDeleteVC",       "mUnDeleteVC",  "mUnDeleteAllVC",
                           "mInfoVC"};
    for (const char* n : names)
        ASSERT_NE(v->MenuItem(n), nullptr) << n;
    EXPECT_EQ(v->MenuItem("mInfoVC")->text(), "Show Info Rectangle");
    EXPECT_FALSE(v->MenuItem("mZoomVC")->isEnabled());
    EXPECT_FALSE(v->MenuItem("mUnzoomVC")->isEnabled());
}

TEST_F(TGraphViewFixture, SeriesDrawInThePaletteColourOfTheirNumber) {
    TGraphVC* v = NewGraph("GR1", "0000000000000951");
    TSeriesGr& s = *v->Series().Get(0);
    EXPECT_EQ(s.Color(), 1); // the first free colour
    v->SetActive(true);
    ASSERT_TRUE(v->Active()) << v->FillError();
    // Colour 1 is the palette's first colour, not the black outside the palette.
    EXPECT_EQ(v->SeriesObject(s)->GetColor(), PaletteColor(1));
    s.SetColor(5);
    v->UpdateAppearance();
    EXPECT_EQ(v->SeriesObject(s)->GetColor(), PaletteColor(5));
}
