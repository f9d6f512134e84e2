#pragma once
// Generates a synthetic acquisition file of a given format in-process (tests, benchmarks,
// demo data) and parses the command line of the vorelt-mkdata tool.

#include "TDataManifest.h"
#include "TVallenTransientWriter.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vorelt {

struct TGenerateOptions {
    std::string Format;   // one of DataWriterFormats()
    std::string FileName; // the data file to create or overwrite
    uint64_t Hits = 0;
    int Channels = 8;
    uint64_t Seed = 1;
    bool InOrder = false;                                // leave out the disordered stretches
    std::string ManifestFileName;                        // optional summary of what was written
    TWaveformStorage Waveforms = TWaveformStorage::None; // a waveform per hit (Vallen)
    int WaveformSamples = 2048;
    // Called now and then with the hits written so far and the hits to write.
    std::function<void(uint64_t done, uint64_t total)> OnProgress;
};

inline constexpr uint64_t MaxGenerateHits = 0x7FFFFFFF; // the header counts hits in an i32
// Samples of one generated waveform at most.
inline constexpr int MaxWaveformSamples = 32000;

// Writes the file (and the manifest when named). On failure a partly written data file is
// removed and the error names the cause.
bool GenerateDataFile(const TGenerateOptions& options, std::string& error);
bool GenerateDataFile(const TGenerateOptions& options, TDataManifest& manifest, std::string& error);

// The wall-clock start time written for a seed (a day in 2021 chosen by the seed).
uint32_t GeneratedStartTime(uint64_t seed);

// Command line: FORMAT OUT --hits N [--channels C] [--seed S] [--manifest FILE] [--in-order]
// [--waveforms raw|flac] [--samples N].
// `help` is set for -h/--help (then nothing else is checked).
bool ParseGenerateArguments(int argc, const char* const* argv, TGenerateOptions& options,
                            bool& help, std::string& error);
std::string GenerateUsage();

} // namespace vorelt
