#include "drivers/TSourceFd.h"

#include "drivers/TMappedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vorelt {

TSourceFd::TSourceFd(const std::string& fileName, const TMappedFile& mapped)
    : FFd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    if (FFd >= 0 && !mapped.IsFile(FFd)) {
        ::close(FFd);
        FFd = -1;
    }
}

TSourceFd::~TSourceFd() {
    if (FFd >= 0) ::close(FFd);
}

uint64_t ReadAt(int fd, uint8_t* data, size_t size, uint64_t offset) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

} // namespace vorelt
