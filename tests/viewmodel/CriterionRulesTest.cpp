// The checks of the criterion dialog in their order with their texts, and that a refused
// dialog leaves the criterion field as it was.

#include "ProjectTestSupport.h"
#include "model/TAEFieldTypes.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "viewmodel/dialogs/processors/TCriterionRules.h"

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

TEST_F(TCriterionRulesFixture, WeightValuesTakeEitherSeparatorAndRefuseOtherTexts) {
    TCriterionInput in = Valid();
    in.ResultType = 1;
    in.Weights[0] = {"<=", "90.5", "1,5"};
    ASSERT_EQ(Check(in).Error, "");
    const auto rows = CriterionWeightRows(*TGVCPUCriterion::CriterionOf(*field));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Value, "90,5");
    EXPECT_EQ(rows[0].Weight, "1,5");
    for (const char* wrong : {"1,2,3", "abc", "-"}) {
        in.Weights[0] = {"<=", wrong, "1"};
        const TCriterionCheck r = Check(in);
        EXPECT_EQ(r.Error, std::string("'") + wrong + "' is not a valid floating point value");
        EXPECT_EQ(r.Page, kpResult);
        in.Weights[0] = {"<=", "1", wrong};
        EXPECT_FALSE(Check(in).Error.empty()) << wrong;
    }
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

TEST_F(TCriterionRulesFixture, OutputLinesNameEachOutputWithItsDeclaredKind) {
    EXPECT_EQ(CriterionFunctionOutputLines("ZIP"),
              (std::vector<std::string>{
                  "Result_Function (String )", "Max_Severity_Out (Type Of Argument )",
                  "Max_Historic_Index_Out (Type Of Argument )", "ZIP_Int_Out (Integer )"}));
    EXPECT_EQ(CriterionFunctionOutputLines("Avg"),
              (std::vector<std::string>{"Result_Function (Type Of Argument )"}));
    EXPECT_TRUE(CriterionFunctionOutputLines("").empty());
}

TEST_F(TCriterionRulesFixture, TheStoredWeightTableComesBackRowByRow) {
    TCriterionInput in = Valid();
    in.ResultType = 1;
    in.Weights[0] = {">=", "10", "1"};
    in.Weights[1] = {"<>", " 20,5 ", "2"};
    ASSERT_EQ(Check(in).Error, "");
    const std::vector<TGVCPUCriterion::TWeightRow> rows =
        CriterionWeightRows(*TGVCPUCriterion::CriterionOf(*field));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Op, ">=");
    EXPECT_EQ(rows[0].Value, "10");
    EXPECT_EQ(rows[0].Weight, "1");
    EXPECT_EQ(rows[1].Op, "<>");
    EXPECT_EQ(rows[1].Value, "20,5");
    EXPECT_EQ(rows[1].Weight, "2");
    // Another result form shows an empty table.
    in.ResultType = 0;
    ASSERT_EQ(ApplyCriterion(*criterion, *field, true, in).Error, "");
    EXPECT_TRUE(CriterionWeightRows(*TGVCPUCriterion::CriterionOf(*field)).empty());
}

TEST_F(TCriterionRulesFixture, SectionsAndTheEditedFilterAreTakenOverOnlyWhenAllChecksPass) {
    TAECriterion* c = TGVCPUCriterion::CriterionOf(*field);
    c->Sections = {"0000000000000901"};
    c->LogCons().Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "60", ""));
    TLCBase edited;
    c->LogCons().CopyTo(edited);
    edited.Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "70", ""));
    TCriterionInput in = Valid();
    in.Sections = {"0000000000000902", "0000000000000903"};
    in.Condition = &edited;
    in.Function = "";
    ASSERT_EQ(Check(in).Error, "Function Empty");
    EXPECT_EQ(c->Sections, (std::vector<std::string>{"0000000000000901"}));
    EXPECT_EQ(c->LogCons().Count(), 1);
    in.Function = "Max";
    ASSERT_EQ(Check(in).Error, "");
    EXPECT_EQ(c->Sections, in.Sections);
    ASSERT_EQ(c->LogCons().Count(), 2);
    EXPECT_EQ(c->LogCons().GetText(), "( Amplitude > 60 AND Amplitude > 70 )");
    // The taken-over tree stays the field's own root, owned by the processor.
    EXPECT_EQ(c->LogCons().EditFlags(), efRoot);
    EXPECT_EQ(c->LogCons().Items(1)->Parent(), &c->LogCons());
    // Without an edited copy the field keeps its filter.
    in.Condition = nullptr;
    ASSERT_EQ(ApplyCriterion(*criterion, *field, true, in).Error, "");
    EXPECT_EQ(c->LogCons().Count(), 2);
}

} // namespace
} // namespace vorelt
