#include "persist/TFileWriter.h"

#include "persist/TErrors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorelt {

namespace {

// Large enough that a copy of a large file costs few system calls.
constexpr size_t BufferSize = size_t{8} << 20;
// Blocks from this size on are written from where they are, not through the buffer.
constexpr size_t DirectWrite = size_t{64} << 10;
// The disk writes are started in steps of this size: small enough that they keep pace with the
// copy, large enough that each step is one stream of writes.
constexpr uint64_t WritebackStep = uint64_t{8} << 20;

// The source of a copy ended before the bytes to copy: the drivers' text for a damaged file.
constexpr char SourceEnded[] = "Invalid Structure File";

[[noreturn]] void FailWith(const std::string& fileName) {
    throw EAEError(std::string(std::strerror(errno)) + ": " + fileName);
}

} // namespace

TFileWriter::TFileWriter(std::string target, bool durable)
    : FTarget(std::move(target)), FDurable(durable) {}

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
    FReplacing = TargetExists();
    // A replaced file keeps its permissions: a file only its owner may read stays so.
    struct stat st {};
    if (::stat(FTarget.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        (void)::fchmod(FFd, st.st_mode & 07777);
}

void TFileWriter::WriteFully(const uint8_t* data, size_t size, uint64_t at) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(FFd, data + done, size - done, static_cast<off_t>(at + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            FailWith(FTarget);
        }
        done += static_cast<size_t>(n);
    }
}

void TFileWriter::StartWriteback() {
    // Only a copy that will wait for the disk gains from starting the writes early; otherwise
    // the system writes the pages back in its own time, as for cp.
    if (!FReplacing || FFlushed < FStarted + WritebackStep) return;
#if defined(SYNC_FILE_RANGE_WRITE)
    // Only a hint: Commit's fsync reports any failure of the writes.
    ::sync_file_range(FFd, static_cast<off_t>(FStarted), static_cast<off_t>(FFlushed - FStarted),
                      SYNC_FILE_RANGE_WRITE);
#endif
    FStarted = FFlushed;
}

void TFileWriter::Flush() {
    if (FBuffer.empty()) return;
    WriteFully(FBuffer.data(), FBuffer.size(), FFlushed);
    FFlushed += FBuffer.size();
    FBuffer.clear();
    StartWriteback();
}

void TFileWriter::Write(const void* data, size_t size) {
    if (FFd < 0) throw EInvalidOperation();
    const auto* p = static_cast<const uint8_t*>(data);
    FWritten += size;
    if (size >= DirectWrite) {
        Flush();
        WriteFully(p, size, FFlushed);
        FFlushed += size;
        StartWriteback();
        return;
    }
    if (FBuffer.size() + size > BufferSize) Flush();
    FBuffer.insert(FBuffer.end(), p, p + size);
}

void TFileWriter::CopyFrom(int fd, uint64_t offset, uint64_t size) {
    if (FFd < 0) throw EInvalidOperation();
    Flush();
    CopyRange(fd, offset, size, FFlushed, true);
}

void TFileWriter::WriteAt(uint64_t at, const void* data, size_t size) {
    if (FFd < 0) throw EInvalidOperation();
    Flush();
    WriteFully(static_cast<const uint8_t*>(data), size, at);
    FFlushed = FWritten = std::max(FWritten, at + size);
}

void TFileWriter::CopyAt(int fd, uint64_t offset, uint64_t size, uint64_t at) {
    if (FFd < 0) throw EInvalidOperation();
    Flush();
    CopyRange(fd, offset, size, at, false);
}

void TFileWriter::CopyRange(int fd, uint64_t offset, uint64_t size, uint64_t at, bool append) {
    auto in = static_cast<off_t>(offset);
    auto out = static_cast<off_t>(at);
    // An append starts the disk writes step by step, as the copy goes.
    auto copied = [&] {
        if (!append) return;
        FFlushed = FWritten = static_cast<uint64_t>(out);
        StartWriteback();
    };
    while (size > 0) {
        const size_t step = static_cast<size_t>(append ? std::min(size, WritebackStep) : size);
        const ssize_t n = ::copy_file_range(fd, &in, FFd, &out, step, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // not supported here, or the source ended: the plain way tells which
        size -= static_cast<uint64_t>(n);
        copied();
    }
    std::vector<uint8_t> chunk;
    while (size > 0) {
        chunk.resize(static_cast<size_t>(std::min<uint64_t>(size, BufferSize)));
        const ssize_t n = ::pread(fd, chunk.data(), chunk.size(), in);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) FailWith(FTarget);
        if (n == 0) throw EAEError(SourceEnded);
        WriteFully(chunk.data(), static_cast<size_t>(n), static_cast<uint64_t>(out));
        in += n;
        out += n;
        size -= static_cast<uint64_t>(n);
        copied();
    }
    FFlushed = FWritten = std::max(FWritten, static_cast<uint64_t>(out));
}

void TFileWriter::Truncate(uint64_t size) {
    if (FFd < 0) throw EInvalidOperation();
    Flush();
    if (::ftruncate(FFd, static_cast<off_t>(size)) != 0) FailWith(FTarget);
    FFlushed = FWritten = size;
    FStarted = std::min(FStarted, size);
}

void TFileWriter::Commit() {
    if (FFd < 0) throw EInvalidOperation();
    Flush();
    // A file that the copy replaces must survive a crash until the copy is on the disk, or
    // neither would be left: wait for the disk before the rename. A new name holds nothing yet;
    // like cp, the copy takes it without waiting, and the disk catches up with the writes already
    // started.
    FSynced = FDurable || TargetExists();
    if (FSynced && ::fsync(FFd) != 0) FailWith(FTarget);
    int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) FailWith(FTarget);
    if (std::rename(FTemp.c_str(), FTarget.c_str()) != 0) FailWith(FTarget);
    FCommitted = true;
}

bool TFileWriter::TargetExists() const {
    struct stat st {};
    // Anything there (even what cannot be looked at) counts as existing: waiting is the safe side.
    return ::lstat(FTarget.c_str(), &st) == 0 || errno != ENOENT;
}

bool WriteFileAtomically(const std::string& fileName, std::string_view bytes, std::string& error) {
    bool opened = false;
    try {
        TFileWriter out(fileName, true);
        out.Open();
        opened = true;
        out.Write(bytes.data(), bytes.size());
        out.Commit();
        return true;
    } catch (const std::exception& e) {
        // The writer's text ends with the file's name, which the message names first.
        std::string reason = e.what();
        const std::string tail = ": " + fileName;
        if (reason.size() > tail.size() && reason.ends_with(tail))
            reason.resize(reason.size() - tail.size());
        error = (opened ? "Cannot write file \"" : "Cannot create file \"") + fileName +
                "\": " + reason;
        return false;
    }
}

} // namespace vorelt
