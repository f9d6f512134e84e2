#include "drivers/disp/TDispFormat.h"

#include "drivers/TTimeText.h"

#include <algorithm>

namespace vorelt::disp {

namespace {

inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// A sub-record of the hardware setup, cut at the end of the body when its length says more.
struct TSubRecord {
    const uint8_t* Data;
    size_t Size; // bytes from the length word on
    uint8_t SubID;
};

// Codes from offset 4, their count at 3; `reserve` trailing bytes are never taken as codes.
void ReadCodeList(const TSubRecord& r, size_t reserve, std::vector<uint8_t>& codes, size_t& after) {
    codes.clear();
    after = 4;
    if (r.Size < 4 + reserve) return;
    const size_t n = std::min<size_t>(r.Data[3], r.Size - 4 - reserve);
    codes.assign(r.Data + 4, r.Data + 4 + n);
    after = 4 + n;
}

// Partial-power segment table as it stands from offset `at` of a block: u16 segment count,
// then six bytes per segment.
int SegmentCount(const uint8_t* data, size_t size, size_t at) {
    if (at + 2 > size) return -1;
    const size_t n = LoadU16(data + at);
    if (at + 2 + 6 * n > size) return -1;
    return static_cast<int>(n);
}

TChannelWaveSetup& WaveSetupOf(TSetup& setup, uint8_t channel) {
    if (setup.WaveSetups.size() <= channel) setup.WaveSetups.resize(size_t(channel) + 1);
    return setup.WaveSetups[channel];
}

bool IsTextByte(uint8_t b) {
    return (b >= 32 && b != 127) || b == '\t' || b == '\n' || b == '\r' || b == 0x1A;
}

} // namespace

bool IsTimedID(uint8_t id) {
    switch (id) {
    case idHit:
    case idTimeDriven:
    case idDemandDriven:
    case idAbort:
    case idResume:
    case idStop:
    case idPause:
    case idTimeMark:
        return true;
    default:
        return false;
    }
}

bool ReadFrame(const uint8_t* data, size_t size, size_t offset, TFrame& frame) {
    if (offset > size || size - offset < 2) return false;
    const uint16_t len = LoadU16(data + offset);
    if (size - offset - 2 < len) return false;
    frame.Start = offset;
    frame.Length = len;
    if (len == 0) {
        frame.ID = 0;
        frame.BodyOffset = offset + 2;
        frame.BodySize = 0;
        return true;
    }
    frame.ID = data[offset + 2];
    const size_t head = HasSubID(frame.ID, len) ? 2 : 1;
    frame.BodyOffset = offset + 2 + head;
    frame.BodySize = len - head;
    return true;
}

bool BodyTime(uint8_t id, const uint8_t* body, size_t size, uint64_t& ticks) {
    size_t n = 6;
    if (size < 6) {
        if (id != idTimeMark || size == 0) return false;
        n = size;
    }
    uint64_t t = 0;
    for (size_t i = 0; i < n; ++i)
        t |= static_cast<uint64_t>(body[i]) << (8 * i);
    if (t == SentinelTime) return false;
    ticks = t;
    return true;
}

void AppendTimeText(std::string& out, uint64_t ticks) {
    AppendHHMMSS(out, ticks / TicksPerSecond);
    // Tenths of a microsecond within the second; a quarter tick is 2.5 of them.
    const uint64_t frac = (ticks % TicksPerSecond) * 5 / 2;
    char digits[8];
    uint64_t v = frac;
    for (int i = 6; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    digits[7] = 0;
    out += '.';
    out += digits;
}

std::string BodyText(const uint8_t* data, size_t size) {
    std::string s;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        if (b == 0) break;
        if (b >= 32) s += static_cast<char>(b);
    }
    return s;
}

int CharacteristicSize(uint8_t code, int partialPowerSegments) {
    static constexpr int8_t Sizes[25] = {-1, 2, 2, 2, 2, 4, 1, 1, 1, 1,  1, 1, 4,
                                         2,  2, 0, 4, 2, 2, 2, 4, 4, -1, 2, 2};
    if (code == chPartialPowers) return partialPowerSegments >= 0 ? partialPowerSegments : -1;
    return code < 25 ? Sizes[code] : UnknownSize;
}

void ParseHardwareSetup(std::span<const uint8_t> body, TSetup& setup) {
    setup.Found = true;
    const uint8_t* d = body.data();
    const size_t size = body.size();
    size_t p = 2;
    while (p + 3 <= size) {
        const size_t len = LoadU16(d + p);
        const TSubRecord r{d + p, std::min(len + 2, size - p), d[p + 2]};
        switch (r.SubID) {
        case subHitCharacteristics: {
            size_t after;
            // P is the last byte of the sub-record, never a code.
            ReadCodeList(r, 1, setup.HitCodes, after);
            setup.HitParametrics = r.Size > after ? r.Data[r.Size - 1] : 0;
            break;
        }
        case subTimeDrivenCharacteristics: {
            size_t after;
            ReadCodeList(r, 0, setup.TimeDrivenCodes, after);
            setup.TimeDrivenParametrics = after < r.Size ? r.Data[after] : 0;
            setup.HasTimeDriven = true;
            break;
        }
        case subChannelList: {
            setup.Channels.clear();
            if (r.Size < 5) break;
            const size_t n = std::min<size_t>(r.Data[4], r.Size - 5);
            for (size_t i = 0; i < n; ++i) {
                const uint8_t c = r.Data[5 + i];
                if (std::find(setup.Channels.begin(), setup.Channels.end(), c) ==
                    setup.Channels.end())
                    setup.Channels.push_back(c);
            }
            break;
        }
        case subPartialPower:
            setup.PartialPowerSegments = SegmentCount(r.Data, r.Size, 4);
            break;
        case subGain:
            // Channel, then the gain in dB.
            if (r.Size >= 5) {
                TChannelWaveSetup& w = WaveSetupOf(setup, r.Data[3]);
                w.GainDb = r.Data[4];
                w.HasGain = true;
            }
            break;
        case subWaveform:
            // Inner identifier 42, ..., the channel at 8, the sample rate in kHz at 13 and the
            // signed trigger delay in samples at 19 (offsets from the inner identifier).
            if (r.Size >= 3 + 21 && r.Data[3] == 42) {
                const uint8_t* c = r.Data + 3;
                TChannelWaveSetup& w = WaveSetupOf(setup, c[8]);
                w.SampleRate = 1000.0 * LoadU16(c + 13);
                w.TriggerDelay = static_cast<int16_t>(LoadU16(c + 19));
                w.HasWaveform = true;
            }
            break;
        case subWaveformClock:
            // Inner identifier 42, ..., the channel at 3 and the sample rate in Hz at 12; used
            // when the waveform set-up gave none.
            if (r.Size >= 3 + 16 && r.Data[3] == 42) {
                const uint8_t* c = r.Data + 3;
                TChannelWaveSetup& w = WaveSetupOf(setup, c[3]);
                if (w.SampleRate <= 0)
                    w.SampleRate =
                        static_cast<double>(uint32_t(c[12]) | uint32_t(c[13]) << 8 |
                                            uint32_t(c[14]) << 16 | uint32_t(c[15]) << 24);
            }
            break;
        default:
            break;
        }
        p += len + 2;
    }
}

int ParsePartialPowerBody(std::span<const uint8_t> body) {
    // The message body is the sub-record without its length word and sub-identifier.
    return SegmentCount(body.data(), body.size(), 1);
}

long FindEmbeddedSetup(std::span<const uint8_t> body) {
    const uint8_t* d = body.data();
    const size_t size = body.size();
    // The embedded stream has been seen right at the start and after a time count; try the
    // first bytes in turn and take the first place from which whole messages fill the body.
    const size_t maxStart = std::min<size_t>(size, 16);
    for (size_t start = 0; start < maxStart; ++start) {
        size_t p = start;
        bool setupSeen = false;
        TFrame f;
        while (p < size && ReadFrame(d, size, p, f) && f.Length > 0) {
            if (f.ID == idHardwareSetup) setupSeen = true;
            p = f.End();
        }
        if (p == size && setupSeen) return static_cast<long>(start);
    }
    return -1;
}

bool LooksLikeDisp(std::span<const uint8_t> head, uint64_t fileSize) {
    const uint8_t* d = head.data();
    const size_t size = head.size();
    TFrame first;
    if (!ReadFrame(d, size, 0, first) || first.Length == 0) return false;
    const uint8_t* body = d + first.BodyOffset;
    if (first.ID == idProduct) {
        // A product number and a product name of readable characters (line breaks and the
        // end-of-text mark included), not empty.
        if (first.BodySize < 3) return false;
        size_t n = 0;
        for (size_t i = 2; i < first.BodySize && body[i] != 0; ++i, ++n)
            if (!IsTextByte(body[i])) return false;
        if (n == 0) return false;
    } else if (first.ID == idContinuedFile) {
        if (FindEmbeddedSetup({body, first.BodySize}) < 0) return false;
    } else {
        return false;
    }
    // The next messages must chain: non-zero lengths, inside the file.
    size_t p = first.End();
    for (int i = 0; i < 8 && p < fileSize; ++i) {
        if (p + 2 > size) return true; // beyond what was read: nothing more to check
        const uint16_t len = LoadU16(d + p);
        if (len == 0 || p + 2 + len > fileSize) return false;
        p += 2 + len;
    }
    return true;
}

} // namespace vorelt::disp
