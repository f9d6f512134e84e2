#pragma once
// Writer of DiSP message-stream files: the set-up messages (product definition, comment, test
// start, test information, hardware setup with hit and time-driven characteristic lists, the
// channel list and a partial-power setup), then one message per event. Hits carry rise time,
// counts to peak, counts, energy, duration, amplitude, gain, absolute energy, partial powers,
// frequency centroid and peak frequency, followed by one parametric group; the file ends with
// an abort whose time is not known, as acquisition systems write it.

#include "TDataWriter.h"
#include "TSyntheticWaveform.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vorelt {

// With waveforms, each hit is followed by a waveform message (ID 173) of its channel and time,
// its samples a synthetic burst; the hardware set-up then gives each channel's gain, sample rate
// and trigger delay.
class TDispWriter : public TDataWriter {
public:
    std::string_view FormatName() const override { return "disp"; }
    int MaxChannels() const override { return 255; }
    void Begin(TOutputFile& out, const TWriterSettings& settings, TDataManifest& manifest) override;
    void WriteEvent(TOutputFile& out, const TSyntheticEvent& e, TDataManifest& manifest) override;
    void End(TOutputFile& out, TDataManifest& manifest) override;

    // Hit characteristic codes in hit order, and the parametric groups that follow them.
    static constexpr uint8_t HitCodes[] = {1, 2, 3, 4, 5, 6, 9, 21, 22, 23, 24};
    static constexpr uint8_t HitParametrics = 1;
    static constexpr uint16_t PartialPowerSegments = 4;
    static constexpr size_t HitBodySize =
        6 + 1 + 2 + 2 + 2 + 2 + 4 + 1 + 1 + 4 + PartialPowerSegments + 2 + 2 + 3 * HitParametrics;
    // Time-driven samples: ASL (1 byte) and 16-bit RMS per channel, one parametric group.
    static constexpr uint8_t TimeDrivenCodes[] = {8, 17};
    static constexpr size_t TimeDrivenBlock = 1 + 1 + 2;
    // Absolute energy written for an energy count of 1, in the file's float units.
    static constexpr float AbsEnergyPerCount = 1.5f;
    static constexpr int32_t DefaultGainDb = 24;

private:
    void WriteMessage(TOutputFile& out, uint8_t id, const uint8_t* body, size_t size);
    void WriteTimed(TOutputFile& out, uint8_t id, int kind, const uint8_t* body, size_t size,
                    int64_t timeUs, TDataManifest& manifest);
    void WriteSample(TOutputFile& out, uint8_t id, const TSyntheticEvent& e, int firstChannel,
                     int lastChannel, TDataManifest& manifest);

    TWriterSettings FSettings;
    uint16_t FPressure = 0;
    std::array<uint8_t, 256> FGainDb{};
    std::array<uint16_t, 256> FNoise{};
    // The waveform written after each hit, when the settings ask for waveforms.
    TWaveformShape FShape;
    std::vector<int16_t> FSamples;
    std::vector<uint8_t> FWaveBody;
};

} // namespace vorelt
