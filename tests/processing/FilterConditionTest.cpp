// Evaluation of condition trees: block order and early stop, negation, the comparison
// families, null fields and variants.

#include "FilterTestSupport.h"

#include "persist/TErrors.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "processing/filter/TLCTurnOff.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

using TAnswer = TSpyCondition::TAnswer;

class FilterCondition : public ::testing::Test {
protected:
    FilterCondition() { Owner.Fields = &Data.Layout; }

    TSpyCondition* Spy(TLogicalCondition& block, const char* name, TAnswer answer) {
        return static_cast<TSpyCondition*>(
            block.Add(std::make_unique<TSpyCondition>(name, answer, &Log)));
    }
    TLCBlock* Block(TLogicalCondition& parent, uint8_t op) {
        return static_cast<TLCBlock*>(parent.Add(std::make_unique<TLCBlock>(op)));
    }
    TLCCondition* Cond(TLogicalCondition& parent, const char* id, uint8_t op, std::string value,
                       std::string variant = {}) {
        return static_cast<TLCCondition*>(
            parent.Add(std::make_unique<TLCCondition>(id, op, std::move(value), variant)));
    }
    // A single condition under a fresh root, evaluated on the record.
    bool Test(const char* id, uint8_t op, std::string value, std::string variant = {}) {
        TLCBase root(&Owner);
        Cond(root, id, op, std::move(value), std::move(variant));
        return root.Evaluate(Data.Record);
    }

    TConditionRecord Data;
    TTestOwner Owner;
    TLCBase Root{&Owner};
    std::vector<std::string> Log;
};

TEST_F(FilterCondition, EmptyRootPassesAndEmptyInnerBlockRaisesWithOwnerName) {
    EXPECT_TRUE(Root.Evaluate(Data.Record));
    Block(Root, lcOr);
    try {
        Root.Evaluate(Data.Record);
        FAIL() << "an empty inner block must raise";
    } catch (const EAEError& e) {
        EXPECT_STREQ(e.what(), "Filter Error FR01");
    }
    TLCTurnOff turnOff(&Owner);
    EXPECT_TRUE(turnOff.Evaluate(Data.Record));
}

TEST_F(FilterCondition, AndStopsAtFirstFalseChild) {
    Spy(Root, "a", TAnswer::True);
    Spy(Root, "b", TAnswer::False);
    Spy(Root, "c", TAnswer::Raise);
    EXPECT_FALSE(Root.Evaluate(Data.Record));
    EXPECT_EQ(Log, (std::vector<std::string>{"a", "b"}));
}

TEST_F(FilterCondition, OrEvaluatesEveryChildSoALaterErrorRaises) {
    TLCBlock* any = Block(Root, lcOr);
    Spy(*any, "a", TAnswer::True);
    Spy(*any, "b", TAnswer::False);
    EXPECT_TRUE(Root.Evaluate(Data.Record));
    EXPECT_EQ(Log, (std::vector<std::string>{"a", "b"}));
    Spy(*any, "c", TAnswer::Raise);
    Log.clear();
    EXPECT_THROW(Root.Evaluate(Data.Record), EAEError);
    EXPECT_EQ(Log, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(FilterCondition, NestedBlocksInTreeOrder) {
    // a AND (b OR c) AND NOT(d AND e) AND f
    Spy(Root, "a", TAnswer::True);
    TLCBlock* any = Block(Root, lcOr);
    Spy(*any, "b", TAnswer::False);
    Spy(*any, "c", TAnswer::True);
    TLCBlock* notAll = Block(Root, lcNotAnd);
    Spy(*notAll, "d", TAnswer::False);
    Spy(*notAll, "e", TAnswer::Raise);
    Spy(Root, "f", TAnswer::True);
    EXPECT_TRUE(Root.Evaluate(Data.Record));
    EXPECT_EQ(Log, (std::vector<std::string>{"a", "b", "c", "d", "f"}));
}

TEST_F(FilterCondition, NegatedBlocks) {
    TLCBlock* notAnd = Block(Root, lcNotAnd);
    Spy(*notAnd, "x", TAnswer::False);
    EXPECT_TRUE(Root.Evaluate(Data.Record));

    TLCBase root2(&Owner);
    TLCBlock* notOr = Block(root2, lcNotOr);
    Spy(*notOr, "y", TAnswer::False);
    Spy(*notOr, "z", TAnswer::False);
    EXPECT_TRUE(root2.Evaluate(Data.Record));
    Spy(*notOr, "w", TAnswer::True);
    EXPECT_FALSE(root2.Evaluate(Data.Record));

    Root.SetOperation(lcNotAnd);
    EXPECT_FALSE(Root.Evaluate(Data.Record));
}

TEST_F(FilterCondition, IntegerComparisonsIn64Bits) {
    Data.F(idInt).SetAsInt64(7);
    EXPECT_TRUE(Test(idInt, coEquals, "7"));
    EXPECT_TRUE(Test(idInt, coNoEquals, " 8 "));
    EXPECT_TRUE(Test(idInt, coLessOrEquals, "7"));
    EXPECT_TRUE(Test(idInt, coGreaterOrEquals, "7"));
    EXPECT_FALSE(Test(idInt, coLess, "7"));
    EXPECT_TRUE(Test(idInt, coGreater, "-3"));
    // A value beyond 32 bits is not truncated to a small number.
    EXPECT_TRUE(Test(idInt, coLess, "4294967297"));
    EXPECT_FALSE(Test(idInt, coEquals, "4294967303")); // 7 + 2^32
    Data.F(idInt64).SetAsInt64(5000000000LL);
    EXPECT_TRUE(Test(idInt64, coEquals, "5000000000"));
    EXPECT_TRUE(Test(idInt64, coGreater, "4999999999"));
}

TEST_F(FilterCondition, FloatComparisonsAcceptCommaAndPoint) {
    Data.F(idFloat).SetAsFloat(2.5L);
    EXPECT_TRUE(Test(idFloat, coEquals, "2,5"));
    EXPECT_TRUE(Test(idFloat, coEquals, "2.5"));
    EXPECT_TRUE(Test(idFloat, coLess, "2,6"));
    EXPECT_FALSE(Test(idFloat, coGreater, "2,5"));
}

TEST_F(FilterCondition, StringComparisonsTrimAndIgnoreCaseAndOnlyTestEquality) {
    Data.F(idText).SetAsString("  Noise Пятно ");
    EXPECT_TRUE(Test(idText, coEquals, "noise пятно"));
    EXPECT_TRUE(Test(idText, coEquals, "  NOISE ПЯТНО  "));
    EXPECT_FALSE(Test(idText, coEquals, "noise"));
    EXPECT_TRUE(Test(idText, coNoEquals, "noise"));
    for (uint8_t op : {coLess, coGreater, coLessOrEquals, coGreaterOrEquals})
        EXPECT_FALSE(Test(idText, op, "a")) << int(op);
    Data.F(idText).SetAsString("");
    EXPECT_TRUE(Test(idText, coEquals, "   "));
}

TEST_F(FilterCondition, BooleanComparisonsOnlyTestEquality) {
    Data.F(idBool).SetAsBoolean(true);
    EXPECT_TRUE(Test(idBool, coEquals, "True"));
    EXPECT_TRUE(Test(idBool, coNoEquals, "false"));
    EXPECT_FALSE(Test(idBool, coGreaterOrEquals, "False"));
    EXPECT_FALSE(Test(idBool, coLess, "True"));
}

TEST_F(FilterCondition, NullAbsentAndUncomparableFieldsAreFalse) {
    // Every field of the record is null.
    EXPECT_FALSE(Test(idInt, coNoEquals, "1"));
    EXPECT_FALSE(Test(idText, coNoEquals, "x"));
    EXPECT_FALSE(Test(idBool, coNoEquals, "True"));
    // A field the record lacks, and one of a type without comparison.
    EXPECT_FALSE(Test("0000000000999999", coNoEquals, "1"));
    EXPECT_FALSE(Test(idList, coNoEquals, "1"));
    // A null field is false even when the value would not convert.
    EXPECT_FALSE(Test(idInt, coEquals, "abc"));
}

TEST_F(FilterCondition, BadValueRaisesOnlyWhenReached) {
    Data.F(idInt).SetAsInt64(1);
    EXPECT_THROW(Test(idInt, coEquals, "abc"), EAEError);
    EXPECT_THROW(Test(idInt, coEquals, "1,5"), EAEError);
    // AND stops before the bad condition.
    Cond(Root, idInt, coEquals, "2");
    Cond(Root, idInt, coEquals, "abc");
    EXPECT_FALSE(Root.Evaluate(Data.Record));
}

TEST_F(FilterCondition, VariantsAsComparisonValues) {
    auto iv = std::make_unique<TGVIntegerVariant>();
    iv->SetID("0000000000200001");
    iv->SetAsInt64(40);
    Owner.Variants.Add(std::move(iv));
    auto sv = std::make_unique<TGVStringVariant>();
    sv->SetID("0000000000200002");
    sv->SetAsString(" ch ");
    Owner.Variants.Add(std::move(sv));
    auto fv = std::make_unique<TGVFloatVariant>();
    fv->SetID("0000000000200003");
    fv->SetAsFloat(0.5L);
    Owner.Variants.Add(std::move(fv));

    Data.F(idInt).SetAsInt64(40);
    Data.F(idText).SetAsString("CH");
    Data.F(idFloat).SetAsFloat(0.75L);
    // The value text is ignored when a variant is named.
    EXPECT_TRUE(Test(idInt, coEquals, "1", "0000000000200001"));
    EXPECT_TRUE(Test(idText, coEquals, "", "0000000000200002"));
    EXPECT_TRUE(Test(idFloat, coGreater, "", "0000000000200003"));
    // A float variant read by an integer field.
    EXPECT_TRUE(Test(idInt, coGreater, "", "0000000000200003"));
    // A variant that does not exist, or does not read in the field's kind, raises.
    EXPECT_THROW(Test(idInt, coEquals, "40", "0000000000209999"), EAEError);
    EXPECT_THROW(Test(idInt, coEquals, "", "0000000000200002"), EAEError);
}

TEST_F(FilterCondition, BindingFollowsEditsAndLayouts) {
    Data.F(idInt).SetAsInt64(3);
    TLCCondition* c = Cond(Root, idInt, coEquals, "3");
    Root.Bind(Data.Layout, &Owner.Variants);
    EXPECT_TRUE(Root.Evaluate(Data.Record));
    c->SetValue("4");
    EXPECT_FALSE(Root.Evaluate(Data.Record));
    c->SetFieldID(idInt64);
    Data.F(idInt64).SetAsInt64(4);
    EXPECT_TRUE(Root.Evaluate(Data.Record));

    // Bound against a layout with a set in front, positions shift.
    TAEFields front;
    front.Add(NewFieldOfType(dtInteger))->SetID("0000000000300001");
    TAEListFields longer;
    longer.Add(&front);
    longer.Add(&Data.Set);
    TAERecord rec;
    rec.BuildForLayout(longer);
    rec.FindByID(idInt64)->SetAsInt64(4);
    rec.FindByID("0000000000300001")->SetAsInt64(4);
    Root.Bind(longer, nullptr);
    EXPECT_TRUE(Root.Evaluate(rec));
    rec.FindByID(idInt64)->SetAsInt64(5);
    EXPECT_FALSE(Root.Evaluate(rec));
}

} // namespace
} // namespace vorelt::test
