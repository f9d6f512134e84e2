#include "LocTestSupport.h"

#include "model/TAERecord.h"
#include "processing/location/TLocChannelTypes.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

using namespace loctest;

struct TRun {
    TLocList List;
    std::string Error;
    bool Ok = false;
};

TRun Locate(const TLocation& algo, std::vector<TInRec> recs, const TLocChannelTypes& types = {}) {
    TRun run;
    TVectorInput input(std::move(recs));
    run.Ok = algo.Build(input, types, "LC01", run.List, run.Error);
    return run;
}

std::unique_ptr<TLocOutMPT> NewMPT(int32_t mpt, int32_t lockOut) {
    auto a = std::make_unique<TLocOutMPT>();
    a->SetLockOut(lockOut);
    a->SetMPT(mpt);
    return a;
}

std::unique_ptr<TVallen> NewVallen(int32_t dtnx, int32_t dt1x, int32_t fhcdt, bool amhch) {
    auto a = std::make_unique<TVallen>();
    a->SetDTNX_MAX(dtnx);
    a->SetDT1X_MAX(dt1x);
    a->SetFHCDT(fhcdt);
    a->SetAMHCH(amhch);
    return a;
}

// TypeLocHit of every entry, with its parent position.
std::vector<std::pair<int32_t, int>> Types(const TLocList& list) {
    std::vector<std::pair<int32_t, int>> out;
    for (int32_t i = 0; i < list.Count(); ++i)
        out.emplace_back(list.Entry(i).ParentPos, list.Entry(i).Type);
    return out;
}

using TTypes = std::vector<std::pair<int32_t, int>>;

TEST(LocOutMPT, ZeroWindowsGroupEqualTimesOnly) {
    TRun r = Locate(*NewMPT(0, 0),
                    {Hit(10, 1), Hit(10, 2), Hit(10, 3), Hit(11, 1), Hit(12, 2), Hit(12, 3)});
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Types(r.List), (TTypes{{0, 1}, {1, 2}, {2, 2}, {3, 1}, {4, 1}, {5, 2}}));
    TSlots s;
    s.Load(r.List, 0);
    EXPECT_EQ(s.Int(lsSIGS), 3);
    EXPECT_EQ(s.Int(lsChan1 + 2), 3);
    s.Load(r.List, 3);
    EXPECT_EQ(s.Int(lsSIGS), 1);
    EXPECT_EQ(s.Float(lsDT1L), 0.0L);
}

TEST(LocOutMPT, WindowBoundsAreInclusiveAndMeasuredFromFirstHit) {
    // MPT 100, LockOut 500: +100 joins, +200 and +500 are discarded (the discarded hits do not
    // move the window), +501 opens the next event.
    TRun r = Locate(*NewMPT(100, 500), {Hit(1000, 1), Hit(1100, 2), Hit(1200, 3), Hit(1500, 4),
                                        Hit(1501, 5), Hit(1601, 6), Hit(1602, 7)});
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Types(r.List), (TTypes{{0, 1}, {1, 2}, {2, 4}, {3, 4}, {4, 1}, {5, 2}, {6, 4}}));
    TSlots s;
    s.Load(r.List, 1);
    EXPECT_EQ(s.Float(lsDT1C), 100.0L);
    EXPECT_EQ(s.Int(lsIdxFirstHit), 0);
    EXPECT_EQ(s.Int(lsIdxLocHit), 2);
    s.Load(r.List, 2);
    EXPECT_EQ(s.Int(lsTypeLocHit), 4);
    EXPECT_EQ(s.NullCount(), LocSlotCount - 1);
    s.Load(r.List, 5);
    EXPECT_EQ(s.Int(lsIdxFirstHit), 4);
}

TEST(LocOutMPT, TwelveHitEventFillsTheFirstEntry) {
    std::vector<TInRec> recs;
    for (int n = 1; n <= 12; ++n)
        recs.push_back(Hit(5000 + n * 2.5L, n, 40 + n));
    TRun r = Locate(*NewMPT(1000, 1000), recs);
    ASSERT_TRUE(r.Ok) << r.Error;
    ASSERT_EQ(r.List.Count(), 12);
    TSlots s;
    s.Load(r.List, 0);
    EXPECT_EQ(s.Int(lsSIGS), 12);
    EXPECT_EQ(s.Float(lsDT1L), 20.0L); // hit 9: (9 - 1) * 2.5
    EXPECT_EQ(s.Float(lsDT1C), 0.0L);
    EXPECT_EQ(s.Int(lsIdxLocHit), 1);
    EXPECT_EQ(s.Int(lsTypeLocHit), 1);
    EXPECT_TRUE(s.Null(lsIdxFirstHit));
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(s.Int(lsChan1 + n - 1), n);
    for (int n = 2; n <= 9; ++n) {
        EXPECT_EQ(s.Float(lsDT12 + n - 2), (n - 1) * 2.5L);
        EXPECT_EQ(s.Int(lsAmp2 + n - 2), 40 + n);
    }
    s.Load(r.List, 8); // hit 9
    EXPECT_EQ(s.Int(lsTypeLocHit), 2);
    EXPECT_EQ(s.Float(lsDT1C), 20.0L);
    EXPECT_TRUE(s.Null(lsSIGS));
    EXPECT_TRUE(s.Null(lsChan1));
    for (int i = 9; i < 12; ++i) {
        s.Load(r.List, i);
        EXPECT_EQ(s.Int(lsTypeLocHit), 3);
        EXPECT_EQ(s.Int(lsIdxLocHit), i + 1);
        EXPECT_EQ(s.Int(lsIdxFirstHit), 0);
        EXPECT_TRUE(s.Null(lsDT1C));
        EXPECT_EQ(r.List.Entry(i).EventFlags, rfEventHit);
    }
}

TEST(LocOutMPT, EventFlagsMarkFirstAndMemberHitsOnly) {
    TRun r = Locate(*NewMPT(10, 20), {NonHit(), Hit(100, 1), NonHit(rkComment), Hit(105, 2),
                                      Hit(115, 3), Hit(200, 1)});
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Types(r.List), (TTypes{{0, 0}, {1, 1}, {2, 0}, {3, 2}, {4, 4}, {5, 1}}));
    EXPECT_EQ(r.List.Entry(0).EventFlags, 0);
    EXPECT_EQ(r.List.Entry(1).EventFlags, rfFirstHit | rfEventHit);
    EXPECT_EQ(r.List.Entry(2).EventFlags, 0);
    EXPECT_EQ(r.List.Entry(2).Kind, rkComment);
    EXPECT_EQ(r.List.Entry(3).EventFlags, rfEventHit);
    EXPECT_EQ(r.List.Entry(4).EventFlags, 0);
    // The comment inside the event neither closed it nor counted.
    TSlots s;
    s.Load(r.List, 1);
    EXPECT_EQ(s.Int(lsSIGS), 2);
    s.Load(r.List, 2);
    EXPECT_EQ(s.NullCount(), LocSlotCount);
}

TEST(LocOutMPT, ChannelTypesDropGuardAndUnusedHits) {
    TLocChannelTypes types;
    types.SetChannelType(7, ctGuard);
    types.SetChannelType(8, ctCombined);
    types.SetChannelType(9, ctUnused);
    const auto a = NewMPT(10, 50);
    // Normal event: the guard and unused hits are dropped and the event stays open; the
    // combined hit joins.
    TRun r = Locate(*a, {Hit(100, 1), Hit(101, 7), Hit(102, 9), Hit(103, 8), Hit(104, 2)}, types);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Types(r.List), (TTypes{{0, 1}, {3, 2}, {4, 2}}));
    TSlots s;
    s.Load(r.List, 0);
    EXPECT_EQ(s.Int(lsSIGS), 3);
    EXPECT_EQ(s.Int(lsChan1 + 1), 8);
    // Guard event (started by a guard or a combined hit): its hits vanish, discarded hits and
    // non-hits still pass.
    r = Locate(*a,
               {Hit(100, 7), Hit(105, 1), NonHit(), Hit(130, 2), Hit(200, 8), Hit(201, 1),
                Hit(300, 9), Hit(400, 1)},
               types);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Types(r.List), (TTypes{{2, 0}, {3, 4}, {7, 1}}));
}

TEST(LocOutMPT, TimeRunningBackwardsFails) {
    const auto a = NewMPT(10, 50);
    TRun r = Locate(*a, {Hit(100, 1), Hit(105, 2), Hit(104, 3)}); // joining
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, "UnSorted File[LC01]");
    TLocChannelTypes types;
    types.SetChannelType(9, ctUnused);
    // After an event, when the hit that closed it was dropped.
    r = Locate(*a, {Hit(100, 1), Hit(140, 2), Hit(200, 9), Hit(130, 3)}, types);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, "UnSorted File[LC01]");
    r = Locate(*a, {Hit(100, 1), Hit(140, 2), Hit(130, 3)}); // inside the lockout window
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, "UnSorted File[LC01]");
    // Non-hits are not ordered.
    r = Locate(*a, {Hit(100, 1), NonHit(rkTimeMark, 5), Hit(101, 2)});
    EXPECT_TRUE(r.Ok) << r.Error;
}

TEST(LocOutMPT, SettersKeepMPTWithinLockOut) {
    TLocOutMPT a;
    a.SetMPT(50);
    EXPECT_EQ(a.MPT(), 0);
    a.SetLockOut(100);
    a.SetMPT(150);
    EXPECT_EQ(a.MPT(), 100);
    a.SetMPT(60);
    a.SetLockOut(40);
    EXPECT_EQ(a.LockOut(), 40);
    EXPECT_EQ(a.MPT(), 40);
}

TEST(LocVallen, DiscardedHitsMoveTheWindow) {
    // FHCDT 100: each discarded hit moves the latest time, so the train never opens an event.
    const auto a = NewVallen(10, 20, 100, true);
    TRun r = Locate(
        *a, {Hit(1000, 1), Hit(1005, 2), Hit(1090, 3), Hit(1180, 4), Hit(1270, 5), Hit(1371, 6)});
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(Types(r.List), (TTypes{{0, 1}, {1, 2}, {2, 4}, {3, 4}, {4, 4}, {5, 1}}));
}

TEST(LocVallen, JoinNeedsBothWindows) {
    // DTNX 10 from the previous hit, DT1X 25 from the first hit.
    const auto a = NewVallen(10, 25, 10, true);
    TRun r =
        Locate(*a, {Hit(100, 1), Hit(110, 2), Hit(120, 3), Hit(126, 4), Hit(500, 1), Hit(511, 2)});
    ASSERT_TRUE(r.Ok) << r.Error;
    // 126 is 6 after the latest but 26 after the first: the event closes and the hit lies
    // within FHCDT of the latest, so it is discarded. 511 is 11 after 500: the event closes
    // and, beyond FHCDT, the hit opens the next one.
    EXPECT_EQ(Types(r.List), (TTypes{{0, 1}, {1, 2}, {2, 2}, {3, 4}, {4, 1}, {5, 1}}));
    TSlots s;
    s.Load(r.List, 0);
    EXPECT_EQ(s.Int(lsSIGS), 3);
    EXPECT_EQ(s.Float(lsDT1L), 20.0L);
}

TEST(LocVallen, SecondHitOfAChannelEndsTheEventUnlessAllowed) {
    const std::vector<TInRec> recs = {Hit(100, 1), Hit(102, 2), Hit(104, 1), Hit(106, 3)};
    TRun off = Locate(*NewVallen(10, 50, 10, false), recs);
    ASSERT_TRUE(off.Ok) << off.Error;
    // The repeated channel is dropped and ends the event; hit 106 is within FHCDT of it.
    EXPECT_EQ(Types(off.List), (TTypes{{0, 1}, {1, 2}, {3, 4}}));
    TRun on = Locate(*NewVallen(10, 50, 10, true), recs);
    ASSERT_TRUE(on.Ok) << on.Error;
    EXPECT_EQ(Types(on.List), (TTypes{{0, 1}, {1, 2}, {2, 2}, {3, 2}}));
    TSlots s;
    s.Load(on.List, 0);
    EXPECT_EQ(s.Int(lsSIGS), 4);
    EXPECT_EQ(s.Int(lsChan1 + 2), 1);
}

TEST(LocVallen, GuardEventAndUnusedChannel) {
    TLocChannelTypes types;
    types.SetChannelType(3, ctGuard);
    types.SetChannelType(4, ctUnused);
    const auto a = NewVallen(10, 50, 20, false);
    TRun r = Locate(*a,
                    {Hit(100, 4), Hit(101, 1), Hit(103, 3), Hit(105, 2), Hit(1000, 3), Hit(1005, 1),
                     Hit(1022, 2), Hit(2000, 2)},
                    types);
    ASSERT_TRUE(r.Ok) << r.Error;
    // 100 unused: dropped. Event 101 {1, 2}, guard 103 dropped. Guard event at 1000 takes
    // 1005; 1022 is 17 after it: closed, then discarded within FHCDT.
    EXPECT_EQ(Types(r.List), (TTypes{{1, 1}, {3, 2}, {6, 4}, {7, 1}}));
}

TEST(LocVallen, CombinedChannelThatStartsAGuardEventCountsAsItsChannel) {
    TLocChannelTypes types;
    types.SetChannelType(8, ctCombined);
    const std::vector<TInRec> recs = {Hit(100, 8), Hit(104, 8), Hit(110, 1), Hit(200, 1)};
    // The repeat of channel 8 ends the guard event; 110 then lies within FHCDT of it.
    TRun off = Locate(*NewVallen(10, 50, 10, false), recs, types);
    ASSERT_TRUE(off.Ok) << off.Error;
    EXPECT_EQ(Types(off.List), (TTypes{{2, 4}, {3, 1}}));
    // Allowed to repeat, both hits join the guard event and vanish with it.
    TRun on = Locate(*NewVallen(10, 50, 10, true), recs, types);
    ASSERT_TRUE(on.Ok) << on.Error;
    EXPECT_EQ(Types(on.List), (TTypes{{3, 1}}));
}

TEST(LocVallen, TimeRunningBackwardsFails) {
    const auto a = NewVallen(10, 50, 20, true);
    TRun r = Locate(*a, {Hit(100, 1), Hit(105, 2), Hit(103, 3)});
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, "UnSorted File[LC01]");
    r = Locate(*a, {Hit(100, 1), Hit(115, 2), Hit(110, 3)}); // after the event, inside FHCDT
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, "UnSorted File[LC01]");
}

TEST(LocVallen, SettersKeepTheWindowsOrdered) {
    TVallen a;
    a.SetFHCDT(100);
    a.SetDT1X_MAX(80);
    a.SetDTNX_MAX(90);
    EXPECT_EQ(a.FHCDT(), 100);
    EXPECT_EQ(a.DT1X_MAX(), 90);
    a.SetDTNX_MAX(150);
    EXPECT_EQ(a.FHCDT(), 150);
    EXPECT_EQ(a.DT1X_MAX(), 150);
    a.SetFHCDT(10);
    EXPECT_EQ(a.FHCDT(), 150);
    a.SetDT1X_MAX(10);
    EXPECT_EQ(a.DT1X_MAX(), 150);
}

TEST(LocList, FirstOfEventAndParentSearch) {
    TRun r = Locate(*NewMPT(10, 20),
                    {NonHit(), Hit(100, 1), Hit(105, 2), Hit(115, 3), Hit(200, 1), Hit(200, 2)});
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.List.FirstOfEvent(0), -1); // plain
    EXPECT_EQ(r.List.FirstOfEvent(1), 1);
    EXPECT_EQ(r.List.FirstOfEvent(2), 1);
    EXPECT_EQ(r.List.FirstOfEvent(3), -1); // discarded
    EXPECT_EQ(r.List.FirstOfEvent(5), 4);
    EXPECT_EQ(r.List.FirstOfEvent(6), -1);
    for (int32_t i = 0; i < r.List.Count(); ++i)
        EXPECT_EQ(r.List.FindParentPos(r.List.Entry(i).ParentPos), i);
    EXPECT_EQ(r.List.FindParentPos(-1), -1);
    EXPECT_EQ(r.List.FindParentPos(99), -1);
}

} // namespace
} // namespace vorelt
