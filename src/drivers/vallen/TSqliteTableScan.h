#pragma once
// The rows of one table read straight from the pages of its database file, for the tables of
// millions of rows that a driver loads whole: SQLite's virtual machine spends several times
// longer on a row than decoding its record does. Only what the file format makes certain is
// read this way: a rowid table of a database in rollback-journal mode, whose rows lie within
// their pages and hold integers or NULL in the columns asked for. The scan stops before the
// first row it cannot take so, and tells the last row it handed over, so that the caller reads
// the rest through SQLite. For as long as the scan object lives, the connection holds a read
// transaction: no other connection can change the file under the mapping.

#include "drivers/TMappedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TSqliteDatabase;

struct TSqliteScanValue {
    int64_t Int = 0; // 0 for NULL
    bool Null = true;
};

class TSqliteTableScan {
public:
    // Done: every row so far (for a part of the tree: go on with the next part).
    enum class TEnd { Done, Stopped, Unreadable };

    class IRows {
    public:
        virtual ~IRows() = default;
        // One row in rowid order, values in the order of the columns asked for; false stops.
        virtual bool Row(int64_t rowid, const TSqliteScanValue* values) = 0;
    };

    // Begins the read transaction on `db`.
    explicit TSqliteTableScan(TSqliteDatabase& db);
    // Ends it.
    ~TSqliteTableScan();
    TSqliteTableScan(const TSqliteTableScan&) = delete;
    TSqliteTableScan& operator=(const TSqliteTableScan&) = delete;

    // Finds `table` in the file and the positions of `columns` in it (names compared ignoring
    // ASCII case; a column the table lacks reads as NULL). False when the table cannot be read
    // from the pages at all.
    bool Open(std::string_view table, const std::vector<std::string>& columns);
    // Whether the table has the column asked for at `index`.
    bool HasColumn(size_t index) const { return FPositions[index] >= 0; }
    TEnd Scan(IRows& rows);
    // The rowid of the last row handed over, when there was one.
    bool AnyRow() const { return FAnyRow; }
    int64_t LastRowid() const { return FLastRowid; }

private:
    const uint8_t* Page(uint32_t number) const;
    TEnd Walk(uint32_t page, int depth, IRows& rows);
    TEnd Leaf(const uint8_t* page, size_t header, IRows& rows);
    // One cell of a leaf page: false when it cannot be decoded here.
    bool Decode(const uint8_t* cell, const uint8_t* end, int64_t& rowid);

    TSqliteDatabase& FDb;
    bool FInTransaction = false;
    TMappedFile FFile;
    size_t FPageSize = 0;
    size_t FUsable = 0;
    uint32_t FPageCount = 0;
    uint32_t FRoot = 0;
    // Table column of each column asked for (-1: absent); the rowid alias column, if any.
    std::vector<int> FPositions;
    int FRowidAlias = -1;
    // Table columns that a short record leaves at their default; only NULL defaults are known.
    std::vector<bool> FNullDefault;
    // By table column: the column asked for it stands at, or -1.
    std::vector<int> FWanted;
    std::vector<TSqliteScanValue> FValues;
    uint32_t FPagesSeen = 0;
    bool FAnyRow = false;
    int64_t FLastRowid = 0;
};

} // namespace vorelt
