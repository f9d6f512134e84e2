// The conditioning windows on the demo project in a real window: hits deleted from the table's
// processor in two groups, "Data Deleted Info" opened from the "Database" menu, one record and
// one group restored, the project closed and opened again with the remaining deletions still
// there; then "Parametric Data" from the "Edit" menu adds a field over the file's parametric
// input and the table shows it. Screenshots of the screen go to the build folder.

#include "../app/TDemoSession.h"
#include "app/TDelHitGrid.h"
#include "app/TFDelHit.h"
#include "app/TFParametric.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/table/TGVCPUTbl.h"
#include "testprog/TAEParametric.h"
#include "view2d/TPickerMenu.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableGrid.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::ShootScreen;
using vorelt::test::TDemoSession;
using vorelt::test::TScriptedDialogs;

namespace {

std::vector<std::string> TreeTexts(TFDelHit& w) {
    std::vector<std::string> texts;
    for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it)
        texts.push_back((*it)->text(0).toStdString());
    return texts;
}

} // namespace

TEST(CondSession, DeletionsRestoredAndKeptAndAParametricFieldInTheTable) {
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    TScriptedDialogs& dialogs = s.Dialogs;
    const std::string shots = std::string(VORELT_BINARY_DIR) + "/cond-session-";

    ASSERT_TRUE(s.Open(1280, 960));
    TFMain& main = *s.Main;
    TFChild* child = s.Child;
    ASSERT_NE(s.Table(), nullptr);
    TGVCPUTbl* table = s.Table()->Table();
    child->ExecuteCommand(cmRun);
    QApplication::processEvents();
    TGVDb& db = child->Project().Db();
    EXPECT_FALSE(child->Action("mDataDeletedInfo")->isEnabled());

    // Two deletions asked for from the table's processor, as a selection of its rows would.
    for (std::vector<int32_t> rows :
         {std::vector<int32_t>{10, 11, 12}, std::vector<int32_t>{100, 101, 102, 103, 104}}) {
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = rows;
        table->SendUp(del);
    }
    QApplication::processEvents();
    ASSERT_EQ(db.DeletedGroupCount(), 2);
    child->UpdateCommandStates();
    ASSERT_TRUE(child->Action("mDataDeletedInfo")->isEnabled());
    child->Action("mDataDeletedInfo")->trigger();
    TFDelHit* delHit = child->findChild<TFDelHit*>();
    ASSERT_NE(delHit, nullptr);
    delHit->move(300, 200);
    for (const char* id : {fidHHMMSS, fidTimeS, fidChan, fidAmpl, fidCount})
        delHit->Pages().AddColumn(*db.FindField(id));
    delHit->Rebuild();
    EXPECT_EQ(TreeTexts(*delHit),
              (std::vector<std::string>{"Stack Data Deleted - 8", "0 Page - 3", "1 Page - 5"}));
    delHit->Tree()->setCurrentItem(delHit->Tree()->topLevelItem(0)->child(1));
    EXPECT_EQ(delHit->Grid()->RowCount(), 7);
    ShootScreen(shots + "delhit.png");

    // One record of group 1 (its second row), then the whole of group 0.
    delHit->Grid()->setFocus();
    QTest::mouseClick(delHit->Grid()->viewport(), Qt::LeftButton, {}, QPoint(60, 3 * 20 + 8));
    ASSERT_EQ(delHit->Grid()->CurrentRow(), 3);
    delHit->UpdateGridMenu();
    ASSERT_TRUE(delHit->UndeleteRecordAction()->isEnabled());
    delHit->UndeleteRecordAction()->trigger();
    EXPECT_EQ(TreeTexts(*delHit),
              (std::vector<std::string>{"Stack Data Deleted - 7", "0 Page - 3", "1 Page - 4"}));
    delHit->ChooseGroup(0);
    delHit->GroupMenu()->actions().value(0)->trigger();
    EXPECT_EQ(TreeTexts(*delHit),
              (std::vector<std::string>{"Stack Data Deleted - 4", "0 Page - 4"}));
    EXPECT_EQ(db.Driver()->DeletedGroups()[0], (std::vector<int32_t>{100, 102, 103, 104}));
    delHit->close();

    // Save, close and open again: the log beside the data file keeps the remaining group.
    child->ExecuteCommand(cmSave);
    QApplication::processEvents();
    // Should the project count as changed again, the question is answered with "Yes".
    dialogs.Answers = {mrYes};
    qobject_cast<QMdiSubWindow*>(child->parentWidget())->close();
    QApplication::processEvents();
    ASSERT_TRUE(main.Children().isEmpty());
    // The window goes (and its data file closes, writing the log) once deferred deletes run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    ASSERT_TRUE(std::filesystem::exists(s.Dir.File("demo.log")));
    child = main.OpenProjectWindow(s.Project, false);
    ASSERT_NE(child, nullptr);
    s.Child = child;
    TGVDb& reopened = child->Project().Db();
    ASSERT_EQ(reopened.DeletedGroupCount(), 1);
    EXPECT_EQ(reopened.Driver()->DeletedGroups()[0], (std::vector<int32_t>{100, 102, 103, 104}));
    child->UpdateCommandStates();
    child->Action("mDataDeletedInfo")->trigger();
    delHit = child->findChild<TFDelHit*>();
    ASSERT_NE(delHit, nullptr);
    EXPECT_EQ(TreeTexts(*delHit),
              (std::vector<std::string>{"Stack Data Deleted - 4", "0 Page - 4"}));
    EXPECT_EQ(delHit->Pages().ColumnCount(), 5); // the columns were saved with the project
    delHit->close();

    // "Parametric Data": a field over the parametric input, shown in the table.
    ASSERT_TRUE(child->Action("mParametricData")->isEnabled());
    dialogs.On<TFParametricField>([&](TFParametricField& d) {
        d.move(420, 380);
        d.show();
        QTest::keyClicks(d.NameEdit(), "Pressure");
        QTest::keyClicks(d.DisplayNameEdit(), "Pressure");
        QTest::keyClicks(d.DimensionEdit(), "MPa");
        d.Pages()->setCurrentIndex(1);
        d.PrepareSourceMenu();
        if (QAction* a = FindPickerAction(*d.SourceMenu(), fidParametric1)) a->trigger();
        QTest::keyClicks(d.FactorEdit(), "2,5");
        QTest::keyClicks(d.OffsetEdit(), "-1");
        ShootScreen(shots + "parametric-field.png");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    child->Action("mParametricData")->trigger();
    TFParametric* parametric = child->findChild<TFParametric*>();
    ASSERT_NE(parametric, nullptr);
    parametric->move(300, 200);
    parametric->AddField();
    ASSERT_EQ(parametric->List()->topLevelItemCount(), 1);
    EXPECT_EQ(parametric->List()->topLevelItem(0)->text(0), "Pressure");
    ShootScreen(shots + "parametric.png");
    parametric->close();

    table = s.Table()->Table();
    ASSERT_NE(table, nullptr);
    const TAEField* pressure = reopened.OwnFields().Get(0);
    ASSERT_NE(table->FindField(pressure->ID()), nullptr);
    table->Data().AddColumn(*table->FindField(pressure->ID()));
    table->Data().AddColumn(*table->FindField(fidParametric1));
    child->ExecuteCommand(cmRun);
    QApplication::processEvents();
    // Every record with an input has it scaled: input * 2,5 - (-1); without one, none. The
    // Tarvel drivers declare the input but never fill it, so on the demo file every value is
    // null; the arithmetic itself is checked over a file that has inputs.
    TAERecord record;
    table->PrepareRecord(record);
    TAEPNav nav;
    for (int32_t r = 0; r < table->Data().RowCount() && r < 2000; ++r) {
        ASSERT_TRUE(table->FetchRow(nav, record, r + 1, table->Data().RowPosition(r)));
        const TAEField* in = record.FindByID(fidParametric1);
        const TAEField* out = record.FindByID(pressure->ID());
        ASSERT_NE(out, nullptr);
        if (!in || in->IsNull()) {
            EXPECT_TRUE(out->IsNull());
            continue;
        }
        EXPECT_EQ(out->GetAsFloat(), in->GetAsFloat() * 2.5L + 1);
    }
    EXPECT_EQ(table->Data().Columns().Get(table->Data().Columns().Count() - 2)->Name(), "Pressure");
    // The new columns are the last ones: the grid is scrolled to them for the picture.
    TTableVC* view = s.Table();
    ASSERT_NE(view, nullptr);
    view->RecomputeWidth();
    view->Grid()->horizontalScrollBar()->setValue(view->Grid()->horizontalScrollBar()->maximum());
    ShootScreen(shots + "table.png");
    child->Project().SetModified(false);
    main.close();
}
