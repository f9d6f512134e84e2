// The SQLite layer: read-only connections, parameters, and how stepping ends.

#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/vallen/TSqliteDatabase.h"
#include "drivers/vallen/TSqliteQueryResults.h"
#include "persist/TErrors.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

namespace vorelt {
namespace {

using test::MakeDatabase;
using test::TTempDir;

TEST(VallenSqliteTest, OpeningNeverCreatesOrWrites) {
    TTempDir dir;
    const std::string missing = dir.File("missing.pridb");
    EXPECT_THROW(TSqliteDatabase db(missing), EAEError);
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string file = dir.File("t.db");
    MakeDatabase(file, {"CREATE TABLE t (a INT)", "INSERT INTO t VALUES (1)"});
    const std::string before = test::ReadFileBytes(file);
    {
        TSqliteDatabase db(file);
        EXPECT_NE(db.Exec("INSERT INTO t VALUES (2)"), SQLITE_DONE);
        EXPECT_NE(db.Exec("CREATE TABLE u (b INT)"), SQLITE_DONE);
        db.Finalize();
    }
    EXPECT_EQ(test::ReadFileBytes(file), before);
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"t.db"});
}

TEST(VallenSqliteTest, AFileNameIsNeverTakenForAUri) {
    TTempDir dir;
    // With URI names enabled this would create "x.db" in read-write mode.
    const std::string name = "file:" + dir.File("x.db") + "?mode=rwc";
    EXPECT_THROW(TSqliteDatabase db(name), EAEError);
    EXPECT_TRUE(test::FolderEntries(dir.Path()).empty());
}

TEST(VallenSqliteTest, NotADatabaseFailsOnItsFirstQuery) {
    TTempDir dir;
    const std::string file = dir.File("text.pridb");
    test::WriteFileBytes(file, std::string(4096, 'x'));
    TSqliteDatabase db(file);
    EXPECT_THROW(db.Query("SELECT * FROM ae_fieldinfo"), EAEError);
    EXPECT_EQ(test::ReadFileBytes(file), std::string(4096, 'x'));
}

TEST(VallenSqliteTest, StepsEndAtTheLastRowAndAnEmptyTableHasNone) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    MakeDatabase(file, {"CREATE TABLE empty (a INT)", "CREATE TABLE t (a INT)",
                        "INSERT INTO t VALUES (1), (2)"});
    TSqliteDatabase db(file);
    TSqliteQueryResults none(db, "SELECT * FROM empty");
    EXPECT_TRUE(none.Eof());
    EXPECT_EQ(none.ColumnInt64(0), 0);
    EXPECT_TRUE(none.Next());

    TSqliteQueryResults q(db, "SELECT * FROM t");
    std::vector<int64_t> rows;
    for (; !q.Eof(); q.Next())
        rows.push_back(q.ColumnInt64(0));
    EXPECT_EQ(rows, (std::vector<int64_t>{1, 2}));
    EXPECT_TRUE(q.Next()); // stays at the end
    EXPECT_EQ(q.ColumnInt64(0), 0);
}

TEST(VallenSqliteTest, AFailingStepEndsTheRowsAndIsReported) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    MakeDatabase(
        file, {"CREATE TABLE t (a INT)", "INSERT INTO t VALUES (1), (-9223372036854775808), (3)"});
    TSqliteDatabase db(file);
    // abs() of the smallest integer overflows on the second row.
    TSqliteQueryResults q(db, "SELECT abs(a) FROM t");
    EXPECT_FALSE(q.Eof());
    EXPECT_THROW(q.Next(), EAEError);
    EXPECT_TRUE(q.Eof());
    EXPECT_TRUE(q.Next());
    EXPECT_THROW(TSqliteQueryResults(db, "SELECT abs(-9223372036854775807 - 1)"), EAEError);
    EXPECT_THROW(TSqliteQueryResults(db, "SELECT * FROM nowhere"), EAEError);
}

TEST(VallenSqliteTest, ParametersAreBoundNotPasted) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    MakeDatabase(file, {"CREATE TABLE m (id INT, txt TEXT)",
                        "INSERT INTO m VALUES (1, 'plain'), (2, 'say \"hi\" or ''1''=''1''')"});
    TSqliteDatabase db(file);
    TSqliteQueryResults q(db, "SELECT * FROM m WHERE txt = ?",
                          {std::string_view("x\" OR \"1\"=\"1")});
    EXPECT_TRUE(q.Eof());
    q.Requery({std::string_view("say \"hi\" or '1'='1'")});
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.ColumnInt64("id"), 2);
    EXPECT_TRUE(q.Next());

    TSqliteQueryResults byID(db, "SELECT * FROM m WHERE id = ?", {int64_t{1}});
    ASSERT_FALSE(byID.Eof());
    EXPECT_EQ(byID.ColumnText("txt"), "plain");
    byID.Requery({int64_t{3}});
    EXPECT_TRUE(byID.Eof());
}

TEST(VallenSqliteTest, ColumnsByTrimmedCaseInsensitiveName) {
    TTempDir dir;
    const std::string file = dir.File("t.db");
    MakeDatabase(file, {"CREATE TABLE t (\"SetID\" INT, \" Chan \" INT, \"ADC_\xC2\xB5V\" REAL, "
                        "Data TEXT)",
                        "INSERT INTO t VALUES (7, 3, 1.5, 'a\xC2\xB5' || char(0) || 'z')"});
    TSqliteDatabase db(file);
    TSqliteQueryResults q(db, "SELECT * FROM t");
    EXPECT_EQ(q.ColumnCount(), 4);
    EXPECT_EQ(q.ColumnIndex("setid"), 0);
    EXPECT_EQ(q.ColumnIndex(" CHAN"), 1);
    EXPECT_EQ(q.ColumnName(1), "Chan");
    EXPECT_EQ(q.ColumnIndex("ADC_\xC2\xB5V"), 2);
    EXPECT_EQ(q.ColumnIndex("  "), -1);
    EXPECT_EQ(q.ColumnIndex("Missing"), -1);
    EXPECT_EQ(q.ColumnInt64("Missing"), 0);
    EXPECT_EQ(q.ColumnText("Missing"), "");
    EXPECT_DOUBLE_EQ(q.ColumnDouble(2), 1.5);
    // Texts keep their exact length, embedded zero bytes included.
    EXPECT_EQ(q.ColumnText("Data"), std::string("a\xC2\xB5\0z", 5));
}

} // namespace
} // namespace vorelt
