#include "TScenarioGenerator.h"

#include "persist/TNumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vorelt {

namespace {

uint64_t SplitMix64(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t Rotl(uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

constexpr int TableBits = 10;
constexpr int TableSize = 1 << TableBits;

// Quantile tables filled once, so a hit costs table look-ups instead of log and pow calls.
struct TTables {
    int64_t IntervalUs[TableSize]; // exponential, mean 400 µs, at least 1 µs
    uint16_t Amplitude[TableSize]; // 36 dB plus an exponential tail of mean 8 dB, up to 95 dB
    uint8_t AmplitudeDb[TableSize];

    TTables() {
        for (int i = 0; i < TableSize; ++i) {
            const long double q = (i + 0.5L) / TableSize;
            IntervalUs[i] = std::max<int64_t>(1, RoundToInt64(-400.0L * std::log(1.0L - q)));
            const long double db = std::min(95.0L, 36.0L - 8.0L * std::log(1.0L - q));
            Amplitude[i] = static_cast<uint16_t>(RoundToInt64(std::pow(10.0L, db / 20.0L)));
            AmplitudeDb[i] = static_cast<uint8_t>(RoundToInt64(db));
        }
    }
};

const TTables& Tables() {
    static const TTables tables;
    return tables;
}

const char* const TimeMarkTexts[] = {"Pressure step", "Hold start",   "Hold end", "Leak check",
                                     "Visual check",  "Valve closed", "Pump on",  "Pump off"};

constexpr uint8_t GainCodes[] = {48, 64, 80, 96}; // 18, 24, 30 and 36 dB

} // namespace

TRandom::TRandom(uint64_t seed) {
    uint64_t x = seed;
    for (uint64_t& s : FState)
        s = SplitMix64(x);
}

uint64_t TRandom::Next() {
    const uint64_t result = Rotl(FState[1] * 5, 7) * 9;
    const uint64_t t = FState[1] << 17;
    FState[2] ^= FState[0];
    FState[3] ^= FState[1];
    FState[1] ^= FState[2];
    FState[0] ^= FState[3];
    FState[2] ^= t;
    FState[3] = Rotl(FState[3], 45);
    return result;
}

TScenarioGenerator::TScenarioGenerator(const TScenarioOptions& options)
    : FOptions(options), FRandom(options.Seed) {
    const uint64_t n = FOptions.Hits;
    // Periods grow with the run so that big files keep a realistic mix, with upper bounds so
    // that each kind keeps recurring; the first occurrences fall inside even a tiny run.
    auto init = [n](TSchedule& s, uint64_t first, uint64_t divisor, uint64_t cap) {
        s.NextAt = std::min(first, cap);
        s.Period = std::max<uint64_t>(1, std::min(n / divisor, cap));
    };
    init(FParametric, 0, 16, 1000);
    FParametric.Period = std::max<uint64_t>(FParametric.Period, 4);
    init(FNoise, n / 8, 8, 5000);
    FNoise.Period = std::max<uint64_t>(FNoise.Period, 4);
    init(FGain, n / 5, 5, 200000);
    init(FTimeMark, n / 4, 4, 100000);
    init(FPause, n / 2, 2, 2000000);
    init(FStretch, n / 3, 6, 20000);
    FHotChannel = static_cast<uint8_t>(1 + FRandom.Below(static_cast<uint32_t>(FOptions.Channels)));
}

void TScenarioGenerator::Reschedule(TSchedule& s) {
    const uint64_t step = s.Period / 2 + FRandom.Next() % (s.Period + 1);
    s.NextAt += std::max<uint64_t>(1, step);
}

void TScenarioGenerator::Push(const TSyntheticEvent& e) {
    FQueue[(FQueueHead + FQueueCount) % QueueCapacity] = e;
    ++FQueueCount;
}

int64_t TScenarioGenerator::Interval() {
    return Tables().IntervalUs[FRandom.Next() >> (64 - TableBits)];
}

uint8_t TScenarioGenerator::RandomChannel() {
    // A quarter of the hits come from one busy sensor, as near a real defect.
    if (FRandom.Below(4) == 0) return FHotChannel;
    return static_cast<uint8_t>(1 + FRandom.Below(static_cast<uint32_t>(FOptions.Channels)));
}

uint16_t TScenarioGenerator::PressureValue() {
    const uint64_t n = std::max<uint64_t>(1, FOptions.Hits);
    const int64_t ramp = 200 + static_cast<int64_t>(3600 * std::min(FHitsDone, n) / n);
    const int64_t v = ramp + static_cast<int64_t>(FRandom.Below(41)) - 20;
    return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 4095));
}

void TScenarioGenerator::MakeEvent(TSyntheticEvent& e, TSyntheticEventKind kind) {
    e = TSyntheticEvent{};
    e.Kind = kind;
    FClock += 1 + FRandom.Below(50);
    e.TimeUs = FClock;
}

void TScenarioGenerator::MakeHit(TSyntheticEvent& e, uint8_t channel, int64_t time) {
    const TTables& t = Tables();
    e = TSyntheticEvent{};
    e.Kind = TSyntheticEventKind::Hit;
    e.Channel = channel;
    e.TimeUs = time;
    e.LongForm = FRandom.Below(8) == 0;
    const uint32_t q = static_cast<uint32_t>(FRandom.Next() >> (64 - TableBits));
    e.AmplitudeCode = t.Amplitude[q];
    const uint32_t excess = t.AmplitudeDb[q] - 30u;
    // Stronger hits ring longer, have more counts and more energy.
    e.DurationUs = std::min<uint32_t>(100000, 50 + FRandom.Below(100) +
                                                  excess * excess * (5 + FRandom.Below(20)));
    e.RiseUs = 1 + FRandom.Below(std::min<uint32_t>(e.DurationUs / 3, 1000) + 1);
    e.Counts = std::max<uint32_t>(1, e.DurationUs * (10 + FRandom.Below(10)) / 100);
    e.CountsToPeak =
        static_cast<uint16_t>(std::min<uint32_t>({e.Counts, 1 + e.RiseUs * 15 / 100, 65535}));
    e.Energy = 1 + static_cast<uint32_t>(uint64_t(e.AmplitudeCode) * e.DurationUs / 1600);
}

void TScenarioGenerator::QueueDisorderedStretch() {
    // Two boards buffer their hits and hand them over one board after the other: each board's
    // hits are in order, the merged stream is not.
    const uint64_t left = FOptions.Hits - FHitsDone;
    const uint32_t pairs =
        static_cast<uint32_t>(std::min<uint64_t>(2 + FRandom.Below(5), left / 2));
    const int c = FOptions.Channels;
    const uint32_t boardA = static_cast<uint32_t>((c + 1) / 2);
    const uint32_t boardB = static_cast<uint32_t>(c) - boardA;
    TSyntheticEvent hits[2][8];
    for (uint32_t i = 0; i < pairs; ++i) {
        for (int board = 0; board < 2; ++board) {
            FClock += Interval();
            uint8_t channel;
            if (board == 0 || boardB == 0)
                channel = static_cast<uint8_t>(1 + FRandom.Below(boardA));
            else
                channel = static_cast<uint8_t>(1 + boardA + FRandom.Below(boardB));
            MakeHit(hits[board][i], channel, FClock);
        }
    }
    for (int board = 0; board < 2; ++board)
        for (uint32_t i = 0; i < pairs; ++i)
            Push(hits[board][i]);
    FHitsDone += 2 * pairs;
}

void TScenarioGenerator::QueuePause() {
    TSyntheticEvent e;
    MakeEvent(e, TSyntheticEventKind::Pause);
    Push(e);
    FClock += 5000000 + static_cast<int64_t>(FRandom.Below(55000000)); // 5 to 60 s
    MakeEvent(e, TSyntheticEventKind::Resume);
    Push(e);
}

void TScenarioGenerator::QueueTimeMark() {
    TSyntheticEvent e;
    MakeEvent(e, TSyntheticEventKind::TimeMark);
    const char* text = TimeMarkTexts[FRandom.Below(std::size(TimeMarkTexts))];
    ++FTimeMarks;
    std::snprintf(e.Text, MaxSyntheticTextLength + 1, "%u %s", FTimeMarks % 1000, text);
    Push(e);
}

bool TScenarioGenerator::Next(TSyntheticEvent& e) {
    if (FQueueCount > 0) {
        e = FQueue[FQueueHead];
        FQueueHead = (FQueueHead + 1) % QueueCapacity;
        --FQueueCount;
        return true;
    }
    if (FStopped) return false;
    if (!FStarted) {
        // The run opens with the start, a first pressure sample and the gain of channel 1
        // raised above its set-up default; the other channels keep their defaults for now.
        switch (FPreamble++) {
        case 0:
            e = TSyntheticEvent{};
            e.Kind = TSyntheticEventKind::Start;
            e.TimeUs = 0;
            return true;
        case 1:
            MakeEvent(e, TSyntheticEventKind::Parametric);
            e.Value = PressureValue();
            return true;
        default:
            MakeEvent(e, TSyntheticEventKind::GainChange);
            e.Channel = 1;
            e.GainCode = 80;
            FStarted = true;
            FParametric.NextAt = std::max<uint64_t>(FParametric.NextAt, 1);
            Reschedule(FParametric);
            return true;
        }
    }
    if (FHitsDone >= FOptions.Hits) {
        MakeEvent(e, TSyntheticEventKind::Stop);
        FClock += 1000;
        e.TimeUs = FClock;
        FStopped = true;
        return true;
    }
    if (FHitsDone >= FPause.NextAt) {
        Reschedule(FPause);
        QueuePause();
        return Next(e);
    }
    if (FHitsDone >= FTimeMark.NextAt) {
        Reschedule(FTimeMark);
        QueueTimeMark();
        return Next(e);
    }
    if (FHitsDone >= FParametric.NextAt) {
        Reschedule(FParametric);
        MakeEvent(e, TSyntheticEventKind::Parametric);
        e.Value = PressureValue();
        return true;
    }
    if (FHitsDone >= FNoise.NextAt) {
        Reschedule(FNoise);
        MakeEvent(e, TSyntheticEventKind::Noise);
        e.Channel = RandomChannel();
        e.LongForm = FRandom.Below(3) == 0;
        e.Value = static_cast<uint16_t>(10 + FRandom.Below(40));
        return true;
    }
    if (FHitsDone >= FGain.NextAt) {
        Reschedule(FGain);
        MakeEvent(e, TSyntheticEventKind::GainChange);
        e.Channel = RandomChannel();
        e.GainCode = GainCodes[FRandom.Below(std::size(GainCodes))];
        return true;
    }
    if (!FOptions.InOrder && FHitsDone >= FStretch.NextAt && FOptions.Hits - FHitsDone >= 4) {
        Reschedule(FStretch);
        QueueDisorderedStretch();
        return Next(e);
    }
    // A located source is heard by neighbouring sensors within microseconds.
    uint8_t channel;
    if (FClusterLeft > 0) {
        --FClusterLeft;
        FClock += 5 + FRandom.Below(300);
        const int c = FOptions.Channels;
        channel = static_cast<uint8_t>(FClusterChannel % c + 1);
        FClusterChannel = channel;
    } else {
        FClock += Interval();
        channel = RandomChannel();
        if (FRandom.Below(4) == 0) {
            FClusterLeft = 1 + static_cast<int>(FRandom.Below(3));
            FClusterChannel = channel;
        }
    }
    MakeHit(e, channel, FClock);
    ++FHitsDone;
    return true;
}

} // namespace vorelt
