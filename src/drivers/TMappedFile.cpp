#include "drivers/TMappedFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorelt {

namespace {

std::string SystemText(const std::string& fileName) {
    return std::string(std::strerror(errno)) + ": " + fileName;
}

} // namespace

bool TMappedFile::Open(const std::string& fileName, std::string& message) {
    Close();
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        message = SystemText(fileName);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        message = SystemText(fileName);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        message = "Not a regular file: " + fileName;
        return false;
    }
    size_t size = static_cast<size_t>(st.st_size);
    if (size > 0) {
        void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            message = SystemText(fileName);
            ::close(fd);
            return false;
        }
        ::madvise(p, size, MADV_SEQUENTIAL);
        FData = static_cast<const uint8_t*>(p);
    }
    ::close(fd); // the mapping keeps the file
    FSize = size;
    FOpen = true;
    return true;
}

void TMappedFile::Close() {
    if (FData) ::munmap(const_cast<uint8_t*>(FData), FSize);
    FData = nullptr;
    FSize = 0;
    FOpen = false;
}

bool ReadFileRange(const std::string& fileName, uint64_t offset, size_t count,
                   std::vector<uint8_t>& out, std::string& message) {
    out.clear();
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        message = SystemText(fileName);
        return false;
    }
    out.resize(count);
    size_t got = 0;
    while (got < count) {
        ssize_t n = ::pread(fd, out.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            message = SystemText(fileName);
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    ::close(fd);
    return true;
}

} // namespace vorelt
