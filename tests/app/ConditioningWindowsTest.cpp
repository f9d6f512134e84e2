// The deleted records window, the parametric fields window and the section windows offscreen
// over a generated data file: tree and grid after deletions, restoring through the menus with
// header rows that never count, the columns page, the field dialog's key filters and checks,
// refused deletion of a used field, and the marks of the section selection window.

#include "app/TDelHitGrid.h"
#include "app/TFDelHit.h"
#include "app/TFParametric.h"
#include "app/TFSelSection.h"
#include "app/TPointDialog.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "persist/TGVProperty.h"
#include "processing/db/TGVDb.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "project/TProjectAE.h"
#include "testprog/TAEParametric.h"
#include "testprog/TTestSection.h"
#include "view2d/TPickerMenu.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TfrmAeTbl.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

struct TCondFixture : ::testing::Test {
    TTempDir dir;
    std::unique_ptr<TProjectAE> project;
    TScriptedDialogs dialogs;
    std::unique_ptr<TIniApplic> settings;

    void SetUp() override {
        RegisterCoreClasses();
        TGenerateOptions o;
        o.Format = "pci";
        o.FileName = dir.File("cond.pci");
        o.Hits = 200;
        o.Channels = 4;
        o.Seed = 5;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(o, error)) << error;
        project = std::make_unique<TProjectAE>();
        ASSERT_TRUE(project->OpenDataFile(o.FileName, error)) << error;
        settings = std::make_unique<TIniApplic>(dir.Path() + "/");
    }
    TGVDb& Db() { return project->Db(); }
    void Delete(std::vector<int32_t> positions) {
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = std::move(positions);
        Db().Dispatch(del);
    }
    std::vector<std::string> TreeTexts(TFDelHit& w) {
        std::vector<std::string> texts;
        for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it)
            texts.push_back((*it)->text(0).toStdString());
        return texts;
    }
    // A numeric parametric input of the driver.
    const TAEField* ParametricInput() {
        const TAEFields& set = Db().Driver()->ParamFields();
        for (int i = 0; i < set.Count(); ++i)
            if (set.Get(i)->DataType() == dtExtended || set.Get(i)->DataType() == dtInteger)
                return set.Get(i);
        return set.Count() > 0 ? set.Get(0) : nullptr;
    }
};

} // namespace

TEST_F(TCondFixture, TheTreeShowsTheGroupsAndTheTotal) {
    Delete({0, 1, 2});
    Delete({10, 11, 12, 13, 14});
    TFDelHit w(Db(), settings.get());
    w.show();
    EXPECT_EQ(TreeTexts(w),
              (std::vector<std::string>{"Stack Data Deleted - 8", "0 Page - 3", "1 Page - 5"}));
    EXPECT_EQ(w.PageControl()->tabText(0), "Deleted Records");
    EXPECT_EQ(w.PageControl()->tabText(1), "Columns");
    w.Tree()->setCurrentItem(w.Tree()->topLevelItem(0)->child(1));
    EXPECT_EQ(w.Pages().Group(), 1);
    EXPECT_EQ(w.Grid()->RowCount(), 7);
    w.Grid()->grab(); // paints every row
}

TEST_F(TCondFixture, HeaderRowsNeverBecomeCurrentAndTheRecordCommandWaitsForARecord) {
    Delete({3, 4, 5});
    TFDelHit w(Db(), settings.get());
    w.resize(800, 500);
    w.show();
    // The root: an empty page with nothing to restore.
    w.UpdateGridMenu();
    EXPECT_FALSE(w.UndeleteRecordAction()->isEnabled());
    w.ChooseGroup(0);
    w.Grid()->SetCurrentRow(3);
    QTest::mouseClick(w.Grid()->viewport(), Qt::LeftButton, {}, QPoint(40, 5)); // caption row
    EXPECT_EQ(w.Grid()->CurrentRow(), 3);
    QTest::mouseClick(w.Grid()->viewport(), Qt::LeftButton, {}, QPoint(40, 25)); // unit row
    EXPECT_EQ(w.Grid()->CurrentRow(), 3);
    w.Grid()->SetCurrentRow(0);
    EXPECT_EQ(w.Grid()->CurrentRow(), 2);
    w.UpdateGridMenu();
    EXPECT_TRUE(w.UndeleteRecordAction()->isEnabled());
    QTest::mouseClick(w.Grid()->viewport(), Qt::LeftButton, {}, QPoint(40, 4 * 20 + 5));
    EXPECT_EQ(w.Grid()->CurrentRow(), 4);
    w.UndeleteRecordAction()->trigger();
    EXPECT_EQ(TreeTexts(w), (std::vector<std::string>{"Stack Data Deleted - 2", "0 Page - 2"}));
    EXPECT_EQ(w.Pages().Group(), 0);
    EXPECT_EQ(w.Tree()->currentItem()->text(0), "0 Page - 2");
}

TEST_F(TCondFixture, RestoringTheLastRecordAndWholeGroupsShowsTheRoot) {
    Delete({1});
    Delete({2, 3});
    Delete({4, 5, 6});
    TFDelHit w(Db(), settings.get());
    w.show();
    w.ChooseGroup(0);
    EXPECT_EQ(w.Grid()->RowCount(), 3); // one record, three rows
    w.UndeleteRecord();
    EXPECT_EQ(w.Pages().Group(), -1);
    EXPECT_EQ(w.Tree()->currentItem()->text(0), "Stack Data Deleted - 5");
    EXPECT_EQ(TreeTexts(w),
              (std::vector<std::string>{"Stack Data Deleted - 5", "0 Page - 2", "1 Page - 3"}));
    w.ChooseGroup(0);
    w.GroupMenu()->actions().value(0)->trigger(); // "Undelete Page Stack"
    EXPECT_EQ(TreeTexts(w), (std::vector<std::string>{"Stack Data Deleted - 3", "0 Page - 3"}));
    EXPECT_EQ(w.Pages().Group(), -1);
    ASSERT_EQ(w.RootMenu()->actions().value(0)->objectName(), "mmUndelAll");
    w.RootMenu()->actions().value(0)->trigger();
    EXPECT_EQ(TreeTexts(w), (std::vector<std::string>{"Stack Data Deleted - 0"}));
    EXPECT_EQ(Db().DeletedGroupCount(), 0);
}

TEST_F(TCondFixture, TheColumnsPageAddsEditsAndDeletes) {
    Delete({0, 1});
    TFDelHit w(Db(), settings.get());
    w.show();
    EXPECT_FALSE(w.ColumnButton("btnEdit")->isEnabled());
    EXPECT_TRUE(w.ColumnButton("btnAdd")->isEnabled());
    w.PrepareAddMenu();
    QAction* ampl = FindPickerAction(*w.AddColumnMenu(), fidAmpl);
    ASSERT_NE(ampl, nullptr);
    ampl->trigger();
    w.PrepareAddMenu();
    ampl = FindPickerAction(*w.AddColumnMenu(), fidAmpl);
    ASSERT_NE(ampl, nullptr);
    EXPECT_TRUE(ampl->isChecked());
    ampl->trigger(); // listed: nothing changes
    FindPickerAction(*w.AddColumnMenu(), fidChan)->trigger();
    ASSERT_EQ(w.ColumnList()->topLevelItemCount(), 2);
    EXPECT_EQ(w.ColumnList()->headerItem()->text(1), "Comments");
    dialogs.OnDialog = [](QDialog& d) {
        auto& c = dynamic_cast<TColumnDialog&>(d);
        EXPECT_EQ(c.TabBox(), nullptr);
        EXPECT_EQ(c.windowTitle().toStdString().rfind("Edit Column [ ", 0), 0u);
        c.NameEdit()->setText("Amplitude");
        return int(QDialog::Accepted);
    };
    w.EditColumn(0);
    EXPECT_EQ(w.ColumnList()->topLevelItem(0)->text(1), "Amplitude");
    w.ColumnList()->setCurrentItem(w.ColumnList()->topLevelItem(1));
    EXPECT_FALSE(w.ColumnButton("btnDown")->isEnabled());
    EXPECT_TRUE(w.ColumnButton("btnUp")->isEnabled());
    w.ColumnButton("btnUp")->click();
    EXPECT_EQ(w.Pages().ColumnIDs(), (std::vector<std::string>{fidChan, fidAmpl}));
    w.ColumnButton("btnDelete")->click();
    EXPECT_EQ(w.Pages().ColumnCount(), 1);
    w.ChooseGroup(0);
    w.Grid()->grab();
}

TEST_F(TCondFixture, FactorShowsTheCommaAndKeepsWhatIsNoNumber) {
    TParametricFields fields(Db());
    TFParametricField d(fields, fields.NewEdit(), settings.get());
    QLineEdit* factor = d.FactorEdit();
    d.show();
    factor->setFocus();
    QTest::keyClicks(factor, "-1.25");
    EXPECT_EQ(factor->text(), "-1,25");
    QTest::keyClicks(factor, ",-a");
    EXPECT_EQ(factor->text(), "-1,25,-a");
    QTest::keyClicks(d.NameEdit(), "Pres sure");
    EXPECT_EQ(d.NameEdit()->text(), "Pressure");
}

TEST_F(TCondFixture, AFieldIsAddedWithItsSourceAndTheChecksNameTheirPage) {
    const TAEField* input = ParametricInput();
    ASSERT_NE(input, nullptr);
    TFParametric w(Db(), settings.get());
    w.show();
    EXPECT_TRUE(w.Tool("tbAddField")->isEnabled());
    EXPECT_FALSE(w.Tool("tbEditField")->isEnabled());
    dialogs.On<TFParametricField>([&](TFParametricField& d) {
        EXPECT_EQ(d.windowTitle(), "Add Field");
        EXPECT_FALSE(d.TryAccept());
        EXPECT_EQ(dialogs.Boxes.back(), "Empty Name");
        d.NameEdit()->setText("Pressure");
        d.DisplayNameEdit()->setText("Pressure");
        d.DimensionEdit()->setText("MPa");
        EXPECT_FALSE(d.TryAccept());
        EXPECT_EQ(dialogs.Boxes.back(), "Field Empty");
        EXPECT_EQ(d.Pages()->currentIndex(), 1);
        d.PrepareSourceMenu();
        // Database fields are never offered.
        if (QAction* time = FindPickerAction(*d.SourceMenu(), fidTimeS)) {
            EXPECT_FALSE(time->isEnabled());
        }
        QAction* source = FindPickerAction(*d.SourceMenu(), input->ID());
        EXPECT_NE(source, nullptr);
        if (source) source->trigger();
        d.ChooseSource(Db().FindField(fidTimeS)); // refused
        d.FactorEdit()->setText("2");
        EXPECT_FALSE(d.TryAccept());
        EXPECT_EQ(dialogs.Boxes.back(), "Empty Offset");
        d.OffsetEdit()->setText("1");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    w.AddField();
    ASSERT_EQ(w.List()->topLevelItemCount(), 1);
    EXPECT_EQ(w.List()->topLevelItem(0)->text(0), "Pressure");
    EXPECT_EQ(w.List()->topLevelItem(0)->text(1).toStdString(), input->FieldName());
    EXPECT_EQ(w.List()->topLevelItem(0)->text(2), "2");
    EXPECT_EQ(w.List()->topLevelItem(0)->text(3), "1");
    const TAEField* added = Db().OwnFields().Get(0);
    EXPECT_EQ(Db().ParametricOf(*added)->SourceID(), input->ID());
    const std::string id = added->ID();

    // Editing: the name is read-only and stays; so does the ID.
    dialogs.On<TFParametricField>([&](TFParametricField& d) {
        EXPECT_EQ(d.windowTitle(), "Edit Field");
        EXPECT_TRUE(d.NameEdit()->isReadOnly());
        EXPECT_EQ(d.SourceText()->text().toStdString(), input->FieldName());
        d.DisplayNameEdit()->setText("Load");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    w.EditField();
    EXPECT_EQ(w.List()->topLevelItem(0)->text(0), "Load");
    EXPECT_EQ(Db().OwnFields().Get(0)->ID(), id);
    EXPECT_EQ(Db().OwnFields().Get(0)->FieldName(), "Pressure");
}

TEST_F(TCondFixture, AFieldShownByATableIsNotDeletedAndInfoTellsTheUses) {
    TParametricFields fields(Db());
    TParametricFieldEdit e;
    e.FieldName = e.DisplayName = "Pressure";
    e.SourceID = ParametricInput()->ID();
    e.FactorText = "1";
    e.OffsetText = "0";
    TAEField* f = fields.Add(e);
    ASSERT_NE(f, nullptr);
    auto* table = Db().AddNew<TGVCPUTbl>();
    table->SetName("TB1");
    table->Data().AddColumn(*table->FindField(f->ID()));
    TFParametric w(Db(), settings.get());
    w.List()->setCurrentItem(w.List()->topLevelItem(0));
    w.DeleteField();
    EXPECT_EQ(dialogs.Boxes.back(), "Field Used\rField: Pressure[TB1]");
    EXPECT_EQ(w.List()->topLevelItemCount(), 1);
    w.Info();
    EXPECT_EQ(dialogs.Boxes.back(), "Field Used\rField: Pressure[TB1]");
    table->Data().Columns().Clear();
    w.Info();
    EXPECT_EQ(dialogs.Boxes.back(), "Field Not Used");
    w.DeleteField();
    EXPECT_EQ(w.List()->topLevelItemCount(), 0);
    EXPECT_FALSE(w.Tool("tbDeleteField")->isEnabled());
}

TEST_F(TCondFixture, TheSectionDialogRefusesTakenNamesAndEmptyRanges) {
    TTestSectionList& sections = Db().TestSections();
    sections.Add(std::make_unique<TTestSection>("Hold", 100, 200));
    TSectionDialog d(sections, -1);
    EXPECT_EQ(d.windowTitle(), "Add Section");
    d.NameEdit()->setText("Hold");
    d.MinEdit()->setText("300");
    d.MaxEdit()->setText("400");
    EXPECT_FALSE(d.TryAccept());
    EXPECT_EQ(dialogs.Boxes.back(), "Name Exists");
    d.NameEdit()->setText("Hold 2");
    d.MaxEdit()->setText("300");
    EXPECT_FALSE(d.TryAccept());
    EXPECT_EQ(dialogs.Boxes.back(), "Invalid Min( Max ) Value");
    d.show();
    d.MaxEdit()->clear();
    QTest::keyClicks(d.MaxEdit(), "4-0,0");
    EXPECT_EQ(d.MaxEdit()->text(), "4-0,0");
    EXPECT_FALSE(d.TryAccept());
    EXPECT_EQ(dialogs.Boxes.back(), "'4-0,0' is not a valid integer value");
    d.MaxEdit()->setText("400");
    ASSERT_TRUE(d.TryAccept());
    TTestSection s;
    d.StoreInto(s);
    EXPECT_EQ(s.Text(), "Hold 2");
    EXPECT_EQ(s.MinVal(), 300);
    EXPECT_EQ(s.MaxVal(), 400);
}

TEST_F(TCondFixture, TheSectionSelectionMarksByDoubleClick) {
    TTestSectionList& sections = Db().TestSections();
    for (int i = 0; i < 3; ++i) {
        auto s = std::make_unique<TTestSection>("S" + std::to_string(i), i * 10, i * 10 + 5);
        s->SetID("000000000000090" + std::to_string(i));
        sections.Add(std::move(s));
    }
    TFSelSection w(sections, {"0000000000000902"}, settings.get());
    w.show();
    EXPECT_EQ(w.List()->topLevelItem(2)->checkState(0), Qt::Checked);
    w.Toggle(0);
    EXPECT_EQ(w.List()->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(w.CheckedIDs(), (std::vector<std::string>{"0000000000000900", "0000000000000902"}));
    w.Toggle(2);
    EXPECT_EQ(w.CheckedIDs(), (std::vector<std::string>{"0000000000000900"}));
}

TEST_F(TCondFixture, ThePointDialogAsksForTwoPointsOfANewLineAndChecksThem) {
    TPointDialog d(2, TSecondsRange{0, 600}, 0, 100);
    d.show();
    QTest::keyClicks(d.TimeEdit(0), "50");
    QTest::keyClicks(d.LoadEdit(0), "2.5");
    EXPECT_EQ(d.LoadEdit(0)->text(), "2,5");
    d.TimeEdit(1)->setText("900");
    d.LoadEdit(1)->setText("10");
    EXPECT_FALSE(d.TryAccept());
    EXPECT_EQ(dialogs.Boxes.back(), "Invalid Value 900[S]");
    d.TimeEdit(1)->setText("100");
    ASSERT_TRUE(d.TryAccept());
    ASSERT_EQ(d.Points().size(), 2u);
    EXPECT_EQ(d.Points()[0], (TGVCoord{50, 2.5L}));
    TPointDialog unconverted(1, std::nullopt, 0, 100);
    unconverted.TimeEdit(0)->setText("1");
    unconverted.LoadEdit(0)->setText("1");
    EXPECT_FALSE(unconverted.TryAccept());
    EXPECT_EQ(dialogs.Boxes.back(), "Invalid Value [S]");
}
