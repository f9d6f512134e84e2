#include "drivers/TMappedFile.h"

#include "persist/TFileCheck.h"

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
    std::string reason;
    int fd = OpenRegularFile(fileName, 0, reason);
    if (fd < 0) {
        message = reason + ": " + fileName;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        message = SystemText(fileName);
        ::close(fd);
        return false;
    }
    size_t size = static_cast<size_t>(st.st_size);
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer does not watch mapped pages; a heap copy of exactly the file's
    // size lets it catch every read past the end of the data.
    if (size > 0) {
        auto* copy = new uint8_t[size];
        size_t got = 0;
        while (got < size) {
            ssize_t n = ::pread(fd, copy + got, size - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                message = SystemText(fileName);
                delete[] copy;
                ::close(fd);
                return false;
            }
            got += static_cast<size_t>(n);
        }
        FData = copy;
    }
#else
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
#endif
    ::close(fd); // the mapping keeps the file
    FSize = size;
    FDevice = static_cast<uint64_t>(st.st_dev);
    FInode = static_cast<uint64_t>(st.st_ino);
    FOpen = true;
    return true;
}

void TMappedFile::Close() {
#if defined(__SANITIZE_ADDRESS__)
    delete[] FData;
#else
    if (FData) ::munmap(const_cast<uint8_t*>(FData), FSize);
#endif
    FData = nullptr;
    FSize = 0;
    FOpen = false;
}

bool TMappedFile::IsFile(int fd) const {
    struct stat st {};
    return FOpen && fd >= 0 && ::fstat(fd, &st) == 0 &&
           static_cast<uint64_t>(st.st_dev) == FDevice &&
           static_cast<uint64_t>(st.st_ino) == FInode && static_cast<size_t>(st.st_size) == FSize;
}

bool ReadFileRange(const std::string& fileName, uint64_t offset, size_t count,
                   std::vector<uint8_t>& out, std::string& message) {
    out.clear();
    std::string reason;
    int fd = OpenRegularFile(fileName, 0, reason);
    if (fd < 0) {
        message = reason + ": " + fileName;
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
