#pragma once
// A generated data file for a benchmark: 8 channels, seed 5. A benchmark without its data has
// nothing to measure, so a failure ends the process with the benchmark's name and the reason.

#include "mkdata/TGenerateDataFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vorelt::bench {

inline void GenerateBenchFile(const char* bench, const std::string& format, const std::string& file,
                              uint64_t hits, int exitCode = 1) {
    TGenerateOptions options;
    options.Format = format;
    options.FileName = file;
    options.Hits = hits;
    options.Channels = 8;
    options.Seed = 5;
    std::string error;
    if (!GenerateDataFile(options, error)) {
        std::fprintf(stderr, "%s: %s\n", bench, error.c_str());
        std::exit(exitCode);
    }
}

} // namespace vorelt::bench
