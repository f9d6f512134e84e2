#pragma once
// Records shared by drivers and processors on the record road: the cursor that every protocol
// call carries, the object message that travels through the processing tree, record kinds and
// cursor status bits.

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

// Record kinds.
constexpr uint8_t rkUnknown = 0; // header or unrecognised message
constexpr uint8_t rkHit = 1;
constexpr uint8_t rkStop = 2;
constexpr uint8_t rkResume = 3;
constexpr uint8_t rkPause = 4;
constexpr uint8_t rkAbort = 5;
constexpr uint8_t rkTimeMark = 6;
constexpr uint8_t rkSetup = 7; // system, setup, noise or parametric message
constexpr uint8_t rkComment = 8;
constexpr uint8_t rkCriterion = 9; // criterion processor output; never produced by drivers

// Bit k of a kind set admits kind k; the empty set admits every kind, and kinds above 15 are
// never admitted by a non-empty set.
inline bool KindAdmitted(uint16_t kinds, unsigned kind) {
    return kinds == 0 || (kind < 16 && ((kinds >> kind) & 1u) != 0);
}
constexpr uint16_t KindBit(unsigned kind) {
    return kind < 16 ? static_cast<uint16_t>(1u << kind) : 0;
}

// Cursor status bits and values.
constexpr uint8_t nsPositioned = 0;
constexpr uint8_t nsEndForward = 0x01;    // end reached going forward
constexpr uint8_t nsStartBackward = 0x02; // start reached going backward
constexpr uint8_t nsNoRecord = 0x03;      // no record at all
constexpr uint8_t nsError = 0x08;         // stop iterating
constexpr uint8_t nsPastEnd = 9;          // index past the end
constexpr uint8_t nsNegativeIndex = 10;

struct TAEPNavOut {
    uint8_t State = 0; // state of the data source at the time of the call (0 none .. 9 ready)
    uint8_t Status = nsPositioned;
    uint8_t Kind = rkUnknown;
    uint8_t EventFlags = 0; // rfFirstHit / rfEventHit of the record
    std::string Message;    // "Data Out Range" or the failing processor's error text
};

struct TAEPNav {
    uint16_t Kinds = 0; // wanted kinds; empty = all
    TAEPNavOut Out;
};

// Object message. WParam carries a pointer-sized value: a layout travels in it as well as a
// group number.
struct TAEOMSG {
    uint32_t Msg = 0;
    intptr_t WParam = 0;
    std::string Text;          // usually the ID of the processor the message concerns
    std::vector<int32_t> List; // record indices in the receiver's index space
    uint8_t Result = 0;
};

} // namespace vorelt
