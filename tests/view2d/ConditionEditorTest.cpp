// The condition editor and the condition dialog on the search condition of a table.

#include "processing/FilterStreamSupport.h"

#include "model/TAEFieldIDs.h"
#include "persist/TGVVariants.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

struct TEditorFixture : ::testing::Test {
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = nullptr;
    TGVCPUTbl* table = nullptr;
    std::unique_ptr<TLCEditor> editor;
    TScriptedDialogs dialogs;
    int changes = 0;

    void SetUp() override {
        RegisterFilterClasses();
        RegisterView2dClasses();
        source = MakeStream(holder);
        table = source->AddNew<TGVCPUTbl>();
        table->SetName("TB1");
        editor = std::make_unique<TLCEditor>();
        editor->SetTree(&table->Data().SeekCondition(), table);
        editor->OnChanged = [this] { ++changes; };
    }
    void TearDown() override { editor.reset(); }
    TLCBase& Root() { return table->Data().SeekCondition(); }
    std::string Memo() const { return editor->Memo()->toPlainText().toStdString(); }
    static void ChooseOperation(TLCDialog& d, uint8_t op) {
        d.OperationBox()->setCurrentIndex(d.OperationBox()->findData(op));
    }
};

QStringList Texts(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

} // namespace

TEST_F(TEditorFixture, AddMenuAndTheEnablingOfTheCommands) {
    EXPECT_EQ(Texts(editor->AddMenu()),
              QStringList({"Logical Condition", "-", "Group ( AND )", "Group ( OR )",
                           "Group NOT ( AND )", "Group NOT ( OR )"}));
    EXPECT_EQ(editor->CurrentNode(), &Root());
    EXPECT_TRUE(editor->AddButton()->isEnabled());
    EXPECT_TRUE(editor->EditButton()->isEnabled());
    EXPECT_FALSE(editor->DeleteButton()->isEnabled()); // the root stays
    EXPECT_EQ(Memo(), "( )");
    editor->AddGroup(lcOr);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Memo(), "( ( ) )");
    ASSERT_EQ(Root().Count(), 1);
    EXPECT_EQ(editor->CurrentNode(), Root().Items(0));
    EXPECT_TRUE(editor->DeleteButton()->isEnabled());
    EXPECT_EQ(editor->Tree()->topLevelItem(0)->child(0)->text(0).toStdString(),
              "( OR ) Empty Logical Conditions List");
    // A condition takes no children.
    Root().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "3"));
    editor->Refresh();
    editor->SelectNode(Root().Items(1));
    EXPECT_FALSE(editor->AddButton()->isEnabled());
    EXPECT_TRUE(editor->DeleteButton()->isEnabled());
}

TEST_F(TEditorFixture, EditMenuOfABlockMarksItsOperationAndChangesIt) {
    editor->AddGroup(lcAnd);
    EXPECT_EQ(Texts(editor->EditMenu()), QStringList({"Group ( AND )", "Group ( OR )",
                                                      "Group NOT ( AND )", "Group NOT ( OR )"}));
    EXPECT_TRUE(editor->EditMenu()->actions()[0]->isChecked());
    EXPECT_FALSE(editor->EditMenu()->actions()[3]->isChecked());
    editor->EditMenu()->actions()[3]->trigger();
    EXPECT_EQ(static_cast<TLCBlock*>(Root().Items(0))->Operation(), lcNotOr);
    EXPECT_TRUE(editor->EditMenu()->actions()[3]->isChecked());
    EXPECT_EQ(Memo(), "( NOT ( ) )");
    editor->DeleteCurrent();
    EXPECT_EQ(Root().Count(), 0);
    EXPECT_EQ(Memo(), "( )");
    EXPECT_EQ(editor->CurrentNode(), &Root());
}

TEST_F(TEditorFixture, AddingAConditionThroughTheDialog) {
    dialogs.On<TLCDialog>([](TLCDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Input Logical Condition");
        EXPECT_FALSE(d.OkButton()->isEnabled());
        EXPECT_FALSE(d.FieldMenu()->actions().isEmpty());
        d.SelectField(d.Field() ? d.Field() : nullptr);
        return 0;
    });
    editor->AddCondition();
    EXPECT_EQ(Root().Count(), 0); // cancelled
    dialogs.On<TLCDialog>([this](TLCDialog& d) {
        d.SelectField(table->FindField(fidAmpl));
        EXPECT_TRUE(d.OkButton()->isEnabled());
        EXPECT_EQ(d.OperationBox()->count(), 6);
        ChooseOperation(d, coGreater);
        QTest::keyClicks(d.ValueEdit(), "8x0");
        EXPECT_EQ(d.ValueEdit()->text(), "8x0"); // kept as typed, and refused
        EXPECT_FALSE(d.TryAccept());
        d.ValueEdit()->setText("80");
        return d.TryAccept() ? 1 : 0;
    });
    editor->AddCondition();
    ASSERT_EQ(Root().Count(), 1);
    auto* c = dynamic_cast<TLCCondition*>(Root().Items(0));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->FieldID(), fidAmpl);
    EXPECT_EQ(c->Operation(), coGreater);
    EXPECT_EQ(c->Value(), "80");
    EXPECT_EQ(Memo(), "( " + c->GetCaption() + " )");
    EXPECT_NE(c->GetCaption().find("> 80"), std::string::npos);
    // Editing it: the dialog comes prefilled.
    dialogs.On<TLCDialog>([this](TLCDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Edit Logical Condition");
        EXPECT_EQ(d.Field(), table->FindField(fidAmpl));
        EXPECT_EQ(d.ValueEdit()->text(), "80");
        EXPECT_EQ(d.OperationBox()->currentData().toInt(), coGreater);
        d.ValueEdit()->setText("90,5");
        ChooseOperation(d, coLessOrEquals);
        return d.TryAccept() ? 1 : 0;
    });
    editor->SelectNode(c);
    editor->EditCurrent();
    EXPECT_EQ(c->Value(), "90,5");
    EXPECT_EQ(c->Operation(), coLessOrEquals);
    EXPECT_NE(Memo().find("<= 90,5"), std::string::npos);
}

TEST_F(TEditorFixture, ARejectedValueKeepsTheDialogOpenWithTheFieldsMessage) {
    bool accepted = true;
    dialogs.On<TLCDialog>([&, this](TLCDialog& d) {
        d.SelectField(table->FindField(fidAmpl));
        d.ValueEdit()->setText("1,2,3");
        accepted = d.TryAccept();
        EXPECT_FALSE(d.isHidden() && accepted);
        return 0;
    });
    editor->AddCondition();
    EXPECT_FALSE(accepted);
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0], "'1,2,3' is not a valid floating point value");
    EXPECT_EQ(Root().Count(), 0);
    // Integer fields report through their own parser.
    dialogs.On<TLCDialog>([&, this](TLCDialog& d) {
        d.SelectField(table->FindField(fidChan));
        d.ValueEdit()->setText("");
        accepted = d.TryAccept();
        return 0;
    });
    editor->AddCondition();
    EXPECT_FALSE(accepted);
    ASSERT_EQ(dialogs.Boxes.size(), 2u);
    EXPECT_EQ(dialogs.Boxes[1], "'' is not a valid integer value");
}

TEST(ConditionDialog, BooleanFieldsAndVariantsOfAFittingKind) {
    TAEFields set;
    set.Add(NewStandardField(fidDeleted, dtBoolean));
    set.Add(NewStandardField(fidAmpl, dtExtended));
    TAEListFields layout;
    layout.Add(&set);
    TGVVariants variants;
    auto f = std::make_unique<TGVFloatVariant>();
    f->SetID("V1");
    f->SetDisplayName("Limit");
    variants.Add(std::move(f));
    auto s = std::make_unique<TGVStringVariant>();
    s->SetID("V2");
    s->SetDisplayName("Name");
    variants.Add(std::move(s));
    TLCDialog d(layout, &variants, false);
    d.SelectField(layout.FindByID(fidDeleted));
    EXPECT_EQ(d.OperationBox()->count(), 2);
    EXPECT_EQ(d.OperationBox()->itemText(0), "=");
    EXPECT_EQ(d.OperationBox()->itemText(1), "<>");
    EXPECT_TRUE(d.ValueEdit()->isReadOnly());
    EXPECT_EQ(d.ValueEdit()->text(), "True");
    EXPECT_EQ(d.VariantBox()->count(), 1); // only the empty entry
    d.SelectField(layout.FindByID(fidAmpl));
    ASSERT_EQ(d.VariantBox()->count(), 2);
    EXPECT_EQ(d.VariantBox()->itemText(0), "");
    EXPECT_EQ(d.VariantBox()->itemText(1), "Limit");
    d.ValueEdit()->setText("12");
    d.VariantBox()->setCurrentIndex(1);
    EXPECT_FALSE(d.ValueEdit()->isEnabled());
    EXPECT_TRUE(d.ValueEdit()->text().isEmpty());
    ASSERT_TRUE(d.TryAccept());
    EXPECT_EQ(d.VariantID(), "V1");
    EXPECT_EQ(d.Value(), "");
}

TEST_F(TEditorFixture, DropsThatTheRulesRefuse) {
    editor->AddGroup(lcAnd);
    auto* outer = Root().Items(0);
    editor->SelectNode(outer);
    editor->AddGroup(lcOr);
    auto* inner = outer->Items(0);
    Root().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "3"));
    auto* leaf = Root().Items(1);
    editor->Refresh();
    EXPECT_FALSE(editor->DropNode(outer, inner));   // onto its own descendant
    EXPECT_FALSE(editor->DropNode(inner, leaf));    // onto a condition
    EXPECT_FALSE(editor->DropNode(&Root(), outer)); // the root stays
    const int before = changes;
    EXPECT_TRUE(editor->DropNode(leaf, inner));
    EXPECT_EQ(changes, before + 1);
    EXPECT_EQ(inner->Count(), 1);
    EXPECT_EQ(Memo(), "( ( ( " + leaf->GetCaption() + " ) ) )");
}
