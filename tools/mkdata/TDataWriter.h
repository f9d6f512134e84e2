#pragma once
// A writer of one acquisition file format. It encodes the events of a synthetic run into the
// format's own messages (events the format cannot express are left out) and reports every
// message to the manifest as the format's driver will classify it. New formats are further
// subclasses registered in CreateDataWriter.

#include "TDataManifest.h"
#include "TOutputFile.h"
#include "TSyntheticEvent.h"
#include "TVallenTransientWriter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

struct TWriterSettings {
    uint64_t Hits = 0;
    int Channels = 8;
    uint64_t Seed = 1;
    uint32_t StartTimeUnix = 0; // wall-clock time of the test start
    // A waveform per hit, for the formats that keep them (Vallen: NAME.tradb beside the file).
    TWaveformStorage Waveforms = TWaveformStorage::None;
    int WaveformSamples = 2048;
};

class TDataWriter {
public:
    virtual ~TDataWriter() = default;

    virtual std::string_view FormatName() const = 0;
    // Largest number of channels the format can describe.
    virtual int MaxChannels() const = 0;

    // Writes whatever precedes the messages (the file header).
    virtual void Begin(TOutputFile& out, const TWriterSettings& settings,
                       TDataManifest& manifest) = 0;
    virtual void WriteEvent(TOutputFile& out, const TSyntheticEvent& e,
                            TDataManifest& manifest) = 0;
    // Completes the file, e.g. header counts and the stop time known only now.
    virtual void End(TOutputFile& out, TDataManifest& manifest) = 0;
};

// The writer of a format name ("isa", "pci"); null for an unknown name.
std::unique_ptr<TDataWriter> CreateDataWriter(std::string_view format);
// The format names CreateDataWriter knows, in the order the usage text lists them.
std::vector<std::string> DataWriterFormats();

} // namespace vorelt
