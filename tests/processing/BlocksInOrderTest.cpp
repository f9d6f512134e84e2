// Blocks prepared on two threads and handed over in order: every item once, in order, for any
// count and block size, and a failure while handing over stops the second thread.

#include "processing/graph/TBlocksInOrder.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>
#include <vector>

namespace vorelt {
namespace {

struct TBlock {
    std::vector<size_t> Items;
};

std::vector<size_t> HandedOver(size_t count, size_t blockSize) {
    std::vector<size_t> handed;
    RunBlocksInOrder<TBlock>(
        count, blockSize, [&](TBlock& b) { b.Items.reserve(blockSize); },
        [](size_t from, size_t to, TBlock& b) {
            b.Items.clear();
            for (size_t i = from; i < to; ++i)
                b.Items.push_back(i);
        },
        [&](const TBlock& b) { handed.insert(handed.end(), b.Items.begin(), b.Items.end()); });
    return handed;
}

TEST(BlocksInOrder, EveryItemIsHandedOverOnceAndInOrder) {
    for (size_t count : {0u, 1u, 7u, 100u, 299u, 300u, 301u, 100'000u})
        for (size_t block : {1u, 3u, 100u, 4096u}) {
            std::vector<size_t> want(count);
            std::iota(want.begin(), want.end(), size_t{0});
            EXPECT_EQ(HandedOver(count, block), want) << count << " " << block;
        }
}

TEST(BlocksInOrder, AFailingHandOverStopsTheSecondThread) {
    for (size_t failAt : {0u, 1u, 2u, 5u, 50u}) {
        size_t handed = 0;
        auto run = [&] {
            RunBlocksInOrder<TBlock>(
                10'000, 10, [](TBlock&) {}, [](size_t, size_t, TBlock&) {},
                [&](const TBlock&) {
                    if (handed++ == failAt) throw std::runtime_error("full");
                });
        };
        EXPECT_THROW(run(), std::runtime_error) << failAt;
        EXPECT_EQ(handed, failAt + 1);
    }
}

} // namespace
} // namespace vorelt
