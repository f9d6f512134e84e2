// The turn-off filter on in-memory streams: window bounds, zero windows, the empty condition,
// the switch and location, errors, positions and messages of its own index space, persistence,
// and agreement with a direct pairwise reading of the rule on random streams.

#include "FilterStreamSupport.h"
#include "FilterTestSupport.h"

#include "persist/TNodePersist.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/filter/TLCCondition.h"

#include <gtest/gtest.h>

#include <random>

namespace vorelt::test {
namespace {

using TPositions = std::vector<int32_t>;

class TFakeLocation : public TGVSource {
public:
    std::string ClassName() const override { return "TestLocation"; }
    bool IsLocated() const override { return true; }
};

class TurnOffFilter : public ::testing::Test {
protected:
    TurnOffFilter() {
        RegisterFilterClasses();
        Stream = MakeStream(Holder);
        Filter = Stream->AddNew<TGVCPUTurnOffFltr>();
        Filter->SetName("OF01");
        Filter->SetEnabledFilter(true);
    }
    // Channel 9 marks the disturbing hits.
    void TriggerOnChannel9() {
        Filter->Condition().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "9"));
    }
    // Parent positions the filter keeps.
    TPositions KeptPositions() {
        TPositions out;
        for (int32_t i : WalkForward(*Filter))
            out.push_back(Filter->Kept()[static_cast<size_t>(i)].Pos);
        return out;
    }

    std::unique_ptr<TGVCPUMemorySource> Holder;
    TGVCPUMemorySource* Stream = nullptr;
    TGVCPUTurnOffFltr* Filter = nullptr;
};

TEST_F(TurnOffFilter, EmptyConditionRemovesEveryHitButKeepsMessages) {
    AddHit(*Stream, 1, 1);
    Stream->AddRecord(rkTimeMark);
    AddHit(*Stream, 2, 1);
    Stream->AddRecord(rkComment);
    EXPECT_EQ(KeptPositions(), (TPositions{1, 3}));
}

TEST_F(TurnOffFilter, WindowBoundsAreInclusiveToTheMicrosecond) {
    Filter->SetDeltaBefore(1500);
    Filter->SetDeltaAfter(250);
    TriggerOnChannel9();
    AddHit(*Stream, 98.499, 1);         // 0: 1501 us before: passes
    AddHit(*Stream, 98.5, 1);           // 1: exactly DeltaBefore before: removed
    AddHit(*Stream, 100.0, 9);          // 2: trigger
    AddHit(*Stream, 100.25, 1);         // 3: exactly DeltaAfter after: removed
    AddHit(*Stream, 100.251, 1);        // 4: one microsecond later: passes
    AddHit(*Stream, 1012.345, 9);       // 5: trigger at a time without an exact binary form
    AddHit(*Stream, 1012.595, 1);       // 6: exactly 250 us after: removed
    AddHit(*Stream, 1010.845 + 2.0, 2); // 7: 1012.845, 500 us after: passes
    EXPECT_EQ(KeptPositions(), (TPositions{0, 4, 7}));
}

TEST_F(TurnOffFilter, ZeroWindowsRemoveTriggersAndHitsAtTheSameMillisecond) {
    TriggerOnChannel9();
    AddHit(*Stream, 5, 1);
    AddHit(*Stream, 5.001, 1);
    AddHit(*Stream, 5.001, 9);
    AddHit(*Stream, 5.001, 2);
    AddHit(*Stream, 5.002, 1);
    EXPECT_EQ(KeptPositions(), (TPositions{0, 4}));
}

TEST_F(TurnOffFilter, SwitchedOffOrBelowLocationPassesTheParentThrough) {
    TriggerOnChannel9();
    for (int k = 0; k < 6; ++k)
        AddHit(*Stream, k, k % 2 ? 9 : 1);
    EXPECT_EQ(WalkForward(*Filter), (TPositions{0, 1, 2}));
    Filter->SetEnabledFilter(false);
    EXPECT_EQ(WalkForward(*Filter), WalkForward(*Stream));
    EXPECT_EQ(WalkBackward(*Filter), WalkBackward(*Stream));

    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* stream = MakeStream(holder);
    for (int k = 0; k < 6; ++k)
        AddHit(*stream, k, 9);
    auto* located = stream->AddNew<TFakeLocation>()->AddNew<TGVCPUTurnOffFltr>();
    located->SetEnabledFilter(true);
    EXPECT_TRUE(located->Located());
    EXPECT_EQ(WalkForward(*located), WalkForward(*stream));
}

TEST_F(TurnOffFilter, MovingBelowALocationProcessorIsNoticed) {
    TriggerOnChannel9();
    for (int k = 0; k < 6; ++k)
        AddHit(*Stream, k, k % 2 ? 9 : 1);
    EXPECT_FALSE(Filter->Located());
    EXPECT_EQ(WalkForward(*Filter), (TPositions{0, 1, 2}));
    auto* location = Stream->AddNew<TFakeLocation>();
    ASSERT_TRUE(Filter->MoveTo(location));
    EXPECT_TRUE(Filter->Located());
    EXPECT_EQ(WalkForward(*Filter), WalkForward(*Stream));
}

TEST_F(TurnOffFilter, OwnPositionsFollowTheProtocol) {
    Filter->SetDeltaAfter(1000);
    TriggerOnChannel9();
    AddHit(*Stream, 0, 1);         // kept 0
    Stream->AddRecord(rkTimeMark); // kept 1
    AddHit(*Stream, 10, 9);
    AddHit(*Stream, 10.5, 2);
    AddHit(*Stream, 20, 3); // kept 2
    TAERecord record;
    Filter->PrepareRecord(record);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    EXPECT_EQ(Filter->FirstRecord(nav, record, -1), 0);
    EXPECT_EQ(Filter->NextRecord(nav, record, 0), 2);
    EXPECT_EQ(Filter->NextRecord(nav, record, 2), 2);
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    EXPECT_EQ(Filter->PriorRecord(nav, record, 0), 0);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    EXPECT_EQ(Filter->NextRecord(nav, record, 3), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    EXPECT_EQ(nav.Out.Message, "Data Out Range");
    EXPECT_EQ(Filter->PriorRecord(nav, record, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNegativeIndex);
    Filter->ReadRecord(nav, record, 2);
    EXPECT_EQ(record.Index(), 4);
    EXPECT_EQ(record.FindByID(fidChan)->GetAsInt64(), 3);
    EXPECT_EQ(Filter->RecordCount(nav, record), 2);
    nav.Kinds = KindBit(rkComment);
    EXPECT_EQ(Filter->FirstRecord(nav, record, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
}

TEST_F(TurnOffFilter, MessagesTranslatePositions) {
    TriggerOnChannel9();
    for (int k = 0; k < 6; ++k)
        AddHit(*Stream, k, k == 2 ? 9 : 1);
    WalkForward(*Filter); // kept parent positions 0 1 3 4 5
    std::vector<int32_t> list{0, 2, 3, 5};
    Filter->ListFromParent(list);
    EXPECT_EQ(list, (std::vector<int32_t>{0, 2, 4}));
    Filter->ListToParent(list);
    EXPECT_EQ(list, (std::vector<int32_t>{0, 3, 5}));

    // A mark request for a removed record reaches the children as no record.
    struct TMarkLog : TGVSource {
        std::vector<int32_t> Got;
        void Dispatch(TAEOMSG& msg) override {
            if (msg.Msg == omMarkRecord) Got = msg.List;
        }
    };
    auto* log = Filter->AddNew<TMarkLog>();
    TAEOMSG mark;
    mark.Msg = omMarkRecord;
    mark.List = {2};
    Stream->SendDown(mark);
    EXPECT_EQ(log->Got, (std::vector<int32_t>{-1}));
    mark.List = {3};
    Stream->SendDown(mark);
    EXPECT_EQ(log->Got, (std::vector<int32_t>{2}));
}

TEST_F(TurnOffFilter, UnsortedHitsFailTheComputationUntilChanged) {
    TriggerOnChannel9();
    AddHit(*Stream, 5, 1);
    Stream->AddRecord(rkTimeMark);
    AddHit(*Stream, 4, 1);
    TAERecord record;
    Filter->PrepareRecord(record);
    TAEPNav nav;
    EXPECT_EQ(Filter->FirstRecord(nav, record, -1), -1);
    EXPECT_TRUE(nav.Out.Status & nsError);
    EXPECT_EQ(nav.Out.Message, "UnSorted File[OF01]");
    EXPECT_EQ(Filter->NextRecord(nav, record, 0), -1);
    EXPECT_EQ(nav.Out.Message, "UnSorted File[OF01]");
    EXPECT_TRUE(WalkForward(*Filter).empty());

    Stream->SetValue(2, posTimeMS, 6);
    TAEOMSG changed;
    changed.Msg = omDataChanged;
    Filter->Dispatch(changed);
    EXPECT_EQ(KeptPositions(), (TPositions{0, 1, 2}));
}

TEST_F(TurnOffFilter, ParentErrorFailsTheComputation) {
    AddHit(*Stream, 1, 1);
    Stream->SetFailed("Source Broken");
    TAERecord record;
    Filter->PrepareRecord(record);
    TAEPNav nav;
    EXPECT_EQ(Filter->FirstRecord(nav, record, -1), -1);
    EXPECT_TRUE(nav.Out.Status & nsError);
    EXPECT_EQ(nav.Out.Message, "Source Broken");
}

TEST_F(TurnOffFilter, AConditionErrorRemovesTheHitAndItsWindow) {
    Filter->SetDeltaAfter(1000);
    Filter->Condition().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "x"));
    Filter->Condition().SetOperation(lcOr);
    Filter->Condition().Add(std::make_unique<TLCCondition>(fidAmpl, coLess, "0"));
    AddHit(*Stream, 1, 1);
    Stream->SetValue(AddHit(*Stream, 1.5, 1), posChan, 0);
    int32_t far = Stream->AddRecord(rkHit); // channel null: no error, not a trigger
    Stream->SetValue(far, posTimeMS, 10);
    EXPECT_EQ(KeptPositions(), (TPositions{2}));
}

TEST_F(TurnOffFilter, PersistenceRoundTrip) {
    TriggerOnChannel9();
    Filter->SetDeltaBefore(100);
    Filter->SetDeltaAfter(2000);
    TNodePersist node("OBJ");
    Filter->SaveToNode(node);
    EXPECT_EQ(node.GetValue("EnabledFilter"), "1");
    TNodePersist* cons = node.FindNode("LogCons");
    ASSERT_NE(cons, nullptr);
    EXPECT_EQ(cons->GetValue("ClassName"), "TLCTurnOff");
    EXPECT_EQ(cons->GetValue("DeltaAfter"), "2000");

    auto loaded = TClassRegistry::Instance().CreateAs<TGVCPUTurnOffFltr>("TGVCPUTurnOffFltr");
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->EnabledFilter());
    loaded->LoadFromNode(node);
    EXPECT_TRUE(loaded->EnabledFilter());
    EXPECT_EQ(loaded->Condition().DeltaBefore(), 100);
    EXPECT_EQ(loaded->Condition().DeltaAfter(), 2000);
    EXPECT_EQ(loaded->Condition().Count(), 1);
    TNodePersist again("OBJ");
    loaded->SaveToNode(again);
    EXPECT_TRUE(again.SameTree(node));

    loaded->Reset();
    EXPECT_FALSE(loaded->EnabledFilter());
    EXPECT_EQ(loaded->Condition().Count(), 0);
    EXPECT_EQ(loaded->Condition().DeltaAfter(), 0);
    EXPECT_EQ(loaded->ImageIndex(), 72);
    EXPECT_EQ(loaded->Condition().EditFlags(), efRoot);
}

// The rule read directly: a hit is removed when a triggering hit lies at most DeltaAfter
// before it or DeltaBefore after it (itself included).
TPositions Reference(const std::vector<long double>& times, const std::vector<int>& chans,
                     const std::vector<bool>& isHit, int32_t before, int32_t after) {
    TPositions kept;
    const int n = static_cast<int>(times.size());
    for (int p = 0; p < n; ++p) {
        bool removed = false;
        for (int q = 0; isHit[static_cast<size_t>(p)] && q < n && !removed; ++q) {
            if (!isHit[static_cast<size_t>(q)] || chans[static_cast<size_t>(q)] != 9) continue;
            long double d = (times[static_cast<size_t>(p)] - times[static_cast<size_t>(q)]) * 1000;
            if (q <= p)
                removed = d <= after + 1e-3L;
            else
                removed = -d <= before + 1e-3L;
        }
        if (!removed) kept.push_back(p);
    }
    return kept;
}

TEST_F(TurnOffFilter, AgreesWithThePairwiseRuleOnRandomStreams) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        std::unique_ptr<TGVCPUMemorySource> holder;
        TGVCPUMemorySource* stream = MakeStream(holder);
        auto* filter = stream->AddNew<TGVCPUTurnOffFltr>();
        filter->SetEnabledFilter(true);
        filter->Condition().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "9"));
        const int32_t before = static_cast<int32_t>(random() % 4) * 500;
        const int32_t after = static_cast<int32_t>(random() % 4) * 700;
        filter->SetDeltaBefore(before);
        filter->SetDeltaAfter(after);
        std::vector<long double> times;
        std::vector<int> chans;
        std::vector<bool> isHit;
        long double t = 0;
        for (int k = 0; k < 300; ++k) {
            t += static_cast<long double>(random() % 5) * 0.25L; // repeats and exact edges
            if (random() % 7 == 0) {
                stream->AddRecord(rkTimeMark);
                times.push_back(t);
                chans.push_back(0);
                isHit.push_back(false);
                continue;
            }
            int chan = random() % 6 == 0 ? 9 : 1;
            AddHit(*stream, t, chan);
            times.push_back(t);
            chans.push_back(chan);
            isHit.push_back(true);
        }
        TPositions kept;
        for (int32_t i : WalkForward(*filter))
            kept.push_back(filter->Kept()[static_cast<size_t>(i)].Pos);
        ASSERT_EQ(kept, Reference(times, chans, isHit, before, after))
            << "round " << round << " before " << before << " after " << after;
    }
}

TEST_F(TurnOffFilter, NeighbourCacheHoldsOnlyTheWindow) {
    Filter->SetDeltaBefore(2000); // two hits of 1 ms spacing ahead
    Filter->SetDeltaAfter(5000);
    TriggerOnChannel9();
    for (int k = 0; k < 50000; ++k)
        AddHit(*Stream, k, k % 100 == 0 ? 9 : 1);
    TPositions kept = KeptPositions();
    EXPECT_EQ(kept.size(), 50000u - 500u * 8u + 2u); // the first trigger has no hits before
    EXPECT_LE(Filter->PeakCacheSize(), 4u);
}

} // namespace
} // namespace vorelt::test
