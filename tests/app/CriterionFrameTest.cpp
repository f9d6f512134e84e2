// The criterion frame and dialog offscreen: a plain criterion added with a function, a refused
// dialog that adds nothing, a link criterion, and a move refused while the lower field uses
// the upper one; the dialog's checks in order, its filter, sections, output lines and weight
// table, and that a refused or cancelled dialog leaves the field as it was.

#include "app/TFSelSection.h"
#include "app/TfrmAeCriterion.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "testprog/TTestSection.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

TEST(CriterionFrame, AddLinkAndRefusedMove) {
    RegisterCoreClasses();
    TTempDir dir;
    TGenerateOptions o;
    o.Format = "pci";
    o.FileName = dir.File("d.pci");
    o.Hits = 40;
    o.Channels = 2;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    TProjectAE project;
    ASSERT_TRUE(project.OpenDataFile(o.FileName, error)) << error;
    auto* criterion = project.Db().AddNew<TGVCPUCriterion>();
    criterion->AssignIDs(false, *project.IDGenerator());
    project.Db().NameProcessors();
    TScriptedDialogs dialogs;
    TPageContext context;
    context.Project = &project;
    TfrmAeCriterion frame(*criterion, context);
    ASSERT_EQ(frame.AddMenu()->actions().size(), 9); // four, a separator, four links
    EXPECT_EQ(frame.AddMenu()->actions()[5]->text().toStdString(),
              "Add Integer Criterion ( Link Criterion )");
    const int before = criterion->OwnFields().Count();
    bool fill = false;
    dialogs.On<TCriterionDialog>([&](TCriterionDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Add Extended Criterion");
        d.NameEdit()->setText("MaxAmpl");
        d.DisplayNameEdit()->setText("Max amplitude");
        d.FunctionCombo()->setCurrentText("Max");
        if (!fill) {
            EXPECT_FALSE(d.TryAccept());
            EXPECT_EQ(dialogs.Boxes.back(), "Parameter Empty");
            EXPECT_EQ(d.Pages()->currentIndex(), kpFunction);
            return int(QDialog::Rejected);
        }
        d.SelectParameterField("X", fidAmpl);
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    frame.AddField(dtExtended, false);
    EXPECT_EQ(criterion->OwnFields().Count(), before);
    fill = true;
    frame.AddField(dtExtended, false);
    ASSERT_EQ(criterion->OwnFields().Count(), before + 1);
    TAEField* maxField = criterion->OwnFields().Get(before);
    EXPECT_TRUE(TGVCPUCriterion::CriterionOf(*maxField)->HasFunction());

    dialogs.On<TCriterionDialog>([&](TCriterionDialog& d) {
        EXPECT_EQ(d.Pages()->count(), 2); // Attributes and Result
        d.NameEdit()->setText("Linked");
        d.DisplayNameEdit()->setText("Linked");
        d.SourceBox()->setCurrentIndex(
            d.SourceBox()->findData(QString::fromStdString(maxField->ID())));
        EXPECT_GT(d.OutputBox()->count(), 0);
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    frame.AddField(dtExtended, true);
    ASSERT_EQ(criterion->OwnFields().Count(), before + 2);
    EXPECT_EQ(TGVCPUCriterion::CriterionOf(*criterion->OwnFields().Get(before + 1))->TypeResult,
              trLink);
    // The link uses the field above it: they do not change places.
    frame.MoveField(before + 1, -1);
    EXPECT_EQ(dialogs.Boxes.back(), "Field Linked Used Field MaxAmpl");
    EXPECT_EQ(criterion->OwnFields().Get(before), maxField);
}

// A project on a generated file with a criterion processor below a filter, three test
// sections and one criterion field "MaxAmpl" (Max of the amplitude, a weight table, the
// filter "Ampl > 60" and the first section).
struct TCriterionDialogFixture : ::testing::Test {
    TTempDir dir;
    TProjectAE project;
    TGVCPUCriterion* criterion = nullptr;
    TAEField* field = nullptr;
    TScriptedDialogs dialogs;
    TPageContext context;

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
        for (int i = 0; i < 3; ++i) {
            auto s = std::make_unique<TTestSection>("S" + std::to_string(i), i * 10, i * 10 + 5);
            s->SetID("000000000000090" + std::to_string(i));
            project.Db().TestSections().Add(std::move(s));
        }
        criterion = project.Db().AddNew<TGVCPUCriterion>();
        criterion->AssignIDs(false, *project.IDGenerator());
        project.Db().NameProcessors();
        field = criterion->AddCriterionField(dtExtended, "");
        TCriterionInput in;
        in.Name = "MaxAmpl";
        in.DisplayName = "Max amplitude";
        in.Function = "Max";
        in.Params = {{"X", fidAmpl, ""}};
        in.ResultType = 1;
        in.Weights = {{"<=", "60", "1"}, {">", "60", "2"}, {"<=", "", ""}};
        in.Sections = {"0000000000000900"};
        TLCBase condition;
        condition.Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "60", ""));
        in.Condition = &condition;
        ASSERT_EQ(ApplyCriterion(*criterion, *field, false, in).Error, "");
        context.Project = &project;
    }
    TAECriterion& Crit() const { return *TGVCPUCriterion::CriterionOf(*field); }
    // What the field holds, to tell whether a dialog changed it.
    std::string Snapshot() const {
        const TAECriterion& c = Crit();
        std::string s = field->FieldName() + "|" + field->GetDisplayName() + "|" +
                        c.LogCons().GetText() + "|" + c.Result().ToText() + "|" +
                        c.Expresion().Text() + "|" + std::to_string(c.TypeResult) + "|" +
                        (c.EnabledFilter ? "F" : "f") + (c.EnabledSection ? "S" : "s");
        for (const std::string& id : c.Sections)
            s += "|" + id;
        return s;
    }
    static QStringList Column(const QTreeWidget* list, int column) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(column);
        return out;
    }
};

TEST_F(TCriterionDialogFixture, ChecksInOrderShowTheirTextAndPageAndChangeNothing) {
    const std::string before = Snapshot();
    TAEField* added = criterion->AddCriterionField(dtInteger, "");
    TCriterionDialog d(*criterion, *added, false, false, "Add Integer Criterion");
    ASSERT_EQ(d.Pages()->count(), 5);
    EXPECT_EQ(d.Pages()->tabText(1).toStdString(), "Data");
    struct TStep {
        std::function<void()> Do;
        const char* Text;
        int Page;
    };
    const std::vector<TStep> steps = {
        {[] {}, "Empty Name", kpAttributes},
        {[&] { d.NameEdit()->setText("12,5"); }, "Invalid Name", kpAttributes},
        {[&] { d.NameEdit()->setText("MaxAmpl"); }, "Not Unique Name [ MaxAmpl ]", kpAttributes},
        {[&] { d.NameEdit()->setText("Hits"); }, "Empty Display Name", kpAttributes},
        {[&] { d.DisplayNameEdit()->setText("Hits"); }, "Function Empty", kpFunction},
        {[&] { d.FunctionCombo()->setCurrentText("Sum"); }, "Parameter Empty", kpFunction},
        {[&] {
             d.SelectParameterField("X", fidAmpl);
             d.ResultTypeBox()->setCurrentIndex(1);
         },
         "Result Error", kpResult},
        {[&] {
             d.WeightTable()->item(0, 1)->setText("10");
             d.WeightTable()->item(0, 3)->setText("1");
             d.WeightTable()->item(1, 1)->setText("20");
         },
         "Result Error", kpResult},
        {[&] {
             d.ResultTypeBox()->setCurrentIndex(2);
             d.ExpressionEdit()->setPlainText("{Ampl} +");
         },
         "Result Error", kpResult},
    };
    for (const TStep& step : steps) {
        step.Do();
        d.Pages()->setCurrentIndex(kpData);
        EXPECT_FALSE(d.TryAccept()) << step.Text;
        EXPECT_EQ(dialogs.Boxes.back(), step.Text);
        EXPECT_EQ(d.Pages()->currentIndex(), step.Page) << step.Text;
    }
    EXPECT_EQ(added->FieldName(), "");
    EXPECT_FALSE(TGVCPUCriterion::CriterionOf(*added)->HasFunction());
    EXPECT_EQ(Snapshot(), before);
    d.ExpressionEdit()->setPlainText("{Ampl} * 2");
    EXPECT_TRUE(d.TryAccept());
    EXPECT_EQ(added->FieldName(), "Hits");
    EXPECT_EQ(TGVCPUCriterion::CriterionOf(*added)->TypeResult, trExpression);
}

TEST_F(TCriterionDialogFixture, TheFilterIsEditedOnACopyThatOnlyOKTakesOver) {
    const std::string before = Snapshot();
    dialogs.On<TLCDialog>([this](TLCDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Input Logical Condition");
        // The fields offered are those that reach the criterion processor.
        EXPECT_FALSE(d.FieldMenu()->actions().isEmpty());
        d.SelectField(criterion->Parent()->FindField(fidAmpl));
        d.OperationBox()->setCurrentIndex(d.OperationBox()->findData(coLess));
        d.ValueEdit()->setText("90");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    int refreshed = 0;
    context.RefreshNode = [&refreshed] { ++refreshed; };
    TfrmAeCriterion frame(*criterion, context);
    bool accept = false;
    dialogs.On<TCriterionDialog>([&](TCriterionDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Edit Extended Criterion");
        TLCEditor* editor = d.ConditionEditor();
        EXPECT_NE(editor->Root(), &Crit().LogCons());
        EXPECT_EQ(editor->Memo()->toPlainText().toStdString(), Crit().LogCons().GetText());
        editor->SelectNode(editor->Root());
        editor->AddCondition();
        EXPECT_EQ(editor->Root()->Count(), 2);
        d.FilterBox()->setChecked(true);
        // The field's own filter has not changed while the dialog is open.
        EXPECT_EQ(Crit().LogCons().Count(), 1);
        return accept && d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    frame.EditField(0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(refreshed, 0);
    accept = true;
    frame.EditField(0);
    ASSERT_EQ(Crit().LogCons().Count(), 2);
    EXPECT_TRUE(Crit().EnabledFilter);
    EXPECT_NE(Crit().LogCons().GetText().find("90"), std::string::npos);
    EXPECT_EQ(refreshed, 1);
    // The taken-over filter works on the criterion's records.
    TAEPNav nav;
    TAERecord record;
    criterion->PrepareRecord(record);
    EXPECT_EQ(criterion->RecordCount(nav, record), 2);
}

TEST_F(TCriterionDialogFixture, SelectSectionsReplacesTheListWhichOnlyOKStores) {
    const std::string before = Snapshot();
    bool acceptSelection = false;
    dialogs.OnDialog = [&](QDialog& w) {
        EXPECT_EQ(w.windowTitle().toStdString(), "Select Sections");
        auto* sel = dynamic_cast<TFSelSection*>(&w);
        EXPECT_NE(sel, nullptr);
        if (!sel) return int(QDialog::Rejected);
        EXPECT_EQ(sel->List()->topLevelItem(0)->checkState(0), Qt::Checked);
        sel->Toggle(2);
        sel->Toggle(0);
        return acceptSelection ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    {
        TCriterionDialog d(*criterion, *field, true, false, "Edit Extended Criterion");
        EXPECT_EQ(d.SelectSectionsButton()->text().toStdString(), "Select Sections");
        QStringList headers;
        for (int i = 0; i < d.SectionList()->columnCount(); ++i)
            headers << d.SectionList()->headerItem()->text(i);
        EXPECT_EQ(headers, (QStringList{"Name", "Min Value [S]", "Max Value [S]"}));
        EXPECT_EQ(Column(d.SectionList(), 0), QStringList{"S0"});
        d.SelectSections(); // cancelled: the list stays
        EXPECT_EQ(Column(d.SectionList(), 0), QStringList{"S0"});
        acceptSelection = true;
        d.SelectSections();
        EXPECT_EQ(Column(d.SectionList(), 0), QStringList{"S2"});
        EXPECT_EQ(Column(d.SectionList(), 1), QStringList{"20"});
        EXPECT_EQ(Column(d.SectionList(), 2), QStringList{"25"});
        d.SectionBox()->setChecked(true);
        // A refused OK keeps the field's sections.
        d.ResultTypeBox()->setCurrentIndex(2);
        d.ExpressionEdit()->setPlainText("(");
        EXPECT_FALSE(d.TryAccept());
        EXPECT_EQ(Snapshot(), before);
        d.ResultTypeBox()->setCurrentIndex(1);
        EXPECT_TRUE(d.TryAccept());
    }
    EXPECT_EQ(Crit().Sections, (std::vector<std::string>{"0000000000000902"}));
    EXPECT_TRUE(Crit().EnabledSection);
}

TEST_F(TCriterionDialogFixture, TheFunctionPageListsTheOutputsOfTheChosenFunction) {
    TCriterionDialog d(*criterion, *field, true, false, "Edit Extended Criterion");
    EXPECT_EQ(d.OutputLines(), QStringList{"Result_Function (Type Of Argument )"});
    d.FunctionCombo()->setCurrentText("ZIP");
    EXPECT_EQ(
        d.OutputLines(),
        (QStringList{"Result_Function (String )", "Max_Severity_Out (Type Of Argument )",
                     "Max_Historic_Index_Out (Type Of Argument )", "ZIP_Int_Out (Integer )"}));
    QStringList labels;
    for (QLabel* l : d.findChildren<QLabel*>())
        if (l->text() == "Result Function" && l->objectName().isEmpty()) labels << l->text();
    EXPECT_EQ(labels.size(), 4);
    d.FunctionCombo()->setCurrentText("");
    EXPECT_TRUE(d.OutputLines().isEmpty());
}

TEST_F(TCriterionDialogFixture, EditingShowsTheStoredWeightTableAndKeepsIt) {
    const std::string before = Snapshot();
    TCriterionDialog d(*criterion, *field, true, false, "Edit Extended Criterion");
    QTableWidget* w = d.WeightTable();
    EXPECT_EQ(d.ResultTypeBox()->currentIndex(), 1);
    auto op = [w](int r) {
        return qobject_cast<QComboBox*>(w->cellWidget(r, 0))->currentText().toStdString();
    };
    EXPECT_EQ(op(0), "<=");
    EXPECT_EQ(w->item(0, 1)->text().toStdString(), "60");
    EXPECT_EQ(w->item(0, 3)->text().toStdString(), "1");
    EXPECT_EQ(op(1), ">");
    EXPECT_EQ(w->item(1, 1)->text().toStdString(), "60");
    EXPECT_EQ(w->item(1, 3)->text().toStdString(), "2");
    EXPECT_TRUE(w->item(2, 1)->text().isEmpty());
    // OK without touching anything stores the same field.
    EXPECT_TRUE(d.TryAccept());
    EXPECT_EQ(Snapshot(), before);
}

} // namespace
