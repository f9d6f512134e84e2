#pragma once
// The waveform of a synthetic hit: a decaying sine burst that starts at the pretrigger, on a
// little noise, in the raw units of the acquisition. Its frequency lies on a bin of the record's
// spectrum, so that the peak frequency a reader computes is known exactly.

#include "TSyntheticEvent.h"

#include <cstdint>
#include <vector>

namespace vorelt {

struct TWaveformShape {
    int Samples = 2048;
    double SampleRate = 2e6; // Hz
    int Pretrigger = 256;    // samples before the burst starts
};

// The burst frequency of a channel's hits in Hz: 100 to 350 kHz by channel, moved onto the
// nearest spectrum bin of the shape.
double SyntheticBurstFrequency(int channel, const TWaveformShape& shape);

// Fills `raw` with shape.Samples 16-bit values; the burst's peak is the hit's amplitude
// (AmplitudeCode µV) divided by `microvoltsPerUnit`, clipped to the 16-bit range. The same
// event and seed always give the same samples.
void SyntheticWaveform(const TSyntheticEvent& e, double microvoltsPerUnit,
                       const TWaveformShape& shape, uint64_t seed, std::vector<int16_t>& raw);

} // namespace vorelt
