// The settings frame of a table: columns, record kinds and tabs.

#include "processing/FilterStreamSupport.h"

#include "model/TAEFieldIDs.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view2d/TfrmAeTbl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

class TCriterionStandIn : public TGVSource {
public:
    std::string ClassName() const override { return "TGVCPUCriterion"; }
};

struct TSettingsFixture : ::testing::Test {
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUTbl* table = nullptr;
    TScriptedDialogs dialogs;

    void SetUp() override {
        RegisterView2dClasses();
        TGVCPUMemorySource* source = MakeStream(holder);
        table = source->AddNew<TCriterionStandIn>()->AddNew<TGVCPUTbl>();
        table->SetName("TB1");
    }
    TGVStringProperty* Column(int i) {
        return dynamic_cast<TGVStringProperty*>(table->Data().Columns().Get(i));
    }
};

QAction* FindAction(QMenu* menu, const QString& name) {
    for (QAction* a : menu->actions()) {
        if (a->objectName() == name) return a;
        if (a->menu())
            if (QAction* hit = FindAction(a->menu(), name)) return hit;
    }
    return nullptr;
}

} // namespace

TEST_F(TSettingsFixture, AddMenuDisablesShownFieldsAndAddsColumns) {
    TfrmAeTbl frame(*table);
    frame.PrepareAddMenu();
    QMenu* menu = frame.AddColumnMenu();
    ASSERT_FALSE(menu->actions().isEmpty());
    QAction* first = FindAction(menu, "ppf_1");
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(first->isEnabled());
    first->trigger();
    EXPECT_EQ(table->Data().Columns().Count(), 1);
    EXPECT_EQ(frame.ColumnList()->count(), 1);
    frame.PrepareAddMenu();
    EXPECT_FALSE(FindAction(frame.AddColumnMenu(), "ppf_1")->isEnabled());
}

TEST_F(TSettingsFixture, ColumnDialogRestoresTheFieldsCaptionAndWidth) {
    table->Data().AddColumn(*table->FindField(fidAmpl));
    table->Data().AddTab("A");
    table->Data().AddTab("B");
    TfrmAeTbl frame(*table);
    dialogs.OnDialog = [](QDialog& d) {
        auto& c = static_cast<TColumnDialog&>(d);
        EXPECT_TRUE(d.windowTitle().startsWith("Edit Column [ "));
        c.NameEdit()->setText("Peak");
        c.WidthEdit()->clear();
        QTest::keyClicks(c.WidthEdit(), "75");
        c.AlignmentBox()->setCurrentIndex(1);
        EXPECT_NE(c.TabBox(), nullptr);
        c.TabBox()->setCurrentIndex(1);
        return 1;
    };
    frame.EditColumn(0);
    EXPECT_EQ(Column(0)->GetDisplayName(), "Peak");
    EXPECT_EQ(Column(0)->GetDisplayWidth(), 75);
    EXPECT_EQ(Column(0)->GetAlignment(), taCenter);
    EXPECT_EQ(Column(0)->GetTag(), 1);
    dialogs.OnDialog = [](QDialog& d) {
        auto& c = static_cast<TColumnDialog&>(d);
        c.NameEdit()->clear();
        c.WidthEdit()->setText("0");
        c.ClearTabButton()->click();
        return 1;
    };
    frame.EditColumn(0);
    const TAEField* f = table->FindField(fidAmpl);
    EXPECT_EQ(Column(0)->GetDisplayName(), f->GetDisplayName());
    EXPECT_EQ(Column(0)->GetDisplayWidth(), f->GetDisplayWidth());
    EXPECT_EQ(Column(0)->GetTag(), -1);
}

TEST_F(TSettingsFixture, RecordKindsAndFirstHits) {
    TfrmAeTbl frame(*table);
    EXPECT_TRUE(frame.KindBox("cbAERHit")->isChecked());
    EXPECT_TRUE(frame.FirstHitBox()->isEnabled());
    frame.KindBox("cbAERTimeMark")->click();
    EXPECT_EQ(table->Data().TypeRec(), trkHit | trkTimeMark);
    frame.KindBox("cbAERHit")->click();
    EXPECT_EQ(table->Data().TypeRec(), trkTimeMark);
    EXPECT_FALSE(frame.FirstHitBox()->isEnabled());
    frame.AllKindsBox()->click();
    EXPECT_EQ(table->Data().TypeRec(), 0);
    EXPECT_TRUE(frame.FirstHitBox()->isEnabled());
    for (const char* n : {"cbAERUnknown", "cbAERHit", "cbAERStartStop", "cbAERTimeMark",
                          "cbAERSetup", "cbAERComments"})
        EXPECT_TRUE(frame.KindBox(n)->isChecked()) << n;
    frame.FirstHitBox()->click();
    EXPECT_TRUE(table->GetFirstHitOnly());
}

TEST_F(TSettingsFixture, TabsRefuseAnEmptyNameAndRenumberOnDelete) {
    TfrmAeTbl frame(*table);
    bool refused = false;
    dialogs.OnDialog = [&](QDialog& d) {
        auto& t = static_cast<TTabNameDialog&>(d);
        EXPECT_EQ(d.windowTitle(), "Add Tabs");
        t.NameEdit()->setText("  ");
        refused = !t.TryAccept();
        t.NameEdit()->setText("Main");
        return t.TryAccept() ? 1 : 0;
    };
    frame.AddTab();
    EXPECT_TRUE(refused);
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0], "Empty Name");
    ASSERT_EQ(table->Data().Tabs().Count(), 1);
    EXPECT_EQ(table->Data().Tabs().Get(0)->Name(), "Main");
    table->Data().AddTab("Second");
    table->Data().AddColumn(*table->FindField(fidAmpl))->SetTag(1);
    frame.DeleteTab(0);
    EXPECT_EQ(Column(0)->GetTag(), 0);
    EXPECT_EQ(frame.TabList()->count(), 1);
}

TEST_F(TSettingsFixture, TitleIsStoredTrimmed) {
    TfrmAeTbl frame(*table);
    frame.TitleEdit()->setText("  Hits  ");
    frame.TitleEdited();
    auto* view = dynamic_cast<TTableVC*>(table->GetView());
    EXPECT_EQ(view->Title(), "Hits");
    EXPECT_EQ(view->GetCaption(), "Hits [TB1]");
}

TEST_F(TSettingsFixture, ColumnButtonsActOnTheCurrentRow) {
    for (const char* id : {fidAmpl, fidChan, fidTimeMS})
        table->Data().AddColumn(*table->FindField(id));
    TfrmAeTbl frame(*table);
    QStringList order;
    for (QPushButton* b : frame.ColumnList()->parentWidget()->findChildren<QPushButton*>(
             QString(), Qt::FindDirectChildrenOnly))
        order << b->objectName();
    EXPECT_EQ(order.join(",").toStdString(),
              "btnAddColumn,btnEditColumn,btnUpColumn,btnDownColumn,btnDeleteColumn");
    auto button = [&](const char* name) { return frame.findChild<QPushButton*>(name); };
    ASSERT_EQ(button("btnAddColumn")->menu(), frame.AddColumnMenu());
    frame.ColumnList()->setCurrentRow(0);
    button("btnDownColumn")->click();
    EXPECT_EQ(Column(1)->Value(), fidAmpl);
    EXPECT_EQ(frame.ColumnList()->currentRow(), 1);
    button("btnUpColumn")->click();
    EXPECT_EQ(Column(0)->Value(), fidAmpl);
    button("btnDeleteColumn")->click();
    ASSERT_EQ(table->Data().Columns().Count(), 2);
    EXPECT_EQ(Column(0)->Value(), fidChan);
}
