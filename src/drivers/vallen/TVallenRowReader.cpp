#include "drivers/vallen/TVallenRowReader.h"

#include "drivers/vallen/TSqliteDatabase.h"
#include "drivers/vallen/TSqliteQueryResults.h"

#include <sqlite3.h>

namespace vorelt {

TVallenRowReader::TVallenRowReader(std::unique_ptr<TSqliteDatabase> db, std::string query,
                                   const std::vector<TVallenChannelParams>& params)
    : FDb(std::move(db)), FQuery(std::move(query)) {
    for (size_t i = 0; i < params.size(); ++i) {
        const int64_t id = params[i].ID;
        if (id >= 0 && id < 65536) {
            if (static_cast<size_t>(id) >= FDenseRowOfID.size())
                FDenseRowOfID.resize(static_cast<size_t>(id) + 1, -1);
            if (FDenseRowOfID[static_cast<size_t>(id)] < 0)
                FDenseRowOfID[static_cast<size_t>(id)] = static_cast<int32_t>(i);
        } else
            FRowOfID.emplace(id, static_cast<int32_t>(i));
        FFirstRowOfChan.emplace(params[i].Chan, static_cast<int32_t>(i));
    }
    for (TVallenRowChunk& c : FChunks)
        c.Rows.resize(ChunkRows);
    FThread = std::thread([this] { Run(); });
}

TVallenRowReader::~TVallenRowReader() {
    if (FThread.joinable()) {
        {
            std::lock_guard lock(FMutex);
            FStop = true;
        }
        FChanged.notify_all();
        FThread.join();
    }
}

const TVallenRowChunk* TVallenRowReader::Next() {
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return FFilled[FTake] || FEnd; });
        if (FFilled[FTake]) return &FChunks[FTake];
    }
    // Every chunk is taken and the thread is done: the connection is the caller's again.
    if (FThread.joinable()) FThread.join();
    if (FError) std::rethrow_exception(FError);
    return nullptr;
}

void TVallenRowReader::Release() {
    {
        std::lock_guard lock(FMutex);
        FFilled[FTake] = false;
        FTake = (FTake + 1) % Slots;
    }
    FChanged.notify_all();
}

bool TVallenRowReader::WaitFree(size_t k) {
    std::unique_lock lock(FMutex);
    FChanged.wait(lock, [&] { return FStop || !FFilled[k]; });
    return !FStop;
}

void TVallenRowReader::Publish(size_t k) {
    {
        std::lock_guard lock(FMutex);
        FFilled[k] = true;
    }
    FChanged.notify_all();
}

void TVallenRowReader::Run() {
    try {
        ReadRows();
    } catch (...) {
        FError = std::current_exception();
    }
    {
        std::lock_guard lock(FMutex);
        FEnd = true;
    }
    FChanged.notify_all();
}

int32_t TVallenRowReader::ParamRowOf(int64_t id) const {
    if (id >= 0 && static_cast<uint64_t>(id) < FDenseRowOfID.size())
        return FDenseRowOfID[static_cast<size_t>(id)];
    auto it = FRowOfID.find(id);
    return it != FRowOfID.end() ? it->second : -1;
}

void TVallenRowReader::ReadRows() {
    TSqliteDatabase& db = *FDb;
    TSqliteQueryResults q(db, FQuery);
    const int cSetID = q.ColumnIndex("SetID"), cSetType = q.ColumnIndex("SetType"),
              cTime = q.ColumnIndex("Time"), cChan = q.ColumnIndex("Chan"),
              cParamID = q.ColumnIndex("ParamID"), cThr = q.ColumnIndex("Thr"),
              cAmp = q.ColumnIndex("Amp"), cRiseT = q.ColumnIndex("RiseT"),
              cDur = q.ColumnIndex("Dur"), cEny = q.ColumnIndex("Eny"), cRMS = q.ColumnIndex("RMS"),
              cCounts = q.ColumnIndex("Counts");
    sqlite3_stmt* st = q.Statement();
    auto column = [st](int c) -> int64_t { return c < 0 ? 0 : sqlite3_column_int64(st, c); };

    std::unique_ptr<TSqliteQueryResults> markerQuery;
    int markerText = -1;
    auto markerTextOf = [&](int64_t setID, std::string& text) {
        // Bound, never pasted into the SQL: the id comes from the file.
        if (!markerQuery) {
            markerQuery = std::make_unique<TSqliteQueryResults>(
                db, "SELECT * FROM ae_markers WHERE SetID = ?",
                std::initializer_list<TSqliteParam>{setID});
            markerText = markerQuery->ColumnIndex("Data");
        } else
            markerQuery->Requery({setID});
        if (markerQuery->Eof())
            text.clear();
        else
            text = markerQuery->ColumnText(markerText);
    };

    size_t k = 0;
    if (!WaitFree(k)) return;
    FChunks[k].Count = 0;
    for (; !q.Eof(); q.Next()) {
        TVallenRowChunk& chunk = FChunks[k];
        TVallenRow& row = chunk.Rows[chunk.Count];
        row.SetType = column(cSetType);
        if (row.SetType == 1 || row.SetType == 2 || row.SetType == 3) {
            TVallenWideDataSet& d = row.Data;
            d.Time = column(cTime);
            d.Chan = column(cChan);
            d.Thr = column(cThr);
            d.Amp = column(cAmp);
            d.RiseT = column(cRiseT);
            d.Dur = column(cDur);
            d.Eny = column(cEny);
            d.RMS = column(cRMS);
            d.Counts = column(cCounts);
            d.ParamRow = -1;
            if (cParamID >= 0) {
                if (sqlite3_column_type(st, cParamID) != SQLITE_NULL)
                    d.ParamRow = ParamRowOf(sqlite3_column_int64(st, cParamID));
            } else {
                auto it = FFirstRowOfChan.find(d.Chan);
                if (it != FFirstRowOfChan.end()) d.ParamRow = it->second;
            }
        } else if (row.SetType == 4 || row.SetType == 5 || row.SetType == 6) {
            row.SetID = column(cSetID);
            row.Data.Time = column(cTime);
            markerTextOf(row.SetID, row.Text);
        }
        if (++chunk.Count == ChunkRows) {
            Publish(k);
            k = (k + 1) % Slots;
            if (!WaitFree(k)) return;
            FChunks[k].Count = 0;
        }
    }
    if (FChunks[k].Count > 0) Publish(k);
}

} // namespace vorelt
