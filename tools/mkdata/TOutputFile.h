#pragma once
// Sequential binary output through one large buffer, with little-endian stores and a way to
// patch bytes already written (header counts known only at the end). Failures throw EAEError
// with the file name and the system's reason.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace vorelt {

inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void StoreU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void StoreF32(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    StoreU32(p, bits);
}

inline void StoreF64(uint8_t* p, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    StoreU64(p, bits);
}

// Copies a text into a fixed field, cut at the field size less one so a zero byte follows.
inline void StoreText(uint8_t* p, size_t fieldSize, const char* text) {
    const size_t n = std::min(std::strlen(text), fieldSize - 1);
    std::memcpy(p, text, n);
}

class TOutputFile {
public:
    TOutputFile() = default;
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Creates or truncates the file.
    void Open(const std::string& fileName, size_t bufferSize = 4u << 20);
    // Writes the buffer and closes; reports a failing write or close (a full disk shows here).
    void Close();
    // Closes without reporting, and removes the file.
    void Discard();

    void Write(const void* data, size_t size) {
        if (size > FCapacity - FUsed)
            WriteSlow(data, size);
        else {
            std::memcpy(FBuffer.get() + FUsed, data, size);
            FUsed += size;
        }
    }
    // Overwrites bytes at an absolute offset inside what has been written so far.
    void Patch(uint64_t offset, const void* data, size_t size);

    uint64_t Position() const { return FFlushed + FUsed; }
    const std::string& FileName() const { return FFileName; }

private:
    void WriteSlow(const void* data, size_t size);
    void Flush();
    [[noreturn]] void Fail(const char* what) const;

    std::string FFileName;
    std::FILE* FFile = nullptr;
    bool FCreated = false;
    std::unique_ptr<uint8_t[]> FBuffer;
    size_t FCapacity = 0;
    size_t FUsed = 0;
    uint64_t FFlushed = 0;
};

} // namespace vorelt
