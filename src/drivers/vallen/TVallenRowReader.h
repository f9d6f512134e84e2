#pragma once
// The rows of ae_data read on a thread of their own, in chunks that the loading thread takes in
// order: stepping SQLite through millions of rows costs about as much as everything the driver
// does with them, and the two then overlap. Only the reading thread touches the connection
// until the last chunk is taken; the chunks take turns, so their memory is written once.
// Where the columns are named, the rows are taken by an aggregate function of the connection
// in one step over the whole table, so that a row costs no step and no column call of its own.

#include "drivers/vallen/TAEVallen.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

struct sqlite3_context;
struct sqlite3_value;

namespace vorelt {

class TSqliteDatabase;
class TSqliteQueryResults;

// One row of ae_data as read: its set type, the values of a data set (a marker uses Time) with
// the row of its own parameters resolved, and a marker's SetID and text from ae_markers.
struct TVallenRow {
    int64_t SetType = 0;
    TVallenWideDataSet Data;
    int64_t SetID = 0;
    std::string Text;
};

struct TVallenRowChunk {
    std::vector<TVallenRow> Rows; // the first Count are read
    size_t Count = 0;
};

class TVallenRowReader {
public:
    static constexpr size_t ChunkRows = 1024;

    // Starts reading the rows of `query` (the columns named as the driver reads them) over
    // `db`; `columns` is the list of the columns `query` selects from ae_data, when it names
    // them. `params` resolve each data set's ParamID.
    TVallenRowReader(std::unique_ptr<TSqliteDatabase> db, std::string query, std::string columns,
                     const std::vector<TVallenChannelParams>& params);
    // Stops the reading wherever it is.
    ~TVallenRowReader();
    TVallenRowReader(const TVallenRowReader&) = delete;
    TVallenRowReader& operator=(const TVallenRowReader&) = delete;

    // The next chunk, once it is read; nullptr after the last one. Throws what ended the
    // reading early (a failing step, a damaged file).
    const TVallenRowChunk* Next();
    // The chunk Next gave is used: the reader may fill it again.
    void Release();
    // The connection, for the caller's own queries once Next has returned nullptr.
    TSqliteDatabase& Database() { return *FDb; }

private:
    static constexpr size_t Slots = 4;

    // Positions of the columns in the rows as read; -1 for those the table lacks.
    struct TColumns {
        int SetID, SetType, Time, Chan, ParamID, Thr, Amp, RiseT, Dur, Eny, RMS, Counts;
    };

    static TColumns ColumnsOf(const TSqliteQueryResults& q);
    void Run();
    void ReadRows();
    // The rows straight from the pages of the file, as far as they can be read so. Returns
    // true when every row is taken (or the reading is told to stop); else `rest` is the
    // condition that selects the rows still to read through SQLite.
    bool ReadRowsFromPages(std::string& rest);
    // One step of the aggregate function: takes one row; false when it could not be started.
    // `rest` as above, empty for the whole table.
    bool ReadRowsByFunction(const std::string& rest);
    static void TakeRowStep(sqlite3_context* context, int count, sqlite3_value** values);
    // Puts one row in the chunk being filled, from values read as TValues gives them; false
    // when told to stop.
    template <class TValues> bool TakeRow(const TValues& values);
    void MarkerText(int64_t setID, std::string& text);
    // Waits for slot `k` to be free; false when told to stop.
    bool WaitFree(size_t k);
    void Publish(size_t k);
    int32_t ParamRowOf(int64_t id) const;

    std::unique_ptr<TSqliteDatabase> FDb;
    std::string FQuery;
    std::string FColumnList;
    TColumns FColumns{};
    std::unique_ptr<TSqliteQueryResults> FMarkerQuery;
    int FMarkerText = -1;
    size_t FSlot = 0;
    bool FStopped = false;
    // What a row taken inside SQLite raised; SQLite only sees a failing step.
    std::exception_ptr FRowError;
    // ParamIDs are small row ids: a table look-up, with a map for anything else.
    std::vector<int32_t> FDenseRowOfID;
    std::unordered_map<int64_t, int32_t> FRowOfID;
    // Files without ParamID have one parameter row per channel.
    std::unordered_map<int64_t, int32_t> FFirstRowOfChan;
    TVallenRowChunk FChunks[Slots];
    bool FFilled[Slots] = {};
    size_t FTake = 0;
    bool FEnd = false;
    bool FStop = false;
    std::exception_ptr FError;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::thread FThread;
};

} // namespace vorelt
