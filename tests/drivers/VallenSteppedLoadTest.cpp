// Loading a Vallen database in steps while its records are read: every record read during the
// load is the record a whole load gives, groups of the log included, and a driver closed or
// destroyed in the middle of a load stops its reading thread.

#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/vallen/TAEVallen.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorelt {
namespace {

using test::TTempDir;

constexpr int Rows = 20000;

// Hits on two channels with a label every 3000 rows and a few values too wide for 32 bits:
// several chunks of the reading thread, every kind of row the driver keeps.
std::string MakeFile(const TTempDir& dir) {
    const std::string file = dir.File("stepped.pridb");
    std::vector<std::string> statements = test::MinimalVallenSchema();
    statements.push_back("INSERT INTO ae_params VALUES (2, 1, 2, 3.0, 0.25)");
    statements.push_back(
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
        std::to_string(Rows) +
        ") INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, Thr, Amp, RiseT, Dur, Eny, "
        "RMS, Counts) SELECT x, CASE WHEN x % 3000 = 0 THEN 4 ELSE 2 END, x * 137, 1 + x % 2, "
        "1 + x % 2, 10, 20 + x % 97, x % 50, x % 400, CASE WHEN x % 4999 = 0 THEN 5000000000 "
        "ELSE x % 1000 END, x % 300, x % 70 FROM n");
    statements.push_back("WITH RECURSIVE n(x) AS (SELECT 3000 UNION ALL SELECT x + 3000 FROM n "
                         "WHERE x < " +
                         std::to_string(Rows) +
                         ") INSERT INTO ae_markers SELECT x, x / 3000, 'note ' || x FROM n");
    test::MakeDatabase(file, statements);
    return file;
}

class TRecordTexts {
public:
    explicit TRecordTexts(TAEDriverDb& driver) : FDriver(driver) {
        TAEListFields layout;
        driver.GetFields(&layout);
        FRecord.BuildForLayout(layout);
    }
    // Every field of the record at `pos` as text.
    std::string At(int32_t pos) {
        TAEPNav nav;
        FDriver.ReadRecord(nav, FRecord, pos);
        std::string line = std::to_string(FRecord.Kind()) + "|";
        for (const TAEField* f : FRecord.FlatFields())
            line += f->GetAsString() + ";";
        return line;
    }
    // "Deleted" and "Selected" of the record read last.
    bool Flag(const char* id) const {
        const TAEField* f = FRecord.FindByID(id);
        return f && f->GetAsString() == "True";
    }

private:
    TAEDriverDb& FDriver;
    TAERecord FRecord;
};

std::vector<std::string> WholeLoad(const std::string& file) {
    std::unique_ptr<TAEDriverDb> driver = test::OpenVallen(file);
    std::vector<std::string> lines;
    if (!driver) return lines;
    TRecordTexts texts(*driver);
    for (int32_t p = 0; p < driver->Count(); ++p)
        lines.push_back(texts.At(p));
    return lines;
}

TEST(VallenSteppedLoadTest, RecordsReadDuringTheLoadAreThoseOfAWholeLoad) {
    TTempDir dir;
    const std::string file = MakeFile(dir);
    {
        // A deleted and a selected group in the log, one of them far into the file.
        std::unique_ptr<TAEDriverDb> driver = test::OpenVallen(file);
        ASSERT_TRUE(driver);
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = {3, 15001};
        driver->HandleMessage(del);
        TAEOMSG sel;
        sel.Msg = omSelectGroup;
        sel.List = {12000};
        driver->HandleMessage(sel);
    }
    const std::vector<std::string> whole = WholeLoad(file);
    ASSERT_EQ(whole.size(), static_cast<size_t>(Rows));

    TAEVallen driver;
    std::string message;
    ASSERT_TRUE(driver.Open(file, message)) << message;
    ASSERT_TRUE(driver.BeginLoad(message)) << message;
    EXPECT_TRUE(driver.LoadPending());
    EXPECT_EQ(driver.State(), dsLoading);
    TRecordTexts texts(driver);
    int32_t read = 0;
    int partial = 0;
    while (driver.LoadPending()) {
        ASSERT_TRUE(driver.LoadMore(message)) << message;
        if (driver.LoadPending() && driver.Count() > 0) ++partial;
        for (; read < driver.Count(); ++read) {
            ASSERT_EQ(texts.At(read), whole[static_cast<size_t>(read)]) << read;
            EXPECT_EQ(texts.Flag(fidDeleted), read == 3 || read == 15001) << read;
            EXPECT_EQ(texts.Flag(fidSelected), read == 12000) << read;
        }
    }
    EXPECT_EQ(read, Rows);
    EXPECT_GT(partial, 1) << "the records came in one step";
    EXPECT_EQ(driver.State(), dsLoad);
    EXPECT_EQ(driver.InfoLines(), test::OpenVallen(file)->InfoLines());
    ASSERT_TRUE(driver.Initialize(message));
    EXPECT_EQ(driver.State(), dsReady);
}

TEST(VallenSteppedLoadTest, ClosingOrDestroyingInTheMiddleOfALoadEndsIt) {
    TTempDir dir;
    const std::string file = MakeFile(dir);
    std::string message;
    {
        TAEVallen driver;
        ASSERT_TRUE(driver.Open(file, message));
        ASSERT_TRUE(driver.BeginLoad(message));
        ASSERT_TRUE(driver.LoadMore(message));
        driver.Close();
        EXPECT_FALSE(driver.LoadPending());
        EXPECT_EQ(driver.Count(), 0);
        EXPECT_TRUE(driver.LoadMore(message));
        EXPECT_EQ(driver.Count(), 0);
        // Opened and loaded again, whole.
        ASSERT_TRUE(driver.Open(file, message));
        ASSERT_TRUE(driver.Load(message)) << message;
        EXPECT_EQ(driver.Count(), Rows);
    }
    {
        TAEVallen driver;
        ASSERT_TRUE(driver.Open(file, message));
        ASSERT_TRUE(driver.BeginLoad(message));
        // Destroyed with the reading thread waiting for room.
    }
    {
        // A new load while one is pending starts from the beginning.
        TAEVallen driver;
        ASSERT_TRUE(driver.Open(file, message));
        ASSERT_TRUE(driver.BeginLoad(message));
        ASSERT_TRUE(driver.LoadMore(message));
        ASSERT_TRUE(driver.Load(message)) << message;
        EXPECT_EQ(driver.Count(), Rows);
        EXPECT_FALSE(driver.LoadPending());
    }
}

} // namespace
} // namespace vorelt
