// The cursor walk that every view and computing processor performs: an in-memory source of
// 10 million records under three pass-through processors, walked forward with a read of every
// record (the consumer loop) and backward by position only.

#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "processing/TGVCPU.h"
#include "processing/TGVCPUMemorySource.h"

#include <benchmark/benchmark.h>

using namespace vorelt;

namespace {

constexpr int32_t RecordTotal = 10000000;

struct TChain {
    TChain() {
        auto set = std::make_unique<TAEFields>();
        set->SetName("Database Fields");
        set->SetKind(fgDatabase);
        for (const char* id : {fidChan, fidAmpl}) {
            auto f = std::make_unique<TAEIntegerField>();
            f->SetID(id);
            f->SetFieldName(id);
            set->Add(std::move(f));
        }
        Source.AddSourceSet(std::move(set));
        Source.Reserve(RecordTotal);
        for (int32_t i = 0; i < RecordTotal; ++i)
            Source.AddRecord(i % 50 == 0 ? rkSetup : rkHit);
        Leaf = &Source;
        for (int i = 0; i < 3; ++i)
            Leaf = Leaf->AddNew<TGVCPU>();
    }
    TGVCPUMemorySource Source;
    TGVCPU* Leaf = nullptr;
};

TChain& Chain() {
    static TChain chain;
    return chain;
}

void BM_ForwardConsumerLoop(benchmark::State& state) {
    TChain& c = Chain();
    TAEPNav nav;
    nav.Kinds = static_cast<uint16_t>(state.range(0));
    TAERecord rec;
    c.Leaf->PrepareRecord(rec);
    int64_t records = 0;
    for (auto _ : state) {
        std::string error;
        ConsumeRecords(
            *c.Leaf, nav, rec,
            [&](TAERecord& r, int32_t) {
                benchmark::DoNotOptimize(r.Index());
                ++records;
                return true;
            },
            error);
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ForwardConsumerLoop)->Arg(0)->Arg(KindBit(rkHit))->Unit(benchmark::kMillisecond);

void BM_BackwardWalk(benchmark::State& state) {
    TChain& c = Chain();
    TAEPNav nav;
    TAERecord rec;
    int64_t records = 0;
    for (auto _ : state) {
        for (int32_t i = c.Leaf->LastRecord(nav, rec, -1); !(nav.Out.Status & nsStartBackward);
             i = c.Leaf->PriorRecord(nav, rec, i)) {
            benchmark::DoNotOptimize(i);
            ++records;
        }
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BackwardWalk)->Unit(benchmark::kMillisecond);

} // namespace
