// The table view over an in-memory stream: rows on activation, the tree messages, typed
// shortcuts, hit marks, the find window and the context menu.

#include "processing/FilterStreamSupport.h"

#include "model/TAEFieldIDs.h"
#include "persist/TNodePersist.h"
#include "processing/IProcessorContext.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TLCCondition.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TFindTextF.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableGrid.h"
#include "view2d/TTableVC.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// The project's end of the tree: it records what reaches the top.
class TRecordingContext : public IProcessorContext {
public:
    IIDGenerator* IDGenerator() override { return nullptr; }
    IUserPrompt* Prompt() override { return nullptr; }
    void TopMessage(TAEOMSG& msg) override { Messages.push_back(msg); }
    bool Got(uint32_t number) const {
        for (const TAEOMSG& m : Messages)
            if (m.Msg == number) return true;
        return false;
    }
    std::vector<TAEOMSG> Messages;
};

struct TTableViewFixture : ::testing::Test {
    // The page outlives the view that it hosts.
    QWidget page;
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = nullptr;
    TGVCPUTbl* table = nullptr;
    TTableVC* view = nullptr;
    TRecordingContext context;
    TScriptedDialogs dialogs;

    void SetUp() override {
        RegisterFilterClasses();
        RegisterView2dClasses();
        source = MakeStream(holder);
        source->SetContext(&context);
        table = source->AddNew<TGVCPUTbl>();
        table->SetName("TB1");
        table->SetID("0000000000012345");
        view = dynamic_cast<TTableVC*>(table->GetView());
        ASSERT_NE(view, nullptr);
        page.resize(800, 600);
        view->SetParentWindow(&page);
        view->SetTop(0);
        view->SetLeft(0);
        view->SetHeight(400);
        view->SetWidth(600);
        view->SetVisible(true);
    }

    void Columns() {
        for (const char* id : {fidTimeMS, fidChan, fidAmpl})
            table->Data().AddColumn(*table->FindField(id));
    }
    void Hits(int n) {
        for (int i = 0; i < n; ++i)
            AddHit(*source, i, 1 + i % 4, 40 + i % 50);
    }
};

} // namespace

TEST_F(TTableViewFixture, CheckReadyNeedsColumnsAndAPlacement) {
    EXPECT_EQ(view->CheckReady(), 1);
    Columns();
    EXPECT_EQ(view->CheckReady(), 2); // no project, so on no page

    TProjectAE project;
    auto* placed = project.Db().AddNew<TGVCPUTbl>();
    placed->SetID("0000000000054321");
    placed->Data().AddColumn(*placed->FindField(fidNumRec));
    auto* placedView = dynamic_cast<TTableVC*>(placed->GetView());
    EXPECT_EQ(placedView->CheckReady(), 2);
    project.Pages().AddPage("P");
    RecListGVCPU r;
    r.BottomRightX = 100;
    r.BottomRightY = 100;
    r.ID = placed->ID();
    project.Pages().Page(0)->AddPlacement(r);
    EXPECT_EQ(placedView->CheckReady(), -1);
    EXPECT_EQ(placed->CheckReady(), -1);
}

TEST_F(TTableViewFixture, ActivationLoadsRowsAndDeactivationLeavesThreeGridRows) {
    Columns();
    EXPECT_EQ(view->Grid()->RowCount(), 3);
    Hits(10);
    view->SetActive(true);
    EXPECT_TRUE(view->Active());
    EXPECT_EQ(view->Data().RowCount(), 10);
    EXPECT_EQ(view->Grid()->RowCount(), 12);
    EXPECT_EQ(view->GetStatus(), vsActive);
    view->SetActive(false);
    EXPECT_EQ(view->Data().RowCount(), 0);
    EXPECT_EQ(view->Grid()->RowCount(), 3);
}

// A long load shows the first rows while the walk goes on, and a stop asked for leaves the
// table empty without an error.
TEST_F(TTableViewFixture, ALongLoadShowsTheRowsReadSoFarAndStopsWhenAsked) {
    Columns();
    Hits(50000);
    struct THeard {
        bool Active;
        int GridRows;
    };
    std::vector<THeard> heard;
    view->OnProgress = [&](int64_t, int64_t) {
        heard.push_back({view->Active(), view->Grid()->RowCount()});
    };
    view->SetActive(true);
    ASSERT_GE(heard.size(), 2u);
    EXPECT_TRUE(heard.front().Active);
    EXPECT_GT(heard.front().GridRows, 3);
    EXPECT_LT(heard.front().GridRows, heard.back().GridRows);
    EXPECT_LT(heard.back().GridRows, 50002);
    EXPECT_EQ(view->Grid()->RowCount(), 50002);

    view->SetActive(false);
    view->OnAborted = [&] { return !heard.empty(); };
    heard.clear();
    view->SetActive(true);
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_FALSE(view->Active());
    EXPECT_EQ(view->Data().RowCount(), 0);
    EXPECT_EQ(view->Grid()->RowCount(), 3);
    EXPECT_FALSE(table->HasError());
}

TEST_F(TTableViewFixture, PaintingFetchesOnlyTheRowsInSight) {
    Columns();
    Hits(1000);
    view->SetActive(true);
    page.show();
    QApplication::processEvents();
    TTableGrid* grid = view->Grid();
    ASSERT_GT(grid->VisibleDataRows(), 10);
    QImage image(grid->viewport()->size(), QImage::Format_RGB32);
    {
        QPainter p(&image);
        grid->PaintRows(p, image.rect());
    }
    // The rows in sight, and the one cut by the bottom edge.
    EXPECT_GE(grid->LastFetches(), grid->VisibleDataRows());
    EXPECT_LE(grid->LastFetches(), grid->VisibleDataRows() + 1);
    grid->SetCurrentRow(grid->RowCount() - 1);
    EXPECT_EQ(grid->TopRow() + grid->VisibleDataRows(), grid->RowCount());
    {
        QPainter p(&image);
        grid->PaintRows(p, image.rect());
    }
    EXPECT_EQ(grid->LastFetches(), grid->VisibleDataRows());
}

TEST_F(TTableViewFixture, MessagesFromTheParent) {
    Columns();
    Hits(3);
    view->SetActive(true);
    TAEOMSG deleted;
    deleted.Msg = omDeletedAdded;
    table->Dispatch(deleted);
    EXPECT_TRUE(view->Outdated());
    EXPECT_EQ(view->GetStatus(), vsOutdated);
    view->SetActive(true);
    TAEOMSG changed;
    changed.Msg = omDataChanged;
    table->Dispatch(changed);
    EXPECT_FALSE(view->Active());
    EXPECT_TRUE(view->Outdated());
    TAEOMSG check;
    check.Msg = omCheckViews;
    table->Dispatch(check);
    EXPECT_TRUE(view->GetCheckMark());
}

// 0x405 carries the processor's ID, as the project sends it; the name does not focus.
TEST_F(TTableViewFixture, GoToProcessorFocusesByID) {
    TAEOMSG byName;
    byName.Msg = omFocusView;
    byName.Text = table->Name();
    table->Dispatch(byName);
    EXPECT_FALSE(view->GetFocused());
    TAEOMSG byID;
    byID.Msg = omFocusView;
    byID.Text = table->ID();
    table->Dispatch(byID);
    EXPECT_TRUE(view->GetFocused());
}

TEST_F(TTableViewFixture, TypingWMinusWithinHalfASecondRestoresTheRect) {
    view->SetFocused(true);
    QTest::keyClick(view->Grid(), Qt::Key_W);
    QTest::keyClick(view->Grid(), Qt::Key_Minus);
    EXPECT_TRUE(view->ShortCutTimer()->isActive());
    EXPECT_EQ(view->ShortCutText(), "W-");
    EXPECT_EQ(view->ShortCutTimer()->interval(), 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return context.Got(omRestoreRect); }, 5000));
    EXPECT_FALSE(context.Got(omFillPage));
}

TEST_F(TTableViewFixture, TypingOnAnUnfocusedTableDoesNothing) {
    view->ShortCutKey('L');
    view->ShortCutTimeout();
    view->ShortCutKey('F');
    view->ShortCutTimeout();
    EXPECT_TRUE(context.Messages.empty());
    EXPECT_EQ(view->FindWindow(), nullptr);
}

TEST_F(TTableViewFixture, TypingFOpensTheFindWindow) {
    view->SetFocused(true);
    view->ShortCutKey('F');
    view->ShortCutTimeout();
    ASSERT_NE(view->FindWindow(), nullptr);
    EXPECT_TRUE(view->FindWindow()->isVisible());
    EXPECT_EQ(view->FindWindow()->windowTitle(), "Find Text");
    view->ShortCutKey('L');
    view->ShortCutTimeout();
    EXPECT_TRUE(context.Got(omReloadView));
}

TEST_F(TTableViewFixture, EnterSendsAHitMarkOnlyWithHitMarksOn) {
    Columns();
    Hits(5);
    view->SetActive(true);
    view->Grid()->SetCurrentRow(4);
    QTest::keyClick(view->Grid(), Qt::Key_Return);
    EXPECT_FALSE(context.Got(omHitMarkRequest));
    view->Data().SetHitMarks(true);
    QTest::keyClick(view->Grid(), Qt::Key_Return);
    ASSERT_TRUE(context.Got(omHitMarkRequest));
    const TAEOMSG& m = context.Messages.back();
    ASSERT_EQ(m.List.size(), 1u);
    EXPECT_EQ(m.List[0], 2);
}

TEST_F(TTableViewFixture, AHitMarkedRecordBecomesTheCurrentRowWhereTheTableShowsIt) {
    Columns();
    Hits(500);
    view->SetActive(true);
    page.show();
    QApplication::processEvents();
    // A graph's point far down the table: the row comes into sight as the current one.
    TAEOMSG mark;
    mark.Msg = omMarkRecord;
    mark.List = {420};
    source->Dispatch(mark);
    EXPECT_EQ(view->Grid()->CurrentRow(), 420 + TTableGrid::FixedRows);
    EXPECT_GE(420 + TTableGrid::FixedRows, view->Grid()->TopRow());
    EXPECT_LT(420 + TTableGrid::FixedRows,
              view->Grid()->TopRow() + view->Grid()->VisibleDataRows());
    // A record the table does not show (a branch that does not hold it marks -1) moves nothing.
    mark.List = {-1};
    source->Dispatch(mark);
    EXPECT_EQ(view->Grid()->CurrentRow(), 420 + TTableGrid::FixedRows);
    // Rows read later (the table's page shown again, a new run) start at the marked record.
    mark.List = {377};
    source->Dispatch(mark);
    view->SetActive(false);
    view->SetActive(true);
    EXPECT_EQ(view->Grid()->CurrentRow(), 377 + TTableGrid::FixedRows);
    // Another data file forgets it.
    TAEOMSG changed;
    changed.Msg = omDataChanged;
    source->Dispatch(changed);
    view->SetActive(true);
    EXPECT_EQ(view->Grid()->CurrentRow(), TTableGrid::FixedRows);
}

TEST_F(TTableViewFixture, ContextMenuHasEditWithHitMarksShowWaveformAndExport) {
    Columns();
    Hits(2);
    view->SetActive(true);
    QList<QAction*> items;
    view->OnPopupMenu = [&](TVisualClass&, const QPoint&, const QList<QAction*>& list) {
        items = list;
    };
    view->ShowContextMenu(QPoint(0, 0));
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->objectName(), "mGVVisualClass");
    EXPECT_EQ(items[0]->text(), "Edit");
    ASSERT_NE(items[0]->menu(), nullptr);
    QAction* hitMarks = items[0]->menu()->actions().value(0);
    ASSERT_NE(hitMarks, nullptr);
    EXPECT_EQ(hitMarks->objectName(), "mHitMarksVC");
    EXPECT_FALSE(hitMarks->isChecked());
    hitMarks->trigger();
    EXPECT_TRUE(view->Data().HitMarks());
    // The fixture's hits come without waveforms.
    EXPECT_EQ(items[1]->objectName(), "mShowWaveformVC");
    EXPECT_FALSE(items[1]->isEnabled());
    EXPECT_EQ(items[2]->objectName(), "mExportCsvVC");
    EXPECT_TRUE(items[2]->isEnabled());
}

TEST_F(TTableViewFixture, SearchFromTheLastRowThatFindsNothingSwitchesToNewSeek) {
    Columns();
    AddHit(*source, 1, 3, 85);
    AddHit(*source, 2, 1, 50);
    AddHit(*source, 3, 3, 90);
    AddHit(*source, 4, 1, 40);
    view->SetActive(true);
    view->Data().SeekCondition().Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "80"));
    view->SetFocused(true);
    view->OpenFindWindow();
    TFindTextF* find = view->FindWindow();
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->Mode(), smFromFirst);
    find->SeekButton()->click();
    EXPECT_EQ(view->Grid()->CurrentRow(), 2);
    EXPECT_EQ(find->StatusLabel()->text(), "Ok");
    EXPECT_EQ(find->Mode(), smAfterCurrent);
    EXPECT_FALSE(find->NewSeekBox()->isChecked());
    EXPECT_TRUE(find->NewSeekBox()->isEnabled());
    find->SeekButton()->click(); // moves on
    EXPECT_EQ(view->Grid()->CurrentRow(), 4);
    // Unticking "New Seek" searches from the current row; from the last row nothing matches.
    view->Grid()->SetCurrentRow(5);
    find->NewSeekBox()->setChecked(true);
    find->NewSeekBox()->setChecked(false);
    EXPECT_EQ(find->Mode(), smFromCurrent);
    find->SeekButton()->click();
    EXPECT_EQ(find->StatusLabel()->text(), "Not Found");
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0], "Not Found");
    EXPECT_EQ(find->SeekButton()->text(), "New Seek");
    EXPECT_TRUE(find->NewSeekBox()->isChecked());
    EXPECT_FALSE(find->NewSeekBox()->isEnabled());
    EXPECT_EQ(find->Mode(), smFromFirst);
    find->SeekButton()->click();
    EXPECT_EQ(view->Grid()->CurrentRow(), 2);
    EXPECT_EQ(find->SeekButton()->text(), "Seek");
}

TEST_F(TTableViewFixture, SaveWritesTheViewInItsNode) {
    Columns();
    view->Properties().FindAs<TGVProperty>("Title")->SetAsString("Hits");
    TNodePersist node("OBJ");
    table->SaveToNode(node);
    const TNodePersist* visual = node.FindNode("VisualClass");
    ASSERT_NE(visual, nullptr);
    EXPECT_EQ(visual->GetValue("ClassName"), "TTableVC");
    ASSERT_GE(visual->NodeCount(), 5);
    EXPECT_EQ(visual->Node(0)->Name(), "Properties");
    EXPECT_EQ(visual->Node(1)->Name(), "TypeRec");
    EXPECT_EQ(visual->Node(2)->Name(), "FIELDS");
    EXPECT_EQ(visual->Node(3)->Name(), "TABS");
    EXPECT_EQ(visual->Node(4)->Name(), "SlaveWindow");
    TGVCPUTbl other;
    other.LoadFromNode(node);
    auto* otherView = dynamic_cast<TTableVC*>(other.GetView());
    ASSERT_NE(otherView, nullptr);
    EXPECT_EQ(otherView->Title(), "Hits");
    EXPECT_EQ(other.Data().Columns().Count(), 3);
}

TEST_F(TTableViewFixture, ShowRecordListListsTheGivenPositions) {
    Hits(6);
    TGVProperties columns;
    auto* c = columns.AddNew<TGVStringProperty>("Ampl");
    c->SetAsString(fidAmpl);
    view->ShowRecordList(columns, {1, 4});
    EXPECT_TRUE(view->Active());
    ASSERT_EQ(view->Data().Columns().Count(), 2);
    EXPECT_EQ(dynamic_cast<TGVStringProperty*>(view->Data().Columns().Get(0))->Value(), fidNumRec);
    EXPECT_EQ(view->Data().Rows(), (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(view->Grid()->RowCount(), 4);
}

TEST_F(TTableViewFixture, ExportCsvFromTheMenuWritesTheRows) {
    Columns();
    Hits(3);
    view->SetActive(true);
    const auto file = std::filesystem::temp_directory_path() / "vorelt-table-view.csv";
    std::filesystem::remove(file);
    dialogs.Files = {file.string()};
    std::vector<std::string> status;
    view->OnStatusText = [&](const std::string& s) { status.push_back(s); };
    view->ExportCsvInteractive();
    EXPECT_EQ(dialogs.Titles, std::vector<std::string>{"Export CSV"});
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    EXPECT_EQ(s.substr(0, 3), "\xEF\xBB\xBF");
    int lines = 0;
    for (char ch : s)
        lines += ch == '\n';
    EXPECT_EQ(lines, 5);
    EXPECT_FALSE(status.empty());
    EXPECT_TRUE(dialogs.Boxes.empty());
}
