#pragma once
// A small driver over a synthetic format of the tests' own, to exercise the driver base:
//   header: "VTST", u32 start seconds, u32 member count (at 8), u32 channel count C, C bytes
//           (non-zero: channel active)
//   message: u8 kind, u16 body length L, L bytes of body
//     kind 0 hit: u32 time µs, u8 channel, u16 amplitude      (record kind 1)
//     kind 1 time mark: u32 time µs                           (record kind 6)
//     kind 2 comment: text, no time                           (record kind 8)
//     other kinds: unknown                                    (record kind 0)

#include "drivers/TAEDriverDb.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt::test {

class TTestDriver : public TAEDriverDb {
public:
    explicit TTestDriver(IDriverOwner* owner = nullptr);
    std::string ClassName() const override { return "TTestDriver"; }

    static bool CanOpen(const std::string& fileName, std::string& message);
    bool Load(std::string& message) override;
    bool Initialize(std::string& message) override;

    int PosTime() const { return FPosTime; }
    int PosChan() const { return FPosChan; }
    int PosAmpl() const { return FPosAmpl; }
    int PosText() const { return FPosText; }

protected:
    void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) override;
    bool MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const override;
    size_t MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const override;
    void PatchHeader(std::vector<uint8_t>& header, int32_t memberOfEvents) const override;

private:
    int FPosTime = -1;
    int FPosTimeS = -1;
    int FPosChan = -1;
    int FPosAmpl = -1;
    int FPosText = -1;
};

// Registers TTestDriver with the driver registry (rank of Tarvel ISA, last).
void RegisterTestDriver();

// Builds files of the test format.
class TTestFileBuilder {
public:
    explicit TTestFileBuilder(uint32_t startSeconds = 1000,
                              std::vector<uint8_t> active = {1, 1, 0, 1});
    TTestFileBuilder& Hit(uint32_t timeUs, uint8_t channel, uint16_t amplitude);
    TTestFileBuilder& Mark(uint32_t timeUs);
    TTestFileBuilder& Comment(const std::string& text);
    TTestFileBuilder& Raw(uint8_t kind, const std::vector<uint8_t>& body);
    std::string Bytes() const;
    void Save(const std::string& fileName) const;
    size_t MessageCount() const { return FCount; }

private:
    std::string FHeader;
    std::string FBody;
    size_t FCount = 0;
};

// Header size of a file of the test format with `channels` channels.
inline size_t TestHeaderSize(size_t channels) {
    return 16 + channels;
}

} // namespace vorelt::test
