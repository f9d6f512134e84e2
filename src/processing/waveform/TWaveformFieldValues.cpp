#include "processing/waveform/TWaveformFieldValues.h"

#include "drivers/TAEDriverDb.h"
#include "drivers/waveform/IWaveformSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"

#include <cmath>

namespace vorelt {

namespace {

// The flat position of `id` in the record, trying `pos` first; -1 when absent.
int PositionOf(const TAERecord& record, int pos, std::string_view id) {
    if (pos < 0) return -1;
    if (const TAEField* f = record.Field(pos); f && f->ID() == id) return pos;
    const std::vector<TAEField*>& flat = record.FlatFields();
    for (size_t i = 0; i < flat.size(); ++i)
        if (flat[i]->ID() == id) return static_cast<int>(i);
    return -1;
}

} // namespace

void ComputePartialPowers(const TFrequencyMagnitudes& spectrum, std::span<const double> boundsHz,
                          std::span<double> percent) {
    for (double& p : percent)
        p = 0;
    const std::vector<double>& mag = spectrum.Magnitude();
    if (boundsHz.size() < 2 || percent.empty()) return;
    const size_t bands = std::min(percent.size(), boundsHz.size() - 1);
    long double total = 0;
    std::vector<long double> in(bands, 0.0L);
    for (size_t i = 0; i < mag.size(); ++i) {
        const long double power = static_cast<long double>(mag[i]) * mag[i];
        total += power;
        const double f = spectrum.Frequency(i + 1);
        for (size_t b = 0; b < bands; ++b)
            if (f >= boundsHz[b] &&
                (f < boundsHz[b + 1] || (b + 1 == bands && f == boundsHz[b + 1]))) {
                in[b] += power;
                break;
            }
    }
    if (!(total > 0)) return;
    for (size_t b = 0; b < bands; ++b)
        percent[b] = static_cast<double>(in[b] / total * 100.0L);
}

int64_t PickArrival(std::span<const float> y, TArrivalPicker picker) {
    switch (picker) {
    case TArrivalPicker::Hinkley:
        return PickHinkley(y);
    case TArrivalPicker::Aic:
        return PickAic(y);
    case TArrivalPicker::EnergyRatio:
        return PickEnergyRatio(y);
    case TArrivalPicker::ModifiedEnergyRatio:
        return PickModifiedEnergyRatio(y);
    }
    return -1;
}

const char* TWaveformFieldValues::FieldID(TFeature feature) {
    static const char* const ids[FeatureCount] = {
        fidWavePeakAmpl,  fidWaveEnergy,        fidWaveSignalStrength,
        fidWaveCounts,    fidWaveRMS,           fidWaveRise,
        fidPeakFrequency, fidFrequencyCentroid, fidWeightedPeakFrequency,
        fidPartialPower1, fidPartialPower2,     fidPartialPower3,
        fidPartialPower4, fidArrivalTime};
    return feature < FeatureCount ? ids[feature] : "";
}

uint8_t TWaveformFieldValues::GroupOf(TFeature feature) {
    switch (feature) {
    case PeakAmplitude:
    case Energy:
    case SignalStrength:
    case Counts:
    case RMS:
    case RiseTime:
        return gTime;
    case ArrivalTime:
        return gArrival;
    default:
        return gSpectrum;
    }
}

void TWaveformFieldValues::Bind(const TAEDriverDb* driver) {
    Forget();
    FLocated = false;
    FPosIndex = -1;
    FPosThreshold = -1;
    FPos.fill(-1);
    if (!driver) return;
    for (int i = 0; i < FeatureCount; ++i)
        FPos[size_t(i)] = driver->FieldPos(FieldID(TFeature(i)));
    bool any = false;
    for (int p : FPos)
        any = any || p >= 0;
    if (!any) return;
    FPosIndex = driver->FieldPos(fidWaveIndex);
    FPosThreshold = driver->FieldPos(fidThreshold);
}

void TWaveformFieldValues::Forget() {
    FSource = nullptr;
    FIndex = -1;
    FGroups = 0;
    FReadFailed = false;
    FSamples.clear();
    FFeatures = TWaveformFeatures{};
    FPartialPowers.fill(0);
    FArrival = -1;
}

void TWaveformFieldValues::WidenDemand(const TAERecord& record,
                                       std::vector<uint8_t>& wanted) const {
    if (FPosIndex < 0) return;
    bool any = false;
    for (int i = 0; i < FeatureCount && !any; ++i) {
        const int at = PositionOf(record, FPos[size_t(i)], FieldID(TFeature(i)));
        any = at >= 0 && size_t(at) < wanted.size() && wanted[size_t(at)] != 0;
    }
    if (!any) return;
    for (const int at : {PositionOf(record, FPosIndex, fidWaveIndex),
                         PositionOf(record, FPosThreshold, fidThreshold)})
        if (at >= 0 && size_t(at) < wanted.size()) wanted[size_t(at)] = 1;
}

void TWaveformFieldValues::Locate(const TAERecord& record) {
    FLayoutStamp = record.LayoutStamp();
    FDemandStamp = record.DemandStamp();
    FHasDemand = record.HasDemand();
    FLocated = true;
    FWantedGroups = 0;
    for (int i = 0; i < FeatureCount; ++i) {
        const int at = PositionOf(record, FPos[size_t(i)], FieldID(TFeature(i)));
        FAt[size_t(i)] = at >= 0 && record.Target(at) ? at : -1;
        if (FAt[size_t(i)] >= 0) FWantedGroups |= GroupOf(TFeature(i));
    }
    FAtIndex = PositionOf(record, FPosIndex, fidWaveIndex);
    FAtThreshold = PositionOf(record, FPosThreshold, fidThreshold);
}

bool TWaveformFieldValues::Wanted(const TAERecord& record) {
    if (FPosIndex < 0) return false;
    if (!FLocated || record.LayoutStamp() != FLayoutStamp || record.HasDemand() != FHasDemand ||
        record.DemandStamp() != FDemandStamp)
        Locate(record);
    return FWantedGroups != 0;
}

void TWaveformFieldValues::Fill(TAERecord& record, TAEDriverDb& driver,
                                const TWaveformOptions& options) {
    if (!Wanted(record)) return;
    const uint8_t groups = FWantedGroups;
    const TAEField* indexField = record.Field(FAtIndex);
    if (!indexField || indexField->IsNull()) return;
    const int64_t index = indexField->GetAsInt64();
    IWaveformSource* source = driver.Waveforms();
    if (!source) return;
    if (source != FSource || index != FIndex || !(options == FOptions)) {
        Forget();
        FSource = source;
        FIndex = index;
        FOptions = options;
    }
    if (FReadFailed) return;
    if (const uint8_t missing = groups & ~FGroups; missing != 0) {
        // A waveform that does not carry its threshold is counted against the hit's.
        double threshold = 0;
        if (const TAEField* thr = record.Field(FAtThreshold); thr && !thr->IsNull()) {
            const long double db = thr->GetAsFloat();
            if (std::isfinite(static_cast<double>(db)))
                threshold = static_cast<double>(1e-6L * std::pow(10.0L, db / 20.0L));
        }
        if (!Compute(*source, index, missing, options, threshold)) return;
    }
    for (int i = 0; i < FeatureCount; ++i) {
        TAEField* f = record.Target(FAt[size_t(i)]);
        if (!f) continue;
        if (i == ArrivalTime && FArrival < 0) continue;
        if (i == Counts)
            f->SetAsInt64(FFeatures.Counts);
        else
            f->SetAsFloat(Value(TFeature(i)));
    }
}

bool TWaveformFieldValues::Compute(IWaveformSource& source, int64_t index, uint8_t groups,
                                   const TWaveformOptions& options, double thresholdFallback) {
    if (FGroups == 0) {
        const long long at = source.Find(index);
        if (at < 0) {
            FLastError = source.FileName() + ": no waveform " + std::to_string(index);
            FReadFailed = true;
            return false;
        }
        std::string message;
        if (!source.Read(size_t(at), FSamples, message)) {
            FLastError = message;
            FReadFailed = true;
            return false;
        }
        FInfo = source.Info(size_t(at));
    }
    const double threshold = FInfo.Threshold > 0 ? FInfo.Threshold : thresholdFallback;
    if (groups & gTime) ComputeTimeFeatures(FSamples, FInfo.SampleRate, threshold, FFeatures);
    if (groups & gSpectrum) {
        FSpectrum.Compute(FSamples, FInfo.SampleRate);
        ComputeSpectralFeatures(FSpectrum, FFeatures);
        std::array<double, TWaveformOptions::BandCount + 1> hz{};
        for (size_t b = 0; b < hz.size(); ++b)
            hz[b] = options.Bounds[b] * 1000.0;
        ComputePartialPowers(FSpectrum, hz, FPartialPowers);
    }
    if (groups & gArrival) FArrival = PickArrival(FSamples, options.Picker);
    FGroups |= groups;
    ++FComputations;
    return true;
}

long double TWaveformFieldValues::Value(TFeature feature) const {
    const TWaveformFeatures& f = FFeatures;
    switch (feature) {
    case PeakAmplitude:
        return f.PeakAmplitude * 1000.0L;
    case Energy:
        return f.Energy;
    case SignalStrength:
        return f.SignalStrength;
    case Counts:
        return static_cast<long double>(f.Counts);
    case RMS:
        return f.RMS * 1000.0L;
    case RiseTime:
        return f.RiseTime * 1e6L;
    case PeakFrequency:
        return f.PeakFrequency / 1000.0L;
    case FrequencyCentroid:
        return f.CentroidFrequency / 1000.0L;
    case WeightedPeakFrequency:
        return f.WeightedPeakFrequency / 1000.0L;
    case PartialPower1:
    case PartialPower2:
    case PartialPower3:
    case PartialPower4:
        return FPartialPowers[size_t(feature - PartialPower1)];
    case ArrivalTime:
        return (static_cast<long double>(FInfo.Time) + FInfo.SampleTime(FArrival)) * 1e6L;
    case FeatureCount:
        break;
    }
    return 0;
}

} // namespace vorelt
