#pragma once
// The hits a waveform window walks: those of the view it was opened from, in the view's order.
// The window asks for one hit at a time; the source reads its waveform only then.

#include "drivers/waveform/TWaveformInfo.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorelt {

struct TWaveformHit {
    // False when the hit has no waveform or it could not be read; Message then says why.
    bool HasWaveform = false;
    std::string Message;
    TWaveformInfo Info;
    std::vector<float> Volts;
    // The hit's values as the view shows them: caption and text.
    std::vector<std::pair<std::string, std::string>> Values;
    // A short title: channel, time, waveform index.
    std::string Title;
};

class IWaveformHits {
public:
    virtual ~IWaveformHits() = default;
    virtual int64_t Count() const = 0;
    // Fills `hit` for position i (0 .. Count() - 1).
    virtual void Load(int64_t i, TWaveformHit& hit) = 0;
    // The next position at or after `from` (direction +1) or at or before it (-1) whose hit
    // has a waveform; -1 when there is none.
    virtual int64_t NextWithWaveform(int64_t from, int direction) = 0;
};

} // namespace vorelt
