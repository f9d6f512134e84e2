#include "drivers/TTailScan.h"

#include "drivers/TBlockReader.h"
#include "drivers/TDriverIndex.h"

#include <algorithm>

namespace vorelt {

namespace {

// Consecutive likely messages that make a likely start, and how far the tail looks for one.
constexpr int SyncMessages = 64;
constexpr size_t SyncWindow = size_t{64} << 10;
// Below this, starting a thread costs more than it saves.
std::atomic<uint64_t> MinBytes{uint64_t{64} << 20};

} // namespace

TTailScan::TTailScan(const std::string& fileName, uint64_t split, uint64_t size, size_t maxCarry,
                     size_t minPrefix, TSpan span, TScan scan)
    : FFileName(fileName), FSplit(split), FSize(size), FMaxCarry(maxCarry), FMinPrefix(minPrefix),
      FSpan(std::move(span)), FScan(std::move(scan)) {
    FThread = std::thread([this] { Run(); });
}

TTailScan::~TTailScan() {
    FStop = true;
    Join();
}

std::unique_ptr<TTailScan> TTailScan::Start(const std::string& fileName, uint64_t split,
                                            uint64_t size, size_t maxCarry, size_t minPrefix,
                                            TSpan span, TScan scan) {
    try {
        return std::make_unique<TTailScan>(fileName, split, size, maxCarry, minPrefix,
                                           std::move(span), std::move(scan));
    } catch (const std::exception&) {
        return nullptr; // no thread to be had: one scan does it all
    }
}

uint64_t TTailScan::MinStreamBytes() {
    return MinBytes.load();
}

void TTailScan::SetMinStreamBytes(uint64_t bytes) {
    MinBytes = bytes;
}

bool TTailScan::Worth(uint64_t bytes) {
    return bytes >= MinBytes.load() && std::thread::hardware_concurrency() >= 2;
}

void TTailScan::Join() {
    if (FThread.joinable()) FThread.join();
}

void TTailScan::Run() {
    try {
        TBlockReader reader(FFileName, FSize, FMaxCarry, FSplit);
        if (!reader.IsOpen()) return;
        uint64_t base = FSplit;
        size_t carried = 0;
        for (bool first = true; !FStop; first = false) {
            const size_t got = reader.Fill(carried);
            const size_t have = carried + got;
            const size_t skip = first ? FindStart(reader.Data(), have) : 0;
            base += skip;
            const size_t used = FScan(reader.Data() + skip, have - skip, base, first);
            base += used;
            carried = have - skip - used;
            FDone.store(base - FSplit, std::memory_order_relaxed);
            if (got == 0 || base + carried >= FSize) break;
            reader.Keep(skip + used, carried);
        }
    } catch (const std::exception&) {
        // The messages up to the damage stay; the opening thread reaches it and reports it.
    }
}

size_t TTailScan::FindStart(const uint8_t* data, size_t size) const {
    const size_t window = std::min(size, SyncWindow);
    // Damaged data can make every candidate walk far: the search as a whole is bounded.
    size_t budget = 8 * SyncWindow;
    for (size_t c = 0; c < window && budget > 0; ++c) {
        size_t p = c;
        int n = 0;
        bool contradicted = false;
        while (n < SyncMessages && size - p >= FMinPrefix && budget > 0) {
            const size_t span = FSpan(data + p, size - p);
            if (span == 0) contradicted = true;
            if (span == 0 || span > size - p) break;
            p += span;
            ++n;
            --budget;
        }
        // Messages that run to the end of what was read will do too: long messages, or the
        // short last stretch of a file.
        if (n == SyncMessages || (n > 0 && !contradicted && budget > 0)) return c;
        budget -= std::min<size_t>(budget, 1);
    }
    return 0; // any start does: two scans of one stream fall into step sooner or later
}

bool FindIndexOffset(const TDriverIndex& index, size_t from, uint64_t offset, size_t& at) {
    size_t lo = from, hi = index.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (index.Offset(mid) < offset)
            lo = mid + 1;
        else
            hi = mid;
    }
    at = lo;
    return lo < index.size() && index.Offset(lo) == offset;
}

bool TailBehind(const TDriverIndex& tail, uint64_t next) {
    return tail.empty() || next >= tail.Offset(tail.size() - 1);
}

bool AppendMeetingTail(TDriverIndex& head, TDriverIndex& tail, uint64_t offset, bool trueStart,
                       size_t& skip) {
    if (!FindIndexOffset(tail, 0, offset, skip)) return false;
    size_t at = 0;
    if (skip > 0 && trueStart && !FindIndexOffset(head, 0, tail.Offset(0), at)) return false;
    head.Append(std::move(tail), skip);
    return true;
}

} // namespace vorelt
