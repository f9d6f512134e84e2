// The math processor's frame and the calculated-field dialog offscreen: adding by type in
// function mode, the expression mode with its field menu, a refused dialog that changes
// nothing, and deleting refused while a use exists.

#include "app/TfrmAePrc.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldTypes.h"
#include "processing/db/TGVDb.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "processing/math/TGVCPUPrc.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/TScriptedDialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

struct TMathFrameFixture : ::testing::Test {
    TTempDir dir;
    TProjectAE project;
    TScriptedDialogs dialogs;
    TPageContext context;
    TGVCPUPrc* math = nullptr;
    void SetUp() override {
        RegisterCoreClasses();
        TGenerateOptions o;
        o.Format = "pci";
        o.FileName = dir.File("d.pci");
        o.Hits = 40;
        o.Channels = 2;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(o, error)) << error;
        ASSERT_TRUE(project.OpenDataFile(o.FileName, error)) << error;
        math = project.Db().AddNew<TGVCPUPrc>();
        math->AssignIDs(false, *project.IDGenerator());
        project.Db().NameProcessors();
        context.Project = &project;
    }
};

TEST_F(TMathFrameFixture, ExpressionFieldIsAddedThroughTheDialog) {
    TfrmAePrc frame(*math, context);
    ASSERT_EQ(frame.AddMenu()->actions().size(), 4);
    EXPECT_EQ(frame.AddMenu()->actions()[1]->text().toStdString(), "Add Extended Field");
    int round = 0;
    dialogs.On<TCalcFieldDialog>([&](TCalcFieldDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Add Extended Field");
        EXPECT_TRUE(d.FunctionButton()->isChecked()); // a new field starts in function mode
        QTest::keyClicks(d.NameEdit(), "Twi ce");
        EXPECT_EQ(d.NameEdit()->text().toStdString(), "Twice");
        d.DisplayNameEdit()->setText("Twice");
        if (++round == 1) {
            // No function chosen: refused, nothing changes.
            EXPECT_FALSE(d.TryAccept());
            EXPECT_EQ(dialogs.Boxes.back(), "Function Empty");
            EXPECT_EQ(d.Pages()->currentIndex(), 1);
            return int(QDialog::Rejected);
        }
        d.ExpressionButton()->setChecked(true);
        for (QAction* a : d.FieldMenu()->actions())
            if (a->objectName() == "Ampl") a->trigger();
        d.ExpressionEdit()->insertPlainText(" * 2");
        EXPECT_EQ(d.ExpressionEdit()->toPlainText().toStdString(), "{Ampl} * 2");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    frame.AddField(dtExtended);
    EXPECT_EQ(math->OwnFields().Count(), 0);
    EXPECT_FALSE(project.Modified());
    frame.AddField(dtExtended);
    ASSERT_EQ(math->OwnFields().Count(), 1);
    EXPECT_EQ(math->OwnFields().Get(0)->FieldName(), "Twice");
    EXPECT_EQ(frame.FieldList()->topLevelItemCount(), 1);
    EXPECT_TRUE(project.Modified());
    // Editing shows the expression again.
    dialogs.On<TCalcFieldDialog>([&](TCalcFieldDialog& d) {
        EXPECT_TRUE(d.ExpressionButton()->isChecked());
        EXPECT_TRUE(d.NameEdit()->isReadOnly());
        EXPECT_NE(d.ExpressionEdit()->toPlainText().toStdString().find("Ampl"), std::string::npos);
        return int(QDialog::Rejected);
    });
    frame.EditField(0);
}

TEST_F(TMathFrameFixture, FunctionFormAndDeletingAUsedField) {
    TfrmAePrc frame(*math, context);
    dialogs.On<TCalcFieldDialog>([&](TCalcFieldDialog& d) {
        QTest::keyClicks(d.NameEdit(), "Scaled");
        d.DisplayNameEdit()->setText("Scaled");
        d.SelectFunction("Power");
        EXPECT_EQ(d.FunctionLabel()->text().toStdString(), "Power");
        EXPECT_FALSE(d.GroupingBox()->isEnabled());
        QLineEdit* a = d.ConstantEdit("A");
        EXPECT_NE(a, nullptr);
        if (!a) return int(QDialog::Rejected);
        QTest::keyClicks(a, "-2.5");
        EXPECT_EQ(a->text().toStdString(), "-2,5");
        d.ConstantEdit("K")->setText("2");
        EXPECT_FALSE(d.TryAccept());
        EXPECT_EQ(dialogs.Boxes.back(), "Parameter Empty"); // X has no field
        d.SelectParameterField("X", "0000000000000009");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    frame.AddField(dtExtended);
    ASSERT_EQ(math->OwnFields().Count(), 1);
    TAEField* f = math->OwnFields().Get(0);
    const TAEExpresion* tree = TGVCPUPrc::FieldExpresion(*f);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->Text(), "Power");
    // A filter below tests the field: deleting it is refused with the use.
    auto* filter = math->AddNew<TGVCPUFltr>();
    filter->SetName("FR01");
    auto c = std::make_unique<TLCCondition>();
    c->SetFieldID(f->ID());
    c->SetOperation(6);
    c->SetValue("1");
    filter->Condition().Add(std::move(c));
    frame.DeleteField(0);
    EXPECT_EQ(math->OwnFields().Count(), 1);
    EXPECT_EQ(dialogs.Boxes.back().rfind("Field Used\r", 0), 0u) << dialogs.Boxes.back();
    filter->Condition().Clear();
    frame.DeleteField(0);
    EXPECT_EQ(math->OwnFields().Count(), 0);
}

} // namespace
