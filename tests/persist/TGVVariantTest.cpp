#include "persist/TGVVariant.h"
#include "persist/IIDGenerator.h"
#include "persist/RegisterPersistClasses.h"
#include "persist/TErrors.h"
#include "persist/TGVVariants.h"
#include "persist/TNodePersist.h"
#include "persist/TVariantPicker.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vorelt;

namespace {

class VariantTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterPersistClasses(); }
};

class TCountingGenerator : public IIDGenerator {
public:
    std::string NewID() override {
        ++Calls;
        return "000000000000100" + std::to_string(Calls);
    }
    int Calls = 0;
};

template <class T> std::unique_ptr<TGVVariant> Make(const char* id, const char* name) {
    auto v = std::make_unique<T>();
    v->SetID(id);
    v->SetDisplayName(name);
    return v;
}

} // namespace

TEST_F(VariantTest, NumericSettersRoundHalfToEven) {
    TGVFloatVariant f;
    f.SetAsFloat(2.75L);
    EXPECT_EQ(f.Value(), 2.75L);
    EXPECT_EQ(f.GetAsInt64(), 3);
    TGVIntegerVariant i;
    EXPECT_TRUE(i.IsNull());
    i.SetAsFloat(2.5L);
    EXPECT_FALSE(i.IsNull());
    EXPECT_EQ(i.Value(), 2);
    i.SetAsFloat(3.5L);
    EXPECT_EQ(i.Value(), 4);
    i.SetAsFloat(-3.5L);
    EXPECT_EQ(i.Value(), -4);
    i.SetAsFloat(std::numeric_limits<long double>::infinity());
    EXPECT_EQ(i.Value(), std::numeric_limits<int64_t>::max());
    i.SetAsInt64(std::numeric_limits<int64_t>::min());
    EXPECT_EQ(i.GetAsString(), "-9223372036854775808");
}

TEST_F(VariantTest, BooleansReadAsWordsButSaveAsNumbers) {
    TGVStringVariant s;
    s.SetAsBoolean(true);
    EXPECT_EQ(s.Value(), "True");
    EXPECT_TRUE(s.GetAsBoolean());
    s.SetAsBoolean(false);
    EXPECT_FALSE(s.GetAsBoolean());

    TGVBooleanVariant b;
    b.SetAsBoolean(true);
    EXPECT_EQ(b.GetAsString(), "True");
    TNodePersist node;
    b.SaveToNode(node);
    EXPECT_EQ(node.GetValue("Value"), "-1");
    TGVBooleanVariant back;
    back.LoadFromNode(node);
    EXPECT_TRUE(back.Value());
    EXPECT_FALSE(back.IsNull());
    b.SetAsString("false");
    EXPECT_FALSE(b.Value());
    EXPECT_THROW(b.SetAsString("maybe"), EConvertError);
}

TEST_F(VariantTest, StringConversionFailuresAndTheirDifferences) {
    TGVStringVariant s;
    s.SetAsString("12x");
    EXPECT_THROW(s.GetAsFloat(), EConvertError);
    EXPECT_THROW(s.GetAsInt64(), EConvertError);
    EXPECT_THROW(s.GetAsBoolean(), EConvertError);
    s.SetAsInt64(5000000000);
    EXPECT_EQ(s.GetAsInt64(), 5000000000); // 64-bit, unlike string properties
    s.SetAsFloat(0.5L);
    EXPECT_EQ(s.Value(), "0,5");

    TGVIntegerVariant i;
    i.SetAsInt64(7);
    EXPECT_THROW(i.SetAsString("seven"), EConvertError);
    EXPECT_EQ(i.Value(), 7);
    i.SetAsString("-12");
    EXPECT_EQ(i.Value(), -12);
    EXPECT_FALSE(i.GetAsBoolean());

    TGVFloatVariant f;
    f.SetAsString("not a number"); // keeps the variant as it was
    EXPECT_TRUE(f.IsNull());
    f.SetAsFloat(1.5L);
    f.SetAsString("bad");
    EXPECT_EQ(f.Value(), 1.5L);
    f.SetAsString("2.5");
    EXPECT_EQ(f.Value(), 2.5L);
    EXPECT_EQ(f.GetAsString(), "2,5");
    f.Clear();
    EXPECT_TRUE(f.IsNull());
    EXPECT_EQ(f.Value(), 0);
}

TEST_F(VariantTest, KeysAndLoadingRules) {
    TGVFloatVariant f;
    f.SetID("0000000000001234");
    f.SetDisplayName("Kp");
    f.SetAsFloat(-0.25L);
    TNodePersist node;
    f.SaveToNode(node);
    ASSERT_EQ(node.ItemCount(), 4);
    EXPECT_EQ(node.ItemName(0), "ClassName");
    EXPECT_EQ(node.ItemValue(0), "TGVFloatVariant");
    EXPECT_EQ(node.GetValue("ID"), "0000000000001234");
    EXPECT_EQ(node.GetValue("DisplayName"), "Kp");
    EXPECT_EQ(node.GetValue("Value"), "-0,25");

    TGVFloatVariant g;
    g.LoadFromNode(node);
    EXPECT_EQ(g.ID(), "0000000000001234");
    EXPECT_EQ(g.Value(), -0.25L);
    EXPECT_FALSE(g.IsNull());

    // An empty value keeps the variant null; bad text raises.
    TNodePersist empty;
    empty.AddItem("Value", "");
    TGVIntegerVariant i;
    i.LoadFromNode(empty);
    EXPECT_TRUE(i.IsNull());
    TNodePersist bad;
    bad.AddItem("Value", "1,5");
    EXPECT_THROW(i.LoadFromNode(bad), EConvertError);
}

TEST_F(VariantTest, IDsAndAssignment) {
    TGVIntegerVariant v;
    EXPECT_TRUE(v.IDDiffers("0000000000000001"));
    EXPECT_TRUE(v.IDDiffers(""));
    TCountingGenerator gen;
    v.AssignID(gen);
    EXPECT_EQ(v.ID(), "0000000000001001");
    v.AssignID(gen);
    EXPECT_EQ(gen.Calls, 1);
    EXPECT_FALSE(v.IDDiffers("0000000000001001"));
    EXPECT_TRUE(v.IDDiffers(" 0000000000001001"));
}

TEST_F(VariantTest, ListLookups) {
    TGVVariants list;
    list.Add(Make<TGVFloatVariant>("0000000000000011", "Kp"));
    list.Add(Make<TGVIntegerVariant>("0000000000000012", "N"));
    EXPECT_EQ(list.FindIDByName("KP"), "0000000000000011");
    EXPECT_EQ(list.FindIDByName(" Kp"), "");
    EXPECT_EQ(list.FindIDByName("Q"), "");
    EXPECT_EQ(list.IndexOfID(" 0000000000000012 "), 1);
    EXPECT_EQ(list.IndexOfID(""), -1);
    EXPECT_EQ(list.FindByID("0000000000000099"), nullptr);
    EXPECT_FALSE(list.IsIDFree("0000000000000011"));
    EXPECT_TRUE(list.IsIDFree("0000000000000013"));
    list.Delete(0);
    list.Delete(3);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.IsIDFree("0000000000000011"));
    EXPECT_THROW(list.GetAsString(), EInvalidOperation);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(VariantTest, ListLoadMatchesByIDAndSkipsIncompleteChildren) {
    TGVVariants source;
    source.Add(Make<TGVFloatVariant>("0000000000000011", "Kp"));
    source.Get(0)->SetAsFloat(1.5L);
    source.Add(Make<TGVStringVariant>("0000000000000012", "Name"));
    source.Get(1)->SetAsString("Труба");
    source.Add(Make<TGVBooleanVariant>("0000000000000013", "On"));
    source.Get(2)->SetAsBoolean(true);
    TNodePersist node("VARIANTS");
    source.SaveToNode(node);
    EXPECT_EQ(node.GetValue("ClassName"), "TGVVariants");
    EXPECT_EQ(node.IndexOfItem("Value"), -1);
    ASSERT_EQ(node.NodeCount(), 3);
    EXPECT_EQ(node.Node(0)->Name(), "VARIANT");

    TNodePersist* noID = node.AddNode("VARIANT");
    noID->AddItem("ClassName", "TGVFloatVariant");
    noID->AddItem("DisplayName", "Orphan");
    TNodePersist* unknown = node.AddNode("VARIANT");
    unknown->AddItem("ClassName", "TGVDateVariant");
    unknown->AddItem("ID", "0000000000000020");
    TNodePersist* notAVariant = node.AddNode("VARIANT");
    notAVariant->AddItem("ClassName", "TGVFloatProperty");
    notAVariant->AddItem("ID", "0000000000000021");

    TGVVariants target;
    target.Add(Make<TGVFloatVariant>("0000000000000011", "Old"));
    TGVVariant* existing = target.Get(0);
    target.LoadFromNode(node);
    ASSERT_EQ(target.Count(), 3);
    EXPECT_EQ(target.Get(0), existing);
    EXPECT_EQ(existing->GetDisplayName(), "Kp");
    EXPECT_EQ(existing->GetAsFloat(), 1.5L);
    EXPECT_EQ(target.Get(1)->GetAsString(), "Труба");
    EXPECT_EQ(target.Get(2)->ClassName(), "TGVBooleanVariant");
    EXPECT_TRUE(target.Get(2)->GetAsBoolean());
}

TEST_F(VariantTest, PickerItems) {
    TGVVariants list;
    list.Add(Make<TGVFloatVariant>("0000000000000011", "Kp"));
    list.Add(Make<TGVIntegerVariant>("0000000000000012", "N"));
    list.Add(Make<TGVStringVariant>("0000000000000013", "Text"));
    list.Add(Make<TGVBooleanVariant>("0000000000000014", "On"));
    std::vector<TVariantPickerItem> items = VariantPickerItems(list);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].Caption, "Kp\tFloat");
    EXPECT_EQ(items[1].Caption, "N\tInteger");
    EXPECT_EQ(items[2].Caption, "Text\tString");
    EXPECT_EQ(items[3].Caption, "On\tBoolean");
    EXPECT_EQ(items[0].ComponentName, "ppv_1");
    EXPECT_EQ(items[3].ComponentName, "ppv_4");
    EXPECT_EQ(items[3].Tag, 3);
    EXPECT_TRUE(items[2].Enabled);
    EXPECT_TRUE(VariantPickerItems(TGVVariants()).empty());
}
