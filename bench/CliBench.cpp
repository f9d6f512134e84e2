// vorelt-cli on generated files kept in /tmp between runs: `dump` with every field of every
// record of a 2-million-hit file to /dev/null, in records per second and as a ratio to `info` of
// the same file (both in-process); and `info` of a file of about 1 GB as a whole process against
// `cat FILE > /dev/null`, measured in turns.

#include "TBenchFile.h"
#include "cli/TCliCommands.h"
#include "drivers/RegisterDriversClasses.h"
#include "mkdata/TGenerateDataFile.h"

#include "TAlternate.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vorelt;

namespace {

constexpr uint64_t DumpHits = 2000000;
constexpr uint64_t InfoBytes = 1ULL << 30;

void Generate(const std::string& format, const std::string& file, uint64_t hits) {
    vorelt::bench::GenerateBenchFile("bench_cli", format, file, hits, 1);
}

// Made once; a file of another size left by an earlier run is made anew.
std::string DumpFile(const std::string& format) {
    const std::string file = "/tmp/vorelt-bench-dump." + format;
    const std::string hitsFile = file + ".hits";
    std::ifstream in(hitsFile);
    uint64_t hits = 0;
    if (!(in >> hits) || hits != DumpHits || !std::filesystem::exists(file)) {
        Generate(format, file, DumpHits);
        std::ofstream(hitsFile) << DumpHits << "\n";
    }
    return file;
}

// A small sample tells the bytes per hit.
std::string InfoFile() {
    const std::string file = "/tmp/vorelt-bench-info.pci";
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && std::filesystem::file_size(file, ec) > InfoBytes / 2)
        return file;
    const std::string sample = file + ".sample";
    Generate("pci", sample, 20000);
    const uint64_t perHit = std::filesystem::file_size(sample) / 20000;
    std::filesystem::remove(sample, ec);
    Generate("pci", file, InfoBytes / perHit);
    return file;
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

int64_t RecordsOf(const std::string& info) {
    const size_t at = info.find("records: ");
    return at == std::string::npos ? 0 : std::atoll(info.c_str() + at + 9);
}

// Every field of every record to /dev/null; `info` of the same file is timed untimed by the
// benchmark clock, for the ratio.
void BM_DumpText(benchmark::State& state, const char* format) {
    RegisterDriversClasses();
    const std::string file = DumpFile(format);
    std::ofstream devNull("/dev/null", std::ios::binary);
    std::ostringstream err;
    int64_t records = 0;
    double infoMs = 0, dumpMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ostringstream info;
        infoMs += bench::Millis([&] { cli::RunCli({"info", file}, info, err); });
        records += RecordsOf(info.str());
        state.ResumeTiming();
        dumpMs += bench::Millis([&] {
            if (cli::RunCli({"dump", file}, devNull, err) != 0) state.SkipWithError("dump failed");
        });
    }
    state.counters["records_per_s"] =
        benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
    state.counters["ratio_to_info"] = infoMs > 0 ? dumpMs / infoMs : 0;
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

// The whole process, start and exit included, against reading the file from the page cache.
void BM_InfoVsCat(benchmark::State& state) {
    const std::string file = InfoFile();
    bench::Alternate(
        state, [&] { Shell(std::string(VORELT_CLI) + " info " + file + " > /dev/null 2>&1"); },
        [&] { Shell("cat " + file + " > /dev/null"); }, [] {});
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

} // namespace

BENCHMARK_CAPTURE(BM_DumpText, pci, "pci")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_DumpText, vallen, "vallen")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_InfoVsCat)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
