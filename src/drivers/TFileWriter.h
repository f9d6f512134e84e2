#pragma once
// Buffered writing of a new file under a temporary name in the target's folder; Commit renames
// it over the target, so a failed copy never leaves a half-written target behind.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TFileWriter {
public:
    explicit TFileWriter(std::string target);
    // Removes the temporary file unless committed.
    ~TFileWriter();
    TFileWriter(const TFileWriter&) = delete;
    TFileWriter& operator=(const TFileWriter&) = delete;

    // Each step throws EAEError with the system's text on failure.
    void Open();
    void Write(const void* data, size_t size);
    // Appends `size` bytes from `offset` of the open file `fd`, copied inside the system where
    // it can (as cp does), else through the buffer.
    void CopyFrom(int fd, uint64_t offset, uint64_t size);
    void Commit();

    uint64_t Written() const { return FWritten; }
    const std::string& TempName() const { return FTemp; }

private:
    void Flush();

    std::string FTarget;
    std::string FTemp;
    int FFd = -1;
    bool FCommitted = false;
    uint64_t FWritten = 0;
    std::vector<uint8_t> FBuffer;
};

} // namespace vorelt
