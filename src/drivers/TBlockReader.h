#pragma once
// Sequential reading of a data file in blocks small enough to stay in the processor cache,
// with the tail of a block (a message cut by the block's end) carried into the next one. Index
// scans read this way instead of through the mapping: a copy out of the page cache costs less
// than faulting in every mapped page, the scan's dependent loads hit the cache, and records read
// later map only their own pages.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vorelt {

class TBlockReader {
public:
    static constexpr size_t BlockSize = size_t{256} << 10;

    // Reads from `start` up to `size` (the size the file had when it was mapped); `maxCarry` is
    // the longest tail a block may hand on. IsOpen is false when the file cannot be opened.
    TBlockReader(const std::string& fileName, uint64_t size, size_t maxCarry, uint64_t start = 0);
    ~TBlockReader();
    TBlockReader(const TBlockReader&) = delete;
    TBlockReader& operator=(const TBlockReader&) = delete;

    bool IsOpen() const { return FFile >= 0; }
    const uint8_t* Data() const { return FBuffer.get(); }
    // Reads up to a block after the `carried` bytes at the start of the buffer and returns the
    // bytes read (0 at the end). Throws EAEError with the system's text on a read error.
    size_t Fill(size_t carried);
    // The next Fill reads from `pos`.
    void Seek(uint64_t pos) { FPos = pos; }
    // Moves the `carried` bytes after the first `used` ones to the start of the buffer.
    void Keep(size_t used, size_t carried);

private:
    int FFile = -1;
    uint64_t FSize;
    uint64_t FPos = 0;
    std::unique_ptr<uint8_t[]> FBuffer;
};

} // namespace vorelt
