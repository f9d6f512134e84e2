#include "drivers/vallen/TVallenRowReader.h"

#include "drivers/vallen/TSqliteDatabase.h"
#include "drivers/vallen/TSqliteQueryResults.h"
#include "drivers/vallen/TSqliteTableScan.h"
#include "persist/TErrors.h"

#include <sqlite3.h>

namespace vorelt {

TVallenRowReader::TVallenRowReader(std::unique_ptr<TSqliteDatabase> db, std::string query,
                                   std::string columns,
                                   const std::vector<TVallenChannelParams>& params)
    : FDb(std::move(db)), FQuery(std::move(query)), FColumnList(std::move(columns)) {
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
    // No statement of the reader stays open on the connection it hands back.
    FMarkerQuery.reset();
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

TVallenRowReader::TColumns TVallenRowReader::ColumnsOf(const TSqliteQueryResults& q) {
    return {q.ColumnIndex("SetID"), q.ColumnIndex("SetType"), q.ColumnIndex("Time"),
            q.ColumnIndex("Chan"),  q.ColumnIndex("ParamID"), q.ColumnIndex("Thr"),
            q.ColumnIndex("Amp"),   q.ColumnIndex("RiseT"),   q.ColumnIndex("Dur"),
            q.ColumnIndex("Eny"),   q.ColumnIndex("RMS"),     q.ColumnIndex("Counts")};
}

namespace {

// The values of the current row of a stepped query.
struct TStatementValues {
    sqlite3_stmt* Statement;
    int64_t Int(int c) const { return c < 0 ? 0 : sqlite3_column_int64(Statement, c); }
    bool IsNull(int c) const { return sqlite3_column_type(Statement, c) == SQLITE_NULL; }
};

// The arguments of one step of the aggregate function, in the order of the column list.
struct TArgumentValues {
    sqlite3_value** Values;
    int64_t Int(int c) const { return c < 0 ? 0 : sqlite3_value_int64(Values[c]); }
    bool IsNull(int c) const { return sqlite3_value_type(Values[c]) == SQLITE_NULL; }
};

constexpr char TakeRowsFunction[] = "vorelt_take_rows";

void TakeRowsFinal(sqlite3_context* context) {
    sqlite3_result_null(context);
}

} // namespace

void TVallenRowReader::MarkerText(int64_t setID, std::string& text) {
    // Bound, never pasted into the SQL: the id comes from the file.
    if (!FMarkerQuery) {
        FMarkerQuery =
            std::make_unique<TSqliteQueryResults>(*FDb, "SELECT * FROM ae_markers WHERE SetID = ?",
                                                  std::initializer_list<TSqliteParam>{setID});
        FMarkerText = FMarkerQuery->ColumnIndex("Data");
    } else
        FMarkerQuery->Requery({setID});
    if (FMarkerQuery->Eof())
        text.clear();
    else
        text = FMarkerQuery->ColumnText(FMarkerText);
}

template <class TValues> bool TVallenRowReader::TakeRow(const TValues& values) {
    const TColumns& c = FColumns;
    TVallenRowChunk& chunk = FChunks[FSlot];
    TVallenRow& row = chunk.Rows[chunk.Count];
    row.SetType = values.Int(c.SetType);
    if (row.SetType == 1 || row.SetType == 2 || row.SetType == 3) {
        TVallenWideDataSet& d = row.Data;
        d.Time = values.Int(c.Time);
        d.Chan = values.Int(c.Chan);
        d.Thr = values.Int(c.Thr);
        d.Amp = values.Int(c.Amp);
        d.RiseT = values.Int(c.RiseT);
        d.Dur = values.Int(c.Dur);
        d.Eny = values.Int(c.Eny);
        d.RMS = values.Int(c.RMS);
        d.Counts = values.Int(c.Counts);
        d.ParamRow = -1;
        if (c.ParamID >= 0) {
            if (!values.IsNull(c.ParamID)) d.ParamRow = ParamRowOf(values.Int(c.ParamID));
        } else {
            auto it = FFirstRowOfChan.find(d.Chan);
            if (it != FFirstRowOfChan.end()) d.ParamRow = it->second;
        }
    } else if (row.SetType == 4 || row.SetType == 5 || row.SetType == 6) {
        row.SetID = values.Int(c.SetID);
        row.Data.Time = values.Int(c.Time);
        MarkerText(row.SetID, row.Text);
    }
    if (++chunk.Count == ChunkRows) {
        Publish(FSlot);
        FSlot = (FSlot + 1) % Slots;
        if (!WaitFree(FSlot)) {
            FStopped = true;
            return false;
        }
        FChunks[FSlot].Count = 0;
    }
    return true;
}

void TVallenRowReader::TakeRowStep(sqlite3_context* context, int, sqlite3_value** values) {
    auto* self = static_cast<TVallenRowReader*>(sqlite3_user_data(context));
    try {
        if (self->TakeRow(TArgumentValues{values})) return;
        sqlite3_result_error(context, "reading stopped", -1);
    } catch (...) {
        // Nothing may pass through SQLite's frames; the step fails and the reader raises this.
        self->FRowError = std::current_exception();
        sqlite3_result_error(context, "reading failed", -1);
    }
}

bool TVallenRowReader::ReadRowsByFunction(const std::string& rest) {
    if (FColumnList.empty()) return false;
    TSqliteDatabase& db = *FDb;
    if (sqlite3_create_function_v2(db.Handle(), TakeRowsFunction, -1,
                                   SQLITE_UTF8 | SQLITE_DIRECTONLY, this, nullptr, &TakeRowStep,
                                   &TakeRowsFinal, nullptr) != SQLITE_OK)
        return false;
    const std::string query = std::string("SELECT ") + TakeRowsFunction + "(" + FColumnList +
                              ") FROM ae_data NOT INDEXED" + rest;
    sqlite3_stmt* probe = nullptr;
    const int rc = sqlite3_prepare_v2(db.Handle(), query.c_str(), -1, &probe, nullptr);
    sqlite3_finalize(probe);
    if (rc != SQLITE_OK) return false;
    {
        // The names of the arguments, as the column list gives them.
        TSqliteQueryResults names(db, FQuery + " LIMIT 0");
        FColumns = ColumnsOf(names);
    }
    try {
        TSqliteQueryResults all(db, query);
    } catch (const EAEError&) {
        if (FRowError) std::rethrow_exception(FRowError);
        if (FStopped) return true;
        throw;
    }
    return true;
}

namespace {

// The values of a row as the page scan decodes them.
struct TScanValues {
    const TSqliteScanValue* Values;
    int64_t Int(int c) const { return c < 0 ? 0 : Values[c].Int; }
    bool IsNull(int c) const { return c < 0 || Values[c].Null; }
};

constexpr const char* RowColumns[] = {"SetID", "SetType", "Time", "Chan", "ParamID", "Thr",
                                      "Amp",   "RiseT",   "Dur",  "Eny",  "RMS",     "Counts"};

} // namespace

bool TVallenRowReader::ReadRowsFromPages(std::string& rest) {
    rest.clear();
    TSqliteTableScan scan(*FDb);
    if (!scan.Open("ae_data",
                   std::vector<std::string>(std::begin(RowColumns), std::end(RowColumns))))
        return false;
    int* const positions[] = {&FColumns.SetID, &FColumns.SetType, &FColumns.Time,
                              &FColumns.Chan,  &FColumns.ParamID, &FColumns.Thr,
                              &FColumns.Amp,   &FColumns.RiseT,   &FColumns.Dur,
                              &FColumns.Eny,   &FColumns.RMS,     &FColumns.Counts};
    for (size_t i = 0; i < std::size(positions); ++i)
        *positions[i] = scan.HasColumn(i) ? static_cast<int>(i) : -1;
    struct TRows : TSqliteTableScan::IRows {
        TVallenRowReader& Reader;
        explicit TRows(TVallenRowReader& reader) : Reader(reader) {}
        bool Row(int64_t, const TSqliteScanValue* values) override {
            return Reader.TakeRow(TScanValues{values});
        }
    } rows(*this);
    switch (scan.Scan(rows)) {
    case TSqliteTableScan::TEnd::Done:
    case TSqliteTableScan::TEnd::Stopped:
        return true;
    case TSqliteTableScan::TEnd::Unreadable:
        break;
    }
    // SQLite goes on after the last row taken, in the same order.
    if (scan.AnyRow()) rest = " WHERE rowid > " + std::to_string(scan.LastRowid());
    return false;
}

void TVallenRowReader::ReadRows() {
    FSlot = 0;
    if (!WaitFree(FSlot)) return;
    FChunks[FSlot].Count = 0;
    std::string rest;
    if (ReadRowsFromPages(rest)) {
        if (!FStopped && FChunks[FSlot].Count > 0) Publish(FSlot);
        return;
    }
    if (!ReadRowsByFunction(rest)) {
        TSqliteQueryResults q(*FDb, FQuery + rest);
        FColumns = ColumnsOf(q);
        const TStatementValues values{q.Statement()};
        for (; !q.Eof(); q.Next())
            if (!TakeRow(values)) return;
    }
    if (!FStopped && FChunks[FSlot].Count > 0) Publish(FSlot);
}

} // namespace vorelt
