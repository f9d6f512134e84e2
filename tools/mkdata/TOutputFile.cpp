#include "TOutputFile.h"

#include "persist/TErrors.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vorelt {

TOutputFile::~TOutputFile() {
    if (FFile) std::fclose(FFile);
}

void TOutputFile::Fail(const char* what) const {
    const int err = errno;
    std::string text = std::string(what) + " " + FFileName;
    if (err != 0) text += ": " + std::string(std::strerror(err));
    throw EAEError(text);
}

void TOutputFile::Open(const std::string& fileName, size_t bufferSize) {
    FFileName = fileName;
    errno = 0;
    FFile = std::fopen(fileName.c_str(), "wb");
    if (!FFile) Fail("Cannot create file");
    FCreated = true;
    // Our own buffer already batches the writes.
    std::setvbuf(FFile, nullptr, _IONBF, 0);
    FCapacity = bufferSize;
    FBuffer = std::make_unique<uint8_t[]>(FCapacity);
    FUsed = 0;
    FFlushed = 0;
}

void TOutputFile::Flush() {
    if (FUsed == 0) return;
    errno = 0;
    if (std::fwrite(FBuffer.get(), 1, FUsed, FFile) != FUsed) Fail("Cannot write file");
    FFlushed += FUsed;
    FUsed = 0;
}

void TOutputFile::WriteSlow(const void* data, size_t size) {
    Flush();
    if (size >= FCapacity) {
        errno = 0;
        if (std::fwrite(data, 1, size, FFile) != size) Fail("Cannot write file");
        FFlushed += size;
        return;
    }
    std::memcpy(FBuffer.get(), data, size);
    FUsed = size;
}

void TOutputFile::Patch(uint64_t offset, const void* data, size_t size) {
    if (offset + size > Position())
        throw EAEError("Cannot write file " + FFileName + ": patch beyond the end");
    if (offset >= FFlushed) {
        std::memcpy(FBuffer.get() + (offset - FFlushed), data, size);
        return;
    }
    Flush();
    errno = 0;
    if (std::fseek(FFile, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fwrite(data, 1, size, FFile) != size || std::fseek(FFile, 0, SEEK_END) != 0)
        Fail("Cannot write file");
}

void TOutputFile::Close() {
    if (!FFile) return;
    Flush();
    std::FILE* f = FFile;
    FFile = nullptr;
    errno = 0;
    if (std::fclose(f) != 0) Fail("Cannot write file");
}

void TOutputFile::Discard() {
    if (FFile) {
        std::fclose(FFile);
        FFile = nullptr;
    }
    // Only a half-written regular file goes; a device or pipe named as target stays, and a
    // file that could not be opened is not ours to remove.
    std::error_code ec;
    if (FCreated && std::filesystem::is_regular_file(FFileName, ec))
        std::filesystem::remove(FFileName, ec);
}

} // namespace vorelt
