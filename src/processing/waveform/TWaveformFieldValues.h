#pragma once
// The waveform features of a hit as fields: the database processor asks this class to fill
// them into each record it reads. Only the fields the reader wants are computed (the record's
// demand says which), the samples are read only when one of them is wanted, and a record read
// again (a table scrolled back, a graph redrawn) reuses what was computed for it.
//
// Units of the fields: peak amplitude and RMS in mV, energy in eu (1e-14 V²s), signal strength
// in nVs, rise time in µs, frequencies in kHz, partial powers in % of the spectrum's power, and
// the arrival time in µs since the start of the test (the waveform's trigger time plus the
// picked sample's offset from the trigger), comparable with "Time of Hit".

#include "processing/waveform/TFrequencyMagnitudes.h"
#include "processing/waveform/TWaveformFeatures.h"
#include "processing/waveform/TWaveformOptions.h"

#include "drivers/waveform/TWaveformInfo.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorelt {

class IWaveformSource;
class TAEDriverDb;
class TAERecord;

// Partial powers: the share in % of sum |X_k|² (k = 1 .. N/2) that falls in each band
// [bounds[i], bounds[i+1]) Hz (the last band includes its upper bound); 0 for a spectrum
// without power. `percent` has one value per band.
void ComputePartialPowers(const TFrequencyMagnitudes& spectrum, std::span<const double> boundsHz,
                          std::span<double> percent);

// The arrival index the picker gives for `y` (-1 for an empty record).
int64_t PickArrival(std::span<const float> y, TArrivalPicker picker);

class TWaveformFieldValues {
public:
    // The fields, in the order of WaveformFieldDecls after the index.
    enum TFeature : uint8_t {
        PeakAmplitude,
        Energy,
        SignalStrength,
        Counts,
        RMS,
        RiseTime,
        PeakFrequency,
        FrequencyCentroid,
        WeightedPeakFrequency,
        PartialPower1,
        PartialPower2,
        PartialPower3,
        PartialPower4,
        ArrivalTime,
        FeatureCount
    };
    static const char* FieldID(TFeature feature);

    // Finds the fields in the driver's part of the layout; none without driver.
    void Bind(const TAEDriverDb* driver);
    // Whether the driver declares any feature.
    bool Bound() const { return FPosIndex >= 0; }
    // A reader that wants a feature needs the waveform index (and the hit's threshold in dB,
    // for a waveform that does not carry its own).
    void WidenDemand(const TAERecord& record, std::vector<uint8_t>& wanted) const;
    // Whether a reader of records like this one (its layout and demand) wants any feature: the
    // answer is kept per layout and demand, so that records nobody computes for cost nothing.
    bool Wanted(const TAERecord& record);
    // Computes the wanted features of the record from its waveform; fields of a hit without
    // a waveform, or whose waveform cannot be read, stay empty (LastError says why).
    void Fill(TAERecord& record, TAEDriverDb& driver, const TWaveformOptions& options);
    // Forgets what was computed (the data file changed).
    void Forget();

    // Waveforms whose features were computed, and the last waveform that could not be read.
    uint64_t Computations() const { return FComputations; }
    const std::string& LastError() const { return FLastError; }

private:
    enum TGroup : uint8_t { gTime = 1, gSpectrum = 2, gArrival = 4 };
    static uint8_t GroupOf(TFeature feature);
    bool Compute(IWaveformSource& source, int64_t index, uint8_t groups,
                 const TWaveformOptions& options, double thresholdFallback);
    long double Value(TFeature feature) const;

    // Where the fields lie in the records of the last layout and demand seen, and which are
    // wanted there (-1: absent or not wanted).
    void Locate(const TAERecord& record);

    int FPosIndex = -1;
    int FPosThreshold = -1;
    std::array<int, FeatureCount> FPos{};
    uint64_t FLayoutStamp = 0;
    uint64_t FDemandStamp = 0;
    bool FHasDemand = false;
    bool FLocated = false;
    uint8_t FWantedGroups = 0;
    int FAtIndex = -1;
    int FAtThreshold = -1;
    std::array<int, FeatureCount> FAt{};

    // The waveform computed last, and what of it is known.
    const IWaveformSource* FSource = nullptr;
    int64_t FIndex = -1;
    TWaveformOptions FOptions;
    uint8_t FGroups = 0;
    bool FReadFailed = false;
    TWaveformInfo FInfo;
    std::vector<float> FSamples;
    TFrequencyMagnitudes FSpectrum;
    TWaveformFeatures FFeatures;
    std::array<double, TWaveformOptions::BandCount> FPartialPowers{};
    int64_t FArrival = -1;

    uint64_t FComputations = 0;
    std::string FLastError;
};

} // namespace vorelt
