// The Vallen driver over the real databases, checked against the maker's own view, and over
// small databases written for one behaviour each.

#include "DriverMutationTest.h"
#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/TDriverRecordSource.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/vallen/TAEVallen.h"
#include "model/TAEFieldIDs.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace vorelt {
namespace {

using test::MakeDatabase;
using test::OpenVallen;
using test::ReadAll;
using test::TReadRecord;
using test::TTempDir;

// A copy of a real file in a fresh folder: opening a file writes its companion log beside it,
// and the shared data folder must stay as it is.
class VallenRealFileTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { RegisterVallenDriver(); }
};

TEST_P(VallenRealFileTest, EveryHitMatchesTheMakersView) {
    VORELT_REQUIRE_SHARED_DATA(std::string("vallen/") + GetParam(), source);
    TTempDir dir;
    const std::string file = CopyToTemp(source, dir);
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> records = ReadAll(*driver);
    EXPECT_EQ(records.size(), static_cast<size_t>(driver->Count()));
    test::ExpectHitsMatchView(records, source);
}

TEST_P(VallenRealFileTest, IsChosenFirstAndLeavesTheFileAsItWas) {
    VORELT_REQUIRE_SHARED_DATA(std::string("vallen/") + GetParam(), source);
    TTempDir dir;
    const std::string file = CopyToTemp(source, dir);
    const std::string before = test::ReadFileBytes(file);
    std::string message;
    const TDriverClass* cls = FindDriverClass(file, message);
    ASSERT_NE(cls, nullptr) << message;
    EXPECT_EQ(cls->ClassName, "TAEVallen");
    {
        std::unique_ptr<TAEDriverDb> driver;
        ASSERT_TRUE(OpenDataFile(file, nullptr, driver, message)) << message;
        EXPECT_EQ(driver->ClassName(), "TAEVallen");
        EXPECT_FALSE(ReadAll(*driver).empty());
    }
    EXPECT_EQ(test::ReadFileBytes(file), before);
    // Nothing is written beside a file that is only read.
    const std::string name = std::filesystem::path(file).filename().string();
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{name});
}

INSTANTIATE_TEST_SUITE_P(Files, VallenRealFileTest,
                         ::testing::Values("steel_plate.pridb", "bearing.pridb"));

TEST(VallenDriverTest, MarkersKeepTheirTextsAndTimes) {
    RegisterVallenDriver();
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", source);
    TTempDir dir;
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(CopyToTemp(source, dir));
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> records = ReadAll(*driver);
    ASSERT_EQ(records.size(), 18u);
    // SetIDs 1 to 4: section start, label, date and time, time zone; 18: the last label.
    EXPECT_EQ(records[0].Kind, rkSetup);
    EXPECT_EQ(records[0].DefaultText, " 00 : 00 : 00.0000000");
    EXPECT_EQ(records[1].Kind, rkComment);
    EXPECT_EQ(records[1].DefaultText, "10:52 Resume 00 : 00 : 00.0000000");
    EXPECT_EQ(records[2].Kind, rkSetup);
    EXPECT_EQ(records[2].DefaultText, "2019-09-20 10:54:52 00 : 00 : 00.0000000");
    EXPECT_EQ(records[3].Kind, rkComment);
    EXPECT_EQ(records[3].DefaultText,
              "TimeZone: +02:00 (W. Europe Standard Time) 00 : 00 : 00.0000000");
    EXPECT_EQ(records[17].Kind, rkComment);
    EXPECT_EQ(records[17].DefaultText, "10:56 Suspend 00 : 01 : 40.0700000");
    EXPECT_EQ(records[17].HHMMSS, "00 : 01 : 40");
    EXPECT_NEAR((double)records[17].TimeS, 100.07, 1e-12);
    // Status rows are set-up records; hits carry no text.
    EXPECT_EQ(records[4].Kind, rkSetup);
    EXPECT_EQ(records[9].Kind, rkHit);
    EXPECT_EQ(records[9].DefaultText, "");
}

TEST(VallenDriverTest, ChannelListHoldsEachRealChannelOnce) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", bearing);
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", plate);
    TTempDir dir;
    // bearing.pridb has two ae_params rows for each of the channels 0 and 1.
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(CopyToTemp(bearing, dir));
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->Channels(), TAEChannelList{1});
    driver = OpenVallen(CopyToTemp(plate, dir));
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->Channels(), (TAEChannelList{1, 2, 3, 4}));
    const std::vector<std::string> info = driver->InfoLines();
    ASSERT_EQ(info.size(), 5u);
    EXPECT_EQ(info[1], "Vallen Type");
    EXPECT_EQ(info[2], "Database: " + dir.File("steel_plate.pridb"));
    EXPECT_EQ(info[3], "Version: 1");
    EXPECT_EQ(info[4], "ValidSets: 18");
}

TEST(VallenDriverTest, TransientDatabaseIsRefused) {
    RegisterVallenDriver();
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.tradb", source);
    TTempDir dir;
    const std::string file = CopyToTemp(source, dir);
    std::string message;
    EXPECT_FALSE(TAEVallen::CanOpen(file, message));
    EXPECT_NE(message.find("ae_fieldinfo"), std::string::npos) << message;
    EXPECT_EQ(FindDriverClass(file, message), nullptr);
    EXPECT_EQ(message, "This Type File Not Support");
    std::unique_ptr<TAEDriverDb> driver;
    EXPECT_FALSE(OpenDataFile(file, nullptr, driver, message));
    EXPECT_EQ(message, "This Type File Not Support");
    EXPECT_FALSE(driver);
    // Not even a companion log appears for a refused file.
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"steel_plate.tradb"});
}

TEST(VallenDriverTest, DeletedAndSelectedRecordsStayMarkedAfterReopening) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", source);
    TTempDir dir;
    const std::string file = CopyToTemp(source, dir);
    {
        std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
        ASSERT_TRUE(driver);
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = {9, 11};
        EXPECT_TRUE(driver->HandleMessage(del));
        TAEOMSG sel;
        sel.Msg = omSelectGroup;
        sel.List = {10};
        EXPECT_TRUE(driver->HandleMessage(sel));
    }
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->DeletedGroupCount(), 1);
    const std::vector<TReadRecord> records = ReadAll(*driver);
    ASSERT_EQ(records.size(), 18u);
    for (const TReadRecord& r : records) {
        const bool deleted = r.Pos == 9 || r.Pos == 11;
        EXPECT_EQ(r.Deleted, deleted) << r.Pos;
        EXPECT_EQ((r.RecFlags & rfDeleted) != 0, deleted) << r.Pos;
        EXPECT_EQ(r.Selected, r.Pos == 10) << r.Pos;
    }
}

TEST(VallenDriverTest, CopiesAreRefused) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", source);
    TTempDir dir;
    const std::string file = CopyToTemp(source, dir);
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    std::string message;
    // The text says which file cannot be sorted or copied, and why.
    const std::string why = "Operation Not Support: " + file +
                            " is a Vallen database, which cannot be sorted or copied";
    EXPECT_FALSE(driver->SortToFile(dir.File("sorted.pridb"), message));
    EXPECT_EQ(message, why);
    TDriverRecordSource source2(*driver);
    EXPECT_FALSE(driver->SaveToFile(source2, dir.File("saved.pridb"), message));
    EXPECT_EQ(message, why);
    EXPECT_FALSE(std::filesystem::exists(dir.File("sorted.pridb")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("saved.pridb")));
}

// ---- small databases ------------------------------------------------------------------------

std::vector<std::string> With(std::vector<std::string> base, std::vector<std::string> more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

TEST(VallenDriverTest, AnEmptyDataTableGivesNoRecords) {
    TTempDir dir;
    const std::string file = dir.File("empty.pridb");
    MakeDatabase(file, test::MinimalVallenSchema());
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->Count(), 0);
    TAEPNav nav;
    EXPECT_EQ(driver->FirstRecord(nav), -1);
    EXPECT_EQ(driver->RecordCount(nav), 0);
}

TEST(VallenDriverTest, EachRowIsScaledByItsOwnParameterRow) {
    TTempDir dir;
    const std::string file = dir.File("params.pridb");
    // Channel 1 has two set-ups; the hit refers to the second one by ParamID.
    MakeDatabase(file, With(test::MinimalVallenSchema(),
                            {"INSERT INTO ae_params VALUES (2, 2, 1, 10.0, 4.0)",
                             "INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, Thr, Amp, "
                             "RiseT, Dur, Eny, RMS, Counts) VALUES "
                             "(1, 2, 10000000, 1, 2, 10, 100, 15, 200, 3, 1000, 7),"
                             "(2, 2, 20000000, 1, 1, 10, 100, 15, 200, 3, 1000, 7)"}));
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> r = ReadAll(*driver);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_NEAR((double)r[0].Ampl, 60.0, 1e-12); // 100 × 10 µV
    EXPECT_NEAR((double)r[0].Threshold, 40.0, 1e-12);
    EXPECT_NEAR((double)r[0].Energy, 12.0, 1e-12);
    // 1000 × 10 µV × 0.0065536 = 65.536 µV = 0.065536 mV
    EXPECT_NEAR((double)r[0].RMS, 0.065536, 1e-15);
    EXPECT_NEAR((double)r[1].Ampl, 20 * std::log10(200.0), 1e-12); // 100 × 2 µV
    EXPECT_NEAR((double)r[1].RMS, 0.0131072, 1e-15);
    EXPECT_EQ(r[0].Rise, 2); // 1.5 µs rounds half to even
    EXPECT_NEAR((double)r[0].Durat, 20.0, 1e-15);
    EXPECT_EQ(r[0].Count, 7);
    EXPECT_EQ(r[0].Chan, 1);
    EXPECT_EQ(r[0].HHMMSS, "00 : 00 : 01");
}

TEST(VallenDriverTest, RmsIsConvertedFromTheFilesUnitIntoMillivolts) {
    EXPECT_EQ(TAEVallen::MillivoltsPer("[\xC2\xB5V]"), 1e-3L);
    EXPECT_EQ(TAEVallen::MillivoltsPer(" uV "), 1e-3L);
    EXPECT_EQ(TAEVallen::MillivoltsPer("[mV]"), 1.0L);
    EXPECT_EQ(TAEVallen::MillivoltsPer("[V]"), 1000.0L);
    EXPECT_EQ(TAEVallen::MillivoltsPer(""), 1.0L);

    TTempDir dir;
    const std::string file = dir.File("mv.pridb");
    MakeDatabase(file, With(test::MinimalVallenSchema(),
                            {"UPDATE ae_fieldinfo SET Unit = '[mV]' WHERE field = 'RMS'",
                             "INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, RMS) "
                             "VALUES (1, 1, 0, 1, 1, 1000)"}));
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> r = ReadAll(*driver);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR((double)r[0].RMS, 13.1072, 1e-12);
}

TEST(VallenDriverTest, NoLevelLeavesDecibelsEmptyAndTimeFactorZeroKeepsMicroseconds) {
    TTempDir dir;
    const std::string file = dir.File("zero.pridb");
    MakeDatabase(file, With(test::MinimalVallenSchema(),
                            {"UPDATE ae_fieldinfo SET Factor = 0 WHERE field = 'Time'",
                             "INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, Thr, Amp) "
                             "VALUES (1, 2, 62500, 1, 1, 0, 0)"}));
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> r = ReadAll(*driver);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_FALSE(r[0].HasAmpl);
    EXPECT_FALSE(r[0].HasThreshold);
    EXPECT_EQ(r[0].Time, 62500.0L);
    EXPECT_EQ(r[0].TimeS, 0.0625L);
}

TEST(VallenDriverTest, WithoutTimeRowTheTimeFieldsStayEmpty) {
    TTempDir dir;
    const std::string file = dir.File("notime.pridb");
    MakeDatabase(file, With(test::MinimalVallenSchema(),
                            {"DELETE FROM ae_fieldinfo WHERE field = 'Time'",
                             "INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, Amp) "
                             "VALUES (1, 2, 62500, 1, 1, 5)"}));
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> r = ReadAll(*driver);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_FALSE(r[0].HasTime);
    EXPECT_TRUE(r[0].HasAmpl);
}

TEST(VallenDriverTest, LabelTextsGiveRecordKindsWithoutRegardToCase) {
    TTempDir dir;
    const std::string file = dir.File("labels.pridb");
    MakeDatabase(
        file, With(test::MinimalVallenSchema(),
                   {"INSERT INTO ae_data (SetID, SetType, Time) VALUES (1, 4, 625000), "
                    "(2, 4, 0), (3, 4, 0), (4, 4, 0), (5, 4, 0), (6, 6, 0), (7, 5, 0), (8, 4, 0),"
                    " (9, 99, 0)",
                    "INSERT INTO ae_markers VALUES (1, 1, 'end of test'), (2, 2, 'Time Mark'),"
                    " (3, 3, 'resume'), (4, 4, 'PAUSE'), (5, 5, 'say \"x\" it''s'),"
                    " (6, 1, 'section'), (7, NULL, '2024-01-02 03:04:05')"}));
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> r = ReadAll(*driver);
    ASSERT_EQ(r.size(), 9u);
    EXPECT_EQ(r[0].Kind, rkStop);
    EXPECT_EQ(r[0].DefaultText, "end of test 00 : 00 : 00.0625000");
    EXPECT_EQ(r[1].Kind, rkTimeMark);
    EXPECT_EQ(r[2].Kind, rkResume);
    EXPECT_EQ(r[3].Kind, rkComment);
    EXPECT_EQ(r[4].Kind, rkComment);
    EXPECT_EQ(r[4].DefaultText, "say \"x\" it's 00 : 00 : 00.0000000");
    EXPECT_EQ(r[5].Kind, rkSetup);
    EXPECT_EQ(r[5].DefaultText, "section 00 : 00 : 00.0000000");
    EXPECT_EQ(r[6].Kind, rkSetup);
    EXPECT_EQ(r[6].DefaultText, "2024-01-02 03:04:05 00 : 00 : 00.0000000");
    // A label without its ae_markers row is an empty comment; unknown set types are unknown.
    EXPECT_EQ(r[7].Kind, rkComment);
    EXPECT_EQ(r[7].DefaultText, " 00 : 00 : 00.0000000");
    EXPECT_EQ(r[8].Kind, rkUnknown);
    EXPECT_EQ(r[8].DefaultText, "");
}

TEST(VallenDriverTest, LongMarkerTextsAreCutAtWholeCharacters) {
    TTempDir dir;
    const std::string file = dir.File("long.pridb");
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "\xC2\xB5";
    MakeDatabase(file, With(test::MinimalVallenSchema(),
                            {"INSERT INTO ae_data (SetID, SetType, Time) VALUES (1, 4, 0)",
                             "INSERT INTO ae_markers VALUES (1, 1, '" + text + "')"}));
    std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
    ASSERT_TRUE(driver);
    const std::vector<TReadRecord> r = ReadAll(*driver);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].DefaultText, text.substr(0, 510) + " 00 : 00 : 00.0000000");
}

TEST(VallenDriverTest, LoadFailsOnAMissingTableAndOpenRefusesForeignFiles) {
    TTempDir dir;
    const std::string file = dir.File("noglobal.pridb");
    MakeDatabase(file, With(test::MinimalVallenSchema(), {"DROP TABLE ae_globalinfo"}));
    TAEVallen driver;
    std::string message;
    ASSERT_TRUE(driver.Open(file, message)) << message;
    EXPECT_FALSE(driver.Load(message));
    EXPECT_NE(message.find("ae_globalinfo"), std::string::npos) << message;
    EXPECT_EQ(driver.Count(), 0);

    TAEVallen other;
    EXPECT_FALSE(other.Open(dir.File("missing.pridb"), message));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(other.State(), dsNone);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.log")));
}

TEST(VallenDriverTest, TimeConversionFollowsTheTarvelRule) {
    TAEVallen driver;
    long double v = -1;
    EXPECT_TRUE(driver.ConvertTime(fidTimeHH, fidTimeS, v, 2.0L));
    EXPECT_EQ(v, 7200.0L);
    EXPECT_TRUE(driver.ConvertTime(fidTimeMS, fidTimeS, v, 1500.0L));
    EXPECT_EQ(v, 1.5L);
    v = -1;
    EXPECT_FALSE(driver.ConvertTime(fidTime, fidTimeS, v, 1.0L));
    EXPECT_EQ(v, -1.0L);
}

// A writer that dies inside a transaction leaves a hot journal. Reading must neither roll it
// back nor touch the database: the read fails and both files stay as they were.
TEST(VallenDriverTest, AHotJournalIsNeverRolledBack) {
    TTempDir dir;
    const std::string file = dir.File("hot.pridb");
    std::vector<std::string> rows;
    for (int i = 1; i <= 2000; ++i)
        rows.push_back("INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, Amp) VALUES (" +
                       std::to_string(i) + ", 2, " + std::to_string(i) + ", 1, 1, 5)");
    std::vector<std::string> statements = test::MinimalVallenSchema();
    statements.push_back("BEGIN");
    statements.insert(statements.end(), rows.begin(), rows.end());
    statements.push_back("COMMIT");
    MakeDatabase(file, statements);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        sqlite3_exec(db, "PRAGMA cache_size = 2; BEGIN; UPDATE ae_data SET Amp = Amp + 1;", nullptr,
                     nullptr, nullptr);
        _exit(0); // no commit, no rollback, no close
    }
    int status = 0;
    waitpid(child, &status, 0);
    const std::string journal = file + "-journal";
    ASSERT_TRUE(std::filesystem::exists(journal)) << "the writer left no journal";
    const std::string dbBefore = test::ReadFileBytes(file);
    const std::string journalBefore = test::ReadFileBytes(journal);

    TAEVallen driver;
    std::string message;
    if (driver.Open(file, message)) {
        EXPECT_FALSE(driver.Load(message));
        driver.Close();
    }
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(test::ReadFileBytes(file), dbBefore);
    EXPECT_EQ(test::ReadFileBytes(journal), journalBefore);
}

} // namespace
} // namespace vorelt

namespace vorelt {
namespace {

// A damaged database is refused or fails to load with SQLite's text; nothing escapes and no
// cursor runs away.
TEST(VallenDriverTest, DamagedDatabasesFailCleanly) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", source);
    test::TMutationOptions options;
    options.RandomCases = 300;
    options.FieldCases = 100;
    options.TruncationCases = 100;
    options.SortEvery = 50; // refused, and must say so
    options.Extension = ".pridb";
    const test::TMutationStats stats = test::RunDriverMutations(
        test::ReadFileBytes(source), &TAEVallen::CanOpen,
        [] { return std::make_unique<TAEVallen>(); }, options);
    EXPECT_GT(stats.Loaded, 0);
    EXPECT_LT(stats.Loaded, stats.Cases);
}

} // namespace
} // namespace vorelt
