#pragma once
// Hand-built Tarvel files for driver tests: every byte is placed here, independently of the
// synthetic data generator, so that field values can be checked against numbers worked out by
// hand.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vorelt::test {

class TTarvelFileBuilder {
public:
    // `channels` channel records; all active unless switched off with SetInactive.
    TTarvelFileBuilder(bool pci, int channels, uint32_t startTime = 1600000000)
        : FPci(pci), FChannels(channels), FStart(startTime) {
        const size_t testInfo = pci ? 3864 : 3748;
        FTableSize = pci ? 1168 * channels : 116 + 60 * channels + 464;
        // Directory: an unrelated entry first, as readers must search for id 1.
        const uint32_t e = 8 + 2 * 12;
        const uint32_t setupLead = 16;
        const uint32_t s = setupLead + FTableSize;
        FHeader.assign(96 + testInfo + 96 + e + s, 0);
        U32(0, 0xAA551313);
        U32(4, 3);
        U32(8, 0x210);
        U32(12, 0xAA01);
        U32(16, pci ? 0x201 : 0x101);
        Text(96 + 8, "Vessel");
        Text(96 + 263, "Operator");
        Text(96 + 518, "Ref");
        Text(96 + 780, "Comment");
        U32(96 + 1800, startTime);
        U32(96 + 1804, startTime + 100);
        const size_t block = 96 + testInfo;
        U32(block, pci ? 0x1515CFCF : 0x1313CFCF);
        U32(block + 12, e);
        const size_t pair = block + 96;
        U32(pair, 2);
        U32(pair + 4, s);
        U32(pair + 8, 7); // unrelated entry
        U32(pair + 12, 0);
        U32(pair + 16, setupLead);
        U32(pair + 20, 1); // channel table
        U32(pair + 24, setupLead);
        U32(pair + 28, FTableSize);
        FTable = pair + e + setupLead;
        if (!pci) {
            U32(FTable + 108, 1); // F
            U32(FTable + 112, 100);
        }
        for (int i = 0; i < channels; ++i) {
            if (pci) {
                const size_t r = FTable + 1168 * i;
                FHeader[r] = static_cast<uint8_t>(i);
                U32(r + 76, 1);
                U32(r + 92, 20);
                F32(r + 96, 10.0f);
                U32(r + 272, 1);
                F64(r + 328, 0.5);
                U32(r + 360, 1000);
                F64(r + 488, 2.0);
                U32(r + 520, 500);
            } else {
                const size_t r = FTable + 116 + 60 * i;
                U32(r, 1);
                U32(r + 4, 1);
                U32(r + 8, 0x140); // default gain code 64 in the low byte
                U32(r + 48, 10);
                U32(r + 52, 10);
            }
        }
    }

    size_t HeaderSize() const { return FHeader.size(); }
    size_t TableOffset() const { return FTable; }
    size_t BlockOffset() const { return 96 + (FPci ? 3864 : 3748); }
    size_t PairOffset() const { return BlockOffset() + 96; }
    std::vector<uint8_t>& Header() { return FHeader; }

    void U32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            FHeader[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void F32(size_t at, float v) {
        uint32_t b;
        std::memcpy(&b, &v, 4);
        U32(at, b);
    }
    void F64(size_t at, double v) {
        uint64_t b;
        std::memcpy(&b, &v, 8);
        U32(at, static_cast<uint32_t>(b));
        U32(at + 4, static_cast<uint32_t>(b >> 32));
    }
    void Text(size_t at, const std::string& s) { std::memcpy(&FHeader[at], s.data(), s.size()); }

    // ISA channel record fields.
    void SetIsaChannel(int i, uint32_t a, uint32_t b, uint32_t gainCode, uint32_t k1, uint32_t k2) {
        const size_t r = FTable + 116 + 60 * i;
        U32(r, a);
        U32(r + 4, b);
        U32(r + 8, gainCode);
        U32(r + 48, k1);
        U32(r + 52, k2);
    }
    void SetIsaFR(uint32_t f, uint32_t r) {
        U32(FTable + 108, f);
        U32(FTable + 112, r);
    }
    // PCI channel record fields.
    void SetPciChannel(int i, uint32_t active, int32_t gain, float scale, uint32_t selector,
                       double da, uint32_t qa, double db, uint32_t qb) {
        const size_t r = FTable + 1168 * i;
        U32(r + 76, active);
        U32(r + 92, static_cast<uint32_t>(gain));
        F32(r + 96, scale);
        U32(r + 272, selector);
        F64(r + 328, da);
        U32(r + 360, qa);
        F64(r + 488, db);
        U32(r + 520, qb);
    }

    // Messages. Times are microseconds since the test start.
    void IsaMessage(uint32_t type, int64_t timeUs, std::vector<uint8_t> body) {
        PutTime(body, timeUs);
        Put32(type);
        FMessages.insert(FMessages.end(), body.begin(), body.end());
    }
    static std::vector<uint8_t> IsaHitBody(bool longForm, uint8_t channel, uint16_t ampl,
                                           uint32_t energy, uint32_t durat, uint32_t rise,
                                           uint32_t counts) {
        std::vector<uint8_t> b(longForm ? 44 : 40, 0);
        b[8] = channel;
        P16(b, 10, ampl);
        P32(b, 12, energy);
        P32(b, 16, durat);
        P32(b, 20, rise);
        P32(b, 24, counts);
        return b;
    }
    static std::vector<uint8_t> IsaSystemBody(uint16_t subtype, uint8_t channel, uint8_t gain) {
        std::vector<uint8_t> b(24, 0);
        P16(b, 8, subtype);
        b[12] = channel;
        b[19] = gain;
        return b;
    }
    void PciMessage(uint16_t type, int64_t timeUs, std::vector<uint8_t> body) {
        if (body.size() >= 8) PutTime(body, timeUs);
        Put16(type);
        Put16(static_cast<uint16_t>(body.size()));
        FMessages.insert(FMessages.end(), body.begin(), body.end());
    }
    static std::vector<uint8_t> PciHitBody(bool longForm, uint16_t channel, uint16_t ampl,
                                           uint32_t durat, uint32_t rise, uint32_t counts,
                                           uint64_t energy, int32_t gain = 0) {
        std::vector<uint8_t> b(longForm ? 52 : 30, 0);
        P16(b, 8, channel);
        P16(b, 10, ampl);
        P32(b, 12, durat);
        P32(b, 16, rise);
        P32(b, 20, counts);
        P16(b, 24, static_cast<uint16_t>(energy));
        P16(b, 26, static_cast<uint16_t>(energy >> 16));
        P16(b, 28, static_cast<uint16_t>(energy >> 32));
        if (longForm) P32(b, 48, static_cast<uint32_t>(gain));
        return b;
    }
    static std::vector<uint8_t> PciChannelBody(uint16_t channel, size_t size = 12) {
        std::vector<uint8_t> b(size, 0);
        P16(b, 8, channel);
        return b;
    }
    void PciTextMark(const std::string& text, size_t size = 24) {
        std::vector<uint8_t> b(size, 0);
        std::memcpy(b.data() + 4, text.data(), std::min(text.size(), size - 4));
        Put16(7);
        Put16(static_cast<uint16_t>(b.size()));
        FMessages.insert(FMessages.end(), b.begin(), b.end());
    }
    void Raw(const std::vector<uint8_t>& bytes) {
        FMessages.insert(FMessages.end(), bytes.begin(), bytes.end());
    }

    std::string Bytes() const {
        std::string s(FHeader.begin(), FHeader.end());
        s.append(FMessages.begin(), FMessages.end());
        return s;
    }

private:
    static void P16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
        b[at] = static_cast<uint8_t>(v);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    static void P32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void PutTime(std::vector<uint8_t>& b, int64_t timeUs) {
        int64_t s = timeUs / 1000000, us = timeUs % 1000000;
        if (us < 0) {
            us += 1000000;
            --s;
        }
        P32(b, 0, static_cast<uint32_t>(FStart + s));
        P32(b, 4, static_cast<uint32_t>(us));
    }
    void Put16(uint16_t v) {
        FMessages.push_back(static_cast<uint8_t>(v));
        FMessages.push_back(static_cast<uint8_t>(v >> 8));
    }
    void Put32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            FMessages.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }

    bool FPci;
    int FChannels;
    uint32_t FStart;
    uint32_t FTableSize;
    size_t FTable = 0;
    std::vector<uint8_t> FHeader;
    std::vector<uint8_t> FMessages;
};

} // namespace vorelt::test
