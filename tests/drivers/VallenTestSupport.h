#pragma once
// Helpers of the Vallen tests: small databases written through SQLite itself, the records a
// driver serves, and the maker's own view of a database as the oracle of the hits.

#include "drivers/TAEDriverDb.h"
#include "model/TAERecord.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt::test {

// Creates (or extends) a database by running the statements in order; fails the test on error.
void MakeDatabase(const std::string& fileName, const std::vector<std::string>& statements);

// The statements of a minimal Vallen hit database with the real files' tables, without rows
// in ae_data; channel `chan` gets ae_params row `ID` 1 (ADC_µV 2, ADC_TE 0.5).
std::vector<std::string> MinimalVallenSchema();

// Opens, loads and initialises `fileName` with the Vallen driver; null (and a test failure)
// when it does not reach Ready.
std::unique_ptr<TAEDriverDb> OpenVallen(const std::string& fileName);

// One record as read through the cursor, with the values the tests look at.
struct TReadRecord {
    int32_t Pos = -1;
    uint8_t Kind = 0;
    uint8_t RecFlags = 0;
    bool HasTime = false;
    long double Time = 0, TimeS = 0, Ampl = 0, Threshold = 0, Durat = 0, Energy = 0, RMS = 0;
    bool HasAmpl = false, HasThreshold = false, HasRMS = false;
    int64_t Chan = 0, Rise = 0, Count = 0;
    std::string HHMMSS, DefaultText;
    bool Deleted = false, Selected = false;
};

// Every record of the driver in cursor order (empty kind set).
std::vector<TReadRecord> ReadAll(TAEDriverDb& driver);

// One row of view_ae_data.
struct TViewHit {
    int64_t SetID = 0;
    double Time = 0, Thr = 0, Amp = 0, RiseT = 0, Dur = 0, Eny = 0, RMS = 0;
    int64_t Chan = 0, Counts = 0;
};
// The hits (SetType 2) of the maker's view, in SetID order.
std::vector<TViewHit> ViewHits(const std::string& fileName);

// Compares every hit record with the view, converting the view's units into the fields'
// own: seconds, dB from µV, µs, eu, mV from µV.
void ExpectHitsMatchView(const std::vector<TReadRecord>& records, const std::string& fileName);

// Names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

} // namespace vorelt::test
