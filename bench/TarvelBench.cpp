// Tarvel drivers on a generated file of about 1 GB per board (kept in /tmp between runs):
// opening (recognition, index, initialisation) against reading the file from the page cache,
// index bytes per message, records read per second with every field, and the sorted copy
// against cp, and against cp with the copy synced to the disk as the sorted copy is. The targets
// are judged by the ...Vs... benchmarks, which measure both sides in turns.

#include "drivers/TDriverRegistry.h"
#include "drivers/tarvel/RegisterTarvelDrivers.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include "TAlternate.h"
#include "TProcessCpu.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace vorelt;

namespace {

constexpr uint64_t TargetBytes = 1ULL << 30;

// The generated file of a board, made once: a small sample tells the bytes per hit.
const std::string& DataFile(const std::string& format) {
    static std::string names[2];
    std::string& name = names[format == "pci" ? 1 : 0];
    if (!name.empty()) return name;
    name = "/tmp/vorelt-bench-tarvel." + format;
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && std::filesystem::file_size(name, ec) > TargetBytes / 2)
        return name;
    TGenerateOptions options;
    options.Format = format;
    options.Channels = 16;
    options.Seed = 3;
    options.FileName = name + ".sample";
    options.Hits = 20000;
    TDataManifest sample;
    std::string error;
    if (!GenerateDataFile(options, sample, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    std::filesystem::remove(options.FileName, ec);
    options.FileName = name;
    options.Hits = TargetBytes / (sample.FileSize / 20000);
    if (!GenerateDataFile(options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return name;
}

std::unique_ptr<TAEDriverDb> OpenFile(const std::string& file) {
    RegisterTarvelDrivers();
    std::unique_ptr<TAEDriverDb> driver;
    std::string message;
    if (!OpenDataFile(file, nullptr, driver, message)) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), message.c_str());
        std::exit(1);
    }
    return driver;
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

using bench::Alternate;
using bench::ChildCpu;
using bench::SelfCpu;
using bench::TProcessCpu;

void ReportSelfCpu(benchmark::State& state, const TProcessCpu& before) {
    const TProcessCpu now = SelfCpu();
    const double n = static_cast<double>(state.iterations());
    state.counters["user_ms"] = (now.User - before.User) * 1000.0 / n;
    state.counters["sys_ms"] = (now.System - before.System) * 1000.0 / n;
}

// Runs a command per iteration and reports its CPU time per run in milliseconds.
void TimeCommand(benchmark::State& state, const std::string& command) {
    const double before = ChildCpu();
    for (auto _ : state)
        Shell(command);
    state.counters["child_cpu_ms"] =
        (ChildCpu() - before) * 1000.0 / static_cast<double>(state.iterations());
}

void BM_Open(benchmark::State& state, const char* format) {
    const std::string& file = DataFile(format);
    Shell("cat " + file + " > /dev/null"); // into the page cache
    int64_t messages = 0;
    double indexBytes = 0;
    const TProcessCpu before = SelfCpu();
    for (auto _ : state) {
        auto driver = OpenFile(file);
        messages = driver->Count();
        // Reserved but never written index storage costs no memory: the size counts.
        indexBytes = static_cast<double>(driver->Index().MemoryBytes());
        benchmark::DoNotOptimize(driver.get());
    }
    ReportSelfCpu(state, before);
    state.counters["messages"] = static_cast<double>(messages);
    state.counters["index_bytes_per_message"] = indexBytes / static_cast<double>(messages);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

void BM_Cat(benchmark::State& state, const char* format) {
    const std::string& file = DataFile(format);
    Shell("cat " + file + " > /dev/null");
    TimeCommand(state, "cat " + file + " > /dev/null");
}

void BM_ReadEveryRecord(benchmark::State& state, const char* format) {
    auto driver = OpenFile(DataFile(format));
    TAEListFields layout;
    driver->GetFields(&layout);
    TAERecord rec;
    rec.BuildForLayout(layout);
    const int32_t n = driver->Count();
    int64_t records = 0;
    for (auto _ : state) {
        TAEPNav nav;
        for (int32_t p = 0; p < n; ++p)
            driver->ReadRecord(nav, rec, p);
        benchmark::DoNotOptimize(rec.Field(0));
        records += n;
    }
    state.counters["records_per_s"] =
        benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}

// The sorted copy to a new name (as cp makes), and over an existing file, which it makes durable
// before the rename (compare with BM_CpSync).
void SortToFile(benchmark::State& state, const char* format, bool replace) {
    auto driver = OpenFile(DataFile(format));
    const std::string target = std::string("/tmp/vorelt-bench-sorted.") + format;
    std::error_code ec;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(target, ec);
        if (replace) Shell("echo old > " + target);
        state.ResumeTiming();
        std::string message;
        if (!driver->SortToFile(target, message)) state.SkipWithError(message.c_str());
    }
    std::filesystem::remove(target, ec);
}

void BM_SortToFile(benchmark::State& state, const char* format) {
    SortToFile(state, format, false);
}

void BM_SortToFileReplacing(benchmark::State& state, const char* format) {
    SortToFile(state, format, true);
}

// cp to a new name each time, as the sorted copy is measured.
void BM_Cp(benchmark::State& state, const char* format) {
    const std::string& file = DataFile(format);
    const std::string target = std::string("/tmp/vorelt-bench-cp.") + format;
    const double before = ChildCpu();
    std::error_code ec;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(target, ec);
        state.ResumeTiming();
        Shell("cp " + file + " " + target);
    }
    state.counters["child_cpu_ms"] =
        (ChildCpu() - before) * 1000.0 / static_cast<double>(state.iterations());
    std::filesystem::remove(target, ec);
}

// cp with the copy made durable, as the sorted copy is before it takes the target's name: the
// part of the sorted copy's time that the disk sets.
void BM_CpSync(benchmark::State& state, const char* format) {
    const std::string& file = DataFile(format);
    const std::string target = std::string("/tmp/vorelt-bench-cp.") + format;
    TimeCommand(state, "cp " + file + " " + target + " && sync " + target);
    std::error_code ec;
    std::filesystem::remove(target, ec);
}

// Opening against `cat FILE > /dev/null`.
void BM_OpenVsCat(benchmark::State& state, const char* format) {
    const std::string& file = DataFile(format);
    std::unique_ptr<TAEDriverDb> driver; // closed untimed, as closing is not opening
    Alternate(
        state, [&] { driver = OpenFile(file); }, [&] { Shell("cat " + file + " > /dev/null"); },
        [&] { driver.reset(); });
}

// The sorted copy against cp, both to a new name.
void BM_SortToFileVsCp(benchmark::State& state, const char* format) {
    const std::string& file = DataFile(format);
    auto driver = OpenFile(file);
    const std::string sorted = std::string("/tmp/vorelt-bench-sorted.") + format;
    const std::string copy = std::string("/tmp/vorelt-bench-cp.") + format;
    Alternate(
        state,
        [&] {
            std::string message;
            if (!driver->SortToFile(sorted, message)) state.SkipWithError(message.c_str());
        },
        [&] { Shell("cp " + file + " " + copy); },
        [&] {
            // Each side starts with no dirty pages waiting for the disk: otherwise the one that
            // runs when the system starts to hold writers back pays for both.
            std::error_code ec;
            std::filesystem::remove(sorted, ec);
            std::filesystem::remove(copy, ec);
            Shell("sync");
        });
}

} // namespace

#define TARVEL_BENCH(fn, format)                                                                   \
    BENCHMARK_CAPTURE(fn, format, #format)                                                         \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Iterations(3)

TARVEL_BENCH(BM_OpenVsCat, isa)->Iterations(7);
TARVEL_BENCH(BM_SortToFileVsCp, isa)->Iterations(7);
TARVEL_BENCH(BM_OpenVsCat, pci)->Iterations(7);
TARVEL_BENCH(BM_SortToFileVsCp, pci)->Iterations(7);
TARVEL_BENCH(BM_Open, isa);
TARVEL_BENCH(BM_Cat, isa);
TARVEL_BENCH(BM_ReadEveryRecord, isa);
TARVEL_BENCH(BM_SortToFile, isa);
TARVEL_BENCH(BM_SortToFileReplacing, isa);
TARVEL_BENCH(BM_Cp, isa);
TARVEL_BENCH(BM_CpSync, isa);
TARVEL_BENCH(BM_Open, pci);
TARVEL_BENCH(BM_Cat, pci);
TARVEL_BENCH(BM_ReadEveryRecord, pci);
TARVEL_BENCH(BM_SortToFile, pci);
TARVEL_BENCH(BM_SortToFileReplacing, pci);
TARVEL_BENCH(BM_Cp, pci);
TARVEL_BENCH(BM_CpSync, pci);
