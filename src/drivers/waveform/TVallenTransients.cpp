#include "drivers/waveform/TVallenTransients.h"

#include "drivers/vallen/TSqliteDatabase.h"
#include "drivers/vallen/TSqliteQueryResults.h"
#include "drivers/waveform/TFlacBlob.h"
#include "persist/TErrors.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <numeric>

namespace vorelt {

namespace {

// More samples than any acquisition board records in one waveform: a larger count is damage,
// and refusing it keeps a wrong number from asking for gigabytes.
constexpr int64_t MaxSamples = int64_t(1) << 27;

// The columns of a record that describe its waveform, in the order the queries name them.
constexpr const char* HeaderColumns =
    "Time, Chan, SampleRate, Samples, Pretrigger, Thr, DataFormat, ParamID";
constexpr int HeaderColumnCount = 8;

} // namespace

TVallenTransients::TVallenTransients(const std::string& fileName) : FFileName(fileName) {
    FDb = std::make_unique<TSqliteDatabase>(fileName);
    try {
        {
            auto q = FDb->Query("SELECT Key, Value FROM tr_globalinfo");
            for (; !q->Eof(); q->Next())
                if (q->ColumnText(0) == "TimeBase" && q->ColumnDouble(1) > 0)
                    FTimeBase = q->ColumnDouble(1);
        }
        {
            auto q = FDb->Query("SELECT * FROM tr_params");
            const int id = q->ColumnIndex("ID");
            const int adc = q->ColumnIndex("ADC_\xC2\xB5V");
            const int tr = q->ColumnIndex("TR_mV");
            for (; !q->Eof(); q->Next()) {
                TParams p;
                p.AdcMicrovolts = q->ColumnDouble(adc);
                // The samples' own scale is TR_mV (millivolts per stored unit), as the file's
                // field table says; the maker's readers hand the samples out in single
                // precision, and so does this one, so that values agree to the last bit.
                const double perUnit = tr >= 0 ? q->ColumnDouble(tr) * 1e-3 : 0.0;
                p.VoltsPerUnit = static_cast<float>(perUnit);
                FParams[q->ColumnInt64(id)] = p;
            }
        }
        // Only the TRAI and the row of each record: recorders keep an index on TRAI, which
        // holds both, so that the listing reads a few pages however large the file is. The
        // rest of a record's header lies beside its samples, a page or more per record, and is
        // read when the waveform is.
        auto q = FDb->Query("SELECT TRAI, SetID FROM tr_data ORDER BY TRAI, SetID");
        for (; !q->Eof(); q->Next()) {
            FTrais.push_back(q->ColumnInt64(0));
            FSetIDs.push_back(q->ColumnInt64(1));
        }
        FInfos.resize(FTrais.size());
        FLoaded.assign(FTrais.size(), 0);
        for (size_t i = 0; i < FTrais.size(); ++i)
            FInfos[i].Index = FTrais[i];
    } catch (const EAEError& e) {
        throw EAEError(fileName + ": not a readable transient database (" + e.what() + ")");
    }
}

TVallenTransients::~TVallenTransients() = default;

void TVallenTransients::TakeHeader(size_t i, TSqliteQueryResults& q) const {
    TWaveformInfo& w = FInfos[i];
    w.Time = q.ColumnDouble(0) / FTimeBase;
    w.Channel = static_cast<int>(q.ColumnInt64(1));
    w.SampleRate = q.ColumnDouble(2);
    w.Samples = q.ColumnInt64(3);
    w.Pretrigger = q.ColumnInt64(4);
    w.TriggerSample = w.Pretrigger;
    w.DataFormat = static_cast<int>(q.ColumnInt64(6));
    const auto p = FParams.find(q.ColumnInt64(7));
    if (p != FParams.end()) {
        w.Threshold = q.ColumnDouble(5) * p->second.AdcMicrovolts * 1e-6;
        w.VoltsPerUnit = p->second.VoltsPerUnit;
    }
    FLoaded[i] = 1;
}

const TWaveformInfo& TVallenTransients::Info(size_t i) const {
    if (FLoaded[i]) return FInfos[i];
    try {
        if (!FHeaderQuery)
            FHeaderQuery = std::make_unique<TSqliteQueryResults>(
                *FDb, std::string("SELECT ") + HeaderColumns + " FROM tr_data WHERE SetID = ?",
                std::initializer_list<TSqliteParam>{FSetIDs[i]});
        else
            FHeaderQuery->Requery({FSetIDs[i]});
        if (!FHeaderQuery->Eof()) TakeHeader(i, *FHeaderQuery);
    } catch (const EAEError&) {
        // A header that cannot be read leaves the record without samples: reading it says so.
        FHeaderQuery.reset();
    }
    return FInfos[i];
}

long long TVallenTransients::FindTrai(int64_t trai) const {
    const auto it = std::lower_bound(FTrais.begin(), FTrais.end(), trai);
    if (it == FTrais.end() || *it != trai) return -1;
    return it - FTrais.begin();
}

bool TVallenTransients::ReadRaw(size_t i, std::vector<int32_t>& raw, std::string& message) {
    raw.clear();
    if (i >= FInfos.size()) {
        message = FFileName + ": no waveform " + std::to_string(i);
        return false;
    }
    const int64_t trai = FTrais[i];
    auto fail = [&](const std::string& reason) {
        message = FFileName + ": waveform TRAI " + std::to_string(trai) + ": " + reason;
        raw.clear();
        return false;
    };
    // The header and the samples in one read of the record.
    try {
        if (!FBlobQuery)
            FBlobQuery = std::make_unique<TSqliteQueryResults>(
                *FDb,
                std::string("SELECT ") + HeaderColumns + ", Data FROM tr_data WHERE SetID = ?",
                std::initializer_list<TSqliteParam>{FSetIDs[i]});
        else
            FBlobQuery->Requery({FSetIDs[i]});
    } catch (const EAEError& e) {
        FBlobQuery.reset();
        return fail(e.what());
    }
    if (FBlobQuery->Eof()) return fail("the record is gone");
    if (!FLoaded[i]) TakeHeader(i, *FBlobQuery);
    const TWaveformInfo& w = FInfos[i];
    if (w.Samples <= 0 || w.Samples > MaxSamples)
        return fail("the record gives " + std::to_string(w.Samples) + " samples");
    sqlite3_stmt* st = FBlobQuery->Statement();
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(st, HeaderColumnCount));
    const size_t size = static_cast<size_t>(sqlite3_column_bytes(st, HeaderColumnCount));
    const size_t n = static_cast<size_t>(w.Samples);
    switch (w.DataFormat) {
    case 0:
        if (size != 2 * n)
            return fail("the data holds " + std::to_string(size) + " bytes, " + std::to_string(n) +
                        " samples need " + std::to_string(2 * n));
        raw.resize(n);
        for (size_t k = 0; k < n; ++k)
            raw[k] =
                static_cast<int16_t>(static_cast<uint16_t>(data[2 * k] | (data[2 * k + 1] << 8)));
        return true;
    case 2: {
        std::string reason;
        if (!DecodeFlacBlob(data, size, n, raw, reason)) return fail(reason);
        if (raw.size() != n)
            return fail("the compressed data holds " + std::to_string(raw.size()) +
                        " samples, the record says " + std::to_string(n));
        return true;
    }
    default:
        return fail("unknown data format " + std::to_string(w.DataFormat));
    }
}

bool TVallenTransients::Read(size_t i, std::vector<float>& volts, std::string& message) {
    if (!ReadRaw(i, FRawScratch, message)) {
        volts.clear();
        return false;
    }
    const float scale = static_cast<float>(FInfos[i].VoltsPerUnit);
    volts.resize(FRawScratch.size());
    for (size_t k = 0; k < FRawScratch.size(); ++k)
        volts[k] = static_cast<float>(FRawScratch[k]) * scale;
    return true;
}

std::string TVallenTransients::BesideHitDatabase(const std::string& pridbName) {
    namespace fs = std::filesystem;
    const fs::path p(pridbName);
    std::error_code ec;
    for (const char* ext : {".tradb", ".TRADB", ".Tradb"}) {
        fs::path t = p;
        t.replace_extension(ext);
        if (fs::is_regular_file(t, ec)) return t.string();
    }
    return {};
}

} // namespace vorelt
