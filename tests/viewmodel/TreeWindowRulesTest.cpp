// The rules of the project tree window without a window: insertion checks and their texts,
// names of new processors and copies, drops in the tree, and the page dispatcher's pages,
// exchange buffer, placements and drops.

#include "ProjectTestSupport.h"
#include "model/TAEField.h"
#include "model/TAEFieldTypes.h"
#include "processing/IFinalView.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/math/TGVCPUPrc.h"
#include "processing/table/TGVCPUTbl.h"
#include "viewmodel/dialogs/tree/TModifiedWatch.h"
#include "viewmodel/dialogs/tree/TPagesEditor.h"
#include "viewmodel/dialogs/tree/TTreePrjRules.h"

#include <set>

namespace vorelt {
namespace {

struct TTreeRulesFixture : ::testing::Test {
    TProjectAE project;
    int modifiedCalls = 0;
    void SetUp() override {
        test::RegisterTestClasses();
        project.OnModified = [this](TProjectAE&) { ++modifiedCalls; };
    }
    template <class T> T* Add(TGVCPU& parent) { return test::AddKind<T>(project, parent); }
    // The IDs of every processor of the subtree and of their own fields (standard field IDs
    // stay what they are).
    static std::set<std::string> IDs(const TGVCPU& p) {
        std::set<std::string> ids{p.ID()};
        for (int i = 0; i < p.OwnFields().Count(); ++i)
            if (!IsReservedID(p.OwnFields().Get(i)->ID())) ids.insert(p.OwnFields().Get(i)->ID());
        for (int i = 0; i < p.ChildCount(); ++i)
            for (const std::string& id : IDs(*p.Child(i)))
                ids.insert(id);
        return ids;
    }
};

TEST_F(TTreeRulesFixture, InsertChecksRunInOrderWithTheirTexts) {
    TGVDb& db = project.Db();
    auto* filter = Add<TGVCPUFltr>(db);
    auto* location = Add<TGVCPULoc>(*filter);
    auto* table = Add<TGVCPUTbl>(*location);

    TGVCPULoc second;
    EXPECT_EQ(InsertRefusal(*location, second), "Duplicate Processor: Location Processor");
    // A parallel branch may have its own.
    EXPECT_EQ(InsertRefusal(db, second), "");

    TGVCPUGr3D graph3d;
    EXPECT_EQ(InsertRefusal(*filter, graph3d),
              "Invalid Processor After Location Processor: Graph3D Processor");
    EXPECT_EQ(InsertRefusal(*location, graph3d), "");

    // The final check comes first, whatever the candidate.
    EXPECT_EQ(InsertRefusal(*table, second), "Not Have Childs Processor: Table Processor");

    TGVCPUCriterion criterion;
    EXPECT_EQ(InsertRefusal(*filter, criterion), "");
    Add<TGVCPUCriterion>(db);
    EXPECT_EQ(InsertRefusal(*location, criterion), "Duplicate Processor: Criterion Processor");
}

TEST_F(TTreeRulesFixture, NewNamesFollowTheLargestNumberOrCountNamesWithout) {
    TGVDb& db = project.Db();
    auto* a = Add<TGVCPUFltr>(db);
    auto* b = Add<TGVCPUFltr>(db);
    a->SetName("FR01");
    b->SetName("FR03");
    TGVCPUFltr fresh;
    EXPECT_EQ(NewProcessorName(db, fresh), "FR04");
    b->SetName("Noise");
    // FR01 gives 1, the name without number one more: 2, so the next is 03.
    EXPECT_EQ(NewProcessorName(db, fresh), "FR03");
    db.FreeChildren();
    Add<TGVCPUFltr>(db)->SetName("Filter");
    EXPECT_EQ(NewProcessorName(db, fresh), "FR02");
    // Other classes do not count.
    TGVCPULoc location;
    EXPECT_EQ(NewProcessorName(db, location), "LC01");
}

TEST(TreeNames, TrailingNumbersAndTheSmallestFreeNumber) {
    int64_t n = 0;
    EXPECT_TRUE(TrailingNumber("FR01", n));
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(TrailingNumber("FR01a", n));
    EXPECT_FALSE(TrailingNumber("FR", n));
    EXPECT_FALSE(TrailingNumber("X99999999999999999999", n));
    EXPECT_EQ(SmallestFreeNumber({1, 2, 4}), 3);
    std::vector<int32_t> all;
    for (int i = 1; i <= 128; ++i)
        all.push_back(i);
    EXPECT_EQ(SmallestFreeNumber(all), -1);
}

TEST_F(TTreeRulesFixture, CopyRenamesAndRenewsTheWholeSubtree) {
    TGVDb& db = project.Db();
    auto* math = Add<TGVCPUPrc>(db);
    math->AddCalcField(dtExtended, "Double");
    auto* table = Add<TGVCPUTbl>(*math);
    math->SetName("MT01");
    table->SetName("TB01");
    const std::set<std::string> before = IDs(*math);
    ASSERT_EQ(before.size(), 3u);

    auto* filter = Add<TGVCPUFltr>(db);
    ASSERT_TRUE(CanDropInTree(math, filter));
    ASSERT_TRUE(CanCopyInTree(*math));
    TGVCPU* copy = CopyInTree(*math, *filter, db, *project.IDGenerator());
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->Parent(), filter);
    EXPECT_EQ(copy->Name(), "MT02");
    ASSERT_EQ(copy->ChildCount(), 1);
    EXPECT_EQ(copy->Child(0)->Name(), "TB02");
    const std::set<std::string> after = IDs(*copy);
    EXPECT_EQ(after.size(), 3u);
    for (const std::string& id : after) {
        EXPECT_FALSE(id.empty());
        EXPECT_EQ(before.count(id), 0u) << id;
    }
    // The original keeps its names and IDs.
    EXPECT_EQ(math->Name(), "MT01");
    EXPECT_EQ(IDs(*math), before);
}

TEST_F(TTreeRulesFixture, CriterionIsNeverCopiedAndDropsFollowTheTreeRules) {
    TGVDb& db = project.Db();
    auto* filter = Add<TGVCPUFltr>(db);
    auto* criterion = Add<TGVCPUCriterion>(db);
    EXPECT_FALSE(CanCopyInTree(*criterion));
    EXPECT_EQ(criterion->CopyTo(filter), nullptr);
    // Moving is allowed.
    EXPECT_TRUE(CanDropInTree(criterion, filter));

    auto* location = Add<TGVCPULoc>(*filter);
    auto* table = Add<TGVCPUTbl>(*location);
    auto* graph3d = Add<TGVCPUGr3D>(*location);
    EXPECT_FALSE(CanDropInTree(&db, filter));      // the database never moves
    EXPECT_FALSE(CanDropInTree(filter, table));    // a final target
    EXPECT_FALSE(CanDropInTree(filter, location)); // into its own subtree
    EXPECT_FALSE(CanDropInTree(filter, filter));   // onto itself
    EXPECT_FALSE(CanDropInTree(graph3d, &db));     // needs a location processor above
    auto* other = Add<TGVCPUFltr>(*location);
    EXPECT_TRUE(CanDropInTree(graph3d, other));
}

TEST_F(TTreeRulesFixture, ButtonsAndMenuItems) {
    TGVDb& db = project.Db();
    auto* filter = Add<TGVCPUFltr>(db);
    auto* table = Add<TGVCPUTbl>(*filter);
    TTreeButtons b = TreeButtons(true, &db);
    EXPECT_TRUE(b.Insert);
    EXPECT_FALSE(b.Delete);
    b = TreeButtons(true, table);
    EXPECT_FALSE(b.Insert);
    EXPECT_TRUE(b.Delete);
    b = TreeButtons(false, filter);
    EXPECT_FALSE(b.Insert || b.Delete);
    b = TreeButtons(true, nullptr);
    EXPECT_FALSE(b.Insert || b.Delete);

    TPageButtons pb = PageButtons(-1, 3);
    EXPECT_TRUE(pb.Add);
    EXPECT_FALSE(pb.Edit || pb.Delete || pb.Up || pb.Down);
    pb = PageButtons(0, 3);
    EXPECT_FALSE(pb.Up);
    EXPECT_TRUE(pb.Down && pb.Edit && pb.Delete);
    pb = PageButtons(2, 3);
    EXPECT_TRUE(pb.Up);
    EXPECT_FALSE(pb.Down);

    TTreeMenuItems m = TreeMenuItems(filter);
    EXPECT_TRUE(m.ShowID && m.ClearData);
    EXPECT_FALSE(m.FoundScreenPosition || m.GoToProcessor);
    m = TreeMenuItems(table);
    EXPECT_TRUE(m.FoundScreenPosition && m.GoToProcessor);
    m = TreeMenuItems(nullptr);
    EXPECT_FALSE(m.ShowID || m.ClearData || m.FoundScreenPosition || m.GoToProcessor);

    std::vector<TGVCPU*> siblings{table, filter};
    SortSiblings(siblings);
    EXPECT_EQ(siblings[0], filter);
    EXPECT_EQ(ReadyStatusText(-1), " ");
    EXPECT_EQ(ReadyStatusText(1), "Processor Not Complete Description");
    EXPECT_EQ(ReadyStatusText(2), "Processor Not Visible");

    ASSERT_EQ(InsertEntries().size(), 9u);
    EXPECT_STREQ(InsertEntries()[0].ActionName, "mGVCPUFltr");
    EXPECT_STREQ(InsertEntries()[3].Kind->KindName, "Source Location Processor");
    EXPECT_STREQ(InsertEntries()[8].Kind->KindName, "Criterion Processor");
}

// A view that knows only whether its processor is placed, as the real views answer.
class TPlacementView : public IFinalView {
public:
    TPlacementView(TProjectAE& project, TGVCPU& processor)
        : FProject(project), FProcessor(processor) {}
    int32_t CheckReady() override { return FProject.IsPlaced(FProcessor.ID()) ? -1 : 2; }
    void SetFocused(bool) override {}
    bool GetFocused() const override { return false; }
    void SetChecked(bool) override {}
    bool GetChecked() const override { return false; }
    void SetFirstHitOnly(bool) override {}
    bool GetFirstHitOnly() const override { return false; }
    void SaveView(TNodePersist&) const override {}
    void LoadView(const TNodePersist&) override {}
    void SettingsChanged(bool) override {}

private:
    TProjectAE& FProject;
    TGVCPU& FProcessor;
};

RecListGVCPU Area(long double x0, long double y0, long double x1, long double y1) {
    RecListGVCPU r;
    r.TopLeftX = x0;
    r.TopLeftY = y0;
    r.BottomRightX = x1;
    r.BottomRightY = y1;
    return r;
}

TEST_F(TTreeRulesFixture, DeletingAPageLeavesItsViewsUnplaced) {
    TPagesEditor editor(project);
    auto* table = Add<TGVCPUTbl>(project.Db());
    table->SetView(std::make_unique<TPlacementView>(project, *table));
    const int page = editor.AddPage("First");
    EXPECT_EQ(modifiedCalls, 1);
    ASSERT_TRUE(editor.DropOnPage(table, page, Area(10, 10, 50, 50)));
    EXPECT_EQ(ReadyStatusText(table->CheckReady()), " ");
    std::vector<TGVCPU*> hidden;
    editor.DeletePage(page, [&](TGVCPU* p) { hidden.push_back(p); });
    EXPECT_EQ(hidden, std::vector<TGVCPU*>{table});
    EXPECT_EQ(project.Pages().PageCount(), 0);
    EXPECT_EQ(ReadyStatusText(table->CheckReady()), "Processor Not Visible");
    // Not put into the buffer.
    EXPECT_FALSE(editor.InBuffer(table));
}

TEST_F(TTreeRulesFixture, OverlappingBoxIsRefusedAndSnapsBack) {
    TPagesEditor editor(project);
    auto* a = Add<TGVCPUTbl>(project.Db());
    auto* b = Add<TGVCPUTbl>(project.Db());
    const int page = editor.AddPage("First");
    ASSERT_TRUE(editor.DropOnPage(a, page, Area(0, 0, 148.5L, 105)));
    ASSERT_TRUE(editor.DropOnPage(b, page, Area(148.5L, 0, 297, 105)));
    RecListGVCPU stored;
    project.Pages().Page(page)->GetPlacement(1, stored);
    // Moving b's body 60 units left would lay it over a.
    RecListGVCPU proposal = TPagesEditor::ShiftedPlacement(stored, 1, 0, -60, 0);
    EXPECT_EQ(proposal.TopLeftX, 88.5L);
    EXPECT_EQ(proposal.BottomRightX, 237);
    EXPECT_FALSE(editor.AcceptProposal(page, proposal));
    // A move down stays clear.
    EXPECT_TRUE(editor.AcceptProposal(page, TPagesEditor::ShiftedPlacement(stored, 1, 0, 0, 50)));
    // The end of the edit with the overlapping corners keeps the stored placement.
    RecListGVCPU now = editor.EndEdit(page, 1, proposal);
    EXPECT_EQ(now.TopLeftX, stored.TopLeftX);
    EXPECT_EQ(now.BottomRightX, stored.BottomRightX);
    // An accepted end snaps to the grid and is stored.
    const int before = modifiedCalls;
    now = editor.EndEdit(page, 1, Area(150, 110, 290, 200));
    EXPECT_EQ(now.TopLeftX, 148.5L);
    EXPECT_EQ(now.BottomRightX, 297);
    RecListGVCPU again;
    project.Pages().Page(page)->GetPlacement(1, again);
    EXPECT_EQ(again.TopLeftY, now.TopLeftY);
    EXPECT_EQ(again.ID, b->ID());
    EXPECT_EQ(modifiedCalls, before + 1);
}

TEST_F(TTreeRulesFixture, CornersAndEdgesShiftTheirCoordinates) {
    const RecListGVCPU r = Area(10, 20, 110, 120);
    RecListGVCPU p = TPagesEditor::ShiftedPlacement(r, 2, 1, 5, 7); // right, top
    EXPECT_EQ(p.BottomRightX, 115);
    EXPECT_EQ(p.TopLeftY, 27);
    EXPECT_EQ(p.TopLeftX, 10);
    EXPECT_EQ(p.BottomRightY, 120);
    p = TPagesEditor::ShiftedPlacement(r, 2, 3, 5, 7); // left, bottom
    EXPECT_EQ(p.TopLeftX, 15);
    EXPECT_EQ(p.BottomRightY, 127);
    p = TPagesEditor::ShiftedPlacement(r, 3, 1, 5, 7); // the right edge moves only in x
    EXPECT_EQ(p.BottomRightX, 115);
    EXPECT_EQ(p.TopLeftY, 20);
    EXPECT_EQ(p.BottomRightY, 120);
    p = TPagesEditor::ShiftedPlacement(r, 3, 2, 5, 7); // the bottom edge only in y
    EXPECT_EQ(p.BottomRightY, 127);
    EXPECT_EQ(p.BottomRightX, 110);
}

TEST_F(TTreeRulesFixture, DropOfAPlacedProcessorOnlyLeavesTheBuffer) {
    TPagesEditor editor(project);
    auto* table = Add<TGVCPUTbl>(project.Db());
    auto* other = Add<TGVCPUTbl>(project.Db());
    editor.AddPage("First");
    editor.AddPage("Second");
    ASSERT_TRUE(editor.DropOnPage(table, 0, Area(0, 0, 40, 40)));
    // Already placed: the buffer refuses it from the tree ...
    EXPECT_FALSE(editor.TreeToBuffer(table));
    EXPECT_TRUE(editor.TreeToBuffer(other));
    EXPECT_FALSE(editor.TreeToBuffer(other)); // once only
    // ... and a buffer entry of a placed processor is only removed by a drop.
    project.Pages().AddFree(table);
    ASSERT_TRUE(editor.InBuffer(table));
    EXPECT_FALSE(editor.DropOnPage(table, 1, Area(0, 0, 40, 40)));
    EXPECT_FALSE(editor.InBuffer(table));
    EXPECT_EQ(project.Pages().Page(1)->PlacementCount(), 0);
    EXPECT_EQ(editor.PageOf(table->ID()), 0);
    // From the buffer onto a page: placed, out of the buffer.
    ASSERT_EQ(project.Pages().IndexOfFree(other), 0);
    EXPECT_TRUE(editor.BufferToPage(0, 1, Area(100, 100, 140, 140)));
    EXPECT_FALSE(editor.InBuffer(other));
    EXPECT_EQ(editor.PageOf(other->ID()), 1);
    // Back from the preview into the buffer.
    EXPECT_EQ(editor.PreviewToBuffer(1, 0), other);
    EXPECT_TRUE(editor.InBuffer(other));
    EXPECT_FALSE(editor.IsPlaced(other->ID()));
    // Non-final processors never enter.
    EXPECT_FALSE(editor.TreeToBuffer(&project.Db()));
}

TEST_F(TTreeRulesFixture, ImportFreeAndDeleteProcessor) {
    TPagesEditor editor(project);
    auto* filter = Add<TGVCPUFltr>(project.Db());
    auto* a = Add<TGVCPUTbl>(*filter);
    auto* b = Add<TGVCPUTbl>(*filter);
    auto* c = Add<TGVCPUTbl>(project.Db());
    editor.AddPage("First");
    editor.DropOnPage(a, 0, Area(0, 0, 40, 40));
    editor.TreeToBuffer(c);
    editor.ImportFree();
    ASSERT_EQ(project.Pages().FreeCount(), 2);
    EXPECT_EQ(project.Pages().FreeView(0), c);
    EXPECT_EQ(project.Pages().FreeView(1), b);
    // Deleting the filter takes its views off the pages and out of the buffer.
    EXPECT_TRUE(editor.DeleteProcessor(filter));
    EXPECT_EQ(project.Pages().Page(0)->PlacementCount(), 0);
    ASSERT_EQ(project.Pages().FreeCount(), 1);
    EXPECT_EQ(project.Pages().FreeView(0), c);
    EXPECT_EQ(project.Db().ChildCount(), 1);
    EXPECT_FALSE(editor.DeleteProcessor(&project.Db()));
    editor.FreeBuffer();
    EXPECT_EQ(project.Pages().FreeCount(), 0);
    // Pages move with their neighbours.
    editor.AddPage("Second");
    EXPECT_EQ(editor.MovePage(0, 1), 1);
    EXPECT_EQ(project.Pages().Page(0)->Name(), "Second");
    EXPECT_EQ(editor.MovePage(1, 1), 1);
}

} // namespace
} // namespace vorelt

namespace vorelt {
namespace {

TEST(TreeWindowWatch, NoChangeMeansCancelAndTheHandlerComesBack) {
    test::RegisterTestClasses();
    TProjectAE project;
    int outer = 0;
    project.OnModified = [&](TProjectAE&) { ++outer; };
    {
        TModifiedWatch watch(project);
        EXPECT_FALSE(watch.Changed());
    }
    {
        TModifiedWatch watch(project);
        TPagesEditor(project).AddPage("P");
        EXPECT_TRUE(watch.Changed());
        EXPECT_EQ(outer, 0);
    }
    project.SetModified(true);
    EXPECT_EQ(outer, 1);
}

} // namespace
} // namespace vorelt
