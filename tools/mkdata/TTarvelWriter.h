#pragma once
// Writers of the two Tarvel binary formats. Both share the file outline: a 96-byte main header,
// a test-information block, a block header, a directory and a set-up block with the channel
// table, then the messages. The ISA and PCI boards differ in block sizes, signatures, channel
// records and message framing.

#include "TDataWriter.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vorelt {

class TTarvelWriter : public TDataWriter {
public:
    int MaxChannels() const override { return 254; }
    void Begin(TOutputFile& out, const TWriterSettings& settings, TDataManifest& manifest) override;
    void End(TOutputFile& out, TDataManifest& manifest) override;

    static constexpr uint32_t Signature = 0xAA551313;
    static constexpr uint32_t FileType = 0x0000AA01;
    static constexpr size_t MainHeaderSize = 96;
    static constexpr size_t BlockHeaderSize = 96;
    static constexpr uint32_t ChannelTableId = 1;
    // Offsets inside the test-information block shared by both boards.
    static constexpr size_t ObjectNameOffset = 8, OperatorOffset = 263, ReferenceOffset = 518,
                            CommentOffset = 780, StartTimeOffset = 1800, StopTimeOffset = 1804;
    // System-data subtypes written for test control; only 2 (gain) means something to a reader.
    enum : uint16_t {
        SysStart = 1,
        SysGain = 2,
        SysPause = 3,
        SysResume = 4,
        SysStop = 5,
    };

protected:
    virtual size_t TestInfoSize() const = 0;
    virtual size_t MemberOfEventsOffset() const = 0; // inside the test-information block
    virtual uint32_t BlockSignature() const = 0;
    virtual int32_t HardwareVersion() const = 0;
    // The channel table record, with its channel records: `Channels` active ones and one more
    // that is switched off.
    virtual std::vector<uint8_t> ChannelTable() const = 0;

    // Seconds and microseconds of a message time, split as the boards store them.
    void SplitTime(int64_t timeUs, uint32_t& seconds, uint32_t& micros) const;

    TWriterSettings FSettings;

private:
    uint64_t FTestInfoStart = 0;
};

class TTarvelIsaWriter : public TTarvelWriter {
public:
    std::string_view FormatName() const override { return "isa"; }
    void WriteEvent(TOutputFile& out, const TSyntheticEvent& e, TDataManifest& manifest) override;

    static constexpr size_t BodySize[6] = {40, 24, 40, 24, 44, 44};
    static constexpr uint32_t DefaultGainCode = 64; // 24 dB
    static constexpr uint32_t AmplitudeF = 1, AmplitudeR = 100, AmplitudeK1 = 10,
                              AmplitudeK2 = 10; // F * 1000 / R / K1 / K2 = 0.1, i.e. -20 dB

protected:
    size_t TestInfoSize() const override { return 3748; }
    size_t MemberOfEventsOffset() const override { return 3704; }
    uint32_t BlockSignature() const override { return 0x1313CFCF; }
    int32_t HardwareVersion() const override { return 0x0101; }
    std::vector<uint8_t> ChannelTable() const override;

private:
    void WriteMessage(TOutputFile& out, uint32_t type, const uint8_t* body, int64_t timeUs,
                      TDataManifest& manifest);
    void WriteSystem(TOutputFile& out, const TSyntheticEvent& e, uint16_t subtype,
                     TDataManifest& manifest);
};

class TTarvelPciWriter : public TTarvelWriter {
public:
    std::string_view FormatName() const override { return "pci"; }
    void Begin(TOutputFile& out, const TWriterSettings& settings, TDataManifest& manifest) override;
    void WriteEvent(TOutputFile& out, const TSyntheticEvent& e, TDataManifest& manifest) override;

    static constexpr size_t ChannelRecordSize = 1168;
    // Body lengths per message kind as this writer produces them.
    static constexpr uint16_t HitLength = 32, LongHitLength = 52, SystemLength = 16,
                              NoiseLength = 12, ParametricLength = 12, TimeMarkLength = 8,
                              TextMarkLength = 24;
    static constexpr int32_t DefaultGainDb = 24;
    static constexpr float AmplitudeScale = 10.0f;

protected:
    size_t TestInfoSize() const override { return 3864; }
    size_t MemberOfEventsOffset() const override { return 3820; }
    uint32_t BlockSignature() const override { return 0x1515CFCF; }
    int32_t HardwareVersion() const override { return 0x0201; }
    std::vector<uint8_t> ChannelTable() const override;

private:
    void WriteMessage(TOutputFile& out, uint8_t kind, const uint8_t* body, uint16_t length);
    void WriteSystem(TOutputFile& out, const TSyntheticEvent& e, uint16_t subtype,
                     TDataManifest& manifest);

    // Gain in dB each channel currently runs at; long hits carry it.
    std::array<int32_t, 256> FGainDb{};
};

} // namespace vorelt
