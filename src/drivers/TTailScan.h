#pragma once
// The second half of a long stream of messages, scanned on a thread of its own while the
// opening thread scans the first half. Where it starts is only likely to be a message start:
// the opening thread joins the two where its own scan reaches one of the tail's messages, since
// from a common message on both scans find the same messages.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace vorelt {

class TDriverIndex;

class TTailScan {
public:
    // Bytes of the whole message that the bytes at `p` would begin, 0 when they cannot begin
    // one; `avail` is at least the format's shortest prefix.
    using TSpan = std::function<size_t(const uint8_t* p, size_t avail)>;
    // Scans the whole messages of a block at file offset `base`, returns the bytes they take;
    // `first` for the first block. May throw: the scan then ends with the messages before.
    using TScan =
        std::function<size_t(const uint8_t* data, size_t size, uint64_t base, bool first)>;

    // Reads `fileName` from `split` up to `size`; `maxCarry` is the longest message.
    TTailScan(const std::string& fileName, uint64_t split, uint64_t size, size_t maxCarry,
              size_t minPrefix, TSpan span, TScan scan);
    ~TTailScan();
    TTailScan(const TTailScan&) = delete;
    TTailScan& operator=(const TTailScan&) = delete;

    // Null when no thread can be started.
    static std::unique_ptr<TTailScan> Start(const std::string& fileName, uint64_t split,
                                            uint64_t size, size_t maxCarry, size_t minPrefix,
                                            TSpan span, TScan scan);

    // Streams of at least this many bytes are worth a second thread (64 MiB unless set; tests
    // set it lower to take that way with small files).
    static uint64_t MinStreamBytes();
    static void SetMinStreamBytes(uint64_t bytes);
    // Whether a stream of `bytes` is scanned by two threads.
    static bool Worth(uint64_t bytes);

    void Join();
    uint64_t Split() const { return FSplit; }
    uint64_t BytesDone() const { return FDone.load(std::memory_order_relaxed); }

private:
    void Run();
    size_t FindStart(const uint8_t* data, size_t size) const;

    const std::string FFileName;
    const uint64_t FSplit, FSize;
    const size_t FMaxCarry, FMinPrefix;
    TSpan FSpan;
    TScan FScan;
    std::atomic<bool> FStop{false};
    std::atomic<uint64_t> FDone{0};
    std::thread FThread;
};

// Position of the first item from `from` on whose offset is at least `offset`, in an index whose
// offsets grow; true when that item's offset is `offset`.
bool FindIndexOffset(const TDriverIndex& index, size_t from, uint64_t offset, size_t& at);

// Whether the head's next message at `next` lies at or past the tail's last one: the two scans
// can no longer meet.
bool TailBehind(const TDriverIndex& tail, uint64_t next);

// Appends a tail's items to `head` from the one whose offset is `offset` (the head's next
// message) on; `skip` gets how many were left out before it. False, with nothing appended, when
// the tail has no such item, or when `trueStart` and the tail's first item is not one of the
// head's: a tail whose state counts its first messages is right only if they are real ones.
bool AppendMeetingTail(TDriverIndex& head, TDriverIndex& tail, uint64_t offset, bool trueStart,
                       size_t& skip);

} // namespace vorelt
