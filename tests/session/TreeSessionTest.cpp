// A project built with the mouse's commands in real windows: from an empty project on a
// generated file, "Project Tree View" inserts a filter with a condition, a location processor
// (a second one on the same path is refused with its message), a math processor with an
// expression field and a table of that field; the page dispatcher places the table on the first
// page. Close and Run show the filtered data; after saving, closing and opening again the tree,
// the pages and the table's records are the same. The command line knows no tables: it dumps
// the math processor, whose stream is what the table shows.

#include "../app/TAppSession.h"
#include "../app/TProjectTexts.h"
#include "../app/TTreeSteps.h"
#include "app/TFChild.h"
#include "app/TFTreePrj.h"
#include "app/TfrmAeFltr.h"
#include "app/TfrmAePrc.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view2d/TfrmAeTbl.h"
#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

TEST(TreeSession, BuildFilterLocationMathAndTableThenRunSaveAndReopen) {
    TAppSession s;
    ASSERT_TRUE(s.AcquireInstance());
    const QString bin = VORELT_BINARY_DIR;
    const std::string data = s.GeneratedFile("session.pci", 3000, 4, 11);
    ASSERT_FALSE(data.empty());
    const std::string projectFile = s.Dir.File("session.xml");
    TLongShoF::SetMinimumShowTime(50);

    TScriptedDialogs& dialogs = s.Dialogs;
    std::string treeBefore, pagesBefore, dumpBefore;
    int rowsBefore = 0;
    {
        TFMain& main = s.ShowMainWindow();
        TFChild* child = s.NewProjectWindow(data, "session.xml");
        ASSERT_NE(child, nullptr);
        QAction* treeAction = child->Action("mProjectThreeView");
        ASSERT_TRUE(treeAction->isEnabled());

        TGVCPUTbl* table = nullptr;
        std::string doubleID;
        dialogs.OnDialog = [&](QDialog& d) {
            auto& w = static_cast<TFTreePrj&>(d);
            TGVDb& db = child->Project().Db();
            TfrmAeFltr* frame = ShowTreeAndInsertFilter(w, db, 1100, 700);
            if (!frame) return int(QDialog::Rejected);
            TGVCPU* filter = db.Child(0);
            dialogs.On<TLCDialog>(
                [&](TLCDialog& c) { return ChooseAmplitudeAbove60(c, *filter) ? 1 : 0; });
            frame->Editor()->AddCondition();
            EXPECT_NE(frame->Editor()->Memo()->toPlainText().indexOf("> 60"), -1);

            EXPECT_TRUE(w.InsertProcessor(pkLoc));
            TGVCPU* location = filter->Child(0);
            w.SelectProcessor(location);
            // The negative path: a second location processor on the same path.
            EXPECT_FALSE(w.InsertProcessor(pkLoc));
            EXPECT_EQ(dialogs.Boxes.back(), "Duplicate Processor: Location Processor");
            TGVCPU* math = InsertDoubleAmplitudeMath(w, *location, dialogs);
            if (!math) return int(QDialog::Rejected);
            doubleID = math->OwnFields().Get(0)->ID();
            EXPECT_TRUE(w.InsertProcessor(pkTbl));
            table = nullptr;
            for (int i = 0; i < math->ChildCount(); ++i)
                if (!table) table = dynamic_cast<TGVCPUTbl*>(math->Child(i));
            EXPECT_NE(table, nullptr);
            if (!table) return int(QDialog::Rejected);
            w.SelectProcessor(table);
            auto* tableFrame = qobject_cast<TfrmAeTbl*>(w.ParameterPage());
            EXPECT_NE(tableFrame, nullptr);
            if (!tableFrame) return int(QDialog::Rejected);
            for (const char* column : {"Ampl", "Double"}) {
                tableFrame->PrepareAddMenu();
                QAction* a = FindActionByText(tableFrame->AddColumnMenu(), column);
                EXPECT_NE(a, nullptr) << column;
                if (a) a->trigger();
            }
            QApplication::processEvents();
            w.grab().save(bin + "/tree-window.png");

            // The page dispatcher: the table goes onto the first page and fills it.
            w.Tabs()->setCurrentIndex(1);
            w.SelectPage(0);
            QApplication::processEvents();
            EXPECT_TRUE(w.TreeToPreview(table, QPoint(10, 10)));
            TRoShemRectAEVObject* box = w.BoxOf(table->ID());
            EXPECT_NE(box, nullptr);
            if (box) {
                box->SetRect(0, 0, 297, 210);
                box->OnEndEdit(*box);
            }
            QApplication::processEvents();
            w.grab().save(bin + "/tree-dispatcher.png");
            w.CloseWindow();
            return w.result();
        };
        treeAction->trigger();
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(child->PageControl()->count(), 1);

        child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        auto* view = dynamic_cast<TTableVC*>(table->GetView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->Active());
        rowsBefore = view->Data().RowCount();
        EXPECT_GT(rowsBefore, 0);
        // Every hit row passed the filter, and the calculated field is twice the amplitude.
        TAERecord record;
        table->PrepareRecord(record);
        TAEPNav nav;
        int hits = 0;
        for (int32_t r = 0; r < std::min(rowsBefore, 300); ++r) {
            ASSERT_TRUE(table->FetchRow(nav, record, r + 1, view->Data().RowPosition(r)));
            if (record.Kind() != 1) continue;
            ++hits;
            const TAEField* ampl = record.FindByID(fidAmpl);
            const TAEField* twice = record.FindByID(doubleID);
            ASSERT_NE(ampl, nullptr);
            ASSERT_NE(twice, nullptr);
            EXPECT_GT(ampl->GetAsFloat(), 60);
            EXPECT_EQ(twice->GetAsFloat(), ampl->GetAsFloat() * 2);
        }
        EXPECT_GT(hits, 0);
        QApplication::processEvents();
        main.grab().save(bin + "/tree-session-page.png");

        child->ExecuteCommand(cmSave);
        treeBefore = TreeText(child->Project().Db());
        pagesBefore = PagesText(child->Project().Pages());
        s.CloseMain();
    }
    dumpBefore = RunTool(bin + "/tools/cli/vorelt-cli",
                         {"project", QString::fromStdString(projectFile), "--dump", "MT01"});
    EXPECT_FALSE(dumpBefore.empty());

    {
        TFMain& main = s.ShowMainWindow();
        TFChild* child = main.OpenProjectWindow(projectFile, false);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(TreeText(child->Project().Db()), treeBefore);
        EXPECT_EQ(PagesText(child->Project().Pages()), pagesBefore);
        child->ExecuteCommand(cmRun);
        TTableVC* view = PlacedTable(*child);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->Data().RowCount(), rowsBefore);
        s.CloseMain();
    }
    const std::string dumpAfter =
        RunTool(bin + "/tools/cli/vorelt-cli",
                {"project", QString::fromStdString(projectFile), "--dump", "MT01"});
    EXPECT_EQ(dumpAfter, dumpBefore);
}
