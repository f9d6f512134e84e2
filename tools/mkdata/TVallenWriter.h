#pragma once
// Writer of Vallen hit databases: an SQLite file with the tables, columns and views the Vallen
// acquisition writes (the layout of a recording with one parametric input). Hits go to ae_data
// as set type 2 with raw integer values that the channel's ae_params row scales; noise reports
// and pressure samples are status rows (set type 1); the start writes the section, date and
// time-zone markers; time marks, pauses, resumes and the stop are label markers (set type 4).
// A gain change starts a new set-up: a new ae_params row for the channel, which the channel's
// later rows reference through ParamID.

#include "TDataWriter.h"

#include "TSyntheticWaveform.h"
#include "TVallenTransientWriter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vorelt {

class TVallenWriter : public TDataWriter {
public:
    TVallenWriter() = default;
    ~TVallenWriter() override;

    std::string_view FormatName() const override { return "vallen"; }
    int MaxChannels() const override { return 254; }
    // The database is written through SQLite into the file `out` has created; `out` itself
    // receives no bytes.
    void Begin(TOutputFile& out, const TWriterSettings& settings, TDataManifest& manifest) override;
    void WriteEvent(TOutputFile& out, const TSyntheticEvent& e, TDataManifest& manifest) override;
    void End(TOutputFile& out, TDataManifest& manifest) override;

    // Raw scaling of the first set-up of every channel (ae_params).
    static constexpr double AdcMicrovolts = 1.5222644109346688;
    static constexpr double AdcEnergy = 9.269154336182668e-05;
    static constexpr double AdcSignalStrength = 0.0003044528590140462;
    static constexpr double ParametricMillivolts = 0.3125;
    static constexpr int64_t TimeBase = 10000000; // ae_data Time counts 0.1 µs

    // The schema statements, as the Vallen acquisition creates them.
    static const char* const Schema[];

private:
    void Exec(const char* sql);
    void Check(int rc, const char* what);
    void Close();
    int64_t AddParams(int chan, int gainCode);
    void AddMarker(int64_t timeUs, int setType, const std::string& text, int kind,
                   TDataManifest& manifest);
    std::string ClockText(int64_t timeUs) const;

    TWriterSettings FSettings;
    sqlite3* FDb = nullptr;
    sqlite3_stmt* FInsertData = nullptr;
    sqlite3_stmt* FInsertMarker = nullptr;
    sqlite3_stmt* FInsertParams = nullptr;
    int64_t FSetID = 0;
    int64_t FMarkerNumber = 0;
    int64_t FParamsID = 0;
    uint64_t FTrai = 0;
    // Current ae_params row and its amplitude scale per channel (index 0: parametric inputs).
    std::array<int64_t, 256> FParamOf{};
    std::array<double, 256> FScaleOf{};
    // The transient database beside the file, when waveforms are asked for.
    std::unique_ptr<TVallenTransientWriter> FTransients;
    TWaveformShape FShape;
    std::vector<int16_t> FSamples;
};

} // namespace vorelt
