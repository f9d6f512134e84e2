#pragma once
// The features of many waveforms of one file, as a batch computes them (the command line's
// feature rows, the benchmark): both cores at work, each with its own reader of the file, and
// the output handed over in the order of the waveforms, as if one thread had done it all.

#include "drivers/waveform/IWaveformSource.h"
#include "processing/waveform/TWaveformFeatures.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vorelt {

// The output of a block of waveforms: the text of those computed, the messages of those that
// could not be read.
struct TFeatureBlock {
    std::string Rows;
    std::string Errors;
    size_t Failed = 0;
};

// Opens another reader of the same file; none when it cannot (one thread then does all).
using TOpenWaveforms = std::function<std::unique_ptr<IWaveformSource>()>;
// Appends the text of waveform i; runs on either thread.
using TFeatureText =
    std::function<void(size_t i, const TWaveformInfo& info, std::span<const float> volts,
                       const TWaveformFeatures& features, std::string& text)>;

// Waveforms [from, to) of `source`: read, features computed, `text` called for each that could
// be read, a message line ("error: ...") for each that could not; `hand` gets the blocks in
// order on the calling thread.
void RunWaveformFeatures(IWaveformSource& source, const TOpenWaveforms& openAnother, size_t from,
                         size_t to, const TFeatureText& text,
                         const std::function<void(const TFeatureBlock&)>& hand);

} // namespace vorelt
