#include "drivers/TIndexPrefault.h"
#include "drivers/TAEDriverDb.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vorelt;

namespace {

TDriverIndexItem ItemFor(size_t i) {
    TDriverIndexItem item;
    item.Offset = i * 40;
    item.Size = static_cast<uint32_t>(i % 1000);
    item.Extra = static_cast<uint16_t>(i);
    item.Kind = static_cast<uint8_t>(i % 7);
    return item;
}

// The writer fills a reserved index block by block, as the drivers' scans do, while the thread
// faults the storage in ahead of it; the thread must never disturb what is written.
TEST(TIndexPrefault, WriterAndThreadShareTheStorage) {
    std::vector<TDriverIndexItem> index;
    const size_t capacity = (size_t{96} << 20) / sizeof(TDriverIndexItem);
    index.reserve(capacity);
    TIndexPrefault prefault;
    prefault.Start(index.data(), index.capacity() * sizeof(TDriverIndexItem));
    const size_t used = capacity - capacity / 5;
    constexpr size_t Block = 16384;
    for (size_t i = 0; i < used; ++i) {
        index.push_back(ItemFor(i));
        if (i % Block == 0) prefault.Advance(index.size() * sizeof(TDriverIndexItem));
    }
    prefault.Stop(index.size() * sizeof(TDriverIndexItem));
    EXPECT_FALSE(prefault.IsRunning());
    ASSERT_EQ(index.size(), used);
    for (size_t i = 0; i < used; i += 997) {
        EXPECT_EQ(index[i].Offset, i * 40);
        EXPECT_EQ(index[i].Extra, static_cast<uint16_t>(i));
    }
    EXPECT_EQ(index.back().Offset, (used - 1) * 40);
    // Storage given back past the end is still the vector's to grow into.
    for (size_t i = used; i < capacity; ++i)
        index.push_back(ItemFor(i));
    EXPECT_EQ(index.back().Size, static_cast<uint32_t>((capacity - 1) % 1000));
}

// Stopping before the storage moves (the index outgrows its reserve) and stopping twice are
// both safe; small storage starts no thread at all.
TEST(TIndexPrefault, StopsBeforeTheStorageMovesAndIgnoresSmallStorage) {
    std::vector<TDriverIndexItem> index;
    index.reserve((size_t{40} << 20) / sizeof(TDriverIndexItem));
    TIndexPrefault prefault;
    prefault.Start(index.data(), index.capacity() * sizeof(TDriverIndexItem));
    index.push_back(ItemFor(1));
    prefault.Advance(sizeof(TDriverIndexItem));
    prefault.Stop(0);
    prefault.Stop(0);
    index.resize(index.capacity() + 1, ItemFor(2)); // moves
    EXPECT_EQ(index.front().Offset, 40u);

    std::vector<TDriverIndexItem> small(1000);
    prefault.Start(small.data(), small.size() * sizeof(TDriverIndexItem));
    EXPECT_FALSE(prefault.IsRunning());
}

} // namespace
