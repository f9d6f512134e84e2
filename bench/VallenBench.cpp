// Rows per second read from a generated Vallen database of 5 million hits: through the driver
// (Open and Load into the index; then a pass of ReadRecord over every record) and through a
// plain loop of sqlite3_step and sqlite3_column_* over the same columns.

#include "drivers/vallen/TAEVallen.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr uint64_t BenchHits = 5000000;

std::filesystem::path BenchFolder() {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("vorelt-bench-vallen." + std::to_string(static_cast<long>(getpid())));
    return folder;
}

void RemoveBenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(BenchFolder(), ec);
}

// Generated once per process, removed at exit.
const std::string& BenchFile() {
    static const std::string file = [] {
        std::filesystem::create_directories(BenchFolder());
        std::atexit(RemoveBenchFolder);
        vorelt::TGenerateOptions options;
        options.Format = "vallen";
        options.FileName = (BenchFolder() / "bench.pridb").string();
        options.Hits = BenchHits;
        options.Channels = 8;
        std::string error;
        if (!vorelt::GenerateDataFile(options, error)) {
            std::fprintf(stderr, "bench_vallen: %s\n", error.c_str());
            std::exit(1);
        }
        return options.FileName;
    }();
    return file;
}

// flags: the open flags of the connection; the driver opens its own without SQLite's mutex.
void PlainLoop(benchmark::State& state, int flags) {
    const std::string& file = BenchFile();
    int64_t rows = 0;
    for (auto _ : state) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            state.SkipWithError("cannot open");
            break;
        }
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM ae_data", -1, &st, nullptr);
        // SetID, SetType, Time, Chan, ParamID, Thr, Amp, RiseT, Dur, Eny, RMS, Counts
        static const int columns[] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 12, 13};
        int64_t sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c : columns)
                sum += sqlite3_column_int64(st, c);
            sum += sqlite3_column_type(st, 5);
            ++rows;
        }
        benchmark::DoNotOptimize(sum);
        sqlite3_finalize(st);
        sqlite3_close_v2(db);
    }
    state.SetItemsProcessed(rows);
}

void BM_PlainSqliteLoop(benchmark::State& state) {
    PlainLoop(state, SQLITE_OPEN_READONLY);
}

void BM_PlainSqliteLoopNoMutex(benchmark::State& state) {
    PlainLoop(state, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
}

void BM_DriverLoad(benchmark::State& state) {
    const std::string& file = BenchFile();
    int64_t rows = 0;
    for (auto _ : state) {
        vorelt::TAEVallen driver;
        std::string message;
        if (!driver.Open(file, message) || !driver.Load(message)) {
            state.SkipWithError(message.c_str());
            break;
        }
        rows += driver.Count();
        state.PauseTiming(); // freeing the index is not reading
        driver.Close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(rows);
}

void BM_DriverReadRecords(benchmark::State& state) {
    vorelt::TAEVallen driver;
    std::string message;
    if (!driver.Open(BenchFile(), message) || !driver.Load(message) ||
        !driver.Initialize(message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    vorelt::TAEListFields layout;
    driver.GetFields(&layout);
    vorelt::TAERecord record;
    record.BuildForLayout(layout);
    int64_t rows = 0;
    for (auto _ : state) {
        vorelt::TAEPNav nav;
        std::string error;
        auto count = [&rows](vorelt::TAERecord&, int32_t) {
            ++rows;
            return true;
        };
        if (!vorelt::ConsumeRecords(driver, nav, record, count, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.SetItemsProcessed(rows);
}

} // namespace

BENCHMARK(BM_PlainSqliteLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainSqliteLoopNoMutex)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DriverLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DriverReadRecords)->Unit(benchmark::kMillisecond)->Iterations(2);
