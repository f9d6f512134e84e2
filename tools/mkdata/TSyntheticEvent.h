#pragma once
// One event of a synthetic acquisition run, independent of any file format. The scenario
// produces these; every format writer encodes them in its own messages, or leaves out those
// its format cannot express.

#include <cstdint>

namespace vorelt {

enum class TSyntheticEventKind : uint8_t {
    Start,      // start of the test (acquisition begins)
    Hit,        // AE hit on one channel
    Noise,      // noise level report of one channel
    Parametric, // sample of parametric input 1 (the test pressure)
    GainChange, // new gain of one channel
    TimeMark,   // operator time mark with a short text
    Pause,
    Resume,
    Stop,
};

struct TSyntheticEvent {
    TSyntheticEventKind Kind = TSyntheticEventKind::Hit;
    // Long form of a hit or a noise report (formats with two message sizes use the longer one).
    bool LongForm = false;
    // 1-based channel for hits, noise and gain changes; 0 otherwise.
    uint8_t Channel = 0;
    // Gain in steps of 0.375 dB (a multiple of 8, so it is also a whole number of dB).
    uint8_t GainCode = 0;
    // Microseconds since the start of the test; may go backwards inside a disordered stretch.
    int64_t TimeUs = 0;
    // Tenths of a microsecond past TimeUs (0..9), for the formats that keep them.
    uint8_t TenthsUs = 0;
    // Hit characteristics.
    uint16_t AmplitudeCode = 0; // linear amplitude, 20 * log10 gives dB at unit gain
    uint32_t Energy = 0;
    uint32_t DurationUs = 0;
    uint32_t RiseUs = 0;
    uint32_t Counts = 0;
    uint16_t CountsToPeak = 0;
    // Parametric input or noise level, 0 to 4095.
    uint16_t Value = 0;
    // Time-mark text, zero-terminated, at most 18 characters.
    char Text[20] = {};
};

inline constexpr int MaxSyntheticTextLength = 18;

} // namespace vorelt
