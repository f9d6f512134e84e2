#pragma once
// The generated PCI file of ten million hits in time order that the view benchmarks share. It
// is made once and kept in /tmp beside a marker written after it is complete, so an
// interrupted generation is made again.

#include "mkdata/TGenerateDataFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::string& TenMillionHitsFile() {
    static std::string name;
    if (!name.empty()) return name;
    name = "/tmp/vorelt-bench-table.pci";
    const std::string manifest = name + ".hits";
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && std::filesystem::exists(manifest, ec)) return name;
    vorelt::TGenerateOptions options;
    options.Format = "pci";
    options.FileName = name;
    options.Hits = 10'000'000;
    options.Channels = 16;
    options.Seed = 5;
    options.InOrder = true;
    std::string error;
    // A log of an earlier file would carry its deletions into the new one.
    std::filesystem::remove(name.substr(0, name.size() - 4) + ".log", ec);
    if (!vorelt::GenerateDataFile(options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    std::FILE* f = std::fopen(manifest.c_str(), "w");
    if (f) std::fclose(f);
    return name;
}
