#include "TVallenWriter.h"

#include "TGeneratedDatabase.h"
#include "TScenarioGenerator.h"

#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace vorelt {

namespace {

// Record kinds as the Vallen driver classifies the rows.
constexpr int KindHit = 1, KindStop = 2, KindResume = 3, KindTimeMark = 6, KindSetup = 7,
              KindComment = 8;

// Set types of ae_data.
constexpr int SetStatus = 1, SetHit = 2, SetLabel = 4, SetDateTime = 5, SetSection = 6;

// The amplitude scale of the first set-up belongs to this preamplifier gain.
constexpr double ReferenceGainDb = 34.0;

// Record kind of a label text: only the exact words (any case) mean test control.
int LabelKindOf(const std::string& text) {
    if (SameTextTrimmed(text, "TIME MARK")) return KindTimeMark;
    if (SameTextTrimmed(text, "RESUME")) return KindResume;
    if (SameTextTrimmed(text, "END OF TEST")) return KindStop;
    return KindComment;
}

int64_t Raw(double value, double scale) {
    return scale > 0 ? std::max<int64_t>(1, RoundToInt64(value / scale)) : 0;
}

// ae_fieldinfo as the acquisition writes it: field, unit, set types, parameter, factor.
struct TFieldInfoRow {
    const char* Field;
    const char* Unit;
    int SetTypes; // 0: NULL
    const char* Parameter;
    double Factor; // 0: NULL
};

constexpr TFieldInfoRow FieldInfoRows[] = {
    {"Time", "[s]", 0, nullptr, 1e-07},
    {"Chan", nullptr, 12, nullptr, 0},
    {"Status", nullptr, 14, nullptr, 0},
    {"ParamID", nullptr, 14, nullptr, 0},
    {"Thr", "[\xC2\xB5V]", 12, "ADC_\xC2\xB5V", 0},
    {"Amp", "[\xC2\xB5V]", 4, "ADC_\xC2\xB5V", 0},
    {"RiseT", "[\xC2\xB5s]", 4, nullptr, 0.1},
    {"Dur", "[\xC2\xB5s]", 4, nullptr, 0.1},
    {"Eny", "[eu]", 12, "ADC_TE", 0},
    {"SS", "[nVs]", 12, "ADC_SS", 0},
    {"RMS", "[\xC2\xB5V]", 12, "ADC_\xC2\xB5V", 0.0065536},
    {"Counts", nullptr, 4, nullptr, 0},
    {"TRAI", nullptr, 4, nullptr, 0},
    {"PCTD", nullptr, 2, nullptr, 0},
    {"PCTA", nullptr, 2, nullptr, 0},
    {"PA0", "[mV]", 2, "PA0_mV", 0},
};

} // namespace

const char* const TVallenWriter::Schema[] = {
    "CREATE TABLE ae_data (\"SetID\" INTEGER PRIMARY KEY,\"SetType\" INT,\"Time\" INT,\"Chan\" "
    "INT,\"Status\" INT,\"ParamID\" INT,\"Thr\" INT,\"Amp\" INT,\"RiseT\" INT,\"Dur\" INT,\"Eny\" "
    "INT,\"SS\" INT,\"RMS\" INT,\"Counts\" INT,\"TRAI\" INT,\"PCTD\" INT,\"PCTA\" INT,\"PA0\" INT)",
    "CREATE TABLE acq_setup(ID INTEGER PRIMARY KEY, Data TEXT)",
    "CREATE TABLE ae_markers (\"SetID\" INT UNIQUE,\"Number\" INT,\"Data\" TEXT)",
    "CREATE TABLE ae_fieldinfo (field,Unit,SetTypes,Parameter,Factor)",
    "CREATE TABLE ae_params (\"ID\" INTEGER PRIMARY KEY,\"SetupID\" INT,\"Chan\" INT,"
    "\"ADC_\xC2\xB5V\" REAL,\"ADC_TE\" REAL,\"ADC_SS\" REAL,\"PA0_mV\" REAL)",
    "CREATE TABLE data_integrity(TableName TEXT PRIMARY KEY UNIQUE, HashV1 INT, LastRow INT)",
    "CREATE TABLE ae_globalinfo(Key UNIQUE, Value)",
    "CREATE INDEX idx_SetupID_Chan on ae_params (SetupID,Chan)",
    "CREATE VIEW view_ae_data as select (d.SetID) as SetID,(d.SetType) as SetType,(d.Time*1E-7) "
    "as Time,(d.Chan) as Chan,(d.Status) as Status,(d.Thr*p.ADC_\xC2\xB5V) as "
    "Thr,(d.Amp*p.ADC_\xC2\xB5V) as Amp,(d.RiseT*0.1) as RiseT,(d.Dur*0.1) as Dur,(d.Eny*p.ADC_TE) "
    "as Eny,(d.SS*p.ADC_SS) as SS,(d.RMS*0.0065536*p.ADC_\xC2\xB5V) as RMS,(d.Counts) as "
    "Counts,(d.TRAI) as TRAI,(d.PCTD) as PCTD,(d.PCTA) as PCTA,(d.PA0*p.PA0_mV) as PA0 from "
    "ae_data "
    "d  left join ae_params p on p.ID=d.ParamID",
    "CREATE VIEW view_ae_markers as select m.*, l.SetType, l.Time*1E-7 as Time from ae_markers m "
    "cross join ae_data l on l.SetID = m.SetID",
    nullptr,
};

TVallenWriter::~TVallenWriter() {
    Close();
}

void TVallenWriter::Close() {
    sqlite3_finalize(FInsertData);
    sqlite3_finalize(FInsertMarker);
    sqlite3_finalize(FInsertParams);
    FInsertData = FInsertMarker = FInsertParams = nullptr;
    if (FDb) sqlite3_close_v2(FDb);
    FDb = nullptr;
}

void TVallenWriter::Check(int rc, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
    throw EAEError(std::string("Cannot write database (") + what +
                   "): " + (FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(rc)));
}

void TVallenWriter::Exec(const char* sql) {
    Check(sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr), sql);
}

std::string TVallenWriter::ClockText(int64_t timeUs) const {
    const std::time_t t = static_cast<std::time_t>(FSettings.StartTimeUnix + timeUs / 1000000);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", tm.tm_hour, tm.tm_min);
    return text;
}

int64_t TVallenWriter::AddParams(int chan, int gainCode) {
    // A higher gain means fewer microvolts per raw unit; energy scales with the square.
    const double ratio =
        chan == 0 ? 0.0 : std::pow(10.0, (ReferenceGainDb - 0.375 * gainCode) / 20.0);
    const double scale = chan == 0 ? 0.0 : AdcMicrovolts * (gainCode == 0 ? 1.0 : ratio);
    const double energy =
        chan == 0 ? 0.0 : AdcEnergy * (scale / AdcMicrovolts) * (scale / AdcMicrovolts);
    const double ss = chan == 0 ? 0.0 : AdcSignalStrength * (scale / AdcMicrovolts);
    const int64_t id = ++FParamsID;
    sqlite3_stmt* st = FInsertParams;
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, id);
    sqlite3_bind_int64(st, 2, id);
    sqlite3_bind_int(st, 3, chan);
    sqlite3_bind_double(st, 4, scale);
    sqlite3_bind_double(st, 5, energy);
    sqlite3_bind_double(st, 6, ss);
    sqlite3_bind_double(st, 7, chan == 0 ? ParametricMillivolts : 0.0);
    Check(sqlite3_step(st), "ae_params");
    FParamOf[static_cast<size_t>(chan)] = id;
    FScaleOf[static_cast<size_t>(chan)] = scale;
    return id;
}

void TVallenWriter::Begin(TOutputFile& out, const TWriterSettings& settings,
                          TDataManifest& manifest) {
    FSettings = settings;
    // `out` has just created the file empty, which SQLite takes for a new database.
    Check(OpenGeneratedDatabase(out.FileName().c_str(), &FDb), "open");
    for (const char* const* sql = Schema; *sql; ++sql)
        Exec(*sql);

    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(FDb, "INSERT INTO ae_fieldinfo VALUES (?, ?, ?, ?, ?)", -1, &st,
                             nullptr),
          "ae_fieldinfo");
    for (const TFieldInfoRow& r : FieldInfoRows) {
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, r.Field, -1, SQLITE_STATIC);
        r.Unit ? sqlite3_bind_text(st, 2, r.Unit, -1, SQLITE_STATIC) : sqlite3_bind_null(st, 2);
        r.SetTypes ? sqlite3_bind_int(st, 3, r.SetTypes) : sqlite3_bind_null(st, 3);
        r.Parameter ? sqlite3_bind_text(st, 4, r.Parameter, -1, SQLITE_STATIC)
                    : sqlite3_bind_null(st, 4);
        r.Factor > 0 ? sqlite3_bind_double(st, 5, r.Factor) : sqlite3_bind_null(st, 5);
        const int step = sqlite3_step(st);
        if (step != SQLITE_DONE) {
            sqlite3_finalize(st);
            Check(step, "ae_fieldinfo");
        }
    }
    sqlite3_finalize(st);

    TRandom random(settings.Seed ^ 0x56414C4C454EULL);
    const uint64_t a = random.Next(), b = random.Next();
    char fileID[64];
    std::snprintf(fileID, sizeof fileID, "{%08X-%04X-%04X-%04X-%012llX}",
                  static_cast<unsigned>(a >> 32), static_cast<unsigned>((a >> 16) & 0xFFFF),
                  static_cast<unsigned>(a & 0xFFFF), static_cast<unsigned>(b >> 48),
                  static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFULL));
    const std::string globals =
        std::string("INSERT INTO ae_globalinfo VALUES ('Version', '1'), ('FileStatus', '0'), "
                    "('TimeBase', '10000000'), ('WriterID', '-'), ('FileID', '") +
        fileID + "'), ('ValidSets', '0'), ('TRAI', '0')";
    Exec(globals.c_str());

    Check(sqlite3_prepare_v2(FDb, "INSERT INTO ae_params VALUES (?, ?, ?, ?, ?, ?, ?)", -1,
                             &FInsertParams, nullptr),
          "ae_params");
    Check(sqlite3_prepare_v2(FDb,
                             "INSERT INTO ae_data (SetID, SetType, Time, Chan, Status, ParamID, "
                             "Thr, Amp, RiseT, Dur, Eny, SS, RMS, Counts, TRAI, PCTD, PCTA, PA0) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                             -1, &FInsertData, nullptr),
          "ae_data");
    Check(sqlite3_prepare_v2(FDb, "INSERT INTO ae_markers VALUES (?, ?, ?)", -1, &FInsertMarker,
                             nullptr),
          "ae_markers");
    AddParams(0, 0);
    for (int c = 1; c <= settings.Channels; ++c)
        AddParams(c, 0);
    if (settings.Waveforms != TWaveformStorage::None) {
        const std::filesystem::path data(out.FileName());
        std::filesystem::path transients = data;
        transients.replace_extension(".tradb");
        if (transients == data)
            throw EAEError("Cannot write " + data.string() +
                           ": the hit database needs another name than its transient database");
        FShape.Samples = settings.WaveformSamples;
        FShape.Pretrigger = settings.WaveformSamples / 8;
        FTransients = std::make_unique<TVallenTransientWriter>(
            transients.string(), settings.Waveforms, settings.Channels, 2 * AdcMicrovolts);
    }

    manifest.Format = std::string(FormatName());
    manifest.Seed = settings.Seed;
    manifest.HeaderSize = 0;
    manifest.StartTimeUnix = settings.StartTimeUnix;
    manifest.SetupChannels = settings.Channels;
    for (int c = 1; c <= settings.Channels; ++c)
        manifest.ActiveChannels[static_cast<size_t>(c)] = true;
}

void TVallenWriter::AddMarker(int64_t timeUs, int setType, const std::string& text, int kind,
                              TDataManifest& manifest) {
    const int64_t setID = ++FSetID;
    sqlite3_stmt* st = FInsertData;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    sqlite3_bind_int64(st, 1, setID);
    sqlite3_bind_int(st, 2, setType);
    sqlite3_bind_int64(st, 3, timeUs * (TimeBase / 1000000));
    Check(sqlite3_step(st), "ae_data");

    st = FInsertMarker;
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, setID);
    if (setType == SetLabel)
        sqlite3_bind_int64(st, 2, ++FMarkerNumber);
    else if (setType == SetSection)
        sqlite3_bind_int(st, 2, 1);
    else
        sqlite3_bind_null(st, 2);
    sqlite3_bind_text(st, 3, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    Check(sqlite3_step(st), "ae_markers");
    manifest.AddTimedMessage(static_cast<uint8_t>(setType), kind, timeUs);
}

void TVallenWriter::WriteEvent(TOutputFile&, const TSyntheticEvent& e, TDataManifest& manifest) {
    const int64_t time = e.TimeUs * (TimeBase / 1000000) + e.TenthsUs % 10;
    sqlite3_stmt* st = FInsertData;
    switch (e.Kind) {
    case TSyntheticEventKind::Hit:
    case TSyntheticEventKind::Noise: {
        const size_t c = e.Channel;
        const double scale = FScaleOf[c];
        const bool hit = e.Kind == TSyntheticEventKind::Hit;
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        sqlite3_bind_int64(st, 1, ++FSetID);
        sqlite3_bind_int(st, 2, hit ? SetHit : SetStatus);
        sqlite3_bind_int64(st, 3, time);
        sqlite3_bind_int(st, 4, e.Channel);
        sqlite3_bind_int(st, 5, 0);
        sqlite3_bind_int64(st, 6, FParamOf[c]);
        sqlite3_bind_int64(st, 7, Raw(100.46945112168814, scale)); // 40 dB
        if (hit) {
            sqlite3_bind_int64(st, 8, Raw(e.AmplitudeCode, scale));
            sqlite3_bind_int64(st, 9, int64_t(e.RiseUs) * 10);
            sqlite3_bind_int64(st, 10, int64_t(e.DurationUs) * 10);
            sqlite3_bind_int64(st, 11, int64_t(e.Energy) * 1000);
            sqlite3_bind_int64(st, 12, int64_t(e.Energy) * 50);
            sqlite3_bind_int64(st, 13, 400 + e.Counts % 200);
            sqlite3_bind_int64(st, 14, e.Counts);
            if (FTransients) {
                const int64_t trai = static_cast<int64_t>(++FTrai);
                sqlite3_bind_int64(st, 15, trai);
                SyntheticWaveform(e, FTransients->MillivoltsPerUnit() * 1e3, FShape, FSettings.Seed,
                                  FSamples);
                FTransients->Add(trai, time, e.Channel, Raw(100.46945112168814, AdcMicrovolts),
                                 int(FShape.SampleRate), FShape.Pretrigger, FSamples);
            } else {
                sqlite3_bind_int(st, 15, 0);
            }
            manifest.HitChannels[c] = true;
        } else {
            sqlite3_bind_int64(st, 13, 10 * int64_t(e.Value));
            sqlite3_bind_int(st, 16, 0);
            sqlite3_bind_int(st, 17, 0);
        }
        Check(sqlite3_step(st), "ae_data");
        manifest.AddTimedMessage(static_cast<uint8_t>(hit ? SetHit : SetStatus),
                                 hit ? KindHit : KindSetup, e.TimeUs);
        break;
    }
    case TSyntheticEventKind::Parametric:
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        sqlite3_bind_int64(st, 1, ++FSetID);
        sqlite3_bind_int(st, 2, SetStatus);
        sqlite3_bind_int64(st, 3, time);
        sqlite3_bind_int(st, 5, 12);
        sqlite3_bind_int64(st, 6, FParamOf[0]);
        sqlite3_bind_int(st, 16, 0);
        sqlite3_bind_int(st, 17, 0);
        sqlite3_bind_int(st, 18, e.Value);
        Check(sqlite3_step(st), "ae_data");
        manifest.AddTimedMessage(SetStatus, KindSetup, e.TimeUs);
        break;
    case TSyntheticEventKind::GainChange:
        // A new set-up, not a data set.
        AddParams(e.Channel, e.GainCode);
        break;
    case TSyntheticEventKind::Start: {
        AddMarker(e.TimeUs, SetSection, std::string(), KindSetup, manifest);
        const std::time_t t =
            static_cast<std::time_t>(FSettings.StartTimeUnix + e.TimeUs / 1000000);
        std::tm tm{};
        gmtime_r(&t, &tm);
        char date[40];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        AddMarker(e.TimeUs, SetDateTime, date, KindSetup, manifest);
        const std::string zone = "TimeZone: +00:00 (Coordinated Universal Time)";
        AddMarker(e.TimeUs, SetLabel, zone, LabelKindOf(zone), manifest);
        break;
    }
    case TSyntheticEventKind::TimeMark: {
        const std::string text = e.Text;
        AddMarker(e.TimeUs, SetLabel, text, LabelKindOf(text), manifest);
        break;
    }
    case TSyntheticEventKind::Pause: {
        const std::string text = ClockText(e.TimeUs) + " Suspend";
        AddMarker(e.TimeUs, SetLabel, text, LabelKindOf(text), manifest);
        break;
    }
    case TSyntheticEventKind::Resume: {
        const std::string text = ClockText(e.TimeUs) + " Resume";
        AddMarker(e.TimeUs, SetLabel, text, LabelKindOf(text), manifest);
        break;
    }
    case TSyntheticEventKind::Stop:
        AddMarker(e.TimeUs, SetLabel, "End of Test", KindStop, manifest);
        break;
    }
}

void TVallenWriter::End(TOutputFile&, TDataManifest& manifest) {
    const std::string validSets =
        "UPDATE ae_globalinfo SET Value = '" + IntToStr(FSetID) + "' WHERE Key = 'ValidSets'";
    Exec(validSets.c_str());
    if (FTransients) {
        const std::string trai =
            "UPDATE ae_globalinfo SET Value = '" + IntToStr(FTrai) + "' WHERE Key = 'TRAI'";
        Exec(trai.c_str());
    }
    Exec("COMMIT");
    if (FTransients) FTransients->Finish();
    const std::string fileName = sqlite3_db_filename(FDb, "main");
    Close();
    manifest.MemberOfEvents = manifest.Kinds[KindHit];
    const int64_t lastSecond =
        manifest.TimedCount > 0 ? (manifest.MaxTimeUs + 999999) / 1000000 : 0;
    manifest.StopTimeUnix = static_cast<uint32_t>(FSettings.StartTimeUnix + lastSecond);
    std::error_code ec;
    manifest.FileSize = std::filesystem::file_size(fileName, ec);
    if (ec) throw EAEError("Cannot write database " + fileName + ": " + ec.message());
}

} // namespace vorelt
