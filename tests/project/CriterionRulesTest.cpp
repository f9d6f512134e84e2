// The checks of the criterion dialog in their order with their texts, and that a refused
// dialog leaves the criterion field as it was.

#include "ProjectTestSupport.h"
#include "model/TAEFieldTypes.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/expr/TAEExpresion.h"
#include "project/TCriterionRules.h"

namespace vorelt {
namespace {

struct TCriterionRulesFixture : ::testing::Test {
    test::TTempDir dir;
    TProjectAE project;
    TGVCPUCriterion* criterion = nullptr;
    TAEField* field = nullptr;
    void SetUp() override {
        test::RegisterTestClasses();
        std::string error;
        ASSERT_TRUE(project.OpenDataFile(test::GenerateFile(dir, "pci", 50), error)) << error;
        criterion = test::AddKind<TGVCPUCriterion>(project, project.Db());
        field = criterion->AddCriterionField(dtExtended, "");
    }
    TCriterionInput Valid() {
        TCriterionInput in;
        in.Name = "MaxAmpl";
        in.DisplayName = "Max amplitude";
        in.Function = "Max";
        in.Params = {{"X", fidAmpl, ""}};
        in.Weights.resize(5, {"<=", "", ""});
        return in;
    }
    TCriterionCheck Check(const TCriterionInput& in) {
        return ApplyCriterion(*criterion, *field, false, in);
    }
};

TEST_F(TCriterionRulesFixture, ChecksInOrderWithTheirPages) {
    TCriterionInput in = Valid();
    in.Name = "";
    EXPECT_EQ(Check(in).Error, "Empty Name");
    in = Valid();
    in.Function = "";
    TCriterionCheck r = Check(in);
    EXPECT_EQ(r.Error, "Function Empty");
    EXPECT_EQ(r.Page, kpFunction);
    in = Valid();
    in.Params.clear();
    EXPECT_EQ(Check(in).Error, "Parameter Empty");
    in = Valid();
    in.ResultType = -1;
    r = Check(in);
    EXPECT_EQ(r.Error, "Result Type Empty");
    EXPECT_EQ(r.Page, kpResult);
    in.ResultType = 1;
    in.Weights[0] = {"<=", "10", ""};
    EXPECT_EQ(Check(in).Error, "Result Error");
    in.Weights[0] = {"<=", "10", "1"};
    in.Weights[1] = {"<=", "20", ""};
    EXPECT_EQ(Check(in).Error, "Result Error");
    in.ResultType = 2;
    in.Expression = "{Ampl} +";
    EXPECT_EQ(Check(in).Error, "Result Error");
    // Nothing of the refused dialogs reached the field.
    EXPECT_EQ(field->FieldName(), "");
    EXPECT_FALSE(TGVCPUCriterion::CriterionOf(*field)->HasFunction());
}

TEST_F(TCriterionRulesFixture, WeightRowsAreReadUpToTheFirstEmptyValue) {
    TCriterionInput in = Valid();
    in.ResultType = 1;
    in.Weights[0] = {"<=", "10", "1"};
    in.Weights[1] = {"<=", "20", "2"};
    in.Weights[3] = {"<=", "30", ""}; // after the empty row: not read
    ASSERT_EQ(Check(in).Error, "");
    const TAECriterion* c = TGVCPUCriterion::CriterionOf(*field);
    EXPECT_EQ(c->TypeResult, trWeights);
    EXPECT_EQ(c->Result().TypeElem(), teCase);
    EXPECT_EQ(c->Result().Count(), 2);
    EXPECT_TRUE(c->HasFunction());
    EXPECT_EQ(field->FieldName(), "MaxAmpl");
}

TEST_F(TCriterionRulesFixture, LinkNeedsSourceAndOutput) {
    ASSERT_EQ(Check(Valid()).Error, "");
    TAEField* link = criterion->AddCriterionField(dtExtended, "", trLink);
    TCriterionInput in = Valid();
    in.Name = "Linked";
    in.Link = true;
    TCriterionCheck r = ApplyCriterion(*criterion, *link, false, in);
    EXPECT_EQ(r.Error, "Criterion Empty");
    in.SourceFieldID = field->ID();
    EXPECT_EQ(ApplyCriterion(*criterion, *link, false, in).Error, "Criterion Empty");
    in.Output = "Result_Function";
    EXPECT_EQ(ApplyCriterion(*criterion, *link, false, in).Error, "");
    EXPECT_EQ(TGVCPUCriterion::CriterionOf(*link)->TypeResult, trLink);
    EXPECT_EQ(CriterionFunctionParameters("ZIP").size(), 2u);
}

} // namespace
} // namespace vorelt
