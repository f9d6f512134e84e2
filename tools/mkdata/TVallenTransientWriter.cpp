#include "TVallenTransientWriter.h"

#include "TGeneratedDatabase.h"

#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"

#include <FLAC/stream_encoder.h>
#include <sqlite3.h>

#include <filesystem>

namespace vorelt {

namespace {

const char* const TransientSchema[] = {
    "CREATE TABLE tr_data (\"SetID\" INTEGER PRIMARY KEY,\"Time\" INT,\"TRAI\" INT,"
    "\"Status\" INT,\"ParamID\" INT,\"Chan\" INT,\"Pretrigger\" INT,\"Thr\" INT,"
    "\"SampleRate\" INT,\"Samples\" INT,\"DataFormat\" INT,\"Data\" BLOB)",
    "CREATE TABLE tr_globalinfo(Key UNIQUE, Value)",
    "CREATE TABLE tr_fieldinfo (field,Unit,Parameter)",
    "CREATE TABLE tr_params (\"ID\" INTEGER PRIMARY KEY,\"SetupID\" INT,\"Chan\" INT,"
    "\"ADC_\xC2\xB5V\" REAL,\"TR_mV\" REAL)",
    "CREATE INDEX idx_TRAI on tr_data (TRAI)",
    "CREATE INDEX idx_SetupID_Chan on tr_params (SetupID,Chan)",
    "CREATE VIEW view_tr_data as select (d.SetID) as SetID,(d.Time*1E-7) as Time,(d.TRAI) as "
    "TRAI,(d.Status) as Status,(d.Chan) as Chan,(d.Pretrigger) as "
    "Pretrigger,(d.Thr*p.ADC_\xC2\xB5V) "
    "as Thr,(d.SampleRate) as SampleRate,(d.Samples) as Samples,(d.DataFormat) as DataFormat,"
    "p.TR_mV as TR_mV,(d.Data) as Data from tr_data d  left join tr_params p on p.ID=d.ParamID",
    "INSERT INTO tr_fieldinfo VALUES ('Time', '[s]', NULL), ('Thr', '[\xC2\xB5V]', "
    "'ADC_\xC2\xB5V'), ('SampleRate', '[Hz]', NULL), ('Data', NULL, 'TR_mV')",
    nullptr};

FLAC__StreamEncoderWriteStatus AppendBytes(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                           size_t bytes, uint32_t, uint32_t, void* client) {
    auto* blob = static_cast<std::vector<uint8_t>*>(client);
    blob->insert(blob->end(), buffer, buffer + bytes);
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

} // namespace

TVallenTransientWriter::TVallenTransientWriter(const std::string& fileName,
                                               TWaveformStorage storage, int channels,
                                               double microvoltsPerUnit)
    : FFileName(fileName), FStorage(storage), FMicrovoltsPerUnit(microvoltsPerUnit) {
    std::error_code ec;
    std::filesystem::remove(fileName, ec);
    Check(OpenGeneratedDatabase(fileName.c_str(), &FDb), "open");
    for (const char* const* sql = TransientSchema; *sql; ++sql)
        Exec(*sql);
    Exec("INSERT INTO tr_globalinfo VALUES ('Version', '1'), ('FileStatus', '0'), "
         "('TimeBase', '10000000'), ('BytesPerSample', '2'), ('WriterID', '-'), "
         "('ValidSets', '0'), ('TRAI', '0')");
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(FDb, "INSERT INTO tr_params VALUES (?, 1, ?, ?, ?)", -1, &st, nullptr),
          "tr_params");
    // ADC_µV scales the threshold; TR_mV the samples (twice as coarse, as real files have it).
    for (int c = 0; c <= channels; ++c) {
        sqlite3_reset(st);
        sqlite3_bind_int(st, 1, c + 1);
        sqlite3_bind_int(st, 2, c);
        sqlite3_bind_double(st, 3, c == 0 ? 0.0 : microvoltsPerUnit / 2);
        sqlite3_bind_double(st, 4, c == 0 ? 0.0 : microvoltsPerUnit * 1e-3);
        const int step = sqlite3_step(st);
        if (step != SQLITE_DONE) {
            sqlite3_finalize(st);
            Check(step, "tr_params");
        }
    }
    sqlite3_finalize(st);
    Check(sqlite3_prepare_v2(FDb, "INSERT INTO tr_data VALUES (?, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?)",
                             -1, &FInsert, nullptr),
          "tr_data");
}

TVallenTransientWriter::~TVallenTransientWriter() {
    Close();
    if (!FFinished) {
        std::error_code ec;
        std::filesystem::remove(FFileName, ec);
    }
}

void TVallenTransientWriter::Close() {
    sqlite3_finalize(FInsert);
    FInsert = nullptr;
    if (FDb) sqlite3_close_v2(FDb);
    FDb = nullptr;
}

void TVallenTransientWriter::Exec(const char* sql) {
    Check(sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr), sql);
}

void TVallenTransientWriter::Check(int rc, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
    throw EAEError("Cannot write " + FFileName + " (" + what +
                   "): " + (FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(rc)));
}

void TVallenTransientWriter::Encode(const std::vector<int16_t>& samples) {
    FBlob.clear();
    FWide.assign(samples.begin(), samples.end());
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    if (!encoder) throw EAEError("Cannot write " + FFileName + ": no memory for FLAC");
    // The acquisition's own streams: mono, 16 bits, blocks of 4096, a nominal 44.1 kHz.
    bool ok = FLAC__stream_encoder_set_channels(encoder, 1) &&
              FLAC__stream_encoder_set_bits_per_sample(encoder, 16) &&
              FLAC__stream_encoder_set_sample_rate(encoder, 44100) &&
              FLAC__stream_encoder_set_blocksize(encoder, 4096) &&
              FLAC__stream_encoder_set_compression_level(encoder, 1) &&
              FLAC__stream_encoder_set_total_samples_estimate(encoder, samples.size());
    ok = ok && FLAC__stream_encoder_init_stream(encoder, AppendBytes, nullptr, nullptr, nullptr,
                                                &FBlob) == FLAC__STREAM_ENCODER_INIT_STATUS_OK;
    const FLAC__int32* channel = FWide.data();
    ok = ok && FLAC__stream_encoder_process(encoder, &channel, uint32_t(FWide.size()));
    ok = FLAC__stream_encoder_finish(encoder) && ok;
    FLAC__stream_encoder_delete(encoder);
    if (!ok) throw EAEError("Cannot write " + FFileName + ": the FLAC encoder failed");
}

void TVallenTransientWriter::Add(int64_t trai, int64_t timeTicks, int channel, int64_t threshold,
                                 int sampleRate, int pretrigger,
                                 const std::vector<int16_t>& samples) {
    sqlite3_stmt* st = FInsert;
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, ++FSetID);
    sqlite3_bind_int64(st, 2, timeTicks);
    sqlite3_bind_int64(st, 3, trai);
    sqlite3_bind_int(st, 4, channel + 1);
    sqlite3_bind_int(st, 5, channel);
    sqlite3_bind_int(st, 6, pretrigger);
    sqlite3_bind_int64(st, 7, threshold);
    sqlite3_bind_int(st, 8, sampleRate);
    sqlite3_bind_int64(st, 9, int64_t(samples.size()));
    if (FStorage == TWaveformStorage::Flac) {
        Encode(samples);
        sqlite3_bind_int(st, 10, 2);
        sqlite3_bind_blob(st, 11, FBlob.data(), int(FBlob.size()), SQLITE_STATIC);
    } else {
        FBlob.resize(2 * samples.size());
        for (size_t k = 0; k < samples.size(); ++k) {
            const auto v = static_cast<uint16_t>(samples[k]);
            FBlob[2 * k] = static_cast<uint8_t>(v);
            FBlob[2 * k + 1] = static_cast<uint8_t>(v >> 8);
        }
        sqlite3_bind_int(st, 10, 0);
        sqlite3_bind_blob(st, 11, FBlob.data(), int(FBlob.size()), SQLITE_STATIC);
    }
    Check(sqlite3_step(st), "tr_data");
    FLastTrai = trai;
}

void TVallenTransientWriter::Finish() {
    const std::string counts = "UPDATE tr_globalinfo SET Value = '" + IntToStr(FSetID) +
                               "' WHERE Key = 'ValidSets'; UPDATE tr_globalinfo SET Value = '" +
                               IntToStr(FLastTrai) + "' WHERE Key = 'TRAI'";
    Exec(counts.c_str());
    Exec("COMMIT");
    Close();
    FFinished = true;
}

} // namespace vorelt
