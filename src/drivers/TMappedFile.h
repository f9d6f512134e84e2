#pragma once
// A data file mapped read-only into memory for the time it is open. The driver never changes
// the data file, so the mapping is private and read-only; an empty file maps to an empty view.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorelt {

class TMappedFile {
public:
    TMappedFile() = default;
    ~TMappedFile() { Close(); }
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;

    // Maps the whole file; false with the system's text on failure.
    bool Open(const std::string& fileName, std::string& message);
    void Close();
    bool IsOpen() const { return FOpen; }
    const uint8_t* Data() const { return FData; }
    size_t Size() const { return FSize; }
    std::span<const uint8_t> Bytes() const { return {FData, FSize}; }
    // Whether `fd` is open on the mapped file itself, with the size it had when mapped (and not
    // on a file that has taken its name since).
    bool IsFile(int fd) const;

private:
    bool FOpen = false;
    const uint8_t* FData = nullptr;
    size_t FSize = 0;
    uint64_t FDevice = 0;
    uint64_t FInode = 0;
};

// Reads up to `count` bytes from `offset` of a file without keeping it open (shorter at the end
// of the file). False with the system's text when the file cannot be opened or read.
bool ReadFileRange(const std::string& fileName, uint64_t offset, size_t count,
                   std::vector<uint8_t>& out, std::string& message);

} // namespace vorelt
