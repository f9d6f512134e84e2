// The project tree window offscreen: the tree of a project, inserting and deleting processors
// with the checks' messages, drops in the tree, the parameter pages, the page dispatcher with
// its preview, and what the project window does when the window ends.

#include "TAppSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFTreePrj.h"
#include "app/TLongShoF.h"
#include "app/TfrmAeDb.h"
#include "common/TestData.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TfrmAeTbl.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TfrmAeGraph3D.h"
#include "viewmodel/dialogs/tree/TTreePrjRules.h"
#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TAppSession;
using vorelt::test::TScriptedDialogs;

namespace {

QAction* FindAction(QMenu* menu, const QString& name) {
    for (QAction* a : menu->actions()) {
        if (a->objectName() == name) return a;
        if (a->menu())
            if (QAction* hit = FindAction(a->menu(), name)) return hit;
    }
    return nullptr;
}

struct TTreeWindowFixture : ::testing::Test {
    TAppSession session;
    TScriptedDialogs& dialogs = session.Dialogs;
    TFChild* child = nullptr;
    std::deque<std::string> inputs;

    void SetUp() override {
        const std::string data = session.GeneratedFile("run.pci", 200, 4, 5);
        ASSERT_FALSE(data.empty());
        child = session.NewProjectWindow(data);
        ASSERT_NE(child, nullptr);
        dialogs.OnInput = [this](const std::string&, const std::string&, std::string& text) {
            if (inputs.empty()) return false;
            text = inputs.front();
            inputs.pop_front();
            return true;
        };
    }
    void TearDown() override {
        dialogs.Answers = {mrNo};
        session.Main.reset();
    }
    TProjectAE& Project() { return child->Project(); }
    std::unique_ptr<TFTreePrj> Open(int mode = tmProjectTree, const std::string& id = {}) {
        return std::make_unique<TFTreePrj>(Project(), session.Settings.get(), mode, id, child);
    }
    // Captions of the nodes below the database's, in tree order.
    std::vector<std::string> Captions(TFTreePrj& w) {
        std::vector<std::string> out;
        QTreeWidgetItemIterator it(w.Tree());
        for (++it; *it; ++it)
            out.push_back((*it)->text(0).toStdString());
        return out;
    }
};

TEST_F(TTreeWindowFixture, InsertChecksShowTheirMessageAndCreateNothing) {
    auto w = Open();
    EXPECT_EQ(w->windowTitle().toStdString(), "Project Tree View");
    EXPECT_EQ(w->Tabs()->currentWidget()->objectName().toStdString(), "tsParameters");
    w->SelectProcessor(&Project().Db());
    EXPECT_TRUE(w->InsertAction()->isEnabled());
    EXPECT_FALSE(w->DeleteAction()->isEnabled());
    EXPECT_EQ(w->ParameterTitle()->text().toStdString(), "Database Processor");
    ASSERT_TRUE(w->InsertProcessor(pkFltr));
    TGVCPU* filter = Project().Db().Child(0);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->Name(), "FR01");
    EXPECT_FALSE(filter->ID().empty());
    w->SelectProcessor(filter);
    ASSERT_TRUE(w->InsertProcessor(pkLoc));
    TGVCPU* location = filter->Child(0);
    w->SelectProcessor(location);
    EXPECT_FALSE(w->InsertProcessor(pkLoc));
    EXPECT_EQ(dialogs.Boxes.back(), "Duplicate Processor: Location Processor");
    EXPECT_EQ(location->ChildCount(), 0);
    w->SelectProcessor(filter);
    EXPECT_FALSE(w->InsertProcessor(pkGr3D));
    EXPECT_EQ(dialogs.Boxes.back(),
              "Invalid Processor After Location Processor: Graph3D Processor");
    EXPECT_EQ(filter->ChildCount(), 1);
    // Siblings: feeding processors before final ones, whatever the order of insertion.
    w->SelectProcessor(&Project().Db());
    ASSERT_TRUE(w->InsertProcessor(pkTbl));
    // The table just inserted is selected now; the next one goes below the database again.
    EXPECT_EQ(w->SelectedProcessor()->ClassName(), "TGVCPUTbl");
    w->SelectProcessor(&Project().Db());
    ASSERT_TRUE(w->InsertProcessor(pkFltr));
    EXPECT_EQ(Captions(*w), (std::vector<std::string>{"FR01", "LC01", "FR02", "TB01"}));
    EXPECT_TRUE(w->ProjectChanged());
}

TEST_F(TTreeWindowFixture, ClosingWithoutChangeIsCancelAndNoRebuild) {
    QWidget* tab = child->PageControl()->widget(0);
    ASSERT_NE(tab, nullptr);
    int result = -1;
    dialogs.OnDialog = [&](QDialog& d) {
        static_cast<TFTreePrj&>(d).CloseWindow();
        result = d.result();
        return result;
    };
    child->ShowTree(tmProjectTree);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(child->PageControl()->widget(0), tab);
    // A change ends with OK and the pages are built again.
    dialogs.OnDialog = [&](QDialog& d) {
        auto& w = static_cast<TFTreePrj&>(d);
        w.SelectProcessor(&Project().Db());
        w.InsertProcessor(pkFltr);
        w.CloseWindow();
        result = d.result();
        return result;
    };
    // The old page is gone: a new one may take its address, so the pointers tell nothing.
    QPointer<QWidget> old(tab);
    child->ShowTree(tmPagesDispatcher);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(old.isNull() || child->PageControl()->indexOf(old) < 0);
    // The project's own handler is back.
    EXPECT_TRUE(static_cast<bool>(Project().OnModified));
}

TEST_F(TTreeWindowFixture, ParametersModeShowsOnlyThePath) {
    TGVDb& db = Project().Db();
    auto* f1 = db.AddNew<TGVCPUFltr>();
    auto* f2 = db.AddNew<TGVCPUFltr>();
    auto* table = f2->AddNew<TGVCPUTbl>();
    db.AssignIDsDeep(false, *Project().IDGenerator());
    db.NameProcessors();
    auto w = Open(tmProcessorParameters, table->ID());
    EXPECT_EQ(w->windowTitle().toStdString(), "Processor's Parameters");
    EXPECT_EQ(Captions(*w), (std::vector<std::string>{"FR02", "TB01"}));
    EXPECT_EQ(w->SelectedProcessor(), table);
    EXPECT_EQ(w->Tabs()->count(), 1);
    EXPECT_FALSE(w->InsertAction()->isEnabled());
    EXPECT_FALSE(w->DeleteAction()->isEnabled());
    EXPECT_FALSE(w->CanDropInTree(table, f1));
    EXPECT_NE(qobject_cast<TfrmAeTbl*>(w->ParameterPage()), nullptr);
    EXPECT_EQ(w->ParameterTitle()->text().toStdString(), "Table Processor TB01");
}

TEST_F(TTreeWindowFixture, TheGraph3DFrameRefreshesItsNodeAfterASchemaEdit) {
    RegisterView3dClasses();
    TGVDb& db = Project().Db();
    auto* loc = db.AddNew<TGVCPULoc>();
    auto* graph = loc->AddNew<TGVCPUGr3D>();
    db.AssignIDsDeep(false, *Project().IDGenerator());
    db.NameProcessors();
    graph->Data().SetSchema(nullptr);
    auto w = Open();
    w->SelectProcessor(graph);
    EXPECT_EQ(w->StatusLine()->text().toStdString(), "Processor Not Complete Description");
    auto* frame = qobject_cast<TfrmAeGraph3D*>(w->ParameterPage());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(static_cast<bool>(frame->OnOpenEditor)); // the window opens the schema editor
    int edited = 0;
    frame->OnOpenEditor = [&edited](TGraph3DVC&) { ++edited; };
    frame->AddSchema(0);
    EXPECT_EQ(edited, 1);
    // Complete now, but on no page yet: the status line follows without a new selection.
    EXPECT_EQ(w->StatusLine()->text().toStdString(), "Processor Not Visible");
    dialogs.Answers = {mrYes};
    frame->DeleteSchema();
    EXPECT_EQ(w->StatusLine()->text().toStdString(), "Processor Not Complete Description");
}

TEST_F(TTreeWindowFixture, DropsMoveOrCopyAndDeleteTakesTheSubtree) {
    TGVDb& db = Project().Db();
    auto* f1 = db.AddNew<TGVCPUFltr>();
    auto* f2 = db.AddNew<TGVCPUFltr>();
    auto* table = f1->AddNew<TGVCPUTbl>();
    db.AssignIDsDeep(false, *Project().IDGenerator());
    db.NameProcessors();
    auto w = Open();
    EXPECT_TRUE(w->DropInTree(table, f2, dcMove));
    EXPECT_EQ(table->Parent(), f2);
    EXPECT_EQ(w->NodeOfID(table->ID())->parent(), w->NodeOfID(f2->ID()));
    const std::string oldID = f2->ID();
    EXPECT_TRUE(w->DropInTree(f2, f1, dcCopy));
    ASSERT_EQ(f1->ChildCount(), 1);
    TGVCPU* copy = f1->Child(0);
    EXPECT_EQ(copy->Name(), "FR03");
    EXPECT_NE(copy->ID(), oldID);
    ASSERT_EQ(copy->ChildCount(), 1);
    EXPECT_EQ(copy->Child(0)->Name(), "TB02");
    ASSERT_NE(w->NodeOfID(copy->Child(0)->ID()), nullptr);
    // The database cannot be dropped; nothing is dropped into its own subtree.
    EXPECT_FALSE(w->DropInTree(&db, f1, dcMove));
    EXPECT_FALSE(w->DropInTree(f1, copy, dcMove));
    // Delete, no question asked.
    const size_t boxes = dialogs.Boxes.size();
    w->SelectProcessor(f1);
    w->DeleteProcessor();
    EXPECT_EQ(dialogs.Boxes.size(), boxes);
    EXPECT_EQ(db.ChildCount(), 1);
    EXPECT_EQ(Captions(*w), (std::vector<std::string>{"FR02", "TB01"}));
}

TEST_F(TTreeWindowFixture, DispatcherPlacesViewsAndDeletingAPageLeavesThemUnplaced) {
    TGVDb& db = Project().Db();
    auto* table = db.AddNew<TGVCPUTbl>();
    db.AssignIDsDeep(false, *Project().IDGenerator());
    db.NameProcessors();
    auto w = Open(tmPagesDispatcher);
    w->resize(1000, 700);
    w->show();
    QApplication::processEvents();
    EXPECT_EQ(w->Tabs()->currentWidget()->objectName().toStdString(), "tsPageDispatcher");
    // The table needs a column to be ready for a page.
    w->SelectProcessor(table);
    auto* frame = qobject_cast<TfrmAeTbl*>(w->ParameterPage());
    ASSERT_NE(frame, nullptr);
    frame->PrepareAddMenu();
    ASSERT_FALSE(frame->AddColumnMenu()->actions().isEmpty());
    QAction* column = FindAction(frame->AddColumnMenu(), "ppf_1");
    ASSERT_NE(column, nullptr);
    column->trigger();
    ASSERT_EQ(w->PagesList()->count(), 1); // the new project's first page
    w->SelectPage(0);
    w->RefreshNode(w->NodeOfID(table->ID()));
    EXPECT_EQ(w->StatusLine()->text().toStdString(), "Processor Not Visible");
    // Import fills the buffer; a drop on the preview places the view and empties the buffer.
    w->ImportFree();
    ASSERT_EQ(w->BufferList()->count(), 1);
    w->BufferList()->setCurrentRow(0);
    ASSERT_TRUE(w->BufferToPreview(QPoint(20, 20)));
    EXPECT_EQ(w->BufferList()->count(), 0);
    ASSERT_NE(w->BoxOf(table->ID()), nullptr);
    EXPECT_EQ(Project().Pages().Page(0)->PlacementCount(), 1);
    w->RefreshNode(w->NodeOfID(table->ID()));
    EXPECT_EQ(w->StatusLine()->text().toStdString(), " ");
    // A second drop of the placed view changes nothing.
    EXPECT_FALSE(w->TreeToPreview(table, QPoint(150, 150)));
    EXPECT_EQ(Project().Pages().Page(0)->PlacementCount(), 1);
    // Pages: add (cancel changes nothing), rename, delete.
    EXPECT_FALSE(w->PageAction("tbPageUp")->isEnabled());
    w->AddPage();
    EXPECT_EQ(w->PagesList()->count(), 1);
    inputs = {"Second"};
    w->AddPage();
    ASSERT_EQ(w->PagesList()->count(), 2);
    EXPECT_EQ(w->SelectedPage(), 1);
    EXPECT_TRUE(w->PageAction("tbPageUp")->isEnabled());
    inputs = {"Overview"};
    w->SelectPage(0);
    w->EditPageName();
    EXPECT_EQ(Project().Pages().Page(0)->Name(), "Overview");
    w->DeletePage();
    EXPECT_EQ(Project().Pages().PageCount(), 1);
    w->SelectProcessor(table);
    EXPECT_EQ(w->StatusLine()->text().toStdString(), "Processor Not Visible");
    EXPECT_EQ(w->BufferList()->count(), 0);
    // "Found Screen Position" has nothing to find now.
    w->FoundScreenPosition();
    EXPECT_EQ(dialogs.Boxes.back(), "Not Found");
}

TEST_F(TTreeWindowFixture, PopupItemsFollowTheSelection) {
    auto* table = Project().Db().AddNew<TGVCPUTbl>();
    Project().Db().AssignIDsDeep(false, *Project().IDGenerator());
    auto w = Open();
    QAction* chosen = nullptr;
    std::map<std::string, bool> enabled;
    dialogs.OnMenu = [&](QMenu& menu, const QPoint&) -> QAction* {
        enabled.clear();
        for (QAction* a : menu.actions())
            enabled[a->objectName().toStdString()] = a->isEnabled();
        return chosen;
    };
    w->SelectProcessor(&Project().Db());
    emit w->Tree()->customContextMenuRequested(QPoint(1, 1));
    EXPECT_TRUE(enabled["ppShowID"]);
    EXPECT_FALSE(enabled["ppGoToProcessor"]);
    w->SelectProcessor(table);
    emit w->Tree()->customContextMenuRequested(QPoint(1, 1));
    EXPECT_TRUE(enabled["ppFoundScreenPosition"]);
    EXPECT_TRUE(enabled["ppGoToProcessor"]);
    w->ShowID();
    EXPECT_EQ(dialogs.Boxes.back(), table->ID());
}

} // namespace
