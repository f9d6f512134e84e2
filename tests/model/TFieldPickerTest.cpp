#include "model/TFieldPicker.h"
#include "model/IFieldSetOwner.h"
#include "model/TAEBooleanField.h"
#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "model/TAEStringField.h"

#include <gtest/gtest.h>

using namespace vorelt;

namespace {

class TOwner : public IFieldSetOwner {
public:
    TOwner(std::string cls, std::string name) : FClass(std::move(cls)), FName(std::move(name)) {}
    std::string ClassName() const override { return FClass; }
    std::string Name() const override { return FName; }

private:
    std::string FClass, FName;
};

std::unique_ptr<TAEField> Field(uint8_t type, const std::string& name, const std::string& id,
                                uint16_t flags = 0) {
    auto f = NewFieldOfType(type);
    f->SetFieldName(name);
    f->SetDisplayName(name + " long");
    f->SetID(id);
    f->SetFlags(flags);
    return f;
}

class FieldPicker : public ::testing::Test {
protected:
    FieldPicker()
        : driver("TAEVallen", "Vallen"), f1("TGVCPUFltr", "Filter A"), f2("TGVCPUFltr", "Filter B"),
          db(&driver), flt1(&f1), flt2(&f2) {
        db.SetName(fsnDatabase);
        db.SetKind(fgDatabase);
        db.Add(NewStandardField(fidTimeS, dtExtended));
        db.Add(NewStandardField(fidTime, dtExtended)); // hidden
        db.Add(NewStandardField(fidChan, dtByte));
        db.Add(NewStandardField(fidIndexRec, dtInteger)); // hidden
        db.Add(NewStandardField(fidHHMMSS, dtString));
        db.Add(NewStandardField(fidTimeHH, dtExtended));
        db.Add(NewStandardField(fidDeleted, dtBoolean));
        flt1.SetName("Filter Fields");
        flt1.Add(Field(dtInteger, "X", "1111111111111111"));
        flt2.SetName("Filter Fields");
        flt2.Add(Field(dtString, "Y", "2222222222222222"));
        layout.Add(&db);
        layout.Add(&flt1);
        layout.Add(&flt2);
    }

    const TFieldPickerItem* FindField(const std::vector<TFieldPickerItem>& items,
                                      const std::string& id) {
        for (const auto& item : items) {
            if (item.Field && item.Field->ID() == id) return &item;
            if (const TFieldPickerItem* found = FindField(item.Items, id)) return found;
        }
        return nullptr;
    }

    TOwner driver, f1, f2;
    TAEFields db, flt1, flt2;
    TAEListFields layout;
};

} // namespace

TEST_F(FieldPicker, StructureCaptionsAndNames) {
    auto menu = BuildFieldPickerMenu(layout, fpmAny, {}, {});
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].Caption, fsnDatabase);
    EXPECT_EQ(menu[0].ComponentName, "ppflds_0");
    EXPECT_TRUE(menu[0].Enabled);
    ASSERT_EQ(menu[0].Items.size(), 5u); // the µs time and IndexRec are hidden
    EXPECT_EQ(menu[0].Items[0].Caption, "TimeS\tTime of Hit[S]");
    EXPECT_EQ(menu[0].Items[0].ComponentName, "ppf_1");
    EXPECT_EQ(menu[0].Items[0].Field, db.Get(0));
    EXPECT_EQ(menu[0].Items[2].Field, db.Get(4));
    EXPECT_EQ(FindField(menu, fidTime), nullptr);
    EXPECT_EQ(menu[0].Items[4].Caption, "Deleted\tDeleted Rec"); // no dimension, no brackets

    // Two filters of one branch: one entry with one sub-entry per filter.
    const TFieldPickerItem& shared = menu[1];
    EXPECT_EQ(shared.Caption, "Filter Fields");
    EXPECT_EQ(shared.ComponentName, "ppflds_1");
    ASSERT_EQ(shared.Items.size(), 2u);
    EXPECT_EQ(shared.Items[0].Caption, "Filter A");
    EXPECT_EQ(shared.Items[0].ComponentName, "ppfldsN_1");
    EXPECT_EQ(shared.Items[1].Caption, "Filter B");
    EXPECT_EQ(shared.Items[1].ComponentName, "ppfldsN_2");
    ASSERT_EQ(shared.Items[0].Items.size(), 1u);
    EXPECT_EQ(shared.Items[0].Items[0].Field, flt1.Get(0));
    EXPECT_EQ(shared.Items[0].Items[0].ComponentName, "ppf_6");
    EXPECT_EQ(shared.Items[1].Items[0].Field, flt2.Get(0));
    EXPECT_EQ(shared.Items[1].Items[0].ComponentName, "ppf_7");
}

TEST_F(FieldPicker, AllFieldsModeSwapsTheTwoListFlags) {
    auto all = BuildFieldPickerMenu(layout, fpmAllFields, {}, {});
    EXPECT_TRUE(FindField(all, fidHHMMSS)->Enabled);  // 0x0020
    EXPECT_FALSE(FindField(all, fidTimeHH)->Enabled); // 0x0040
    auto any = BuildFieldPickerMenu(layout, fpmAny, {}, {});
    EXPECT_FALSE(FindField(any, fidHHMMSS)->Enabled);
    EXPECT_TRUE(FindField(any, fidTimeHH)->Enabled);
}

TEST_F(FieldPicker, TypeChannelAndTimeModes) {
    auto numeric = BuildFieldPickerMenu(layout, fpmNumeric, {}, {});
    EXPECT_TRUE(FindField(numeric, fidTimeS)->Enabled);
    EXPECT_TRUE(FindField(numeric, fidChan)->Enabled);
    EXPECT_FALSE(FindField(numeric, fidDeleted)->Enabled);
    EXPECT_FALSE(FindField(numeric, "2222222222222222")->Enabled);
    // A disabled item still counts as held: its entry is enabled.
    EXPECT_TRUE(numeric[1].Items[1].Enabled);

    auto condition = BuildFieldPickerMenu(layout, fpmCondition, {}, {});
    EXPECT_TRUE(FindField(condition, fidDeleted)->Enabled);
    EXPECT_TRUE(FindField(condition, "2222222222222222")->Enabled);
    EXPECT_FALSE(FindField(condition, fidHHMMSS)->Enabled); // string, but list-all only

    auto channel = BuildFieldPickerMenu(layout, fpmChannel, {}, {});
    EXPECT_TRUE(FindField(channel, fidChan)->Enabled);
    EXPECT_FALSE(FindField(channel, fidTimeS)->Enabled);

    auto time = BuildFieldPickerMenu(layout, fpmTime, {}, {});
    EXPECT_TRUE(FindField(time, fidTimeS)->Enabled);
    EXPECT_TRUE(FindField(time, fidTimeHH)->Enabled);
    EXPECT_FALSE(FindField(time, fidChan)->Enabled);
}

TEST_F(FieldPicker, ExcludedAndChecked) {
    auto menu = BuildFieldPickerMenu(layout, fpmAny, {fidTimeS}, {fidChan, "2222222222222222"});
    EXPECT_FALSE(FindField(menu, fidTimeS)->Enabled);
    EXPECT_FALSE(FindField(menu, fidTimeS)->Checked);
    EXPECT_TRUE(FindField(menu, fidChan)->Checked);
    EXPECT_TRUE(FindField(menu, "2222222222222222")->Checked);
    EXPECT_FALSE(FindField(menu, "1111111111111111")->Checked);
}

TEST_F(FieldPicker, SetWithOnlyHiddenFieldsStaysDisabled) {
    TOwner loc("TGVCPULoc", "Location");
    TAEFields hidden(&loc);
    hidden.SetName(fsnLocation);
    hidden.SetKind(fgLocation);
    hidden.Add(NewStandardField(fidIdxFirstHit, dtInteger));
    TAEListFields l;
    l.Add(&hidden);
    auto menu = BuildFieldPickerMenu(l, fpmAny, {}, {});
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_FALSE(menu[0].Enabled);
    EXPECT_TRUE(menu[0].Items.empty());
}

TEST_F(FieldPicker, SameOwnerClassWithOtherKindIsNotGrouped) {
    TAEFields setup(&driver);
    setup.SetName(fsnSetup);
    setup.SetKind(fgSetup);
    setup.Add(NewStandardField(fidChannels, dtListInteger)); // hidden
    setup.Add(NewStandardField(fidGain, dtWord));
    TAEListFields l;
    l.Add(&db);
    l.Add(&setup);
    auto menu = BuildFieldPickerMenu(l, fpmAny, {}, {});
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[1].ComponentName, "ppflds_1");
    ASSERT_EQ(menu[1].Items.size(), 1u);
    EXPECT_EQ(menu[1].Items[0].ComponentName, "ppf_6");
}
