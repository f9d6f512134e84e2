#pragma once
// Bounds-checked little-endian reading over a block of bytes (usually a view into a mapped data
// file). A damaged or truncated file must end in an error text, never in a read beyond the block.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vorelt {

// The failure text of a read beyond the block.
inline constexpr char ErrInvalidStructure[] = "Invalid Structure File";

class TByteReader {
public:
    TByteReader() = default;
    TByteReader(const uint8_t* data, size_t size) : FData(data), FSize(data ? size : 0) {}
    explicit TByteReader(std::span<const uint8_t> bytes)
        : TByteReader(bytes.data(), bytes.size()) {}

    const uint8_t* Data() const { return FData; }
    size_t Size() const { return FSize; }
    std::span<const uint8_t> Bytes() const { return {FData, FSize}; }
    // Whether `count` bytes from `offset` lie inside the block (overflow-safe).
    bool Has(size_t offset, size_t count) const {
        return offset <= FSize && count <= FSize - offset;
    }

    // Checked reads at an offset; a read beyond the block throws EAEError("Invalid Structure
    // File").
    uint8_t U8(size_t offset) const;
    uint16_t U16(size_t offset) const;
    uint32_t U32(size_t offset) const;
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    uint64_t U48(size_t offset) const; // three u16, least significant first
    uint64_t U64(size_t offset) const;
    int64_t I64(size_t offset) const { return static_cast<int64_t>(U64(offset)); }
    float F32(size_t offset) const;
    double F64(size_t offset) const;
    // A sub-view; throws when it does not lie inside the block.
    std::span<const uint8_t> Sub(size_t offset, size_t count) const;
    TByteReader Reader(size_t offset, size_t count) const {
        return TByteReader(Sub(offset, count));
    }

    // Reads that never throw: `fallback` when the value does not lie inside the block.
    uint8_t U8Or(size_t offset, uint8_t fallback = 0) const {
        return Has(offset, 1) ? FData[offset] : fallback;
    }
    uint16_t U16Or(size_t offset, uint16_t fallback = 0) const;
    uint32_t U32Or(size_t offset, uint32_t fallback = 0) const;

    // Text of at most `maxCount` characters from `offset`: ends at a zero byte, at the count or
    // at the end of the block; characters below 32 are skipped. Bytes are returned as stored
    // (callers convert code pages).
    std::string Text(size_t offset, size_t maxCount) const;

    // Sequential reading from a current position, for walking message streams.
    size_t Pos() const { return FPos; }
    void Seek(size_t pos) { FPos = pos; }
    size_t Remaining() const { return FPos < FSize ? FSize - FPos : 0; }
    bool AtEnd() const { return FPos >= FSize; }
    uint8_t ReadU8() { return U8(Advance(1)); }
    uint16_t ReadU16() { return U16(Advance(2)); }
    uint32_t ReadU32() { return U32(Advance(4)); }
    // Skips `count` bytes; throws when fewer remain.
    void Skip(size_t count) { Advance(count); }

private:
    // Returns the current position and moves past `count` bytes; throws when fewer remain.
    size_t Advance(size_t count);
    [[noreturn]] static void Fail();

    const uint8_t* FData = nullptr;
    size_t FSize = 0;
    size_t FPos = 0;
};

// Little-endian writing into an output buffer (message prefixes, header patches).
inline void PutU16(uint8_t* out, uint16_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace vorelt
