#include "drivers/TSortedCopy.h"

#include "drivers/TAEDriverDb.h"
#include "drivers/TPatchWriter.h"
#include "persist/TErrors.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace vorelt {

namespace {

// Messages whose times are read in one go, about a hundred kilobytes of the file: the bytes read
// are still in the processor's cache when their times are taken (measured on generated files).
constexpr size_t TimeBlock = 2048;
// Messages whose times are read again where the order is broken.
constexpr size_t LookupBlock = 128;
// A block whose messages lie further apart than this is read through the mapping.
constexpr uint64_t MaxViewBytes = uint64_t{64} << 20;
// From this size on the sorted copy copies the bytes on a second thread while it reads the times.
constexpr uint64_t MinParallelCopy = uint64_t{16} << 20;
constexpr uint64_t ProgressStep = 1 << 16;

} // namespace

TSortedCopy::TSortedCopy(const TAEDriverDb& driver, const std::string& target)
    : FDriver(driver), FIndex(driver.FIndex), FCount(driver.FIndex.size()),
      FFile(driver.FFile.Data()), FFileSize(driver.FFile.Size()), FOut(target),
      FSource(driver.FileName(), driver.FFile), FTimes(TimeBlock) {
    FOut.Open();
}

void TSortedCopy::Write() {
    TTimeOrder order;
    const bool whole = TimePass(order);
    const std::vector<TTimeStretch> stretches =
        order.Stretches([this](uint64_t pos) { return TimeOf(pos); });
    if (whole)
        PatchStretches(stretches);
    else
        WriteMessages(stretches);
    FOut.Commit();
    FDriver.ReportProgress(FCount, FCount);
}

void TSortedCopy::CopyTo(uint64_t end) {
    if (end <= FCopied) return;
    if (FSource.Fd() >= 0)
        FOut.CopyFrom(FSource.Fd(), FCopied, end - FCopied);
    else
        FOut.Write(FFile + FCopied, static_cast<size_t>(end - FCopied));
    FCopied = end;
}

bool TSortedCopy::TimesInto(size_t first, size_t count, int64_t* times, bool copy,
                            std::vector<uint8_t>& bytes) {
    const TDriverIndexItem& a = FIndex[first];
    const TDriverIndexItem& b = FIndex[first + count - 1];
    // Messages lie in file order; the prefix before the first body and a time behind a short
    // last body are inside too. A message outside is found through the mapping.
    constexpr size_t MaxPrefixSize = TAEDriverDb::MaxPrefixSize;
    const uint64_t lo = a.Offset > MaxPrefixSize ? a.Offset - MaxPrefixSize : 0;
    const uint64_t hi = std::min(b.Offset + b.Size + MaxPrefixSize, FFileSize);
    TAEDriverDb::TFileView view{FFile, 0, FFileSize};
    if (FSource.Fd() >= 0 && lo < hi && hi - lo <= MaxViewBytes) {
        bytes.resize(static_cast<size_t>(hi - lo));
        view = {bytes.data(), lo, ReadAt(FSource.Fd(), bytes.data(), bytes.size(), lo)};
        if (copy && lo + view.Size > FCopied) {
            CopyTo(lo);
            FOut.Write(view.At(FCopied), static_cast<size_t>(lo + view.Size - FCopied));
            FCopied = lo + view.Size;
        }
    }
    return FDriver.MessageTimes(static_cast<int32_t>(first), static_cast<int32_t>(count), view,
                                times);
}

bool TSortedCopy::TimePass(TTimeOrder& order) {
    const size_t n = FCount;
    // The blocks of the time pass: this thread takes them from the front, the copier from the
    // back once its copy is done, until they meet.
    const size_t blocks = (n + TimeBlock - 1) / TimeBlock;
    std::mutex claimMutex;
    size_t frontBlock = 0, backBlock = blocks; // [frontBlock, backBlock) are unclaimed
    struct TTailBlock {
        size_t Block;
        std::vector<int64_t> Times;
        bool Whole;
    };
    std::vector<TTailBlock> tail; // the copier's blocks, last first
    // On a large file the system copies the bytes on a second thread while this one reads the
    // times, so the two passes over the source run side by side; only this thread's reads
    // leave the process. Until the copier is joined nothing else touches FOut.
    std::thread copier;
    std::exception_ptr copyError;
    if (FSource.Fd() >= 0 && FFileSize >= MinParallelCopy &&
        std::thread::hardware_concurrency() >= 2) {
        try {
            copier = std::thread([&] {
                try {
                    FOut.CopyFrom(FSource.Fd(), 0, FFileSize);
                    std::vector<uint8_t> buffer;
                    for (;;) {
                        size_t block;
                        {
                            std::lock_guard<std::mutex> lock(claimMutex);
                            if (backBlock <= frontBlock) break;
                            block = --backBlock;
                        }
                        const size_t first = block * TimeBlock;
                        const size_t count = std::min<size_t>(TimeBlock, n - first);
                        TTailBlock t{block, std::vector<int64_t>(count), true};
                        t.Whole = TimesInto(first, count, t.Times.data(), false, buffer);
                        tail.push_back(std::move(t));
                    }
                } catch (...) {
                    copyError = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // no thread: this one copies as it reads
        }
    }
    struct TJoin {
        std::thread& Thread;
        ~TJoin() {
            if (Thread.joinable()) Thread.join();
        }
    } join{copier};
    const bool copyAsRead = !copier.joinable();

    bool whole = true;
    for (;;) {
        size_t block;
        {
            std::lock_guard<std::mutex> lock(claimMutex);
            if (frontBlock >= backBlock) break;
            block = frontBlock++;
        }
        const size_t first = block * TimeBlock;
        const size_t count = std::min<size_t>(TimeBlock, n - first);
        if (!BlockTimes(first, count, FTimes.data(), copyAsRead)) whole = false;
        order.Add(FTimes.data(), count);
        if (first % ProgressStep < TimeBlock) FDriver.ReportProgress(first, n);
    }
    if (copier.joinable()) {
        copier.join();
        if (copyError) std::rethrow_exception(copyError);
        FCopied = FFileSize;
        // The copier's blocks follow this thread's ones, in file order.
        for (auto it = tail.rbegin(); it != tail.rend(); ++it) {
            whole = whole && it->Whole;
            order.Add(it->Times.data(), it->Times.size());
        }
        std::vector<TTailBlock>().swap(tail);
    }
    CopyTo(FFileSize);
    return whole;
}

int64_t TSortedCopy::TimeOf(uint64_t pos) {
    const uint64_t block = pos / LookupBlock;
    if (block != FCachedBlock) {
        const uint64_t first = block * LookupBlock;
        BlockTimes(first, std::min<size_t>(LookupBlock, FCount - first), FTimes.data(), false);
        FCachedBlock = block;
    }
    return FTimes[pos % LookupBlock];
}

void TSortedCopy::Arrange(const TTimeStretch& s) {
    FTimed.clear();
    FSequence.clear();
    for (uint64_t p = s.First; p <= s.Last; ++p) {
        const int64_t t = TimeOf(p);
        FSequence.push_back(t == NoTime ? static_cast<int32_t>(p) : -1);
        if (t != NoTime) FTimed.push_back({t, static_cast<int32_t>(p)});
    }
    std::stable_sort(FTimed.begin(), FTimed.end(),
                     [](const TTimed& a, const TTimed& b) { return a.Time < b.Time; });
    size_t k = 0;
    for (int32_t& pos : FSequence)
        if (pos < 0) pos = FTimed[k++].Pos;
}

uint64_t TSortedCopy::SlotEnd(int32_t pos) const {
    return FIndex.End(static_cast<size_t>(pos));
}

void TSortedCopy::PatchStretches(const std::vector<TTimeStretch>& stretches) {
    TPatchWriter patch(FOut);
    for (const TTimeStretch& s : stretches) {
        Arrange(s);
        const uint64_t regionBegin = SlotBegin(static_cast<int32_t>(s.First));
        const uint64_t regionEnd = SlotEnd(static_cast<int32_t>(s.Last));
        // The stretch's bytes in one read, as for the times.
        TAEDriverDb::TFileView view{FFile, 0, FFileSize};
        if (FSource.Fd() >= 0 && regionEnd - regionBegin <= MaxViewBytes) {
            FBytes.resize(static_cast<size_t>(regionEnd - regionBegin));
            if (ReadAt(FSource.Fd(), FBytes.data(), FBytes.size(), regionBegin) == FBytes.size())
                view = {FBytes.data(), regionBegin, FBytes.size()};
        }
        uint64_t at = regionBegin;
        for (size_t j = 0; j < FSequence.size();) {
            // Messages that follow each other in the copy as in the source.
            size_t e = j + 1;
            while (e < FSequence.size() && FSequence[e] == FSequence[e - 1] + 1)
                ++e;
            const uint64_t begin = SlotBegin(FSequence[j]);
            const uint64_t size = SlotEnd(FSequence[e - 1]) - begin;
            if (begin != at) {
                if (FSource.Fd() >= 0 && size >= MinDirectCopy)
                    patch.Copy(FSource.Fd(), begin, size, at);
                else
                    patch.Put(view.At(begin), size, at);
            }
            at += size;
            j = e;
        }
    }
    patch.Flush();
    const uint64_t size = FCount > 0 ? SlotEnd(static_cast<int32_t>(FCount - 1)) : 0;
    if (size != FFileSize) FOut.Truncate(size);
}

void TSortedCopy::WriteMessages(const std::vector<TTimeStretch>& stretches) {
    // Messages that follow each other in the copy as in the source, each with a prefix as
    // stored, form one byte range of the source; ranges are written whole.
    FOut.Truncate(0);
    uint64_t runBegin = 0, runEnd = 0;
    auto flush = [&] {
        if (runEnd == runBegin) return;
        if (FSource.Fd() >= 0 && runEnd - runBegin >= MinDirectCopy)
            FOut.CopyFrom(FSource.Fd(), runBegin, runEnd - runBegin);
        else
            FOut.Write(FFile + runBegin, runEnd - runBegin);
        runBegin = runEnd;
    };
    uint8_t prefix[TAEDriverDb::MaxPrefixSize];
    auto put = [&](int32_t pos) {
        const TDriverIndexItem& item = FIndex[static_cast<size_t>(pos)];
        if (FDriver.Data(pos).size() != item.Size) throw EAEError(ErrInvalidStructure);
        const size_t len = item.Kind == ikHeader ? 0 : FDriver.MessagePrefix(item, prefix);
        const bool stored = item.Offset >= len && SameBytes(prefix, FFile + item.Offset - len, len);
        if (stored && item.Offset - len == runEnd) {
            runEnd = item.Offset + item.Size;
        } else {
            flush();
            if (stored) {
                runBegin = item.Offset - len;
                runEnd = item.Offset + item.Size;
            } else {
                FOut.Write(prefix, len);
                FOut.Write(FFile + item.Offset, item.Size);
                runBegin = runEnd = 0;
            }
        }
    };
    size_t next = 0;
    for (size_t i = 0; i < FCount;) {
        if (next < stretches.size() && i == stretches[next].First) {
            Arrange(stretches[next]);
            for (const int32_t pos : FSequence)
                put(pos);
            i = static_cast<size_t>(stretches[next++].Last) + 1;
        } else {
            put(static_cast<int32_t>(i++));
        }
    }
    flush();
}

} // namespace vorelt
