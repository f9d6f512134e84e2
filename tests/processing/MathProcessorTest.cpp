// The math processor in a tree: its own positions, first hits of located events, expressions
// that see function results, failures, messages, field references and persistence.

#include "MathTestSupport.h"
#include "persist/TNodePersist.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/math/RegisterMathClasses.h"
#include "processing/math/TGVCPUPrc.h"

#include <gtest/gtest.h>

namespace vorelt::mathtest {
namespace {

class MathProcessor : public testing::Test {
protected:
    MathProcessor() {
        RegisterMathClasses();
        Source->SetContext(&Project);
    }
    TGVCPUPrc* NewMath(TGVCPU* parent) { return parent->AddNew<TGVCPUPrc>(); }
    TAEField* Sum(TGVCPUPrc& m, const std::string& name = "Total") {
        TAEField* f = m.AddCalcField(dtInteger, name);
        m.SetFieldFunction(*f, "Sum", fidChan, {{"X", fidAmpl, ""}});
        return f;
    }
    TAEField* Expr(TGVCPUPrc& m, const std::string& name, const std::string& text,
                   uint8_t type = dtInteger) {
        TAEField* f = m.AddCalcField(type, name);
        std::string error;
        EXPECT_TRUE(m.SetFieldExpression(*f, text, error)) << error;
        return f;
    }

    std::unique_ptr<TTestSource> Source = std::make_unique<TTestSource>();
    TTestProject Project{Source.get()};
};

TEST_F(MathProcessor, WithoutFieldsItIsTransparent) {
    Source->Hit(1, 1, 1);
    Source->AddRecord(rkComment);
    Source->Hit(2, 5, 1, 0, rfFirstHit);
    TGVCPUPrc* m = NewMath(Source.get());
    const auto rows = ReadAll(*m, fidAmpl);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].Index, 2);
    EXPECT_EQ(rows[2].Flags & rfFirstHit, rfFirstHit);
    EXPECT_EQ(rows[1].Kind, rkComment);
    EXPECT_FALSE(m->Computed());
}

TEST_F(MathProcessor, OnlyFirstHitDropsFollowersBelowALocationProcessorOnly) {
    Source->Hit(1, 1, 1, 0, rfFirstHit | rfEventHit);
    Source->Hit(2, 2, 1, 0, rfEventHit);
    Source->AddRecord(rkTimeMark);
    Source->Hit(3, 4, 1, 0, rfFirstHit | rfEventHit);
    Source->Hit(1, 8, 1, 0, rfEventHit);

    TGVCPUPrc* plain = NewMath(Source.get());
    plain->SetOnlyFirstHit(true);
    Sum(*plain);
    EXPECT_EQ(ReadAll(*plain, fidAmpl).size(), 5u);

    TGVCPU* loc = Source->AddNew<TLocatedPass>();
    TGVCPUPrc* m = NewMath(loc);
    TAEField* total = m->AddCalcField(dtInteger, "AllSum");
    m->SetFieldFunction(*total, "Sum", "", {{"X", fidAmpl, ""}});
    m->SetOnlyFirstHit(true);
    const auto rows = ReadAll(*m, total->ID());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(*rows[0].Value, 1);
    EXPECT_EQ(rows[1].Kind, rkTimeMark);
    EXPECT_FALSE(rows[1].Value);
    EXPECT_EQ(*rows[2].Value, 5);
    EXPECT_EQ(rows[2].Flags & rfFirstHit, rfFirstHit);

    // Own positions go up as the parent's, and come down again.
    std::vector<int32_t> list{0, 1, 2, 7};
    m->ListToParent(list);
    EXPECT_EQ(list, (std::vector<int32_t>{0, 2, 3}));
    list = {0, 1, 2, 3, 4};
    m->ListFromParent(list);
    EXPECT_EQ(list, (std::vector<int32_t>{0, 1, 2}));

    m->SetOnlyFirstHit(false);
    m->Changed(true);
    EXPECT_EQ(ReadAll(*m, total->ID()).size(), 5u);
}

TEST_F(MathProcessor, ExpressionsSeeFunctionResultsAndEarlierExpressionsOnly) {
    Source->Hit(1, 3, 1);
    Source->AddRecord(rkTimeMark);
    Source->Hit(1, 4, 1);
    TGVCPUPrc* m = NewMath(Source.get());
    Sum(*m, "Total");
    TAEField* doubled = Expr(*m, "Doubled", "{Total} * 2");
    TAEField* early = m->AddCalcField(dtInteger, "Early");
    TAEField* later = Expr(*m, "Later", "{Ampl} + 100");
    std::string error;
    ASSERT_TRUE(m->SetFieldExpression(*early, "{Later} + 1", error)) << error;
    TAEField* plain = Expr(*m, "Plain", "7");
    const auto d = ReadAll(*m, doubled->ID());
    EXPECT_EQ(*d[0].Value, 6);
    // The time mark has no function value; an empty field reads as 0 in expressions.
    EXPECT_EQ(*d[1].Value, 0);
    EXPECT_EQ(*d[2].Value, 14);
    // The later field is still empty when the earlier one is evaluated.
    for (const auto& r : ReadAll(*m, early->ID()))
        EXPECT_EQ(*r.Value, 1);
    EXPECT_EQ(*ReadAll(*m, later->ID())[2].Value, 104);
    // Expressions are evaluated on every record, time marks included.
    EXPECT_EQ(*ReadAll(*m, plain->ID())[1].Value, 7);
}

TEST_F(MathProcessor, AFailedComputationIsReportedUntilTheNextChange) {
    Source->Hit(1, 3, 1);
    TGVCPUPrc* m = NewMath(Source.get());
    TAEField* f = m->AddCalcField(dtExtended, "Bad");
    m->SetFieldFunction(*f, "Power", "", {{"A", "", "abc"}, {"X", fidAmpl, ""}, {"K", "", "1"}});
    TAEPNav nav;
    TAERecord record;
    m->PrepareRecord(record);
    EXPECT_EQ(m->FirstRecord(nav, record, -1), -1);
    EXPECT_NE(nav.Out.Status & nsError, 0);
    EXPECT_FALSE(nav.Out.Message.empty());
    EXPECT_TRUE(m->HasError());
    EXPECT_EQ(m->RecordCount(nav, record), 0);

    m->SetFieldFunction(*f, "Power", "", {{"A", "", "2,5"}, {"X", fidAmpl, ""}, {"K", "", "1"}});
    m->Changed(true);
    nav = TAEPNav{};
    EXPECT_EQ(m->FirstRecord(nav, record, -1), 0);
    EXPECT_FALSE(m->HasError());
    EXPECT_NEAR(static_cast<double>(*ReadAll(*m, f->ID())[0].Value), 7.5, 1e-15);
}

TEST_F(MathProcessor, CursorRulesOverTheComputedList) {
    Source->Hit(1, 1, 1);
    Source->AddRecord(rkTimeMark);
    Source->Hit(1, 2, 1);
    TGVCPUPrc* m = NewMath(Source.get());
    Sum(*m);
    TAEPNav nav;
    TAERecord record;
    m->PrepareRecord(record);
    EXPECT_EQ(m->NextRecord(nav, record, -5), -1);
    EXPECT_EQ(nav.Out.Status, nsNegativeIndex);
    EXPECT_EQ(nav.Out.Message, "Data Out Range");
    EXPECT_EQ(m->NextRecord(nav, record, 3), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    EXPECT_EQ(m->NextRecord(nav, record, 2), 2);
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    EXPECT_EQ(m->PriorRecord(nav, record, 0), 0);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    nav.Kinds = KindBit(rkTimeMark);
    EXPECT_EQ(m->LastRecord(nav, record, -1), 1);
    EXPECT_EQ(nav.Out.Kind, rkTimeMark);
    EXPECT_EQ(m->RecordCount(nav, record), 1);
    nav.Kinds = 0;
    EXPECT_EQ(m->RecordCount(nav, record), 3);
}

TEST_F(MathProcessor, MessagesDiscardTheListAndTranslateSelections) {
    Source->Hit(1, 1, 1, 0, rfFirstHit);
    Source->Hit(1, 2, 1, 0, rfEventHit);
    Source->Hit(1, 3, 1, 0, rfFirstHit);
    TGVCPU* loc = Source->AddNew<TLocatedPass>();
    TGVCPUPrc* m = NewMath(loc);
    TAEField* sev = m->AddCalcField(dtExtended, "Sev");
    m->SetFieldFunction(*sev, "Severity", fidChan, {{"X", fidAmpl, ""}});
    m->SetOnlyFirstHit(true);
    ASSERT_EQ(m->ComputedCount(), 2);

    TAEOMSG select;
    select.Msg = omSelectGroup;
    select.List = {1};
    m->Dispatch(select);
    ASSERT_FALSE(Project.TopMessages.empty());
    EXPECT_EQ(Project.TopMessages.back().List, (std::vector<int32_t>{2}));

    TAEOMSG zip;
    zip.Msg = omZIPChanged;
    m->Dispatch(zip);
    EXPECT_FALSE(m->Computed());
}

TEST_F(MathProcessor, FieldReferencesIncludeTheGroupingField) {
    TGVCPUPrc* m = NewMath(Source.get());
    TAEField* total = m->AddCalcField(dtInteger, "Total");
    m->SetFieldFunction(*total, "Sum", fidY, {{"X", fidAmpl, ""}});
    TAEField* e = Expr(*m, "E", "{Energy} + 1", dtExtended);
    std::vector<std::string> lines;
    m->CollectFieldUses(fidY, lines, true);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_TRUE(m->DeclaresField(fidY, false));
    EXPECT_TRUE(m->DeclaresField(fidEnergy, false));
    EXPECT_FALSE(m->DeclaresField(fidTimeS, false));

    m->RemoveField(fidEnergy);
    EXPECT_EQ(TGVCPUPrc::FieldExpresion(*e)->TypeElem(), teUnset);
    EXPECT_EQ(TGVCPUPrc::FieldExpresion(*total)->TypeElem(), teFunction);
    EXPECT_EQ(m->OwnFields().Count(), 2);
}

TEST_F(MathProcessor, PersistenceRoundTripKeepsFieldsTreesAndSwitches) {
    for (int i = 0; i < 6; ++i)
        Source->Hit(1 + i % 2, i, i + 1);
    TGVCPUPrc* m = NewMath(Source.get());
    m->SetOnlyFirstHit(true);
    m->SetEnabledCode(true);
    Sum(*m, "Total");
    Expr(*m, "Twice", "{Total} * 2");
    TAEField* prev = m->AddCalcField(dtExtended, "P");
    m->SetFieldFunction(*prev, "Prev", fidChan, {{"X", fidEnergy, ""}});

    TNodePersist node("OBJ");
    m->SaveToNode(node);
    EXPECT_EQ(node.GetValue("EnabledCode"), "1");
    EXPECT_EQ(node.GetValue("FirstHit"), "1");

    auto copy = TClassRegistry::Instance().CreateAs<TGVCPUPrc>("TGVCPUPrc");
    ASSERT_TRUE(copy);
    TGVCPUPrc* c = copy.get();
    Source->AddChild(std::move(copy));
    c->LoadFromNode(node);
    EXPECT_TRUE(c->OnlyFirstHit());
    EXPECT_TRUE(c->EnabledCode());
    ASSERT_EQ(c->OwnFields().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TAEField* a = m->OwnFields().Get(i);
        const TAEField* b = c->OwnFields().Get(i);
        EXPECT_EQ(a->ID(), b->ID());
        ASSERT_NE(TGVCPUPrc::FieldExpresion(*b), nullptr);
        EXPECT_EQ(DumpExpresion(*TGVCPUPrc::FieldExpresion(*a)),
                  DumpExpresion(*TGVCPUPrc::FieldExpresion(*b)));
        EXPECT_EQ(TGVCPUPrc::FieldExpresion(*b)->Owner(), static_cast<IExprOwner*>(c));
        const auto ra = ReadAll(*m, a->ID());
        const auto rb = ReadAll(*c, b->ID());
        ASSERT_EQ(ra.size(), rb.size());
        for (size_t k = 0; k < ra.size(); ++k)
            EXPECT_EQ(ra[k].Value, rb[k].Value);
    }
}

// Users name their fields in Russian; a name typed in another case must find the same field,
// both below the processor and in the expressions that refer to it.
TEST_F(MathProcessor, CyrillicFieldNamesMatchWithoutRegardToCase) {
    Source->Hit(1, 3, 1);
    TGVCPUPrc* m = NewMath(Source.get());
    TAEField* f = Expr(*m, "Давление ёмкости", "1");
    TGVCPUPrc* below = NewMath(m);
    EXPECT_EQ(below->GetFieldID("ДАВЛЕНИЕ ЁМКОСТИ"), f->ID());
    EXPECT_EQ(below->GetFieldID("  давление Ёмкости "), f->ID());
    EXPECT_EQ(below->GetFieldID("Давление"), "");
}

} // namespace
} // namespace vorelt::mathtest
