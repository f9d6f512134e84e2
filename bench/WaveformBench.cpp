// Waveforms per second through the whole path a batch of waveform features takes (the command
// line's feature rows): the transient database's record read (and FLAC decoding), the scaling
// to volts, and every feature (time features, the four pickers, the magnitude spectrum and its
// two frequencies), on both cores as the batch runs it. The files
// are generated once per process: 100,000 hits with a waveform of 2048 samples each, once raw
// and once FLAC-compressed. The counter `waveforms_per_second` is checked against the target of
// 20,000; a slower run ends with an error.

#include "drivers/waveform/TWaveformSources.h"
#include "mkdata/TGenerateDataFile.h"
#include "processing/waveform/TWaveformFeatureRun.h"
#include "processing/waveform/TWaveformFeatures.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint64_t BenchWaveforms = 100000;
constexpr int BenchSamples = 2048;
constexpr double TargetPerSecond = 20000;

std::filesystem::path BenchFolder() {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("vorelt-bench-waveform." + std::to_string(static_cast<long>(getpid())));
    return folder;
}

void RemoveBenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(BenchFolder(), ec);
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::string Generate(vorelt::TWaveformStorage storage, const char* name) {
    std::filesystem::create_directories(BenchFolder());
    static bool cleanup = (std::atexit(RemoveBenchFolder), true);
    (void)cleanup;
    vorelt::TGenerateOptions options;
    options.Format = "vallen";
    options.FileName = (BenchFolder() / name).string();
    options.Hits = BenchWaveforms;
    options.Channels = 8;
    options.Waveforms = storage;
    options.WaveformSamples = BenchSamples;
    std::string error;
    if (!vorelt::GenerateDataFile(options, error)) {
        std::fprintf(stderr, "bench_waveform: %s\n", error.c_str());
        std::exit(1);
    }
    return std::filesystem::path(options.FileName).replace_extension(".tradb").string();
}

void Features(benchmark::State& state, vorelt::TWaveformStorage storage) {
    static const std::string raw = Generate(vorelt::TWaveformStorage::Raw, "raw.pridb");
    static const std::string flac = Generate(vorelt::TWaveformStorage::Flac, "flac.pridb");
    const std::string& file = storage == vorelt::TWaveformStorage::Raw ? raw : flac;
    int64_t waveforms = 0;
    double seconds = 0, cpuSeconds = 0;
    double checksum = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        vorelt::TVallenWaveformSource source(file);
        size_t failed = 0;
        vorelt::RunWaveformFeatures(
            source,
            [&]() -> std::unique_ptr<vorelt::IWaveformSource> {
                return std::make_unique<vorelt::TVallenWaveformSource>(file);
            },
            0, source.Count(),
            [](size_t, const vorelt::TWaveformInfo&, std::span<const float>,
               const vorelt::TWaveformFeatures& f, std::string& text) {
                // What a row would need, without the formatting of one.
                text.push_back(char(int(f.PeakFrequency + double(f.AicIndex)) & 0x7F));
            },
            [&](const vorelt::TFeatureBlock& block) {
                failed += block.Failed;
                for (const char c : block.Rows)
                    checksum += c;
            });
        if (failed) {
            state.SkipWithError("a generated waveform could not be read");
            return;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpuSeconds += ProcessCpuSeconds() - cpuStart;
        waveforms += static_cast<int64_t>(source.Count());
    }
    benchmark::DoNotOptimize(checksum);
    const double perSecond = seconds > 0 ? double(waveforms) / seconds : 0;
    state.counters["waveforms_per_second"] = perSecond;
    // On a machine others share, the rate per second of the process's own time (both threads)
    // says what the code costs; the target is checked against the wall clock all the same.
    const double perCpuSecond = cpuSeconds > 0 ? double(waveforms) / cpuSeconds : 0;
    state.counters["waveforms_per_cpu_second"] = perCpuSecond;
    state.SetItemsProcessed(waveforms);
    if (perSecond < TargetPerSecond) {
        // The error hides the counters: the rate goes with it.
        const std::string text =
            "below 20,000 waveforms per second: " + std::to_string(int64_t(perSecond)) + " (" +
            std::to_string(int64_t(perCpuSecond)) + " per second of CPU time)";
        state.SkipWithError(text.c_str());
    }
}

void BM_WaveformFeaturesRaw(benchmark::State& state) {
    Features(state, vorelt::TWaveformStorage::Raw);
}
void BM_WaveformFeaturesFlac(benchmark::State& state) {
    Features(state, vorelt::TWaveformStorage::Flac);
}

} // namespace

BENCHMARK(BM_WaveformFeaturesRaw)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_WaveformFeaturesFlac)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
