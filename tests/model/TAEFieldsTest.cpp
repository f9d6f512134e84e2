#include "model/TAEFields.h"
#include "model/IFieldSetOwner.h"
#include "model/RegisterModelClasses.h"
#include "model/TAEBooleanField.h"
#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "model/TAEStringField.h"
#include "persist/TNodePersist.h"

#include <gtest/gtest.h>

using namespace vorelt;

namespace {

std::unique_ptr<TAEField> UserField(const std::string& name, const std::string& id) {
    auto f = std::make_unique<TAEExtendedField>();
    f->SetFieldName(name);
    f->SetID(id);
    return f;
}

std::unique_ptr<TAEFields> SetOf(int count, const std::string& prefix) {
    auto set = std::make_unique<TAEFields>();
    for (int i = 0; i < count; ++i)
        set->Add(UserField(prefix + std::to_string(i),
                           std::string(14, prefix[0] == 'A' ? '1' : '2') + std::to_string(10 + i)));
    return set;
}

// Declared the way a driver does: create, add, clear values, lock.
std::unique_ptr<TAEFields> DriverTemplate() {
    auto set = std::make_unique<TAEFields>();
    set->SetName(fsnDatabase);
    set->SetKind(fgDatabase);
    set->Add(NewStandardField(fidTime, dtExtended));
    set->Add(NewStandardField(fidChan, dtByte));
    set->Add(NewStandardField(fidAmpl, dtExtended));
    set->ClearValues();
    set->SetLocked(true);
    return set;
}

} // namespace

TEST(FieldSet, NameLookupIsTrimmedCaseInsensitiveButNameFreeIsExact) {
    TAEFields set;
    TAEField* ampl = set.Add(UserField("Ampl", "1111111111111111"));
    EXPECT_EQ(ampl->Owner(), &set);
    EXPECT_EQ(set.IndexOfName("  ampl "), 0);
    EXPECT_EQ(set.FindByName("AMPL"), ampl);
    EXPECT_TRUE(set.IsNameFree("ampl"));
    EXPECT_FALSE(set.IsNameFree("Ampl"));
    EXPECT_EQ(set.IndexOfName("Rise"), -1);
    EXPECT_EQ(set.FindByID("1111111111111111"), ampl);
    EXPECT_EQ(set.FindByID(""), nullptr);
    EXPECT_FALSE(set.IsIDFree("1111111111111111"));
    EXPECT_TRUE(set.IsIDFree(""));
}

TEST(FieldSet, CloneKeepsOrderOwnerAndMode) {
    auto tmpl = DriverTemplate();
    auto copy = tmpl->Clone(cmWorking);
    ASSERT_EQ(copy->Count(), 3);
    EXPECT_EQ(copy->Name(), fsnDatabase);
    EXPECT_EQ(copy->Kind(), fgDatabase);
    EXPECT_EQ(copy->Get(1)->ID(), fidChan);
    EXPECT_EQ(copy->Get(1)->Owner(), copy.get());
    EXPECT_FALSE(copy->Get(1)->Locked());
    auto frozen = tmpl->Clone(cmLocked);
    EXPECT_EQ(frozen->Get(0)->Owner(), frozen.get()); // owner follows even a locked field
    EXPECT_TRUE(frozen->Get(0)->Locked());
}

TEST(FieldSet, DeleteExchangeExtract) {
    auto set = SetOf(3, "F");
    set->Exchange(0, 2);
    EXPECT_EQ(set->Get(0)->FieldName(), "F2");
    set->Delete(1);
    EXPECT_EQ(set->Count(), 2);
    auto taken = set->Extract(0);
    EXPECT_EQ(taken->FieldName(), "F2");
    EXPECT_EQ(taken->Owner(), nullptr);
    EXPECT_EQ(set->Get(5), nullptr);
    set->Delete(7); // outside: nothing happens
    EXPECT_EQ(set->Count(), 1);
}

class FieldSetPersist : public ::testing::Test {
protected:
    void SetUp() override { RegisterModelClasses(); }
};

TEST_F(FieldSetPersist, SavesOnlyUserFields) {
    TAEFields set;
    set.Add(NewStandardField(fidAmpl, dtExtended));
    set.Add(UserField("Calc", "1234123412341234"));
    TNodePersist node("FIELDS");
    set.SaveToNode(node);
    ASSERT_EQ(node.NodeCount(), 1);
    EXPECT_EQ(node.Node(0)->Name(), "FIELD");
    EXPECT_EQ(node.Node(0)->GetValue("FieldName"), "Calc");
}

TEST_F(FieldSetPersist, LoadUpdatesByNameAndAddsNewOnes) {
    TAEFields set;
    TAEField* ampl = set.Add(NewStandardField(fidAmpl, dtExtended));
    TNodePersist node("FIELDS");
    TNodePersist* a = node.AddNode("FIELD");
    a->AddItem("ClassName", "TAEExtendedField");
    a->AddItem("FieldName", " ampl ");
    a->AddItem("DisplayName", "Peak");
    TNodePersist* b = node.AddNode("FIELD");
    b->AddItem("ClassName", "taewordfield");
    b->AddItem("FieldName", "NewOne");
    b->AddItem("ID", "7777777777777777");
    TNodePersist* unknown = node.AddNode("FIELD");
    unknown->AddItem("ClassName", "TNoSuchField");
    unknown->AddItem("FieldName", "Lost");
    TNodePersist* nameless = node.AddNode("FIELD");
    nameless->AddItem("ClassName", "TAEIntegerField");
    TNodePersist* notAField = node.AddNode("FIELD");
    notAField->AddItem("ClassName", "TAERecord");
    notAField->AddItem("FieldName", "Rec");
    node.AddNode("OTHER")->AddItem("ClassName", "TAEIntegerField");

    set.LoadFromNode(node);
    ASSERT_EQ(set.Count(), 2);
    EXPECT_EQ(ampl->GetDisplayName(), "Peak");
    EXPECT_EQ(set.Get(1)->ClassName(), "TAEWordField");
    EXPECT_EQ(set.Get(1)->ID(), "7777777777777777");
    EXPECT_EQ(set.Get(1)->Owner(), &set);
}

// Declared the way a settings object does it: fields whose values persist are created by code
// with their flags, and the file puts values and user settings back onto them.
std::unique_ptr<TAEFields> DeclaredSettings() {
    auto set = std::make_unique<TAEFields>();
    set->Add(NewStandardField(fidTime, dtExtended));
    auto limit = std::make_unique<TAEIntegerField>();
    limit->SetFieldName("Limit");
    limit->SetFlags(ffPersistValue);
    set->Add(std::move(limit));
    auto flag = std::make_unique<TAEBooleanField>();
    flag->SetFieldName("Flag");
    flag->SetFlags(ffPersistValue);
    set->Add(std::move(flag));
    return set;
}

TEST_F(FieldSetPersist, SaveLoadSaveRoundTrip) {
    auto set = DeclaredSettings();
    set->Get(1)->SetID("0000000000000000");
    set->Get(1)->SetAsInt64(-12);
    set->Get(2)->SetAsBoolean(true);
    auto calc = UserField("Calc", "1234123412341234");
    calc->SetDisplayName("Calculated");
    calc->SetDisplayDimension("MPa");
    calc->SetDisplayWidth(70);
    calc->SetDisplaySWidth(12);
    calc->SetAlignment(taCenter);
    calc->SetTag(5);
    set->Add(std::move(calc));

    TNodePersist first("FIELDS");
    set->SaveToNode(first);
    auto loaded = DeclaredSettings();
    loaded->LoadFromNode(first);
    ASSERT_EQ(loaded->Count(), 4);
    EXPECT_EQ(loaded->Get(1)->GetAsInt64(), -12);
    EXPECT_EQ(loaded->Get(1)->ID(), "0000000000000000");
    EXPECT_TRUE(loaded->Get(2)->GetAsBoolean());
    EXPECT_EQ(loaded->Get(3)->ClassName(), "TAEExtendedField");
    EXPECT_EQ(loaded->Get(3)->GetDisplaySWidth(), 12);
    EXPECT_EQ(loaded->Get(3)->Alignment(), taCenter);
    EXPECT_EQ(loaded->Get(3)->Tag(), 5);
    TNodePersist second("FIELDS");
    loaded->SaveToNode(second);
    EXPECT_TRUE(first.SameTree(second));

    // Flags are not in the file: a field created from it does not take its value back.
    TAEFields bare;
    bare.LoadFromNode(first);
    EXPECT_TRUE(bare.FindByName("Limit")->IsNull());
}

TEST(Layout, FlatPositionsAcrossSets) {
    auto a = SetOf(3, "A");
    auto b = SetOf(0, "B");
    auto c = SetOf(2, "C");
    TAEListFields layout;
    layout.Add(a.get());
    layout.Add(b.get());
    layout.Add(c.get());
    EXPECT_EQ(layout.FieldCount(), 5);
    EXPECT_EQ(layout.FieldAt(3), c->Get(0));
    EXPECT_EQ(layout.FieldAt(5), nullptr);
    EXPECT_EQ(layout.FieldAt(-1), nullptr);
    EXPECT_EQ(layout.IndexOfID(c->Get(1)->ID()), 4);
    EXPECT_EQ(layout.IndexOfID("9999999999999999"), -1);
    EXPECT_EQ(layout.FindByName("c1"), c->Get(1));
    // A layout of references frees nothing: the sets stay usable after Clear.
    layout.Clear();
    EXPECT_EQ(layout.Count(), 0);
    EXPECT_EQ(a->Count(), 3);
}

TEST(Record, BuildForLayoutMakesWritableCopiesOfLockedTemplates) {
    auto driver = DriverTemplate();
    auto math = SetOf(2, "M");
    math->SetLocked(true);
    TAEListFields layout;
    layout.Add(driver.get());
    layout.Add(math.get());

    TAERecord rec;
    rec.SetKind(rkHit);
    rec.SetIndex(7);
    rec.BuildForLayout(layout);
    EXPECT_EQ(rec.Kind(), 0);
    EXPECT_EQ(rec.Index(), -1);
    ASSERT_EQ(rec.FieldCount(), 5);
    EXPECT_EQ(rec.Field(1)->ID(), fidChan);
    EXPECT_EQ(rec.Field(3)->FieldName(), "M0");
    EXPECT_EQ(rec.Field(5), nullptr);
    EXPECT_EQ(rec.Field(-1), nullptr);
    EXPECT_NE(rec.Field(0), driver->Get(0));

    rec.Field(1)->SetAsInt64(4);
    rec.Field(3)->SetAsFloat(1.5L);
    EXPECT_EQ(rec.FindByID(fidChan)->GetAsInt64(), 4);
    EXPECT_TRUE(driver->Get(1)->IsNull()); // templates untouched
    rec.ClearValues();
    EXPECT_TRUE(rec.Field(1)->IsNull());
    EXPECT_TRUE(rec.Field(3)->IsNull());

    // Writing into a layout built without cloning is silently ignored: the templates are locked.
    layout.FieldAt(1)->SetAsInt64(4);
    EXPECT_TRUE(layout.FieldAt(1)->IsNull());

    rec.SetRecFlags(rfDeleted | rfSelected);
    rec.Clear();
    EXPECT_EQ(rec.FieldCount(), 0);
    EXPECT_EQ(rec.RecFlags(), 0);
    EXPECT_EQ(rec.Fields().Count(), 0);
}

TEST(Record, AddFieldsExtendsFlatPositions) {
    TAERecord rec;
    rec.AddFields(SetOf(2, "A"));
    rec.AddFields(SetOf(1, "B"));
    ASSERT_EQ(rec.FieldCount(), 3);
    EXPECT_EQ(rec.Field(2)->FieldName(), "B0");
    EXPECT_EQ(rec.Fields().FieldAt(2), rec.Field(2));
    rec.Fields().Get(0)->Add(UserField("A9", "2222222222222222"));
    rec.RebuildFlat();
    EXPECT_EQ(rec.Field(2)->FieldName(), "A9");
}

TEST(RecordProtocol, KindAdmitted) {
    EXPECT_TRUE(KindAdmitted(0, rkHit));
    EXPECT_TRUE(KindAdmitted(0, 200));
    uint16_t hits = KindBit(rkHit) | KindBit(rkCriterion);
    EXPECT_TRUE(KindAdmitted(hits, rkHit));
    EXPECT_TRUE(KindAdmitted(hits, rkCriterion));
    EXPECT_FALSE(KindAdmitted(hits, rkTimeMark));
    EXPECT_FALSE(KindAdmitted(0xFFFF, 16));
    EXPECT_FALSE(KindAdmitted(0xFFFF, 31));
}
