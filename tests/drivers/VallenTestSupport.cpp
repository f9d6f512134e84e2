#include "VallenTestSupport.h"

#include "drivers/TDriverRegistry.h"
#include "drivers/vallen/TAEVallen.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vorelt::test {

void MakeDatabase(const std::string& fileName, const std::vector<std::string>& statements) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(fileName.c_str(), &db), SQLITE_OK);
    for (const std::string& sql : statements) {
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (error ? error : "");
        sqlite3_free(error);
    }
    sqlite3_close(db);
}

std::vector<std::string> MinimalVallenSchema() {
    return {
        "CREATE TABLE ae_data (\"SetID\" INTEGER PRIMARY KEY,\"SetType\" INT,\"Time\" INT,"
        "\"Chan\" INT,\"Status\" INT,\"ParamID\" INT,\"Thr\" INT,\"Amp\" INT,\"RiseT\" INT,"
        "\"Dur\" INT,\"Eny\" INT,\"SS\" INT,\"RMS\" INT,\"Counts\" INT,\"TRAI\" INT)",
        "CREATE TABLE ae_markers (\"SetID\" INT UNIQUE,\"Number\" INT,\"Data\" TEXT)",
        "CREATE TABLE ae_fieldinfo (field,Unit,SetTypes,Parameter,Factor)",
        "CREATE TABLE ae_params (\"ID\" INTEGER PRIMARY KEY,\"SetupID\" INT,\"Chan\" INT,"
        "\"ADC_\xC2\xB5V\" REAL,\"ADC_TE\" REAL)",
        "CREATE TABLE ae_globalinfo(Key UNIQUE, Value)",
        "INSERT INTO ae_fieldinfo VALUES ('Time','[s]',NULL,NULL,1e-7), ('Chan',NULL,12,NULL,NULL),"
        " ('Thr','[\xC2\xB5V]',12,'ADC_\xC2\xB5V',NULL), "
        "('Amp','[\xC2\xB5V]',4,'ADC_\xC2\xB5V',NULL),"
        " ('RiseT','[\xC2\xB5s]',4,NULL,0.1), ('Dur','[\xC2\xB5s]',4,NULL,0.1),"
        " ('Eny','[eu]',12,'ADC_TE',NULL), ('RMS','[\xC2\xB5V]',12,'ADC_\xC2\xB5V',0.0065536),"
        " ('Counts',NULL,4,NULL,NULL)",
        "INSERT INTO ae_params VALUES (1, 1, 1, 2.0, 0.5)",
        "INSERT INTO ae_globalinfo VALUES ('Version','1'), ('FileID','x'), ('ValidSets','0')",
    };
}

std::unique_ptr<TAEDriverDb> OpenVallen(const std::string& fileName) {
    auto driver = std::make_unique<TAEVallen>();
    std::string message;
    bool ok = driver->Open(fileName, message);
    EXPECT_TRUE(ok) << message;
    if (ok) {
        ok = driver->Load(message);
        EXPECT_TRUE(ok) << message;
    }
    if (ok) {
        ok = driver->Initialize(message);
        EXPECT_TRUE(ok) << message;
    }
    EXPECT_EQ(driver->State(), dsReady);
    if (!ok) return nullptr;
    return driver;
}

std::vector<TReadRecord> ReadAll(TAEDriverDb& driver) {
    TAEListFields layout;
    driver.GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    auto value = [&record](const char* id) { return record.FindByID(id); };
    std::vector<TReadRecord> out;
    TAEPNav nav;
    int32_t p = driver.FirstRecord(nav);
    while ((nav.Out.Status & nsEndForward) == 0) {
        EXPECT_EQ(nav.Out.Status & nsError, 0);
        if (nav.Out.Status & nsError) break;
        driver.ReadRecord(nav, record, p);
        TReadRecord r;
        r.Pos = p;
        r.Kind = record.Kind();
        r.RecFlags = record.RecFlags();
        r.HasTime = !value(fidTime)->IsNull();
        r.Time = value(fidTime)->GetAsFloat();
        r.TimeS = value(fidTimeS)->GetAsFloat();
        r.HasAmpl = !value(fidAmpl)->IsNull();
        r.Ampl = value(fidAmpl)->GetAsFloat();
        r.HasThreshold = !value(fidThreshold)->IsNull();
        r.Threshold = value(fidThreshold)->GetAsFloat();
        r.Durat = value(fidDurat)->GetAsFloat();
        r.Energy = value(fidEnergy)->GetAsFloat();
        r.HasRMS = !value(fidRMS)->IsNull();
        r.RMS = value(fidRMS)->GetAsFloat();
        r.Chan = value(fidChan)->GetAsInt64();
        r.Rise = value(fidRise)->GetAsInt64();
        r.Count = value(fidCount)->GetAsInt64();
        r.HHMMSS = value(fidHHMMSS)->GetAsString();
        r.DefaultText = value(fidDefaultText)->GetAsString();
        r.Deleted = value(fidDeleted)->GetAsBoolean();
        r.Selected = value(fidSelected)->GetAsBoolean();
        out.push_back(r);
        p = driver.NextRecord(nav, p);
    }
    return out;
}

std::vector<TViewHit> ViewHits(const std::string& fileName) {
    std::vector<TViewHit> hits;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(fileName.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT SetID, Time, Chan, Thr, Amp, RiseT, Dur, Eny, RMS, Counts "
                                 "FROM view_ae_data WHERE SetType = 2 ORDER BY SetID",
                                 -1, &st, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        TViewHit h;
        h.SetID = sqlite3_column_int64(st, 0);
        h.Time = sqlite3_column_double(st, 1);
        h.Chan = sqlite3_column_int64(st, 2);
        h.Thr = sqlite3_column_double(st, 3);
        h.Amp = sqlite3_column_double(st, 4);
        h.RiseT = sqlite3_column_double(st, 5);
        h.Dur = sqlite3_column_double(st, 6);
        h.Eny = sqlite3_column_double(st, 7);
        h.RMS = sqlite3_column_double(st, 8);
        h.Counts = sqlite3_column_int64(st, 9);
        hits.push_back(h);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return hits;
}

namespace {

::testing::AssertionResult Near(const char* what, long double actual, double expected) {
    const long double tolerance = 1e-9L * std::max(1.0L, std::fabs((long double)expected));
    if (std::fabs(actual - expected) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << what << ": driver " << (double)actual << ", view " << expected;
}

} // namespace

void ExpectHitsMatchView(const std::vector<TReadRecord>& records, const std::string& fileName) {
    std::vector<TReadRecord> hits;
    for (const TReadRecord& r : records)
        if (r.Kind == rkHit) hits.push_back(r);
    const std::vector<TViewHit> view = ViewHits(fileName);
    ASSERT_FALSE(view.empty());
    ASSERT_EQ(hits.size(), view.size());
    for (size_t i = 0; i < view.size(); ++i) {
        const TReadRecord& r = hits[i];
        const TViewHit& v = view[i];
        SCOPED_TRACE("hit SetID " + std::to_string(v.SetID));
        EXPECT_TRUE(Near("time", r.TimeS, v.Time));
        EXPECT_TRUE(Near("time in µs", r.Time, v.Time * 1e6));
        EXPECT_EQ(r.Chan, v.Chan);
        ASSERT_TRUE(r.HasAmpl);
        EXPECT_TRUE(Near("amplitude", r.Ampl, 20 * std::log10(v.Amp)));
        ASSERT_TRUE(r.HasThreshold);
        EXPECT_TRUE(Near("threshold", r.Threshold, 20 * std::log10(v.Thr)));
        // The rise-time field holds whole microseconds.
        EXPECT_LE(std::fabs(r.Rise - v.RiseT), 0.5 + 1e-9) << r.Rise << " vs " << v.RiseT;
        EXPECT_TRUE(Near("duration", r.Durat, v.Dur));
        EXPECT_TRUE(Near("energy", r.Energy, v.Eny));
        ASSERT_TRUE(r.HasRMS);
        EXPECT_TRUE(Near("RMS in mV", r.RMS, v.RMS / 1000.0));
        EXPECT_EQ(r.Count, v.Counts);
    }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vorelt::test
