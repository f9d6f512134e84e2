// The criterion dialog in real windows: from the tree window's criterion frame a field is added
// with the "Max" of the amplitude, a filter condition typed in its condition editor, a test
// section chosen with "Select Sections" and a weight table; edited again, the dialog shows the
// stored weight table, condition and section. A screenshot of the screen per page goes to the
// build folder (criterion-<page>.png).

#include "../app/TAppSession.h"
#include "app/TFSelSection.h"
#include "app/TFTreePrj.h"
#include "app/TfrmAeCriterion.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "project/TProjectAE.h"
#include "testprog/TTestSection.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::ShootScreen;
using vorelt::test::TAppSession;

namespace {

// The whole screen as the X server shows it, into the build folder.
void Screenshot(const QString& name) {
    ShootScreen(std::string(VORELT_BINARY_DIR) + "/" + name.toStdString());
}

// Shows every page of the dialog in turn, with one screenshot each.
void ShootPages(TCriterionDialog& d, const QString& prefix) {
    for (int i = 0; i < d.Pages()->count(); ++i) {
        d.Pages()->setCurrentIndex(i);
        Screenshot(prefix + d.Pages()->tabText(i).toLower() + ".png");
    }
}

} // namespace

TEST(CriterionSession, AFieldWithFilterSectionsAndWeightsIsAddedAndShownAgain) {
    TAppSession session;
    vorelt::test::TScriptedDialogs& dialogs = session.Dialogs;
    const std::string data = session.GeneratedFile("session.pci", 400, 4, 1);
    ASSERT_FALSE(data.empty());
    std::string error;
    TProjectAE project;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    const char* names[] = {"Loading", "Holding", "Unloading"};
    for (int i = 0; i < 3; ++i) {
        auto s = std::make_unique<TTestSection>(names[i], i * 20, i * 20 + 19);
        s->AssignID(false, *project.IDGenerator());
        project.Db().TestSections().Add(std::move(s));
    }
    auto* filter = project.Db().AddNew<TGVCPUFltr>();
    auto* criterion = filter->AddNew<TGVCPUCriterion>();
    project.Db().AssignIDsDeep(false, *project.IDGenerator());
    project.Db().NameProcessors();

    TFTreePrj w(project, nullptr, tmProjectTree);
    w.resize(1100, 760);
    w.move(10, 10);
    w.show();
    w.SelectProcessor(criterion);
    auto* frame = qobject_cast<TfrmAeCriterion*>(w.ParameterPage());
    ASSERT_NE(frame, nullptr);

    dialogs.On<TLCDialog>([&](TLCDialog& d) {
        d.show();
        d.SelectField(filter->FindField(fidAmpl));
        d.OperationBox()->setCurrentIndex(d.OperationBox()->findData(coGreater));
        QTest::keyClicks(d.ValueEdit(), "45");
        Screenshot("criterion-condition.png");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    dialogs.OnDialog = [&](QDialog& d) {
        d.show();
        if (auto* sel = dynamic_cast<TFSelSection*>(&d)) sel->Toggle(1);
        Screenshot("criterion-select-sections.png");
        return int(QDialog::Accepted);
    };
    dialogs.On<TCriterionDialog>([&](TCriterionDialog& d) {
        d.resize(640, 520);
        d.show();
        QTest::keyClicks(d.NameEdit(), "MaxAmpl");
        QTest::keyClicks(d.DisplayNameEdit(), "Max amplitude");
        d.SectionBox()->setChecked(true);
        d.SelectSections();
        d.FilterBox()->setChecked(true);
        d.ConditionEditor()->SelectNode(d.ConditionEditor()->Root());
        d.ConditionEditor()->AddCondition();
        d.FunctionCombo()->setCurrentText("Max");
        if (auto* x = d.findChild<QComboBox*>("cbParamX"))
            x->setCurrentIndex(x->findData(QString(fidAmpl)));
        d.ResultTypeBox()->setCurrentIndex(1);
        d.WeightTable()->item(0, 1)->setText("60");
        d.WeightTable()->item(0, 3)->setText("1");
        d.WeightTable()->item(1, 1)->setText("80");
        d.WeightTable()->item(1, 3)->setText("2");
        ShootPages(d, "criterion-add-");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    const int before = criterion->OwnFields().Count();
    frame->AddField(dtInteger, false);
    ASSERT_EQ(criterion->OwnFields().Count(), before + 1);
    const TAECriterion* c = TGVCPUCriterion::CriterionOf(*criterion->OwnFields().Get(before));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Sections, (std::vector<std::string>{project.Db().TestSections().Get(1)->ID()}));
    EXPECT_EQ(c->LogCons().Count(), 1);
    EXPECT_EQ(c->TypeResult, trWeights);
    Screenshot("criterion-frame.png");

    dialogs.On<TCriterionDialog>([&](TCriterionDialog& d) {
        d.resize(640, 520);
        d.show();
        EXPECT_EQ(d.SectionList()->topLevelItemCount(), 1);
        EXPECT_EQ(d.WeightTable()->item(1, 1)->text().toStdString(), "80");
        EXPECT_EQ(d.ConditionEditor()->Root()->Count(), 1);
        ShootPages(d, "criterion-edit-");
        return int(QDialog::Rejected);
    });
    frame->EditField(before);
}
