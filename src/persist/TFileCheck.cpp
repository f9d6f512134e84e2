#include "persist/TFileCheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vorelt {

std::string FileTypeText(unsigned mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return {};
    case S_IFDIR:
        return "is a directory";
    case S_IFIFO:
        return "is a named pipe";
    case S_IFCHR:
        return "is a character device";
    case S_IFBLK:
        return "is a block device";
    case S_IFSOCK:
        return "is a socket";
    case S_IFLNK:
        return "is a symbolic link";
    default:
        return "is not a regular file";
    }
}

int OpenRegularFile(const std::string& fileName, int flags, std::string& reason) {
    // A look first: opening a named pipe for reading waits for a writer, even where the
    // descriptor would be non-blocking afterwards for reads only.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) {
        reason = std::strerror(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = FileTypeText(st.st_mode);
        return -1;
    }
    // The name may have changed hands since: O_NONBLOCK keeps the open from waiting, and the
    // opened file is looked at once more.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | flags);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = S_ISREG(st.st_mode) ? std::strerror(errno) : FileTypeText(st.st_mode);
        ::close(fd);
        return -1;
    }
    // Reads of a regular file never wait anyway; the flag goes so that it cannot surprise.
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

bool CheckRegularFile(const std::string& fileName, std::string& reason) {
    const int fd = OpenRegularFile(fileName, 0, reason);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    if (a.empty() || b.empty()) return false;
    std::error_code ec1, ec2;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
    if (!ec1 && !ec2 && ca == cb) return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace vorelt
