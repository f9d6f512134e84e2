#pragma once
// Opening a large file writes its index once, from start to end, into fresh memory. The kernel
// zeroes every page of it on first touch, and on a large file that costs about as much as the
// scan itself. A second thread faults the storage in a little ahead of the writer, so that the
// zeroing runs beside the scan on a machine with more than one core. The writer stays correct
// without it: a page the thread has not reached yet is faulted in by the writer as before.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace vorelt {

class TIndexPrefault {
public:
    // How far ahead of the writer the thread may go: the most memory it commits that the index
    // might not use.
    static constexpr size_t Ahead = size_t{64} << 20;

    TIndexPrefault() = default;
    ~TIndexPrefault() { Stop(0); }
    TIndexPrefault(const TIndexPrefault&) = delete;
    TIndexPrefault& operator=(const TIndexPrefault&) = delete;

    // Starts on the reserved storage [data, data + bytes). Nothing happens on a single core, for
    // storage too small to matter, or where the kernel cannot populate memory ahead.
    void Start(void* data, size_t bytes);
    bool IsRunning() const { return FThread.joinable(); }
    // The writer has filled the first `bytes` of the storage (cheap: called once per block).
    void Advance(size_t bytes) { FWritten.store(bytes, std::memory_order_relaxed); }
    // Ends the thread; call it before the storage moves or is freed. Storage the thread faulted
    // in beyond the first `used` bytes is given back (its contents are no one's yet).
    void Stop(size_t used);

private:
    void Run();

    unsigned char* FData = nullptr;
    size_t FBytes = 0;
    std::atomic<size_t> FWritten{0};
    std::atomic<size_t> FPopulated{0};
    std::atomic<bool> FStop{false};
    std::mutex FMutex;
    std::condition_variable FWake;
    std::thread FThread;
};

} // namespace vorelt
