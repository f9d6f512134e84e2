// Spartan driver: Load over a generated file of one million hits, and a walk that reads every
// record, in items per second.

#include "drivers/spartan/TAESpartan.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

using namespace vorelt;

const std::string& BenchFile() {
    static const std::string file = [] {
        std::string name =
            (std::filesystem::temp_directory_path() / "vorelt_bench_spartan.spt").string();
        TGenerateOptions options;
        options.Format = "spartan";
        options.FileName = name;
        options.Hits = 1000000;
        options.Seed = 5;
        std::string error;
        if (!GenerateDataFile(options, error)) std::fprintf(stderr, "%s\n", error.c_str());
        return name;
    }();
    return file;
}

void BM_SpartanLoad(benchmark::State& state) {
    const std::string& file = BenchFile();
    int64_t items = 0;
    for (auto _ : state) {
        TAESpartan d;
        std::string msg;
        d.Open(file, msg);
        d.Load(msg);
        items += d.Count();
        state.PauseTiming();
        d.Close();
        std::filesystem::remove(file.substr(0, file.size() - 4) + ".log");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(items);
}
BENCHMARK(BM_SpartanLoad)->Unit(benchmark::kMillisecond);

void BM_SpartanReadAll(benchmark::State& state) {
    TAESpartan d;
    std::string msg;
    d.Open(BenchFile(), msg);
    d.Load(msg);
    d.Initialize(msg);
    TAEListFields layout;
    d.GetFields(&layout);
    TAERecord rec;
    rec.BuildForLayout(layout);
    int64_t items = 0;
    for (auto _ : state) {
        TAEPNav nav;
        for (int32_t p = 0; p < d.Count(); ++p)
            d.ReadRecord(nav, rec, p);
        items += d.Count();
    }
    state.SetItemsProcessed(items);
}
BENCHMARK(BM_SpartanReadAll)->Unit(benchmark::kMillisecond);

} // namespace
