// Clearing and refilling a driver-sized record, the per-record work of every driver read.

#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <benchmark/benchmark.h>

using namespace vorelt;

namespace {

std::unique_ptr<TAEFields> HitTemplate() {
    auto set = std::make_unique<TAEFields>();
    set->SetKind(fgDatabase);
    set->Add(NewStandardField(fidTime, dtExtended));
    set->Add(NewStandardField(fidChan, dtByte));
    set->Add(NewStandardField(fidRise, dtWord));
    set->Add(NewStandardField(fidCount, dtLongWord));
    set->Add(NewStandardField(fidDurat, dtExtended));
    set->Add(NewStandardField(fidEnergy, dtExtended));
    set->Add(NewStandardField(fidAmpl, dtExtended));
    set->Add(NewStandardField(fidDeleted, dtBoolean));
    set->Add(NewStandardField(fidSelected, dtBoolean));
    set->Add(NewStandardField(fidIndexRec, dtInteger));
    set->Add(NewStandardField(fidTimeS, dtExtended));
    set->Add(NewStandardField(fidTimeMS, dtExtended));
    set->SetLocked(true);
    return set;
}

void BM_ClearAndFillRecord(benchmark::State& state) {
    auto tmpl = HitTemplate();
    TAEListFields layout;
    layout.Add(tmpl.get());
    TAERecord rec;
    rec.BuildForLayout(layout);
    int64_t i = 0;
    for (auto _ : state) {
        rec.ClearValues();
        rec.SetKind(1);
        rec.SetIndex(static_cast<int32_t>(i));
        rec.Field(0)->SetAsFloat(static_cast<long double>(i) * 0.25L);
        rec.Field(1)->SetAsInt64(i & 15);
        rec.Field(2)->SetAsInt64(12);
        rec.Field(3)->SetAsInt64(40);
        rec.Field(4)->SetAsFloat(300.0L);
        rec.Field(5)->SetAsFloat(5.5L);
        rec.Field(6)->SetAsFloat(61.0L);
        rec.Field(7)->SetAsBoolean(false);
        rec.Field(8)->SetAsBoolean(false);
        rec.Field(9)->SetAsInt64(i);
        rec.Field(10)->SetAsFloat(static_cast<long double>(i) * 1e-6L);
        rec.Field(11)->SetAsFloat(static_cast<long double>(i) * 1e-3L);
        benchmark::DoNotOptimize(rec.Field(6)->GetAsFloat());
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClearAndFillRecord);

} // namespace
