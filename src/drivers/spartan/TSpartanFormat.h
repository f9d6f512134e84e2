#pragma once
// The Spartan file layout: a 512-byte header and then messages of 32 bytes, a type byte and a
// 31-byte body. Times are 48-bit counts of quarter microseconds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorelt::spartan {

constexpr size_t HeaderSize = 512;
constexpr size_t MessageSize = 32;
constexpr size_t BodySize = MessageSize - 1;

// Header offsets.
constexpr size_t RecordsCountOffset = 0;
constexpr size_t FirstRecordOffset = 8;
constexpr size_t LastRecordOffset = 16;
constexpr size_t DateOffset = 20;
constexpr size_t DateChars = 18;
constexpr size_t ContinueFlagOffset = 39;
constexpr size_t VersionOffset = 40;
constexpr size_t VersionChars = 6;
constexpr size_t LabelOffset = 47;
constexpr size_t LabelChars = 40;

// Message types.
constexpr uint8_t mtHit = 1;
constexpr uint8_t mtTimeDriven = 2;
constexpr uint8_t mtDemandDriven = 3;
constexpr uint8_t mtComment = 7;
constexpr uint8_t mtAlarm = 16;
constexpr uint8_t mtResume = 128;
constexpr uint8_t mtStop = 129;
constexpr uint8_t mtPause = 130;

// Hit body offsets.
constexpr size_t HitChannel = 6;
constexpr size_t HitSequence = 7;
constexpr size_t HitRise = 11;
constexpr size_t HitCountsToPeak = 13;
constexpr size_t HitCounts = 15;
constexpr size_t HitEnergy = 17;
constexpr size_t HitDuration = 19; // half microseconds
constexpr size_t HitAmplitude = 23;
constexpr size_t HitRmsAsl = 24;
constexpr size_t HitThreshold = 25;
constexpr size_t HitParametric = 26;
// Sample bodies (types 2 and 3): three parametric values.
constexpr size_t SampleParametric1 = 7;
constexpr size_t SampleDP = 9;
constexpr size_t SampleGain = 11;

// Whether a message of this type begins with a time.
constexpr bool IsTimedType(uint8_t type) {
    return type == mtHit || type == mtTimeDriven || type == mtDemandDriven || type == mtAlarm ||
           type == mtResume || type == mtStop || type == mtPause;
}

// Raw parametric values are offset by 2000 and scaled by 200.
inline long double ParametricValue(uint16_t raw) {
    return (static_cast<long double>(raw) - 2000.0L) / 200.0L;
}

// Whether the header's date text has the form the recorder writes: day, month and two-digit
// year separated by "/" or ".", then hours, minutes and seconds separated by ":", two digits
// each, blanks anywhere.
bool IsSpartanDate(std::string_view text);

// Whether the first bytes of a file (up to the header size) carry a Spartan date text.
bool LooksLikeSpartan(const uint8_t* head, size_t size);

} // namespace vorelt::spartan
