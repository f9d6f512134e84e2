#include "TGenerateDataFile.h"

#include "TDataWriter.h"
#include "TOutputFile.h"
#include "TScenarioGenerator.h"

#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"

#include <exception>
#include <memory>

namespace vorelt {

uint32_t GeneratedStartTime(uint64_t seed) {
    return 1615795200u + static_cast<uint32_t>(seed % 200) * 86400u; // from 2021-03-15 08:00
}

bool GenerateDataFile(const TGenerateOptions& options, std::string& error) {
    TDataManifest manifest;
    return GenerateDataFile(options, manifest, error);
}

bool GenerateDataFile(const TGenerateOptions& options, TDataManifest& manifest,
                      std::string& error) {
    error.clear();
    manifest = TDataManifest{};
    std::unique_ptr<TDataWriter> writer = CreateDataWriter(options.Format);
    if (!writer) {
        error = "unknown format '" + options.Format + "'";
        return false;
    }
    if (options.FileName.empty()) {
        error = "no output file name";
        return false;
    }
    if (options.Channels < 1 || options.Channels > writer->MaxChannels()) {
        error = "the number of channels must be between 1 and " + IntToStr(writer->MaxChannels());
        return false;
    }
    if (options.Hits > MaxGenerateHits) {
        error = "the number of hits must not exceed " + IntToStr(MaxGenerateHits);
        return false;
    }
    if (options.Waveforms != TWaveformStorage::None && options.Format != "vallen" &&
        options.Format != "disp") {
        error = "the format '" + options.Format + "' keeps no waveforms";
        return false;
    }
    if (options.Waveforms == TWaveformStorage::Flac && options.Format == "disp") {
        error = "the format 'disp' keeps its waveforms raw";
        return false;
    }
    if (options.Waveforms != TWaveformStorage::None &&
        (options.WaveformSamples < 1 || options.WaveformSamples > MaxWaveformSamples)) {
        error = "the number of samples must be between 1 and " + IntToStr(MaxWaveformSamples);
        return false;
    }
    if (options.ManifestFileName == options.FileName) {
        error = "the manifest must not overwrite the data file";
        return false;
    }

    TOutputFile out;
    try {
        TScenarioOptions scenarioOptions;
        scenarioOptions.Hits = options.Hits;
        scenarioOptions.Channels = options.Channels;
        scenarioOptions.Seed = options.Seed;
        scenarioOptions.InOrder = options.InOrder;
        TScenarioGenerator scenario(scenarioOptions);

        TWriterSettings settings;
        settings.Hits = options.Hits;
        settings.Channels = options.Channels;
        settings.Seed = options.Seed;
        settings.StartTimeUnix = GeneratedStartTime(options.Seed);
        settings.Waveforms = options.Waveforms;
        settings.WaveformSamples = options.WaveformSamples;

        out.Open(options.FileName);
        writer->Begin(out, settings, manifest);
        TSyntheticEvent e;
        uint32_t sinceProgress = 0;
        while (scenario.Next(e)) {
            writer->WriteEvent(out, e, manifest);
            if (++sinceProgress == (1u << 18)) {
                sinceProgress = 0;
                if (options.OnProgress) options.OnProgress(scenario.HitsDone(), options.Hits);
            }
        }
        writer->End(out, manifest);
        out.Close();
        if (options.OnProgress) options.OnProgress(options.Hits, options.Hits);
    } catch (const std::exception& ex) {
        out.Discard();
        error = ex.what();
        return false;
    }
    if (!options.ManifestFileName.empty() && !manifest.WriteToFile(options.ManifestFileName, error))
        return false;
    return true;
}

std::string GenerateUsage() {
    std::string formats;
    for (const std::string& f : DataWriterFormats())
        formats += (formats.empty() ? "" : ", ") + f;
    return "Usage: vorelt-mkdata FORMAT OUT --hits N [--channels C] [--seed S] [--manifest FILE]"
           " [--in-order] [--waveforms raw|flac] [--samples N]\n"
           "Writes a synthetic acquisition file of FORMAT (" +
           formats +
           ") to OUT.\n"
           "  --hits N         number of hits (0 to 2147483647)\n"
           "  --channels C     number of active channels (default 8)\n"
           "  --seed S         seed of the generated run (default 1); same arguments, same bytes\n"
           "  --manifest FILE  write a key: value summary of the records written\n"
           "  --in-order       no stretches with decreasing times\n"
           "  --waveforms raw|flac  a waveform per hit (vallen: NAME.tradb beside OUT, its\n"
           "                   samples raw or FLAC-compressed; disp: a waveform message\n"
           "                   after each hit, raw)\n"
           "  --samples N      samples per waveform (default 2048)\n"
           "       vorelt-mkdata located OUT --layout plate|pipe --events N [...]: events from\n"
           "                   known sources (see vorelt-mkdata located --help)\n";
}

namespace {

bool ParseCount(const std::string& option, const std::string& text, int64_t max, int64_t& value,
                std::string& error) {
    int64_t v = 0;
    bool digits = !text.empty();
    for (char ch : text)
        digits = digits && ch >= '0' && ch <= '9';
    if (!digits || !TryStrToInt64(text, v) || v > max) {
        error = "invalid value '" + text + "' for " + option +
                " (expected a whole number from 0 to " + IntToStr(max) + ")";
        return false;
    }
    value = v;
    return true;
}

} // namespace

bool ParseGenerateArguments(int argc, const char* const* argv, TGenerateOptions& options,
                            bool& help, std::string& error) {
    help = false;
    error.clear();
    std::string positional[2];
    int positionals = 0;
    bool haveHits = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
            return true;
        }
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::string name = arg, value;
            bool hasValue = false;
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                hasValue = true;
            }
            if (name == "--in-order") {
                if (hasValue) {
                    error = "option --in-order takes no value";
                    return false;
                }
                options.InOrder = true;
                continue;
            }
            if (name != "--hits" && name != "--channels" && name != "--seed" &&
                name != "--manifest" && name != "--waveforms" && name != "--samples") {
                error = "unknown option '" + name + "'";
                return false;
            }
            if (!hasValue) {
                if (i + 1 >= argc) {
                    error = "option " + name + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            int64_t n = 0;
            if (name == "--hits") {
                if (!ParseCount(name, value, static_cast<int64_t>(MaxGenerateHits), n, error))
                    return false;
                options.Hits = static_cast<uint64_t>(n);
                haveHits = true;
            } else if (name == "--channels") {
                if (!ParseCount(name, value, 254, n, error)) return false;
                if (n < 1) {
                    error = "invalid value '" + value + "' for --channels (expected 1 to 254)";
                    return false;
                }
                options.Channels = static_cast<int>(n);
            } else if (name == "--waveforms") {
                if (value == "raw")
                    options.Waveforms = TWaveformStorage::Raw;
                else if (value == "flac")
                    options.Waveforms = TWaveformStorage::Flac;
                else {
                    error = "invalid value '" + value + "' for --waveforms (expected raw or flac)";
                    return false;
                }
            } else if (name == "--samples") {
                if (!ParseCount(name, value, MaxWaveformSamples, n, error)) return false;
                if (n < 1) {
                    error = "invalid value '" + value + "' for --samples (expected 1 to " +
                            IntToStr(MaxWaveformSamples) + ")";
                    return false;
                }
                options.WaveformSamples = static_cast<int>(n);
            } else if (name == "--seed") {
                if (!ParseCount(name, value, INT64_MAX, n, error)) return false;
                options.Seed = static_cast<uint64_t>(n);
            } else {
                if (value.empty()) {
                    error = "option --manifest needs a file name";
                    return false;
                }
                options.ManifestFileName = value;
            }
            continue;
        }
        if (positionals == 2) {
            error = "unexpected argument '" + arg + "'";
            return false;
        }
        positional[positionals++] = arg;
    }
    if (positionals < 2) {
        error = positionals == 0 ? "missing FORMAT and OUT" : "missing OUT";
        return false;
    }
    options.Format = positional[0];
    options.FileName = positional[1];
    if (!CreateDataWriter(options.Format)) {
        std::string formats;
        for (const std::string& f : DataWriterFormats())
            formats += (formats.empty() ? "" : " or ") + f;
        error = "unknown format '" + options.Format + "' (expected " + formats + ")";
        return false;
    }
    if (!haveHits) {
        error = "missing --hits N";
        return false;
    }
    return true;
}

} // namespace vorelt
