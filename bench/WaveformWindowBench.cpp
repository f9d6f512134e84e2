// Opening the waveform window on a hit, as a double-click on a table row does: the hit's record
// read through the table, its waveform read from the transient database beside the hits, the
// spectrum and the values computed, and the window painted. The file is a generated Vallen hit
// database with 100,000 hits of 2048 samples each; the hits opened are spread over the file. Every
// opening, the first included (which opens the transient database), is checked against the
// target of 100 ms; a slower run ends with an error and exit code 1.

#include "drivers/RegisterDriversClasses.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/RegisterDbClasses.h"
#include "processing/db/TGVDb.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TWaveformWindow.h"
#include "viewmodel/waveform/TTableWaveformHits.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint64_t BenchHits = 100000;
constexpr double TargetMilliseconds = 100;
bool Missed = false;

std::filesystem::path BenchFolder() {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("vorelt-bench-waveform-window." + std::to_string(static_cast<long>(getpid())));
    return folder;
}

void RemoveBenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(BenchFolder(), ec);
}

std::string Generate() {
    std::filesystem::create_directories(BenchFolder());
    std::atexit(RemoveBenchFolder);
    vorelt::TGenerateOptions options;
    options.Format = "vallen";
    options.FileName = (BenchFolder() / "hits.pridb").string();
    options.Hits = BenchHits;
    options.Channels = 8;
    options.Waveforms = vorelt::TWaveformStorage::Flac;
    options.WaveformSamples = 2048;
    std::string error;
    if (!vorelt::GenerateDataFile(options, error)) {
        std::fprintf(stderr, "bench_waveform_window: %s\n", error.c_str());
        std::exit(1);
    }
    return options.FileName;
}

void BM_WindowOpensOnAHit(benchmark::State& state) {
    static const std::string file = Generate();
    vorelt::TGVDb db;
    std::string message;
    if (!db.ChangeDataFile(file, message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    auto* table = db.AddNew<vorelt::TGVCPUTbl>();
    for (const char* id : {vorelt::fidTime, vorelt::fidChan, vorelt::fidAmpl, vorelt::fidWaveIndex,
                           vorelt::fidPeakFrequency})
        if (const vorelt::TAEField* f = table->FindField(id)) table->Data().AddColumn(*f);
    if (!table->Data().LoadRows(message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    const int64_t rows = table->Data().RowCount();
    auto hits = std::make_shared<vorelt::TTableWaveformHits>(*table);
    vorelt::TWaveformWindow& window = vorelt::TWaveformWindow::Shared(nullptr);
    window.resize(1000, 620);
    std::vector<double> times;
    int64_t row = 7;
    for (auto _ : state) {
        // A new hit each time, far from the last, so that no read is cached.
        row = (row + 7919) % rows;
        const auto start = std::chrono::steady_clock::now();
        window.ShowHits(hits, row);
        window.repaint();
        QApplication::processEvents();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (window.Plot().Empty()) {
            state.SkipWithError("the window shows no waveform");
            break;
        }
    }
    window.close();
    hits->Forget();
    if (times.empty()) return;
    const double first = times.front();
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    state.counters["milliseconds_to_paint"] = median;
    // The first hit opens the transient database and reads its index.
    state.counters["first_milliseconds"] = first;
    state.counters["slowest_milliseconds"] = times.back();
    if (times.back() > TargetMilliseconds) {
        Missed = true;
        const std::string text =
            "the window took more than 100 ms to show a hit: " + std::to_string(times.back()) +
            " ms";
        state.SkipWithError(text.c_str());
    }
}

} // namespace

BENCHMARK(BM_WindowOpensOnAHit)->Unit(benchmark::kMillisecond)->Iterations(25);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vorelt::RegisterDriversClasses();
    vorelt::RegisterDbClasses();
    vorelt::RegisterTableClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return Missed ? 1 : 0;
}
