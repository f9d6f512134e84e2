#pragma once
// The DiSP message stream: framing, times, the hit layout announced by the hardware setup and
// the recognition of a file. Every function here works on a block of bytes and never reads
// outside it, so damaged or truncated files give empty values instead of stray reads.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorelt::disp {

// Message identifiers.
constexpr uint8_t idHit = 1;
constexpr uint8_t idTimeDriven = 2;
constexpr uint8_t idDemandDriven = 3;
constexpr uint8_t idComment = 7;
constexpr uint8_t idContinuedFile = 8;
constexpr uint8_t idResetClock = 11;
constexpr uint8_t idAbort = 15;
constexpr uint8_t idTestInfo = 38;
constexpr uint8_t idProduct = 41;
constexpr uint8_t idHardwareSetup = 42;
constexpr uint8_t idLocation = 44;
constexpr uint8_t idSpecialInfo = 49;
constexpr uint8_t idTestStart = 99;
constexpr uint8_t idReserved = 107;
constexpr uint8_t idPartialPower = 109;
constexpr uint8_t idResume = 128;
constexpr uint8_t idStop = 129;
constexpr uint8_t idPause = 130;
constexpr uint8_t idTimeMark = 211;
constexpr uint8_t idWaveform = 173;

// Hardware-setup sub-records.
constexpr uint8_t subHitCharacteristics = 5;
constexpr uint8_t subTimeDrivenCharacteristics = 6;
constexpr uint8_t subChannelList = 106;
constexpr uint8_t subPartialPower = idPartialPower;
constexpr uint8_t subGain = 23;
constexpr uint8_t subWaveform = 173; // with the inner identifier 42: a channel's waveform set-up
constexpr uint8_t subWaveformClock = 176;

// Hit characteristic codes with a meaning of their own.
constexpr uint8_t chRise = 1, chCountPeak = 2, chCount = 3, chEnergy = 4, chDuration = 5,
                  chAmplitude = 6, chRms8 = 7, chAsl = 8, chGain = 9, chThreshold = 10,
                  chRms16 = 17, chAbsEnergy = 21, chPartialPowers = 22, chFreqCentroid = 23,
                  chPeakFrequency = 24;

// The time count of a message whose time is not known (an abort written after the clock
// stopped); such a message has no time.
constexpr uint64_t SentinelTime = 0x7FFFFFFFFFFFull;
// Time counts run in quarters of a microsecond.
constexpr uint64_t TicksPerSecond = 4000000;

// Messages 40 to 49 carry a sub-identifier byte after the identifier when LEN is above 1.
inline bool HasSubID(uint8_t id, uint16_t len) {
    return id >= 40 && id <= 49 && len > 1;
}
// Messages whose body starts with the time count.
bool IsTimedID(uint8_t id);

// One message of a stream. A zero length word frames a message of two bytes without
// identifier and body (ID 0).
struct TFrame {
    size_t Start = 0;      // offset of the length word
    uint16_t Length = 0;   // LEN as stored
    uint8_t ID = 0;        // 0 when LEN is 0
    size_t BodyOffset = 0; // offset of the body (after ID and SUB)
    size_t BodySize = 0;
    size_t End() const { return Start + 2 + Length; }
};

// Reads the frame at `offset` of a block; false when the message does not lie wholly inside.
bool ReadFrame(const uint8_t* data, size_t size, size_t offset, TFrame& frame);

// The time count of a timed body: 48 bits from bytes 0 to 5; a time mark shorter than 6 bytes
// uses the bytes it has. False when the body cannot carry a time or holds the sentinel.
bool BodyTime(uint8_t id, const uint8_t* body, size_t size, uint64_t& ticks);
inline int64_t TicksToMicroseconds(uint64_t ticks) {
    return static_cast<int64_t>(ticks / 4);
}

// The time-text: "HH : MM : SS", "." and the fraction of the second in 7 digits.
void AppendTimeText(std::string& out, uint64_t ticks);

// Text of a DiSP message: a zero byte ends it, other bytes below 32 are skipped.
std::string BodyText(const uint8_t* data, size_t size);

// Size in bytes of a hit characteristic; -1 when it is not known (then nothing after it can
// be placed). Partial powers take one byte per segment of the partial-power setup.
constexpr int UnknownSize = -1;
int CharacteristicSize(uint8_t code, int partialPowerSegments);

// How one channel records waveforms, as far as the hardware setup says.
struct TChannelWaveSetup {
    bool HasGain = false;
    int GainDb = 0;        // system gain in dB
    double SampleRate = 0; // Hz; 0 when not given
    int TriggerDelay = 0;  // samples; negative: the record starts before the trigger
    bool HasWaveform = false;
};

// What the hardware setup (and the partial-power setup) says about the messages.
struct TSetup {
    bool Found = false;            // a hardware setup was read
    std::vector<uint8_t> HitCodes; // every listed code, in hit order
    uint8_t HitParametrics = 0;    // P: parametric groups per hit
    bool HasTimeDriven = false;    // a time-driven characteristic list was read
    std::vector<uint8_t> TimeDrivenCodes;
    uint8_t TimeDrivenParametrics = 0;         // parametric groups per time-driven sample
    std::vector<uint8_t> Channels;             // the channel list, each once, in order
    int PartialPowerSegments = -1;             // -1 while no partial-power setup was read
    std::vector<TChannelWaveSetup> WaveSetups; // by channel number; empty when none was given
    const TChannelWaveSetup* WaveSetup(unsigned channel) const {
        return channel < WaveSetups.size() ? &WaveSetups[channel] : nullptr;
    }
};

// Walks the sub-records of a hardware-setup body into `setup`; sub-records and counts that run
// past their end are cut at it.
void ParseHardwareSetup(std::span<const uint8_t> body, TSetup& setup);
// The segment count of a partial-power setup given as a message body; -1 when the body does
// not hold a consistent segment table.
int ParsePartialPowerBody(std::span<const uint8_t> body);

// Offset of the embedded message stream in the body of a continued-file message: the stream
// chains exactly to the end of the body and holds a hardware setup. -1 when there is none.
long FindEmbeddedSetup(std::span<const uint8_t> body);

// Whether a block read from the start of a file (`fileSize` bytes in all) starts like a DiSP
// file: a product definition with a readable product name, or a continued-file message with
// an embedded setup, followed by messages that chain inside the file.
bool LooksLikeDisp(std::span<const uint8_t> head, uint64_t fileSize);
// Bytes LooksLikeDisp wants to see.
constexpr size_t RecognitionBytes = 3 * 65536;

} // namespace vorelt::disp
