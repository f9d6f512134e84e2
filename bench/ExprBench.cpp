// Three calculated fields per record, as the math processor computes them: the record is
// filled from an in-memory array of hits (what a driver read costs is measured elsewhere) and
// the three compiled expressions are evaluated into their value slots.

#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TGVVariants.h"
#include "processing/expr/IExprOwner.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/expr/TPreProcessor.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

using namespace vorelt;

namespace {

struct THit {
    long double Time;
    int64_t Chan;
    int64_t Count;
    long double Energy;
    long double Ampl;
};

class TBenchOwner : public IExprOwner {
public:
    TBenchOwner() {
        FSet.Add(NewStandardField(fidTime, dtExtended));
        FSet.Add(NewStandardField(fidChan, dtByte));
        FSet.Add(NewStandardField(fidCount, dtLongWord));
        FSet.Add(NewStandardField(fidEnergy, dtExtended));
        FSet.Add(NewStandardField(fidAmpl, dtExtended));
        FSet.SetLocked(true);
        FLayout.Add(&FSet);
        auto gain = std::make_unique<TGVFloatVariant>();
        gain->SetDisplayName("Gain");
        gain->SetID("V1");
        gain->SetAsFloat(1.5L);
        FVariants.Add(std::move(gain));
    }
    std::string ExprFieldID(std::string_view name) const override {
        const TAEField* f = FLayout.FindByName(name);
        return f ? f->ID() : std::string();
    }
    TGVVariants* ExprVariants() const override { return const_cast<TGVVariants*>(&FVariants); }
    std::string ExprOwnerName() const override { return "Math01"; }

    const TAEListFields& Layout() const { return FLayout; }
    // The field names as the catalogue gives them.
    std::string NameOf(int n) const { return FSet.Get(n)->FieldName(); }

private:
    TAEFields FSet;
    TAEListFields FLayout;
    TGVVariants FVariants;
};

std::vector<THit> MakeHits(size_t n) {
    std::vector<THit> hits(n);
    uint32_t seed = 12345;
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        hits[i] = {static_cast<long double>(i) * 1e-4L, int64_t(seed >> 28),
                   int64_t(seed >> 20 & 255), static_cast<long double>(seed >> 16 & 1023) * 0.5L,
                   40.0L + static_cast<long double>(seed >> 8 & 63)};
    }
    return hits;
}

void BM_ThreeExpressionsPerRecord(benchmark::State& state) {
    TBenchOwner owner;
    const std::string time = "{" + owner.NameOf(0) + "}", chan = "{" + owner.NameOf(1) + "}",
                      count = "{" + owner.NameOf(2) + "}", energy = "{" + owner.NameOf(3) + "}",
                      ampl = "{" + owner.NameOf(4) + "}";
    const std::string sources[3] = {
        ampl + "*[Gain]+" + energy + "/" + count,
        "IF (" + ampl + " > 70) THEN " + energy + " ELSE 0 ENDIF",
        "(" + count + " > 10) AND (" + chan + " = 3)",
    };
    std::vector<std::unique_ptr<TAEExpresion>> trees;
    for (const std::string& s : sources) {
        auto tree = std::make_unique<TAEExpresion>(&owner);
        TPreProcessor pp;
        pp.SetText(s);
        std::string error;
        if (!pp.Compile(*tree, error)) {
            state.SkipWithError(("compile: " + error).c_str());
            return;
        }
        tree->Bind(owner.Layout());
        trees.push_back(std::move(tree));
    }

    const std::vector<THit> hits = MakeHits(static_cast<size_t>(state.range(0)));
    TAERecord record;
    record.BuildForLayout(owner.Layout());
    TAEField* const fTime = record.Field(0);
    TAEField* const fChan = record.Field(1);
    TAEField* const fCount = record.Field(2);
    TAEField* const fEnergy = record.Field(3);
    TAEField* const fAmpl = record.Field(4);
    std::vector<TExprValue> slots(3);

    for (auto _ : state) {
        for (const THit& h : hits) {
            fTime->SetAsFloat(h.Time);
            fChan->SetAsInt64(h.Chan);
            fCount->SetAsInt64(h.Count);
            fEnergy->SetAsFloat(h.Energy);
            fAmpl->SetAsFloat(h.Ampl);
            for (size_t k = 0; k < 3; ++k) {
                slots[k].Clear();
                trees[k]->Evaluate(slots[k], record);
            }
            benchmark::DoNotOptimize(slots.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(hits.size()));
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(state.iterations()) *
                                                         static_cast<double>(hits.size()),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ThreeExpressionsPerRecord)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

void BM_CompileExpression(benchmark::State& state) {
    TBenchOwner owner;
    const std::string source = "IF ({" + owner.NameOf(4) + "} > 70) AND ({" + owner.NameOf(1) +
                               "} = 3) THEN {" + owner.NameOf(3) + "}*[Gain] ELSE -1.5 ENDIF";
    TPreProcessor pp;
    pp.SetText(source);
    TAEExpresion tree(&owner);
    std::string error;
    for (auto _ : state) {
        if (!pp.Compile(tree, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(tree.Count());
    }
}
BENCHMARK(BM_CompileExpression);

} // namespace
