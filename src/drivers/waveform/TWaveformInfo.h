#pragma once
// What is known about one recorded waveform without reading its samples. Readers keep one of
// these per waveform (a few dozen bytes) and read the samples only when asked.

#include <cstdint>

namespace vorelt {

struct TWaveformInfo {
    int64_t Index = 0; // transient index (Vallen TRAI) or message number (DiSP)
    int Channel = 0;
    double Time = 0;           // seconds since the start of the test
    double SampleRate = 0;     // Hz
    int64_t Samples = 0;       // samples the record says it holds
    int64_t Pretrigger = 0;    // samples before the trigger; DiSP: the signed trigger delay
    double Threshold = 0;      // volts; 0 when the file does not say
    double VoltsPerUnit = 0;   // scale from a stored sample to volts
    int DataFormat = 0;        // Vallen: 0 raw 16-bit, 2 FLAC; DiSP: 0
    int64_t TriggerSample = 0; // index of the trigger sample (may lie outside the record)

    // Time of sample k from the trigger, in seconds.
    double SampleTime(int64_t k) const {
        return SampleRate > 0 ? double(k - TriggerSample) / SampleRate : 0.0;
    }
};

} // namespace vorelt
