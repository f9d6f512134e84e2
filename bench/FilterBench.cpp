// Walks of the filtering processors over hits from the in-memory source, the way a view
// pulls them: FirstRecord, then NextRecord until the end, reading every record that passes.

#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "processing/TGVCPUMemorySource.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace vorelt;

namespace {

constexpr int posTimeMS = 0;
constexpr int posChan = 1;
constexpr int posAmpl = 2;

// Hits every 0,1 ms on 8 channels with amplitudes 40..79 dB; every thousandth hit comes from
// a noise source on channel 9.
std::unique_ptr<TGVCPUMemorySource> MakeHits(int32_t count) {
    auto source = std::make_unique<TGVCPUMemorySource>();
    auto set = std::make_unique<TAEFields>();
    set->SetName("Database Fields");
    set->Add(NewStandardField(fidTimeMS, dtExtended));
    set->Add(NewStandardField(fidChan, dtInteger));
    set->Add(NewStandardField(fidAmpl, dtExtended));
    source->AddSourceSet(std::move(set));
    source->Reserve(count);
    for (int32_t i = 0; i < count; ++i) {
        source->AddRecord(rkHit);
        source->SetValue(i, posTimeMS, i * 0.1L);
        source->SetValue(i, posChan, i % 1000 == 500 ? 9 : 1 + i % 8);
        source->SetValue(i, posAmpl, 40 + (i * 7) % 40);
    }
    return source;
}

// Walks `p` the way a view does; `read` also reads every record that passes.
int64_t Walk(TGVCPU& p, TAERecord& record, bool read) {
    TAEPNav nav;
    int64_t n = 0;
    int32_t i = p.FirstRecord(nav, record, -1);
    while (!(nav.Out.Status & (nsEndForward | nsError))) {
        if (read) p.ReadRecord(nav, record, i);
        ++n;
        i = p.NextRecord(nav, record, i);
    }
    return n;
}

void BM_FilterThreeTerms(benchmark::State& state) {
    RegisterFilterClasses();
    const int32_t hits = 10'000'000;
    static std::unique_ptr<TGVCPUMemorySource> source = MakeHits(hits);
    auto* filter = source->AddNew<TGVCPUFltr>();
    // Channel >= 3 AND Amplitude > 50 AND (time >= 0 OR channel = 1): about a half passes.
    TLCBase& root = filter->Condition();
    root.Add(std::make_unique<TLCCondition>(fidChan, coGreaterOrEquals, "3"));
    root.Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "50"));
    root.Add(std::make_unique<TLCCondition>(fidTimeMS, coGreaterOrEquals, "0"));
    TAERecord record;
    filter->PrepareRecord(record);
    const bool read = state.range(0) != 0;
    int64_t passed = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(passed = Walk(*filter, record, read));
    state.counters["passed"] = static_cast<double>(passed);
    state.SetItemsProcessed(state.iterations() * hits);
    source->DetachChild(filter); // frees it
}
BENCHMARK(BM_FilterThreeTerms)->Arg(0)->Arg(1)->ArgName("read")->Unit(benchmark::kMillisecond);

void BM_TurnOffFilter(benchmark::State& state) {
    RegisterFilterClasses();
    const auto hits = static_cast<int32_t>(state.range(0));
    std::unique_ptr<TGVCPUMemorySource> source = MakeHits(hits);
    auto* filter = source->AddNew<TGVCPUTurnOffFltr>();
    filter->SetEnabledFilter(true);
    // The noise hits trigger every 100 ms, with windows of 1 ms before and 3 ms after.
    filter->Condition().Add(std::make_unique<TLCCondition>(fidChan, coEquals, "9"));
    filter->Condition().Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "0"));
    filter->SetDeltaBefore(1000);
    filter->SetDeltaAfter(3000);
    TAERecord record;
    filter->PrepareRecord(record);
    int64_t kept = 0;
    for (auto _ : state) {
        TAEOMSG changed;
        changed.Msg = omDataChanged;
        filter->Dispatch(changed); // recompute every iteration
        benchmark::DoNotOptimize(kept = Walk(*filter, record, false));
    }
    state.counters["kept"] = static_cast<double>(kept);
    state.counters["cache"] = static_cast<double>(filter->PeakCacheSize());
    state.SetItemsProcessed(state.iterations() * hits);
}
BENCHMARK(BM_TurnOffFilter)
    ->Arg(1'000'000)
    ->Arg(3'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond);

} // namespace
