// The test program windows offscreen over a generated data file: the database's test graph
// saved and loaded with and without the visual layer, the default set-up on the first opening,
// sections refused and placed, the load line's points added, ordered and deleted, a line drawn
// with the mouse, the settings window's series page and its editor hook, and the section
// selection window with the graph.

#include "app/TFSelSection.h"
#include "app/TFSeries.h"
#include "app/TFTestProgram.h"
#include "app/TFTestSettings.h"
#include "app/TPointDialog.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "processing/db/ITestGraph.h"
#include "processing/db/TGVDb.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "project/TProjectAE.h"
#include "testprog/TTestSection.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphDb.h"
#include "view2d/TScriptedDialogs.h"
#include "viewmodel/drawables/TTestShapeAEVObject.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

std::string Dump(const TNodePersist& n, const std::string& indent = "") {
    std::string out = indent + n.Name() + "\n";
    for (int i = 0; i < n.ItemCount(); ++i)
        out += indent + "  " + n.ItemName(i) + "=" + n.ItemValue(i) + "\n";
    for (int i = 0; i < n.NodeCount(); ++i)
        out += Dump(*n.Node(i), indent + "  ");
    return out;
}

struct TTestProgramFixture : ::testing::Test {
    TTempDir dir;
    std::string file;
    std::unique_ptr<TProjectAE> project;
    TScriptedDialogs dialogs;
    std::unique_ptr<TIniApplic> settings;

    void SetUp() override {
        RegisterCoreClasses();
        RegisterView2dClasses();
        TGenerateOptions o;
        o.Format = "pci";
        o.FileName = dir.File("test.pci");
        o.Hits = 1000;
        o.Channels = 4;
        o.Seed = 7;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(o, error)) << error;
        file = o.FileName;
        project = std::make_unique<TProjectAE>();
        ASSERT_TRUE(project->OpenDataFile(file, error)) << error;
        settings = std::make_unique<TIniApplic>(dir.Path() + "/");
    }
    TGVDb& Db() { return project->Db(); }
    TGraphDb& Graph() { return dynamic_cast<TGraphDb&>(Db().TestGraph()); }
    // The dialog is filled in by `fill`, then OK is pressed once; the runner reports whether
    // the dialog accepted.
    void Script(std::function<void(QDialog&)> fill) {
        dialogs.OnDialog = [fill](QDialog& d) {
            fill(d);
            if (auto* s = dynamic_cast<TSectionDialog*>(&d))
                return s->TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
            if (auto* p = dynamic_cast<TPointDialog*>(&d))
                return p->TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
            return int(QDialog::Rejected);
        };
    }
    void Section(const char* name, const char* lo, const char* hi) {
        Script([=](QDialog& d) {
            auto& s = dynamic_cast<TSectionDialog&>(d);
            s.NameEdit()->setText(name);
            s.MinEdit()->setText(lo);
            s.MaxEdit()->setText(hi);
        });
    }
    void Points(std::vector<std::pair<const char*, const char*>> points) {
        Script([=](QDialog& d) {
            auto& p = dynamic_cast<TPointDialog&>(d);
            for (size_t i = 0; i < points.size(); ++i) {
                p.TimeEdit(static_cast<int>(i))->setText(points[i].first);
                p.LoadEdit(static_cast<int>(i))->setText(points[i].second);
            }
        });
    }
    std::vector<long double> Times() {
        std::vector<long double> t;
        for (const TGVCoord& c : Db().TestLoadLine().Points().Points())
            t.push_back(c.X);
        return t;
    }
    std::unique_ptr<TFTestProgram> Open() {
        auto w = std::make_unique<TFTestProgram>(*project, settings.get());
        w->resize(900, 700);
        w->show();
        QApplication::processEvents();
        return w;
    }
};

} // namespace

TEST_F(TTestProgramFixture, TheTestGraphSavesAndLoadsTheSameWithAndWithoutTheVisualLayer) {
    ASSERT_NE(dynamic_cast<TGraphDb*>(&Db().TestGraph()), nullptr);
    ASSERT_TRUE(Graph().ApplyDefaults());
    Graph().LeftAxis().Properties().FindAs<TGVProperty>("Legend")->SetAsString("Counts");
    TNodePersist saved("PRJ");
    Db().SaveToNode(saved);
    const TNodePersist* graphNode = saved.FindNode("TestGraph");
    ASSERT_NE(graphNode, nullptr);
    EXPECT_EQ(graphNode->GetValue("ClassName"), "TGraphDb");
    ASSERT_NE(graphNode->FindNode("RightAixs"), nullptr);

    // A project saved where only the stand-in was at hand keeps the node as it was.
    TSavedTestGraph standIn;
    standIn.LoadFromNode(*graphNode);
    TNodePersist kept("TestGraph");
    standIn.SaveToNode(kept);
    EXPECT_TRUE(kept.SameTree(*graphNode));
    EXPECT_TRUE(standIn.UsesField(fidCalcLoading));

    // Loading it into the real graph gives the same graph, which saves the same node again.
    TProjectAE again;
    std::string error;
    ASSERT_TRUE(again.OpenDataFile(file, error)) << error;
    TNodePersist withKept("PRJ");
    Db().SaveToNode(withKept);
    withKept.FindNode("TestGraph")->CopyFrom(kept);
    again.Db().LoadFromNode(withKept);
    auto& loaded = dynamic_cast<TGraphDb&>(again.Db().TestGraph());
    EXPECT_EQ(loaded.LeftAxis().FieldId(), fidCount);
    EXPECT_EQ(loaded.BottomAxis().FieldId(), fidTimeS);
    EXPECT_EQ(loaded.RightAxis().FieldId(), fidCalcLoading);
    EXPECT_EQ(loaded.Series().Count(), 1);
    EXPECT_EQ(loaded.GetLoadMax(), 100);
    EXPECT_EQ(loaded.LeftAxis().Legend(), "Counts");
    // Saved again and loaded once more, the node stays as it is.
    TNodePersist resaved("PRJ");
    again.Db().SaveToNode(resaved);
    TProjectAE third;
    ASSERT_TRUE(third.OpenDataFile(file, error)) << error;
    third.Db().LoadFromNode(resaved);
    TNodePersist thirdSaved("PRJ");
    third.Db().SaveToNode(thirdSaved);
    EXPECT_TRUE(thirdSaved.FindNode("TestGraph")->SameTree(*resaved.FindNode("TestGraph")))
        << Dump(*thirdSaved.FindNode("TestGraph")) << "\n----\n"
        << Dump(*resaved.FindNode("TestGraph"));
    // The graph's fields count as used by the database.
    EXPECT_TRUE(again.Db().DeclaresField(fidCount, false));
    std::vector<std::string> uses;
    again.Db().CollectFieldUses(fidCalcLoading, uses, false);
    EXPECT_EQ(uses, (std::vector<std::string>{"Field: CalcLoading[Database]"}));
}

TEST_F(TTestProgramFixture, AnEmptySavedTestGraphLoadsEmptyAndTheFirstOpeningSetsItUp) {
    // What the stand-in writes when it never held a graph: an empty node.
    TNodePersist saved("PRJ");
    Db().SaveToNode(saved);
    TNodePersist* graphNode = saved.FindNode("TestGraph");
    graphNode->Clear();
    Db().LoadFromNode(saved);
    EXPECT_EQ(Graph().Series().Count(), 0);
    EXPECT_TRUE(Graph().LeftAxis().FieldId().empty());
    ASSERT_FALSE(project->Modified());

    auto w = Open();
    EXPECT_TRUE(project->Modified());
    EXPECT_TRUE(Graph().Active());
    EXPECT_GT(Graph().RecordsRead(), 0);
    EXPECT_EQ(Graph().LeftAxis().FieldId(), fidCount);
    EXPECT_EQ(Graph().BottomAxis().FieldId(), fidTimeS);
    EXPECT_TRUE(Graph().RightAxis().Enabled());
    EXPECT_EQ(Graph().RightAxis().FieldId(), fidCalcLoading);
    EXPECT_FALSE(Graph().RightAxis().AutoMin() || Graph().RightAxis().AutoMax());
    EXPECT_EQ(Graph().GetLoadMin(), 0);
    EXPECT_EQ(Graph().GetLoadMax(), 100);
    ASSERT_EQ(Graph().Series().Count(), 1);
    EXPECT_TRUE(Graph().Series().Get(0)->IsPointPlot());
    EXPECT_EQ(w->MinEdit()->text(), "0");
    EXPECT_EQ(w->MaxEdit()->text(), "100");
    // The graph lives in the window while it is open and goes back when it closes.
    EXPECT_EQ(Graph().Panel()->window(), w.get());
    w.reset();
    EXPECT_EQ(Graph().Panel()->parent(), nullptr);
}

TEST_F(TTestProgramFixture, SectionsAreRefusedWithTakenNamesOrEmptyRangesAndPlacedOtherwise) {
    auto w = Open();
    Section("Hold 1", "10", "20");
    w->AddSection();
    ASSERT_EQ(Db().TestSections().Count(), 1);
    EXPECT_EQ(Db().TestSections().Get(0)->ID().size(), 16u);
    Section("Hold 1", "30", "40");
    w->AddSection();
    Section("Hold 2", "30", "30");
    w->AddSection();
    EXPECT_EQ(Db().TestSections().Count(), 1);
    EXPECT_EQ(dialogs.Boxes, (std::vector<std::string>{"Name Exists", "Invalid Min( Max ) Value"}));
    Section("Hold 2", "30", "40");
    w->AddSection();
    ASSERT_EQ(Db().TestSections().Count(), 2);
    EXPECT_EQ(w->Sections()->topLevelItem(1)->text(0), "Hold 2");

    // The rectangle spans the section's seconds on the bottom axis, over the whole height.
    long double lo = 0, hi = 0;
    ASSERT_TRUE(Graph().BottomAxis().CurrentRange(lo, hi));
    TSectionRectAEVObject* r = w->SectionRect(0);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->Points().Count(), 2);
    EXPECT_NEAR(static_cast<double>(r->Points().X(0)),
                static_cast<double>((10 - lo) / (hi - lo) * LogicalWidthUnits), 1e-9);
    EXPECT_NEAR(static_cast<double>(r->Points().X(1)),
                static_cast<double>((20 - lo) / (hi - lo) * LogicalWidthUnits), 1e-9);
    EXPECT_EQ(r->Points().Y(0), 0);

    // Up moves "Hold 2" first; Delete takes its rectangle off the graph.
    w->Sections()->setCurrentItem(w->Sections()->topLevelItem(1));
    w->MoveSection(-1);
    EXPECT_EQ(Db().TestSections().Get(0)->Text(), "Hold 2");
    TSectionRectAEVObject* gone = w->SectionRect(0);
    const int before = Graph().Container()->Core().Count();
    w->Sections()->setCurrentItem(w->Sections()->topLevelItem(0));
    w->DeleteSection();
    EXPECT_EQ(Db().TestSections().Count(), 1);
    EXPECT_EQ(Graph().Container()->Core().Count(), before - 1);
    EXPECT_EQ(Graph().Container()->IndexOfObject(gone), -1);
    w.reset();
    EXPECT_EQ(Db().TestSections().Get(0)->Rect(), nullptr);
}

TEST_F(TTestProgramFixture, PointsGoInTimeOrderAndTheLastPairTakesTheLineWithIt) {
    // A bottom axis fixed from 0 to 200 s, so that 100 s lies within it.
    ASSERT_TRUE(Graph().ApplyDefaults());
    TGrAixs& b = Graph().BottomAxis();
    b.SetAutoMin(false);
    b.SetAutoMax(false);
    b.Min()->SetAsFloat(0);
    b.Max()->SetAsFloat(200);
    auto w = Open();
    long double lo = 0, hi = 0;
    ASSERT_TRUE(Graph().BottomAxis().CurrentRange(lo, hi));
    ASSERT_LE(lo, 0.5L);
    ASSERT_GE(hi, 100);
    // An empty line asks for two points.
    Points({{"100", "10"}, {"0", "0"}});
    w->AddPoint();
    EXPECT_EQ(Times(), (std::vector<long double>{0, 100}));
    ASSERT_NE(w->LineObject(), nullptr);
    EXPECT_EQ(w->LineObject()->Points().Count(), 2);
    EXPECT_EQ(Db().TestLoadLine().Line(), w->LineObject());
    Points({{"50", "5"}});
    w->AddPoint();
    EXPECT_EQ(Times(), (std::vector<long double>{0, 50, 100}));
    EXPECT_EQ(w->Points()->topLevelItem(1)->text(0), "Point 2");
    EXPECT_EQ(w->LineObject()->Points().Count(), 3);
    // A load above the bound is refused with the entered text.
    Points({{"60", "150"}});
    w->AddPoint();
    EXPECT_EQ(dialogs.Boxes.back(), "Invalid Value 150[MPa]");
    EXPECT_EQ(Times().size(), 3u);

    // Choosing a point marks its vertex, and only that one.
    auto marked = [&] {
        std::vector<int> m;
        const TAEVPointList& v = w->LineObject()->Points();
        for (int i = 0; i < v.Count(); ++i)
            if (v.HasFlag(i, pfMarked)) m.push_back(i);
        return m;
    };
    w->Points()->setCurrentItem(w->Points()->topLevelItem(2));
    EXPECT_EQ(marked(), (std::vector<int>{2}));
    w->Points()->setCurrentItem(w->Points()->topLevelItem(1));
    EXPECT_EQ(marked(), (std::vector<int>{1}));
    w->DeletePoint();
    EXPECT_EQ(Times(), (std::vector<long double>{0, 100}));
    ASSERT_NE(w->LineObject(), nullptr);
    w->Points()->setCurrentItem(w->Points()->topLevelItem(0));
    w->DeletePoint();
    EXPECT_TRUE(Times().empty());
    EXPECT_EQ(w->LineObject(), nullptr);
    EXPECT_EQ(Db().TestLoadLine().Line(), nullptr);
    EXPECT_EQ(w->Points()->topLevelItemCount(), 0);
}

TEST_F(TTestProgramFixture, ALineDrawnWithTheMouseGivesPointsInSecondsAndLoad) {
    auto w = Open();
    w->DrawTestLine();
    EXPECT_FALSE(w->Pages()->isEnabled());
    EXPECT_TRUE(w->InfoBox()->isVisible());
    EXPECT_EQ(w->InfoBox()->text().toStdString(), txtDrawLineInfo);
    TCanvasContainerCore& core = Graph().Container()->Core();
    const int cw = Graph().Container()->width(), ch = Graph().Container()->height();
    // Left clicks at three quarters, a quarter and half of the width, a right click ends.
    for (const double f : {0.75, 0.25, 0.5}) {
        const int x = static_cast<int>(cw * f), y = static_cast<int>(ch * (1 - f / 2));
        core.MouseMove(x, y, 0);
        core.LeftButtonDown(x, y, MK_LBUTTON_);
        core.LeftButtonUp(x, y, 0);
    }
    core.MouseMove(cw / 2 + 10, ch / 2, 0);
    core.RightButtonDown(cw / 2 + 10, ch / 2, MK_RBUTTON_);
    QApplication::processEvents();
    EXPECT_TRUE(w->Pages()->isEnabled());
    EXPECT_FALSE(w->InfoBox()->isVisible());
    ASSERT_NE(w->LineObject(), nullptr);
    EXPECT_EQ(w->LineObject()->Name(), "LoadGr");
    const std::vector<long double> t = Times();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_TRUE(std::is_sorted(t.begin(), t.end()));
    for (long double s : t)
        EXPECT_EQ(s, std::nearbyint(s));
    // The earliest click was the lowest: loads follow the right axis (0 .. 100) upwards.
    long double rlo = 0, rhi = 0;
    EXPECT_TRUE(Graph().RightAxis().CurrentRange(rlo, rhi));
    EXPECT_EQ(rhi, 100);
    const auto& p = Db().TestLoadLine().Points();
    EXPECT_LT(p.GetPoint(0).Y, p.GetPoint(1).Y);
    EXPECT_LT(p.GetPoint(1).Y, p.GetPoint(2).Y);
    EXPECT_NEAR(static_cast<double>(p.GetPoint(0).Y), 12.5, 3);
    EXPECT_NEAR(static_cast<double>(p.GetPoint(2).Y), 37.5, 3);
    EXPECT_EQ(w->Points()->topLevelItemCount(), 3);
}

TEST_F(TTestProgramFixture, TheSeriesPageAddsThroughTheSeriesDialogOnlyWithBothAxisFields) {
    ASSERT_TRUE(Graph().ApplyDefaults());
    std::vector<bool> calls;
    bool answer = false;
    dialogs.On<TFSeries>([&](TFSeries& d) {
        calls.push_back(d.windowTitle().startsWith("Add "));
        return answer ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    TFTestSettings w(Graph(), settings.get());
    EXPECT_EQ(w.Pages()->tabText(0), "Axis");
    EXPECT_EQ(w.Pages()->tabText(1), "Series");
    EXPECT_EQ(w.Group(0).Field->text().toStdString(), Db().FindField(fidCount)->GetDisplayName());
    EXPECT_TRUE(w.SeriesButton("btnSeriesAdd")->isEnabled());
    // A cancelled editor takes the new series away again.
    w.AddSeries(stHistigram);
    EXPECT_EQ(Graph().Series().Count(), 1);
    answer = true;
    w.AddSeries(stHistigram);
    ASSERT_EQ(Graph().Series().Count(), 2);
    EXPECT_EQ(w.SeriesList()->topLevelItem(1)->text(1), "Histogram");
    w.SeriesList()->setCurrentItem(w.SeriesList()->topLevelItem(1));
    w.EditSeries();
    EXPECT_EQ(calls, (std::vector<bool>{true, true, false}));
    w.MoveSeries(-1);
    EXPECT_EQ(Graph().Series().Get(0)->TypeSeries(), stHistigram);
    // Choosing a field another axis shows changes nothing.
    w.ChooseField(0, fidTimeS);
    EXPECT_EQ(Graph().LeftAxis().FieldId(), fidCount);
    // Without a left field no series can be added; the edits follow the "Auto" boxes.
    Graph().LeftAxis().SetFieldId("");
    w.Refresh();
    EXPECT_FALSE(w.SeriesButton("btnSeriesAdd")->isEnabled());
    EXPECT_FALSE(w.Group(0).AutoMin->isEnabled());
    EXPECT_TRUE(w.Group(0).SelectField->isEnabled());
    EXPECT_TRUE(w.Group(1).Min->isEnabled());
    EXPECT_EQ(w.Group(1).Max->text(), "100");
    EXPECT_FALSE(w.Group(2).Min->isEnabled());
    // Switching the right axis off disables its group and drops its series.
    w.EnableRight()->setChecked(false);
    EXPECT_FALSE(Graph().RightAxis().Enabled());
    EXPECT_FALSE(w.Group(1).SelectField->isEnabled());
}

TEST_F(TTestProgramFixture, TheSectionSelectionShowsTheGraphWithTheRectangles) {
    Db().TestSections().Add(std::make_unique<TTestSection>("Hold 1", 10, 20));
    Db().TestSections().Add(std::make_unique<TTestSection>("Hold 2", 30, 40));
    ASSERT_TRUE(Graph().ApplyDefaults());
    const int objects = Graph().Container()->Core().Count();
    {
        TFSelSection w(Db().TestSections(), {}, settings.get(), nullptr, &Graph());
        w.show();
        QApplication::processEvents();
        EXPECT_TRUE(Graph().Active());
        EXPECT_EQ(w.RectangleCount(), 2);
        EXPECT_EQ(Graph().Container()->Core().Count(), objects + 2);
        EXPECT_EQ(Graph().Panel()->window(), &w);
    }
    EXPECT_EQ(Graph().Container()->Core().Count(), objects);
    EXPECT_EQ(Graph().Panel()->parent(), nullptr);
}
