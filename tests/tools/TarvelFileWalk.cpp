#include "TarvelFileWalk.h"

#include <cstring>

namespace vorelt::test {

namespace {

uint32_t U32(const std::string& b, uint64_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

uint16_t U16(const std::string& b, uint64_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}

void AddTime(TTarvelWalk& w, int64_t t) {
    if (t < (w.Timed == 0 ? 0 : w.Last)) ++w.Decreases;
    if (w.Timed == 0) w.First = w.Min = w.Max = t;
    w.Min = std::min(w.Min, t);
    w.Max = std::max(w.Max, t);
    w.Last = t;
    ++w.Timed;
}

std::string At(const char* what, uint64_t pos) {
    return std::string(what) + " at " + std::to_string(pos);
}

// Common outline: main header, test information of `infoSize` bytes, block header, (N, S),
// directory. Returns the offset of the setup block and the id-1 entry's offset and size.
std::string WalkOutline(const std::string& b, size_t infoSize, uint32_t blockSignature,
                        size_t memberOffset, TTarvelWalk& w, uint64_t& setup, uint32_t& tableOffset,
                        uint32_t& tableSize) {
    const uint64_t block = 96 + infoSize;
    if (b.size() < block + 104) return "file shorter than its fixed header";
    if (U32(b, 0) != 0xAA551313) return "bad signature";
    if (U32(b, 12) != 0x0000AA01) return "bad file type";
    if (U32(b, block) != blockSignature) return "bad block signature";
    const uint32_t e = U32(b, block + 12);
    const uint32_t n = U32(b, block + 96);
    const uint32_t s = U32(b, block + 100);
    if (e != 8 + 12 * n) return "directory size E does not hold N entries";
    setup = block + 96 + e;
    w.HeaderSize = setup + s;
    if (b.size() < w.HeaderSize) return "file shorter than its header";
    w.StartTime = U32(b, 96 + 1800);
    w.StopTime = U32(b, 96 + 1804);
    w.MemberOfEvents = static_cast<int32_t>(U32(b, 96 + memberOffset));
    bool found = false;
    for (uint32_t i = 0; i < n && !found; ++i) {
        const uint64_t entry = block + 104 + 12 * i;
        if (U32(b, entry) == 1) {
            found = true;
            tableOffset = U32(b, entry + 4);
            tableSize = U32(b, entry + 8);
        }
    }
    if (!found) return "no directory entry with id 1";
    if (uint64_t(tableOffset) + tableSize > s) return "channel table outside the setup block";
    return {};
}

} // namespace

std::string WalkIsaFile(const std::string& b, TTarvelWalk& w) {
    uint64_t setup = 0;
    uint32_t tableOffset = 0, tableSize = 0;
    std::string error = WalkOutline(b, 3748, 0x1313CFCF, 3704, w, setup, tableOffset, tableSize);
    if (!error.empty()) return error;
    if (tableSize < 640 || (tableSize - 580) % 60 != 0)
        return "channel table size " + std::to_string(tableSize) + " is not 580 + 60 * C";
    const uint64_t table = setup + tableOffset;
    if (U32(b, table + 108) == 0 || U32(b, table + 112) == 0)
        return "amplitude reference F or divisor R is 0";
    w.ChannelRecords = static_cast<int>((tableSize - 580) / 60);
    std::vector<uint32_t> defaultGain(w.ChannelRecords);
    for (int i = 0; i < w.ChannelRecords; ++i) {
        const uint64_t r = table + 116 + 60 * i;
        if (U32(b, r) != 0 && U32(b, r + 4) != 0) w.ActiveChannels.insert(i + 1);
        defaultGain[i] = U32(b, r + 8) & 0xFF;
        if (U32(b, r + 48) == 0 || U32(b, r + 52) == 0)
            return At("zero divisor K1 or K2 in channel record", i);
    }
    w.Kinds[0] = 1;
    static const uint32_t sizes[6] = {40, 24, 40, 24, 44, 44};
    static const int kinds[6] = {1, 7, 7, 7, 1, 7};
    uint64_t pos = w.HeaderSize;
    while (pos < b.size()) {
        if (b.size() - pos < 4) return At("message type cut off", pos);
        const uint32_t type = U32(b, pos);
        if (type > 5) return At("invalid message type", pos);
        if (b.size() - pos - 4 < sizes[type]) return At("message body cut off", pos);
        const uint64_t body = pos + 4;
        const int64_t t = (int64_t(U32(b, body)) - w.StartTime) * 1000000 + U32(b, body + 4);
        if (U32(b, body + 4) >= 1000000) return At("microseconds not below one second", pos);
        AddTime(w, t);
        ++w.Types[type];
        ++w.Kinds[kinds[type]];
        if (type == 0 || type == 4 || type == 2 || type == 5) {
            const int channel = static_cast<uint8_t>(b[body + 8]) + 1;
            if (!w.ActiveChannels.count(channel)) return At("message on an inactive channel", pos);
            if (type == 0 || type == 4) {
                w.HitChannels.insert(channel);
                if (U16(b, body + 10) == 0) return At("hit with amplitude code 0", pos);
            }
        }
        if (type == 1 && U16(b, body + 8) == 2) {
            ++w.GainChanges;
            if (!w.ActiveChannels.count(static_cast<uint8_t>(b[body + 12]) + 1) ||
                b[body + 19] == 0)
                return At("bad gain setting", pos);
        }
        pos = body + sizes[type];
    }
    return {};
}

std::string WalkPciFile(const std::string& b, TTarvelWalk& w) {
    uint64_t setup = 0;
    uint32_t tableOffset = 0, tableSize = 0;
    std::string error = WalkOutline(b, 3864, 0x1515CFCF, 3820, w, setup, tableOffset, tableSize);
    if (!error.empty()) return error;
    if (tableSize == 0 || tableSize % 1168 != 0)
        return "channel table size " + std::to_string(tableSize) + " is not a multiple of 1168";
    const uint64_t table = setup + tableOffset;
    w.ChannelRecords = static_cast<int>(tableSize / 1168);
    for (int i = 0; i < w.ChannelRecords; ++i) {
        const uint64_t r = table + 1168 * uint64_t(i);
        if (static_cast<uint8_t>(b[r]) != i) return At("channel record with a foreign index", i);
        if (U32(b, r + 76) != 0) w.ActiveChannels.insert(i + 1);
        float scale;
        uint32_t bits = U32(b, r + 96);
        std::memcpy(&scale, &bits, 4);
        if (!(scale > 0) || U32(b, r + 360) == 0 || U32(b, r + 520) == 0)
            return At("zero amplitude scale or energy rate in channel record", i);
    }
    w.Kinds[0] = 1;
    // Body lengths this generator writes per kind.
    static const uint16_t lengths[8] = {32, 16, 12, 12, 12, 52, 8, 24};
    static const int kinds[8] = {1, 7, 7, 7, 0, 1, 6, 8};
    uint64_t pos = w.HeaderSize;
    while (pos < b.size()) {
        if (b.size() - pos < 4) return At("message prefix cut off", pos);
        const uint16_t type = U16(b, pos);
        const uint16_t length = U16(b, pos + 2);
        if (type > 7) return At("unexpected message kind", pos);
        if (length != lengths[type]) return At("unexpected body length", pos);
        if (b.size() - pos - 4 < length) return At("message body cut off", pos);
        const uint64_t body = pos + 4;
        ++w.Types[type];
        ++w.Kinds[kinds[type]];
        if (type == 7) {
            std::string text;
            for (uint64_t i = 0; i < 18 && b[body + 4 + i] != 0; ++i)
                text += b[body + 4 + i];
            w.Texts.push_back(text);
        } else {
            if (U32(b, body + 4) >= 1000000) return At("microseconds not below one second", pos);
            AddTime(w, (int64_t(U32(b, body)) - w.StartTime) * 1000000 + U32(b, body + 4));
        }
        if (type <= 5) {
            const int channel = U16(b, body + 8) + 1;
            if (!w.ActiveChannels.count(channel)) return At("message on an inactive channel", pos);
            if (type == 0 || type == 5) w.HitChannels.insert(channel);
            if (type == 5) w.LongHitGains.insert(static_cast<int32_t>(U32(b, body + 48)));
            if (type == 1 && U16(b, body + 10) == 2) ++w.GainChanges;
        }
        pos = body + length;
    }
    return {};
}

} // namespace vorelt::test
