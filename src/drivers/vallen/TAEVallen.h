#pragma once
// The driver of Vallen hit databases (SQLite files written by the Vallen acquisition). Load
// reads the whole database into memory through a read-only connection that exists only while
// recognising and loading; afterwards every record comes from the index. Vallen databases are
// only read: time-sorted and filtered copies are refused.
//
// Index items: Kind is the row's SetType (1, 2, 3, 5 and 6 as stored, 0 for set types the
// driver does not know). A label marker (SetType 4) is classified by its text when it is loaded
// and carries one of the vk* kinds below, so that the record kind stays a table look-up.
// Offset is the item's slot in the driver's data sets or markers; Extra is 1 for a data set kept
// in full (TVallenWideDataSet).

#include "drivers/TAEDriverDb.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vorelt {

class TSqliteDatabase;
class TVallenRowReader;
class TVallenWaveformSource;
struct TVallenRow;

// Format kinds of label markers (SetType 4), by their text.
constexpr uint8_t vkLabel = 4;         // any other text: user comment
constexpr uint8_t vkStopLabel = 250;   // "END OF TEST"
constexpr uint8_t vkResumeLabel = 251; // "RESUME"
constexpr uint8_t vkTimeMark = 252;    // "TIME MARK"

// One row of ae_data that carries acquisition values (set types 1, 2 and 3): the columns the
// driver converts (NULL and absent columns read as 0). Millions of them stay in memory, so the
// values that fit 32 bits are kept in 32 bits; a row with a value that does not fit is kept in
// full as a TVallenWideDataSet instead.
struct TVallenDataSet {
    int64_t Time = 0;
    int64_t Eny = 0;
    int32_t Chan = 0;
    int32_t Thr = 0;
    int32_t Amp = 0;
    int32_t RiseT = 0;
    int32_t Dur = 0;
    int32_t RMS = 0;
    int32_t Counts = 0;
    // Slot in ChannelParams of the row's own scaling parameters (its ParamID); -1 for none.
    int32_t ParamRow = -1;
};
static_assert(sizeof(TVallenDataSet) == 48, "a data set costs 48 bytes");

struct TVallenWideDataSet {
    int64_t Time = 0;
    int64_t Eny = 0;
    int64_t Chan = 0;
    int64_t Thr = 0;
    int64_t Amp = 0;
    int64_t RiseT = 0;
    int64_t Dur = 0;
    int64_t RMS = 0;
    int64_t Counts = 0;
    int32_t ParamRow = -1;
};

// A marker row (set types 4, 5 and 6) with its text from ae_markers.
struct TVallenMarker {
    int64_t SetID = 0;
    int64_t Time = 0;
    std::string Text;
};

// One row of ae_params: its ID, channel and every column read as a number, in the order of
// ChannelParamNames.
struct TVallenChannelParams {
    int64_t ID = 0;
    int64_t Chan = 0;
    std::vector<long double> Values;
};

// One row of ae_fieldinfo. ID is the standard field the row describes, empty when the field
// name is not one the driver converts.
struct TVallenFieldInfo {
    std::string ID;
    std::string Unit;
    int64_t SetTypes = 0;
    std::string Parameter;
    long double Factor = 0;
};

class TAEVallen : public TAEDriverDb {
public:
    explicit TAEVallen(IDriverOwner* owner = nullptr);
    ~TAEVallen() override;

    std::string ClassName() const override { return "TAEVallen"; }

    // A file SQLite can open read-only that has the table ae_fieldinfo. Never keeps the file
    // open and never changes it.
    static bool CanOpen(const std::string& fileName, std::string& message);

    // Checks that the file is a database SQLite can read before the base opens the log, so a
    // missing or foreign file gets no companion log.
    bool Open(const std::string& fileName, std::string& message) override;
    bool Load(std::string& message) override;
    // The rows of ae_data come from a thread of their own and are in the index chunk by chunk.
    bool BeginLoad(std::string& message) override;
    bool LoadMore(std::string& message) override;
    bool Initialize(std::string& message) override;
    void ClearIndex() override;
    std::vector<std::string> InfoLines() const override { return FInfoLines; }

    // Rows are no byte stream: none of them counts as unknown or empty.
    bool IsKnownMessage(const TDriverIndexItem&) const override { return true; }
    // Refused: "Operation Not Support", naming the file and why.
    bool SortToFile(const std::string& target, std::string& message) override;
    bool SaveToFile(IRecordSource& source, const std::string& target,
                    std::string& message) override;
    // The Tarvel rule: seconds, hours and milliseconds.
    bool ConvertTime(std::string_view sourceID, std::string_view targetID, long double& value,
                     long double x) const override;

    // What Load read, for the windows that show the set-up.
    const std::vector<TVallenFieldInfo>& FieldInfos() const { return FFieldInfos; }
    const std::vector<std::string>& ChannelParamNames() const { return FParamNames; }
    const std::vector<TVallenChannelParams>& ChannelParams() const { return FParams; }
    const std::vector<TVallenMarker>& Markers() const { return FMarkers; }

    // Format kind (vk*) of a label marker's text, compared upper-case and trimmed.
    static uint8_t LabelKind(std::string_view text);
    // Factor from a unit text of ae_fieldinfo ("[µV]", "mV", "[V]", ...) to millivolts; 1 when
    // the unit is empty or not a voltage.
    static long double MillivoltsPer(std::string_view unit);

    // Data sets (set types 1, 2 and 3) straight into the cells; markers go through ReadRecord.
    bool ReadCells(int32_t pos, TRecordCellSink& sink) override;
    // Reading converts what the index holds; what it remembers on the way is the thread's own.
    bool ConcurrentReads() const override { return true; }

    // The transient database of the same stem beside the file (NAME.tradb), opened read-only
    // on the first call: opening the hit database never waits for it. None when there is none
    // or it cannot be read (WaveformMessage says why).
    IWaveformSource* Waveforms() override;
    std::string WaveformMessage() const override;
    // A transient database chosen by the user instead of the one beside the file.
    bool UseWaveformFile(const std::string& fileName, std::string& message) override;
    // Whether Waveforms was asked for since the file was opened.
    bool WaveformsOpened() const {
        std::lock_guard lock(FWaveformMutex);
        return FWaveformsTried;
    }
    void Close() override;
    // The TRAI of the hit at pos; 0 when it has no waveform. The column is read on the first
    // call, not while the file loads: most readers never ask for it.
    int64_t Trai(int32_t pos) const;
    bool TraisRead() const { return FTraisFor.load(std::memory_order_acquire) >= 0; }

protected:
    void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) override;
    bool MapsDataFile() const override { return false; }

private:
    // What ReadRecord does for one recognised ae_fieldinfo row, resolved once by Load.
    enum class TStepKind : uint8_t { Time, Chan, Rise, Count, Ampl, Durat, Energy, Threshold, RMS };
    struct TConvertStep {
        TStepKind Kind;
        long double Factor;  // the row's Factor (0 when absent)
        long double Divisor; // time only: TimeDivisor of the Factor
        int ParamColumn;     // column of the row's Parameter in ChannelParamNames; -1 for none
        long double Unit;    // RMS only: millivolts per unit of the file
    };
    // Microseconds of a raw time for a time Factor f.
    static long double TimeMicroseconds(int64_t time, long double f, long double divisor);
    // The whole count of raw units per second when the Factor is its reciprocal, else 0.
    static long double TimeDivisor(long double f);

    void ClearTables();
    void ReadParams(TSqliteDatabase& db);
    void ReadFieldInfo(TSqliteDatabase& db);
    // Starts reading ae_data after what its rows need; AddRows puts the next chunk in the
    // index, or ends the load (true) after the last one.
    void StartRows(TSqliteDatabase& db);
    bool AddRows();
    void AddRow(const TVallenRow& row);
    void ReadGlobalInfo(TSqliteDatabase& db);
    void BuildSteps();
    long double ParamValue(int32_t row, int column) const;
    // Into either sink of TRecordSinks.h: the same values for records and for cells.
    template <class TSink, class TDataSet> void ConvertDataSet(TSink& sink, const TDataSet& d);
    template <class TSink> void ConvertDataItem(TSink& sink, const TDriverIndexItem& item);
    // 20 log10 v, remembered for the levels seen last: amplitudes and thresholds repeat, and
    // the 80-bit logarithm is the dearest step of a hit.
    static long double Decibels(long double v);
    template <class TSink> void SetTimeFields(TSink& sink, long double us);
    template <class TSink> void PutWaveIndex(TSink& sink, int32_t pos) const;

    std::vector<TVallenFieldInfo> FFieldInfos;
    std::vector<std::string> FParamNames;
    std::vector<TVallenChannelParams> FParams;
    std::vector<TVallenDataSet> FDataSets;
    std::vector<TVallenWideDataSet> FWideDataSets;
    std::vector<TVallenMarker> FMarkers;
    std::vector<TConvertStep> FSteps;
    std::unique_ptr<TVallenRowReader> FRows;
    uint64_t FRowsAdded = 0;
    uint64_t FRowsExpected = 0;
    // The first time row of ae_fieldinfo, used by markers.
    bool FHasTime = false;
    long double FTimeFactor = 0;
    long double FTimeDivisor = 0;

    // The hits that have a waveform (index positions, ascending) and their TRAI, read once
    // the first reader asks: many files record no waveform for most hits, and loading stays as
    // fast as without them.
    void ReadTrais() const;
    mutable std::vector<int32_t> FTraiPositions;
    mutable std::vector<int64_t> FTrais;
    mutable std::atomic<int64_t> FTraisFor{-1}; // the index size they were read for
    mutable std::mutex FWaveformMutex;
    bool FWaveformsTried = false;
    std::unique_ptr<TVallenWaveformSource> FWaveforms;
    mutable std::string FWaveformMessage;

    // Flat positions of the fields ReadMessage fills.
    int FPosWaveIndex, FPosChan, FPosRise, FPosCount, FPosAmpl, FPosDurat, FPosEnergy,
        FPosThreshold, FPosRMS;
};

// Adds TAEVallen to the driver registry (first in the trial order).
void RegisterVallenDriver();

} // namespace vorelt
