#include "TestProcessors.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

// A root source with the given kinds under a chain of `depth` pass-through processors; the
// deepest processor is returned.
TGVCPU* Chain(TGVCPUMemorySource& src, int depth) {
    TGVCPU* p = &src;
    for (int i = 0; i < depth; ++i)
        p = p->AddNew<TGVCPU>();
    return p;
}

TEST(RecordProtocol, EmptySourceHasNoRecordAndCountsZero) {
    TGVCPUMemorySource src;
    TGVCPU* leaf = Chain(src, 2);
    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(leaf->FirstRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
    EXPECT_EQ(leaf->LastRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
    EXPECT_EQ(leaf->RecordCount(nav, rec), 0);
    int reads = 0;
    std::string error;
    EXPECT_TRUE(ConsumeRecords(
        *leaf, nav, rec, [&](TAERecord&, int32_t) { return ++reads, true; }, error));
    EXPECT_EQ(reads, 0);
}

TEST(RecordProtocol, OneMatchingRecordIsReadExactlyOnce) {
    TGVCPUMemorySource src;
    src.AddRecord(rkSetup);
    src.AddRecord(rkHit);
    src.AddRecord(rkSetup);
    TGVCPU* leaf = Chain(src, 1);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    TAERecord rec;
    leaf->PrepareRecord(rec);
    EXPECT_EQ(leaf->FirstRecord(nav, rec, -1), 1);
    EXPECT_EQ(nav.Out.Status, nsPositioned);
    EXPECT_EQ(nav.Out.Kind, rkHit);
    // Not the last position: the scan finds nothing more.
    EXPECT_EQ(leaf->NextRecord(nav, rec, 1), -1);
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    EXPECT_EQ(leaf->RecordCount(nav, rec), 1);
    std::vector<int32_t> seen;
    std::string error;
    ASSERT_TRUE(ConsumeRecords(
        *leaf, nav, rec,
        [&](TAERecord& r, int32_t i) {
            EXPECT_EQ(r.Index(), i);
            EXPECT_EQ(r.Kind(), rkHit);
            seen.push_back(i);
            return true;
        },
        error));
    EXPECT_EQ(seen, std::vector<int32_t>{1});
}

TEST(RecordProtocol, NextOnTheLastPositionReturnsItWithTheEndBit) {
    TGVCPUMemorySource src;
    src.AddRecord(rkHit);
    TGVCPU* leaf = Chain(src, 3);
    TAEPNav nav;
    TAERecord rec;
    ASSERT_EQ(leaf->FirstRecord(nav, rec, -1), 0);
    EXPECT_EQ(leaf->NextRecord(nav, rec, 0), 0);
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    EXPECT_EQ(leaf->PriorRecord(nav, rec, 0), 0);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    EXPECT_EQ(leaf->RecordCount(nav, rec), 1);
}

TEST(RecordProtocol, BadPositionsAreDataOutRange) {
    TGVCPUMemorySource src;
    src.AddRecords(3, rkHit);
    src.SetState(9);
    TGVCPU* leaf = Chain(src, 2);
    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(leaf->NextRecord(nav, rec, -5), -1);
    EXPECT_EQ(nav.Out.Status, nsNegativeIndex);
    EXPECT_EQ(nav.Out.Message, "Data Out Range");
    EXPECT_EQ(nav.Out.State, 9);
    EXPECT_TRUE(nav.Out.Status & nsError);
    nav = TAEPNav{};
    EXPECT_EQ(leaf->NextRecord(nav, rec, 3), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    EXPECT_EQ(nav.Out.Message, "Data Out Range");
    nav = TAEPNav{};
    EXPECT_EQ(leaf->PriorRecord(nav, rec, 7), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    nav = TAEPNav{};
    EXPECT_EQ(leaf->PriorRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNegativeIndex);
    // FirstRecord clears the message of an earlier failure.
    EXPECT_EQ(leaf->FirstRecord(nav, rec, -1), 0);
    EXPECT_TRUE(nav.Out.Message.empty());
    // A processor without a parent has no positions at all.
    TGVCPU lone;
    nav = TAEPNav{};
    EXPECT_EQ(lone.NextRecord(nav, rec, 0), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    EXPECT_EQ(lone.FirstRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
    EXPECT_EQ(lone.RecordCount(nav, rec), 0);
}

TEST(RecordProtocol, KindsSelectTheVisitedRecordsBothWays) {
    TGVCPUMemorySource src;
    const uint8_t kinds[] = {rkSetup, rkHit, rkTimeMark, rkHit, rkComment, rkHit, rkSetup};
    for (uint8_t k : kinds)
        src.AddRecord(k);
    TGVCPU* leaf = Chain(src, 2);
    TAERecord rec;

    TAEPNav hits;
    hits.Kinds = KindBit(rkHit);
    std::vector<int32_t> forward, backward;
    for (int32_t i = leaf->FirstRecord(hits, rec, -1); !(hits.Out.Status & nsEndForward);
         i = leaf->NextRecord(hits, rec, i))
        forward.push_back(i);
    EXPECT_EQ(forward, (std::vector<int32_t>{1, 3, 5}));
    for (int32_t i = leaf->LastRecord(hits, rec, -1); !(hits.Out.Status & nsStartBackward);
         i = leaf->PriorRecord(hits, rec, i))
        backward.push_back(i);
    EXPECT_EQ(backward, (std::vector<int32_t>{5, 3, 1}));
    EXPECT_EQ(leaf->RecordCount(hits, rec), 3);

    TAEPNav all;
    EXPECT_EQ(leaf->RecordCount(all, rec), 7);
    TAEPNav marks;
    marks.Kinds = KindBit(rkTimeMark) | KindBit(rkComment);
    EXPECT_EQ(leaf->RecordCount(marks, rec), 2);
    TAEPNav none;
    none.Kinds = KindBit(rkAbort);
    EXPECT_EQ(leaf->FirstRecord(none, rec, -1), -1);
    EXPECT_EQ(none.Out.Status, nsNoRecord);
}

TEST(RecordProtocol, ReadFillsValuesByFlatPositionAndFlags) {
    TTestTree t;
    const int32_t a = t.Db->AddRecord(rkHit, rfDeleted, rfFirstHit | rfEventHit);
    const int32_t b = t.Db->AddRecord(rkHit);
    t.Db->SetValue(a, 1, 77);
    t.Db->SetValue(b, 0, 3);
    TGVCPU* leaf = Chain(*t.Db, 2);
    TAEPNav nav;
    TAERecord rec;
    leaf->PrepareRecord(rec);
    ASSERT_EQ(rec.FieldCount(), 4);
    leaf->ReadRecord(nav, rec, a);
    EXPECT_EQ(rec.Index(), a);
    EXPECT_EQ(rec.RecFlags(), rfDeleted | rfFirstHit | rfEventHit);
    EXPECT_EQ(nav.Out.EventFlags, rfFirstHit | rfEventHit);
    EXPECT_EQ(rec.Field(1)->GetAsInt64(), 77);
    EXPECT_TRUE(rec.Field(0)->IsNull());
    // Values of the previous record never leak into the next one.
    leaf->ReadRecord(nav, rec, b);
    EXPECT_TRUE(rec.Field(1)->IsNull());
    EXPECT_EQ(rec.Field(0)->GetAsInt64(), 3);
    EXPECT_EQ(rec.RecFlags(), 0);
    leaf->ReadRecord(nav, rec, 9);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
}

TEST(RecordProtocol, FailedComputationStopsTheConsumer) {
    TGVCPUMemorySource src;
    src.AddRecords(4, rkHit);
    TGVCPU* mid = src.AddNew<TGVCPU>();
    TGVCPU* leaf = mid->AddNew<TGVCPU>();
    mid->SetFailed("Division By Zero");
    TAEPNav nav;
    TAERecord rec;
    EXPECT_EQ(leaf->FirstRecord(nav, rec, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsError);
    EXPECT_EQ(nav.Out.Message, "Division By Zero");
    EXPECT_EQ(leaf->RecordCount(nav, rec), 0);
    std::string error;
    int reads = 0;
    EXPECT_FALSE(ConsumeRecords(
        *leaf, nav, rec, [&](TAERecord&, int32_t) { return ++reads, true; }, error));
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(error, "Division By Zero");
    mid->ClearErrors();
    EXPECT_EQ(leaf->RecordCount(nav, rec), 4);
}

// The walk over a large source through three pass-through processors: every record once,
// forward and backward.
TEST(RecordProtocol, LargeWalkThroughThreePassThroughsVisitsEveryRecordOnce) {
#if defined(__SANITIZE_ADDRESS__)
    const int32_t n = 200000;
#else
    const int32_t n = 10000000;
#endif
    TGVCPUMemorySource src;
    src.Reserve(n);
    src.AddRecords(n, rkHit);
    TGVCPU* leaf = Chain(src, 3);
    TAEPNav nav;
    TAERecord rec;
    leaf->PrepareRecord(rec);

    int64_t sum = 0;
    int32_t count = 0, expected = 0;
    bool ordered = true;
    std::string error;
    ASSERT_TRUE(ConsumeRecords(
        *leaf, nav, rec,
        [&](TAERecord& r, int32_t i) {
            ordered = ordered && i == expected && r.Index() == i;
            ++expected;
            ++count;
            sum += i;
            return true;
        },
        error));
    EXPECT_TRUE(ordered);
    EXPECT_EQ(count, n);
    EXPECT_EQ(sum, static_cast<int64_t>(n) * (n - 1) / 2);

    count = 0;
    sum = 0;
    expected = n - 1;
    ordered = true;
    for (int32_t i = leaf->LastRecord(nav, rec, -1); !(nav.Out.Status & nsStartBackward);
         i = leaf->PriorRecord(nav, rec, i)) {
        ordered = ordered && i == expected--;
        ++count;
        sum += i;
    }
    // The start bit comes back with position 0, which the loop above already counted.
    EXPECT_TRUE(ordered);
    EXPECT_EQ(count, n);
    EXPECT_EQ(sum, static_cast<int64_t>(n) * (n - 1) / 2);
}

} // namespace
} // namespace vorelt::test
