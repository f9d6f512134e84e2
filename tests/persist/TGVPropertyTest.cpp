#include "persist/TGVProperty.h"
#include "persist/RegisterPersistClasses.h"
#include "persist/TErrors.h"
#include "persist/TGVFloat3DProperty.h"
#include "persist/TGVListCoordProperty.h"
#include "persist/TGVProperties.h"
#include "persist/TNodePersist.h"
#include "persist/TXMLPersistentAEProject.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vorelt;

namespace {

class PropertyTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterPersistClasses(); }
};

TNodePersist* AddPropertyNode(TNodePersist& list, const char* className, const char* name) {
    TNodePersist* n = list.AddNode("PROPERTY");
    n->AddItem("ClassName", className);
    n->AddItem("Name", name);
    return n;
}

} // namespace

TEST_F(PropertyTest, StringPropertyConversions) {
    TGVStringProperty p("S");
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.DataType(), 1);
    p.SetAsFloat(2.5L);
    EXPECT_FALSE(p.IsNull());
    EXPECT_EQ(p.GetAsString(), "2,5");
    EXPECT_EQ(p.GetAsFloat(), 2.5L);
    p.SetAsFloat(1.0L / 3.0L);
    EXPECT_EQ(p.GetAsString(), "0,333333333333333");
    p.SetAsBoolean(true);
    EXPECT_EQ(p.GetAsString(), "-1");
    EXPECT_TRUE(p.GetAsBoolean());
    EXPECT_EQ(p.GetAsInteger(), -1);
    p.SetAsString("abc");
    EXPECT_THROW(p.GetAsFloat(), EConvertError);
    EXPECT_THROW(p.GetAsInteger(), EConvertError);
    EXPECT_THROW(p.GetAsBoolean(), EConvertError);
    p.SetAsString("5000000000"); // beyond 32 bits
    EXPECT_THROW(p.GetAsInteger(), EConvertError);
    p.Clear();
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.GetAsString(), "");
    EXPECT_EQ(p.Name(), "S");
}

TEST_F(PropertyTest, IntegerPropertyConversions) {
    TGVIntegerProperty p("I");
    EXPECT_EQ(p.DataType(), 7);
    p.SetAsFloat(2.5L);
    EXPECT_EQ(p.Value(), 2);
    p.SetAsFloat(3.5L);
    EXPECT_EQ(p.Value(), 4);
    p.SetAsFloat(-2.5L);
    EXPECT_EQ(p.Value(), -2);
    p.SetAsFloat(std::numeric_limits<long double>::quiet_NaN());
    EXPECT_EQ(p.Value(), 0);
    p.SetAsString("not a number");
    EXPECT_FALSE(p.IsNull());
    EXPECT_EQ(p.Value(), 0);
    p.SetAsString(" 42 ");
    EXPECT_EQ(p.GetAsString(), "42");
    EXPECT_TRUE(p.GetAsBoolean());
    p.SetAsInteger(-3);
    EXPECT_FALSE(p.GetAsBoolean()); // only positive values are true
    p.SetAsBoolean(true);
    EXPECT_EQ(p.Value(), 1);
}

TEST_F(PropertyTest, FloatPropertyConversions) {
    TGVFloatProperty p("F");
    EXPECT_EQ(p.DataType(), 11);
    p.SetAsString("1.25");
    EXPECT_EQ(p.Value(), 1.25L);
    EXPECT_EQ(p.GetAsString(), "1,25");
    p.SetAsString("x");
    EXPECT_EQ(p.Value(), 0.0L);
    p.SetAsFloat(2.5L);
    EXPECT_EQ(p.GetAsInteger(), 2);
    p.SetAsFloat(-0.5L);
    EXPECT_FALSE(p.GetAsBoolean());
    p.SetAsBoolean(true);
    EXPECT_EQ(p.Value(), 1.0L);
}

TEST_F(PropertyTest, BooleanPropertyConversions) {
    TGVBooleanProperty p("B");
    EXPECT_EQ(p.DataType(), 13);
    p.SetAsFloat(0.25L);
    EXPECT_TRUE(p.Value());
    EXPECT_EQ(p.GetAsString(), "-1");
    EXPECT_EQ(p.GetAsInteger(), 1);
    p.SetAsInteger(0);
    EXPECT_EQ(p.GetAsString(), "0");
    p.SetAsString("true");
    EXPECT_TRUE(p.Value());
    EXPECT_THROW(p.SetAsString("yes"), EConvertError);
    EXPECT_TRUE(p.Value());
}

TEST_F(PropertyTest, SavedKeysAndAlignmentCodes) {
    TGVFloatProperty p("Gain");
    p.SetDisplayName("Усиление");
    p.SetDisplayDimension("dB");
    p.SetDisplayWidth(80);
    p.SetAlignment(TGVProperty::AlignRight);
    p.SetEnable(false);
    p.SetAsFloat(-1.5L);
    TNodePersist node("PROPERTY");
    p.SaveToNode(node);
    ASSERT_EQ(node.ItemCount(), 10);
    const char* keys[] = {"ClassName",    "Name",          "DisplayName", "DisplayDimension",
                          "DisplayWidth", "DisplaySWidth", "Alignment",   "Tag",
                          "Enable",       "Value"};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(node.ItemName(i), keys[i]);
    EXPECT_EQ(node.GetValue("ClassName"), "TGVFloatProperty");
    EXPECT_EQ(node.GetValue("Alignment"), "2");
    EXPECT_EQ(node.GetValue("DisplaySWidth"), "-1");
    EXPECT_EQ(node.GetValue("Enable"), "0");
    EXPECT_EQ(node.GetValue("Value"), "-1,5");

    struct {
        uint8_t alignment;
        const char* code;
    } codes[] = {{TGVProperty::AlignLeft, "1"},
                 {TGVProperty::AlignRight, "2"},
                 {TGVProperty::AlignCenter, "0"}};
    for (const auto& c : codes) {
        TGVIntegerProperty a("A");
        a.SetAlignment(c.alignment);
        TNodePersist n;
        a.SaveToNode(n);
        EXPECT_EQ(n.GetValue("Alignment"), c.code);
        TGVIntegerProperty b("A");
        b.SetAlignment(TGVProperty::AlignCenter == c.alignment ? TGVProperty::AlignLeft
                                                               : TGVProperty::AlignCenter);
        b.LoadFromNode(n);
        EXPECT_EQ(b.GetAlignment(), c.alignment) << c.code;
    }
}

TEST_F(PropertyTest, EnableLoadsFromItsKeyOrStays) {
    TNodePersist off, on, absent;
    off.AddItem("Enable", "0");
    on.AddItem("Enable", "1");
    absent.AddItem("Tag", "7");

    TGVIntegerProperty p("P");
    p.LoadFromNode(off);
    EXPECT_FALSE(p.GetEnable());
    p.LoadFromNode(absent);
    EXPECT_FALSE(p.GetEnable());
    EXPECT_EQ(p.GetTag(), 7);
    p.LoadFromNode(on);
    EXPECT_TRUE(p.GetEnable());
    p.LoadFromNode(absent);
    EXPECT_TRUE(p.GetEnable());
}

TEST_F(PropertyTest, LoadingKeepsAbsentAndEmptyKeysAndIsNull) {
    TGVStringProperty p("Title");
    p.SetDisplayName("Caption");
    p.SetDisplayWidth(50);
    TNodePersist node;
    node.AddItem("Name", "");
    node.AddItem("DisplayName", "");
    node.AddItem("Value", "Hello");
    p.LoadFromNode(node);
    EXPECT_EQ(p.Name(), "Title");
    EXPECT_EQ(p.GetDisplayName(), "Caption");
    EXPECT_EQ(p.GetDisplayWidth(), 50);
    EXPECT_EQ(p.Value(), "Hello");
    EXPECT_TRUE(p.IsNull()); // a loaded value is not an assignment
}

TEST_F(PropertyTest, BadNumbersInAFileRaise) {
    TNodePersist badInt, badFloat, badWidth, goodBool;
    badInt.AddItem("Value", "12abc");
    badFloat.AddItem("Value", "1,2,3");
    badWidth.AddItem("DisplayWidth", "wide");
    goodBool.AddItem("Value", "-1");

    TGVIntegerProperty i("I");
    EXPECT_THROW(i.LoadFromNode(badInt), EConvertError);
    TGVFloatProperty f("F");
    EXPECT_THROW(f.LoadFromNode(badFloat), EConvertError);
    EXPECT_THROW(f.LoadFromNode(badWidth), EConvertError);
    TGVBooleanProperty b("B");
    b.LoadFromNode(goodBool);
    EXPECT_TRUE(b.Value());
    TNodePersist word;
    word.AddItem("Value", "False");
    b.LoadFromNode(word);
    EXPECT_FALSE(b.Value());
}

TEST_F(PropertyTest, ValueRoundTripsThroughTheNode) {
    TGVFloatProperty f("F");
    f.SetAsFloat(-123.456L);
    TGVBooleanProperty b("B");
    b.SetAsBoolean(true);
    TGVStringProperty s("S");
    s.SetAsString("Проба; a=b");
    TGVIntegerProperty i("I");
    i.SetAsInteger(std::numeric_limits<int32_t>::min());

    TGVProperty* all[] = {&f, &b, &s, &i};
    for (TGVProperty* p : all) {
        TNodePersist node;
        p->SaveToNode(node);
        auto copy = TClassRegistry::Instance().CreateAs<TGVProperty>(node.GetValue("ClassName"));
        ASSERT_TRUE(copy);
        copy->LoadFromNode(node);
        EXPECT_EQ(copy->Name(), p->Name());
        EXPECT_EQ(copy->GetAsString(), p->GetAsString());
    }
    EXPECT_EQ(b.GetAsString(), "-1");
}

TEST_F(PropertyTest, CloneCopiesEverythingAndIsIndependent) {
    TGVIntegerProperty p("P");
    p.SetDisplayName("Pressure");
    p.SetTag(3);
    p.SetEnable(false);
    p.SetAsInteger(9);
    auto c = p.Clone();
    auto* ci = dynamic_cast<TGVIntegerProperty*>(c.get());
    ASSERT_NE(ci, nullptr);
    EXPECT_EQ(ci->Name(), "P");
    EXPECT_EQ(ci->GetDisplayName(), "Pressure");
    EXPECT_EQ(ci->GetTag(), 3);
    EXPECT_FALSE(ci->GetEnable());
    EXPECT_FALSE(ci->IsNull());
    EXPECT_EQ(ci->Value(), 9);
    ci->SetAsInteger(1);
    EXPECT_EQ(p.Value(), 9);
}

// ---- Property lists ----

TEST_F(PropertyTest, ListLookupDeleteAndItemIndex) {
    TGVProperties list("Cols");
    list.AddNew<TGVIntegerProperty>("Width");
    list.AddNew<TGVStringProperty>("Title");
    list.AddNew<TGVBooleanProperty>("Visible");
    EXPECT_EQ(list.IndexOfName("  title "), 1);
    EXPECT_EQ(list.IndexOfName("Missing"), -1);
    EXPECT_NE(list.FindAs<TGVStringProperty>("TITLE"), nullptr);
    EXPECT_EQ(list.FindAs<TGVIntegerProperty>("Title"), nullptr);

    list.SetItemIndex(2);
    list.SetItemIndex(3);
    list.SetItemIndex(-1);
    EXPECT_EQ(list.ItemIndex(), 2);
    list.Delete(2);
    EXPECT_EQ(list.ItemIndex(), 1); // moved onto the new last entry
    list.Delete(7);
    EXPECT_EQ(list.Count(), 2);
    list.Exchange(0, 1);
    EXPECT_EQ(list.Get(0)->Name(), "Title");
    list.Exchange(0, 5);
    EXPECT_EQ(list.Get(0)->Name(), "Title");
    EXPECT_EQ(list.Get(5), nullptr);
    list.Delete(0);
    list.Delete(0);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.AddNew<TGVIntegerProperty>("X");
    list.SetItemIndex(0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST_F(PropertyTest, ListLoadMatchesByNameAndAppendsNewOnes) {
    TGVProperties list("Settings");
    TGVIntegerProperty* width = list.AddNew<TGVIntegerProperty>("Width");
    TGVStringProperty* title = list.AddNew<TGVStringProperty>("Title");

    TNodePersist node;
    node.AddItem("ClassName", "TGVProperties");
    node.AddItem("Name", "Settings");
    AddPropertyNode(node, "TGVStringProperty", "title")->AddItem("Value", "Loaded");
    AddPropertyNode(node, "TGVIntegerProperty", " WIDTH ")->AddItem("Value", "120");
    AddPropertyNode(node, "TGVFloatProperty", "Extra")->AddItem("Value", "0,5");
    AddPropertyNode(node, "TNoSuchProperty", "Unknown");
    AddPropertyNode(node, "TGVFloatProperty", "  ");
    node.AddNode("OTHER")->AddItem("ClassName", "TGVFloatProperty");
    list.LoadFromNode(node);

    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0), width); // order of the file does not reorder entries
    EXPECT_EQ(list.Get(1), title);
    EXPECT_EQ(width->Value(), 120);
    EXPECT_EQ(title->Value(), "Loaded");
    auto* extra = dynamic_cast<TGVFloatProperty*>(list.Get(2));
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(extra->Value(), 0.5L);
}

TEST_F(PropertyTest, ListSavesOneChildPerEntryAndSurvivesTheProjectFile) {
    TGVProperties list("Graph");
    list.AddNew<TGVStringProperty>("Title")->SetAsString("Давление, МПа");
    list.AddNew<TGVFloatProperty>("Scale")->SetAsFloat(0.125L);
    auto* zone = list.AddNew<TGVListCoordProperty>("Zone A");
    zone->AddPoint({1.5L, -2});
    list.AddNew<TGVFloat3DProperty>("Ang")->SetValues(40, 40, 0);
    TGVProperties* inner = list.AddNew<TGVProperties>("Inner");
    inner->AddNew<TGVBooleanProperty>("Flag")->SetAsBoolean(true);

    TNodePersist root("ParamPRG");
    list.SaveToNode(*root.AddNode("PRJ"));
    ASSERT_EQ(root.Node(0)->NodeCount(), 5);
    EXPECT_EQ(root.Node(0)->Node(0)->Name(), "PROPERTY");

    TNodePersist back;
    std::string error;
    ASSERT_TRUE(
        TXMLPersistentAEProject::Parse(TXMLPersistentAEProject::Serialize(root), back, error))
        << error;
    TGVProperties loaded;
    loaded.LoadFromNode(*back.FindNode("PRJ"));
    EXPECT_EQ(loaded.Name(), "Graph");
    ASSERT_EQ(loaded.Count(), 5);
    EXPECT_EQ(loaded.FindAs<TGVStringProperty>("Title")->Value(), "Давление, МПа");
    EXPECT_EQ(loaded.FindAs<TGVFloatProperty>("Scale")->Value(), 0.125L);
    EXPECT_EQ(loaded.FindAs<TGVListCoordProperty>("Zone A")->GetPoint(0), (TGVCoord{1.5L, -2}));
    EXPECT_EQ(loaded.FindAs<TGVFloat3DProperty>("Ang")->Y(), 40);
    auto* loadedInner = loaded.FindAs<TGVProperties>("Inner");
    ASSERT_NE(loadedInner, nullptr);
    EXPECT_TRUE(loadedInner->FindAs<TGVBooleanProperty>("Flag")->Value());

    auto clone = list.Clone();
    auto* c = dynamic_cast<TGVProperties*>(clone.get());
    ASSERT_EQ(c->Count(), 5);
    EXPECT_NE(c->Get(0), list.Get(0));
    EXPECT_EQ(c->FindAs<TGVListCoordProperty>("Zone A")->PointCount(), 1);
}

// ---- Points and triples ----

TEST_F(PropertyTest, PointOperationsIgnorePositionsOutside) {
    TGVListCoordProperty z("Zone");
    EXPECT_EQ(z.AddPoint({0, 0}), 0);
    EXPECT_EQ(z.AddPoint({1, 1}), 1);
    z.InsertPoint(-1, {9, 9});
    z.InsertPoint(3, {9, 9});
    z.DeletePoint(2);
    z.ExchangePoints(0, 2);
    z.SetPoint(2, {9, 9});
    EXPECT_EQ(z.PointCount(), 2);
    EXPECT_EQ(z.GetPoint(5), (TGVCoord{0, 0}));
    z.InsertPoint(2, {2, 2}); // just past the end appends
    z.InsertPoint(0, {-1, -1});
    ASSERT_EQ(z.PointCount(), 4);
    EXPECT_EQ(z.GetPoint(0), (TGVCoord{-1, -1}));
    EXPECT_EQ(z.GetPoint(3), (TGVCoord{2, 2}));
    z.ExchangePoints(0, 3);
    EXPECT_EQ(z.GetPoint(0), (TGVCoord{2, 2}));
    z.SetTag(4);
    z.Clear();
    EXPECT_EQ(z.Name(), "");
    EXPECT_EQ(z.GetTag(), -1);
    EXPECT_EQ(z.PointCount(), 0);
}

TEST_F(PropertyTest, PointListKeysAndIncompleteCoords) {
    TGVListCoordProperty z("Zone B");
    z.SetTag(2);
    z.AddPoint({0.5L, 1});
    z.AddPoint({2, 3.25L});
    z.AddPoint({-4, 0});
    TNodePersist node;
    z.SaveToNode(node);
    ASSERT_EQ(node.ItemCount(), 4);
    EXPECT_EQ(node.ItemName(2), "ClassName");
    EXPECT_EQ(node.ItemValue(2), "TGVListCoordProperty");
    EXPECT_EQ(node.GetValue("Tag"), "2");
    ASSERT_EQ(node.NodeCount(), 1);
    TNodePersist* list = node.FindNode("List");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->NodeCount(), 3);
    EXPECT_EQ(list->Node(0)->GetValue("CoordX"), "0,5");
    EXPECT_EQ(list->Node(1)->GetValue("CoordY"), "3,25");

    TNodePersist* partial = list->AddNode("Coord");
    partial->AddItem("CoordX", "7");
    TGVListCoordProperty loaded;
    loaded.AddPoint({100, 100});
    loaded.LoadFromNode(node);
    EXPECT_EQ(loaded.Name(), "Zone B");
    EXPECT_EQ(loaded.GetTag(), 2);
    ASSERT_EQ(loaded.PointCount(), 3);
    EXPECT_EQ(loaded.GetPoint(2), (TGVCoord{-4, 0}));

    // A bad coordinate fails the load and leaves the previous points in place.
    TNodePersist bad;
    TNodePersist* c = bad.AddNode("List")->AddNode("Coord");
    c->AddItem("CoordX", "1");
    c->AddItem("CoordY", "one");
    EXPECT_THROW(loaded.LoadFromNode(bad), EConvertError);
    EXPECT_EQ(loaded.PointCount(), 3);

    // Without a "List" child the points stay.
    TNodePersist none;
    loaded.LoadFromNode(none);
    EXPECT_EQ(loaded.PointCount(), 3);
}

TEST_F(PropertyTest, TripleKeysAndPartialLoad) {
    TGVFloat3DProperty t("Add", 1.5L, -2, 3);
    TNodePersist node;
    t.SaveToNode(node);
    EXPECT_EQ(node.GetValue("ValueX"), "1,5");
    EXPECT_EQ(node.GetValue("ValueY"), "-2");
    EXPECT_EQ(node.GetValue("ValueZ"), "3");
    TNodePersist partial;
    partial.AddItem("ValueY", "7.5");
    t.LoadFromNode(partial);
    EXPECT_EQ(t.X(), 1.5L);
    EXPECT_EQ(t.Y(), 7.5L);
    EXPECT_EQ(t.Z(), 3);
    auto c = t.Clone();
    EXPECT_EQ(dynamic_cast<TGVFloat3DProperty&>(*c).Z(), 3);
}

TEST_F(PropertyTest, RegistryCreatesEveryRecreatableClass) {
    const char* names[] = {"TGVProperties",      "TGVStringProperty", "TGVIntegerProperty",
                           "TGVBooleanProperty", "TGVFloatProperty",  "TGVListCoordProperty",
                           "TGVFloat3DProperty", "TGVStringVariant",  "TGVIntegerVariant",
                           "TGVFloatVariant",    "TGVBooleanVariant"};
    for (const char* name : names) {
        auto obj = TClassRegistry::Instance().Create(name);
        ASSERT_TRUE(obj) << name;
        EXPECT_EQ(obj->ClassName(), name);
    }
    EXPECT_FALSE(TClassRegistry::Instance().IsRegistered("TGVProperty"));
    EXPECT_FALSE(TClassRegistry::Instance().IsRegistered("TGVVariants"));
}
