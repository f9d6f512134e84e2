// The criterion frame and dialog offscreen: a plain criterion added with a function, a refused
// dialog that adds nothing, a link criterion, and a move refused while the lower field uses
// the upper one.

#include "TScriptedDialogs.h"
#include "app/TfrmAeCriterion.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/db/TGVDb.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
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
    context.Dialogs = &dialogs;
    struct TRestore {
        ~TRestore() { TfrmAeCriterion::DialogRunner() = nullptr; }
    } restore;
    TfrmAeCriterion frame(*criterion, context);
    ASSERT_EQ(frame.AddMenu()->actions().size(), 9); // four, a separator, four links
    EXPECT_EQ(frame.AddMenu()->actions()[5]->text().toStdString(),
              "Add Integer Criterion ( Link Criterion )");
    const int before = criterion->OwnFields().Count();
    bool fill = false;
    TfrmAeCriterion::DialogRunner() = [&](TCriterionDialog& d) {
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
    };
    frame.AddField(dtExtended, false);
    EXPECT_EQ(criterion->OwnFields().Count(), before);
    fill = true;
    frame.AddField(dtExtended, false);
    ASSERT_EQ(criterion->OwnFields().Count(), before + 1);
    TAEField* maxField = criterion->OwnFields().Get(before);
    EXPECT_TRUE(TGVCPUCriterion::CriterionOf(*maxField)->HasFunction());

    TfrmAeCriterion::DialogRunner() = [&](TCriterionDialog& d) {
        EXPECT_EQ(d.Pages()->count(), 2); // Attributes and Result
        d.NameEdit()->setText("Linked");
        d.DisplayNameEdit()->setText("Linked");
        d.SourceBox()->setCurrentIndex(
            d.SourceBox()->findData(QString::fromStdString(maxField->ID())));
        EXPECT_GT(d.OutputBox()->count(), 0);
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    frame.AddField(dtExtended, true);
    ASSERT_EQ(criterion->OwnFields().Count(), before + 2);
    EXPECT_EQ(TGVCPUCriterion::CriterionOf(*criterion->OwnFields().Get(before + 1))->TypeResult,
              trLink);
    // The link uses the field above it: they do not change places.
    frame.MoveField(before + 1, -1);
    EXPECT_EQ(dialogs.Boxes.back(), "Field Linked Used Field MaxAmpl");
    EXPECT_EQ(criterion->OwnFields().Get(before), maxField);
}

} // namespace
