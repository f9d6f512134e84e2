#pragma once
// The synthetic test run: a pressure test on C channels that starts, records hits (some in
// located clusters over neighbouring channels), parametric samples of a rising pressure, noise
// reports, gain changes, operator time marks, pauses with resumes, and a final stop. Hits of
// two acquisition boards are sometimes written board by board, so times go backwards over
// short stretches as real multi-board systems write them. Everything follows from the seed.

#include "TSyntheticEvent.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorelt {

// xoshiro256** seeded by splitmix64: fast, and the same sequence on every platform.
class TRandom {
public:
    explicit TRandom(uint64_t seed);
    uint64_t Next();
    // Uniform in [0, n); n > 0.
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>((Next() >> 32) * n >> 32); }

private:
    uint64_t FState[4];
};

struct TScenarioOptions {
    uint64_t Hits = 0;
    int Channels = 8;
    uint64_t Seed = 1;
    // No disordered stretches: every time is at or after the time before it.
    bool InOrder = false;
};

class TScenarioGenerator {
public:
    explicit TScenarioGenerator(const TScenarioOptions& options);

    // The next event in file order; false when the run has ended (after the stop).
    bool Next(TSyntheticEvent& e);

    uint64_t HitsDone() const { return FHitsDone; }
    uint64_t HitsTotal() const { return FOptions.Hits; }

private:
    struct TSchedule {
        uint64_t NextAt = 0; // hit count at which the event is due
        uint64_t Period = 1;
    };

    void Reschedule(TSchedule& s);
    void Push(const TSyntheticEvent& e);
    int64_t Interval();
    uint8_t RandomChannel();
    void MakeHit(TSyntheticEvent& e, uint8_t channel, int64_t time);
    void MakeEvent(TSyntheticEvent& e, TSyntheticEventKind kind);
    void QueueDisorderedStretch();
    void QueuePause();
    void QueueTimeMark();
    uint16_t PressureValue();

    TScenarioOptions FOptions;
    TRandom FRandom;
    int64_t FClock = 0;
    uint64_t FHitsDone = 0;
    bool FStarted = false;
    bool FStopped = false;
    int FPreamble = 0;
    int FClusterLeft = 0;
    uint8_t FClusterChannel = 1;
    uint8_t FHotChannel = 1;
    uint32_t FTimeMarks = 0;
    TSchedule FParametric, FNoise, FGain, FTimeMark, FPause, FStretch;

    // Events already decided, served before anything new (a disordered stretch, a pause with
    // its resume). Fixed capacity: no allocation while the run is generated.
    static constexpr size_t QueueCapacity = 16;
    std::array<TSyntheticEvent, QueueCapacity> FQueue;
    size_t FQueueHead = 0, FQueueCount = 0;
};

} // namespace vorelt
