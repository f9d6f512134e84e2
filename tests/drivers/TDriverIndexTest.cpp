#include "drivers/TDriverIndex.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace vorelt {
namespace {

bool Same(const TDriverIndexItem& a, const TDriverIndexItem& b) {
    return a.Offset == b.Offset && a.Size == b.Size && a.Extra == b.Extra && a.Kind == b.Kind &&
           a.Flags == b.Flags;
}

void ExpectHolds(const TDriverIndex& index, const std::vector<TDriverIndexItem>& items) {
    ASSERT_EQ(index.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        ASSERT_TRUE(Same(index[i], items[i])) << i;
        ASSERT_EQ(index.Kind(i), items[i].Kind) << i;
        ASSERT_EQ(index.End(i), items[i].Offset + items[i].Size) << i;
    }
    size_t i = 0;
    for (const TDriverIndexItem& item : index)
        ASSERT_TRUE(Same(item, items[i++]));
    std::array<uint64_t, 256> kinds{};
    for (const TDriverIndexItem& item : items)
        ++kinds[item.Kind];
    ASSERT_EQ(index.KindCounts(), kinds);
}

TDriverIndex Build(const std::vector<TDriverIndexItem>& items) {
    TDriverIndex index;
    for (const TDriverIndexItem& item : items)
        index.push_back(item);
    return index;
}

// Messages one after the other, each behind a prefix of `prefix` bytes; `fill(i, item)` sets
// the kind, size and extra word of message i.
template <class TFill>
std::vector<TDriverIndexItem> Chain(size_t n, uint64_t start, uint64_t prefix, TFill&& fill) {
    std::vector<TDriverIndexItem> items;
    uint64_t at = start;
    for (size_t i = 0; i < n; ++i) {
        TDriverIndexItem item;
        fill(i, item);
        item.Offset = at + prefix;
        at = item.Offset + item.Size;
        items.push_back(item);
    }
    return items;
}

// A stream of random kinds and extra words, sizes given by `size(i, kind)`.
template <class TSize>
std::vector<TDriverIndexItem> Stream(size_t n, uint64_t start, TSize&& size, unsigned kinds = 4) {
    std::mt19937 random(7);
    return Chain(n, start, 4, [&](size_t i, TDriverIndexItem& item) {
        item.Kind = static_cast<uint8_t>(random() % kinds);
        item.Size = size(i, item.Kind);
        item.Extra = static_cast<uint16_t>(random() % 3);
    });
}

TEST(TDriverIndexTest, SizesThatFollowTheKindTakeEightBytesAMessage) {
    // Fixed sizes per kind across several groups, and a base that starts near the 2^31 line.
    const auto items = Stream(20000, (uint64_t{1} << 31) - 100,
                              [](size_t, uint8_t kind) { return 24u + 4u * kind; });
    const TDriverIndex index = Build(items);
    ExpectHolds(index, items);
    EXPECT_LE(index.MemoryBytes(), items.size() * 8 + 64);
}

TEST(TDriverIndexTest, LengthWordRuleAndItsBreakKeepEverySize) {
    // Sizes vary, but the extra word is the length with one head byte counted in.
    auto items = Chain(10000, 0, 3, [](size_t i, TDriverIndexItem& item) {
        item.Kind = static_cast<uint8_t>(i % 3);
        item.Size = static_cast<uint32_t>(10 + i % 50);
        item.Extra = static_cast<uint16_t>(item.Size + (item.Kind == 2 ? 2 : 1));
    });
    ExpectHolds(Build(items), items);
    EXPECT_LE(Build(items).MemoryBytes(), items.size() * 8 + 64);
    // One message that follows neither rule makes the sizes stored, the earlier ones as well.
    items[7000].Extra = 7;
    ExpectHolds(Build(items), items);
    // A fixed kind that changes size once.
    auto fixed = Stream(9000, 0, [](size_t i, uint8_t) { return i == 8500 ? 9u : 40u; });
    ExpectHolds(Build(fixed), fixed);
    // Sizes above the length word's range.
    auto large =
        Stream(300, 0, [](size_t i, uint8_t) { return 70000u + static_cast<uint32_t>(i); });
    ExpectHolds(Build(large), large);
}

TEST(TDriverIndexTest, ChangedExtraWordsKeepTheSizes) {
    // Kind 0 sizes follow the extra word, kind 1 sizes are fixed; both keep their sizes when
    // extra words change afterwards, across a part boundary too.
    auto items = Chain(9000, 0, 2, [](size_t i, TDriverIndexItem& item) {
        item.Kind = static_cast<uint8_t>(i % 2);
        item.Size = item.Kind == 0 ? static_cast<uint32_t>(10 + i % 30) : 16;
        item.Extra = static_cast<uint16_t>(item.Kind == 0 ? item.Size + 1 : i % 7);
    });
    TDriverIndex index = Build({items.begin(), items.begin() + 5000});
    index.Append(Build({items.begin() + 4000, items.end()}), 1000);
    index.UpdateExtra(3000, 4000,
                      [](uint16_t extra) { return static_cast<uint16_t>(extra ^ 0x8000); });
    for (size_t i = 3000; i < 7000; ++i)
        items[i].Extra ^= 0x8000;
    ExpectHolds(index, items);
}

TEST(TDriverIndexTest, OffsetsOutOfOrderOrFarApartAreKept) {
    // Row numbers of separate lists, as a database driver uses them.
    std::vector<TDriverIndexItem> rows;
    for (uint32_t i = 0; i < 9000; ++i)
        rows.push_back({i % 3 == 0 ? i / 3 : i, 8, 0, static_cast<uint8_t>(i % 3), 0});
    ExpectHolds(Build(rows), rows);
    // A jump of more than 4 GiB inside a group, and one back.
    auto far = Stream(6000, 0, [](size_t, uint8_t) { return 20u; });
    for (size_t i = 5000; i < far.size(); ++i)
        far[i].Offset += uint64_t{5} << 32;
    far[5500].Offset = 3;
    ExpectHolds(Build(far), far);
}

TEST(TDriverIndexTest, FlagsAndPartsPutTogether) {
    const auto items = Stream(15000, 0, [](size_t, uint8_t kind) { return 30u + kind; });
    // The first 9000 items in one index; a second index that starts 500 items early, as a scan
    // from a guessed place does, is appended without them.
    TDriverIndex head, tail;
    for (size_t i = 0; i < 9000; ++i)
        head.push_back(items[i]);
    for (size_t i = 8500; i < 12000; ++i)
        tail.push_back(items[i]);
    head.Append(std::move(tail), 500);
    EXPECT_TRUE(tail.empty());
    for (size_t i = 12000; i < items.size(); ++i)
        head.push_back(items[i]);
    std::vector<TDriverIndexItem> expected = items;
    for (size_t i : {size_t{0}, size_t{8999}, size_t{9000}, size_t{11999}, size_t{14999}}) {
        head.SetFlags(i, ifDeleted | ifSelected);
        expected[i].Flags = ifDeleted | ifSelected;
    }
    ExpectHolds(head, expected);

    // Appending to an empty index, and skipping a whole part.
    TDriverIndex empty, whole = Build(items);
    empty.Append(std::move(whole), 0);
    ExpectHolds(empty, items);
    TDriverIndex a = Build({items.begin(), items.begin() + 10});
    TDriverIndex b = Build({items.begin() + 10, items.begin() + 20});
    a.Append(std::move(b), 10);
    ExpectHolds(a, {items.begin(), items.begin() + 10});

    a.clear();
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(a.MemoryBytes(), 0u);
    a.push_back(items[3]);
    ExpectHolds(a, {items[3]});
}

} // namespace
} // namespace vorelt
