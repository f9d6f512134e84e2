// A project built with the mouse's commands in real windows: from an empty project on a
// generated file, "Project Tree View" inserts a filter with a condition, a location processor
// (a second one on the same path is refused with its message), a math processor with an
// expression field and a table of that field; the page dispatcher places the table on the first
// page. Close and Run show the filtered data; after saving, closing and opening again the tree,
// the pages and the table's records are the same. The command line knows no tables: it dumps
// the math processor, whose stream is what the table shows.

#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFTreePrj.h"
#include "app/TLongShoF.h"
#include "app/TSingleInstance.h"
#include "app/TfrmAeFltr.h"
#include "app/TfrmAePrc.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TRoShemRectAEVObject.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view2d/TfrmAeTbl.h"

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
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

std::string RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    const std::string err = p.readAllStandardError().toStdString();
    if (!err.empty()) std::fprintf(stderr, "%s: %s\n", qPrintable(program), err.c_str());
    return p.readAllStandardOutput().toStdString();
}

QAction* FindAction(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions()) {
        // Field items read "FieldName<tab>DisplayName[Dimension]".
        if (a->text() == text || a->text().startsWith(text + "\t")) return a;
        if (a->menu())
            if (QAction* hit = FindAction(a->menu(), text)) return hit;
    }
    return nullptr;
}

// The tree as text: every processor with its depth and name.
std::string TreeText(TGVCPU& p, int depth = 0) {
    std::string s = std::string(size_t(depth) * 2, ' ') + p.ClassName() + " " + p.Name() + "\n";
    for (int i = 0; i < p.ChildCount(); ++i)
        s += TreeText(*p.Child(i), depth + 1);
    return s;
}

std::string PagesText(TDispatchDraw& pages) {
    std::string s;
    for (int i = 0; i < pages.PageCount(); ++i) {
        TAEPage* page = pages.Page(i);
        s += page->Name() + ":";
        for (int j = 0; j < page->PlacementCount(); ++j) {
            RecListGVCPU pl;
            page->GetPlacement(j, pl);
            s += " " + pl.ID + "@" + std::to_string(double(pl.TopLeftX)) + "," +
                 std::to_string(double(pl.TopLeftY)) + "," +
                 std::to_string(double(pl.BottomRightX)) + "," +
                 std::to_string(double(pl.BottomRightY));
        }
        s += "\n";
    }
    return s;
}

} // namespace

TEST(TreeSession, BuildFilterLocationMathAndTableThenRunSaveAndReopen) {
    TTempDir dir;
    const std::string runtime = dir.File("run");
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    TSingleInstance instance;
    ASSERT_TRUE(instance.Acquire());
    const QString bin = VORELT_BINARY_DIR;

    const std::string data = dir.File("session.pci");
    TGenerateOptions o;
    o.Format = "pci";
    o.FileName = data;
    o.Hits = 3000;
    o.Channels = 4;
    o.Seed = 11;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    const std::string projectFile = dir.File("session.xml");

    RegisterCoreClasses();
    RegisterView2dClasses();
    TLongShoF::SetMinimumShowTime(50);

    TIniApplic settings(dir.Path() + "/");
    TScriptedDialogs dialogs;
    std::string treeBefore, pagesBefore, dumpBefore;
    int rowsBefore = 0;
    {
        TFMain main(settings, dialogs);
        main.resize(1280, 900);
        main.show();
        QApplication::processEvents();
        dialogs.Files = {projectFile, data};
        TFChild* child = main.OpenProjectWindow({}, true);
        ASSERT_NE(child, nullptr);
        QAction* treeAction = child->Action("mProjectThreeView");
        ASSERT_TRUE(treeAction->isEnabled());

        TGVCPUTbl* table = nullptr;
        std::string doubleID;
        dialogs.OnDialog = [&](QDialog& d) {
            auto& w = static_cast<TFTreePrj&>(d);
            w.resize(1100, 700);
            w.show();
            QApplication::processEvents();
            TGVDb& db = child->Project().Db();
            w.SelectProcessor(&db);
            EXPECT_TRUE(w.InsertProcessor(pkFltr));
            TGVCPU* filter = db.Child(0);
            w.SelectProcessor(filter);
            auto* frame = qobject_cast<TfrmAeFltr*>(w.ParameterPage());
            EXPECT_NE(frame, nullptr);
            if (!frame) return int(QDialog::Rejected);
            dialogs.On<TLCDialog>([&](TLCDialog& c) {
                c.SelectField(filter->FindField(fidAmpl));
                c.OperationBox()->setCurrentIndex(c.OperationBox()->findData(coGreater));
                c.ValueEdit()->setText("60");
                return c.TryAccept() ? 1 : 0;
            });
            frame->Editor()->AddCondition();
            EXPECT_NE(frame->Editor()->Memo()->toPlainText().indexOf("> 60"), -1);

            EXPECT_TRUE(w.InsertProcessor(pkLoc));
            TGVCPU* location = filter->Child(0);
            w.SelectProcessor(location);
            // The negative path: a second location processor on the same path.
            EXPECT_FALSE(w.InsertProcessor(pkLoc));
            EXPECT_EQ(dialogs.Boxes.back(), "Duplicate Processor: Location Processor");
            EXPECT_TRUE(w.InsertProcessor(pkPrc));
            TGVCPU* math = location->Child(0);
            w.SelectProcessor(math);
            auto* mathFrame = qobject_cast<TfrmAePrc*>(w.ParameterPage());
            EXPECT_NE(mathFrame, nullptr);
            if (!mathFrame) return int(QDialog::Rejected);
            dialogs.On<TCalcFieldDialog>([&](TCalcFieldDialog& c) {
                QTest::keyClicks(c.NameEdit(), "Double");
                c.DisplayNameEdit()->setText("Double Ampl");
                c.ExpressionButton()->setChecked(true);
                c.ExpressionEdit()->setPlainText("{Ampl} * 2");
                return c.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
            });
            mathFrame->AddField(dtExtended);
            EXPECT_EQ(math->OwnFields().Count(), 1);
            if (math->OwnFields().Count() == 1) doubleID = math->OwnFields().Get(0)->ID();
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
                QAction* a = FindAction(tableFrame->AddColumnMenu(), column);
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
        main.close();
    }
    dumpBefore = RunTool(bin + "/tools/cli/vorelt-cli",
                         {"project", QString::fromStdString(projectFile), "--dump", "MT01"});
    EXPECT_FALSE(dumpBefore.empty());

    {
        TFMain main(settings, dialogs);
        main.show();
        TFChild* child = main.OpenProjectWindow(projectFile, false);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(TreeText(child->Project().Db()), treeBefore);
        EXPECT_EQ(PagesText(child->Project().Pages()), pagesBefore);
        child->ExecuteCommand(cmRun);
        TTableVC* view = nullptr;
        child->ForEachPlacedView([&](int, int, TGVVisualClass* v) {
            if (!view) view = dynamic_cast<TTableVC*>(v);
        });
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->Data().RowCount(), rowsBefore);
        main.close();
    }
    const std::string dumpAfter =
        RunTool(bin + "/tools/cli/vorelt-cli",
                {"project", QString::fromStdString(projectFile), "--dump", "MT01"});
    EXPECT_EQ(dumpAfter, dumpBefore);
}
