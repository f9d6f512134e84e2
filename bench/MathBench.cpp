// The math processor's computation: 10 million hits of an in-memory source on 16 channels,
// three expression fields and a severity grouped by channel, computed in one pass; reported
// as hits per second and bytes of the computed list per hit. A second case walks the
// computed records the way a view reads them.

#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "processing/TGVCPUMemorySource.h"
#include "processing/math/RegisterMathClasses.h"
#include "processing/math/TGVCPUPrc.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace vorelt;

namespace {

constexpr int32_t HitTotal = 10000000;

struct TMathTree {
    TMathTree() {
        RegisterMathClasses();
        auto set = std::make_unique<TAEFields>();
        set->SetName("Database Fields");
        set->SetKind(fgDatabase);
        auto add = [&](std::unique_ptr<TAEField> f, const char* name, const char* id) {
            f->SetFieldName(name);
            f->SetID(id);
            set->Add(std::move(f));
        };
        add(std::make_unique<TAEByteField>(), "Chan", fidChan);
        add(std::make_unique<TAEIntegerField>(), "Ampl", fidAmpl);
        add(std::make_unique<TAEExtendedField>(), "Energy", fidEnergy);
        add(std::make_unique<TAEExtendedField>(), "Rise", fidRise);
        Source.AddSourceSet(std::move(set));
        Source.Reserve(HitTotal);
        uint32_t seed = 1;
        for (int32_t i = 0; i < HitTotal; ++i) {
            seed = seed * 1664525u + 1013904223u;
            Source.AddRecord(rkHit);
            Source.SetValue(i, 0, 1 + (seed >> 28));
            Source.SetValue(i, 1, 40 + (seed >> 8) % 60);
            Source.SetValue(i, 2, static_cast<long double>((seed >> 4) % 10000) / 16);
            Source.SetValue(i, 3, (seed >> 12) % 200);
        }
        Math = Source.AddNew<TGVCPUPrc>();
        const char* texts[] = {"{Ampl} * 2", "{Energy} / ({Rise} + 1)", "{Ampl} + {Energy} / 2"};
        const uint8_t types[] = {dtInteger, dtExtended, dtExtended};
        for (int k = 0; k < 3; ++k) {
            TAEField* f = Math->AddCalcField(types[k], "E" + std::to_string(k));
            f->SetID("000000000000900" + std::to_string(k));
            std::string error;
            if (!Math->SetFieldExpression(*f, texts[k], error)) throw std::runtime_error(error);
        }
        TAEField* sev = Math->AddCalcField(dtExtended, "Sev");
        sev->SetID("0000000000009009");
        Math->SetFieldFunction(*sev, "Severity", fidChan, {{"X", fidEnergy, ""}});
    }
    TGVCPUMemorySource Source;
    TGVCPUPrc* Math = nullptr;
};

TMathTree& Tree() {
    static TMathTree tree;
    return tree;
}

void BM_MathCompute(benchmark::State& state) {
    TMathTree& t = Tree();
    int64_t hits = 0;
    for (auto _ : state) {
        t.Math->Changed(false);
        const int32_t n = t.Math->ComputedCount();
        if (n != HitTotal) state.SkipWithError("computation failed");
        hits += n;
    }
    state.SetItemsProcessed(hits);
    state.counters["bytes_per_hit"] =
        static_cast<double>(t.Math->ComputedBytes()) / static_cast<double>(HitTotal);
}
BENCHMARK(BM_MathCompute)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MathReadAll(benchmark::State& state) {
    TMathTree& t = Tree();
    t.Math->ComputedCount();
    TAEPNav nav;
    TAERecord rec;
    t.Math->PrepareRecord(rec);
    int64_t records = 0;
    for (auto _ : state) {
        std::string error;
        ConsumeRecords(
            *t.Math, nav, rec,
            [&](TAERecord& r, int32_t) {
                benchmark::DoNotOptimize(r.Field(7));
                ++records;
                return true;
            },
            error);
    }
    state.SetItemsProcessed(records);
}
BENCHMARK(BM_MathReadAll)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
