#include "drivers/waveform/TDispWaveforms.h"

#include "persist/TErrors.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

using namespace disp;

TDispWaveforms::TDispWaveforms(const std::string& fileName) : FFileName(fileName) {
    std::string message;
    if (!FFile.Open(fileName, message)) throw EAEError(fileName + ": " + message);
    const uint8_t* d = FFile.Data();
    const size_t size = FFile.Size();
    if (!LooksLikeDisp(FFile.Bytes().first(std::min(size, RecognitionBytes)), size))
        throw EAEError(fileName + ": not a DiSP file");
    struct TPending {
        size_t Body;
        size_t BodySize;
        uint64_t Ticks;
        uint8_t Channel;
        long Number;
    };
    std::vector<TPending> pending;
    TFrame f;
    // Waveform messages are numbered among themselves, refused ones included, so that the
    // number stays what the driver's index gives the same message.
    long number = 0;
    size_t p = 0;
    while (p < size && ReadFrame(d, size, p, f)) {
        if (f.ID == idHardwareSetup && !FSetup.Found) {
            ParseHardwareSetup({d + f.BodyOffset, f.BodySize}, FSetup);
        } else if (f.ID == idWaveform) {
            // Body: a leading byte (1 or 10 in the files seen), 6 bytes of time, channel,
            // reserved, samples.
            const uint8_t* b = d + f.BodyOffset;
            uint64_t ticks = 0;
            if (f.BodySize <= SamplesOffset) {
                FRefused.push_back(fileName + ": waveform message at byte " +
                                   std::to_string(f.Start) + ": no samples");
            } else if ((f.BodySize - SamplesOffset) % 2 != 0) {
                FRefused.push_back(fileName + ": waveform message at byte " +
                                   std::to_string(f.Start) + ": the samples end in half a sample");
            } else if (!BodyTime(idHit, b + 1, f.BodySize - 1, ticks)) {
                FRefused.push_back(fileName + ": waveform message at byte " +
                                   std::to_string(f.Start) + ": no time of test");
            } else {
                pending.push_back({f.BodyOffset, f.BodySize, ticks, b[7], number});
            }
            ++number;
        }
        p = f.End();
    }
    // The setup comes first in the files, but the gains are applied only once it is known.
    for (const TPending& w : pending) {
        TWaveformInfo info;
        info.Index = w.Number;
        info.Channel = w.Channel;
        info.Time = static_cast<double>(w.Ticks) / static_cast<double>(TicksPerSecond);
        info.Samples = static_cast<int64_t>((w.BodySize - SamplesOffset) / 2);
        const TChannelWaveSetup* s = FSetup.WaveSetup(w.Channel);
        const int gain = s ? s->GainDb : 0;
        info.SampleRate = s ? s->SampleRate : 0;
        info.Pretrigger = s ? s->TriggerDelay : 0;
        info.TriggerSample = -info.Pretrigger;
        // Full scale is 10 V over 32768 steps at the input of the gain stage.
        info.VoltsPerUnit = 10.0 / (std::pow(10.0, gain / 20.0) * 32768.0);
        FInfos.push_back(info);
        FBodyOffsets.push_back(w.Body);
    }
}

long long TDispWaveforms::Find(int64_t index) const {
    const auto it = std::lower_bound(FInfos.begin(), FInfos.end(), index,
                                     [](const TWaveformInfo& w, int64_t n) { return w.Index < n; });
    if (it == FInfos.end() || it->Index != index) return -1;
    return it - FInfos.begin();
}

bool TDispWaveforms::Read(size_t i, std::vector<float>& volts, std::string& message) const {
    volts.clear();
    if (i >= FInfos.size()) {
        message = FFileName + ": no waveform " + std::to_string(i);
        return false;
    }
    const TWaveformInfo& w = FInfos[i];
    const uint8_t* s = FFile.Data() + FBodyOffsets[i] + SamplesOffset;
    const size_t n = static_cast<size_t>(w.Samples);
    volts.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const auto raw =
            static_cast<int16_t>(static_cast<uint16_t>(s[2 * k] | (s[2 * k + 1] << 8)));
        volts[k] = static_cast<float>(raw * w.VoltsPerUnit);
    }
    return true;
}

} // namespace vorelt
