// Rows read straight from the pages of a database file: the same values as SQLite gives, a stop
// before anything the pages cannot tell alone, and no read outside the file when it is damaged.

#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/vallen/TSqliteDatabase.h"
#include "drivers/vallen/TSqliteQueryResults.h"
#include "drivers/vallen/TSqliteTableScan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace vorelt {
namespace {

using test::MakeDatabase;
using test::TTempDir;

struct TRow {
    int64_t Rowid = 0;
    std::vector<TSqliteScanValue> Values;
};

struct TCollect : TSqliteTableScan::IRows {
    explicit TCollect(size_t columns, size_t stopAfter = SIZE_MAX)
        : Columns(columns), StopAfter(stopAfter) {}
    std::vector<TRow> Rows;
    size_t Columns;
    size_t StopAfter;
    bool Row(int64_t rowid, const TSqliteScanValue* values) override {
        if (Rows.size() == StopAfter) return false;
        Rows.push_back({rowid, std::vector<TSqliteScanValue>(values, values + Columns)});
        return true;
    }
};

// Every kind of integer record value, NULLs, and the constants 0 and 1, over enough rows of
// small pages for a tree of several levels.
std::vector<std::string> IntegerTable() {
    std::vector<std::string> s = {"PRAGMA page_size = 512",
                                  "CREATE TABLE t (Id INTEGER PRIMARY KEY, a INT, b INT, c TEXT)",
                                  "BEGIN"};
    const int64_t samples[] = {0,          1,
                               -1,         127,
                               128,        -129,
                               32767,      -32769,
                               8388607,    -8388609,
                               2147483647, -2147483649,
                               1LL << 47,  -(1LL << 47),
                               INT64_MAX,  INT64_MIN + 1};
    for (int i = 1; i <= 3000; ++i) {
        const int64_t v = samples[i % std::size(samples)];
        const std::string b = i % 7 == 0 ? "NULL" : std::to_string(v / 3);
        s.push_back("INSERT INTO t VALUES (" + std::to_string(i * 3) + "," + std::to_string(v) +
                    "," + b + ",'text " + std::to_string(i) + "')");
    }
    s.push_back("COMMIT");
    return s;
}

// What SQLite gives for the same columns, in rowid order.
std::vector<TRow> SqliteRows(const std::string& file, const std::string& columns, size_t n) {
    TSqliteDatabase db(file);
    std::vector<TRow> rows;
    for (TSqliteQueryResults q(db, "SELECT rowid, " + columns + " FROM t ORDER BY rowid"); !q.Eof();
         q.Next()) {
        TRow r{q.ColumnInt64(0), {}};
        for (size_t i = 0; i < n; ++i)
            r.Values.push_back(
                {q.ColumnInt64(static_cast<int>(i + 1)), q.ColumnIsNull(static_cast<int>(i + 1))});
        rows.push_back(r);
    }
    return rows;
}

void ExpectSameRows(const std::vector<TRow>& got, const std::vector<TRow>& want, size_t n) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].Rowid, want[i].Rowid) << i;
        for (size_t c = 0; c < n; ++c) {
            EXPECT_EQ(got[i].Values[c].Null, want[i].Values[c].Null) << i << " " << c;
            EXPECT_EQ(got[i].Values[c].Int, want[i].Values[c].Int) << i << " " << c;
        }
    }
}

TEST(SqliteTableScanTest, RowsAreThoseSqliteGives) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    MakeDatabase(file, IntegerTable());
    TSqliteDatabase db(file);
    TSqliteTableScan scan(db);
    // The rowid alias, names in another case, and a column the table lacks.
    ASSERT_TRUE(scan.Open("T", {"B", "id", "a", "missing"}));
    EXPECT_FALSE(scan.HasColumn(3));
    TCollect rows(4);
    EXPECT_EQ(scan.Scan(rows), TSqliteTableScan::TEnd::Done);
    ExpectSameRows(rows.Rows, SqliteRows(file, "b, Id, a, NULL", 4), 4);
    EXPECT_EQ(rows.Rows.size(), 3000u);
    EXPECT_TRUE(scan.AnyRow());
    EXPECT_EQ(scan.LastRowid(), 9000);
}

TEST(SqliteTableScanTest, StopsBeforeAValueSqliteWouldConvertAndTellsWhere) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    std::vector<std::string> s = IntegerTable();
    s.push_back("UPDATE t SET b = 2.5 WHERE Id = 1500");
    MakeDatabase(file, s);
    TSqliteDatabase db(file);
    {
        TSqliteTableScan scan(db);
        ASSERT_TRUE(scan.Open("t", {"a", "b"}));
        TCollect rows(2);
        EXPECT_EQ(scan.Scan(rows), TSqliteTableScan::TEnd::Unreadable);
        ASSERT_TRUE(scan.AnyRow());
        EXPECT_EQ(scan.LastRowid(), 1497);
        EXPECT_EQ(rows.Rows.size(), 499u);
    }
    // A text in a column not asked for is no reason to stop; a caller's stop is its own end.
    TSqliteTableScan scan(db);
    ASSERT_TRUE(scan.Open("t", {"a"}));
    TCollect rows(1, 10);
    EXPECT_EQ(scan.Scan(rows), TSqliteTableScan::TEnd::Stopped);
    EXPECT_EQ(scan.LastRowid(), 30);
}

TEST(SqliteTableScanTest, ColumnsAddedLaterReadAsTheirNullDefault) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    std::vector<std::string> s = IntegerTable();
    s.push_back("ALTER TABLE t ADD COLUMN d INT");
    s.push_back("INSERT INTO t VALUES (10000, 1, 2, 'x', 4)");
    MakeDatabase(file, s);
    {
        TSqliteDatabase db(file);
        TSqliteTableScan scan(db);
        ASSERT_TRUE(scan.Open("t", {"d"}));
        TCollect rows(1);
        EXPECT_EQ(scan.Scan(rows), TSqliteTableScan::TEnd::Done);
        ExpectSameRows(rows.Rows, SqliteRows(file, "d", 1), 1);
    }
    // Any other default is SQLite's to give.
    const std::string other = dir.File("u.db");
    MakeDatabase(other, {"CREATE TABLE t (a INT)", "INSERT INTO t VALUES (1)",
                         "ALTER TABLE t ADD COLUMN d INT DEFAULT 5"});
    TSqliteDatabase db(other);
    TSqliteTableScan scan(db);
    ASSERT_TRUE(scan.Open("t", {"d"}));
    TCollect rows(1);
    EXPECT_EQ(scan.Scan(rows), TSqliteTableScan::TEnd::Unreadable);
    EXPECT_FALSE(scan.AnyRow());
}

TEST(SqliteTableScanTest, OnlyRowidTablesOfRollbackJournalFiles) {
    TTempDir dir;
    const std::string wal = dir.File("wal.db");
    MakeDatabase(
        wal, {"PRAGMA journal_mode = WAL", "CREATE TABLE t (a INT)", "INSERT INTO t VALUES (1)"});
    {
        TSqliteDatabase db(wal);
        EXPECT_FALSE(TSqliteTableScan(db).Open("t", {"a"}));
    }
    const std::string other = dir.File("other.db");
    MakeDatabase(other, {"CREATE TABLE t (a INT)", "CREATE VIEW v AS SELECT a FROM t",
                         "CREATE TABLE w (a INT PRIMARY KEY, b INT) WITHOUT ROWID",
                         "INSERT INTO w VALUES (1, 2)"});
    TSqliteDatabase db(other);
    EXPECT_FALSE(TSqliteTableScan(db).Open("v", {"a"}));
    EXPECT_FALSE(TSqliteTableScan(db).Open("none", {"a"}));
    // Its pages are no table b-tree: the scan stops before any row.
    TSqliteTableScan scan(db);
    if (scan.Open("w", {"a", "b"})) {
        TCollect rows(2);
        EXPECT_EQ(scan.Scan(rows), TSqliteTableScan::TEnd::Unreadable);
        EXPECT_TRUE(rows.Rows.empty());
    }
}

// Damaged copies: whatever the scan hands over lies within the file, and it ends.
TEST(SqliteTableScanTest, DamagedPagesAreNeverReadPast) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    MakeDatabase(file, IntegerTable());
    const std::string bytes = test::ReadFileBytes(file);
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = bytes;
        const int flips = 1 + static_cast<int>(random() % 16);
        for (int i = 0; i < flips; ++i) {
            // Past the header page and the schema, in the table's pages.
            const size_t at = 1024 + random() % (damaged.size() - 1024);
            damaged[at] = static_cast<char>(random());
        }
        const std::string copy = dir.File("d" + std::to_string(round) + ".db");
        std::ofstream(copy, std::ios::binary) << damaged;
        try {
            TSqliteDatabase db(copy);
            TSqliteTableScan scan(db);
            if (!scan.Open("t", {"Id", "a", "b"})) continue;
            TCollect rows(3);
            scan.Scan(rows);
            EXPECT_LE(rows.Rows.size(), 100000u);
        } catch (const std::exception&) {
        }
        std::filesystem::remove(copy);
    }
}

} // namespace
} // namespace vorelt
