#include "model/TPageWarmer.h"

#include <algorithm>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vorelt {

namespace {

constexpr uintptr_t PageSize = 4096;
// One large page at a time: the unit the kernel zeroes anyway.
constexpr uintptr_t Step = uintptr_t{2} << 20;

// False where the system cannot populate ahead of use.
bool Populate(uintptr_t begin, uintptr_t end) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    return ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE) == 0;
#else
    (void)begin;
    (void)end;
    return false;
#endif
}

} // namespace

void TPageWarmer::Add(void* data, size_t bytes, size_t elementSize) {
    if (FThread.joinable() || !data || bytes < Step) return;
    TRegion r;
    // Whole pages inside the storage only: the ones at its ends may belong to other data.
    const auto at = reinterpret_cast<uintptr_t>(data);
    r.Begin = (at + PageSize - 1) & ~(PageSize - 1);
    r.End = (at + bytes) & ~(PageSize - 1);
    r.Next = r.Begin;
    r.ElementSize = std::max<size_t>(elementSize, 1);
    if (r.End > r.Begin) FRegions.push_back(r);
}

void TPageWarmer::Start(size_t ahead) {
    if (FThread.joinable() || FRegions.empty()) return;
    FAhead = ahead;
    FStop = false;
    FThread = std::thread([this] { Run(); });
}

void TPageWarmer::Reached(size_t elements) {
    if (!FThread.joinable() || FAhead == SIZE_MAX) return;
    {
        std::lock_guard<std::mutex> hold(FLock);
        if (elements <= FReached) return;
        FReached = elements;
    }
    FWake.notify_one();
}

void TPageWarmer::Stop() {
    if (!FThread.joinable()) return;
    {
        std::lock_guard<std::mutex> hold(FLock);
        FStop = true;
    }
    FWake.notify_one();
    FThread.join();
    FRegions.clear();
}

void TPageWarmer::Run() {
    for (;;) {
        size_t limit = SIZE_MAX;
        {
            std::unique_lock<std::mutex> hold(FLock);
            if (FStop) return;
            if (FAhead != SIZE_MAX)
                limit = FReached > SIZE_MAX - FAhead ? SIZE_MAX : FReached + FAhead;
        }
        bool worked = false;
        bool open = false;
        for (TRegion& r : FRegions) {
            if (r.Next >= r.End) continue;
            open = true;
            const uintptr_t allowed =
                limit >= (r.End - r.Begin) / r.ElementSize
                    ? r.End
                    : std::min(r.End, r.Begin + ((limit * r.ElementSize) & ~(PageSize - 1)));
            if (r.Next >= allowed) continue;
            const uintptr_t to = std::min(allowed, (r.Next + Step) & ~(Step - 1));
            if (!Populate(r.Next, to)) return;
            r.Next = to;
            worked = true;
        }
        if (!open) return;
        if (!worked) {
            std::unique_lock<std::mutex> hold(FLock);
            FWake.wait(hold, [&] { return FStop || FReached > limit - std::min(limit, FAhead); });
        }
    }
}

} // namespace vorelt
