#pragma once
// Writing pieces of a copy at their places over what is already written.

#include "persist/TFileWriter.h"

#include <cstdint>
#include <vector>

namespace vorelt {

// Stretches of a copy shorter than this go through a buffer; longer ones are copied by the
// system straight from the source file.
constexpr uint64_t MinDirectCopy = uint64_t{1} << 20;

// Writes pieces of the copy at their places: neighbouring pieces go out as one write, long
// ones are copied by the system straight from the source.
class TPatchWriter {
public:
    explicit TPatchWriter(TFileWriter& out) : FOut(out) {}
    void Put(const uint8_t* data, uint64_t size, uint64_t at) {
        if (!FBuffer.empty() && (at != FAt + FBuffer.size() || FBuffer.size() >= MinDirectCopy))
            Flush();
        if (FBuffer.empty()) FAt = at;
        FBuffer.insert(FBuffer.end(), data, data + size);
    }
    void Copy(int source, uint64_t offset, uint64_t size, uint64_t at) {
        Flush();
        FOut.CopyAt(source, offset, size, at);
    }
    void Flush() {
        if (!FBuffer.empty()) FOut.WriteAt(FAt, FBuffer.data(), FBuffer.size());
        FBuffer.clear();
    }

private:
    TFileWriter& FOut;
    uint64_t FAt = 0;
    std::vector<uint8_t> FBuffer;
};

} // namespace vorelt
