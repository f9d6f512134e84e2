// Opening a generated DiSP file of about 1 GB (CanOpen, Open, Load, Initialize; closing is not
// timed) next to `cat FILE > /dev/null` on the same file, warm in the page cache. The target:
// opening takes at most twice as long as cat, judged by BM_OpenVsCat, which measures both in
// turns. The file is generated once per run and removed.

#include "drivers/disp/TAEDisp.h"
#include "mkdata/TGenerateDataFile.h"

#include "TAlternate.h"
#include "TProcessCpu.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// About 39 bytes per hit with the samples, marks and pauses between them: about 1 GB.
constexpr uint64_t BenchHits = 27500000;

struct TBenchFile {
    std::string Name;
    uint64_t Size = 0;
    std::string Error;

    TBenchFile() {
        Name = (std::filesystem::temp_directory_path() / "vorelt-bench-disp.DTA").string();
        vorelt::TGenerateOptions options;
        options.Format = "disp";
        options.FileName = Name;
        options.Hits = BenchHits;
        options.Channels = 16;
        vorelt::TDataManifest manifest;
        if (!vorelt::GenerateDataFile(options, manifest, Error)) return;
        Size = manifest.FileSize;
    }
    ~TBenchFile() {
        std::error_code ec;
        std::filesystem::remove(Name, ec);
        std::filesystem::remove(std::filesystem::path(Name).replace_extension(".log"), ec);
    }
};

using vorelt::bench::ChildCpu;
using vorelt::bench::SelfCpu;
using vorelt::bench::TProcessCpu;

TBenchFile& BenchFile() {
    static TBenchFile file;
    return file;
}

void BM_CatFile(benchmark::State& state) {
    TBenchFile& f = BenchFile();
    if (f.Size == 0) {
        state.SkipWithError(f.Error.c_str());
        return;
    }
    const std::string command = "cat '" + f.Name + "' > /dev/null";
    const double before = ChildCpu();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cat failed");
    state.counters["child_cpu_ms"] =
        (ChildCpu() - before) * 1000.0 / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(f.Size * state.iterations()));
}

void BM_OpenDispFile(benchmark::State& state) {
    TBenchFile& f = BenchFile();
    if (f.Size == 0) {
        state.SkipWithError(f.Error.c_str());
        return;
    }
    int64_t messages = 0;
    double user = 0, system = 0, indexBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto driver = std::make_unique<vorelt::TAEDisp>();
        const TProcessCpu start = SelfCpu();
        state.ResumeTiming();
        std::string message;
        if (!vorelt::TAEDisp::CanOpen(f.Name, message) || !driver->Open(f.Name, message) ||
            !driver->Load(message) || !driver->Initialize(message)) {
            state.SkipWithError(message.c_str());
            break;
        }
        messages = driver->Count();
        indexBytes = static_cast<double>(driver->Index().MemoryBytes());
        state.PauseTiming(); // closing frees the index: not part of opening
        const TProcessCpu end = SelfCpu();
        user += end.User - start.User;
        system += end.System - start.System;
        driver->Close();
        driver.reset();
        state.ResumeTiming();
    }
    state.counters["messages"] = static_cast<double>(messages);
    if (messages > 0)
        state.counters["index_bytes_per_message"] = indexBytes / static_cast<double>(messages);
    state.counters["user_ms"] = user * 1000.0 / static_cast<double>(state.iterations());
    state.counters["sys_ms"] = system * 1000.0 / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(f.Size * state.iterations()));
}

// Opening against cat, measured in turns (the target's measure).
void BM_OpenVsCat(benchmark::State& state) {
    TBenchFile& f = BenchFile();
    if (f.Size == 0) {
        state.SkipWithError(f.Error.c_str());
        return;
    }
    std::unique_ptr<vorelt::TAEDisp> driver; // closed untimed, as closing is not opening
    vorelt::bench::Alternate(
        state,
        [&] {
            driver = std::make_unique<vorelt::TAEDisp>();
            std::string message;
            if (!vorelt::TAEDisp::CanOpen(f.Name, message) || !driver->Open(f.Name, message) ||
                !driver->Load(message) || !driver->Initialize(message))
                state.SkipWithError(message.c_str());
        },
        [&] {
            if (std::system(("cat '" + f.Name + "' > /dev/null").c_str()) != 0)
                state.SkipWithError("cat failed");
        },
        [&] { driver.reset(); });
}

} // namespace

BENCHMARK(BM_OpenVsCat)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
BENCHMARK(BM_CatFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_OpenDispFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
