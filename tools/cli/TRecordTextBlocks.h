#pragma once
// The lines of a dump written by several threads at once, for a loaded driver whose reads change
// nothing in it (ConcurrentReads). The index is cut into blocks of consecutive positions; each
// thread takes the next free block, converts its records and writes their lines into the
// block's text, and the caller hands the texts to the stream in order. A record's values stay
// with the thread that converted them: handing them to another thread, as TRecordBatches does,
// costs about as much again as writing them, since every byte crosses between processor caches.

#include "cli/TRecordTextWriter.h"

#include "drivers/TAEDriverDb.h"
#include "drivers/TRecordSinks.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vorelt::cli {

struct TRecordBatch;

struct TTextBlock {
    std::string Text;
    // The last position written; -1 for none.
    int32_t LastPosition = -1;
    bool Last = false;
    // A record of the block could not be read: the text holds the lines before it.
    bool Failed = false;
    std::string Message;
};

class TRecordTextBlocks {
public:
    static constexpr int32_t BlockPositions = 2048;

    // `columns` are flat positions of fields in records of `layout`; the driver's load has ended.
    TRecordTextBlocks(TAEDriverDb& driver, const TAEListFields& layout, uint16_t kinds,
                      std::vector<size_t> columns, unsigned threads);
    ~TRecordTextBlocks();
    TRecordTextBlocks(const TRecordTextBlocks&) = delete;
    TRecordTextBlocks& operator=(const TRecordTextBlocks&) = delete;

    // The next block in order, once it is written; nullptr after the last one.
    const TTextBlock* Next();
    // The block Next gave is used: a thread may write another into it.
    void Release();
    // Ends the threads, wherever they are.
    void Stop();

private:
    static constexpr int64_t Slots = 8;

    void Work();
    // `row` holds the cells of one record, for the sink.
    void Fill(TTextBlock& b, int64_t block, TAERecord& record, std::optional<TRecordCellSink>& sink,
              TRecordBatch& row, TRecordTextWriter& text);

    TAEDriverDb& FDriver;
    const TAEListFields& FLayout;
    uint16_t FKinds;
    std::vector<size_t> FColumns;
    int64_t FBlocks = 0;
    TTextBlock FSlots[Slots];
    bool FFilled[Slots] = {};
    int64_t FGiven = 0; // blocks taken by the threads
    int64_t FTake = 0;  // the block the caller takes next
    bool FDone = false;
    bool FStop = false;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<std::thread> FThreads;
};

} // namespace vorelt::cli
