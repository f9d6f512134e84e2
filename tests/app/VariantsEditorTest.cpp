// The variants editor offscreen: adding with the dialog's checks and key filters, the uses of a
// variant, deleting refused while a filter uses it, and a filter over a data file that follows
// the variant's value.

#include "app/TFVariants.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/IRecordSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TGVVariant.h"
#include "persist/TGVVariants.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/TScriptedDialogs.h"
#include "viewmodel/dialogs/project/TVariantsRules.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

struct TVariantsFixture : ::testing::Test {
    TProjectAE project;
    TScriptedDialogs dialogs;
    void SetUp() override { RegisterCoreClasses(); }
};

TEST_F(TVariantsFixture, FloatWithCommaIsAddedAndEmptyNameRefused) {
    TFVariants editor(project, nullptr);
    EXPECT_EQ(editor.windowTitle().toStdString(), "Variants Editor");
    ASSERT_EQ(editor.AddMenu()->actions().size(), 4);
    EXPECT_EQ(editor.AddMenu()->actions()[1]->text().toStdString(), "Add Float Variant");
    EXPECT_FALSE(editor.Button("btEditVariant")->isEnabled());
    std::string name;
    dialogs.On<TVariantDialog>([&](TVariantDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Add Float Variant");
        d.ValueEdit()->clear();
        QTest::keyClicks(d.ValueEdit(), "1.5");
        EXPECT_EQ(d.ValueEdit()->text().toStdString(), "1,5");
        QTest::keyClicks(d.NameEdit(), name.c_str());
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    name = "  ";
    editor.AddVariant(TGVVariant::vkFloat);
    EXPECT_EQ(dialogs.Boxes.back(), "Empty Name");
    EXPECT_EQ(project.Variants().Count(), 0);
    EXPECT_FALSE(project.Modified());
    name = "Lim it";
    editor.AddVariant(TGVVariant::vkFloat);
    ASSERT_EQ(project.Variants().Count(), 1);
    TGVVariant* v = project.Variants().Get(0);
    EXPECT_EQ(v->GetDisplayName(), "Limit"); // the space was not typed
    EXPECT_EQ(v->GetAsFloat(), 1.5L);
    EXPECT_EQ(v->ID().size(), 16u);
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(editor.List()->topLevelItem(0)->text(2).toStdString(), "1,5");
    EXPECT_TRUE(editor.Button("btEditVariant")->isEnabled());
}

TEST_F(TVariantsFixture, IntegerValueIsCheckedAndARefusalChangesNothing) {
    auto v = std::make_unique<TGVIntegerVariant>();
    v->SetAsInt64(7);
    v->SetDisplayName("N");
    const std::string error = ApplyVariantInput(*v, "M", "12x");
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(v->GetAsInt64(), 7);
    EXPECT_EQ(v->GetDisplayName(), "N");
    EXPECT_EQ(ApplyVariantInput(*v, " M ", " -3 "), "");
    EXPECT_EQ(v->GetDisplayName(), "M");
    EXPECT_EQ(v->GetAsInt64(), -3);
}

TEST_F(TVariantsFixture, AVariantAFilterUsesCannotBeDeleted) {
    auto limit = std::make_unique<TGVFloatVariant>();
    limit->SetDisplayName("Limit");
    limit->SetAsString("1,5");
    const int index = AddVariant(project, std::move(limit));
    const std::string id = project.Variants().Get(index)->ID();
    auto* filter = project.Db().AddNew<TGVCPUFltr>();
    filter->SetName("FR01");
    auto condition = std::make_unique<TLCCondition>();
    condition->SetFieldID("0000000000000009");
    condition->SetOperation(6);
    condition->SetVariantID(id);
    filter->Condition().Add(std::move(condition));

    TFVariants editor(project, nullptr);
    editor.List()->setCurrentItem(editor.List()->topLevelItem(0));
    editor.Info();
    EXPECT_EQ(dialogs.Boxes.back(), "Variant Used\rVariant: Limit[FR01]");
    editor.DeleteVariant();
    EXPECT_EQ(dialogs.Boxes.back(), "Variant Used\rVariant: Limit[FR01]");
    EXPECT_EQ(project.Variants().Count(), 1);
    // Editing keeps the name and changes the value.
    dialogs.On<TVariantDialog>([&](TVariantDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Edit Float Variant");
        EXPECT_TRUE(d.NameEdit()->isReadOnly());
        d.ValueEdit()->setText("2,25");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    editor.EditVariant();
    EXPECT_EQ(project.Variants().Get(0)->GetAsFloat(), 2.25L);
    // Without the use it goes.
    filter->Condition().Clear();
    editor.Info();
    EXPECT_EQ(dialogs.Boxes.back(), "Variant Not Used");
    editor.DeleteVariant();
    EXPECT_EQ(project.Variants().Count(), 0);
}

// The hits the source serves and, of them, those whose time in seconds lies below `limit`.
std::pair<int, int> CountHits(TGVCPU& source, long double limit) {
    TAERecord record;
    source.PrepareRecord(record);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    int all = 0, below = 0;
    std::string error;
    EXPECT_TRUE(ConsumeRecords(
        source, nav, record,
        [&](TAERecord& r, int32_t) {
            ++all;
            const TAEField* t = r.FindByID(fidTimeS);
            if (t && !t->IsNull() && t->GetAsFloat() < limit) ++below;
            return true;
        },
        error))
        << error;
    return {all, below};
}

TEST_F(TVariantsFixture, AFloatVariantTypedInTheEditorDrivesAFilterThatKeepsItFromDeletion) {
    TTempDir dir;
    TGenerateOptions o;
    o.Format = "pci";
    o.FileName = dir.File("d.pci");
    o.Hits = 40;
    o.Channels = 2;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    ASSERT_TRUE(project.OpenDataFile(o.FileName, error)) << error;
    TFVariants editor(project, nullptr);
    dialogs.On<TVariantDialog>([](TVariantDialog& d) {
        d.ValueEdit()->clear();
        QTest::keyClicks(d.ValueEdit(), "1,5");
        QTest::keyClicks(d.NameEdit(), "Limit");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    editor.AddVariant(TGVVariant::vkFloat);
    ASSERT_EQ(project.Variants().Count(), 1);
    const std::string id = project.Variants().Get(0)->ID();

    // A filter keeps the hits of the first second and a half.
    auto* filter = project.Db().AddNew<TGVCPUFltr>();
    filter->AssignIDs(false, *project.IDGenerator());
    project.Db().NameProcessors();
    filter->Condition().Add(std::make_unique<TLCCondition>(fidTimeS, coLess, "", id));
    filter->SetEnabledFilter(true);
    const auto [hits, early] = CountHits(project.Db(), 1.5L);
    ASSERT_GT(early, 0);
    ASSERT_LT(early, hits); // the generated file pauses half-way
    EXPECT_EQ(CountHits(*filter, 1e9L).first, early);

    editor.List()->setCurrentItem(editor.List()->topLevelItem(0));
    editor.DeleteVariant();
    EXPECT_EQ(dialogs.Boxes.back(), "Variant Used\rVariant: Limit[" + filter->Name() + "]");
    EXPECT_EQ(project.Variants().Count(), 1);

    // A new value reaches the filter at its next cursor call.
    dialogs.On<TVariantDialog>([](TVariantDialog& d) {
        d.ValueEdit()->clear();
        QTest::keyClicks(d.ValueEdit(), "25,5");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    editor.EditVariant();
    EXPECT_EQ(project.Variants().Get(0)->GetAsFloat(), 25.5L);
    const int later = CountHits(project.Db(), 25.5L).second;
    EXPECT_GT(later, early);
    EXPECT_EQ(CountHits(*filter, 1e9L).first, later);
}

} // namespace
