#pragma once
// What a generated file holds, counted the way the format's driver classifies its messages, so
// a test can compare a driver's view of the file with what was written.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vorelt {

class TDataManifest {
public:
    // Record kinds as the drivers number them (0 unknown or header ... 8 comment).
    static constexpr int KindCount = 9;

    std::string Format;
    uint64_t Seed = 0;
    uint64_t FileSize = 0;
    uint64_t HeaderSize = 0;                 // bytes of the header region (0 without a header)
    std::array<uint64_t, KindCount> Kinds{}; // per record kind; the header counts as kind 0
    std::array<uint64_t, 256> Types{};       // per message type code of the format
    uint64_t MemberOfEvents = 0;             // the count the header announces
    uint32_t StartTimeUnix = 0;
    uint32_t StopTimeUnix = 0;
    int SetupChannels = 0;                  // channel records in the set-up
    std::array<bool, 256> ActiveChannels{}; // 1-based numbers marked active in the set-up
    std::array<bool, 256> HitChannels{};    // 1-based numbers that carry hits

    // Timed messages in file order (untimed ones, such as text marks, are left out).
    uint64_t TimedCount = 0;
    int64_t FirstTimeUs = 0, LastTimeUs = 0, MinTimeUs = 0, MaxTimeUs = 0;
    // Places where a time is below the time before it, the first compared with 0: the same
    // test as the program's database check.
    uint64_t TimeDecreases = 0;

    // One message: its type code in the format, its record kind, and its time when it has one.
    void AddMessage(uint8_t type, int kind) {
        ++Types[type];
        ++Kinds[kind];
    }
    void AddTimedMessage(uint8_t type, int kind, int64_t timeUs) {
        AddMessage(type, kind);
        if (timeUs < (TimedCount == 0 ? 0 : LastTimeUs)) ++TimeDecreases;
        if (TimedCount == 0) {
            FirstTimeUs = MinTimeUs = MaxTimeUs = timeUs;
        } else {
            MinTimeUs = timeUs < MinTimeUs ? timeUs : MinTimeUs;
            MaxTimeUs = timeUs > MaxTimeUs ? timeUs : MaxTimeUs;
        }
        LastTimeUs = timeUs;
        ++TimedCount;
    }

    uint64_t Records() const; // index items, the header included

    // "key: value" lines; times in seconds with the decimal comma.
    std::string ToText() const;
    bool WriteToFile(const std::string& fileName, std::string& error) const;
};

// Reads "key: value" lines (as written by ToText) into a map; lines without ": " are ignored.
std::map<std::string, std::string> ParseManifestText(std::string_view text);

} // namespace vorelt
