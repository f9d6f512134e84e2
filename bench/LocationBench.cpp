// Event building of the location processor over an in-memory source: the time to compute the
// computed list, the time to read every record through the processor, and the heap bytes the
// computed list keeps per hit (beyond the source's own storage).

#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "processing/TGVCPUMemorySource.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>

using namespace vorelt;

namespace {

// Sources are built once per size: filling 10 million records takes longer than the runs.
TGVCPUMemorySource& SourceOf(int32_t hits) {
    static std::map<int32_t, std::unique_ptr<TGVCPUMemorySource>> sources;
    auto& slot = sources[hits];
    if (slot) return *slot;
    slot = std::make_unique<TGVCPUMemorySource>();
    TGVCPUMemorySource& s = *slot;
    auto set = std::make_unique<TAEFields>();
    set->SetName(fsnDatabase);
    set->SetKind(fgDatabase);
    set->Add(NewStandardField(fidTime, dtExtended));
    set->Add(NewStandardField(fidChan, dtByte));
    set->Add(NewStandardField(fidAmpl, dtByte));
    s.AddSourceSet(std::move(set));
    s.Reserve(hits);
    // Bursts of 1..12 hits on 16 channels, 5 µs apart inside a burst, 2 ms between bursts;
    // a time mark every 1000 records. A fixed generator keeps the runs comparable.
    uint64_t seed = 0x9E3779B97F4A7C15ull;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    long double t = 1000;
    int32_t n = 0;
    while (n < hits) {
        const int burst = 1 + static_cast<int>(next() % 12);
        for (int k = 0; k < burst && n < hits; ++k, ++n) {
            if (n % 1000 == 999) {
                s.AddRecord(rkTimeMark);
                continue;
            }
            const int32_t i = s.AddRecord(rkHit);
            s.SetValue(i, 0, t);
            s.SetValue(i, 1, static_cast<long double>(1 + next() % 16));
            s.SetValue(i, 2, static_cast<long double>(40 + next() % 60));
            t += 5;
        }
        t += 2000;
    }
    return s;
}

TGVCPULoc* MakeLoc(TGVCPUMemorySource& source, bool vallen) {
    source.FreeChildren();
    TGVCPULoc* loc = source.AddNew<TGVCPULoc>();
    if (vallen) {
        auto a = std::make_unique<TVallen>();
        a->SetDTNX_MAX(100);
        a->SetDT1X_MAX(200);
        a->SetFHCDT(500);
        loc->SetAlgorithm(std::move(a));
    } else {
        auto a = std::make_unique<TLocOutMPT>();
        a->SetLockOut(500);
        a->SetMPT(200);
        loc->SetAlgorithm(std::move(a));
    }
    return loc;
}

void Compute(benchmark::State& state, bool vallen) {
    const int32_t hits = static_cast<int32_t>(state.range(0));
    TGVCPUMemorySource& source = SourceOf(hits);
    TGVCPULoc* loc = MakeLoc(source, vallen);
    for (auto _ : state) {
        loc->Restart();
        if (!loc->EnsureComputed()) state.SkipWithError(loc->ErrorText().c_str());
    }
    state.SetItemsProcessed(state.iterations() * hits);
    state.counters["entries"] = loc->List().Count();
    state.counters["bytes_per_hit"] = static_cast<double>(loc->ListBytes()) / hits;
    state.counters["ns_per_hit"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * hits * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LocateLockOutMPT(benchmark::State& state) {
    Compute(state, false);
}

void BM_LocateVallen(benchmark::State& state) {
    Compute(state, true);
}

// Reading every record through the processor after the computation, as a table would.
void BM_ReadAllLocated(benchmark::State& state) {
    const int32_t hits = static_cast<int32_t>(state.range(0));
    TGVCPUMemorySource& source = SourceOf(hits);
    TGVCPULoc* loc = MakeLoc(source, false);
    loc->EnsureComputed();
    TAERecord rec;
    loc->PrepareRecord(rec);
    for (auto _ : state) {
        TAEPNav nav;
        std::string error;
        int64_t sum = 0;
        ConsumeRecords(
            *loc, nav, rec,
            [&sum](TAERecord& r, int32_t) {
                sum += r.RecFlags();
                return true;
            },
            error);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * loc->List().Count());
    state.counters["ns_per_record"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * loc->List().Count() * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_LocateLockOutMPT)
    ->Arg(1'000'000)
    ->Arg(3'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_LocateVallen)
    ->Arg(1'000'000)
    ->Arg(3'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ReadAllLocated)
    ->Arg(1'000'000)
    ->Arg(3'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
