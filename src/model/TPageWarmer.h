#pragma once
// Populates large arrays on a thread of its own while the caller fills them, so that the
// kernel zeroes their fresh pages beside the work instead of inside it: on this kind of
// machine that zeroing is a good part of filling a graph over millions of records.
// Populating never changes what the memory holds, so the caller writes anywhere meanwhile;
// where the system cannot populate, the thread ends at once and nothing else changes.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vorelt {

class TPageWarmer {
public:
    TPageWarmer() = default;
    TPageWarmer(const TPageWarmer&) = delete;
    TPageWarmer& operator=(const TPageWarmer&) = delete;
    ~TPageWarmer() { Stop(); }

    // A region of `bytes` of reserved storage holding elements of `elementSize` bytes.
    void Add(void* data, size_t bytes, size_t elementSize);
    template <class T> void Add(std::vector<T>& v) {
        Add(v.data(), v.capacity() * sizeof(T), sizeof(T));
    }
    // Starts the thread; it stays at most `ahead` elements beyond the count given to Reached,
    // so that storage that a filtered walk never reaches is not populated for nothing.
    void Start(size_t ahead = SIZE_MAX);
    // Every region holds at most this many written elements.
    void Reached(size_t elements);
    // Ends the thread and waits for it.
    void Stop();

private:
    struct TRegion {
        uintptr_t Begin = 0;
        uintptr_t End = 0;
        uintptr_t Next = 0;
        size_t ElementSize = 1;
    };
    void Run();

    std::vector<TRegion> FRegions;
    size_t FAhead = SIZE_MAX;
    std::mutex FLock;
    std::condition_variable FWake;
    size_t FReached = 0;
    bool FStop = false;
    std::thread FThread;
};

} // namespace vorelt
