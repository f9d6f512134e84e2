#include "drivers/TFileWriter.h"

#include "persist/TErrors.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vorelt {

namespace {

constexpr size_t BufferSize = 1 << 20;

[[noreturn]] void FailWith(const std::string& fileName) {
    throw EAEError(std::string(std::strerror(errno)) + ": " + fileName);
}

} // namespace

TFileWriter::TFileWriter(std::string target) : FTarget(std::move(target)) {}

TFileWriter::~TFileWriter() {
    if (FFd >= 0) ::close(FFd);
    if (!FCommitted && !FTemp.empty()) ::unlink(FTemp.c_str());
}

void TFileWriter::Open() {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        FTemp = FTarget + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        FFd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FFd >= 0) break;
        if (errno != EEXIST) {
            FTemp.clear();
            FailWith(FTarget);
        }
    }
    if (FFd < 0) {
        FTemp.clear();
        FailWith(FTarget);
    }
    FBuffer.reserve(BufferSize);
}

void TFileWriter::Flush() {
    size_t done = 0;
    while (done < FBuffer.size()) {
        ssize_t n = ::write(FFd, FBuffer.data() + done, FBuffer.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            FailWith(FTarget);
        }
        done += static_cast<size_t>(n);
    }
    FBuffer.clear();
}

void TFileWriter::Write(const void* data, size_t size) {
    if (FFd < 0) throw EInvalidOperation();
    const auto* p = static_cast<const uint8_t*>(data);
    FWritten += size;
    if (FBuffer.size() + size > BufferSize) Flush();
    if (size >= BufferSize) {
        FBuffer.assign(p, p + size);
        Flush();
        return;
    }
    FBuffer.insert(FBuffer.end(), p, p + size);
}

void TFileWriter::Commit() {
    if (FFd < 0) throw EInvalidOperation();
    Flush();
    if (::fsync(FFd) != 0) FailWith(FTarget);
    int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) FailWith(FTarget);
    if (std::rename(FTemp.c_str(), FTarget.c_str()) != 0) FailWith(FTarget);
    FCommitted = true;
}

} // namespace vorelt
