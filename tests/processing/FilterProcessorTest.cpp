// The filtering processor on an in-memory stream: which positions pass in every direction,
// non-hit messages, the switch, event members judged on their first hit (also through a
// processor that renumbers records), errors, settings and persistence.

#include "FilterStreamSupport.h"
#include "FilterTestSupport.h"

#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "processing/IProcessorContext.h"
#include "processing/filter/IProjectVariants.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TFilterCommon.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

using TPositions = std::vector<int32_t>;

class FilterProcessor : public ::testing::Test {
protected:
    FilterProcessor() {
        RegisterFilterClasses();
        Stream = MakeStream(Holder);
        Filter = Stream->AddNew<TGVCPUFltr>();
        Filter->SetName("FR01");
    }
    // Hits on channels 1..n in turn with amplitudes 40, 41, ...; a time mark after every
    // fourth record.
    void Fill(int hits) {
        for (int k = 0; k < hits; ++k) {
            AddHit(*Stream, k, 1 + k % 3, 40 + k);
            if (k % 4 == 3) Stream->AddRecord(rkTimeMark);
        }
    }
    TLCCondition* Require(const char* id, uint8_t op, std::string value) {
        return static_cast<TLCCondition*>(
            Filter->Condition().Add(std::make_unique<TLCCondition>(id, op, std::move(value))));
    }

    std::unique_ptr<TGVCPUMemorySource> Holder;
    TGVCPUMemorySource* Stream = nullptr;
    TGVCPUFltr* Filter = nullptr;
};

TEST_F(FilterProcessor, PassesMatchingHitsAndEveryOtherMessageInBothDirections) {
    Fill(8); // hits at 0 1 2 3 5 6 7 8 (channel 2 at 1, 5, 8), time marks at 4 and 9
    Require(fidChan, coEquals, "2");
    EXPECT_EQ(WalkForward(*Filter), (TPositions{1, 4, 5, 8, 9}));
    EXPECT_EQ(WalkBackward(*Filter), (TPositions{9, 8, 5, 4, 1}));
    // Only hits wanted: the time marks are not visited.
    EXPECT_EQ(WalkForward(*Filter, KindBit(rkHit)), (TPositions{1, 5, 8}));
    EXPECT_EQ(WalkBackward(*Filter, KindBit(rkHit)), (TPositions{8, 5, 1}));
}

TEST_F(FilterProcessor, EmptyConditionPassesEverything) {
    Fill(5);
    EXPECT_EQ(WalkForward(*Filter).size(), 6u);
    // What a consumer reads after each step is the parent's record.
    TAERecord record, direct;
    Filter->PrepareRecord(record);
    Stream->PrepareRecord(direct);
    TAEPNav nav, directNav;
    for (int32_t i = Filter->FirstRecord(nav, record, -1); !(nav.Out.Status & nsEndForward);
         i = Filter->NextRecord(nav, record, i)) {
        Filter->ReadRecord(nav, record, i);
        Stream->ReadRecord(directNav, direct, i);
        ASSERT_EQ(record.FieldCount(), direct.FieldCount());
        EXPECT_EQ(record.Kind(), direct.Kind()) << i;
        for (int f = 0; f < direct.FieldCount(); ++f)
            EXPECT_EQ(record.Field(f)->GetAsString(), direct.Field(f)->GetAsString()) << i;
    }
}

TEST_F(FilterProcessor, DisabledFilterIsTheParentsStream) {
    Fill(8);
    Require(fidChan, coEquals, "2");
    Filter->SetEnabledFilter(false);
    EXPECT_EQ(WalkForward(*Filter), WalkForward(*Stream));
    EXPECT_EQ(WalkBackward(*Filter), WalkBackward(*Stream));
}

TEST_F(FilterProcessor, LastStopsAtTheStartWhenNothingPasses) {
    Fill(6);
    Require(fidChan, coEquals, "9");
    TAERecord record;
    Filter->PrepareRecord(record);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    EXPECT_EQ(Filter->LastRecord(nav, record, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
    EXPECT_EQ(Filter->FirstRecord(nav, record, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
    EXPECT_TRUE(WalkBackward(*Filter, KindBit(rkHit)).empty());
}

TEST_F(FilterProcessor, MovesOverRunsOfFailingRecords) {
    Fill(12);
    Require(fidAmpl, coGreaterOrEquals, "50"); // hits 10 and 11, at positions 12 and 13
    Stream->AddRecord(rkHit);                  // a hit without values fails
    TAERecord record;
    Filter->PrepareRecord(record);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    EXPECT_EQ(Filter->LastRecord(nav, record, -1), 13);
    EXPECT_EQ(Filter->PriorRecord(nav, record, 13), 12);
    EXPECT_EQ(Filter->PriorRecord(nav, record, 12), -1);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    EXPECT_EQ(Filter->NextRecord(nav, record, 2), 12);
    EXPECT_EQ(Filter->NextRecord(nav, record, 13), -1);
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    // Bad positions are the parent's "Data Out Range".
    EXPECT_EQ(Filter->NextRecord(nav, record, -5), -1);
    EXPECT_EQ(nav.Out.Status, nsNegativeIndex);
    EXPECT_EQ(nav.Out.Message, "Data Out Range");
    EXPECT_EQ(Filter->PriorRecord(nav, record, 99), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
}

TEST_F(FilterProcessor, EmptyInnerBlockFailsEveryHitButNotOtherMessages) {
    Fill(8);
    Filter->Condition().Add(std::make_unique<TLCBlock>(lcOr));
    EXPECT_EQ(WalkForward(*Filter), (TPositions{4, 9}));
}

TEST_F(FilterProcessor, ParentErrorEndsTheWalkWithTheErrorStatus) {
    Fill(4);
    Require(fidChan, coEquals, "2");
    Stream->SetFailed("Source Broken");
    TAERecord record;
    Filter->PrepareRecord(record);
    TAEPNav nav;
    EXPECT_EQ(Filter->FirstRecord(nav, record, -1), -1);
    EXPECT_TRUE(nav.Out.Status & nsError);
    EXPECT_EQ(nav.Out.Message, "Source Broken");
    EXPECT_EQ(Filter->LastRecord(nav, record, -1), -1);
    EXPECT_TRUE(nav.Out.Status & nsError);
}

// Events: positions 0-2 are one event whose first hit (1) has channel 2, positions 3-4 an
// event whose first hit (4) has channel 3, position 5 a single hit on channel 2.
class FilterEvents : public FilterProcessor {
protected:
    void FillEvents(TGVCPUMemorySource& s) {
        struct THit {
            int Chan;
            int First;
            uint8_t Flags;
        };
        const THit hits[] = {
            {1, 1, rfEventHit}, {2, 1, rfEventHit | rfFirstHit}, {3, 1, rfEventHit},
            {2, 4, rfEventHit}, {3, 4, rfEventHit | rfFirstHit}, {2, -1, 0}};
        for (const THit& h : hits) {
            int32_t i = AddHit(s, s.Count(), h.Chan);
            if (h.First >= 0) s.SetValue(i, posFirstHit, h.First);
            s.SetEventFlags(i, h.Flags);
        }
    }
};

TEST_F(FilterEvents, MembersPassOrFailWithTheirFirstHit) {
    FillEvents(*Stream);
    Require(fidChan, coEquals, "2");
    EXPECT_EQ(WalkForward(*Filter), (TPositions{0, 1, 2, 5}));
    EXPECT_EQ(WalkBackward(*Filter), (TPositions{5, 2, 1, 0}));
}

TEST_F(FilterEvents, FirstHitIndexIsCarriedThroughARenumberingProcessor) {
    // The filter sits below a processor that reverses the order and drops the stream's
    // position 5; the first-hit index stays in the stream's numbering.
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* stream = MakeStream(holder);
    FillEvents(*stream);
    stream->AddRecord(rkTimeMark); // position 6
    auto* reverse = stream->AddNew<TReverseProcessor>();
    reverse->Dropped = {5};
    auto* filter = reverse->AddNew<TGVCPUFltr>();
    filter->Condition().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "2"));

    // Own order of the reverse processor: 6 4 3 2 1 0 (stream positions).
    std::vector<int32_t> passed = WalkForward(*filter);
    std::vector<int32_t> expected;
    for (int32_t p : {6, 2, 1, 0})
        expected.push_back(reverse->OwnIndexOf(p));
    // Read at the untranslated index the first event's members would meet stream position 4
    // (channel 3) and fail, and the second event's member would meet position 1 and pass.
    EXPECT_EQ(passed, expected);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(WalkBackward(*filter), expected);
}

TEST_F(FilterEvents, AMemberWhoseFirstHitIsGoneIsJudgedOnItself) {
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* stream = MakeStream(holder);
    FillEvents(*stream);
    auto* reverse = stream->AddNew<TReverseProcessor>();
    reverse->Dropped = {4};
    auto* filter = reverse->AddNew<TGVCPUFltr>();
    filter->Condition().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "2"));
    // Position 3 belongs to the event whose first hit (4) was dropped: its own channel 2
    // passes.
    std::vector<int32_t> passed = WalkForward(*filter);
    std::vector<int32_t> expected;
    for (int32_t p : {5, 3, 2, 1, 0})
        expected.push_back(reverse->OwnIndexOf(p));
    EXPECT_EQ(passed, expected);
}

// A consumer reads each record right after the step to it; the filter hands over the hit it
// has just judged. Whatever the path, the record must be the parent's, and fields the
// consumer adds must come empty.
TEST_F(FilterEvents, ARecordReadAfterTheStepIsTheParentsRecord) {
    FillEvents(*Stream);
    Stream->AddRecord(rkTimeMark);
    Require(fidChan, coEquals, "2");
    TAERecord record;
    Filter->PrepareRecord(record);
    auto own = std::make_unique<TAEFields>();
    own->Add(NewStandardField(fidEnergy, dtExtended));
    TAEField* extra = record.AddFields(std::move(own))->Get(0);
    auto expectParents = [&](int32_t i, const TAEPNav& nav) {
        TAERecord direct;
        Stream->PrepareRecord(direct);
        TAEPNav directNav;
        Stream->ReadRecord(directNav, direct, i);
        EXPECT_EQ(record.Kind(), direct.Kind()) << i;
        EXPECT_EQ(record.Index(), direct.Index()) << i;
        EXPECT_EQ(record.RecFlags(), direct.RecFlags()) << i;
        EXPECT_EQ(nav.Out.Status, directNav.Out.Status) << i;
        EXPECT_EQ(nav.Out.EventFlags, directNav.Out.EventFlags) << i;
        for (int f = 0; f < direct.FieldCount(); ++f) {
            EXPECT_EQ(record.Field(f)->IsNull(), direct.Field(f)->IsNull()) << i << " " << f;
            EXPECT_EQ(record.Field(f)->GetAsString(), direct.Field(f)->GetAsString())
                << i << " " << f;
        }
        EXPECT_TRUE(extra->IsNull()) << i;
    };
    TAEPNav nav;
    std::vector<int32_t> read;
    for (int32_t i = Filter->FirstRecord(nav, record, -1); !(nav.Out.Status & nsEndForward);
         i = Filter->NextRecord(nav, record, i)) {
        extra->SetAsFloat(1);
        Filter->ReadRecord(nav, record, i);
        expectParents(i, nav);
        // Read again, the record comes from the parent and is the same.
        extra->SetAsFloat(1);
        Filter->ReadRecord(nav, record, i);
        expectParents(i, nav);
        read.push_back(i);
    }
    // Members 0 and 2 were judged on their first hit, 1: their own values came back.
    EXPECT_EQ(read, (TPositions{0, 1, 2, 5, 6}));
    // A record other than the one judged last.
    Filter->NextRecord(nav, record, 0);
    Filter->ReadRecord(nav, record, 5);
    expectParents(5, nav);
}

struct TVariantsContext : IProcessorContext, IProjectVariants {
    TGVVariants Variants;
    IIDGenerator* IDGenerator() override { return nullptr; }
    IUserPrompt* Prompt() override { return nullptr; }
    void TopMessage(TAEOMSG&) override {}
    const TGVVariants* ProjectVariants() const override { return &Variants; }
};

TEST_F(FilterProcessor, VariantValuesAreReadAgainAtEveryWalk) {
    TVariantsContext context;
    Stream->SetContext(&context);
    auto v = std::make_unique<TGVIntegerVariant>();
    v->SetID("0000000000200001");
    v->SetAsInt64(2);
    TGVVariant* variant = context.Variants.Get(context.Variants.Add(std::move(v)));
    Fill(6);
    Filter->Condition().Add(
        std::make_unique<TLCCondition>(fidChan, coEquals, "", "0000000000200001"));
    EXPECT_EQ(WalkForward(*Filter, KindBit(rkHit)), (TPositions{1, 5}));
    variant->SetAsInt64(3);
    EXPECT_EQ(WalkForward(*Filter, KindBit(rkHit)), (TPositions{2, 6}));
}

TEST_F(FilterProcessor, FieldMaintenance) {
    Fill(4);
    Require(fidChan, coEquals, "2");
    Require(fidAmpl, coGreater, "0");
    auto* child = Filter->AddNew<TGVCPU>();
    (void)child;
    EXPECT_TRUE(Filter->DeclaresField(fidChan, true));
    EXPECT_FALSE(Filter->DeclaresField(fidTime, true));
    Filter->SetEnabledFilter(false);
    EXPECT_FALSE(Filter->DeclaresField(fidChan, true));
    EXPECT_TRUE(Filter->DeclaresField(fidChan, false));
    Filter->SetEnabledFilter(true);

    std::vector<std::string> lines;
    Filter->CollectFieldUses(fidChan, lines, true);
    EXPECT_EQ(lines, (std::vector<std::string>{"Field: Chan[FR01]"}));

    Filter->RemoveField(fidChan);
    EXPECT_EQ(Filter->Condition().Count(), 1);
    EXPECT_FALSE(Filter->DeclaresField(fidChan, false));
    EXPECT_EQ(WalkForward(*Filter, KindBit(rkHit)).size(), 4u);
}

TEST_F(FilterProcessor, ResetSwitchesTheFilterBackOnWithAnEmptyCondition) {
    Fill(4);
    Require(fidChan, coEquals, "2");
    Filter->SetEnabledFilter(false);
    Filter->Reset();
    EXPECT_TRUE(Filter->EnabledFilter());
    EXPECT_EQ(Filter->Condition().Count(), 0);
    EXPECT_EQ(Filter->Condition().EditFlags(), efRoot);
    EXPECT_NE(Filter->Properties().FindAs<TGVStringProperty>("Title"), nullptr);
    EXPECT_EQ(WalkForward(*Filter), WalkForward(*Stream));
}

TEST_F(FilterProcessor, TitleMakesTheDisplayName) {
    EXPECT_EQ(Filter->GetName(), "FR01");
    auto* title = Filter->Properties().FindAs<TGVStringProperty>("Title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetDisplayName(), "Title");
    title->SetAsString(" Noise ");
    EXPECT_EQ(Filter->GetName(), "Noise [FR01]");
}

TEST_F(FilterProcessor, PersistenceRoundTrip) {
    Fill(8);
    Require(fidChan, coEquals, "2");
    auto* block =
        static_cast<TLCBlock*>(Filter->Condition().Add(std::make_unique<TLCBlock>(lcNotOr)));
    block->Add(std::make_unique<TLCCondition>(fidAmpl, coLess, "41"));
    Filter->Properties().FindAs<TGVStringProperty>("Title")->SetAsString("Band");
    Filter->SetEnabledFilter(false);

    TNodePersist node("OBJ");
    Filter->SaveToNode(node);
    EXPECT_EQ(node.GetValue("ClassName"), "TGVCPUFltr");
    EXPECT_EQ(node.GetValue("EnabledFilter"), "0");
    ASSERT_NE(node.FindNode("LogCons"), nullptr);

    auto loaded = TClassRegistry::Instance().CreateAs<TGVCPUFltr>("TGVCPUFltr");
    ASSERT_TRUE(loaded);
    loaded->LoadFromNode(node);
    EXPECT_FALSE(loaded->EnabledFilter());
    EXPECT_EQ(loaded->Condition().EditFlags(), efRoot);
    EXPECT_EQ(TitleOf(loaded->Properties()), "Band");
    TNodePersist again("OBJ");
    loaded->SaveToNode(again);
    EXPECT_TRUE(again.SameTree(node));

    // Loaded below a stream it filters like the original.
    TGVCPUFltr* placed =
        static_cast<TGVCPUFltr*>(Stream->Child(Stream->AddChild(std::move(loaded))));
    EXPECT_EQ(placed->Condition().GetText(), Filter->Condition().GetText());
    EXPECT_EQ(placed->Condition().GetText(), "( AE Channel = 2 AND NOT ( Amplitude < 41 ) )");
    placed->SetEnabledFilter(true);
    Filter->SetEnabledFilter(true);
    EXPECT_EQ(WalkForward(*placed), WalkForward(*Filter));
    EXPECT_EQ(WalkForward(*placed), (TPositions{1, 4, 5, 8, 9}));
}

} // namespace
} // namespace vorelt::test
