#pragma once
// An independent reader of the Tarvel ISA and PCI layouts for tests: it checks the structure of
// a generated file byte by byte and counts its messages the way the drivers classify them,
// without sharing any code or constant with the generator.

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace vorelt::test {

struct TTarvelWalk {
    uint64_t HeaderSize = 0;
    uint32_t StartTime = 0, StopTime = 0;
    int32_t MemberOfEvents = 0;
    int ChannelRecords = 0;
    std::set<int> ActiveChannels;
    std::set<int> HitChannels;
    std::array<uint64_t, 9> Kinds{}; // record kinds, the header counted as 0
    std::array<uint64_t, 256> Types{};
    uint64_t Timed = 0, Decreases = 0;
    int64_t First = 0, Last = 0, Min = 0, Max = 0;
    uint64_t GainChanges = 0;
    std::vector<std::string> Texts; // PCI text marks
    std::set<int32_t> LongHitGains; // PCI long hits
};

// Both return an empty string when the file is well formed, else what is wrong and where.
std::string WalkIsaFile(const std::string& bytes, TTarvelWalk& walk);
std::string WalkPciFile(const std::string& bytes, TTarvelWalk& walk);

} // namespace vorelt::test
