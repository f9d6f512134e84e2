// The checks of the calculated-field dialog in their order, with their texts, and that a
// refused dialog leaves the field as it was.

#include "ProjectTestSupport.h"
#include "model/TAEFieldTypes.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/math/TGVCPUPrc.h"
#include "viewmodel/dialogs/processors/TCalcFieldRules.h"

namespace vorelt {
namespace {

struct TCalcFixture : ::testing::Test {
    test::TTempDir dir;
    TProjectAE project;
    TGVCPUPrc* math = nullptr;
    TAEField* field = nullptr;
    void SetUp() override {
        test::RegisterTestClasses();
        std::string error;
        ASSERT_TRUE(project.OpenDataFile(test::GenerateFile(dir, "pci", 50), error)) << error;
        math = test::AddKind<TGVCPUPrc>(project, project.Db());
        TAEField* other = math->AddCalcField(dtExtended, "Double");
        other->SetDisplayName("Double");
        field = math->AddCalcField(dtExtended, "");
    }
    TCalcFieldInput Valid() {
        TCalcFieldInput in;
        in.Name = "Twice";
        in.DisplayName = "Twice the amplitude";
        in.Dimension = "dB";
        in.ExpressionMode = true;
        in.Expression = "{Ampl} * 2";
        return in;
    }
    std::string Check(const TCalcFieldInput& in, int* page = nullptr) {
        TCalcFieldCheck r = ApplyCalcField(*math, *field, false, in);
        if (page) *page = r.Page;
        return r.Error;
    }
};

TEST_F(TCalcFixture, AttributeChecksInOrder) {
    TCalcFieldInput in = Valid();
    in.Name = "  ";
    in.DisplayName = "";
    EXPECT_EQ(Check(in), "Empty Name");
    in.Name = "12,5";
    EXPECT_EQ(Check(in), "Invalid Name");
    in.Name = "Double";
    EXPECT_EQ(Check(in), "Not Unique Name [ Double ]");
    in.Name = "Ampl"; // a field of the data file
    EXPECT_EQ(Check(in), "Not Unique Name [ Ampl ]");
    in.Name = "Twice";
    EXPECT_EQ(Check(in), "Empty Display Name");
    EXPECT_EQ(field->FieldName(), "");
    EXPECT_EQ(field->GetDisplayName(), "");
}

TEST_F(TCalcFixture, ExpressionErrorsComeFromTheCompilerAndChangeNothing) {
    TCalcFieldInput in = Valid();
    in.Expression = "{Ampl} * ";
    int page = -1;
    const std::string error = Check(in, &page);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(page, cpCode);
    EXPECT_EQ(field->FieldName(), "");
    EXPECT_EQ(TGVCPUPrc::FieldExpresion(*field)->TypeElem(), 0);
    in = Valid();
    EXPECT_EQ(Check(in), "");
    EXPECT_EQ(field->FieldName(), "Twice");
    EXPECT_EQ(field->GetDisplayDimension(), "dB");
    EXPECT_EQ(TGVCPUPrc::FieldExpresion(*field)->TypeElem(), teRoot);
}

TEST_F(TCalcFixture, FunctionChecksInOrder) {
    TCalcFieldInput in = Valid();
    in.ExpressionMode = false;
    EXPECT_EQ(Check(in), "Function Empty");
    in.Function = "Min";
    in.Grouping = true;
    EXPECT_EQ(Check(in), "Grouping Field Empty");
    in.GroupFieldID = "0000000000000002";
    EXPECT_EQ(Check(in), "Parameter Empty");
    in.Function = "Ratio";
    in.Grouping = false;
    in.Params = {{"A", "", "2"}, {"X", "0000000000000009", ""}};
    EXPECT_EQ(Check(in), "Parameter Empty"); // Y is missing
    EXPECT_EQ(field->FieldName(), "");
    in.Params.push_back({"y", "0000000000000001", ""});
    EXPECT_EQ(Check(in), "");
    const TAEExpresion* tree = TGVCPUPrc::FieldExpresion(*field);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->TypeElem(), teFunction);
    EXPECT_EQ(tree->Text(), "Ratio");
    EXPECT_EQ(FunctionParameters("Ratio").size(), 3u);
    EXPECT_FALSE(FunctionParameters("Ratio")[0].second); // A is a constant
}

TEST_F(TCalcFixture, EditingKeepsTheName) {
    TCalcFieldInput in = Valid();
    ASSERT_EQ(Check(in), "");
    in.Name = "Other";
    in.DisplayName = "Shown";
    EXPECT_EQ(ApplyCalcField(*math, *field, true, in).Error, "");
    EXPECT_EQ(field->FieldName(), "Twice");
    EXPECT_EQ(field->GetDisplayName(), "Shown");
}

} // namespace
} // namespace vorelt
