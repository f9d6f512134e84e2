// Throughput of the synthetic data generator (bytes written per second), per format.

#include "mkdata/TGenerateDataFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

void GenerateFile(benchmark::State& state, const char* format) {
    const std::string file =
        (std::filesystem::temp_directory_path() / (std::string("vorelt-bench-mkdata.") + format))
            .string();
    vorelt::TGenerateOptions options;
    options.Format = format;
    options.FileName = file;
    options.Hits = static_cast<uint64_t>(state.range(0));
    uint64_t bytes = 0;
    for (auto _ : state) {
        vorelt::TDataManifest manifest;
        std::string error;
        if (!vorelt::GenerateDataFile(options, manifest, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        bytes += manifest.FileSize;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    std::filesystem::remove(file);
}

void BM_GenerateIsa(benchmark::State& state) {
    GenerateFile(state, "isa");
}
void BM_GeneratePci(benchmark::State& state) {
    GenerateFile(state, "pci");
}

} // namespace

BENCHMARK(BM_GenerateIsa)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratePci)->Arg(2000000)->Unit(benchmark::kMillisecond);
