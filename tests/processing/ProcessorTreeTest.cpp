#include "TestProcessors.h"

#include "persist/TNodePersist.h"
#include "processing/TGVCPUPlaceholder.h"

#include <gtest/gtest.h>

#include <set>

namespace vorelt::test {
namespace {

TEST(ProcessorNaming, NumbersFollowTheDepthFirstWalk) {
    TTestTree t;
    auto* f1 = t.Db->AddNew<TTestFltr>();
    auto* f2 = t.Db->AddNew<TTestFltr>();
    auto* f3 = t.Db->AddNew<TTestFltr>();
    auto* m = t.Db->AddNew<TTestPrc>();
    t.Db->NameProcessors();
    EXPECT_EQ(f1->GetName(), "FR01");
    EXPECT_EQ(f2->GetName(), "FR02");
    EXPECT_EQ(f3->GetName(), "FR03");
    EXPECT_EQ(m->GetName(), "MT01");
    EXPECT_EQ(t.Db->GetName(), "TGVCPUMemorySource");

    auto* f4 = f1->AddNew<TTestFltr>();
    f4->NameProcessors(); // only the new one is renamed
    EXPECT_EQ(f4->GetName(), "FR02");
    EXPECT_EQ(f2->GetName(), "FR02");
    t.Db->NameProcessors();
    EXPECT_EQ(f4->GetName(), "FR02");
    EXPECT_EQ(f2->GetName(), "FR03");
    EXPECT_EQ(f3->GetName(), "FR04");

    for (int i = 0; i < 9; ++i)
        f3->AddNew<TTestFltr>();
    t.Db->NameProcessors();
    EXPECT_EQ(f3->Child(8)->GetName(), "FR13");
    EXPECT_EQ(f1->KindName(), "Filtering Processor");
    EXPECT_EQ(f1->ImageIndex(), 25);
}

TEST(ProcessorRules, OnePerPathOnePerTreeAndBelowLocation) {
    TTestTree t;
    auto* branchA = t.Db->AddNew<TTestFltr>();
    auto* loc = branchA->AddNew<TTestLoc>();
    auto* belowLoc = loc->AddNew<TTestFltr>();
    auto* branchB = t.Db->AddNew<TTestFltr>();
    auto* crit = t.Db->AddNew<TTestCrit>();
    auto* table = branchB->AddNew<TTestTbl>();

    TTestLoc loc2;
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&loc2, belowLoc));
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&loc2, loc));
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(&loc2, branchB));
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(&loc2, t.Db));
    // A branch that carries a location processor cannot go above or below another one.
    TTestFltr carrier;
    carrier.AddNew<TTestLoc>();
    EXPECT_FALSE(TGVCPU::UniqueInPath(&carrier, belowLoc));
    EXPECT_TRUE(TGVCPU::UniqueInPath(&carrier, branchB));
    // Moving the location processor within its own path is no second one.
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(loc, branchB));

    TTestCrit crit2;
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&crit2, branchB));
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&crit2, belowLoc));
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(crit, branchB));        // moved
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(crit, branchB, true)); // copied
    EXPECT_EQ(crit->CopyTo(branchB), nullptr);

    TTestGr3D g3d;
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(&g3d, loc));
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(&g3d, belowLoc));
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&g3d, branchB));
    // A branch that carries a 3D graph must keep a location processor above it.
    auto* graph = belowLoc->AddNew<TTestGr3D>();
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(belowLoc, branchB));
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(branchA, branchB));
    EXPECT_FALSE(graph->MoveTo(branchB));
    EXPECT_EQ(graph->Parent(), belowLoc);

    EXPECT_FALSE(TGVCPU::CanPlaceBelow(branchB, table));    // final: no children
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(branchA, belowLoc)); // into its own subtree
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(branchA, branchA));
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(t.Db, branchB)); // the root stays the root
    EXPECT_FALSE(t.Db->MoveTo(branchB));

    EXPECT_TRUE(TGVCPU::IsOfClassOrBelow(belowLoc, "testloc"));
    EXPECT_FALSE(TGVCPU::IsOfClassOrBelow(branchB, "TestLoc"));
    EXPECT_TRUE(belowLoc->IsLocated());
    EXPECT_FALSE(branchB->IsLocated());
    EXPECT_EQ(belowLoc->GetDb(), t.Db);
    EXPECT_EQ(belowLoc->GetSourceState(), 9);
}

// Downward messages reach the children from the last to the first, depth first; upward
// messages climb to the top; selection and deletion changes re-validate their users.
TEST(ProcessorMessages, ForwardingOrderAndRevalidation) {
    TTestTree t;
    auto* a = t.Db->AddNew<TTestFltr>();
    auto* a1 = a->AddNew<TTestFltr>();
    auto* b = t.Db->AddNew<TTestPrc>();
    b->AddMathField("Del")->SetID(fidDeleted);
    auto* c = t.Db->AddNew<TTestFltr>();
    auto* c1 = c->AddNew<TTestTbl>();
    a->SetName("A");
    a1->SetName("A1");
    b->SetName("B");
    c->SetName("C");
    c1->SetName("C1");

    MessageLog().clear();
    TAEOMSG down;
    down.Msg = omDataChanged;
    t.Db->Dispatch(down);
    EXPECT_EQ(MessageLog(),
              (std::vector<std::string>{"C:1025", "C1:1025", "B:1025", "A:1025", "A1:1025"}));

    MessageLog().clear();
    TAEOMSG deleted;
    deleted.Msg = omDeletedAdded;
    t.Db->Dispatch(deleted);
    EXPECT_EQ(MessageLog(), (std::vector<std::string>{"C:1046", "C1:1046", "B:1046", "B:1025",
                                                      "A:1046", "A1:1046"}));

    MessageLog().clear();
    TAEOMSG selected;
    selected.Msg = omSelectedRemoved;
    t.Db->Dispatch(selected);
    EXPECT_EQ(MessageLog().size(), 5u); // nobody declares "Selected"

    MessageLog().clear();
    t.Context.TopMessages.clear();
    TAEOMSG up;
    up.Msg = omDeleteGroup;
    up.List = {4, 5};
    c1->Dispatch(up);
    EXPECT_EQ(MessageLog(), (std::vector<std::string>{"C1:1041", "C:1041"}));
    EXPECT_EQ(t.Context.TopMessages, std::vector<uint32_t>{omDeleteGroup});

    MessageLog().clear();
    TAEOMSG unknown;
    unknown.Msg = 0x500;
    t.Db->Dispatch(unknown);
    EXPECT_TRUE(MessageLog().empty());

    // Changed: modified goes up, data changed goes down.
    MessageLog().clear();
    t.Context.TopMessages.clear();
    a->Changed(true);
    EXPECT_EQ(MessageLog(), (std::vector<std::string>{"A1:1025"}));
    EXPECT_EQ(t.Context.TopMessages, std::vector<uint32_t>{omModified});
    t.Context.TopMessages.clear();
    c1->Changed(false);
    EXPECT_EQ(t.Context.TopMessages, std::vector<uint32_t>{omModifiedSilent});
}

// A processor with its own index space: own index i was made from parent index 2i.
class TTestHalf : public TGVSource {
public:
    std::string ClassName() const override { return "TestHalf"; }
    void ListToParent(std::vector<int32_t>& list) const override {
        for (int32_t& i : list)
            i *= 2;
    }
    void ListFromParent(std::vector<int32_t>& list) const override {
        std::vector<int32_t> own;
        for (int32_t i : list)
            if (i % 2 == 0) own.push_back(i / 2);
        list = own;
    }
    void Dispatch(TAEOMSG& msg) override {
        Seen = msg.List;
        TGVSource::Dispatch(msg);
    }
    std::vector<int32_t> Seen;
};

class TTestListProbe : public TGVCPU {
public:
    std::string ClassName() const override { return "TestProbe"; }
    void Dispatch(TAEOMSG& msg) override {
        Seen = msg.List;
        TGVCPU::Dispatch(msg);
    }
    std::vector<int32_t> Seen;
};

TEST(ProcessorMessages, IndexListsAreTranslatedPerChild) {
    TTestTree t;
    auto* plain = t.Db->AddNew<TTestListProbe>();
    auto* half = t.Db->AddNew<TTestHalf>();
    auto* below = half->AddNew<TTestListProbe>();
    auto* later = t.Db->AddNew<TTestListProbe>();

    TAEOMSG mark;
    mark.Msg = omMarkRecord;
    mark.List = {2, 3, 8};
    t.Db->Dispatch(mark);
    EXPECT_EQ(later->Seen, (std::vector<int32_t>{2, 3, 8}));
    EXPECT_EQ(half->Seen, (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(below->Seen, (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(plain->Seen, (std::vector<int32_t>{2, 3, 8})); // after its translated sibling
    EXPECT_EQ(mark.List, (std::vector<int32_t>{2, 3, 8}));

    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {1, 4};
    below->Dispatch(del);
    EXPECT_EQ(half->Seen, (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(del.List, (std::vector<int32_t>{2, 8})); // what reached the top
}

TEST(ProcessorMessages, CollectMissingFieldsTravelsDown) {
    TTestTree t;
    auto* loc = t.Db->AddNew<TTestLoc>();
    auto* tbl = loc->AddNew<TTestTbl>();
    tbl->AddUse(fidAmpl);
    // The layout before the change, kept as copies of its sets.
    TAEListFields oldLayout;
    oldLayout.Add(t.Db->SourceSet(0)->Clone(cmLocked));
    oldLayout.Add(loc->OwnFields().Clone(cmLocked));
    // The new data file has no amplitude.
    t.Db->SourceSet(0)->Delete(t.Db->SourceSet(0)->IndexOfID(fidAmpl));
    TMissingFieldsRequest request;
    request.Layout = &oldLayout;
    TAEOMSG msg;
    msg.Msg = omCollectMissingFields;
    msg.WParam = reinterpret_cast<intptr_t>(&request);
    t.Db->Dispatch(msg);
    EXPECT_EQ(request.Names, std::vector<std::string>{fidAmpl});

    tbl->CheckFields(oldLayout);
    EXPECT_EQ(tbl->ErrorText(), "Field Not Found[F" + std::string(fidAmpl) + "]");
    // The same text from a second processor is collected once.
    auto* tbl2 = loc->AddNew<TTestTbl>();
    tbl2->AddError(tbl->ErrorText());
    loc->AddError("Location Failed");
    std::string all;
    t.Db->CollectErrors(all);
    EXPECT_EQ(all, "Location Failed\rField Not Found[F" + std::string(fidAmpl) + "]");
    t.Db->ClearErrors();
    EXPECT_TRUE(tbl->ErrorText().empty());
}

TEST(ProcessorMove, RefusedWhenTheSubtreeUsesFieldsTheTargetLacks) {
    TTestTree t;
    auto* loc = t.Db->AddNew<TTestLoc>();
    auto* other = t.Db->AddNew<TTestFltr>();
    auto* tbl = loc->AddNew<TTestTbl>();
    loc->AssignIDsDeep(false, *t.Context.IDGenerator());
    const std::string locField = loc->OwnFields().Get(0)->ID();
    tbl->AddUse(locField);
    tbl->AddUse(fidChan);

    EXPECT_FALSE(tbl->MoveTo(other));
    EXPECT_EQ(tbl->Parent(), loc);
    ASSERT_EQ(t.Context.Errors.size(), 1u);
    EXPECT_EQ(t.Context.Errors[0], "Moved Impossible\rField Not Found[LocX]");

    // Fields of the database are everywhere: a table that uses only those moves.
    auto* tbl2 = loc->AddNew<TTestTbl>();
    tbl2->AddUse(fidChan);
    t.Context.TopMessages.clear();
    EXPECT_TRUE(tbl2->MoveTo(other));
    EXPECT_EQ(tbl2->Parent(), other);
    EXPECT_EQ(other->IndexOfChild(tbl2), 0);
    EXPECT_EQ(loc->ChildCount(), 1);
    EXPECT_EQ(t.Context.TopMessages, std::vector<uint32_t>{omModifiedSilent});

    TTestFltr detached;
    EXPECT_FALSE(detached.MoveTo(other)); // no parent that lists it
}

TEST(ProcessorCopy, MissingFieldsAskAndTheCopyDropsThem) {
    TTestTree t;
    auto* loc = t.Db->AddNew<TTestLoc>();
    auto* other = t.Db->AddNew<TTestFltr>();
    auto* tbl = loc->AddNew<TTestTbl>();
    t.Db->AssignIDsDeep(false, *t.Context.IDGenerator());
    const std::string locField = loc->OwnFields().Get(0)->ID();
    tbl->AddUse(locField);
    tbl->AddUse(fidChan);

    t.Context.Answer = false;
    EXPECT_EQ(tbl->CopyTo(other), nullptr);
    EXPECT_EQ(other->ChildCount(), 0);
    ASSERT_EQ(t.Context.Questions.size(), 1u);
    EXPECT_EQ(t.Context.Questions[0], "Field Not Found[LocX]\r\rContinue ?");

    t.Context.Answer = true;
    auto* copy = dynamic_cast<TTestTbl*>(tbl->CopyTo(other));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Parent(), other);
    EXPECT_EQ(copy->UseList(), std::vector<std::string>{fidChan});
    EXPECT_EQ(tbl->UseList(), (std::vector<std::string>{locField, fidChan}));
    EXPECT_NE(copy->ID(), tbl->ID());
    EXPECT_FALSE(copy->ID().empty());
}

TEST(ProcessorCopy, TheCopyGetsFreshIDsAndInnerReferencesFollow) {
    TTestTree t;
    auto* branch = t.Db->AddNew<TTestFltr>();
    auto* prc = branch->AddNew<TTestPrc>();
    prc->AddMathField("M1");
    prc->AddMathField("M2");
    auto* loc = prc->AddNew<TTestLoc>();
    auto* tbl = loc->AddNew<TTestTbl>();
    auto* flt = prc->AddNew<TTestFltr>();
    t.Db->AssignIDsDeep(false, *t.Context.IDGenerator());
    tbl->AddUse(prc->OwnFields().Get(1)->ID());
    tbl->AddUse(loc->OwnFields().Get(0)->ID());
    flt->AddUse(fidAmpl);

    std::set<std::string> before;
    t.Db->ForEachID([&](const std::string& id) { return before.insert(id), true; });
    for (TGVCPU* p : std::vector<TGVCPU*>{prc, loc})
        for (int i = 0; i < p->OwnFields().Count(); ++i)
            before.insert(p->OwnFields().Get(i)->ID());

    auto* target = t.Db->AddNew<TTestFltr>();
    TGVCPU* copy = prc->CopyTo(target);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->ChildCount(), 2);
    auto* locCopy = copy->Child(0);
    auto* tblCopy = dynamic_cast<TTestTbl*>(locCopy->Child(0));
    auto* fltCopy = dynamic_cast<TTestFltr*>(copy->Child(1));
    ASSERT_NE(tblCopy, nullptr);
    ASSERT_NE(fltCopy, nullptr);

    std::vector<std::string> copyIDs;
    copy->ForEachID([&](const std::string& id) { return copyIDs.push_back(id), true; });
    for (TGVCPU* p : {copy, locCopy})
        for (int i = 0; i < p->OwnFields().Count(); ++i)
            copyIDs.push_back(p->OwnFields().Get(i)->ID());
    EXPECT_EQ(copyIDs.size(), 7u);
    std::set<std::string> distinct(copyIDs.begin(), copyIDs.end());
    EXPECT_EQ(distinct.size(), copyIDs.size());
    for (const std::string& id : copyIDs) {
        EXPECT_EQ(id.size(), 16u);
        EXPECT_EQ(before.count(id), 0u) << id;
    }
    // References inside the copy point at the copy's own fields; standard IDs stay.
    EXPECT_EQ(tblCopy->UseList(), (std::vector<std::string>{copy->OwnFields().Get(1)->ID(),
                                                            locCopy->OwnFields().Get(0)->ID()}));
    EXPECT_EQ(fltCopy->UseList(), std::vector<std::string>{fidAmpl});
    // The original is untouched.
    EXPECT_EQ(tbl->UseList(), (std::vector<std::string>{prc->OwnFields().Get(1)->ID(),
                                                        loc->OwnFields().Get(0)->ID()}));
    EXPECT_EQ(t.Db->FindByID(copy->OwnFields().Get(0)->ID()), copy->OwnFields().Get(0));
    EXPECT_EQ(t.Db->FindProcessorByID(tblCopy->ID()), tblCopy);
    // A location branch cannot be copied into its own path.
    EXPECT_EQ(loc->CopyTo(tbl->Parent()), nullptr);
}

TEST(ProcessorIDs, FreeFindAssignAndRemove) {
    TTestTree t;
    auto* prc = t.Db->AddNew<TTestPrc>();
    auto* f = prc->AddMathField("M");
    auto* tbl = prc->AddNew<TTestTbl>();
    EXPECT_TRUE(f->ID().empty());
    prc->AssignIDs(false, *t.Context.IDGenerator());
    const std::string pid = prc->ID(), fid = f->ID();
    EXPECT_FALSE(pid.empty());
    EXPECT_FALSE(fid.empty());
    EXPECT_TRUE(tbl->ID().empty()); // not deep
    prc->AssignIDs(false, *t.Context.IDGenerator());
    EXPECT_EQ(prc->ID(), pid);
    EXPECT_FALSE(t.Db->IsIDFree(pid));
    EXPECT_FALSE(t.Db->IsIDFree(fid));
    EXPECT_FALSE(t.Db->IsIDFree(fidChan)); // a source field
    EXPECT_TRUE(t.Db->IsIDFree("1234567812345678"));
    EXPECT_EQ(t.Db->FindByID(pid), prc);
    EXPECT_EQ(t.Db->FindByID(fid), f);
    EXPECT_EQ(t.Db->FindByID(""), nullptr);
    EXPECT_TRUE(prc->DeclaresField(fid, false));
    EXPECT_TRUE(t.Db->DeclaresField(fid, true));
    EXPECT_FALSE(t.Db->DeclaresField(fid, false));
    EXPECT_EQ(tbl->FindField(fid), f);
    EXPECT_EQ(tbl->GetFieldID("m"), fid);
    EXPECT_FALSE(t.Db->IsNameFree("M"));

    tbl->AddUse(fid);
    std::vector<std::string> lines;
    prc->CollectFieldUses(fid, lines, false);
    EXPECT_TRUE(lines.empty());
    prc->CollectFieldUses(fid, lines, true);
    EXPECT_EQ(lines.size(), 1u);
    prc->RemoveOwnFields();
    EXPECT_EQ(prc->OwnFields().Count(), 0);
    EXPECT_TRUE(tbl->UseList().empty());
    EXPECT_TRUE(t.Db->IsIDFree(fid));

    TAERecord rec;
    tbl->PrepareRecord(rec);
    EXPECT_EQ(rec.FieldCount(), 4);
    prc->AddMathField("N");
    tbl->PrepareRecord(rec);
    EXPECT_EQ(rec.FieldCount(), 5);
    TAEListFields input;
    prc->GetFields(&input, true);
    EXPECT_EQ(input.FieldCount(), 4);
}

// --- Persistence ----------------------------------------------------------------------------

// A mixed tree of 34 processors.
void BuildLargeTree(TTestTree& t) {
    auto* fa = t.Db->AddNew<TTestFltr>();
    auto* fb = t.Db->AddNew<TTestFltr>();
    auto* crit = t.Db->AddNew<TTestCrit>();
    crit->AddNew<TTestTbl>();
    for (int branch = 0; branch < 3; ++branch) {
        auto* prc = fa->AddNew<TTestPrc>();
        prc->AddMathField("Sum" + std::to_string(branch));
        prc->AddMathField("Avg" + std::to_string(branch));
        auto* loc = prc->AddNew<TTestLoc>();
        loc->AddNew<TTestGr3D>();
        auto* f = loc->AddNew<TTestFltr>();
        f->AddNew<TTestTbl>();
        f->AddNew<TGVCPU>()->AddNew<TTestTbl>();
        prc->AddNew<TTestTbl>();
    }
    for (int i = 0; i < 4; ++i)
        fb->AddNew<TTestFltr>()->AddNew<TTestTbl>();
    t.Db->AssignIDsDeep(false, *t.Context.IDGenerator());
    t.Db->NameProcessors();
    // Settings that refer to fields travel with the tree.
    auto* prc = dynamic_cast<TTestPrc*>(fa->Child(0));
    dynamic_cast<TTestTbl*>(prc->Child(1))->AddUse(prc->OwnFields().Get(0)->ID());
}

int CountProcessors(const TGVCPU* p) {
    int n = 1;
    for (int i = 0; i < p->ChildCount(); ++i)
        n += CountProcessors(p->Child(i));
    return n;
}

TEST(ProcessorPersistence, SaveLoadSaveGivesTheSameTree) {
    TTestTree t;
    BuildLargeTree(t);
    ASSERT_GE(CountProcessors(t.Db), 30);
    TNodePersist first("GVDb");
    t.Db->SaveToNode(first);
    EXPECT_EQ(first.GetValue("ClassName"), "TGVCPUMemorySource");
    EXPECT_NE(first.FindNode("FIELDS"), nullptr);
    EXPECT_NE(first.FindNode("PROPERTIES"), nullptr);

    TTestTree u;
    u.Db->LoadFromNode(first);
    EXPECT_EQ(CountProcessors(u.Db), CountProcessors(t.Db));
    TNodePersist second("GVDb");
    u.Db->SaveToNode(second);
    EXPECT_TRUE(first.SameTree(second));
    // The loaded tree keeps the saved IDs and names its processors alike.
    auto* prcT = t.Db->Child(0)->Child(0);
    auto* prcU = u.Db->Child(0)->Child(0);
    EXPECT_EQ(prcU->ID(), prcT->ID());
    EXPECT_EQ(prcU->ClassName(), "TestPrc");
    EXPECT_EQ(prcU->OwnFields().Get(0)->ID(), prcT->OwnFields().Get(0)->ID());
    u.Db->NameProcessors();
    EXPECT_EQ(prcU->GetName(), prcT->GetName());
}

TEST(ProcessorPersistence, MissingIDsAreGivenWhileLoading) {
    TTestTree t;
    TNodePersist node("GVDb");
    node.AddItem("ClassName", "TGVCPUMemorySource");
    TNodePersist* obj = node.AddNode("OBJ");
    obj->AddItem("ClassName", "TestFltr");
    TTestTree u;
    u.Db->LoadFromNode(node);
    ASSERT_EQ(u.Db->ChildCount(), 1);
    EXPECT_EQ(u.Db->Child(0)->ID().size(), 16u);
}

TEST(ProcessorPersistence, UnknownProcessorsSurviveLoadAndSave) {
    TTestTree t;
    t.Db->AddNew<TTestFltr>();
    auto* loc = t.Db->AddNew<TTestLoc>();
    loc->AddNew<TTestFltr>();
    t.Db->AddNew<TTestTbl>();
    t.Db->AssignIDsDeep(false, *t.Context.IDGenerator());
    TNodePersist node("GVDb");
    t.Db->SaveToNode(node);

    // Graph processors of the visual layer, between known processors, one with nested
    // content and a child of its own.
    auto insertGraph = [](TNodePersist& parent, const char* cls, const char* id) {
        TNodePersist* g = parent.AddNode("OBJ");
        g->AddItem("ClassName", cls);
        g->AddItem("ID", id);
        g->AddNode("FIELDS");
        TNodePersist* axes = g->AddNode("AXES");
        axes->AddItem("Bottom", "0000000000000001");
        axes->AddNode("AXIS")->AddItem("ID", "1111111122222222");
        g->AddItem("Title", "Hits; ampl > 40");
        return g;
    };
    // Rebuild the saved root with the unknown nodes interleaved.
    TNodePersist mixed("GVDb");
    for (const RecParam& item : node.Items())
        mixed.AddItem(item.Name, item.Value);
    for (int i = 0; i < node.NodeCount(); ++i) {
        mixed.AdoptNode(node.Node(i)->CloneTree());
        if (i == 2) insertGraph(mixed, "TGVCPUGr", "3333333344444444");
    }
    TNodePersist* locNode = mixed.Node(4);
    ASSERT_EQ(locNode->GetValue("ClassName"), "TestLoc");
    insertGraph(*locNode, "TGVCPUGr3D", "5555555566666666")
        ->AddNode("OBJ")
        ->AddItem("ClassName", "TGVCPUTbl");

    TTestTree u;
    u.Db->LoadFromNode(mixed);
    ASSERT_EQ(u.Db->ChildCount(), 4);
    TGVCPU* graph = u.Db->Child(1);
    ASSERT_TRUE(graph->IsPlaceholder());
    EXPECT_EQ(graph->ClassName(), "TGVCPUGr");
    EXPECT_TRUE(graph->IsFinal());
    EXPECT_EQ(graph->ID(), "3333333344444444");
    EXPECT_FALSE(u.Db->IsIDFree("1111111122222222"));
    EXPECT_FALSE(u.Db->IsIDFree("5555555566666666"));
    EXPECT_EQ(graph->CopyTo(u.Db), nullptr);
    TGVCPU* graph3d = u.Db->Child(2)->Child(1);
    EXPECT_TRUE(graph3d->IsPlaceholder());
    EXPECT_EQ(graph3d->KindFlags(), kfFinal | kfBelowLocation);

    TNodePersist again("GVDb");
    u.Db->SaveToNode(again);
    EXPECT_TRUE(again.SameTree(mixed));

    // Moving a branch that holds an unknown processor keeps it too.
    TGVCPU* locU = u.Db->Child(2);
    TGVCPU* fltU = u.Db->Child(0);
    ASSERT_TRUE(locU->MoveTo(fltU));
    TNodePersist moved("GVDb");
    u.Db->SaveToNode(moved);
    EXPECT_TRUE(moved.Node(2)->FindNode("OBJ")->SameTree(*locNode));
}

TEST(ProcessorTree, DetachFreeAndReset) {
    TTestTree t;
    auto* a = t.Db->AddNew<TTestFltr>();
    auto* b = t.Db->AddNew<TTestFltr>();
    a->AddNew<TTestTbl>();
    std::unique_ptr<TGVCPU> owned = t.Db->DetachChild(a);
    EXPECT_EQ(owned->Parent(), nullptr);
    EXPECT_EQ(t.Db->ChildCount(), 1);
    EXPECT_EQ(t.Db->DetachChild(a), nullptr);
    delete b; // a child freed directly leaves its parent's list
    EXPECT_EQ(t.Db->ChildCount(), 0);
    owned->SetName("X");
    owned->SetFailed("broken");
    owned->Reset();
    EXPECT_EQ(owned->ChildCount(), 0);
    EXPECT_EQ(owned->GetName(), "TGVCPUFltr");
    EXPECT_EQ(owned->KindFlags(), 0);
    EXPECT_FALSE(owned->HasError());
    TTestTbl tbl;
    tbl.Reset();
    EXPECT_TRUE(tbl.IsFinal());
}

} // namespace
} // namespace vorelt::test
