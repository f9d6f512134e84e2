#pragma once
// Decodes one FLAC stream held in memory (a blob of a transient database) into integer samples.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

// Decodes the mono stream in data[0, size) into `samples` (resized to what was decoded).
// Returns false with a reason for people when the stream is damaged, is not mono, does not
// end where the blob ends or decodes to more than `maxSamples` samples.
bool DecodeFlacBlob(const uint8_t* data, size_t size, size_t maxSamples,
                    std::vector<int32_t>& samples, std::string& reason);

} // namespace vorelt
