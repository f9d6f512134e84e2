// Time marks and add-ons of the graph view over an in-memory stream: lines of time-mark
// records on the bottom range, hiding them from the menu, moving them with a zoom; the zone
// diagram on logarithmic and linear axes; switches stored only when they were restored; the
// settings panels; and a point plot built again when its old range had no width.

#include "TStreamGraph.h"

#include "model/TAEFieldIDs.h"
#include "persist/RegisterPersistClasses.h"
#include "persist/TGVListCoordProperty.h"
#include "persist/TNodePersist.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "testprog/TZIPParameters.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TAddonPanels.h"
#include "view2d/TAddonVCZip.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TCellLineAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/THistigramAEVObject.h"
#include "viewmodel/drawables/TPolyLineAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QWidget>

#include <cmath>

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// A root that offers the zone diagram to every graph, as the criterion processor does to
// graphs of its severity against its historic index.
class TZipOfferingSource : public TGVCPUMemorySource {
public:
    void CollectGraphAddOns(IFinalView* view, std::vector<IGraphAddOn*>& list) override {
        if (auto* g = dynamic_cast<TGraphVC*>(view)) list.push_back(new TAddonVCZip(this, g, &Zip));
    }
    TZIPParameters Zip;
};

struct TAddOnFixture : ::testing::Test {
    QWidget page;
    std::unique_ptr<TZipOfferingSource> holder;
    TZipOfferingSource* source = nullptr;

    void SetUp() override {
        RegisterPersistClasses();
        RegisterFilterClasses();
        RegisterView2dClasses();
        holder = std::make_unique<TZipOfferingSource>();
        holder->AddSourceSet(StreamFields());
        holder->SetID("0000000000000077");
        source = holder.get();
        page.resize(900, 700);
        page.show();
    }
    TGraphVC* NewGraph(uint8_t type = stPointPlot) {
        TGraphVC* view = AddAmplitudeGraph(*source, &page, type);
        EXPECT_NE(view, nullptr);
        return view;
    }
    // Hits over 0 .. 100 on the bottom axis, time marks at 10 and 20.
    void HitsWithTimeMarks() {
        for (int i = 0; i <= 100; i += 5)
            AddHit(*source, i, 1 + i % 3, 20 + i / 2);
        for (long double t : {10.0L, 20.0L}) {
            const int32_t r = source->AddRecord(rkTimeMark);
            source->SetValue(r, posTimeMS, t);
        }
    }
    static TAddonVC* AddOn(TGraphVC& v) {
        return v.AddOns().empty() ? nullptr : v.AddOns().front().get();
    }
    static long double CurMin(TGrAixs& a) { return a.CurMin()->GetAsFloat(); }
    static long double CurMax(TGrAixs& a) { return a.CurMax()->GetAsFloat(); }
};

} // namespace

TEST_F(TAddOnFixture, TimeMarksAtTenAndTwentyOfAHundredLieAtATenthAndAFifth) {
    HitsWithTimeMarks();
    TGraphVC* v = NewGraph();
    v->SetActive(true);
    ASSERT_TRUE(v->Active()) << v->FillError();
    // The data span 0 .. 100; the plot leaves a margin beyond them.
    const long double lo = CurMin(v->BottomAxis()), hi = CurMax(v->BottomAxis());
    ASSERT_EQ(lo, -4);
    ASSERT_EQ(hi, 104);
    TCellLineAEVObject* line = v->TimeMarks().Line();
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->Horizontal());
    EXPECT_EQ(line->Pen().Style(), psDashDotDot);
    EXPECT_EQ(line->Pen().Mode(), pmXor);
    // Below everything else.
    EXPECT_EQ(v->Container()->IndexOfObject(line), 0);
    ASSERT_EQ(line->Points().Count(), 2);
    EXPECT_NEAR(static_cast<double>(line->Points().X(0)),
                static_cast<double>(LogicalWidthUnits * (10 - lo) / (hi - lo)), 1e-9);
    EXPECT_NEAR(static_cast<double>(line->Points().X(1)),
                static_cast<double>(LogicalWidthUnits * (20 - lo) / (hi - lo)), 1e-9);
    EXPECT_TRUE(line->Visible());

    QAction* item = v->MenuItem("mTimeMarksVC");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "Time Marks");
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_FALSE(line->Visible());
    EXPECT_FALSE(v->MenuItem("mTimeMarksVC")->isChecked());
    v->MenuItem("mTimeMarksVC")->trigger();
    EXPECT_TRUE(line->Visible());
}

TEST_F(TAddOnFixture, ZoomingMovesTheTimeMarksWithTheData) {
    HitsWithTimeMarks();
    TGraphVC* v = NewGraph();
    v->SetActive(true);
    TShortCutMSG range{fidTimeMS, 0, 50};
    ASSERT_TRUE(v->ZoomView(zmRange, &range));
    TCellLineAEVObject* line = v->TimeMarks().Line();
    ASSERT_EQ(line->Points().Count(), 2);
    // 10 of 0 .. 50 is a fifth, 20 two fifths.
    EXPECT_NEAR(static_cast<double>(line->Points().X(0)), LogicalWidthUnits / 5.0, 1e-6);
    EXPECT_NEAR(static_cast<double>(line->Points().X(1)), LogicalWidthUnits * 2 / 5.0, 1e-6);
    ASSERT_TRUE(v->UnzoomView(true));
    const long double lo = CurMin(v->BottomAxis()), hi = CurMax(v->BottomAxis());
    EXPECT_NEAR(static_cast<double>(line->Points().X(0)),
                static_cast<double>(LogicalWidthUnits * (10 - lo) / (hi - lo)), 1e-6);
}

TEST_F(TAddOnFixture, AGraphNotAgainstTimeHasNoTimeMarksItemAndNoLines) {
    HitsWithTimeMarks();
    TGraphVC* v = NewGraph();
    v->BottomAxis().SetFieldId(fidAmpl);
    v->LeftAxis().SetFieldId(fidTimeMS);
    v->SetActive(true);
    ASSERT_TRUE(v->Active()) << v->FillError();
    EXPECT_FALSE(v->BottomAxisIsTime());
    EXPECT_EQ(v->TimeMarks().Line()->Points().Count(), 0);
    for (QAction* a : v->PopupActions())
        EXPECT_NE(a->objectName(), "mTimeMarksVC");
}

TEST_F(TAddOnFixture, TheZoneDiagramDrawsSixOutlinesOnDecimalLogarithms) {
    // Severity 10 .. 1000 against historic index 1 .. 10 on logarithmic axes.
    AddHit(*source, 1, 1, 10);
    AddHit(*source, 10, 2, 1000);
    TGraphVC* v = NewGraph();
    v->LeftAxis().SetTypeScale(tsLogarithmic);
    v->BottomAxis().SetTypeScale(tsLogarithmic);
    v->SetActive(true);
    ASSERT_TRUE(v->Active()) << v->FillError();
    TAddonVC* a = AddOn(*v);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetCaption(), "Enable ZIP");
    EXPECT_FALSE(a->GetEnabled());
    EXPECT_EQ(a->GetID(), "0000000000000077");
    a->SetEnabled(true);
    a->Fill();
    auto* zip = dynamic_cast<TAddonVCZip*>(a);
    ASSERT_EQ(zip->Polylines().size(), 6u);
    // "Zone 0": (1, 25), (10, 25), (10, 10), (1, 10).
    const TAEVPointList& p = zip->Polylines()[0]->Points();
    ASSERT_EQ(p.Count(), 4);
    const long double lx =
        std::log10(CurMax(v->BottomAxis())) - std::log10(CurMin(v->BottomAxis()));
    const long double ly = std::log10(CurMax(v->LeftAxis())) - std::log10(CurMin(v->LeftAxis()));
    const long double x10 = LogicalWidthUnits * (1 - std::log10(CurMin(v->BottomAxis()))) / lx;
    const long double y25 =
        LogicalHeightUnits * (1 - (std::log10(25.0L) - std::log10(CurMin(v->LeftAxis()))) / ly);
    EXPECT_NEAR(static_cast<double>(p.X(1)), static_cast<double>(x10), 1e-6);
    EXPECT_NEAR(static_cast<double>(p.Y(0)), static_cast<double>(y25), 1e-6);
    EXPECT_FALSE(zip->Polylines()[0]->Enabled());
    EXPECT_FALSE(zip->Polylines()[0]->Movable());
    // Switching off removes the drawing at once.
    const int before = v->Container()->Core().Count();
    a->SetEnabled(false);
    EXPECT_TRUE(zip->Polylines().empty());
    EXPECT_EQ(v->Container()->Core().Count(), before - 6);
}

TEST_F(TAddOnFixture, OnLinearAxesZonePointsStillEnterAsLogarithms) {
    AddHit(*source, 0, 1, 0);
    AddHit(*source, 100, 2, 100);
    TGraphVC* v = NewGraph();
    v->SetActive(true);
    TAddonVC* a = AddOn(*v);
    ASSERT_NE(a, nullptr);
    a->SetEnabled(true);
    a->Fill();
    auto* zip = dynamic_cast<TAddonVCZip*>(a);
    ASSERT_EQ(zip->Polylines().size(), 6u);
    const long double lo = CurMin(v->BottomAxis()), hi = CurMax(v->BottomAxis());
    // The historic index 10 sits at (lg 10 - lg CurMin) / (CurMax - CurMin) of the width:
    // with CurMin at or below 0 the logarithm has no value and the point is left out.
    ASSERT_LE(lo, 0);
    (void)hi;
    EXPECT_EQ(zip->Polylines()[0]->Points().Count(), 0);
}

TEST_F(TAddOnFixture, SwitchesAreStoredOnlyWhenTheyWereRestored) {
    AddHit(*source, 1, 1, 10);
    AddHit(*source, 10, 2, 1000);
    TGraphVC* v = NewGraph();
    v->SetActive(true);
    ASSERT_NE(AddOn(*v), nullptr);
    AddOn(*v)->SetEnabled(true);
    v->StoreAddOnStates();
    ASSERT_EQ(v->AddOnStates().size(), 1u);
    EXPECT_EQ(v->AddOnStates()[0].second, 1);

    // No data file: the fill of a reset offers a fresh (disabled) add-on, which must not
    // overwrite the saved switch.
    source->SetState(0);
    TAEOMSG reset;
    reset.Msg = omDataChanged;
    v->Graph()->Dispatch(reset);
    ASSERT_EQ(v->AddOnStates().size(), 1u);
    EXPECT_EQ(v->AddOnStates()[0].second, 1);
    ASSERT_NE(AddOn(*v), nullptr);
    EXPECT_FALSE(AddOn(*v)->GetEnabled());

    // Saved and loaded into a new graph, then filled with the file open: the switch is on.
    TNodePersist node("VisualClass");
    v->SaveToNode(node);
    source->SetState(9);
    auto* graph2 = source->AddNew<TGVCPUGr>();
    graph2->SetID("0000000000000902");
    auto* v2 = dynamic_cast<TGraphVC*>(graph2->GetView());
    v2->LoadFromNode(node);
    ASSERT_EQ(v2->AddOnStates().size(), 1u);
    v2->SetActive(true);
    ASSERT_NE(AddOn(*v2), nullptr);
    EXPECT_TRUE(AddOn(*v2)->GetEnabled());
    EXPECT_EQ(dynamic_cast<TAddonVCZip*>(AddOn(*v2))->Polylines().size(), 6u);
}

TEST_F(TAddOnFixture, ThePanelSwitchesTheAddOnAndEmptiesTheGraph) {
    AddHit(*source, 1, 1, 10);
    AddHit(*source, 10, 2, 1000);
    TGraphVC* v = NewGraph();
    v->SetActive(true);
    std::unique_ptr<QWidget> panels(CreateAddonPanels(v, nullptr));
    ASSERT_NE(panels, nullptr);
    auto* box = panels->findChild<QCheckBox*>("cbAddon_0");
    ASSERT_NE(box, nullptr);
    auto* panel = panels->findChild<QWidget*>("paAddon_0");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->height(), 36);
    EXPECT_EQ(box->text(), "Enable ZIP");
    EXPECT_FALSE(box->isChecked());
    box->click();
    ASSERT_EQ(v->AddOnStates().size(), 1u);
    EXPECT_EQ(v->AddOnStates()[0].second, 1);
    EXPECT_FALSE(v->Active());
    v->SetActive(true);
    ASSERT_NE(AddOn(*v), nullptr);
    EXPECT_TRUE(AddOn(*v)->GetEnabled());
}

TEST_F(TAddOnFixture, APointPlotWhoseOldRangeHadNoWidthIsBuiltAgain) {
    // Every amplitude is 0: the point plot's own range has no width. A histogram on the same
    // side widens it to its counts, so the points cannot be moved from the old range.
    for (int i = 0; i < 10; ++i)
        AddHit(*source, i * 10, 1, 0);
    TGraphVC* v = NewGraph(stPointPlot);
    v->AddSeries(stHistigram);
    v->SetActive(true);
    ASSERT_TRUE(v->Active()) << v->FillError();
    EXPECT_LT(CurMin(v->LeftAxis()), CurMax(v->LeftAxis()));
    auto* points = dynamic_cast<TGraphPointAEVObject*>(v->SeriesObject(*v->Series().Get(0)));
    ASSERT_NE(points, nullptr);
    ASSERT_EQ(points->Points().Count(), 10);
    const long double lo = CurMin(v->LeftAxis()), hi = CurMax(v->LeftAxis());
    const long double y0 = LogicalHeightUnits * (1 - (0 - lo) / (hi - lo));
    for (int i = 0; i < points->Points().Count(); ++i) {
        ASSERT_TRUE(std::isfinite(points->Points().Y(i)));
        ASSERT_TRUE(std::isfinite(points->Points().X(i)));
        EXPECT_NEAR(static_cast<double>(points->Points().Y(i)), static_cast<double>(y0), 1e-6);
    }
}
