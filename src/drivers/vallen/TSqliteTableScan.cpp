#include "drivers/vallen/TSqliteTableScan.h"

#include "drivers/vallen/TSqliteDatabase.h"
#include "drivers/vallen/TSqliteQueryResults.h"
#include "persist/TErrors.h"
#include "persist/TTextHelpers.h"

#include <sqlite3.h>

namespace vorelt {

namespace {

// Page types of a table b-tree.
constexpr uint8_t InteriorTablePage = 0x05;
constexpr uint8_t LeafTablePage = 0x0D;
// Far deeper than any b-tree of 2^32 pages gets: beyond it the file is damaged.
constexpr int MaxDepth = 40;

uint32_t Big32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

unsigned Big16(const uint8_t* p) {
    return (unsigned{p[0]} << 8) | p[1];
}

// SQLite's variable-length integer at p, not reading at or past `end`; false when it would.
// Serial types and small sizes take one byte: that case comes first.
[[gnu::always_inline]] inline bool Varint(const uint8_t*& p, const uint8_t* end, uint64_t& v) {
    if (p < end && *p < 0x80) {
        v = *p++;
        return true;
    }
    v = 0;
    for (int i = 0; i < 8; ++i) {
        if (p >= end) return false;
        const uint8_t b = *p++;
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    if (p >= end) return false;
    v = (v << 8) | *p++;
    return true;
}

// Bytes of a value of serial type t in the record body.
uint64_t SerialSize(uint64_t t) {
    static constexpr uint8_t Fixed[12] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, 0, 0};
    return t < 12 ? Fixed[t] : (t - 12) / 2;
}

// A big-endian two's complement integer of n bytes (1 to 8).
[[gnu::always_inline]] inline int64_t BigSigned(const uint8_t* p, uint64_t n) {
    uint64_t v = p[0] & 0x80 ? ~uint64_t{0} : 0;
    for (uint64_t i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return static_cast<int64_t>(v);
}

} // namespace

TSqliteTableScan::TSqliteTableScan(TSqliteDatabase& db) : FDb(db) {
    // Deferred: the lock is taken by the first read, the look-up of the table, and then held
    // until the end.
    FInTransaction = FDb.Exec("BEGIN") == SQLITE_DONE;
    FDb.Finalize();
}

TSqliteTableScan::~TSqliteTableScan() {
    FFile.Close();
    if (FInTransaction) {
        FDb.Exec("COMMIT");
        FDb.Finalize();
    }
}

bool TSqliteTableScan::Open(std::string_view table, const std::vector<std::string>& columns) {
    if (!FInTransaction) return false;
    const std::string name(table);
    try {
        TSqliteQueryResults schema(
            FDb,
            "SELECT rootpage FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
            {std::string_view(name)});
        if (schema.Eof()) return false;
        const int64_t root = schema.ColumnInt64(0);
        if (root <= 0 || root > UINT32_MAX) return false; // a view or virtual table
        FRoot = static_cast<uint32_t>(root);
        // The columns in table order; the name is bound, never pasted into the SQL.
        TSqliteQueryResults info(FDb,
                                 "SELECT name, type, pk, dflt_value IS NULL "
                                 "FROM pragma_table_info(?)",
                                 {std::string_view(name)});
        std::vector<std::string> keys;
        int keyColumns = 0, integerKey = -1;
        for (; !info.Eof(); info.Next()) {
            const int column = static_cast<int>(keys.size());
            keys.push_back(UpperCase(Trim(info.ColumnText(0))));
            FNullDefault.push_back(info.ColumnInt64(3) != 0);
            if (info.ColumnInt64(2) > 0) {
                ++keyColumns;
                if (UpperCase(Trim(info.ColumnText(1))) == "INTEGER") integerKey = column;
            }
        }
        if (keys.empty()) return false;
        // A single INTEGER PRIMARY KEY stands for the rowid: its records hold NULL there.
        FRowidAlias = keyColumns == 1 ? integerKey : -1;
        FWanted.assign(keys.size(), -1);
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string key = UpperCase(Trim(columns[i]));
            int position = -1;
            for (size_t k = 0; k < keys.size() && position < 0; ++k)
                if (!key.empty() && keys[k] == key) position = static_cast<int>(k);
            FPositions.push_back(position);
            if (position >= 0 && FWanted[static_cast<size_t>(position)] < 0)
                FWanted[static_cast<size_t>(position)] = static_cast<int>(i);
        }
        FValues.assign(columns.size(), {});
    } catch (const EAEError&) {
        return false;
    }
    FDb.Finalize();

    std::string message;
    if (!FFile.Open(FDb.FileName(), message) || FFile.Size() < 100) return false;
    const uint8_t* h = FFile.Data();
    if (std::string_view(reinterpret_cast<const char*>(h), 16) !=
        std::string_view("SQLite format 3\0", 16))
        return false;
    // Write-ahead logging keeps the newest pages outside the file.
    if (h[18] != 1 || h[19] != 1) return false;
    FPageSize = Big16(h + 16) == 1 ? 65536 : Big16(h + 16);
    if (FPageSize < 512 || (FPageSize & (FPageSize - 1)) != 0) return false;
    if (h[20] > FPageSize - 480) return false;
    FUsable = FPageSize - h[20];
    uint64_t pages = FFile.Size() / FPageSize;
    // The size in the header holds when it was written by the version that last changed it.
    const uint32_t counted = Big32(h + 28);
    if (counted != 0 && Big32(h + 92) == Big32(h + 24) && counted < pages) pages = counted;
    if (pages > UINT32_MAX) pages = UINT32_MAX;
    FPageCount = static_cast<uint32_t>(pages);
    return FRoot <= FPageCount;
}

const uint8_t* TSqliteTableScan::Page(uint32_t number) const {
    return number >= 1 && number <= FPageCount
               ? FFile.Data() + static_cast<size_t>(number - 1) * FPageSize
               : nullptr;
}

TSqliteTableScan::TEnd TSqliteTableScan::Scan(IRows& rows) {
    FPagesSeen = 0;
    return Walk(FRoot, 0, rows);
}

TSqliteTableScan::TEnd TSqliteTableScan::Walk(uint32_t number, int depth, IRows& rows) {
    const uint8_t* page = Page(number);
    // A page seen more often than the file has pages means a loop in a damaged tree.
    if (!page || depth > MaxDepth || ++FPagesSeen > FPageCount) return TEnd::Unreadable;
    const size_t header = number == 1 ? 100 : 0;
    if (page[header] == LeafTablePage) return Leaf(page, header, rows);
    if (page[header] != InteriorTablePage || header + 12 > FUsable) return TEnd::Unreadable;
    const unsigned cells = Big16(page + header + 3);
    if (header + 12 + 2 * size_t{cells} > FUsable) return TEnd::Unreadable;
    for (unsigned i = 0; i < cells; ++i) {
        const unsigned at = Big16(page + header + 12 + 2 * i);
        if (at + 4 > FUsable) return TEnd::Unreadable;
        const TEnd step = Walk(Big32(page + at), depth + 1, rows);
        if (step != TEnd::Done) return step;
    }
    return Walk(Big32(page + header + 8), depth + 1, rows);
}

TSqliteTableScan::TEnd TSqliteTableScan::Leaf(const uint8_t* page, size_t header, IRows& rows) {
    if (header + 8 > FUsable) return TEnd::Unreadable;
    const unsigned cells = Big16(page + header + 3);
    if (header + 8 + 2 * size_t{cells} > FUsable) return TEnd::Unreadable;
    const uint8_t* const end = page + FUsable;
    for (unsigned i = 0; i < cells; ++i) {
        const unsigned at = Big16(page + header + 8 + 2 * i);
        if (at >= FUsable) return TEnd::Unreadable;
        int64_t rowid = 0;
        if (!Decode(page + at, end, rowid)) return TEnd::Unreadable;
        // Rowids rise along the leaves of a sound tree; the caller's resumption relies on it.
        if (FAnyRow && rowid <= FLastRowid) return TEnd::Unreadable;
        if (!rows.Row(rowid, FValues.data())) return TEnd::Stopped;
        FAnyRow = true;
        FLastRowid = rowid;
    }
    return TEnd::Done;
}

bool TSqliteTableScan::Decode(const uint8_t* cell, const uint8_t* end, int64_t& rowid) {
    const uint8_t* p = cell;
    uint64_t payload = 0, id = 0;
    if (!Varint(p, end, payload) || !Varint(p, end, id)) return false;
    // A payload larger than this continues on overflow pages.
    if (payload > FUsable - 35 || payload > static_cast<uint64_t>(end - p)) return false;
    rowid = static_cast<int64_t>(id);
    const uint8_t* const record = p;
    const uint8_t* const recordEnd = p + payload;
    uint64_t headerSize = 0;
    if (!Varint(p, recordEnd, headerSize) || headerSize > payload) return false;
    const uint8_t* const typesEnd = record + headerSize;
    const uint8_t* body = typesEnd;
    size_t column = 0;
    for (; p < typesEnd; ++column) {
        uint64_t type = 0;
        if (!Varint(p, typesEnd, type)) return false;
        const uint64_t size = SerialSize(type);
        if (size > static_cast<uint64_t>(recordEnd - body)) return false;
        const int wanted = column < FWanted.size() ? FWanted[column] : -1;
        if (wanted >= 0) {
            TSqliteScanValue& v = FValues[static_cast<size_t>(wanted)];
            if (type == 0) {
                v = {};
            } else if (type <= 6) {
                v = {BigSigned(body, size), false};
            } else if (type == 8 || type == 9) {
                v = {static_cast<int64_t>(type - 8), false};
            } else {
                return false; // a float, text or blob: SQLite converts those
            }
        } else if (type == 10 || type == 11) {
            return false;
        }
        body += size;
    }
    // Columns added to the table after the row was written: their defaults.
    for (; column < FWanted.size(); ++column) {
        if (FWanted[column] < 0) continue;
        if (!FNullDefault[column]) return false;
        FValues[static_cast<size_t>(FWanted[column])] = {};
    }
    if (FRowidAlias >= 0 && FWanted[static_cast<size_t>(FRowidAlias)] >= 0) {
        TSqliteScanValue& v =
            FValues[static_cast<size_t>(FWanted[static_cast<size_t>(FRowidAlias)])];
        if (v.Null) v = {rowid, false};
    }
    return true;
}

} // namespace vorelt
