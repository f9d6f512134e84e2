#pragma once
// Work over millions of items that has a costly part with no order and a cheap part that must
// see the items in order, such as the normalising of a point plot's points before they are
// appended. The items are cut in blocks; a second thread prepares two of every three blocks
// ahead of the calling thread, which prepares the third itself and hands every block over in
// order. The outcome is that of preparing and handing the blocks over one after another.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace vorelt {

// TOut: a block's output, made ready by `reset(out)` before the second thread starts, so that
// `prepare(from, to, out)` need not allocate (it must not throw: it may run on the second
// thread). `hand(out)` runs on the calling thread, block after block; it may throw.
template <class TOut, class TReset, class TPrepare, class THand>
void RunBlocksInOrder(size_t count, size_t blockSize, const TReset& reset, const TPrepare& prepare,
                      const THand& hand) {
    if (blockSize == 0) blockSize = 1;
    const size_t blocks = (count + blockSize - 1) / blockSize;
    auto from = [&](size_t b) { return b * blockSize; };
    auto to = [&](size_t b) { return std::min(count, (b + 1) * blockSize); };
    auto own = [](size_t b) { return b % 3 == 0; };
    TOut mine;
    reset(mine);
    if (blocks < 3) {
        for (size_t b = 0; b < blocks; ++b) {
            prepare(from(b), to(b), mine);
            hand(mine);
        }
        return;
    }
    constexpr size_t Slots = 4;
    std::array<TOut, Slots> slots;
    for (TOut& s : slots)
        reset(s);
    // 1: the slot holds a prepared block the calling thread has not handed over yet.
    std::array<std::atomic<uint32_t>, Slots> full{};
    std::atomic<bool> stop{false};
    std::thread helper([&] {
        size_t k = 0;
        for (size_t b = 0; b < blocks && !stop.load(std::memory_order_relaxed); ++b) {
            if (own(b)) continue;
            std::atomic<uint32_t>& f = full[k % Slots];
            TOut& out = slots[k++ % Slots];
            while (f.load(std::memory_order_acquire) != 0) {
                if (stop.load(std::memory_order_relaxed)) return;
                f.wait(1, std::memory_order_acquire);
            }
            prepare(from(b), to(b), out);
            f.store(1, std::memory_order_release);
            f.notify_one();
        }
    });
    struct TJoin {
        std::thread& Helper;
        std::atomic<bool>& Stop;
        std::array<std::atomic<uint32_t>, Slots>& Full;
        ~TJoin() {
            if (!Helper.joinable()) return;
            Stop.store(true, std::memory_order_relaxed);
            for (std::atomic<uint32_t>& f : Full) {
                f.store(0, std::memory_order_release);
                f.notify_one();
            }
            Helper.join();
        }
    } join{helper, stop, full};
    size_t k = 0;
    for (size_t b = 0; b < blocks; ++b) {
        if (own(b)) {
            prepare(from(b), to(b), mine);
            hand(mine);
            continue;
        }
        std::atomic<uint32_t>& f = full[k % Slots];
        TOut& out = slots[k++ % Slots];
        while (f.load(std::memory_order_acquire) == 0)
            f.wait(0, std::memory_order_acquire);
        hand(out);
        f.store(0, std::memory_order_release);
        f.notify_one();
    }
    helper.join();
}

} // namespace vorelt
