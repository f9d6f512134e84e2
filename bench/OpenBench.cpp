// Opening a file of about 1 GB of each stream format (PCI, ISA, DiSP) as a whole process,
// `vorelt-cli info FILE`, against `cat FILE` of the same cached file, measured in turns with
// medians; and the peak memory of opening beyond that of opening a small file, per message.
// Opening reads the file once and keeps an index of 8 bytes per message: it may take at most
// twice the time of cat and at most 16 bytes per message. A file whose every page is read
// through the mapping (or copied into memory) counts the whole file in the peak. The program
// exits with 1 when a target is missed, so that a script running it sees the failure.

#include "TBenchFile.h"
#include "mkdata/TGenerateDataFile.h"

#include "TAlternate.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace vorelt;

namespace {

constexpr uint64_t FileBytes = 1ULL << 30;
constexpr double MaxRatioToCat = 2.0;
constexpr double MaxBytesPerMessage = 16.0;

bool Missed = false;

void Generate(const std::string& format, const std::string& file, uint64_t hits) {
    vorelt::bench::GenerateBenchFile("bench_open", format, file, hits, 2);
}

// Made once and kept in /tmp beside a marker written when it is complete; a small sample tells
// the bytes per hit.
std::string BigFile(const std::string& format) {
    const std::string file = "/tmp/vorelt-bench-open." + format;
    const std::string done = file + ".done";
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && std::filesystem::exists(done, ec)) return file;
    const std::string sample = file + ".sample";
    Generate(format, sample, 20000);
    const uint64_t perHit = std::filesystem::file_size(sample) / 20000;
    std::filesystem::remove(sample, ec);
    Generate(format, file, FileBytes / perHit);
    std::ofstream(done) << "\n";
    return file;
}

std::string SmallFile(const std::string& format) {
    const std::string file = "/tmp/vorelt-bench-open-small." + format;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) Generate(format, file, 1000);
    return file;
}

struct TRun {
    double Ms = 0;
    long PeakKb = 0; // of the child alone
};

// Runs `argv` with its output to `out` (and errors to /dev/null), waiting for it.
TRun Spawn(const std::vector<std::string>& argv, const std::string& out = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    TRun run;
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    run.Ms = bench::Millis([&] {
        if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
            pid = 0;
            return;
        }
        ::wait4(pid, &status, 0, &usage);
    });
    posix_spawn_file_actions_destroy(&actions);
    if (pid == 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_open: %s failed\n", argv[0].c_str());
        std::exit(2);
    }
    run.PeakKb = usage.ru_maxrss;
    return run;
}

int64_t RecordsOf(const std::string& infoFile) {
    std::ifstream in(infoFile);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("records: ", 0) == 0) return std::atoll(line.c_str() + 9);
    return 0;
}

void BM_OpenVsCat(benchmark::State& state, const char* format) {
    const std::string file = BigFile(format);
    const std::string small = SmallFile(format);
    const std::string infoOut = "/tmp/vorelt-bench-open.info";
    // Untimed: the messages of both files and the memory of opening the small one.
    Spawn({VORELT_CLI, "info", small}, infoOut);
    const int64_t smallRecords = RecordsOf(infoOut);
    const long smallPeak = Spawn({VORELT_CLI, "info", small}).PeakKb;
    Spawn({VORELT_CLI, "info", file}, infoOut);
    const int64_t records = RecordsOf(infoOut);

    std::vector<long> peaks;
    bench::Alternate(
        state,
        [&] {
            peaks.push_back(Spawn({VORELT_CLI, "info", file}).PeakKb);
        },
        [&] {
            Spawn({"cat", file});
        },
        [] {});
    std::sort(peaks.begin(), peaks.end());
    const long peak = peaks.empty() ? 0 : peaks[peaks.size() / 2];
    const double perMessage = records > smallRecords
                                  ? static_cast<double>(peak - smallPeak) * 1024.0 /
                                        static_cast<double>(records - smallRecords)
                                  : 0;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
    state.counters["bytes_per_msg"] = perMessage;
    state.counters["messages"] = static_cast<double>(records);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    const double ratio = state.counters["ratio"];
    std::string missed;
    if (ratio > MaxRatioToCat)
        missed = "opening takes " + std::to_string(ratio) + " times cat (at most 2)";
    if (perMessage > MaxBytesPerMessage)
        missed += (missed.empty() ? "" : "; ") + std::string("opening keeps ") +
                  std::to_string(perMessage) + " bytes per message (at most 16)";
    // Also on stderr: a failed benchmark shows its error instead of its counters.
    std::fprintf(
        stderr, "%s: info %.0f ms, cat %.0f ms, ratio %.2f; peak %.0f MB, %.1f bytes per message\n",
        format, static_cast<double>(state.counters["ours_ms"]),
        static_cast<double>(state.counters["theirs_ms"]), ratio, static_cast<double>(peak) / 1024.0,
        perMessage);
    if (!missed.empty()) {
        Missed = true;
        state.SkipWithError(missed.c_str());
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_OpenVsCat, pci, "pci")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(9);
BENCHMARK_CAPTURE(BM_OpenVsCat, isa, "isa")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(9);
BENCHMARK_CAPTURE(BM_OpenVsCat, disp, "disp")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(9);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return Missed ? 1 : 0;
}
