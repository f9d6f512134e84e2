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

struct TParams {
    double AdcMicrovolts = 0;
    double VoltsPerUnit = 0;
};

} // namespace

TVallenTransients::TVallenTransients(const std::string& fileName) : FFileName(fileName) {
    FDb = std::make_unique<TSqliteDatabase>(fileName);
    try {
        double timeBase = 1e7;
        {
            auto q = FDb->Query("SELECT Key, Value FROM tr_globalinfo");
            for (; !q->Eof(); q->Next())
                if (q->ColumnText(0) == "TimeBase" && q->ColumnDouble(1) > 0)
                    timeBase = q->ColumnDouble(1);
        }
        std::map<int64_t, TParams> params;
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
                params[q->ColumnInt64(id)] = p;
            }
        }
        auto q = FDb->Query("SELECT SetID, TRAI, Time, Chan, SampleRate, Samples, Pretrigger, "
                            "Thr, DataFormat, ParamID FROM tr_data ORDER BY TRAI, SetID");
        for (; !q->Eof(); q->Next()) {
            TWaveformInfo w;
            w.Index = q->ColumnInt64(1);
            w.Time = q->ColumnDouble(2) / timeBase;
            w.Channel = static_cast<int>(q->ColumnInt64(3));
            w.SampleRate = q->ColumnDouble(4);
            w.Samples = q->ColumnInt64(5);
            w.Pretrigger = q->ColumnInt64(6);
            w.TriggerSample = w.Pretrigger;
            w.DataFormat = static_cast<int>(q->ColumnInt64(8));
            const auto p = params.find(q->ColumnInt64(9));
            if (p != params.end()) {
                w.Threshold = q->ColumnDouble(7) * p->second.AdcMicrovolts * 1e-6;
                w.VoltsPerUnit = p->second.VoltsPerUnit;
            }
            FInfos.push_back(w);
            FSetIDs.push_back(q->ColumnInt64(0));
        }
        FBlobQuery.reset();
    } catch (const EAEError& e) {
        throw EAEError(fileName + ": not a readable transient database (" + e.what() + ")");
    }
}

TVallenTransients::~TVallenTransients() = default;

long long TVallenTransients::FindTrai(int64_t trai) const {
    const auto it = std::lower_bound(FInfos.begin(), FInfos.end(), trai,
                                     [](const TWaveformInfo& w, int64_t t) { return w.Index < t; });
    if (it == FInfos.end() || it->Index != trai) return -1;
    return it - FInfos.begin();
}

bool TVallenTransients::ReadRaw(size_t i, std::vector<int32_t>& raw, std::string& message) {
    raw.clear();
    if (i >= FInfos.size()) {
        message = FFileName + ": no waveform " + std::to_string(i);
        return false;
    }
    const TWaveformInfo& w = FInfos[i];
    auto fail = [&](const std::string& reason) {
        message = FFileName + ": waveform TRAI " + std::to_string(w.Index) + ": " + reason;
        raw.clear();
        return false;
    };
    if (w.Samples <= 0 || w.Samples > MaxSamples)
        return fail("the record gives " + std::to_string(w.Samples) + " samples");
    try {
        if (!FBlobQuery)
            FBlobQuery = std::make_unique<TSqliteQueryResults>(
                *FDb, "SELECT Data FROM tr_data WHERE SetID = ?",
                std::initializer_list<TSqliteParam>{FSetIDs[i]});
        else
            FBlobQuery->Requery({FSetIDs[i]});
    } catch (const EAEError& e) {
        FBlobQuery.reset();
        return fail(e.what());
    }
    if (FBlobQuery->Eof()) return fail("the record is gone");
    sqlite3_stmt* st = FBlobQuery->Statement();
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(st, 0));
    const size_t size = static_cast<size_t>(sqlite3_column_bytes(st, 0));
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
