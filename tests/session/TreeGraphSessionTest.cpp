// The graph half of a project built with the tree window in real windows: from an empty project
// on a generated file, a filter "Ampl > 60", a location processor, a math processor with the
// field "{Ampl} * 2", and below it a table and a graph of that field against time made in the
// graph's settings frame; both go onto the first page in the page dispatcher. Close and Run show
// the filtered data in the graph; after saving, closing and opening again the graph shows the
// same points on the same ranges.

#include "../app/TAppSession.h"
#include "../app/TProjectTexts.h"
#include "../app/TTreeSteps.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFSeries.h"
#include "app/TFTreePrj.h"
#include "app/TfrmAeFltr.h"
#include "app/TfrmAeGr.h"
#include "app/TfrmAePrc.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TGraphVC.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view2d/TfrmAeTbl.h"
#include "viewmodel/drawables/TGraphAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// What a filled graph shows: points drawn and the ranges of its axes.
struct TGraphShown {
    int Points = 0;
    int64_t Read = 0;
    long double LeftMin = 0, LeftMax = 0, BottomMin = 0, BottomMax = 0;
    long double LowestY = 0;
    bool operator==(const TGraphShown&) const = default;
};

TGraphShown Shown(TGraphVC& v) {
    TGraphShown s;
    s.Read = v.RecordsRead();
    if (TGraphAEVObject* o = v.Series().Count() ? v.SeriesObject(*v.Series().Get(0)) : nullptr)
        s.Points = o->Points().Count();
    if (v.LeftAxis().CurMin()) s.LeftMin = v.LeftAxis().CurMin()->GetAsFloat();
    if (v.LeftAxis().CurMax()) s.LeftMax = v.LeftAxis().CurMax()->GetAsFloat();
    if (v.BottomAxis().CurMin()) s.BottomMin = v.BottomAxis().CurMin()->GetAsFloat();
    if (v.BottomAxis().CurMax()) s.BottomMax = v.BottomAxis().CurMax()->GetAsFloat();
    if (v.LeftAxis().Min()) s.LowestY = v.LeftAxis().Min()->GetAsFloat();
    return s;
}

} // namespace

TEST(TreeGraphSession, FilterLocationMathTableAndGraphThenRunSaveAndReopen) {
    TAppSession session;
    ASSERT_TRUE(session.AcquireInstance());
    vorelt::test::TScriptedDialogs& dialogs = session.Dialogs;
    const QString bin = VORELT_BINARY_DIR;
    const std::string data = session.GeneratedFile("session.pci", 3000, 4, 11);
    ASSERT_FALSE(data.empty());
    const std::string projectFile = session.Dir.File("session.xml");
    TLongShoF::SetMinimumShowTime(50);

    std::string treeBefore, pagesBefore;
    TGraphShown before;
    {
        TFMain& main = session.ShowMainWindow();
        TFChild* child = session.NewProjectWindow(data, "session.xml");
        ASSERT_NE(child, nullptr);

        TGVCPUTbl* table = nullptr;
        TGVCPUGr* graph = nullptr;
        dialogs.OnDialog = [&](QDialog& d) {
            auto& w = static_cast<TFTreePrj&>(d);
            TGVDb& db = child->Project().Db();
            TfrmAeFltr* frame = ShowTreeAndInsertFilter(w, db, 1100, 760);
            if (!frame) return int(QDialog::Rejected);
            TGVCPU* filter = db.Child(0);
            dialogs.On<TLCDialog>(
                [&](TLCDialog& c) { return ChooseAmplitudeAbove60(c, *filter) ? 1 : 0; });
            frame->Editor()->AddCondition();
            EXPECT_TRUE(w.InsertProcessor(pkLoc));
            TGVCPU* location = filter->Child(0);
            w.SelectProcessor(location);
            TGVCPU* math = InsertDoubleAmplitudeMath(w, *location, dialogs);
            if (!math) return int(QDialog::Rejected);
            const std::string doubleID = math->OwnFields().Get(0)->ID();

            // The table of the field.
            w.SelectProcessor(math);
            EXPECT_TRUE(w.InsertProcessor(pkTbl));
            w.SelectProcessor(math);
            EXPECT_TRUE(w.InsertProcessor(pkGr));
            for (int i = 0; i < math->ChildCount(); ++i) {
                if (!table) table = dynamic_cast<TGVCPUTbl*>(math->Child(i));
                if (!graph) graph = dynamic_cast<TGVCPUGr*>(math->Child(i));
            }
            EXPECT_NE(table, nullptr);
            EXPECT_NE(graph, nullptr);
            if (!table || !graph) return int(QDialog::Rejected);
            w.SelectProcessor(table);
            auto* tableFrame = qobject_cast<TfrmAeTbl*>(w.ParameterPage());
            EXPECT_NE(tableFrame, nullptr);
            if (!tableFrame) return int(QDialog::Rejected);
            for (const char* column : {"Ampl", "Double"}) {
                tableFrame->PrepareAddMenu();
                if (QAction* a = FindActionByText(tableFrame->AddColumnMenu(), column))
                    a->trigger();
            }

            // The graph of the field against time, made in its frame.
            w.SelectProcessor(graph);
            auto* graphFrame = qobject_cast<TfrmAeGr*>(w.ParameterPage());
            EXPECT_NE(graphFrame, nullptr);
            if (!graphFrame) return int(QDialog::Rejected);
            EXPECT_GE(graphFrame->AxisFieldBox(akLeft)->findData(QString::fromStdString(doubleID)),
                      1);
            EXPECT_TRUE(graphFrame->SetAxisField(akLeft, doubleID));
            EXPECT_TRUE(graphFrame->SetAxisField(akBottom, fidTimeS));
            dialogs.On<TFSeries>([&](TFSeries& s) {
                s.show();
                QApplication::processEvents();
                s.PointStyleBox()->setCurrentIndex(1); // "Big Point"
                s.grab().save(bin + "/tree-graph-series.png");
                return int(QDialog::Accepted);
            });
            EXPECT_NE(graphFrame->AddSeries(stPointPlot), nullptr);
            graphFrame->AddInfoField(fidAmpl);
            graphFrame->AddInfoField(doubleID);
            graphFrame->Pages()->setCurrentIndex(0);
            QApplication::processEvents();
            w.grab().save(bin + "/tree-graph-frame.png");

            // Both views onto the first page, side by side.
            w.Tabs()->setCurrentIndex(1);
            w.SelectPage(0);
            QApplication::processEvents();
            EXPECT_TRUE(w.TreeToPreview(table, QPoint(10, 10)));
            EXPECT_TRUE(w.TreeToPreview(graph, QPoint(300, 10)));
            if (TRoShemRectAEVObject* box = w.BoxOf(table->ID())) {
                box->SetRect(0, 0, 110, 210);
                box->OnEndEdit(*box);
            }
            if (TRoShemRectAEVObject* box = w.BoxOf(graph->ID())) {
                box->SetRect(112, 0, 297, 210);
                box->OnEndEdit(*box);
            }
            QApplication::processEvents();
            w.grab().save(bin + "/tree-graph-dispatcher.png");
            w.CloseWindow();
            return w.result();
        };
        child->Action("mProjectThreeView")->trigger();
        ASSERT_NE(graph, nullptr);
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(child->PageControl()->count(), 1);
        EXPECT_EQ(graph->CheckReady(), -1);

        child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        auto* view = dynamic_cast<TGraphVC*>(graph->GetView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->Active()) << view->FillError();
        before = Shown(*view);
        // Only hits above 60 dB passed: the doubled amplitude starts above 120.
        EXPECT_GT(before.Points, 0);
        EXPECT_LT(before.Points, 3000);
        EXPECT_GT(before.LowestY, 120);
        // The point style chosen in the series dialog is drawn at once.
        auto* points =
            dynamic_cast<TGraphPointAEVObject*>(view->SeriesObject(*view->Series().Get(0)));
        ASSERT_NE(points, nullptr);
        EXPECT_EQ(points->PointStyle(), 1);
        auto* tableView = dynamic_cast<TTableVC*>(table->GetView());
        ASSERT_NE(tableView, nullptr);
        EXPECT_TRUE(tableView->Active());
        QApplication::processEvents();
        main.grab().save(bin + "/tree-graph-page.png");

        child->ExecuteCommand(cmSave);
        treeBefore = TreeText(child->Project().Db());
        pagesBefore = PagesText(child->Project().Pages());
        session.CloseMain();
    }

    {
        TFMain& main = session.ShowMainWindow();
        TFChild* child = main.OpenProjectWindow(projectFile, false);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(TreeText(child->Project().Db()), treeBefore);
        EXPECT_EQ(PagesText(child->Project().Pages()), pagesBefore);
        child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        TGraphVC* view = nullptr;
        child->ForEachPlacedView([&](int, int, TGVVisualClass* v) {
            if (!view) view = dynamic_cast<TGraphVC*>(v);
        });
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->Active()) << view->FillError();
        const TGraphShown after = Shown(*view);
        EXPECT_EQ(after.Points, before.Points);
        EXPECT_EQ(after.Read, before.Read);
        EXPECT_EQ(after.LeftMin, before.LeftMin);
        EXPECT_EQ(after.LeftMax, before.LeftMax);
        EXPECT_EQ(after.BottomMin, before.BottomMin);
        EXPECT_EQ(after.BottomMax, before.BottomMax);
        main.grab().save(bin + "/tree-graph-reopened.png");
        main.close();
    }
}
