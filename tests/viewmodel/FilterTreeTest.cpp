// Condition trees as the editor and the owners handle them: captions and texts, usage lines,
// removal of a deleted field, edit rules, cloning and persistence.

#include "FilterTestSupport.h"

#include "persist/TNodePersist.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "processing/filter/TLCTurnOff.h"
#include "viewmodel/dialogs/processors/TLCEditRules.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

constexpr char varLimit[] = "0000000000200001";

class FilterTree : public ::testing::Test {
protected:
    FilterTree() {
        RegisterFilterClasses();
        Owner.Fields = &Data.Layout;
        auto v = std::make_unique<TGVIntegerVariant>();
        v->SetID(varLimit);
        v->SetDisplayName("Limit");
        Owner.Variants.Add(std::move(v));
        // ( Integer Field >= 5 AND ( Text Field = noise OR Integer Field < Limit ) )
        Root.Add(std::make_unique<TLCCondition>(idInt, coGreaterOrEquals, "5"));
        Inner = static_cast<TLCBlock*>(Root.Add(std::make_unique<TLCBlock>(lcOr)));
        Inner->Add(std::make_unique<TLCCondition>(idText, coEquals, "noise"));
        Inner->Add(std::make_unique<TLCCondition>(idInt, coLess, "", varLimit));
    }

    TConditionRecord Data;
    TTestOwner Owner;
    TLCBase Root{&Owner};
    TLCBlock* Inner = nullptr;
};

TEST_F(FilterTree, CaptionsAndText) {
    EXPECT_EQ(Root.GetCaption(), "( AND )");
    EXPECT_EQ(Inner->Items(1)->GetCaption(), "Integer Field < Limit");
    EXPECT_EQ(Root.GetText(),
              "( Integer Field >= 5 AND ( Text Field = noise OR Integer Field < Limit ) )");
    Inner->SetOperation(lcNotOr);
    EXPECT_EQ(Inner->GetText(), "NOT ( Text Field = noise OR Integer Field < Limit )");
    TLCBlock empty(lcNotAnd);
    EXPECT_EQ(empty.GetCaption(), "NOT ( AND ) Empty Logical Conditions List");
    EXPECT_EQ(empty.GetText(), "NOT ( )");
    // Without an owner a condition has no caption.
    TLCCondition alone(idInt, coEquals, "1");
    EXPECT_EQ(alone.GetCaption(), "");
}

TEST_F(FilterTree, UsesAndReferences) {
    std::vector<std::string> lines;
    EXPECT_TRUE(Root.CollectUses(idInt, lines, ""));
    // Two conditions on the same field give one line.
    EXPECT_EQ(lines, (std::vector<std::string>{"Field: Int[FR01]"}));
    EXPECT_TRUE(Root.CollectUses(varLimit, lines, " x"));
    EXPECT_EQ(lines, (std::vector<std::string>{"Field: Int[FR01]", "Variant: Limit[FR01] x"}));
    EXPECT_FALSE(Root.CollectUses(idBool, lines, ""));
    EXPECT_TRUE(Root.ReferencesId(varLimit));
    EXPECT_TRUE(Root.ReferencesId(idText));
    EXPECT_FALSE(Root.ReferencesId(idFloat));
}

TEST_F(FilterTree, RemovingAFieldFreesItsConditionsInEveryBlockButKeepsVariantUses) {
    Inner->Add(std::make_unique<TLCCondition>(idFloat, coEquals, "1", std::string(idInt)));
    Root.RemoveReferences(idInt);
    ASSERT_EQ(Root.Count(), 1);
    EXPECT_EQ(Root.Items(0), Inner);
    ASSERT_EQ(Inner->Count(), 2);
    EXPECT_EQ(static_cast<TLCCondition*>(Inner->Items(0))->FieldID(), idText);
    EXPECT_EQ(static_cast<TLCCondition*>(Inner->Items(1))->FieldID(), idFloat);
}

TEST_F(FilterTree, EditRules) {
    TLogicalCondition* cond = Root.Items(0);
    EXPECT_TRUE(LCCanAdd(Root));
    EXPECT_TRUE(LCCanAdd(*Inner));
    EXPECT_FALSE(LCCanAdd(*cond));
    EXPECT_FALSE(LCCanDelete(Root));
    EXPECT_TRUE(LCCanDelete(*Inner));
    // Dragging the root, onto a condition, onto itself or into its own subtree is refused.
    EXPECT_FALSE(LCCanDrop(Root, *Inner));
    EXPECT_FALSE(LCCanDrop(*Inner, *cond));
    EXPECT_FALSE(LCCanDrop(*Inner, *Inner));
    TLCBlock* deeper = LCAddGroup(*Inner, lcAnd);
    ASSERT_NE(deeper, nullptr);
    EXPECT_FALSE(LCCanDrop(*Inner, *deeper));
    EXPECT_FALSE(LCDropNode(*Inner, *deeper));
    EXPECT_TRUE(LCCanDrop(*cond, *deeper));

    int before = Owner.ChangedCalls;
    EXPECT_TRUE(LCDropNode(*cond, *deeper));
    EXPECT_EQ(cond->Parent(), deeper);
    EXPECT_EQ(Root.Count(), 1);
    EXPECT_TRUE(LCSetGroupOperation(*deeper, lcNotOr));
    EXPECT_FALSE(LCSetGroupOperation(*deeper, lcNotOr));
    EXPECT_TRUE(LCDeleteNode(*Inner));
    EXPECT_FALSE(LCDeleteNode(Root));
    EXPECT_EQ(Root.Count(), 0);
    EXPECT_EQ(Owner.ChangedCalls, before + 3);

    EXPECT_EQ(LCAddMenuCaptions(),
              (std::vector<std::string>{"Logical Condition", "-", "Group ( AND )", "Group ( OR )",
                                        "Group NOT ( AND )", "Group NOT ( OR )"}));
    EXPECT_EQ(LCConditionDialogTitle(false), "Input Logical Condition");
    EXPECT_EQ(LCOperationsForType(dtString).size(), 2u);
    EXPECT_EQ(LCOperationsForType(dtWord).size(), 6u);
    EXPECT_TRUE(LCOperationsForType(dtListInteger).empty());
    EXPECT_TRUE(LCVariantFitsType(TGVVariant::vkFloat, dtInteger));
    EXPECT_FALSE(LCVariantFitsType(TGVVariant::vkString, dtInteger));
    EXPECT_TRUE(LCVariantFitsType(TGVVariant::vkBoolean, dtBoolean));
}

TEST_F(FilterTree, CloneCopiesTheWholeTree) {
    std::unique_ptr<TLogicalCondition> copy = Root.Clone();
    auto* base = dynamic_cast<TLCBase*>(copy.get());
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->GetOwner(), &Owner);
    EXPECT_EQ(base->EditFlags(), efRoot);
    EXPECT_EQ(copy->GetText(), Root.GetText());
    EXPECT_EQ(static_cast<TLCBlock*>(copy->Items(1))->Operation(), lcOr);
    EXPECT_EQ(copy->Items(1)->Parent(), copy.get());
}

TEST_F(FilterTree, PersistenceRoundTrip) {
    Inner->SetOperation(lcNotOr);
    TNodePersist node("LogCons");
    Root.SaveToNode(node);
    EXPECT_EQ(node.GetValue("ClassName"), "TLCBase");
    EXPECT_EQ(node.GetValue("TypeElem"), "AND");
    ASSERT_EQ(node.NodeCount(), 2);
    EXPECT_EQ(node.Node(0)->Name(), "LogCond");
    EXPECT_EQ(node.Node(0)->GetValue("Operation"), "GreaterOrEquals");
    EXPECT_EQ(node.Node(1)->GetValue("TypeElem"), "NOT_OR");
    EXPECT_EQ(node.Node(1)->Node(1)->GetValue("VariantID"), varLimit);

    TLCBase loaded(&Owner);
    loaded.LoadFromNode(node);
    EXPECT_EQ(loaded.GetText(), Root.GetText());
    EXPECT_EQ(loaded.EditFlags(), efRoot);
    EXPECT_EQ(loaded.Items(0)->EditFlags(), efNoChildren);
    EXPECT_EQ(loaded.Items(1)->EditFlags(), 0);
    TNodePersist again("LogCons");
    loaded.SaveToNode(again);
    EXPECT_TRUE(again.SameTree(node));
}

TEST_F(FilterTree, LoadingSkipsUnknownNodesAndKeepsValuesForUnknownTexts) {
    TNodePersist node("LogCons");
    node.AddItem("ClassName", "TLCBase");
    node.AddItem("TypeElem", "XOR");
    TNodePersist* c = node.AddNode("LogCond");
    c->AddItem("ClassName", "TLCCondition");
    c->AddItem("Operation", "Between");
    c->AddItem("FieldID", idInt);
    c->AddItem("Value", "");
    node.AddNode("LogCond")->AddItem("ClassName", "TNoSuchCondition");
    node.AddNode("Other")->AddItem("ClassName", "TLCBlock");
    // A root class saved inside a tree loads as a plain block.
    node.AddNode("LogCond")->AddItem("ClassName", "TLCBase");

    TLCBase loaded(&Owner);
    loaded.SetOperation(lcOr);
    loaded.LoadFromNode(node);
    EXPECT_EQ(loaded.Operation(), lcOr);
    ASSERT_EQ(loaded.Count(), 2);
    auto* cond = static_cast<TLCCondition*>(loaded.Items(0));
    EXPECT_EQ(cond->Operation(), coEquals);
    EXPECT_EQ(cond->FieldID(), idInt);
    EXPECT_EQ(loaded.Items(1)->ClassName(), "TLCBlock");
    EXPECT_EQ(loaded.Items(1)->GetOwner(), &Owner);
}

TEST_F(FilterTree, TurnOffRootPersistsItsWindows) {
    TLCTurnOff root(&Owner);
    root.SetDeltaBefore(1500);
    root.SetDeltaAfter(250000);
    root.SetOperation(lcOr);
    root.Add(std::make_unique<TLCCondition>(idInt, coEquals, "3"));
    TNodePersist node("LogCons");
    root.SaveToNode(node);
    int typeElems = 0;
    for (const RecParam& item : node.Items())
        typeElems += item.Name == "TypeElem" && item.Value == "OR";
    EXPECT_EQ(typeElems, 2);
    EXPECT_EQ(node.GetValue("DeltaBefore"), "1500");
    EXPECT_EQ(node.GetValue("DeltaAfter"), "250000");

    TLCTurnOff loaded(&Owner);
    loaded.LoadFromNode(node);
    EXPECT_EQ(loaded.DeltaBefore(), 1500);
    EXPECT_EQ(loaded.DeltaAfter(), 250000);
    EXPECT_EQ(loaded.Operation(), lcOr);
    EXPECT_EQ(loaded.Count(), 1);

    loaded.Clear();
    EXPECT_EQ(loaded.DeltaAfter(), 0);
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_EQ(loaded.EditFlags(), efRoot);
    EXPECT_EQ(loaded.GetOwner(), &Owner);
}

} // namespace
} // namespace vorelt::test
