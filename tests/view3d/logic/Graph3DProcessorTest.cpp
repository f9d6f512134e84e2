// The 3D graph processor without a view: where it may stand, what it collects, the activity
// of first hits by channel, its saved node and the identifiers its schema keeps.

#include "processing/TestProcessors.h"

#include "persist/TNodePersist.h"
#include "processing/graph3d/RegisterGraph3DClasses.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DSchema.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "viewmodel/dialogs/processors/TSchemaEditRules.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

using test::TTestFltr;
using test::TTestLoc;
using test::TTestTree;

struct TGraph3DFixture : ::testing::Test {
    TGraph3DFixture() {
        RegisterGraph3DClasses();
        Loc = Tree.Db->AddNew<TTestLoc>();
        Loc->SetID("0000000000006000");
        Graph = Loc->AddNew<TGVCPUGr3D>();
        Graph->SetID("0000000000007000");
        Graph->SetName("3D01");
    }
    // A hit on `chan`; `first` marks the first hit of a located event.
    int32_t Hit(int chan, bool first) {
        const int32_t i = Tree.Db->AddRecord(rkHit, 0, first ? (rfFirstHit | rfEventHit) : 0);
        Tree.Db->SetValue(i, 0, chan);
        return i;
    }
    TAEOBJ3D* AddSchema() {
        Graph->Data().SetSchema(Graph->Data().NewSchema("TAEOBJ3DPipesSchema"));
        return Graph->Data().Schema();
    }
    TAEOBJ3DPAEPS* Sensor(TAEOBJ3D& pipe, int32_t chan) {
        auto* s = static_cast<TAEOBJ3DPAEPS*>(AddSchemaObject(pipe, TSchemaAddKind::PAE));
        s->SetChannel(chan);
        return s;
    }
    TTestTree Tree;
    TTestLoc* Loc;
    TGVCPUGr3D* Graph;
};

TEST_F(TGraph3DFixture, StandsOnlyBelowALocationAndTakesNoChildren) {
    TGVCPUGr3D other;
    auto* fltr = Tree.Db->AddNew<TTestFltr>();
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&other, Tree.Db));
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(&other, fltr));
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(&other, Loc));
    auto* belowLoc = Loc->AddNew<TTestFltr>();
    EXPECT_TRUE(TGVCPU::CanPlaceBelow(&other, belowLoc));
    EXPECT_FALSE(TGVCPU::CanPlaceBelow(fltr, Graph));
    EXPECT_FALSE(Graph->MoveTo(fltr));
    EXPECT_EQ(Graph->Parent(), Loc);
    EXPECT_EQ(Graph->KindName(), "Graph3D Processor");
    EXPECT_EQ(Graph->ImageIndex(), 73);
    EXPECT_EQ(Graph->KindFlags(), 0x41);
}

TEST_F(TGraph3DFixture, CollectsEveryHitOrOnlyFirstHits) {
    const int32_t h0 = Hit(1, true);
    const int32_t h1 = Hit(2, false);
    Tree.Db->AddRecord(rkTimeMark);
    const int32_t h3 = Hit(2, true);
    Tree.Db->AddRecord(rkComment);
    const int32_t h5 = Hit(1, true);
    const int32_t h6 = Hit(3, false);

    ASSERT_TRUE(Graph->CollectRecords());
    // Records of other kinds are never asked for.
    EXPECT_EQ(Graph->Data().RecordPositions(), (std::vector<int32_t>{h0, h1, h3, h5, h6}));
    EXPECT_EQ(Graph->Nav().Kinds, KindBit(rkHit));
    // First hits by channel, whichever hits were collected.
    const std::map<int32_t, int32_t> firsts{{1, 2}, {2, 1}};
    EXPECT_EQ(Graph->Data().FirstHits(), firsts);

    Graph->SetFirstHitOnly(true);
    ASSERT_TRUE(Graph->CollectRecords());
    EXPECT_EQ(Graph->Data().RecordPositions(), (std::vector<int32_t>{h0, h3, h5}));
    EXPECT_EQ(Graph->Data().FirstHits(), firsts);

    // Not below a location processor the setting has no effect.
    Tree.Db->AddChild(std::unique_ptr<TGVCPU>(new TGVCPUGr3D()));
    auto* unlocated = static_cast<TGVCPUGr3D*>(Tree.Db->Child(Tree.Db->ChildCount() - 1));
    unlocated->SetFirstHitOnly(true);
    ASSERT_TRUE(unlocated->CollectRecords());
    EXPECT_EQ(unlocated->Data().RecordPositions().size(), 5u);
}

TEST_F(TGraph3DFixture, TheLegendListsSensorsByChannelThenChannelsWithoutSensor) {
    TAEOBJ3D* schema = AddSchema();
    TAEOBJ3D* pipe = AddSchemaObject(*schema, TSchemaAddKind::Pipe);
    Sensor(*pipe, 3);
    Sensor(*pipe, 1);
    Sensor(*pipe, 0); // no channel: not in the legend
    for (int i = 0; i < 10; ++i)
        Hit(1, true);
    Hit(1, false);
    Hit(2, true);
    Hit(2, true);
    Hit(9, true);
    ASSERT_TRUE(Graph->CollectRecords());
    const std::vector<TActivityEntry> legend = Graph->Data().ActivityLegend();
    ASSERT_EQ(legend.size(), 4u);
    EXPECT_EQ(legend[0].Channel, 1);
    EXPECT_EQ(legend[0].FirstHits, 10);
    EXPECT_EQ(legend[0].Level, ActivityLevels);
    EXPECT_EQ(legend[0].Sensor, "PAE02 Chan \xE2\x84\x96 1");
    EXPECT_EQ(legend[1].Channel, 3);
    EXPECT_EQ(legend[1].FirstHits, 0);
    EXPECT_EQ(legend[1].Level, 0);
    EXPECT_NE(legend[1].IDGL, 0);
    // Channels with hits and no sensor follow; one hit of ten is already level 1.
    EXPECT_EQ(legend[2].Channel, 2);
    EXPECT_EQ(legend[2].Level, 1);
    EXPECT_TRUE(legend[2].Sensor.empty());
    EXPECT_EQ(legend[3].Channel, 9);
    EXPECT_EQ(legend[3].FirstHits, 1);
    EXPECT_EQ(ActivityColor(0), 0x808080u);
    EXPECT_EQ(ActivityColor(ActivityLevels), 0xFF0000u);
}

TEST_F(TGraph3DFixture, ReadyOnlyWithASchema) {
    EXPECT_EQ(Graph->CheckReady(), 1);
    AddSchema();
    EXPECT_EQ(Graph->CheckReady(), -1);
}

TEST_F(TGraph3DFixture, SavesFirstHitThenTheViewPartsInOrder) {
    TAEOBJ3D* schema = AddSchema();
    TAEOBJ3D* pipe = AddSchemaObject(*schema, TSchemaAddKind::Pipe);
    Sensor(*pipe, 4);
    Graph->SetFirstHitOnly(true);
    Graph->Data().SetShowActivity(false);
    TAEField* chan = Graph->FindField(fidChan);
    ASSERT_NE(chan, nullptr);
    EXPECT_TRUE(Graph->Data().AddInfoField(*chan));
    EXPECT_FALSE(Graph->Data().AddInfoField(*chan));

    TNodePersist node("OBJ");
    Graph->SaveToNode(node);
    EXPECT_EQ(node.GetValue("FirstHit"), "1");
    const TNodePersist* visual = node.FindNode("VisualClass");
    ASSERT_NE(visual, nullptr);
    EXPECT_EQ(visual->GetValue("ClassName"), "TGraph3DVC");
    EXPECT_EQ(visual->GetValue("ShowActivity"), "0");
    ASSERT_EQ(visual->NodeCount(), 2);
    EXPECT_EQ(visual->Node(0)->Name(), "Schema");
    EXPECT_EQ(visual->Node(1)->Name(), "FIELDSINFO");

    // Loaded into another tree, the schema keeps every identifier.
    TTestTree other;
    auto* loc = other.Db->AddNew<TTestLoc>();
    auto* copy = loc->AddNew<TGVCPUGr3D>();
    copy->LoadFromNode(node);
    EXPECT_TRUE(copy->GetFirstHitOnly());
    EXPECT_FALSE(copy->Data().ShowActivity());
    ASSERT_NE(copy->Data().Schema(), nullptr);
    EXPECT_EQ(copy->Data().Schema()->ID(), schema->ID());
    EXPECT_EQ(copy->Data().Schema()->IDGL(), schema->IDGL());
    EXPECT_EQ(copy->Data().Schema()->Child(0)->IDGL(), pipe->IDGL());
    EXPECT_TRUE(copy->Data().UsesField(fidChan));
    TNodePersist again("OBJ");
    copy->SaveToNode(again);
    EXPECT_TRUE(again.SameTree(node));

    // A second graph of the same project loading the same node must not take the name of
    // the first schema.
    auto* twin = Loc->AddNew<TGVCPUGr3D>();
    twin->LoadFromNode(node);
    ASSERT_NE(twin->Data().Schema(), nullptr);
    EXPECT_EQ(twin->Data().Schema()->ID(), schema->ID());
    EXPECT_NE(twin->Data().Schema()->IDGL(), schema->IDGL());
    EXPECT_FALSE(Graph->IsNumberFree(pipe->IDGL()));
    EXPECT_FALSE(Tree.Db->IsNumberFree(schema->IDGL()));

    // A schema node of a class that is not a schema class leaves the graph without one.
    TNodePersist bad("OBJ");
    Graph->SaveToNode(bad);
    bad.FindNode("VisualClass")->FindNode("Schema")->ClearItems();
    twin->LoadFromNode(bad);
    EXPECT_EQ(twin->Data().Schema(), nullptr);
}

TEST_F(TGraph3DFixture, InformationFieldsAreUsesButNotDeepDeclarations) {
    TAEField* chan = Graph->FindField(fidChan);
    ASSERT_NE(chan, nullptr);
    Graph->Data().AddInfoField(*chan);
    // Twice under one ID, as an old project may hold it.
    Graph->Data().InfoFields().Add(Graph->Data().InfoFields().Get(0)->Clone());
    std::vector<std::string> lines;
    Graph->CollectFieldUses(fidChan, lines, false);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Field: " + chan->FieldName() + "[3D01]");
    EXPECT_TRUE(Graph->DeclaresField(fidChan, false));
    EXPECT_FALSE(Graph->DeclaresField(fidChan, true));
    Graph->RemoveField(fidChan);
    EXPECT_EQ(Graph->Data().InfoFields().Count(), 0);
}

TEST_F(TGraph3DFixture, SchemaObjectsTakeNumbersThatTheProjectDoesNotUse) {
    TAEOBJ3D* schema = AddSchema();
    TAEOBJ3D* pipe = AddSchemaObject(*schema, TSchemaAddKind::Pipe);
    EXPECT_EQ(pipe->ID().size(), 16u);
    EXPECT_FALSE(Tree.Db->IsNumberFree(pipe->IDGL()));
    EXPECT_NE(pipe->IDGL(), schema->IDGL());
    // The schema reports its changes as a silent modification of the project.
    Tree.Context.TopMessages.clear();
    pipe->Changed(true);
    ASSERT_FALSE(Tree.Context.TopMessages.empty());
    EXPECT_EQ(Tree.Context.TopMessages.back(), omModifiedSilent);
}

} // namespace
} // namespace vorelt
