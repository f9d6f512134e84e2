#pragma once
// Builds Spartan files byte by byte for the driver tests: a 512-byte header with a date text
// and 32-byte messages.

#include "common/TestData.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vorelt::test {

class TSpartanFileBuilder {
public:
    explicit TSpartanFileBuilder(const std::string& date = "15/03/21 08:30:00") {
        FHeader.assign(512, '\0');
        SetHeaderText(20, date, 18);
        SetHeaderText(40, "2.10", 6);
        SetHeaderText(47, "Vessel 7", 40);
        SetHeaderU32(0, 0);
    }

    TSpartanFileBuilder& SetHeaderText(size_t offset, const std::string& text, size_t max) {
        for (size_t i = 0; i < max; ++i)
            FHeader[offset + i] = i < text.size() ? text[i] : '\0';
        return *this;
    }
    TSpartanFileBuilder& SetHeaderU32(size_t offset, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            FHeader[offset + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
        return *this;
    }
    TSpartanFileBuilder& SetHeaderByte(size_t offset, uint8_t v) {
        FHeader[offset] = static_cast<char>(v);
        return *this;
    }

    // A message from its type and body bytes (the body is padded with zeros to 31 bytes).
    TSpartanFileBuilder& Raw(uint8_t type, std::vector<uint8_t> body) {
        body.resize(31, 0);
        FMessages.push_back(static_cast<char>(type));
        FMessages.append(body.begin(), body.end());
        return *this;
    }

    struct THit {
        uint64_t T = 0; // quarter microseconds
        uint8_t Channel = 1;
        uint32_t Sequence = 0;
        uint16_t Rise = 0, CountsToPeak = 0, Counts = 0, Energy = 0;
        uint32_t DurationHalves = 0;
        uint8_t Amplitude = 0, RmsAsl = 0, Threshold = 0;
        uint16_t Parametric = 2000;
        uint8_t Tail[3] = {0, 0, 0};
    };
    TSpartanFileBuilder& Hit(const THit& h) {
        std::vector<uint8_t> b(31, 0);
        Put(b, 0, h.T, 6);
        b[6] = h.Channel;
        Put(b, 7, h.Sequence, 4);
        Put(b, 11, h.Rise, 2);
        Put(b, 13, h.CountsToPeak, 2);
        Put(b, 15, h.Counts, 2);
        Put(b, 17, h.Energy, 2);
        Put(b, 19, h.DurationHalves, 4);
        b[23] = h.Amplitude;
        b[24] = h.RmsAsl;
        b[25] = h.Threshold;
        Put(b, 26, h.Parametric, 2);
        std::memcpy(b.data() + 28, h.Tail, 3);
        return Raw(1, b);
    }
    // A hit with only a time and a channel.
    TSpartanFileBuilder& Hit(uint64_t t, uint8_t channel) {
        THit h;
        h.T = t;
        h.Channel = channel;
        return Hit(h);
    }
    // Types 2, 3 (samples), 16, 128, 129, 130: a time and, for samples, three values.
    TSpartanFileBuilder& Timed(uint8_t type, uint64_t t, uint16_t v1 = 0, uint16_t v2 = 0,
                               uint16_t v3 = 0) {
        std::vector<uint8_t> b(31, 0);
        Put(b, 0, t, 6);
        Put(b, 7, v1, 2);
        Put(b, 9, v2, 2);
        Put(b, 11, v3, 2);
        return Raw(type, b);
    }
    TSpartanFileBuilder& Comment(const std::string& text) {
        std::vector<uint8_t> b(text.begin(), text.end());
        return Raw(7, b);
    }

    size_t MessageCount() const { return FMessages.size() / 32; }
    std::string Bytes() const { return FHeader + FMessages; }
    void Save(const std::string& fileName) const { WriteFileBytes(fileName, Bytes()); }

private:
    static void Put(std::vector<uint8_t>& b, size_t at, uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }

    std::string FHeader;
    std::string FMessages;
};

} // namespace vorelt::test
