#pragma once
// The waveform messages of a DiSP file (ID 173: a leading byte, time of test, channel, a
// reserved byte, then signed 16-bit samples). Opening maps the file and lists the messages;
// the samples of one are converted when asked for.

#include "drivers/TMappedFile.h"
#include "drivers/disp/TDispFormat.h"
#include "drivers/waveform/TWaveformInfo.h"

#include <string>
#include <vector>

namespace vorelt {

class TDispWaveforms {
public:
    // Maps the file and lists its waveform messages. Throws EAEError naming the file and the
    // reason when it cannot be read or is no DiSP file.
    explicit TDispWaveforms(const std::string& fileName);

    const std::string& FileName() const { return FFileName; }
    size_t Count() const { return FInfos.size(); }
    const TWaveformInfo& Info(size_t i) const { return FInfos[i]; }
    // Position of the waveform whose Index (its number among the file's waveform messages,
    // from 0) is `index`; -1 when there is none or it was refused.
    long long Find(int64_t index) const;
    const disp::TSetup& Setup() const { return FSetup; }
    // Messages with ID 173 that were refused while listing, with their reasons.
    const std::vector<std::string>& Refused() const { return FRefused; }

    // Reads waveform i into `volts`; false with a message naming the file, the index and the
    // reason when it cannot.
    bool Read(size_t i, std::vector<float>& volts, std::string& message) const;

    // The offset in a message body where the samples start.
    static constexpr size_t SamplesOffset = 9;

private:
    std::string FFileName;
    TMappedFile FFile;
    disp::TSetup FSetup;
    std::vector<TWaveformInfo> FInfos;
    std::vector<size_t> FBodyOffsets;
    std::vector<std::string> FRefused;
};

} // namespace vorelt
