// The pipe schema: geometry of hosts, branches, pipes and sensors computed by hand, the
// protocol that builds shapes, persistence with IDs and the picture, copies, and the editor's
// rules for names, adding, dropping, channels and typed numbers.

#include "model/TAEIDGenerator.h"
#include "persist/RegisterPersistClasses.h"
#include "persist/TNodePersist.h"
#include "processing/graph3d/RegisterGraph3DClasses.h"
#include "processing/graph3d/TAEOBJ3DHostBranchPS.h"
#include "processing/graph3d/TAEOBJ3DHostPS.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DPipePS.h"
#include "processing/graph3d/TAEOBJ3DSchema.h"
#include "viewmodel/dialogs/processors/TSchemaEditRules.h"

#include <gtest/gtest.h>

#include <set>

namespace vorelt {
namespace {

// Hands out IDs and numbers that no object of the schema carries, and counts the changes.
class TTestOwner : public IObj3DOwner {
public:
    TTestOwner()
        : FIds([this](const std::string& id) { return Root && !Root->IsIdFree(id); }, 77) {}
    void SchemaChanged(TAEOBJ3D&) override { ++Changes; }
    std::string NewObjectID() override { return FIds.NewID(); }
    int32_t NewIDGL() override {
        for (;;) {
            const int32_t n = ++FNext;
            if (!Root || Root->IsIdglFree(n)) return n;
        }
    }
    TAEOBJ3D* Root = nullptr;
    int Changes = 0;

private:
    TAEIDGenerator FIds;
    int32_t FNext = 100;
};

class TShapes : public ISchemaScene {
public:
    void AddShape(const TSchemaShape& shape) override { Shapes.push_back(shape); }
    std::vector<TSchemaShape> Shapes;
    int Count(TShapeKind kind) const {
        int n = 0;
        for (const auto& s : Shapes)
            n += s.Kind == kind;
        return n;
    }
};

void Set(TAEOBJ3D& o, const char* name, long double value) {
    o.Properties().FindAs<TGVProperty>(name)->SetAsFloat(value);
}

struct TSchemaFixture : ::testing::Test {
    TSchemaFixture() {
        RegisterPersistClasses();
        RegisterGraph3DClasses();
        Schema = std::make_unique<TAEOBJ3DPipesSchema>(&Owner);
        Owner.Root = Schema.get();
        Schema->EnsureId(true);
        Schema->EnsureIdgl(true);
    }
    TAEOBJ3D* Add(TAEOBJ3D& parent, TSchemaAddKind kind) {
        TAEOBJ3D* o = AddSchemaObject(parent, kind);
        EXPECT_NE(o, nullptr);
        return o;
    }
    TPoint3 End(const TAEOBJ3D* o) {
        TPoint3 p;
        EXPECT_TRUE(o->CoordPoint(1, p)) << o->Text();
        return p;
    }
    TTestOwner Owner;
    std::unique_ptr<TAEOBJ3DPipesSchema> Schema;
};

void ExpectPoint(const TPoint3& p, long double x, long double y, long double z) {
    EXPECT_NEAR(static_cast<double>(p.X), static_cast<double>(x), 1e-12);
    EXPECT_NEAR(static_cast<double>(p.Y), static_cast<double>(y), 1e-12);
    EXPECT_NEAR(static_cast<double>(p.Z), static_cast<double>(z), 1e-12);
}

TEST_F(TSchemaFixture, EndPointsOfASmallSchemaAreTheOnesComputedByHand) {
    // Scale 1:100 cm makes a metre one scene unit.
    Set(*Schema, "Scale", 100);
    Set(*Schema, "BegCoordX", 1);
    Set(*Schema, "BegCoordY", 2);
    Set(*Schema, "BegCoordZ", 3);
    TAEOBJ3D* pipe1 = Add(*Schema, TSchemaAddKind::Pipe);
    Set(*pipe1, "Length", 10); // along +X
    TAEOBJ3D* pipe2 = Add(*Schema, TSchemaAddKind::Pipe);
    Set(*pipe2, "Length", 5);
    Set(*pipe2, "AngleXZ", 90); // along +Z
    TAEOBJ3D* pae = Add(*pipe2, TSchemaAddKind::PAE);
    Set(*pae, "DeltaLength", 2);
    TAEOBJ3D* host = Add(*Schema, TSchemaAddKind::Host);
    Set(*host, "TypeCoord", 1); // rises 3 m over 5 m: 4 m across, along -X
    Set(*host, "Length", 5);
    Set(*host, "Height", 3);
    Set(*host, "AngleXZ", 180);
    TAEOBJ3D* branch = Add(*host, TSchemaAddKind::HostBranch);
    Set(*branch, "DeltaLength", 2.5L); // half-way along the host
    TAEOBJ3D* up = Add(*branch, TSchemaAddKind::Pipe);
    Set(*up, "Length", 1);
    Set(*up, "AngleXY", 90); // straight up
    // Twice as many centimetres to the unit: 10 m draw as 5 units.
    TAEOBJ3D* half = Add(*Schema, TSchemaAddKind::Pipe);
    Set(*half, "Length", 10);
    Set(*half, "AngleXZ", -90);
    Set(*half, "IsScale", 1);
    Set(*half, "Scale", 200);

    TShapes scene;
    Schema->Rebuild(&scene);
    ExpectPoint(End(pipe1), 11, 2, 3);
    ExpectPoint(End(pipe2), 11, 2, 8);
    ExpectPoint(End(pae), 11, 2, 5);
    ExpectPoint(End(host), 7, 5, 8);
    ExpectPoint(End(branch), 9, 3.5L, 8);
    ExpectPoint(End(up), 9, 4.5L, 8);
    ExpectPoint(End(half), 7, 5, 3);
    // The next element begins where the last one (not the sensor) ended.
    TPoint3 begin;
    ASSERT_TRUE(half->CoordPoint(0, begin));
    ExpectPoint(begin, 7, 5, 8);

    EXPECT_EQ(scene.Count(TShapeKind::Pipe), 4);
    EXPECT_EQ(scene.Count(TShapeKind::Host), 1);
    ASSERT_EQ(scene.Count(TShapeKind::Sensor), 1);
    for (const TSchemaShape& s : scene.Shapes)
        if (s.Kind == TShapeKind::Pipe && s.IDGL == pipe2->IDGL()) {
            EXPECT_EQ(s.PredecessorIDGL, pipe1->IDGL());
        }
}

TEST_F(TSchemaFixture, AZeroLengthLeavesItAndWhatFollowsUncomputed) {
    TAEOBJ3D* pipe1 = Add(*Schema, TSchemaAddKind::Pipe);
    TAEOBJ3D* pae = Add(*pipe1, TSchemaAddKind::PAE);
    TAEOBJ3D* pipe2 = Add(*Schema, TSchemaAddKind::Pipe);
    Set(*pipe2, "Length", 3);
    TShapes scene;
    Schema->Rebuild(&scene);
    EXPECT_FALSE(pipe1->Computed());
    EXPECT_FALSE(pae->Computed());
    EXPECT_FALSE(pipe2->Computed());
    EXPECT_TRUE(scene.Shapes.empty());

    Set(*pipe1, "Length", 10);
    scene.Shapes.clear();
    Schema->Rebuild(&scene);
    EXPECT_TRUE(pipe2->Computed());
    // At the default 1:1000 cm ten metres are one unit.
    ExpectPoint(End(pipe1), 1, 0, 0);
    ExpectPoint(End(pipe2), 1.3L, 0, 0);
    EXPECT_EQ(scene.Shapes.size(), 3u);
}

TEST_F(TSchemaFixture, PreviousElementStepsOverSensorsToTheParent) {
    TAEOBJ3D* host = Add(*Schema, TSchemaAddKind::Host);
    TAEOBJ3D* s1 = Add(*host, TSchemaAddKind::PAE);
    TAEOBJ3D* branch = Add(*host, TSchemaAddKind::HostBranch);
    TAEOBJ3D* s2 = Add(*host, TSchemaAddKind::PAE);
    EXPECT_EQ(Schema->PreviousElement(false), nullptr);
    EXPECT_EQ(host->PreviousElement(true), Schema.get());
    EXPECT_EQ(branch->PreviousElement(false), s1);
    EXPECT_EQ(branch->PreviousElement(true), host);
    EXPECT_EQ(s2->PreviousElement(false), branch);
    // Sensors are listed before structural objects.
    const std::vector<TAEOBJ3D*> order = TreeOrder(*host);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], s1);
    EXPECT_EQ(order[1], s2);
    EXPECT_EQ(order[2], branch);
}

TEST_F(TSchemaFixture, NamesCountOnFromTheLargestNumber) {
    TAEOBJ3D* p1 = Add(*Schema, TSchemaAddKind::Pipe);
    TAEOBJ3D* p2 = Add(*Schema, TSchemaAddKind::Pipe);
    TAEOBJ3D* p3 = Add(*Schema, TSchemaAddKind::Pipe);
    EXPECT_EQ(p1->Text(), "Pipe01");
    EXPECT_EQ(p2->Text(), "Pipe02");
    EXPECT_EQ(p3->Text(), "Pipe03");
    p2->Delete();
    EXPECT_EQ(Schema->ChildCount(), 2);
    EXPECT_EQ(Add(*Schema, TSchemaAddKind::Pipe)->Text(), "Pipe04");
    // Every class counts on its own; hosts inside and outside branches count together.
    TAEOBJ3D* host = Add(*Schema, TSchemaAddKind::Host);
    EXPECT_EQ(host->Text(), "Host01");
    EXPECT_EQ(Add(*host, TSchemaAddKind::HostBranch)->Text(), "Branch01");
    EXPECT_EQ(Add(*host, TSchemaAddKind::PAE)->Text(), "PAE01");
    EXPECT_EQ(Add(*p1, TSchemaAddKind::PAE)->Text(), "PAE02");
    // A name without a number counts as 1; two digits stop at 9.
    p1->SetText("Pipe");
    p3->SetText("Pipe9");
    EXPECT_EQ(Add(*Schema, TSchemaAddKind::Pipe)->Text(), "Pipe10");
    EXPECT_GT(Owner.Changes, 0);
}

TEST_F(TSchemaFixture, TheAddMenuFollowsTheSelectedObject) {
    TAEOBJ3D* host = Add(*Schema, TSchemaAddKind::Host);
    TAEOBJ3D* branch = Add(*host, TSchemaAddKind::HostBranch);
    TAEOBJ3D* pipe = Add(*branch, TSchemaAddKind::Pipe);
    TAEOBJ3D* pae = Add(*pipe, TSchemaAddKind::PAE);
    auto offered = [](const TAEOBJ3D* o) {
        std::string s;
        for (const TSchemaAddItem& item : SchemaAddItems)
            s += CanAddTo(o, item.Kind) ? "1" : "0";
        return s; // Pipe, Host, Host Branch, PAE
    };
    EXPECT_EQ(offered(Schema.get()), "1100");
    EXPECT_EQ(offered(host), "0011");
    EXPECT_EQ(offered(branch), "1000");
    EXPECT_EQ(offered(pipe), "0001");
    EXPECT_EQ(offered(pae), "0000");
    EXPECT_EQ(offered(nullptr), "0000");
    EXPECT_EQ(AddSchemaObject(*pae, TSchemaAddKind::PAE), nullptr);
}

TEST_F(TSchemaFixture, DropsFollowThePlacementsOfTheTargetClass) {
    TAEOBJ3D* pipe1 = Add(*Schema, TSchemaAddKind::Pipe);
    TAEOBJ3D* pipe2 = Add(*Schema, TSchemaAddKind::Pipe);
    TAEOBJ3D* host = Add(*Schema, TSchemaAddKind::Host);
    TAEOBJ3D* branch = Add(*host, TSchemaAddKind::HostBranch);
    TAEOBJ3D* pae = Add(*pipe1, TSchemaAddKind::PAE);

    // A sensor never goes into a host branch.
    EXPECT_EQ(DropPlacement(*pae, *branch), plNone);
    EXPECT_EQ(DropSchemaObject(*pae, *branch, false), nullptr);
    EXPECT_EQ(pae->Parent(), pipe1);
    // Not on itself, not into its own subtree.
    EXPECT_EQ(DropPlacement(*pipe1, *pipe1), plNone);
    EXPECT_EQ(DropPlacement(*pipe1, *pae), plNone);

    // A pipe dropped on a pipe goes before it.
    EXPECT_EQ(DropPlacement(*pipe2, *pipe1), plBefore);
    EXPECT_EQ(DropSchemaObject(*pipe2, *pipe1, false), pipe2);
    EXPECT_EQ(Schema->IndexOf(pipe2), 0);
    EXPECT_EQ(Schema->IndexOf(pipe1), 1);
    // A pipe dropped on a branch becomes its last child; on a sensor it is refused.
    EXPECT_EQ(DropSchemaObject(*pipe2, *branch, false), pipe2);
    EXPECT_EQ(pipe2->Parent(), branch);
    EXPECT_EQ(DropPlacement(*pipe1, *pae), plNone);
    // A sensor dropped on a sensor goes before it, on a host into it.
    TAEOBJ3D* pae2 = Add(*pipe1, TSchemaAddKind::PAE);
    EXPECT_EQ(DropSchemaObject(*pae2, *pae, false), pae2);
    EXPECT_EQ(pipe1->IndexOf(pae2), 0);
    EXPECT_EQ(DropSchemaObject(*pae2, *host, false), pae2);
    EXPECT_EQ(pae2->Parent(), host);

    // The object may refuse to move.
    pae->FOnCanMove = [](TAEOBJ3D&, TAEOBJ3D* parent) { return parent == nullptr; };
    EXPECT_EQ(DropSchemaObject(*pae, *host, false), nullptr);
    EXPECT_EQ(pae->Parent(), pipe1);
}

TEST_F(TSchemaFixture, CopiesGetNewIdsAndNamesThroughoutTheSubtree) {
    TAEOBJ3D* pipe1 = Add(*Schema, TSchemaAddKind::Pipe);
    Set(*pipe1, "Length", 7);
    TAEOBJ3D* pae = Add(*pipe1, TSchemaAddKind::PAE);
    static_cast<TAEOBJ3DPAEPS*>(pae)->SetChannel(3);
    TAEOBJ3D* host = Add(*Schema, TSchemaAddKind::Host);

    TAEOBJ3D* copy = DropSchemaObject(*pipe1, *host, true);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Schema->IndexOf(copy), 1); // before the host
    EXPECT_EQ(copy->Text(), "Pipe02");
    EXPECT_NE(copy->ID(), pipe1->ID());
    EXPECT_NE(copy->IDGL(), pipe1->IDGL());
    EXPECT_EQ(copy->PropertyFloat("Length"), 7);
    ASSERT_EQ(copy->ChildCount(), 1);
    EXPECT_NE(copy->Child(0)->ID(), pae->ID());
    EXPECT_NE(copy->Child(0)->IDGL(), pae->IDGL());
    EXPECT_EQ(copy->Child(0)->Text(), "PAE02");
    EXPECT_EQ(static_cast<TAEOBJ3DPAEPS*>(copy->Child(0))->Channel(), 3);
    EXPECT_EQ(pipe1->Parent(), Schema.get()); // the original stays

    std::set<std::string> ids;
    std::set<int32_t> idgls;
    int n = 0;
    Schema->ForEach([&](TAEOBJ3D& o) {
        ids.insert(o.ID());
        idgls.insert(o.IDGL());
        ++n;
    });
    EXPECT_EQ(static_cast<int>(ids.size()), n);
    EXPECT_EQ(static_cast<int>(idgls.size()), n);
}

TEST_F(TSchemaFixture, ALoadedSchemaKeepsItsIdsAndPicture) {
    TAEOBJ3D* pipe = Add(*Schema, TSchemaAddKind::Pipe);
    Set(*pipe, "Length", 12.5L);
    pipe->Properties().FindAs<TGVProperty>("Title")->SetAsString("Feed line");
    TAEOBJ3D* pae = Add(*pipe, TSchemaAddKind::PAE);
    static_cast<TAEOBJ3DPAEPS*>(pae)->SetChannel(7);
    Schema->SetPicture(std::string("\x00\xFF\x7F\x0A", 4));

    TNodePersist node("Schema");
    Schema->SaveToNode(node);
    EXPECT_EQ(node.GetValue("Bmp"), "00FF7F0A");
    EXPECT_EQ(node.GetValue("ClassName"), "TAEOBJ3DPipesSchema");
    EXPECT_EQ(node.ItemName(0), "ClassName");
    EXPECT_EQ(node.ItemName(1), "ID");
    EXPECT_EQ(node.ItemName(2), "IDGL");
    EXPECT_EQ(node.ItemName(3), "Text");
    EXPECT_EQ(node.Node(0)->Name(), "PROPERTIES");
    EXPECT_EQ(node.Node(1)->Name(), "OBJ");
    // An object of a class nobody registered is skipped.
    node.AddNode("OBJ")->AddItem("ClassName", "TAEOBJ3DNoSuchThing");

    TTestOwner owner2;
    TAEOBJ3DPipesSchema loaded(&owner2);
    owner2.Root = &loaded;
    loaded.LoadFromNode(node);
    EXPECT_EQ(loaded.ID(), Schema->ID());
    EXPECT_EQ(loaded.IDGL(), Schema->IDGL());
    ASSERT_EQ(loaded.ChildCount(), 1);
    const TAEOBJ3D* lp = loaded.Child(0);
    EXPECT_EQ(lp->ClassName(), "TAEOBJ3DPipePS");
    EXPECT_EQ(lp->ID(), pipe->ID());
    EXPECT_EQ(lp->IDGL(), pipe->IDGL());
    EXPECT_EQ(lp->Text(), "Pipe01");
    EXPECT_EQ(lp->PropertyFloat("Length"), 12.5L);
    EXPECT_EQ(lp->GetDisplayText(), "Feed line [Pipe01]");
    ASSERT_EQ(lp->ChildCount(), 1);
    EXPECT_EQ(lp->Child(0)->ID(), pae->ID());
    EXPECT_EQ(lp->Child(0)->GetDisplayText(), "PAE01 Chan \xE2\x84\x96 7");
    EXPECT_EQ(loaded.Picture(), Schema->Picture());

    // Saved again, the tree is the same.
    TNodePersist again("Schema");
    loaded.SaveToNode(again);
    TNodePersist first("Schema");
    Schema->SaveToNode(first);
    EXPECT_TRUE(again.SameTree(first));

    // Objects saved without identifiers get them while loading, and keep them afterwards.
    TNodePersist bare("Schema");
    bare.AddItem("ClassName", "TAEOBJ3DPipesSchema");
    TNodePersist* obj = bare.AddNode("OBJ");
    obj->AddItem("ClassName", "TAEOBJ3DPipePS");
    obj->AddItem("Text", "Pipe01");
    TAEOBJ3DPipesSchema fresh(&owner2);
    owner2.Root = &fresh;
    fresh.LoadFromNode(bare);
    ASSERT_EQ(fresh.ChildCount(), 1);
    EXPECT_EQ(fresh.Child(0)->ID().size(), 16u);
    EXPECT_NE(fresh.Child(0)->IDGL(), 0);
}

TEST(SchemaPicture, HexadecimalRoundTripsEveryByte) {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    const std::string hex = BytesToHex(bytes);
    ASSERT_EQ(hex.size(), 512u);
    EXPECT_EQ(hex.substr(0, 6), "000102");
    EXPECT_EQ(hex.substr(508), "FEFF");
    EXPECT_EQ(hex.find_first_of("abcdef"), std::string::npos);
    std::string back;
    ASSERT_TRUE(HexToBytes(hex, back));
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(HexToBytes("ABC", back));
    EXPECT_FALSE(HexToBytes("0G", back));
    EXPECT_TRUE(back.empty());
}

TEST_F(TSchemaFixture, ChannelsAreCheckedAgainstTheOtherSensors) {
    TAEOBJ3D* pipe = Add(*Schema, TSchemaAddKind::Pipe);
    auto* a = static_cast<TAEOBJ3DPAEPS*>(Add(*pipe, TSchemaAddKind::PAE));
    auto* b = static_cast<TAEOBJ3DPAEPS*>(Add(*pipe, TSchemaAddKind::PAE));
    auto* c = static_cast<TAEOBJ3DPAEPS*>(Add(*pipe, TSchemaAddKind::PAE));
    a->SetChannel(5);
    int32_t chan = -1;
    std::string error;
    // Channel 0 (none) may repeat; an empty entry is 0.
    EXPECT_TRUE(CheckChannelInput(*Schema, b, "0", chan, error));
    EXPECT_EQ(chan, 0);
    EXPECT_TRUE(CheckChannelInput(*Schema, c, "", chan, error));
    EXPECT_EQ(chan, 0);
    EXPECT_TRUE(CheckChannelInput(*Schema, b, "128", chan, error));
    EXPECT_EQ(chan, 128);
    EXPECT_FALSE(CheckChannelInput(*Schema, b, "129", chan, error));
    EXPECT_EQ(error, "Invalid Channel");
    EXPECT_FALSE(CheckChannelInput(*Schema, b, "5", chan, error));
    EXPECT_EQ(error, "Duplicate Channel");
    // The sensor's own channel is no duplicate.
    EXPECT_TRUE(CheckChannelInput(*Schema, a, "5", chan, error));
    EXPECT_FALSE(CheckChannelInput(*Schema, b, "1x", chan, error));
    EXPECT_EQ(error, "Invalid Channel");
    EXPECT_EQ(OtherSensors(*Schema, b).size(), 2u);
}

TEST(SchemaInput, NumberEditsTakeTheirNumbers) {
    using N = TSchemaNumber;
    EXPECT_TRUE(IsNumberText(SchemaNumberRule(N::Length), "-1.5"));
    EXPECT_FALSE(IsNumberText(SchemaNumberRule(N::Length), "1,2,3"));
    EXPECT_TRUE(IsNumberText(SchemaNumberRule(N::Angle), "-45"));
    EXPECT_FALSE(IsNumberText(SchemaNumberRule(N::Angle), "4,5"));
    EXPECT_TRUE(IsNumberText(SchemaNumberRule(N::Scale), "250"));
    EXPECT_FALSE(IsNumberText(SchemaNumberRule(N::Scale), "-250"));
    EXPECT_EQ(ScaleInputText(""), "1000");
    EXPECT_EQ(ScaleInputText("0"), "1000");
    EXPECT_EQ(ScaleInputText("x"), "1000");
    EXPECT_EQ(ScaleInputText(" 250 "), "250");
}

TEST_F(TSchemaFixture, ErrorsAreCollectedOnceEach) {
    TAEOBJ3D* pipe = Add(*Schema, TSchemaAddKind::Pipe);
    TAEOBJ3D* pae = Add(*pipe, TSchemaAddKind::PAE);
    pipe->SetErrorText("No length");
    pae->SetErrorText("No length");
    Schema->SetErrorText("Scale");
    std::string text;
    Schema->CollectErrors(text);
    EXPECT_EQ(text, "Scale\r\nNo length");
    Schema->ClearErrors();
    text.clear();
    Schema->CollectErrors(text);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(Schema->FindById(pae->ID()), pae);
    EXPECT_FALSE(Schema->IsIdglFree(pae->IDGL()));
    EXPECT_EQ(pae->Schema(), Schema.get());
}

} // namespace
} // namespace vorelt
