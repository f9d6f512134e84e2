#include "drivers/TByteReader.h"

#include "persist/TErrors.h"

#include <cstring>

namespace vorelt {

void TByteReader::Fail() {
    throw EAEError(ErrInvalidStructure);
}

size_t TByteReader::Advance(size_t count) {
    if (!Has(FPos, count)) Fail();
    size_t at = FPos;
    FPos += count;
    return at;
}

uint8_t TByteReader::U8(size_t offset) const {
    if (!Has(offset, 1)) Fail();
    return FData[offset];
}

uint16_t TByteReader::U16(size_t offset) const {
    if (!Has(offset, 2)) Fail();
    const uint8_t* p = FData + offset;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t TByteReader::U32(size_t offset) const {
    if (!Has(offset, 4)) Fail();
    const uint8_t* p = FData + offset;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t TByteReader::U48(size_t offset) const {
    if (!Has(offset, 6)) Fail();
    return static_cast<uint64_t>(U16(offset)) | (static_cast<uint64_t>(U16(offset + 2)) << 16) |
           (static_cast<uint64_t>(U16(offset + 4)) << 32);
}

uint64_t TByteReader::U64(size_t offset) const {
    if (!Has(offset, 8)) Fail();
    return static_cast<uint64_t>(U32(offset)) | (static_cast<uint64_t>(U32(offset + 4)) << 32);
}

float TByteReader::F32(size_t offset) const {
    uint32_t bits = U32(offset);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

double TByteReader::F64(size_t offset) const {
    uint64_t bits = U64(offset);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::span<const uint8_t> TByteReader::Sub(size_t offset, size_t count) const {
    if (!Has(offset, count)) Fail();
    return {FData + offset, count};
}

uint16_t TByteReader::U16Or(size_t offset, uint16_t fallback) const {
    return Has(offset, 2) ? U16(offset) : fallback;
}

uint32_t TByteReader::U32Or(size_t offset, uint32_t fallback) const {
    return Has(offset, 4) ? U32(offset) : fallback;
}

std::string TByteReader::Text(size_t offset, size_t maxCount) const {
    std::string s;
    for (size_t i = 0; i < maxCount && Has(offset + i, 1); ++i) {
        uint8_t ch = FData[offset + i];
        if (ch == 0) break;
        if (ch >= 32) s.push_back(static_cast<char>(ch));
    }
    return s;
}

} // namespace vorelt
