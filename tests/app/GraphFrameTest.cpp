// The graph's settings frame in the project tree window offscreen: the "Insert" entry makes a
// graph whose parameter page is the frame; axes, series (through the series dialog), the
// right axis, information fields, first hits and title are applied to the graph; the pages
// and records panels other parts register join the frame.

#include "TAppSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFSeries.h"
#include "app/TFTreePrj.h"
#include "app/TLongShoF.h"
#include "app/TfrmAeGr.h"
#include "common/TestData.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "view2d/TGraphVC.h"
#include "view2d/TScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TAppSession;
using vorelt::test::TScriptedDialogs;

namespace {

struct TGraphFrameFixture : ::testing::Test {
    TAppSession session;
    TScriptedDialogs& dialogs = session.Dialogs;
    TFChild* child = nullptr;
    std::unique_ptr<TFTreePrj> window;

    void SetUp() override {
        const std::string data = session.GeneratedFile("run.pci", 200, 4, 5);
        ASSERT_FALSE(data.empty());
        child = session.NewProjectWindow(data);
        ASSERT_NE(child, nullptr);
        window = std::make_unique<TFTreePrj>(child->Project(), session.Settings.get(),
                                             tmProjectTree, std::string(), child);
    }
    void TearDown() override {
        TfrmAeGr::ClearRegisteredPanels();
        window.reset();
        dialogs.Answers = {mrNo};
        session.Main.reset();
    }
    // A graph inserted below the database, selected.
    TGVCPUGr* InsertGraph() {
        TGVDb& db = child->Project().Db();
        window->SelectProcessor(&db);
        EXPECT_TRUE(window->InsertProcessor(pkGr));
        TGVCPUGr* graph = nullptr;
        for (int i = 0; i < db.ChildCount(); ++i)
            if (!graph) graph = dynamic_cast<TGVCPUGr*>(db.Child(i));
        EXPECT_NE(graph, nullptr);
        if (graph) window->SelectProcessor(graph);
        return graph;
    }
    TfrmAeGr* Frame() { return qobject_cast<TfrmAeGr*>(window->ParameterPage()); }
};

} // namespace

TEST_F(TGraphFrameFixture, InsertOffersGraphsAndTheirPageIsTheFrame) {
    window->SelectProcessor(&child->Project().Db());
    bool offered = false;
    dialogs.OnMenu = [&](QMenu& menu, const QPoint&) -> QAction* {
        for (QAction* a : menu.actions())
            if (a->objectName() == "mGVCPUGr") offered = a->isEnabled();
        return nullptr;
    };
    QAction* insert = window->findChild<QAction*>("tbInsertProcessor");
    ASSERT_NE(insert, nullptr);
    insert->trigger();
    EXPECT_TRUE(offered);
    TGVCPUGr* graph = InsertGraph();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->Name(), "GR01");
    ASSERT_NE(Frame(), nullptr);
    EXPECT_NE(window->ParameterTitle()->text().indexOf("Graph Processor"), -1);
    EXPECT_EQ(graph->CheckReady(), 1); // no fields, no series yet
    QStringList tabs;
    for (int i = 0; i < Frame()->Pages()->count(); ++i)
        tabs << Frame()->Pages()->tabText(i);
    EXPECT_EQ(tabs.join(",").toStdString(), "Axis,Series,Records,Info,Comments");
}

TEST_F(TGraphFrameFixture, AxesAndSeriesMakeTheGraphReady) {
    TGVCPUGr* graph = InsertGraph();
    ASSERT_NE(Frame(), nullptr);
    TfrmAeGr& f = *Frame();
    TGraphVC& view = f.View();
    // The axis lists offer the numeric fields of the branch.
    EXPECT_GE(f.AxisFieldBox(akLeft)->findData(QString(fidAmpl)), 1);
    EXPECT_EQ(f.AxisFieldBox(akLeft)->findData(QString(fidDefaultText)), -1);
    EXPECT_TRUE(f.SetAxisField(akLeft, fidAmpl));
    EXPECT_TRUE(f.SetAxisField(akBottom, fidTime));
    EXPECT_FALSE(f.SetAxisField(akLeft, "9999999999999999"));
    EXPECT_EQ(view.LeftAxis().FieldId(), fidAmpl);
    EXPECT_TRUE(view.LeftAxis().AutoMin() && view.LeftAxis().AutoMax()); // no bounds yet

    // A new series that the dialog cancels is not kept.
    dialogs.On<TFSeries>([](TFSeries&) { return int(QDialog::Rejected); });
    EXPECT_EQ(f.AddSeries(stPointPlot), nullptr);
    EXPECT_EQ(view.Series().Count(), 0);
    dialogs.On<TFSeries>([](TFSeries& d) {
        EXPECT_TRUE(d.windowTitle().startsWith("Add "));
        return int(QDialog::Accepted);
    });
    TSeriesGr* s = f.AddSeries(stPointPlot);
    ASSERT_NE(s, nullptr);
    EXPECT_NE(view.SeriesObject(*s), nullptr);
    EXPECT_EQ(f.SeriesList()->count(), 1);
    EXPECT_EQ(graph->CheckReady(), 2); // configured, not on a page
    f.AddSeries(stHistigram);
    f.MoveSeries(1, -1);
    EXPECT_EQ(view.Series().Get(0)->TypeSeries(), stHistigram);
    EXPECT_EQ(f.SeriesList()->item(0)->text().left(9).toStdString(), "Histogram");
    f.DeleteSeries(0);
    EXPECT_EQ(view.Series().Count(), 1);

    // A series on the right side goes with the right axis.
    f.SetRightEnabled(true);
    EXPECT_TRUE(f.SetAxisField(akRight, fidAmpl));
    TSeriesGr* right = f.AddSeries(stLineGraph);
    ASSERT_NE(right, nullptr);
    right->SetSide(sdRight);
    f.RightEnabledBox()->click();
    EXPECT_FALSE(view.RightAxis().Enabled());
    EXPECT_EQ(view.Series().Count(), 1);
    EXPECT_FALSE(f.AxisFieldBox(akRight)->isEnabled());
}

TEST_F(TGraphFrameFixture, BoundsInfoFieldsFirstHitsAndTitle) {
    TGVCPUGr* graph = InsertGraph();
    ASSERT_NE(Frame(), nullptr);
    TfrmAeGr& f = *Frame();
    TGraphVC& view = f.View();
    f.SetAxisField(akLeft, fidAmpl);
    f.SetAutoBound(akLeft, false, true);
    EXPECT_FALSE(f.MinEdit(akLeft)->isEnabled()); // automatic
    f.AutoMinBox(akLeft)->click();
    EXPECT_FALSE(view.LeftAxis().AutoMin());
    ASSERT_TRUE(f.MinEdit(akLeft)->isEnabled());
    f.MinEdit(akLeft)->setText("40");
    f.CommitEdits();
    ASSERT_NE(view.LeftAxis().Min(), nullptr);
    EXPECT_EQ(view.LeftAxis().Min()->GetAsFloat(), 40);
    f.LogBox(akLeft)->click();
    EXPECT_TRUE(view.LeftAxis().Logarithmic());

    EXPECT_TRUE(f.AddInfoField(fidAmpl));
    EXPECT_FALSE(f.AddInfoField(fidAmpl)); // listed once
    EXPECT_TRUE(f.AddInfoField(fidChan));
    f.MoveInfoField(1, -1);
    EXPECT_EQ(f.InfoList()->count(), 2);
    EXPECT_TRUE(view.UsesField(std::string(fidChan)));
    f.DeleteInfoField(0);
    EXPECT_FALSE(view.UsesField(std::string(fidChan)));
    f.PrepareInfoMenu();
    EXPECT_FALSE(f.AddInfoMenu()->actions().isEmpty());

    f.FirstHitBox()->click();
    EXPECT_TRUE(graph->GetFirstHitOnly());
    f.FirstPointInfoBox()->click();
    EXPECT_TRUE(view.FirstPointInfo());
    f.TitleEdit()->setText("  Amplitudes ");
    f.CommitEdits();
    EXPECT_EQ(view.GetCaption(), "Amplitudes [GR01]");
    EXPECT_TRUE(child->Project().Modified());
}

TEST_F(TGraphFrameFixture, RegisteredPagesAndRecordsPanelsJoinTheFrame) {
    TfrmAeGr::RegisterPage("Extra", [](TGVCPUGr&, QWidget* parent) {
        auto* w = new QLabel("extra", parent);
        w->setObjectName("extraPage");
        return w;
    });
    TfrmAeGr::RegisterRecordsPanel([](TGVCPUGr& g, QWidget* parent) -> QWidget* {
        auto* box = new QCheckBox(QString::fromStdString(g.Name()), parent);
        box->setObjectName("cbAddon_0");
        return box;
    });
    InsertGraph();
    ASSERT_NE(Frame(), nullptr);
    TfrmAeGr& f = *Frame();
    EXPECT_EQ(f.Pages()->tabText(f.Pages()->count() - 1).toStdString(), "Extra");
    auto* panel = f.RecordsPage()->findChild<QCheckBox*>("cbAddon_0");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text().toStdString(), "GR01");
}

TEST_F(TGraphFrameFixture, InfoButtonsActOnTheCurrentRow) {
    InsertGraph();
    ASSERT_NE(Frame(), nullptr);
    TfrmAeGr& f = *Frame();
    QStringList order;
    for (QPushButton* b : f.InfoList()->parentWidget()->findChildren<QPushButton*>(
             QString(), Qt::FindDirectChildrenOnly))
        order << b->objectName();
    EXPECT_EQ(order.join(",").toStdString(), "btnAddInfo,btnUpInfo,btnDownInfo,btnDeleteInfo");
    auto button = [&](const char* name) { return f.findChild<QPushButton*>(name); };
    ASSERT_EQ(button("btnAddInfo")->menu(), f.AddInfoMenu());
    ASSERT_EQ(button("btnAddSeries")->menu(), f.AddSeriesMenu());
    ASSERT_TRUE(f.AddInfoField(fidAmpl));
    ASSERT_TRUE(f.AddInfoField(fidChan));
    f.InfoList()->setCurrentRow(0);
    button("btnDownInfo")->click();
    EXPECT_EQ(f.InfoList()->currentRow(), 1);
    EXPECT_TRUE(f.InfoList()->item(0)->text().startsWith(
        QString::fromStdString(f.Graph().FindField(fidChan)->FieldName())));
    button("btnDeleteInfo")->click();
    EXPECT_EQ(f.InfoList()->count(), 1);
    EXPECT_FALSE(f.View().UsesField(std::string(fidAmpl)));
}
