#include "testprog/TAEParametric.h"
#include "model/RegisterModelClasses.h"
#include "model/TAEExtendedField.h"
#include "model/TAEFields.h"
#include "persist/TNodePersist.h"
#include "testprog/IParametricDb.h"
#include "testprog/RegisterTestprogClasses.h"

#include <gtest/gtest.h>

using namespace vorelt;

namespace {

class TDb : public IParametricDb {
public:
    std::string Name() const override { return "Database"; }
};

} // namespace

TEST(Parametric, ScalesSourceByFactorMinusOffset) {
    TAEParametric p;
    p.SetFactor(2);
    p.SetOffset(1);
    EXPECT_EQ(p.Apply(3), 5);
    EXPECT_EQ(TAEParametric().Apply(7), 0); // factor starts at 0
}

TEST(Parametric, OwnedByItsFieldAndSavedAsChild) {
    TDb db;
    TAEExtendedField field;
    field.SetFieldName("Pressure");
    field.SetID("1234567812345678");
    auto owned = std::make_unique<TAEParametric>(&db);
    TAEParametric* p = owned.get();
    field.SetParametric(std::move(owned));
    EXPECT_EQ(p->Field(), &field);
    p->SetSourceID("0000000000000023");
    p->SetFactor(0.5L);
    p->SetOffset(-2);

    TNodePersist node("FIELD");
    field.SaveToNode(node);
    const TNodePersist* child = node.FindNode("Parametric");
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->ItemCount(), 4);
    EXPECT_EQ(child->ItemName(0), "ClassName");
    EXPECT_EQ(child->GetValue("ClassName"), "TAEParametric");
    EXPECT_EQ(child->GetValue("ID"), "0000000000000023");
    EXPECT_EQ(child->GetValue("Factor"), "0,5");
    EXPECT_EQ(child->GetValue("Offset"), "-2");

    // The declarer recreates the object, then the field loads it.
    TAEExtendedField again;
    again.SetParametric(std::make_unique<TAEParametric>(&db));
    again.LoadFromNode(node);
    auto* q = static_cast<TAEParametric*>(again.Parametric());
    EXPECT_EQ(q->SourceID(), "0000000000000023");
    EXPECT_EQ(q->Factor(), 0.5L);
    EXPECT_EQ(q->Offset(), -2);
    EXPECT_EQ(q->Db(), &db);
}

TEST(Parametric, LoadReadsBadNumbersAsZeroAndKeepsAbsentOnes) {
    TAEParametric p;
    p.SetSourceID("0000000000000024");
    p.SetFactor(3);
    p.SetOffset(4);
    TNodePersist node("Parametric");
    node.AddItem("Factor", "abc");
    node.AddItem("Offset", "");
    p.LoadFromNode(node);
    EXPECT_EQ(p.Factor(), 0);
    EXPECT_EQ(p.Offset(), 4);
    EXPECT_EQ(p.SourceID(), "0000000000000024");
}

TEST(Parametric, UseReportsAndClear) {
    TDb db;
    TAEExtendedField field;
    field.SetFieldName("Load");
    auto owned = std::make_unique<TAEParametric>(&db);
    TAEParametric* p = owned.get();
    p->SetSourceID("0000000000000023");
    EXPECT_FALSE(p->UsesSource("0000000000000023")); // no field yet
    field.SetParametric(std::move(owned));
    EXPECT_TRUE(p->UsesSource("0000000000000023"));
    EXPECT_FALSE(p->UsesSource("0000000000000024"));

    std::vector<std::string> lines{"Field: [Z][Other]"};
    EXPECT_TRUE(p->ReportUse("0000000000000023", lines));
    EXPECT_TRUE(p->ReportUse("0000000000000023", lines));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Field: [Database][Load]");
    EXPECT_FALSE(p->ReportUse("0000000000000024", lines));

    TAEParametric copy;
    copy.Assign(*p);
    EXPECT_EQ(copy.Field(), &field);
    EXPECT_EQ(copy.Db(), &db);

    p->SetFactor(2);
    p->Clear();
    EXPECT_EQ(p->Field(), nullptr);
    EXPECT_EQ(p->Db(), nullptr);
    EXPECT_EQ(p->Factor(), 0);
    EXPECT_FALSE(p->UsesSource(""));
}

TEST(Parametric, Registered) {
    RegisterModelClasses();
    RegisterTestprogClasses();
    EXPECT_NE(TClassRegistry::Instance().CreateAs<TAEParametric>("taeparametric"), nullptr);
    EXPECT_NE(TClassRegistry::Instance().CreateAs<TAEFields>("TAEFields"), nullptr);
}
