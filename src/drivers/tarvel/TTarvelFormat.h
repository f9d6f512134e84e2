#pragma once
// The binary outline shared by the ISA and PCI Tarvel boards: the header region (main header,
// test information, block header, directory and set-up block with the channel table) and the
// framing of the message stream. Everything here works on a byte range in memory and checks
// every length and count against it before reading, so a damaged file yields an error text
// with the byte offset of the damage instead of a read outside the range.

#include "model/TAEListIntegerField.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelt::tarvel {

enum class TBoard : uint8_t { Isa, Pci };

inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32(const uint8_t* p) {
    return static_cast<int32_t>(LoadU32(p));
}
float LoadF32(const uint8_t* p);
double LoadF64(const uint8_t* p);

constexpr uint32_t MainSignature = 0xAA551313;
constexpr uint32_t MainFileType = 0x0000AA01;
constexpr uint32_t IsaBlockSignature = 0x1313CFCF;
constexpr uint32_t PciBlockSignature = 0x1515CFCF;
constexpr size_t MainHeaderSize = 96;
constexpr size_t BlockHeaderSize = 96;
constexpr size_t IsaTestInfoSize = 3748;
constexpr size_t PciTestInfoSize = 3864;
constexpr uint32_t ChannelTableId = 1;

constexpr size_t TestInfoSize(TBoard b) {
    return b == TBoard::Isa ? IsaTestInfoSize : PciTestInfoSize;
}
constexpr uint32_t BlockSignature(TBoard b) {
    return b == TBoard::Isa ? IsaBlockSignature : PciBlockSignature;
}
// Offset of the block header from the start of the file.
constexpr size_t BlockHeaderOffset(TBoard b) {
    return MainHeaderSize + TestInfoSize(b);
}
// Offset of the announced hit count ("Member Of Events") in the header region.
constexpr size_t MemberOfEventsOffset(TBoard b) {
    return MainHeaderSize + (b == TBoard::Isa ? 3704 : 3820);
}

// ISA message bodies by type; any type above 5 is not part of the format.
constexpr uint32_t IsaMaxType = 5;
constexpr uint32_t IsaBodySize[IsaMaxType + 1] = {40, 24, 40, 24, 44, 44};
constexpr size_t IsaChannelRecordSize = 60;
constexpr size_t IsaChannelTableLead = 116;  // bytes before the first channel record
constexpr size_t IsaChannelTableTrail = 464; // bytes after the last one
constexpr size_t PciChannelRecordSize = 1168;
// A PCI text mark keeps at most this many characters, from body offset 4 on.
constexpr size_t PciTextMarkChars = 18;

struct TIsaChannel {
    uint32_t A = 0;
    uint32_t B = 0;
    uint8_t DefaultGain = 0; // low byte of the default gain code
    uint32_t K1 = 0;
    uint32_t K2 = 0;
};

struct TPciChannel {
    uint8_t Number = 0; // channel index as the record names it, 0-based
    uint32_t Active = 0;
    int32_t Gain = 0; // dB
    float Scale = 0;  // amplitude scale S
    uint32_t Selector = 0;
    double DA = 0;
    uint32_t QA = 0;
    double DB = 0;
    uint32_t QB = 0;
    // The factors of every hit's energy, d d and 1000 / q of each set, taken once: the
    // products a hit forms from them are the same as when it forms them itself.
    long double EnergySquareA = 0, EnergyPerQA = 0;
    long double EnergySquareB = 0, EnergyPerQB = 0;
};

// What the header region of a file says, after every size in it has been checked.
struct THeader {
    TBoard Board = TBoard::Isa;
    uint32_t Signature = 0, Version1 = 0, Version2 = 0, FileType = 0;
    int32_t HardwareVersion = 0;
    std::string ObjectName, OperatorName, Reference, Comment; // UTF-8
    uint32_t StartTime = 0, StopTime = 0;
    int32_t MemberOfEvents = 0;
    uint32_t E = 0, N = 0, S = 0;
    uint64_t SetupOffset = 0; // file offset of the set-up block
    uint64_t HeaderSize = 0;  // the header region: everything before the first message
    uint64_t TableOffset = 0; // file offset of the channel table
    uint32_t TableSize = 0;
    uint32_t F = 0, R = 0; // ISA amplitude reference and divisor
    std::vector<TIsaChannel> IsaChannels;
    std::vector<TPciChannel> PciChannels;
    TAEChannelList ActiveChannels; // 1-based channel numbers in record order
};

// The three signatures that tell a file of the board; `size` bytes at `data`.
bool HasSignatures(TBoard board, const uint8_t* data, uint64_t size);

// Reads and checks the header region; throws EAEError naming the damage and its byte offset.
void ParseHeader(TBoard board, const uint8_t* data, uint64_t size, THeader& header);

// A text of at most `maxCount` bytes from `p`: ends at a zero byte, skips control characters,
// converted from the file's code page.
std::string ReadText(const uint8_t* p, size_t maxCount);

// "Invalid Structure File: <what> (byte offset <offset>)".
std::string StructureError(const std::string& what, uint64_t offset);

// Upper-case hexadecimal with at least four digits.
std::string HexText(uint32_t v);
// Unix time as "dd.mm.yyyy hh:nn:ss".
std::string UnixTimeText(uint32_t seconds);

} // namespace vorelt::tarvel
