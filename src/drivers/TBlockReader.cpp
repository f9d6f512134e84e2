#include "drivers/TBlockReader.h"

#include "persist/TErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vorelt {

TBlockReader::TBlockReader(const std::string& fileName, uint64_t size, size_t maxCarry,
                           uint64_t start)
    : FSize(size), FPos(start) {
    FFile = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); // never waits on a pipe
    if (FFile < 0) return;
    ::posix_fadvise(FFile, 0, 0, POSIX_FADV_SEQUENTIAL);
    FBuffer.reset(new uint8_t[BlockSize + maxCarry]);
}

TBlockReader::~TBlockReader() {
    if (FFile >= 0) ::close(FFile);
}

size_t TBlockReader::Fill(size_t carried) {
    const uint64_t left = FSize > FPos ? FSize - FPos : 0;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(left, BlockSize));
    size_t got = 0;
    while (got < want) {
        const ssize_t n = ::pread(FFile, FBuffer.get() + carried + got, want - got,
                                  static_cast<off_t>(FPos + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EAEError(std::string(std::strerror(errno)));
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    FPos += got;
    return got;
}

void TBlockReader::Keep(size_t used, size_t carried) {
    if (carried > 0) std::memmove(FBuffer.get(), FBuffer.get() + used, carried);
}

} // namespace vorelt
