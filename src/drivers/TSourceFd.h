#pragma once
// The source of a copy opened for reading inside the system, beside its mapping: the copies
// read the source in large blocks and let the system copy long ranges from it, which costs less
// than touching every mapped page for the first time.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorelt {

class TMappedFile;

// The source file opened for copying inside the system, or -1 when it cannot be opened or is no
// longer the mapped file (the copy then comes from the mapping).
class TSourceFd {
public:
    TSourceFd(const std::string& fileName, const TMappedFile& mapped);
    ~TSourceFd();
    TSourceFd(const TSourceFd&) = delete;
    TSourceFd& operator=(const TSourceFd&) = delete;
    int Fd() const { return FFd; }

private:
    int FFd;
};

// Reads up to `size` bytes from `offset`; fewer where the file ends or a read fails (the caller
// then finds the rest through the mapping).
uint64_t ReadAt(int fd, uint8_t* data, size_t size, uint64_t offset);

} // namespace vorelt
