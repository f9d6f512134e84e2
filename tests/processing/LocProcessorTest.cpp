#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "persist/TNodePersist.h"
#include "processing/IProcessorContext.h"
#include "processing/RegisterProcessingBaseClasses.h"
#include "processing/TGVCPUMemorySource.h"
#include "processing/location/RegisterLocationClasses.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace vorelt {
namespace {

constexpr int fpTime = 0;
constexpr int fpChan = 1;
constexpr int fpAmpl = 2;

class TCaptureContext : public IProcessorContext {
public:
    IIDGenerator* IDGenerator() override { return nullptr; }
    IUserPrompt* Prompt() override { return nullptr; }
    void TopMessage(TAEOMSG& msg) override { Received.push_back(msg); }
    std::vector<TAEOMSG> Received;
};

// A pass-through child that remembers the messages it receives.
class TProbe : public TGVCPU {
public:
    void Dispatch(TAEOMSG& msg) override {
        Received.push_back(msg);
        TGVCPU::Dispatch(msg);
    }
    std::vector<TAEOMSG> Received;
};

struct TRow {
    uint8_t Kind;
    long double Time;
    int Chan;
    int Amp;
};

class LocProcessor : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProcessingBaseClasses();
        RegisterLocationClasses();
        auto set = std::make_unique<TAEFields>();
        set->SetName("Database Fields");
        set->SetKind(1);
        set->Add(NewStandardField(fidTime, dtExtended));
        set->Add(NewStandardField(fidChan, dtByte));
        set->Add(NewStandardField(fidAmpl, dtByte));
        Source.AddSourceSet(std::move(set));
        Source.SetContext(&Context);
        Loc = Source.AddNew<TGVCPULoc>();
        Loc->SetName("LC01");
        Probe = Loc->AddNew<TProbe>();
    }

    void Add(const std::vector<TRow>& rows) {
        for (const TRow& r : rows) {
            const int32_t i = Source.AddRecord(r.Kind);
            if (r.Kind != rkHit) continue;
            Source.SetValue(i, fpTime, r.Time);
            Source.SetValue(i, fpChan, r.Chan);
            Source.SetValue(i, fpAmpl, r.Amp);
        }
    }

    TLocOutMPT& MPT() { return dynamic_cast<TLocOutMPT&>(Loc->Algorithm()); }

    struct TSeen {
        int32_t Index;
        int32_t SourceIndex;
        uint8_t RecFlags;
        uint8_t EventFlags;
        std::optional<int64_t> Type;
    };
    // The consumer loop below the location processor.
    std::vector<TSeen> Walk(uint16_t kinds = 0) {
        TAERecord rec;
        Probe->PrepareRecord(rec);
        TAEPNav nav;
        nav.Kinds = kinds;
        std::vector<TSeen> out;
        std::string error;
        const bool ok = ConsumeRecords(
            *Probe, nav, rec,
            [&](TAERecord& r, int32_t i) {
                TAEField* type = r.FindByID(fidTypeLocHit);
                out.push_back(
                    {i, r.Index(), r.RecFlags(), nav.Out.EventFlags,
                     type->IsNull() ? std::nullopt : std::optional<int64_t>(type->GetAsInt64())});
                return true;
            },
            error);
        EXPECT_TRUE(ok) << error;
        return out;
    }

    TCaptureContext Context;
    TGVCPUMemorySource Source;
    TGVCPULoc* Loc = nullptr;
    TProbe* Probe = nullptr;
};

TEST_F(LocProcessor, StreamCarriesEventFieldsAndFlags) {
    MPT().SetLockOut(50);
    MPT().SetMPT(10);
    Loc->SetChannelType(9, ctUnused);
    Add({{rkTimeMark, 0, 0, 0},
         {rkHit, 100, 1, 60},
         {rkHit, 104, 2, 55},
         {rkHit, 105, 9, 70}, // unused: vanishes
         {rkComment, 0, 0, 0},
         {rkHit, 120, 3, 45}, // discarded after the event
         {rkHit, 300, 1, 80}});
    const std::vector<TSeen> seen = Walk();
    ASSERT_EQ(seen.size(), 6u);
    const int32_t sourceIdx[] = {0, 1, 2, 4, 5, 6};
    const uint8_t flags[] = {0, 0x0C, 0x08, 0, 0, 0x0C};
    const std::optional<int64_t> types[] = {std::nullopt, 1, 2, std::nullopt, 4, 1};
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].Index, static_cast<int32_t>(i));
        EXPECT_EQ(seen[i].SourceIndex, sourceIdx[i]) << i;
        EXPECT_EQ(seen[i].RecFlags & 0x0C, flags[i]) << i;
        EXPECT_EQ(seen[i].EventFlags, flags[i]) << i;
        EXPECT_EQ(seen[i].Type, types[i]) << i;
    }
    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(Probe->RecordCount(nav, rec), 6);
    EXPECT_EQ(Source.RecordCount(nav, rec), 7);

    // Values of the first entry as a table below would show them.
    Probe->PrepareRecord(rec);
    Probe->ReadRecord(nav, rec, 1);
    EXPECT_EQ(rec.FindByID(fidSIGS)->GetAsInt64(), 2);
    EXPECT_EQ(rec.FindByID(fidChanN(2))->GetAsInt64(), 2);
    EXPECT_EQ(rec.FindByID(fidDT1N(2))->GetAsFloat(), 4.0L);
    EXPECT_EQ(rec.FindByID(fidAmpN(2))->GetAsInt64(), 55);
    EXPECT_TRUE(rec.FindByID(fidIdxFirstHit)->IsNull());
    EXPECT_TRUE(rec.FindByID(fidChanN(3))->IsNull());
    // Reading a plain entry afterwards leaves no event values behind.
    Probe->ReadRecord(nav, rec, 0);
    EXPECT_TRUE(rec.FindByID(fidSIGS)->IsNull());
    EXPECT_EQ(rec.RecFlags() & 0x0C, 0);
}

TEST_F(LocProcessor, KindFilterAndCursorBounds) {
    Add({{rkTimeMark, 0, 0, 0}, {rkHit, 100, 1, 60}, {rkComment, 0, 0, 0}, {rkHit, 200, 1, 60}});
    const std::vector<TSeen> hits = Walk(KindBit(rkHit));
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].Index, 1);
    EXPECT_EQ(hits[1].Index, 3);

    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(Loc->NextRecord(nav, rec, -5), -1);
    EXPECT_EQ(nav.Out.Status, nsNegativeIndex);
    EXPECT_EQ(nav.Out.Message, "Data Out Range");
    EXPECT_EQ(Loc->NextRecord(nav, rec, 4), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    EXPECT_EQ(Loc->NextRecord(nav, rec, 3), 3);
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    EXPECT_EQ(Loc->PriorRecord(nav, rec, 0), 0);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    nav.Kinds = KindBit(rkComment);
    EXPECT_EQ(Loc->LastRecord(nav, rec, -1), 2);
    EXPECT_EQ(Loc->PriorRecord(nav, rec, 2), -1);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    nav.Kinds = KindBit(rkAbort);
    EXPECT_EQ(Loc->FirstRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
}

TEST_F(LocProcessor, UnsortedInputFailsUntilChanged) {
    MPT().SetLockOut(50);
    MPT().SetMPT(10);
    Add({{rkHit, 100, 1, 60}, {rkHit, 105, 2, 60}, {rkHit, 103, 3, 60}});
    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(Probe->FirstRecord(nav, rec, -1), -1);
    EXPECT_TRUE(nav.Out.Status & nsError);
    EXPECT_EQ(nav.Out.Message, "UnSorted File[LC01]");
    EXPECT_TRUE(Loc->HasError());
    EXPECT_EQ(Probe->RecordCount(nav, rec), 0);
    // The failure stays until something changes; then the data are computed again.
    EXPECT_EQ(Loc->NextRecord(nav, rec, 0), -1);
    EXPECT_TRUE(nav.Out.Status & nsError);
    // Clearing the errors shown after a run computes again, and fails again.
    Loc->ClearErrors();
    EXPECT_EQ(Probe->FirstRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Message, "UnSorted File[LC01]");
    Source.SetValue(2, fpTime, 106);
    Loc->Changed(true);
    EXPECT_FALSE(Loc->HasError());
    EXPECT_EQ(Probe->FirstRecord(nav, rec, -1), 0);
    EXPECT_EQ(Probe->RecordCount(nav, rec), 3);
}

TEST_F(LocProcessor, VallenComparesChannelTextsOfTheRecords) {
    auto vallen = std::make_unique<TVallen>();
    vallen->SetDTNX_MAX(10);
    vallen->SetDT1X_MAX(50);
    Loc->SetAlgorithm(std::move(vallen));
    Add({{rkHit, 100, 1, 60}, {rkHit, 102, 2, 60}, {rkHit, 104, 1, 60}, {rkHit, 300, 1, 60}});
    const std::vector<TSeen> seen = Walk();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].SourceIndex, 1);
    EXPECT_EQ(seen[2].SourceIndex, 3);
    EXPECT_EQ(seen[2].Type, 1);
}

TEST_F(LocProcessor, ParentFailureFailsTheComputation) {
    Add({{rkHit, 100, 1, 60}});
    Source.SetFailed("Source Broken");
    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(Probe->FirstRecord(nav, rec, -1), -1);
    EXPECT_TRUE(nav.Out.Status & nsError);
    EXPECT_EQ(nav.Out.Message, "Source Broken");
    EXPECT_EQ(Loc->ErrorText(), "Source Broken");
}

TEST_F(LocProcessor, EmptySource) {
    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(Probe->FirstRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
    EXPECT_EQ(Probe->RecordCount(nav, rec), 0);
    EXPECT_TRUE(Walk().empty());
}

TEST_F(LocProcessor, ListsTranslateBetweenIndexSpaces) {
    Loc->SetChannelType(9, ctUnused);
    Add({{rkHit, 100, 9, 60}, {rkHit, 200, 1, 60}, {rkHit, 300, 9, 60}, {rkHit, 400, 2, 60}});
    TAEPNav nav;
    TAERecord rec;
    ASSERT_EQ(Probe->RecordCount(nav, rec), 2); // own 0 = source 1, own 1 = source 3

    TAEOMSG up;
    up.Msg = omDeleteGroup;
    up.List = {1, 0, 7};
    Probe->Dispatch(up);
    ASSERT_EQ(Context.Received.size(), 1u);
    EXPECT_EQ(Context.Received[0].List, (std::vector<int32_t>{3, 1}));

    TAEOMSG mark;
    mark.Msg = omHitMarkRequest;
    mark.List = {5};
    Probe->Dispatch(mark);
    ASSERT_EQ(Context.Received.size(), 2u);
    EXPECT_EQ(Context.Received[1].List, (std::vector<int32_t>{-1}));

    TAEOMSG down;
    down.Msg = omSelectedAdded;
    down.List = {0, 1, 2, 3};
    Source.Dispatch(down);
    ASSERT_FALSE(Probe->Received.empty());
    EXPECT_EQ(Probe->Received.back().List, (std::vector<int32_t>{0, 1}));

    TAEOMSG hitMark;
    hitMark.Msg = omMarkRecord;
    hitMark.List = {2};
    Source.Dispatch(hitMark);
    EXPECT_EQ(Probe->Received.back().Msg, omMarkRecord);
    EXPECT_EQ(Probe->Received.back().List, (std::vector<int32_t>{-1}));
    hitMark.List = {3};
    Source.Dispatch(hitMark);
    EXPECT_EQ(Probe->Received.back().List, (std::vector<int32_t>{1}));
}

TEST_F(LocProcessor, FirstHitFoundFromOwnIndex) {
    MPT().SetLockOut(100);
    MPT().SetMPT(100);
    Add({{rkHit, 100, 1, 61},
         {rkTimeMark, 0, 0, 0},
         {rkHit, 130, 2, 62},
         {rkHit, 140, 3, 63},
         {rkHit, 500, 4, 64}});
    TAEPNav nav;
    TAERecord rec;
    Probe->PrepareRecord(rec);
    // A consumer below a processor that renumbers records takes IdxFirstHit from the record
    // and asks the location processor above it.
    Probe->ReadRecord(nav, rec, 3);
    ASSERT_EQ(rec.RecFlags() & 0x0C, rfEventHit);
    const int64_t first = rec.FindByID(fidIdxFirstHit)->GetAsInt64();
    EXPECT_EQ(first, 0);
    TGVCPULoc* loc = TGVCPULoc::LocatedAbove(Probe);
    ASSERT_EQ(loc, Loc);
    EXPECT_EQ(loc->FirstHitIndex(3), 0);
    EXPECT_EQ(loc->FirstHitIndex(0), 0);
    EXPECT_EQ(loc->FirstHitIndex(1), -1); // the time mark
    EXPECT_EQ(loc->FirstHitIndex(4), 4);
    EXPECT_EQ(loc->FirstHitIndex(99), -1);
    TAERecord firstRec;
    Probe->PrepareRecord(firstRec);
    ASSERT_TRUE(loc->ReadFirstHit(nav, firstRec, 3));
    EXPECT_EQ(firstRec.Index(), 0);
    EXPECT_EQ(firstRec.FindByID(fidSIGS)->GetAsInt64(), 3);
    EXPECT_EQ(firstRec.RecFlags() & 0x0C, rfFirstHit | rfEventHit);
    EXPECT_FALSE(loc->ReadFirstHit(nav, firstRec, 1));
    EXPECT_EQ(loc->OwnIndexOfParent(4), 4);
    EXPECT_EQ(TGVCPULoc::LocatedAbove(&Source), nullptr);
}

TEST_F(LocProcessor, KindAndReset) {
    EXPECT_TRUE(Loc->IsLocated());
    EXPECT_TRUE(Probe->IsLocated());
    EXPECT_FALSE(Source.IsLocated());
    EXPECT_EQ(Loc->ImageIndex(), 67);
    EXPECT_EQ(Loc->KindFlags(), kfOnePerPath);
    ASSERT_EQ(Loc->OwnFields().Count(), 31);
    EXPECT_EQ(Loc->OwnFields().Name(), "Location Fields");
    const TAEField* idx = Loc->OwnFields().FindByID(fidIdxFirstHit);
    ASSERT_NE(idx, nullptr);
    EXPECT_EQ(idx->Flags(), 0x0005);
    EXPECT_EQ(idx->Group(), 6);
    EXPECT_EQ(Loc->OwnFields().FindByID(fidTypeLocHit)->GetDisplayWidth(), 40);
    EXPECT_EQ(Loc->OwnFields().Get(0)->ID(), fidSIGS);
    EXPECT_EQ(Loc->OwnFields().Get(30)->ID(), fidTypeLocHit);
    Loc->Reset();
    EXPECT_EQ(Loc->OwnFields().Count(), 31);
    EXPECT_EQ(Loc->KindFlags(), kfOnePerPath);
    EXPECT_EQ(Loc->ChildCount(), 0);
}

TEST_F(LocProcessor, PersistenceRoundTrip) {
    auto vallen = std::make_unique<TVallen>();
    vallen->SetDTNX_MAX(40);
    vallen->SetDT1X_MAX(300);
    vallen->SetFHCDT(900);
    vallen->SetAMHCH(true);
    Loc->SetAlgorithm(std::move(vallen));
    Loc->SetChannelType(7, ctGuard);
    Loc->SetChannelType(120, ctUnused);
    Loc->SetChannelType(33, ctCombined);
    TNodePersist node("OBJ");
    Loc->SaveToNode(node);
    const TNodePersist* location = node.FindNode("Location");
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(location->GetValue("ClassName"), "TVallen");
    EXPECT_EQ(location->GetValue("AMHCH"), "1");
    const TNodePersist* types = node.FindNode("TypeChan");
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->NodeCount(), 3);
    EXPECT_EQ(types->Node(0)->GetValue("Chan"), "007");
    EXPECT_EQ(types->Node(1)->GetValue("Chan"), "033");
    EXPECT_EQ(types->Node(2)->GetValue("Chan"), "120");
    EXPECT_EQ(types->Node(2)->GetValue("TypeChan"), "4");

    TGVCPULoc copy;
    copy.LoadFromNode(node);
    auto* loaded = dynamic_cast<TVallen*>(&copy.Algorithm());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Owner(), &copy);
    EXPECT_EQ(loaded->DTNX_MAX(), 40);
    EXPECT_EQ(loaded->DT1X_MAX(), 300);
    EXPECT_EQ(loaded->FHCDT(), 900);
    EXPECT_TRUE(loaded->AMHCH());
    EXPECT_EQ(copy.AlgorithmIndex(), 1);
    EXPECT_EQ(copy.GetChannelType(7), ctGuard);
    EXPECT_EQ(copy.GetChannelType(33), ctCombined);
    EXPECT_EQ(copy.GetChannelType(120), ctUnused);
    EXPECT_EQ(copy.GetChannelType(8), ctNormal);
    EXPECT_EQ(copy.OwnFields().Count(), 31);
    TNodePersist again("OBJ");
    copy.SaveToNode(again);
    EXPECT_TRUE(again.SameTree(node));
}

TEST_F(LocProcessor, LoadingKeepsWhatItCannotUse) {
    TNodePersist node("OBJ");
    node.AddItem("ClassName", "TGVCPULoc");
    TNodePersist* location = node.AddNode("Location");
    location->AddItem("ClassName", "TSomeOtherAlgorithm");
    location->AddItem("LockOut", "77");
    TGVCPULoc a;
    a.LoadFromNode(node);
    auto* mpt = dynamic_cast<TLocOutMPT*>(&a.Algorithm());
    ASSERT_NE(mpt, nullptr);
    EXPECT_EQ(mpt->LockOut(), 0);
    EXPECT_EQ(mpt->MPT(), 0);

    // Stored values are taken as they are; empty, absent and damaged keys keep the defaults.
    TNodePersist node2("OBJ");
    location = node2.AddNode("Location");
    location->AddItem("ClassName", "TLocOutMPT");
    location->AddItem("LockOut", "20");
    location->AddItem("MPT", "30");
    TNodePersist* types = node2.AddNode("TypeChan");
    TNodePersist* item = types->AddNode("ITEM");
    item->AddItem("Chan", "5");
    item->AddItem("TypeChan", "2");
    item = types->AddNode("ITEM");
    item->AddItem("Chan", "x");
    item->AddItem("TypeChan", "3");
    item = types->AddNode("ITEM");
    item->AddItem("Chan", "6");
    item->AddItem("TypeChan", "");
    item = types->AddNode("ITEM");
    item->AddItem("Chan", "8");
    item->AddItem("TypeChan", "9");
    TGVCPULoc b;
    b.ChannelTypes().SetChannelType(1, ctGuard); // cleared by loading
    b.LoadFromNode(node2);
    mpt = dynamic_cast<TLocOutMPT*>(&b.Algorithm());
    ASSERT_NE(mpt, nullptr);
    EXPECT_EQ(mpt->LockOut(), 20);
    EXPECT_EQ(mpt->MPT(), 30);
    ASSERT_EQ(b.ChannelTypes().Count(), 1);
    EXPECT_EQ(b.ChannelTypes().Items()[0].Key, "005");
    EXPECT_EQ(b.GetChannelType(1), ctNormal);
}

TEST_F(LocProcessor, SavedAsChildAndRecreatedByClassName) {
    TNodePersist node("ROOT");
    Source.SaveToNode(node);
    TGVCPUMemorySource other;
    other.LoadFromNode(node);
    ASSERT_EQ(other.ChildCount(), 1);
    EXPECT_NE(dynamic_cast<TGVCPULoc*>(other.Child(0)), nullptr);
}

} // namespace
} // namespace vorelt
