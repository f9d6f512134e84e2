#pragma once
// The time-sorted copy of a driver's data file in the file's own format (the work of
// TAEDriverDb::SortToFile). Recorded files are nearly in order. The time pass reads the source
// block by block for the times and writes what it read as the copy, which the disk writes as it
// comes; then only the stretches out of order are written again at their places (in-place
// patching). Where some message is not stored as the copy writes it, the message writer writes
// the copy message by message instead. The bytes are read into one buffer: a first pass through
// the mapping costs more where each page is touched for the first time.

#include "drivers/TSourceFd.h"
#include "drivers/TTimeOrder.h"
#include "persist/TFileWriter.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace vorelt {

class TAEDriverDb;
class TDriverIndex;

// A prefix is a few bytes: a call of memcmp would cost more than the comparison.
inline bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n) {
    uint8_t diff = 0;
    for (size_t i = 0; i < n; ++i)
        diff |= static_cast<uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

class TSortedCopy {
public:
    // Opens the target's temporary file and the source for reading.
    TSortedCopy(const TAEDriverDb& driver, const std::string& target);
    TSortedCopy(const TSortedCopy&) = delete;
    TSortedCopy& operator=(const TSortedCopy&) = delete;

    // Writes the copy and commits it; throws EAEError (or the system's error) on a fault, and
    // the target is then left as it was.
    void Write();

private:
    // The positions of a stretch in the order of the copy.
    struct TTimed {
        int64_t Time;
        int32_t Pos;
    };

    // The time pass: the times of every message into `order`, block by block, while the copy
    // gets the source's bytes. On a large file the system copies the bytes on a second thread
    // while this one reads the times. Returns whether every message lies right behind its
    // stored prefix, one after the other.
    bool TimePass(TTimeOrder& order);
    // In-place patching, for a source whose messages all lie as the copy writes them: the copy
    // (the source's bytes) differs from the source only inside the stretches, and a message's
    // place in the copy is where the messages before it in the copy end.
    void PatchStretches(const std::vector<TTimeStretch>& stretches);
    // The message writer, for a source with a message that is not stored as the copy writes
    // it: the copy is written anew message by message.
    void WriteMessages(const std::vector<TTimeStretch>& stretches);

    // The times of `count` messages from `first` into `times` (TimeOrNone of each), reading
    // their bytes into `bytes` in one go; with `copy` the bytes read are appended to the copy.
    // Returns whether each of them is stored at the end of the one before it.
    bool TimesInto(size_t first, size_t count, int64_t* times, bool copy,
                   std::vector<uint8_t>& bytes);
    bool BlockTimes(size_t first, size_t count, int64_t* times, bool copy) {
        return TimesInto(first, count, times, copy, FBytes);
    }
    // Appends the source's bytes from FCopied up to `end` to the copy.
    void CopyTo(uint64_t end);
    // The time of a position again, read with the few around it (the stretches and their
    // order need the times next to the descents).
    int64_t TimeOf(uint64_t pos);
    // FSequence: the positions of a stretch in the order of the copy.
    void Arrange(const TTimeStretch& s);
    // Where a message's slot (its prefix and its body) ends and begins in the source.
    uint64_t SlotEnd(int32_t pos) const;
    uint64_t SlotBegin(int32_t pos) const { return pos > 0 ? SlotEnd(pos - 1) : uint64_t{0}; }

    const TAEDriverDb& FDriver;
    const TDriverIndex& FIndex;
    const size_t FCount;
    const uint8_t* const FFile;
    const uint64_t FFileSize;
    TFileWriter FOut;
    const TSourceFd FSource;
    std::vector<uint8_t> FBytes;
    uint64_t FCopied = 0; // the copy holds the source's bytes up to here
    std::vector<int64_t> FTimes;
    uint64_t FCachedBlock = std::numeric_limits<uint64_t>::max(); // the block FTimes holds
    std::vector<TTimed> FTimed;
    std::vector<int32_t> FSequence;
};

} // namespace vorelt
