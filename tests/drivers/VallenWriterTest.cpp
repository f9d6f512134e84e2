// Synthetic Vallen databases: the real files' schema, and a file the driver reads back as
// the generator wrote it.

#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/vallen/TAEVallen.h"
#include "mkdata/TGenerateDataFile.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <filesystem>
#include <tuple>

namespace vorelt {
namespace {

using Schema = std::vector<std::tuple<std::string, std::string, std::string>>;

Schema SchemaOf(const std::string& fileName) {
    Schema rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(fileName.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_master ORDER BY name", -1,
                                 &st, nullptr),
              SQLITE_OK);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        auto text = [st](int c) {
            const unsigned char* t = sqlite3_column_text(st, c);
            return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
        };
        rows.emplace_back(text(0), text(1), text(2));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

int64_t CountRows(const std::string& fileName, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(fileName.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    const int64_t n = st && sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

TEST(VallenWriterTest, WritesTheTablesAndViewsOfARealRecording) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", real);
    test::TTempDir dir;
    TGenerateOptions options;
    options.Format = "vallen";
    options.FileName = dir.File("gen.pridb");
    options.Hits = 10;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(options, error)) << error;
    EXPECT_EQ(SchemaOf(options.FileName), SchemaOf(real));
}

TEST(VallenWriterTest, GeneratedDatabaseOpensWithTheVallenDriverAsWritten) {
    RegisterVallenDriver();
    test::TTempDir dir;
    TGenerateOptions options;
    options.Format = "vallen";
    options.FileName = dir.File("gen.pridb");
    options.Hits = 4000;
    options.Channels = 6;
    options.Seed = 11;
    TDataManifest manifest;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(options, manifest, error)) << error;
    // Gain changes add set-ups, so rows of one channel refer to different ae_params rows.
    EXPECT_GT(CountRows(options.FileName, "SELECT count(*) FROM ae_params"), options.Channels + 1);
    EXPECT_GT(CountRows(options.FileName,
                        "SELECT count(DISTINCT ParamID) FROM ae_data WHERE SetType = 2"),
              options.Channels);

    std::string message;
    const TDriverClass* cls = FindDriverClass(options.FileName, message);
    ASSERT_NE(cls, nullptr) << message;
    EXPECT_EQ(cls->ClassName, "TAEVallen");
    std::unique_ptr<TAEDriverDb> driver;
    ASSERT_TRUE(OpenDataFile(options.FileName, nullptr, driver, message)) << message;
    EXPECT_EQ(static_cast<uint64_t>(driver->Count()), manifest.Records());
    const std::vector<test::TReadRecord> records = test::ReadAll(*driver);
    std::array<uint64_t, TDataManifest::KindCount> kinds{};
    for (const test::TReadRecord& r : records)
        ++kinds[r.Kind];
    EXPECT_EQ(kinds, manifest.Kinds);
    EXPECT_EQ(manifest.Kinds[rkHit], options.Hits);
    EXPECT_GT(manifest.Kinds[rkStop], 0u);
    test::ExpectHitsMatchView(records, options.FileName);
    TAEChannelList all;
    for (int c = 1; c <= options.Channels; ++c)
        all.push_back(static_cast<uint8_t>(c));
    EXPECT_EQ(driver->Channels(), all);
}

} // namespace
} // namespace vorelt

namespace vorelt {
namespace {

// Rows the pages cannot give alone are read through SQLite from there on: a float where an
// integer is stored gives the records of the integer SQLite makes of it, none lost or twice.
TEST(VallenWriterTest, ARowSqliteMustConvertIsReadOnThroughSqlite) {
    RegisterVallenDriver();
    test::TTempDir dir;
    TGenerateOptions options;
    options.Format = "vallen";
    options.FileName = dir.File("whole.pridb");
    options.Hits = 3000;
    options.Channels = 4;
    options.Seed = 5;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(options, error)) << error;
    const std::string converted = dir.File("converted.pridb");
    std::filesystem::copy_file(options.FileName, converted);
    const std::string row = "(SELECT SetID FROM ae_data WHERE SetType = 2 LIMIT 1 OFFSET 1700)";
    test::MakeDatabase(converted, {"UPDATE ae_data SET Amp = Amp + 0.75 WHERE SetID = " + row});
    test::MakeDatabase(options.FileName, {"UPDATE ae_data SET Amp = Amp + 0 WHERE SetID = " + row});
    ASSERT_EQ(CountRows(converted, "SELECT count(*) FROM ae_data WHERE typeof(Amp) = 'real'"), 1);

    std::unique_ptr<TAEDriverDb> whole = test::OpenVallen(options.FileName);
    std::unique_ptr<TAEDriverDb> resumed = test::OpenVallen(converted);
    ASSERT_TRUE(whole && resumed);
    const std::vector<test::TReadRecord> a = test::ReadAll(*whole), b = test::ReadAll(*resumed);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Kind, b[i].Kind) << i;
        EXPECT_EQ(a[i].Time, b[i].Time) << i;
        EXPECT_EQ(a[i].Ampl, b[i].Ampl) << i;
        EXPECT_EQ(a[i].Energy, b[i].Energy) << i;
        EXPECT_EQ(a[i].Chan, b[i].Chan) << i;
        EXPECT_EQ(a[i].DefaultText, b[i].DefaultText) << i;
    }
}

} // namespace
} // namespace vorelt
