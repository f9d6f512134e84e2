#pragma once
// The records of a dump read on a second thread, in batches that the writing thread takes in
// order: reading and converting a record costs about as much as writing its text, and the two
// then overlap. The reader keeps the values of the dumped columns of each record, packed in
// the batch, so that the writer touches one block of memory instead of every field object the
// reader has just filled; a driver that converts its records straight into such values does
// so without filling the record at all. Two batches take turns; the reader fills one while the
// other is written. A driver whose load is still pending is loaded further by the reader, as far as
// the next record needs: the dump of a large file starts before its load ends.

#include "cli/TRecordTextWriter.h"

#include "drivers/TAEDriverDb.h"
#include "drivers/TRecordSinks.h"
#include "model/TAERecord.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vorelt::cli {

struct TRecordBatch {
    std::vector<TRecordCell> Cells; // Count records of one cell per column
    std::string Texts;
    std::vector<int32_t> Positions;
    size_t Count = 0;
    bool Last = false;
    // The reader stopped at a damaged record after the records of the batch.
    bool Failed = false;
    std::string Message;

    // Record k's columns to the writer, followed by the end of the line.
    void WriteLine(size_t k, size_t columns, TRecordTextWriter& text) const;
};

class TRecordBatches {
public:
    static constexpr size_t BatchRecords = 1024;

    // `columns` are flat positions of fields in records of `layout`.
    TRecordBatches(TAEDriverDb& driver, const TAEListFields& layout, uint16_t kinds,
                   std::vector<size_t> columns);
    ~TRecordBatches();
    TRecordBatches(const TRecordBatches&) = delete;
    TRecordBatches& operator=(const TRecordBatches&) = delete;

    size_t Columns() const { return FColumns.size(); }
    // The next batch in order, once it is read; nullptr after the last one.
    const TRecordBatch* Next();
    // The batch Next gave is written: the reader may fill it again.
    void Release();
    // Ends the reader, wherever it is.
    void Stop();

private:
    void Read();
    void Fill(TRecordBatch& b, int32_t& p);
    // The next position the cursor admits after p (the first for p < 0), once the rows still
    // to come cannot change the answer.
    int32_t Advance(int32_t p);
    void Keep(TRecordBatch& b, TRecordCell* cells);
    // A copy of `list` that outlives the driver's.
    const TAEChannelList* KeptList(const TAEChannelList* list);

    TAEDriverDb& FDriver;
    TAEPNav FNav;
    TAERecord FRecord;
    std::vector<size_t> FColumns;
    // The driver's own conversion into the cells, where it has one (ReadCells).
    // None when the cells cannot stand for the records.
    std::optional<TRecordCellSink> FCells;
    bool FCellsRead = false;
    size_t FCellsRefused = 0;
    // Columns that hold channel lists.
    std::vector<size_t> FListColumns;
    // Copies of the channel lists the records point to: a failing load empties the driver's
    // while the writer may still be at records that show it.
    std::deque<TAEChannelList> FLists;
    const TAEChannelList* FListSource = nullptr;
    TRecordBatch FBatches[2];
    bool FFilled[2] = {false, false};
    size_t FTake = 0;
    bool FDone = false;
    bool FStop = false;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::thread FReader;
};

} // namespace vorelt::cli
