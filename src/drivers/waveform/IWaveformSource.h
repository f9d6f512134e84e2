#pragma once
// The waveforms of an open data file as the hits refer to them: by the value of their
// "Waveform Index" field. A driver whose format records waveforms hands one of these out; the
// samples are read only when asked, and the count of reads lets callers (and tests) see that
// nobody read what no reader wanted.

#include "drivers/waveform/TWaveformInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class IWaveformSource {
public:
    virtual ~IWaveformSource() = default;

    // The file the samples come from.
    virtual const std::string& FileName() const = 0;
    virtual size_t Count() const = 0;
    virtual const TWaveformInfo& Info(size_t i) const = 0;
    // Position of the waveform whose index (TWaveformInfo::Index) is `index`; -1 when none.
    virtual long long Find(int64_t index) const = 0;
    // Reads waveform i into `volts`; false with a message naming the file, the index and the
    // reason when it is damaged (the others stay readable).
    bool Read(size_t i, std::vector<float>& volts, std::string& message) {
        ++FReads;
        return ReadSamples(i, volts, message);
    }
    // Waveforms read so far.
    uint64_t Reads() const { return FReads; }

protected:
    virtual bool ReadSamples(size_t i, std::vector<float>& volts, std::string& message) = 0;

private:
    uint64_t FReads = 0;
};

} // namespace vorelt
