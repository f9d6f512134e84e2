#include "drivers/TIndexPrefault.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>

namespace vorelt {

namespace {

// Huge pages are 2 MB; populating in steps of a few of them keeps each call short enough to
// notice a stop request quickly.
constexpr size_t Step = size_t{8} << 20;
// Below this the thread costs more than it saves.
constexpr size_t MinBytes = size_t{32} << 20;

size_t PageSize() {
    static const size_t size = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

} // namespace

void TIndexPrefault::Start(void* data, size_t bytes) {
    Stop(0);
#if defined(MADV_POPULATE_WRITE)
    if (!data || bytes < MinBytes || std::thread::hardware_concurrency() < 2) return;
    FData = static_cast<unsigned char*>(data);
    FBytes = bytes;
    FWritten.store(0, std::memory_order_relaxed);
    FPopulated.store(0, std::memory_order_relaxed);
    FStop.store(false, std::memory_order_relaxed);
    try {
        FThread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        FData = nullptr; // no thread: the writer faults its pages in itself
        FBytes = 0;
    }
#else
    (void)data;
    (void)bytes;
#endif
}

void TIndexPrefault::Run() {
#if defined(MADV_POPULATE_WRITE)
    const size_t page = PageSize();
    const uintptr_t base = reinterpret_cast<uintptr_t>(FData);
    // Whole pages only: the first and last partial pages are the writer's.
    const uintptr_t first = (base + page - 1) & ~(page - 1);
    const uintptr_t last = (base + FBytes) & ~(page - 1);
    uintptr_t at = first;
    while (at < last && !FStop.load(std::memory_order_relaxed)) {
        // Pages behind the writer are already in.
        const uintptr_t written = base + FWritten.load(std::memory_order_relaxed);
        if (written > at) at = std::min(last, (written + page - 1) & ~(page - 1));
        const uintptr_t limit = std::min<uintptr_t>(last, written + Ahead);
        if (at >= limit) {
            std::unique_lock<std::mutex> lock(FMutex);
            FWake.wait_for(lock, std::chrono::microseconds(200),
                           [this] { return FStop.load(std::memory_order_relaxed); });
            continue;
        }
        const uintptr_t end = std::min(limit, at + Step);
        if (::madvise(reinterpret_cast<void*>(at), end - at, MADV_POPULATE_WRITE) != 0)
            break; // an old kernel or no memory: the writer faults its own pages
        at = end;
        FPopulated.store(at - base, std::memory_order_relaxed);
    }
#endif
}

void TIndexPrefault::Stop(size_t used) {
    if (!FThread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStop.store(true, std::memory_order_relaxed);
    }
    FWake.notify_all();
    FThread.join();
    // Pages faulted in past the end of the index hold zeros nobody reads; giving them back
    // keeps the open file's memory to what its index needs.
    const size_t page = PageSize();
    const uintptr_t base = reinterpret_cast<uintptr_t>(FData);
    const uintptr_t from = (base + used + page - 1) & ~(page - 1);
    const uintptr_t to = (base + FPopulated.load(std::memory_order_relaxed)) & ~(page - 1);
    if (used > 0 && to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    FData = nullptr;
    FBytes = 0;
}

} // namespace vorelt
