#pragma once
// What a user does on the demo project when views must follow the data (a band deleted and
// restored, a run that plots nothing) and when the small things must hold (the recent list,
// a run stopped with Esc, the table's find, the project tree, the schema editor, the load
// line). Each step checks what the user sees; the window tests and the X sessions run them.

#include "TDemoSession.h"
#include "app/TFTestProgram.h"
#include "app/TFTreePrj.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecordProtocol.h"
#include "processing/TProcessorKind.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DPipePS.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TFindTextF.h"
#include "view2d/TGraphDb.h"
#include "view2d/TTableGrid.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TSchemaEditorF.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace vorelt::test {

// The menu of the main window's bar as it is now (the bar is rebuilt with the active window).
inline QMenu* MenuOfBar(TFMain& main, const char* name) {
    for (QAction* a : main.menuBar()->actions())
        if (a->menu() && a->menu()->objectName() == name) return a->menu();
    return nullptr;
}

// ---- Views that follow a deletion ----------------------------------------------------------

// "Delete" of a band on the amplitude graph and "Undelete": the histogram of hits per channel
// counts without the band, and with it again, as soon as the page is refreshed.
inline void HistogramFollowsDeleteAndUndelete(TDemoSession& s) {
    s.ShowPage(1);
    TGraphVC* amplitude = s.Graph("Amplitude");
    TGraphVC* histogram = s.Graph("Hits per Channel");
    ASSERT_TRUE(amplitude && histogram);
    s.Run();
    ASSERT_TRUE(histogram->Active()) << histogram->FillError();
    const int64_t before = HistogramHits(*histogram);
    ASSERT_GT(before, 10000);

    // Over hits of the first burst, behind the margin the plot leaves left of the data.
    DragBand(*amplitude, 0.045, 0.07);
    const int64_t found = static_cast<int64_t>(amplitude->FoundPositions().size());
    ASSERT_GT(found, 0);
    amplitude->MenuItem("mDeleteVC")->trigger();
    QApplication::processEvents();
    s.Shot("histogram-after-delete.png");
    EXPECT_FALSE(histogram->Outdated());
    EXPECT_EQ(HistogramHits(*histogram), before - found) << "the histogram kept its counts";

    amplitude->MenuItem("mUnDeleteVC")->trigger();
    QApplication::processEvents();
    s.Shot("histogram-after-undelete.png");
    EXPECT_FALSE(histogram->Outdated());
    EXPECT_EQ(HistogramHits(*histogram), before);
}

// A run in which no hit passes the series' condition: the graph says so and shows no axis
// marks of the run before; the next run with hits draws them again.
inline void EmptyRunSaysSoAndKeepsNoStaleRange(TDemoSession& s) {
    s.ShowPage(1);
    TGraphVC* g = s.Graph("Amplitude");
    ASSERT_NE(g, nullptr);
    s.Run();
    ASSERT_TRUE(g->Active());
    EXPECT_FALSE(g->LeftAxis().Marks().empty());
    EXPECT_EQ(GraphNotice(*g), "");

    TSeriesGr& series = *g->Series().Get(0);
    const bool filterWas = series.EnabledFilter();
    series.SetEnabledFilter(true);
    auto* c = static_cast<TLCCondition*>(series.LogCons().Add(std::make_unique<TLCCondition>()));
    c->SetFieldID(fidAmpl);
    c->SetOperation(coGreater);
    c->SetValue("1000");
    s.Run();
    s.Shot("graph-empty-run.png");
    EXPECT_EQ(GraphNotice(*g), "No Data");
    EXPECT_TRUE(g->LeftAxis().Marks().empty()) << "the amplitude axis kept the last run's marks";
    EXPECT_TRUE(g->BottomAxis().Marks().empty()) << "the time axis kept the last run's marks";

    while (series.LogCons().Count() > 0)
        series.LogCons().DeleteChild(0);
    series.SetEnabledFilter(filterWas);
    s.Run();
    EXPECT_EQ(GraphNotice(*g), "");
    EXPECT_FALSE(g->LeftAxis().Marks().empty());
}

// ---- Smaller ones a user trips on ----------------------------------------------------------

// The project just opened is in the File menu's recent list before any restart.
inline void RecentListHasTheProjectAtOnce(TDemoSession& s) {
    bool inList = false;
    for (QAction* a : s.Main->RecentActions())
        inList |= a->toolTip().toStdString() == s.Project;
    EXPECT_TRUE(inList) << "the recent list lacks the project opened";
    QMenu* file = MenuOfBar(*s.Main, "mFile");
    ASSERT_NE(file, nullptr);
    bool inMenu = false;
    for (QAction* a : file->actions())
        inMenu |= a->toolTip().toStdString() == s.Project;
    EXPECT_TRUE(inMenu) << "the File menu lacks the project opened";
}

// Esc during a run, pressed as the first graph starts reading: the graphs say where they
// stopped where the plot was, and no error box follows; the next run plots them all again.
inline void StoppedRunSaysStopped(TDemoSession& s) {
    s.ShowPage(1);
    std::vector<TGraphVC*> graphs;
    for (const char* title : {"Amplitude", "Hits per Channel", "Counts vs Amplitude"}) {
        graphs.push_back(s.Graph(title));
        ASSERT_NE(graphs.back(), nullptr) << title;
    }
    TGraphVC* first = graphs.front();
    const auto progress = first->OnProgress;
    bool pressed = false;
    first->OnProgress = [&](int64_t records, int64_t total) {
        if (!pressed) {
            pressed = true;
            QTest::keyClick(s.Main.get(), Qt::Key_Escape);
        }
        if (progress) progress(records, total);
    };
    s.Run();
    first->OnProgress = progress;
    EXPECT_TRUE(pressed);
    s.Shot("graph-stopped.png");
    EXPECT_FALSE(s.Dialogs.Asked("Abort")) << "a stop asked for is no error";
    for (TGraphVC* g : graphs) {
        EXPECT_FALSE(g->Active()) << g->Title();
        // The first graph stopped where it was; the others stopped before reading.
        EXPECT_EQ(GraphNotice(*g).rfind("Stopped at ", 0), 0u)
            << g->Title() << " says " << GraphNotice(*g);
    }
    s.Dialogs.Boxes.clear();
    s.Run();
    for (TGraphVC* g : graphs) {
        EXPECT_TRUE(g->Active());
        EXPECT_EQ(GraphNotice(*g), "");
    }
}

// "Insert Processor" in the project tree: the new processor is the one selected, with its
// settings shown, not the database.
inline void AddedProcessorIsSelected(TDemoSession& s) {
    bool ran = false;
    s.Dialogs.OnDialog = [&](QDialog& d) {
        auto& w = static_cast<TFTreePrj&>(d);
        w.resize(1100, 700);
        w.show();
        QApplication::processEvents();
        TGVDb& db = s.Child->Project().Db();
        w.SelectProcessor(&db);
        const int before = db.ChildCount();
        QAction* insert = nullptr;
        for (QAction* a : w.InsertMenu()->actions())
            if (a->objectName() == "mGVCPUFltr") insert = a;
        EXPECT_NE(insert, nullptr);
        if (insert) insert->trigger();
        QApplication::processEvents();
        EXPECT_EQ(db.ChildCount(), before + 1);
        TGVCPU* added = nullptr;
        for (int i = 0; i < db.ChildCount(); ++i)
            if (db.Child(i)->ClassName() == "TGVCPUFltr") added = db.Child(i);
        EXPECT_NE(added, nullptr);
        EXPECT_EQ(w.SelectedProcessor(), added) << "the selection went back to the database";
        const QString shot = qEnvironmentVariable("VORELT_SHOTS");
        if (!shot.isEmpty()) w.grab().save(shot + "/tree-added-processor.png");
        ran = true;
        return int(QDialog::Rejected);
    };
    s.Child->Action("mProjectThreeView")->trigger();
    s.Dialogs.OnDialog = nullptr;
    EXPECT_TRUE(ran);
}

// The table's own menu and the main Edit menu open the find window.
inline void FindIsInTheMenus(TDemoSession& s) {
    s.ShowPage(0);
    TTableVC* view = s.Table();
    ASSERT_NE(view, nullptr);
    s.Run();
    ASSERT_TRUE(view->Active());
    view->Clicked();
    QApplication::processEvents();

    // The table's context menu: Edit -> Find.
    QList<QAction*> items;
    view->OnPopupMenu = [&](TVisualClass& v, const QPoint& pos, const QList<QAction*>& list) {
        items = list;
        s.Child->ShowViewPopup(v, pos, list);
    };
    view->ShowContextMenu(view->Grid()->mapToGlobal(QPoint(40, 60)));
    QApplication::processEvents();
    QMenu* popup = s.Child->ViewPopup();
    QAction* edit = nullptr;
    for (QAction* a : popup->actions())
        if (a->objectName() == "mGVVisualClass") edit = a;
    ASSERT_TRUE(edit && edit->menu());
    QAction* find = nullptr;
    for (QAction* a : edit->menu()->actions())
        if (a->objectName() == "mFindVC") find = a;
    s.Shot("table-menu.png");
    popup->hide();
    ASSERT_NE(find, nullptr) << "the table's menu has no Find";
    EXPECT_TRUE(find->isEnabled());
    find->trigger();
    QApplication::processEvents();
    ASSERT_NE(view->FindWindow(), nullptr);
    EXPECT_TRUE(view->FindWindow()->isVisible());
    view->FindWindow()->close();

    // The main window's Edit menu.
    QMenu* mainEdit = MenuOfBar(*s.Main, "mEdit");
    ASSERT_NE(mainEdit, nullptr);
    QAction* mainFind = nullptr;
    for (QAction* a : mainEdit->actions())
        if (a->objectName() == "mFindInTable") mainFind = a;
    ASSERT_NE(mainFind, nullptr) << "the Edit menu has no Find";
    emit mainEdit->aboutToShow();
    EXPECT_TRUE(mainFind->isEnabled());
    mainFind->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(view->FindWindow()->isVisible());
    view->OnPopupMenu = [&s](TVisualClass& v, const QPoint& pos, const QList<QAction*>& list) {
        s.Child->ShowViewPopup(v, pos, list);
    };
}

// "Seek" with a condition on the amplitude lands on hits only, row after row, each scrolled
// into the middle of the grid and clear of the find window.
inline void SeekLandsOnHitsInTheMiddle(TDemoSession& s) {
    s.ShowPage(0);
    TTableVC* view = s.Table();
    ASSERT_NE(view, nullptr);
    if (!view->Active()) s.Run();
    ASSERT_TRUE(view->Active());
    TGVCPUTbl* table = view->Table();
    view->Clicked();
    view->OpenFindWindow();
    QApplication::processEvents();
    TFindTextF* find = view->FindWindow();
    ASSERT_NE(find, nullptr);
    // The find window where a dialog opens: over the middle of the window.
    find->move(s.Main->geometry().center() - QPoint(find->width() / 2, find->height() / 2));
    QApplication::processEvents();
    TLCBase& root = view->Data().SeekCondition();
    while (root.Count() > 0)
        root.DeleteChild(0);
    auto* c = static_cast<TLCCondition*>(root.Add(std::make_unique<TLCCondition>()));
    c->SetFieldID(fidAmpl);
    c->SetOperation(coGreater);
    c->SetValue("80");
    TAERecord record;
    table->PrepareRecord(record);
    TAEPNav nav;
    TTableGrid* grid = view->Grid();
    int last = -1;
    for (int k = 0; k < 3; ++k) {
        find->SeekButton()->click();
        QApplication::processEvents();
        const int row = grid->CurrentRow();
        ASSERT_GT(row, last);
        last = row;
        const int32_t data = row - TTableGrid::FixedRows;
        ASSERT_TRUE(table->FetchRow(nav, record, data + 1, view->Data().RowPosition(data)));
        EXPECT_EQ(record.Kind(), rkHit) << "Seek landed on a row of kind " << int(record.Kind());
        const int middle = grid->TopRow() + grid->VisibleDataRows() / 2;
        if (grid->TopRow() > TTableGrid::FixedRows) {
            EXPECT_NEAR(row, middle, 1);
        }
        const QRect shown(
            grid->viewport()->mapToGlobal(
                QPoint(0, (TTableGrid::FixedRows + row - grid->TopRow()) * TTableGrid::RowHeight)),
            QSize(grid->viewport()->width(), TTableGrid::RowHeight));
        EXPECT_FALSE(find->frameGeometry().intersects(shown)) << "the row is under the window";
    }
    s.Shot("table-seek.png");
    find->close();
}

// Enter in a field of the schema editor confirms the field; the editor stays open.
inline void EnterInTheSchemaEditorConfirmsTheField(TDemoSession& s) {
    TGraph3DVC* graph = nullptr;
    s.Child->ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        if (auto* g = dynamic_cast<TGraph3DVC*>(v)) graph = g;
    });
    ASSERT_NE(graph, nullptr);
    TAEOBJ3D* schema = graph->Data().Schema();
    ASSERT_NE(schema, nullptr);
    TSchemaEditorF editor(*schema, s.Main.get());
    editor.setModal(false);
    editor.show();
    QApplication::processEvents();
    TAEOBJ3D* pipe = nullptr;
    for (TAEOBJ3D* o : editor.TreeObjects())
        if (!pipe && dynamic_cast<TAEOBJ3DPipePS*>(o)) pipe = o;
    ASSERT_NE(pipe, nullptr);
    editor.Select(pipe);
    QApplication::processEvents();
    QLineEdit* length = nullptr;
    for (QLineEdit* e : editor.findChildren<QLineEdit*>("edLength"))
        if (e->isVisible()) length = e;
    ASSERT_NE(length, nullptr);
    length->setFocus();
    length->selectAll();
    QTest::keyClicks(length, "7");
    QTest::keyClick(length, Qt::Key_Return);
    QApplication::processEvents();
    const QString shot = qEnvironmentVariable("VORELT_SHOTS");
    if (!shot.isEmpty()) editor.grab().save(shot + "/schema-editor-after-enter.png");
    EXPECT_TRUE(editor.isVisible()) << "Enter closed the schema editor";
    EXPECT_EQ(pipe->PropertyText("Length"), "7");

    const std::vector<std::string>& said = s.Dialogs.Boxes;
    // A decimal point typed is the decimal comma; a text that is no number stays as typed,
    // marked, and the length keeps its value.
    for (const char* typed : {"7.5", "abc"}) {
        length->setFocus();
        length->selectAll();
        QTest::keyClick(length, Qt::Key_Backspace);
        QTest::keyClicks(length, typed);
        QTest::keyClick(length, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(length->text(), QString(typed).replace('.', ','));
    }
    EXPECT_EQ(pipe->PropertyFloat("Length"), 7.5L);
    EXPECT_TRUE(length->property("refusedNumber").toBool());

    // The channel dialog of a sensor: typed into, then OK; "3.5" is no channel.
    TAEOBJ3DPAEPS* sensor = nullptr;
    for (TAEOBJ3D* o : editor.TreeObjects())
        if (!sensor) sensor = dynamic_cast<TAEOBJ3DPAEPS*>(o);
    ASSERT_NE(sensor, nullptr);
    editor.Select(sensor);
    QApplication::processEvents();
    QPushButton* channelButton = nullptr;
    for (QPushButton* b : editor.findChildren<QPushButton*>("btnChannel"))
        if (b->isVisible()) channelButton = b;
    ASSERT_NE(channelButton, nullptr);
    const int32_t was = sensor->Channel();
    for (const char* typed : {"3.5", "abc", "12"}) {
        SCOPED_TRACE(typed);
        QString shown;
        bool refused = false;
        s.Dialogs.OnDialog = [&](QDialog& d) {
            QLineEdit* e = d.findChild<QLineEdit*>("edChannel");
            if (!e) return int(QDialog::Rejected);
            e->selectAll();
            QTest::keyClick(e, Qt::Key_Backspace);
            QTest::keyClicks(e, typed);
            shown = e->text();
            d.setResult(QDialog::Rejected);
            d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            if (d.result() == QDialog::Accepted) return int(QDialog::Accepted);
            refused = e->property("refusedNumber").toBool();
            return int(QDialog::Rejected);
        };
        const size_t before = said.size();
        QTest::mouseClick(channelButton, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(shown, QString(typed).replace('.', ','));
        if (std::string(typed) == "12") {
            EXPECT_EQ(sensor->Channel(), 12);
        } else {
            EXPECT_TRUE(refused);
            EXPECT_GT(said.size(), before);
            EXPECT_EQ(sensor->Channel(), was);
        }
    }
    s.Dialogs.OnDialog = nullptr;
    editor.close();
    s.Child->Project().SetModified(false);
}

// A load line drawn with the mouse on the test graph: its loads read to the axis' resolution
// (0 .. 100 MPa: one decimal), not to fourteen decimals.
inline void DrawnLoadLineReadsSensibly(TDemoSession& s) {
    s.Child->Action("mTestingGraph")->trigger();
    QApplication::processEvents();
    TFTestProgram* w = s.Child->OpenTestProgramWindow();
    ASSERT_NE(w, nullptr);
    w->resize(900, 700);
    QApplication::processEvents();
    w->DrawTestLine();
    TCanvasContainer* c = w->Graph().Container();
    // Left clicks at a quarter, a third and seven tenths of the width, a right click ends.
    for (const double f : {0.25, 0.34, 0.7}) {
        const QPoint at(static_cast<int>(c->width() * f), static_cast<int>(c->height() * (1 - f)));
        QTest::mouseMove(c, at);
        QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, at);
    }
    QTest::mouseClick(c, Qt::RightButton, Qt::NoModifier, QPoint(c->width() / 2, c->height() / 2));
    QApplication::processEvents();
    ASSERT_GE(w->Points()->topLevelItemCount(), 2);
    w->Pages()->setCurrentIndex(1); // "Line Points"
    QApplication::processEvents();
    const QString shot = qEnvironmentVariable("VORELT_SHOTS");
    if (!shot.isEmpty()) w->grab().save(shot + "/load-line-points.png");
    for (int i = 0; i < w->Points()->topLevelItemCount(); ++i) {
        const QString load = w->Points()->topLevelItem(i)->text(2);
        const int comma = load.indexOf(',');
        EXPECT_TRUE(comma < 0 || load.size() - comma - 1 <= 1) << load.toStdString();
    }
    w->close();
    s.Child->Project().SetModified(false);
}

} // namespace vorelt::test
