#include "drivers/vallen/TAEVallen.h"

#include "drivers/TDriverRegistry.h"
#include "drivers/TRecordSinks.h"
#include "drivers/TTimeText.h"
#include "drivers/vallen/TSqliteDatabase.h"
#include "drivers/vallen/TSqliteQueryResults.h"
#include "drivers/vallen/TSqliteTableScan.h"
#include "drivers/vallen/TVallenRowReader.h"
#include "drivers/waveform/TWaveformSources.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "model/TLargePages.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

namespace vorelt {

namespace {

// Set types of ae_data.
constexpr int64_t stStatus = 1;
constexpr int64_t stHit = 2;
constexpr int64_t stParametric = 3;
constexpr int64_t stLabel = 4;
constexpr int64_t stDateTime = 5;
constexpr int64_t stSection = 6;

bool IsDataKind(uint8_t kind) {
    return kind == stStatus || kind == stHit || kind == stParametric;
}

// static_cast<int64_t>(std::trunc(x)) for the times of a file: that pair switches the x87
// rounding mode four times, which costs more than the rest of a record's time fields. Rounding
// to nearest in the mode that is set anyway, then stepping back towards zero, gives the same
// integer.
int64_t Truncated(long double x) {
#if defined(__x86_64__) || defined(__i386__)
    if (x > -4.0e18L && x < 4.0e18L) {
        int64_t n;
        __asm__("fistpll %0" : "=m"(n) : "t"(x) : "st");
        const long double back = static_cast<long double>(n);
        if (x >= 0 ? back > x : back < x) n += x >= 0 ? -1 : 1;
        return n;
    }
#endif
    return static_cast<int64_t>(std::trunc(x));
}

bool Fits32(int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

bool IsMarkerKind(uint8_t kind) {
    return kind == vkLabel || kind == vkStopLabel || kind == vkResumeLabel || kind == vkTimeMark ||
           kind == stDateTime || kind == stSection;
}

struct TDeclaredField {
    const char* ID;
    uint8_t DataType;
};

constexpr TDeclaredField DeclaredFields[] = {
    {fidDefaultText, dtString},
    {fidHit, dtByte},
    {fidTime, dtExtended},
    {fidTimeS, dtExtended},
    {fidTimeHH, dtExtended},
    {fidHHMMSS, dtString},
    {fidTimeMS, dtExtended},
    {fidTimeUS, dtExtended},
    {fidChan, dtByte},
    {fidRise, dtWord},
    {fidCount, dtLongWord},
    {fidAmpl, dtExtended},
    {fidDurat, dtExtended},
    {fidEnergy, dtExtended},
    {fidThreshold, dtExtended},
    {fidRMS, dtExtended},
    {fidDeleted, dtBoolean},
    {fidSelected, dtBoolean},
    {fidIndexRec, dtInteger},
    {fidChannels, dtListInteger},
    {fidCalcLoading, dtExtended},
};

// The standard field an ae_fieldinfo "Field" name stands for; empty when the driver does not
// convert it.
std::string FieldIDOf(std::string_view name) {
    const std::string key = UpperCase(Trim(name));
    if (key == "TIME") return fidTime;
    if (key == "CHAN") return fidChan;
    if (key == "THR") return fidThreshold;
    if (key == "AMP") return fidAmpl;
    if (key == "RISET") return fidRise;
    if (key == "DUR") return fidDurat;
    if (key == "ENY") return fidEnergy;
    if (key == "RMS") return fidRMS;
    if (key == "COUNTS") return fidCount;
    return std::string();
}

// The columns of ae_data that the driver reads.
constexpr const char* DataColumns[] = {"SetID", "SetType", "Time", "Chan", "ParamID", "Thr", "Amp",
                                       "RiseT", "Dur",     "Eny",  "RMS",  "Counts",  "TRAI"};

// The rows of ae_data in the order of their row ids, with only the columns the driver reads:
// acquisition files carry several more, and SQLite decodes every column a query names for
// every row, a good part of loading millions of hits. Whatever the table lacks stays out (and
// reads as 0, as before); a table this cannot be done for is read in full. `columns` is the
// list of the narrow query, empty for the full one.
std::string DataQuery(TSqliteDatabase& db, std::string& columns) {
    columns.clear();
    const std::string all = "SELECT * FROM ae_data";
    try {
        TSqliteQueryResults probe(db, all + " LIMIT 0");
        std::string list;
        for (int i = 0; i < probe.ColumnCount(); ++i) {
            bool wanted = false;
            for (const char* c : DataColumns)
                wanted = wanted || SameText(probe.ColumnName(i), c);
            if (!wanted) continue;
            const char* name = sqlite3_column_name(probe.Statement(), i);
            if (!name) return all;
            std::string quoted = "\"";
            for (const char* p = name; *p; ++p)
                quoted += *p == '"' ? std::string("\"\"") : std::string(1, *p);
            list += (list.empty() ? "" : ",") + quoted + "\"";
        }
        if (list.empty()) return all;
        // Never through an index: the order stays that of the table.
        const std::string narrow = "SELECT " + list + " FROM ae_data NOT INDEXED";
        TSqliteQueryResults check(db, narrow + " LIMIT 0");
        columns = list;
        return narrow;
    } catch (const EAEError&) {
        return all;
    }
}

// At most `limit` characters of a UTF-8 text, never cutting one in two.
std::string_view CutCharacters(std::string_view text, size_t limit) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == limit) return text.substr(0, i);
        ++chars;
    }
    return text;
}

} // namespace

TAEVallen::TAEVallen(IDriverOwner* owner) : TAEDriverDb(owner) {
    for (const TDeclaredField& d : DeclaredFields) {
        std::unique_ptr<TAEField> field = NewStandardField(d.ID, d.DataType, TAEDeclarer::Vallen);
        if (!field) continue;
        TAEFields& set = field->Group() == fgSetup        ? SetupFields()
                         : field->Group() == fgParametric ? ParamFields()
                                                          : DbFields();
        set.Add(std::move(field));
    }
    for (const TDriverFieldDecl& d : WaveformFieldDecls)
        DbFields().Add(NewStandardField(d.ID, d.DataType, TAEDeclarer::Vallen));
    LockFields();
    FPosWaveIndex = FieldPos(fidWaveIndex);
    FPosChan = FieldPos(fidChan);
    FPosRise = FieldPos(fidRise);
    FPosCount = FieldPos(fidCount);
    FPosAmpl = FieldPos(fidAmpl);
    FPosDurat = FieldPos(fidDurat);
    FPosEnergy = FieldPos(fidEnergy);
    FPosThreshold = FieldPos(fidThreshold);
    FPosRMS = FieldPos(fidRMS);

    for (unsigned k = 0; k < 256; ++k)
        SetKindMap(static_cast<uint8_t>(k), rkUnknown);
    SetKindMap(stStatus, rkSetup);
    SetKindMap(stHit, rkHit);
    SetKindMap(stParametric, rkSetup);
    SetKindMap(stDateTime, rkSetup);
    SetKindMap(stSection, rkSetup);
    SetKindMap(vkLabel, rkComment);
    SetKindMap(vkStopLabel, rkStop);
    SetKindMap(vkResumeLabel, rkResume);
    SetKindMap(vkTimeMark, rkTimeMark);
}

TAEVallen::~TAEVallen() {
    Close();
}

bool TAEVallen::CanOpen(const std::string& fileName, std::string& message) {
    message.clear();
    try {
        TSqliteDatabase db(fileName);
        TSqliteQueryResults query(db, "SELECT * FROM ae_fieldinfo");
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

bool TAEVallen::Open(const std::string& fileName, std::string& message) {
    message.clear();
    if (IsOpen()) Close();
    SetState(dsOpening);
    if (!CanOpen(fileName, message)) {
        SetState(dsNone);
        return false;
    }
    return TAEDriverDb::Open(fileName, message);
}

uint8_t TAEVallen::LabelKind(std::string_view text) {
    if (SameTextTrimmed(text, "TIME MARK")) return vkTimeMark;
    if (SameTextTrimmed(text, "RESUME")) return vkResumeLabel;
    if (SameTextTrimmed(text, "END OF TEST")) return vkStopLabel;
    return vkLabel;
}

long double TAEVallen::MillivoltsPer(std::string_view unit) {
    std::string u = Trim(unit);
    if (u.size() >= 2 && u.front() == '[' && u.back() == ']') u = Trim(u.substr(1, u.size() - 2));
    if (u == "V") return 1000.0L;
    if (u == "mV") return 1.0L;
    if (u == "nV") return 1e-6L;
    // The micro sign as UTF-8, the Greek mu, the Latin-1 byte and the ASCII stand-in.
    if (u == "\xC2\xB5V" || u == "\xCE\xBCV" || u == "\xB5V" || u == "uV") return 1e-3L;
    return 1.0L;
}

void TAEVallen::ClearTables() {
    FFieldInfos.clear();
    FParamNames.clear();
    FParams.clear();
    FSteps.clear();
    FHasTime = false;
    FTimeFactor = 0;
    FChannelList.clear();
    FInfoLines.clear();
}

void TAEVallen::ClearIndex() {
    // The reading thread goes first: it still uses the parameters and the connection.
    FRows.reset();
    TAEDriverDb::ClearIndex();
    FDataSets.clear();
    FDataSets.shrink_to_fit();
    FWideDataSets.clear();
    FWideDataSets.shrink_to_fit();
    FMarkers.clear();
    FMarkers.shrink_to_fit();
    std::lock_guard lock(FWaveformMutex);
    FTraiPositions.clear();
    FTraiPositions.shrink_to_fit();
    FTrais.clear();
    FTrais.shrink_to_fit();
    FTraisFor.store(-1, std::memory_order_release);
}

bool TAEVallen::Load(std::string& message) {
    if (!BeginLoad(message)) return false;
    while (LoadPending())
        if (!LoadMore(message)) return false;
    return true;
}

bool TAEVallen::BeginLoad(std::string& message) {
    const bool started = StartLoad(message, [this] {
        ClearTables();
        FInfoLines = {"", "Vallen Type", "Database: " + FileName()};
        auto db = std::make_unique<TSqliteDatabase>(FileName());
        // Pages straight from the mapped file instead of copies through the page cache; the
        // connection is read-only, so a mapping never writes.
        db->Exec("pragma mmap_size = 4294967296");
        db->Finalize();
        // What converting a row needs comes first: records are read while rows still come.
        ReadParams(*db);
        ReadFieldInfo(*db);
        BuildSteps();
        StartRows(*db);
        std::string columns;
        std::string query = DataQuery(*db, columns);
        FRows = std::make_unique<TVallenRowReader>(std::move(db), std::move(query),
                                                   std::move(columns), FParams);
    });
    if (!started) ClearTables();
    return started;
}

bool TAEVallen::LoadMore(std::string& message) {
    const bool going = ContinueLoad(message, [this] { return AddRows(); });
    if (!going) ClearTables();
    return going;
}

void TAEVallen::ReadParams(TSqliteDatabase& db) {
    TSqliteQueryResults q(db, "SELECT * FROM ae_params");
    const int idColumn = q.ColumnIndex("ID");
    const int chanColumn = q.ColumnIndex("Chan");
    for (int i = 0; i < q.ColumnCount(); ++i)
        FParamNames.push_back(q.ColumnName(i));
    for (; !q.Eof(); q.Next()) {
        TVallenChannelParams row;
        row.ID = q.ColumnInt64(idColumn);
        row.Chan = q.ColumnInt64(chanColumn);
        row.Values.reserve(FParamNames.size());
        for (int i = 0; i < q.ColumnCount(); ++i)
            row.Values.push_back(q.ColumnDouble(i));
        // Real AE channels count from 1; channel 0 holds the parametric inputs, and a channel
        // with several set-ups has several rows.
        if (row.Chan > 0 && row.Chan <= 255) {
            const uint8_t chan = static_cast<uint8_t>(row.Chan);
            bool known = false;
            for (uint8_t c : FChannelList)
                known = known || c == chan;
            if (!known) FChannelList.push_back(chan);
        }
        FParams.push_back(std::move(row));
    }
}

void TAEVallen::ReadFieldInfo(TSqliteDatabase& db) {
    TSqliteQueryResults q(db, "SELECT * FROM ae_fieldinfo");
    const int fieldColumn = q.ColumnIndex("Field");
    const int unitColumn = q.ColumnIndex("Unit");
    const int setTypesColumn = q.ColumnIndex("SetTypes");
    const int parameterColumn = q.ColumnIndex("Parameter");
    const int factorColumn = q.ColumnIndex("Factor");
    for (; !q.Eof(); q.Next()) {
        TVallenFieldInfo info;
        info.ID = FieldIDOf(q.ColumnText(fieldColumn));
        info.Unit = q.ColumnText(unitColumn);
        info.SetTypes = q.ColumnInt64(setTypesColumn);
        info.Parameter = q.ColumnText(parameterColumn);
        info.Factor = q.ColumnDouble(factorColumn);
        FFieldInfos.push_back(std::move(info));
    }
}

void TAEVallen::StartRows(TSqliteDatabase& db) {
    // Row ids give the size to expect; a table without them just grows as it is read.
    FRowsAdded = 0;
    FRowsExpected = 0;
    try {
        TSqliteQueryResults count(db, "SELECT max(rowid) FROM ae_data");
        FRowsExpected = static_cast<uint64_t>(std::max<int64_t>(0, count.ColumnInt64(0)));
    } catch (const EAEError&) {
    }
    if (FRowsExpected > 0 && FRowsExpected < (1u << 31)) {
        FIndex.reserve(FRowsExpected);
        FDataSets.reserve(FRowsExpected);
        AdviseLargePages(FDataSets);
    }
}

bool TAEVallen::AddRows() {
    const TVallenRowChunk* chunk = FRows->Next();
    if (!chunk) {
        ReadGlobalInfo(FRows->Database());
        FRows.reset();
        ReportProgress(FRowsAdded, FRowsAdded);
        return true;
    }
    for (size_t i = 0; i < chunk->Count; ++i) {
        AddRow(chunk->Rows[i]);
        if ((++FRowsAdded & 0xFFFF) == 0)
            ReportProgress(FRowsAdded, std::max(FRowsAdded, FRowsExpected));
    }
    FRows->Release();
    return false;
}

void TAEVallen::AddRow(const TVallenRow& row) {
    CheckIndexSize(FIndex.size() + 1);
    const int64_t setType = row.SetType;
    TDriverIndexItem item;
    if (setType == stStatus || setType == stHit || setType == stParametric) {
        const TVallenWideDataSet& d = row.Data;
        item.Kind = static_cast<uint8_t>(setType);
        item.Size = sizeof(TVallenDataSet);
        if (Fits32(d.Chan) && Fits32(d.Thr) && Fits32(d.Amp) && Fits32(d.RiseT) && Fits32(d.Dur) &&
            Fits32(d.RMS) && Fits32(d.Counts)) {
            item.Offset = FDataSets.size();
            FDataSets.push_back({d.Time, d.Eny, static_cast<int32_t>(d.Chan),
                                 static_cast<int32_t>(d.Thr), static_cast<int32_t>(d.Amp),
                                 static_cast<int32_t>(d.RiseT), static_cast<int32_t>(d.Dur),
                                 static_cast<int32_t>(d.RMS), static_cast<int32_t>(d.Counts),
                                 d.ParamRow});
        } else {
            item.Offset = FWideDataSets.size();
            item.Extra = 1;
            item.Size = sizeof(TVallenWideDataSet);
            FWideDataSets.push_back(d);
        }
    } else if (setType == stLabel || setType == stDateTime || setType == stSection) {
        TVallenMarker m;
        m.SetID = row.SetID;
        m.Time = row.Data.Time;
        m.Text = row.Text;
        item.Kind = setType == stLabel ? LabelKind(m.Text) : static_cast<uint8_t>(setType);
        item.Offset = FMarkers.size();
        item.Size = static_cast<uint32_t>(m.Text.size());
        FMarkers.push_back(std::move(m));
    }
    FIndex.push_back(item);
}

void TAEVallen::ReadGlobalInfo(TSqliteDatabase& db) {
    TSqliteQueryResults q(db, "SELECT * FROM ae_globalinfo");
    const int keyColumn = q.ColumnIndex("Key");
    const int valueColumn = q.ColumnIndex("Value");
    for (; !q.Eof(); q.Next()) {
        const std::string key = q.ColumnText(keyColumn);
        const std::string upper = UpperCase(key);
        if (upper == "VERSION" || upper == "VALIDSETS")
            FInfoLines.push_back(key + ": " + q.ColumnText(valueColumn));
    }
}

void TAEVallen::BuildSteps() {
    for (const TVallenFieldInfo& info : FFieldInfos) {
        if (info.ID.empty()) continue;
        TConvertStep step{TStepKind::Time, info.Factor, 0, -1, 1.0L};
        // Parameters are named exactly as the columns of ae_params.
        const std::string parameter = Trim(info.Parameter);
        if (!parameter.empty())
            for (size_t i = 0; i < FParamNames.size(); ++i)
                if (FParamNames[i] == parameter) {
                    step.ParamColumn = static_cast<int>(i);
                    break;
                }
        if (info.ID == fidTime) {
            step.Kind = TStepKind::Time;
            step.Divisor = TimeDivisor(info.Factor);
            if (!FHasTime) {
                FHasTime = true;
                FTimeFactor = info.Factor;
                FTimeDivisor = step.Divisor;
            }
        } else if (info.ID == fidChan)
            step.Kind = TStepKind::Chan;
        else if (info.ID == fidRise)
            step.Kind = TStepKind::Rise;
        else if (info.ID == fidCount)
            step.Kind = TStepKind::Count;
        else if (info.ID == fidAmpl)
            step.Kind = TStepKind::Ampl;
        else if (info.ID == fidDurat)
            step.Kind = TStepKind::Durat;
        else if (info.ID == fidEnergy)
            step.Kind = TStepKind::Energy;
        else if (info.ID == fidThreshold)
            step.Kind = TStepKind::Threshold;
        else if (info.ID == fidRMS) {
            // The field is shown in millivolts whatever unit the file stores.
            step.Kind = TStepKind::RMS;
            step.Unit = MillivoltsPer(info.Unit);
        } else
            continue;
        FSteps.push_back(step);
    }
}

long double TAEVallen::TimeDivisor(long double f) {
    if (!(f > 0) || f > 1) return 0;
    const long double n = std::round(1.0L / f);
    return std::fabs(1.0L / f - n) <= n * 1e-12L ? n : 0;
}

long double TAEVallen::TimeMicroseconds(int64_t time, long double f, long double divisor) {
    if (!(f > 0)) return static_cast<long double>(time);
    // A factor stored as 1E-7 is not exact in binary; dividing by the tick rate keeps whole
    // seconds whole, so time texts do not fall a tick short.
    if (divisor > 0) return time * 1000000.0L / divisor;
    return time * f * 1000000.0L;
}

long double TAEVallen::ParamValue(int32_t row, int column) const {
    if (row < 0 || column < 0) return 0;
    const std::vector<long double>& values = FParams[static_cast<size_t>(row)].Values;
    return static_cast<size_t>(column) < values.size() ? values[static_cast<size_t>(column)] : 0;
}

namespace {

// What converting remembers from record to record, for each thread apart: loaded drivers are
// read by several at once. Both are functions of the value alone, whatever file it comes from.
struct TDecibels {
    long double Level = 0; // never a level that has decibels: those are above 0
    long double Value = 0;
};
thread_local std::vector<TDecibels> tDecibels;

// The clock of the whole second the last time fell in, and the seconds it holds for.
struct TClock {
    long double From = 1, To = 0; // none
    int64_t Hours = 0, Minutes = 0, Seconds = 0;
    std::string Text;
};
thread_local TClock tClock;

} // namespace

template <class TSink> void TAEVallen::SetTimeFields(TSink& sink, long double us) {
    const long double s = us / 1000000.0L;
    PutTimeValues(sink, us);
    TClock& c = tClock;
    if (!(s >= c.From && s <= c.To)) {
        c.Hours = Truncated(s / 3600.0L);
        c.Minutes = Truncated((s - 3600.0L * c.Hours) / 60.0L);
        c.Seconds = Truncated(s - 3600.0L * c.Hours - 60.0L * c.Minutes);
        c.Text.clear();
        AppendHHMMSS(c.Text, c.Hours, c.Minutes, c.Seconds);
        // Within the same whole second, away from its ends by far more than the rounding of
        // the divisions above can move a quotient, they give the same three numbers again.
        // Records come in time order: thousands of them share a second.
        c.From = 1;
        c.To = 0;
        if (s >= 0 && s < 1e9L && c.Hours >= 0 && c.Minutes >= 0 && c.Minutes < 60 &&
            c.Seconds >= 0 && c.Seconds < 60) {
            const long double second = 3600.0L * c.Hours + 60.0L * c.Minutes + c.Seconds;
            c.From = second + 1e-6L;
            c.To = second + 1 - 1e-6L;
        }
    }
    const long double r = s - 3600.0L * c.Hours - 60.0L * c.Minutes;
    sink.Text(FPosHHMMSS, c.Text);
    sink.Float(FPosTimeUS, r - c.Seconds);
}

long double TAEVallen::Decibels(long double v) {
    constexpr int slotBits = 12;
    std::vector<TDecibels>& cache = tDecibels;
    if (cache.empty()) cache.resize(size_t{1} << slotBits);
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    uint16_t exponent;
    std::memcpy(&exponent, reinterpret_cast<const char*>(&v) + 8, sizeof exponent);
    const uint64_t key = (bits ^ (bits >> 29) ^ (uint64_t{exponent} << 17)) * 0x9E3779B97F4A7C15ULL;
    TDecibels& slot = cache[key >> (64 - slotBits)];
    if (slot.Level != v) {
        slot.Level = v;
        slot.Value = 20.0L * std::log10(v);
    }
    return slot.Value;
}

template <class TSink, class TDataSet>
void TAEVallen::ConvertDataSet(TSink& sink, const TDataSet& d) {
    for (const TConvertStep& step : FSteps) {
        const long double f = step.Factor;
        switch (step.Kind) {
        case TStepKind::Time:
            SetTimeFields(sink, TimeMicroseconds(d.Time, f, step.Divisor));
            break;
        case TStepKind::Chan:
            sink.Int(FPosChan, d.Chan);
            break;
        case TStepKind::Rise:
            sink.Int(FPosRise, f > 0 ? RoundToInt64(d.RiseT * f) : d.RiseT);
            break;
        case TStepKind::Count:
            sink.Int(FPosCount, d.Counts);
            break;
        case TStepKind::Durat:
            sink.Float(FPosDurat, f > 0 ? d.Dur * f : static_cast<long double>(d.Dur));
            break;
        case TStepKind::Ampl:
        case TStepKind::Threshold: {
            const long double h = ParamValue(d.ParamRow, step.ParamColumn);
            const int64_t raw = step.Kind == TStepKind::Ampl ? d.Amp : d.Thr;
            const long double v = h > 0 ? raw * h : static_cast<long double>(raw);
            // No level at all has no decibel value: the field stays empty.
            if (v > 0)
                sink.Float(step.Kind == TStepKind::Ampl ? FPosAmpl : FPosThreshold, Decibels(v));
            break;
        }
        case TStepKind::Energy: {
            const long double h = ParamValue(d.ParamRow, step.ParamColumn);
            sink.Float(FPosEnergy, h > 0 ? d.Eny * h : static_cast<long double>(d.Eny));
            break;
        }
        case TStepKind::RMS: {
            const long double h = ParamValue(d.ParamRow, step.ParamColumn);
            long double v = h > 0 ? d.RMS * h : static_cast<long double>(d.RMS);
            if (f > 0) v *= f;
            sink.Float(FPosRMS, v * step.Unit);
            break;
        }
        }
    }
}

template <class TSink> void TAEVallen::ConvertDataItem(TSink& sink, const TDriverIndexItem& item) {
    if (item.Extra == 1) {
        if (item.Offset < FWideDataSets.size()) ConvertDataSet(sink, FWideDataSets[item.Offset]);
    } else if (item.Offset < FDataSets.size())
        ConvertDataSet(sink, FDataSets[item.Offset]);
}

void TAEVallen::ReadTrais() const {
    std::lock_guard lock(FWaveformMutex);
    // Row k of ae_data in rowid order is item k of the index, as loading put them there.
    const size_t rows = FIndex.size();
    if (FTraisFor.load(std::memory_order_acquire) == static_cast<int64_t>(rows)) return;
    FTraiPositions.clear();
    FTrais.clear();
    auto take = [&](size_t k, int64_t trai) {
        if (trai > 0 && k < rows && FIndex.Kind(k) == stHit) {
            FTraiPositions.push_back(static_cast<int32_t>(k));
            FTrais.push_back(trai);
        }
    };
    try {
        TSqliteDatabase db(FileName());
        bool hasColumn = false;
        {
            TSqliteQueryResults probe(db, "SELECT * FROM ae_data LIMIT 0");
            hasColumn = probe.ColumnIndex("TRAI") >= 0;
        }
        if (hasColumn) {
            size_t k = 0;
            bool whole = false;
            {
                TSqliteTableScan scan(db);
                if (scan.Open("ae_data", {"TRAI"})) {
                    struct TRows : TSqliteTableScan::IRows {
                        size_t& K;
                        decltype(take)& Take;
                        TRows(size_t& k, decltype(take)& t) : K(k), Take(t) {}
                        bool Row(int64_t, const TSqliteScanValue* values) override {
                            Take(K++, values[0].Int);
                            return true;
                        }
                    } each(k, take);
                    whole = scan.Scan(each) == TSqliteTableScan::TEnd::Done;
                }
            }
            if (!whole) {
                // Pages the scan cannot read: SQLite reads them all again.
                FTraiPositions.clear();
                FTrais.clear();
                k = 0;
                TSqliteQueryResults q(db, "SELECT TRAI FROM ae_data NOT INDEXED");
                for (; !q.Eof(); q.Next())
                    take(k++, q.ColumnInt64(0));
            }
        }
    } catch (const std::exception& e) {
        // The hits keep no index; the reason stays for whoever asks for waveforms.
        FTraiPositions.clear();
        FTrais.clear();
        FWaveformMessage = FileName() + ": the transient indices cannot be read (" + e.what() + ")";
    }
    FTraiPositions.shrink_to_fit();
    FTrais.shrink_to_fit();
    FTraisFor.store(static_cast<int64_t>(rows), std::memory_order_release);
}

int64_t TAEVallen::Trai(int32_t pos) const {
    // Read again only when rows came in since (a file read while it still loads).
    if (FTraisFor.load(std::memory_order_acquire) != static_cast<int64_t>(FIndex.size()))
        ReadTrais();
    const auto it = std::lower_bound(FTraiPositions.begin(), FTraiPositions.end(), pos);
    if (it == FTraiPositions.end() || *it != pos) return 0;
    return FTrais[static_cast<size_t>(it - FTraiPositions.begin())];
}

template <class TSink> void TAEVallen::PutWaveIndex(TSink& sink, int32_t pos) const {
    if (!sink.Wants(FPosWaveIndex)) return;
    if (const int64_t trai = Trai(pos); trai > 0) sink.Int(FPosWaveIndex, trai);
}

void TAEVallen::ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) {
    TRecordFieldSink sink(record);
    if (IsDataKind(item.Kind)) {
        ConvertDataItem(sink, item);
        PutWaveIndex(sink, pos);
        return;
    }
    if (IsMarkerKind(item.Kind)) {
        if (item.Offset >= FMarkers.size()) return;
        const TVallenMarker& m = FMarkers[item.Offset];
        long double us = 0;
        if (FHasTime) {
            us = TimeMicroseconds(m.Time, FTimeFactor, FTimeDivisor);
            SetTimeFields(sink, us);
        }
        // The time text: time of day and seven digits of the second, counted in ticks of
        // 0.1 µs so that float noise cannot turn .0700000 into .0699999.
        const int64_t ticks = RoundToInt64(us * 10.0L);
        const int64_t whole = ticks / 10000000;
        int64_t fraction = ticks % 10000000;
        if (fraction < 0) fraction = -fraction;
        const int64_t h = whole / 3600, mi = (whole - 3600 * h) / 60,
                      sec = whole - 3600 * h - 60 * mi;
        std::string text(CutCharacters(m.Text, 255));
        text += ' ';
        AppendHHMMSS(text, h, mi, sec);
        char digits[16];
        std::snprintf(digits, sizeof digits, ".%07lld", static_cast<long long>(fraction));
        text += digits;
        record.Field(FPosText)->SetAsString(text);
    }
}

bool TAEVallen::ReadCells(int32_t pos, TRecordCellSink& sink) {
    if (static_cast<size_t>(pos) >= FIndex.size()) return false;
    const TDriverIndexItem& item = FIndex[static_cast<size_t>(pos)];
    if (!IsDataKind(item.Kind)) return false;
    PutCommonValues(sink, pos, item);
    ConvertDataItem(sink, item);
    PutWaveIndex(sink, pos);
    return !sink.Missed();
}

IWaveformSource* TAEVallen::Waveforms() {
    std::lock_guard lock(FWaveformMutex);
    if (!FWaveformsTried) {
        FWaveformsTried = true;
        const std::string beside = TVallenTransients::BesideHitDatabase(FileName());
        if (!beside.empty()) {
            try {
                FWaveforms = std::make_unique<TVallenWaveformSource>(beside);
            } catch (const std::exception& e) {
                FWaveformMessage = e.what();
            }
        }
    }
    return FWaveforms.get();
}

bool TAEVallen::UseWaveformFile(const std::string& fileName, std::string& message) {
    std::unique_ptr<TVallenWaveformSource> chosen;
    try {
        chosen = std::make_unique<TVallenWaveformSource>(fileName);
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
    std::lock_guard lock(FWaveformMutex);
    FWaveforms = std::move(chosen);
    FWaveformsTried = true;
    FWaveformMessage.clear();
    return true;
}

std::string TAEVallen::WaveformMessage() const {
    std::lock_guard lock(FWaveformMutex);
    return FWaveformMessage;
}

void TAEVallen::Close() {
    {
        std::lock_guard lock(FWaveformMutex);
        FWaveforms.reset();
        FWaveformsTried = false;
        FWaveformMessage.clear();
    }
    TAEDriverDb::Close();
}

bool TAEVallen::Initialize(std::string& message) {
    if (!TAEDriverDb::Initialize(message)) return false;
    SetState(dsReady);
    return true;
}

namespace {

// Vallen databases are only read: no copy of any kind is written.
std::string NoCopies(const std::string& fileName) {
    return "Operation Not Support: " + fileName +
           " is a Vallen database, which cannot be sorted or copied";
}

} // namespace

bool TAEVallen::SortToFile(const std::string&, std::string& message) {
    message = NoCopies(FileName());
    return false;
}

bool TAEVallen::SaveToFile(IRecordSource&, const std::string&, std::string& message) {
    message = NoCopies(FileName());
    return false;
}

bool TAEVallen::ConvertTime(std::string_view sourceID, std::string_view targetID,
                            long double& value, long double x) const {
    return ConvertTarvelTime(sourceID, targetID, value, x);
}

void RegisterVallenDriver() {
    TDriverClass entry;
    entry.ClassName = "TAEVallen";
    entry.Rank = drVallen;
    entry.CanOpen = &TAEVallen::CanOpen;
    entry.Create = [](IDriverOwner* owner) -> std::unique_ptr<TAEDriverDb> {
        return std::make_unique<TAEVallen>(owner);
    };
    RegisterDriver(entry);
}

} // namespace vorelt
