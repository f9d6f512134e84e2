// Expression trees outside the compiler: persistence, copying, binding to layouts, weight
// rules, field-use reports and the value record.

#include "ExprTestSupport.h"

#include "persist/TNodePersist.h"
#include "processing/expr/RegisterExpressionClasses.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/expr/TPreProcessor.h"

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::exprtest;

namespace {

std::unique_ptr<TAEExpresion> Compiled(TTestOwner& owner, const std::string& text) {
    auto tree = std::make_unique<TAEExpresion>(&owner);
    TPreProcessor pp;
    pp.SetText(text);
    std::string error;
    EXPECT_TRUE(pp.Compile(*tree, error)) << error;
    return tree;
}

std::string Eval(const TAEExpresion& tree, const TAERecord& record) {
    TExprValue v;
    tree.Evaluate(v, record);
    return Show(v);
}

std::unique_ptr<TAEExpresion> Node(uint8_t code, const std::string& text) {
    auto n = std::make_unique<TAEExpresion>();
    n->SetTypeElem(code);
    n->SetText(text);
    return n;
}

TEST(ExprTree, SavesAndLoadsEveryNodeThroughTheRegistry) {
    RegisterExpressionClasses();
    TTestOwner owner;
    auto tree = Compiled(owner, "IF ({A} > [Limit]) THEN 1.5 ELSE \"x\" ENDIF");
    TNodePersist node("Expresion");
    tree->SaveToNode(node);
    EXPECT_EQ(node.GetValue("ClassName"), "TAEExpresion");
    EXPECT_EQ(node.GetValue("TypeElem"), "13");
    ASSERT_EQ(node.NodeCount(), 1);
    EXPECT_EQ(node.Node(0)->Name(), "AEExpresion");
    EXPECT_EQ(node.Node(0)->GetValue("Text"), "IF");

    TAEExpresion loaded(&owner);
    loaded.LoadFromNode(node);
    EXPECT_EQ(DumpExpresion(loaded), DumpExpresion(*tree));
    EXPECT_EQ(loaded.Items(0)->Owner(), &owner);
    EXPECT_EQ(loaded.Items(0)->Parent(), &loaded);
    loaded.Bind(owner.Layout());
    EXPECT_EQ(Eval(loaded, owner.Record()), "S:x");

    // Loading again replaces the children instead of appending a second copy.
    loaded.LoadFromNode(node);
    EXPECT_EQ(DumpExpresion(loaded), DumpExpresion(*tree));
}

TEST(ExprTree, LoadingSkipsForeignChildrenAndKeepsItemsThatAreNotStored) {
    RegisterExpressionClasses();
    TNodePersist node("Expresion");
    node.AddItem("ClassName", "TAEExpresion");
    node.AddItem("TypeElem", "13");
    node.AddItem("Text", "");
    TNodePersist* good = node.AddNode("AEExpresion");
    good->AddItem("ClassName", "TAEExpresion");
    good->AddItem("TypeElem", "6");
    good->AddItem("Text", "42");
    node.AddNode("AEExpresion")->AddItem("ClassName", "TNoSuchClass");
    node.AddNode("Other")->AddItem("ClassName", "TAEExpresion");

    TAEExpresion tree;
    tree.SetName("kept");
    tree.LoadFromNode(node);
    EXPECT_EQ(DumpExpresion(tree), "(13|||kept (6|42||))");

    TNodePersist bad("Expresion");
    bad.AddItem("TypeElem", "x");
    EXPECT_THROW(tree.LoadFromNode(bad), EConvertError);
}

TEST(ExprTree, AssignCopiesDeeplyAndClearResets) {
    TTestOwner owner;
    auto tree = Compiled(owner, "{A}*2+[Gain]");
    TAEExpresion copy;
    copy.Assign(*tree);
    EXPECT_EQ(DumpExpresion(copy), DumpExpresion(*tree));
    EXPECT_EQ(copy.Owner(), &owner);
    tree->Clear();
    EXPECT_EQ(tree->Count(), 0);
    EXPECT_EQ(tree->TypeElem(), teUnset);
    EXPECT_EQ(tree->TokenIndex(), -1);
    EXPECT_EQ(Eval(copy, owner.Record()), "F:14,5");
    // A cleared tree, as left by removing a field it used, yields no value.
    EXPECT_EQ(Eval(*tree, owner.Record()), "E");
}

TEST(ExprTree, ChildrenKeepTheirParentThroughAddInsertAndExtract) {
    TAEExpresion root;
    TAEExpresion* b = root.Add(Node(teInteger, "2"));
    TAEExpresion* a = root.Insert(0, Node(teInteger, "1"));
    EXPECT_EQ(root.Items(0), a);
    EXPECT_EQ(root.Items(1), b);
    EXPECT_EQ(b->Parent(), &root);
    auto taken = root.Extract(0);
    EXPECT_EQ(taken->Parent(), nullptr);
    EXPECT_EQ(root.Count(), 1);
    EXPECT_EQ(root.Extract(5), nullptr);
    root.Delete(0);
    EXPECT_EQ(root.Count(), 0);
}

TEST(ExprTree, BindResolvesPositionsOfTheLayoutAtHand) {
    TTestOwner owner;
    auto tree = Compiled(owner, "{B}+{A}");
    // Unbound trees look fields up by ID.
    EXPECT_EQ(Eval(*tree, owner.Record()), "F:9,5");

    // A layout with another set in front moves every field; binding follows.
    TAEFields front;
    auto extra = std::make_unique<TAEIntegerField>();
    extra->SetFieldName("X");
    extra->SetID("0000000000000999");
    front.Add(std::move(extra));
    TAEListFields shifted;
    shifted.Add(&front);
    shifted.Add(owner.Layout().Get(0));
    TAERecord record;
    record.BuildForLayout(shifted);
    record.FindByID("0000000000000101")->SetAsInt64(1);
    record.FindByID("0000000000000102")->SetAsFloat(0.25L);
    tree->Bind(shifted);
    EXPECT_EQ(Eval(*tree, record), "F:1,25");

    // A field the layout lacks writes nothing, so the sum has no value.
    TAEListFields onlyFront;
    onlyFront.Add(&front);
    TAERecord small;
    small.BuildForLayout(onlyFront);
    tree->Bind(onlyFront);
    EXPECT_EQ(Eval(*tree, small), "E");
}

TEST(ExprTree, VariantsAreReadAtEvaluationAndBoundOnce) {
    TTestOwner owner;
    auto tree = Compiled(owner, "[Limit]*2");
    tree->Bind(owner.Layout());
    EXPECT_EQ(Eval(*tree, owner.Record()), "F:20");
    owner.Variants().FindByID("V1")->SetAsInt64(4);
    EXPECT_EQ(Eval(*tree, owner.Record()), "F:8");
    // A variant gone from the project writes nothing after the next Bind.
    owner.Variants().Delete(owner.Variants().IndexOfID("V1"));
    tree->Bind(owner.Layout());
    EXPECT_EQ(Eval(*tree, owner.Record()), "E");
}

TEST(ExprTree, FieldValuesAre64BitAndNullFieldsReadTheirClearedValue) {
    TTestOwner owner;
    auto tree = Compiled(owner, "{Big}");
    tree->Bind(owner.Layout());
    owner.Record().FindByID("0000000000000106")->SetAsInt64(-9000000000LL);
    EXPECT_EQ(Eval(*tree, owner.Record()), "I:-9000000000");
    owner.Record().ClearValues();
    EXPECT_EQ(Eval(*tree, owner.Record()), "I:0");
}

TEST(ExprTree, WeightRulesMapTheValueThroughTheFirstRuleThatHolds) {
    TTestOwner owner;
    TAEExpresion rules(&owner);
    auto rule = [&](const char* op, const char* left, const char* right) {
        auto r = Node(teCompare, op);
        r->Add(Node(teInteger, left));
        r->Add(Node(teInteger, right));
        rules.Add(std::move(r));
    };
    rules.Add(Node(teInteger, "99")); // not a rule: skipped
    rule("<=", "10", "1");
    rule(">", "10", "2");
    TExprValue v;
    v.SetFloat(5);
    rules.EvaluateWeights(v, owner.Record());
    EXPECT_EQ(Show(v), "I:1");
    v.SetInteger(11);
    rules.EvaluateWeights(v, owner.Record());
    EXPECT_EQ(Show(v), "I:2");
    v.SetString("11");
    rules.EvaluateWeights(v, owner.Record());
    EXPECT_EQ(Show(v), "S:11");
}

TEST(ExprTree, UsesAreReportedOncePerLineInSortedOrder) {
    TTestOwner owner;
    auto tree = Compiled(owner, "{B} + {A} * {A} + [Limit]");
    auto param = Node(teParam, "");
    param->SetID("0000000000000102");
    param->SetName("X");
    tree->Add(std::move(param));
    tree->SetOwner(&owner);

    EXPECT_TRUE(tree->ReferencesId("0000000000000101"));
    EXPECT_TRUE(tree->ReferencesId("V1"));
    EXPECT_FALSE(tree->ReferencesId("0000000000000103"));
    EXPECT_FALSE(tree->ReferencesId(""));

    std::vector<std::string> lines{"Zeta"};
    EXPECT_TRUE(tree->CollectUses("0000000000000101", lines, " (x)"));
    EXPECT_TRUE(tree->CollectUses("0000000000000102", lines, ""));
    EXPECT_TRUE(tree->CollectUses("V1", lines, ""));
    EXPECT_FALSE(tree->CollectUses("0000000000000103", lines, ""));
    EXPECT_EQ(lines,
              (std::vector<std::string>{"Field: A[Math01] (x)", "Field: B[Math01]",
                                        "Parameter: [Math01]", "Variant: Limit[Math01]", "Zeta"}));
}

TEST(ExprValue, MovesLeaveTheSourceEmptyAndCopiesOwnTheirText) {
    static_assert(sizeof(TExprValue) == 12);
    TExprValue a;
    EXPECT_TRUE(a.Empty());
    a.SetString("hello world, longer than any small buffer");
    TExprValue b(a);
    EXPECT_EQ(b.AsString(), a.AsString());
    TExprValue c;
    c.SetFloat(1.0L / 3);
    c.MoveFrom(a);
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(c.Kind(), TExprValue::evString);
    EXPECT_EQ(c.AsString(), "hello world, longer than any small buffer");
    c = std::move(b);
    EXPECT_TRUE(b.Empty());
    c.SetFloat(-2.5L);
    EXPECT_EQ(c.AsFloat(), -2.5L);
    c.SetInteger(int64_t(1) << 40);
    EXPECT_EQ(c.AsInteger(), int64_t(1) << 40);
    EXPECT_EQ(c.Numeric(), static_cast<long double>(int64_t(1) << 40));
    c.SetBoolean(true);
    EXPECT_TRUE(c.AsBoolean());
    c.Clear();
    EXPECT_TRUE(c.Empty());
    // Extended precision survives the compact storage.
    c.SetFloat(1.0L + 1e-18L);
    EXPECT_EQ(c.AsFloat(), 1.0L + 1e-18L);
}

} // namespace

// Every step after parsing walks the tree recursively, and a chain of operators is as deep as
// it is long: an expression in a project file of a hundred thousand "1+" would exhaust the
// stack. Such texts are refused with the place where the limit was passed.
TEST(ExprTree, ExpressionsLongerThanTheLimitAreRefused) {
    std::string fits = "1";
    while (fits.size() + 2 < TPreProcessor::MaxTokens)
        fits += "+1";
    TAEExpresion tree;
    TPreProcessor pp;
    std::string error;
    pp.SetText(fits);
    EXPECT_TRUE(pp.Compile(tree, error)) << error;
    std::string chain = "1";
    for (int i = 0; i < 100000; ++i)
        chain += "+1";
    pp.SetText(chain);
    EXPECT_FALSE(pp.Compile(tree, error));
    EXPECT_EQ(error, "Expresion Too Long: at most 4096 elements expected");
    EXPECT_EQ(pp.ErrorPosition(), 4096);
    pp.SetText(std::string(50000, '(') + "1" + std::string(50000, ')'));
    EXPECT_FALSE(pp.Compile(tree, error));
}
