#pragma once
// Writer of the Spartan format: a 512-byte header with the test's date text, then 32-byte
// messages (a type byte and a 31-byte body; times in quarter microseconds). The "dispbytes"
// variant announces a records count whose third byte is 41, so the file's first bytes read
// like the length word and product-definition identifier that open a DiSP file, and its unused
// header bytes 4 to 7 hold a product number and the start of a readable name.

#include "TDataWriter.h"

#include <cstdint>

namespace vorelt {

class TSpartanWriter : public TDataWriter {
public:
    explicit TSpartanWriter(bool dispLookalike = false) : FDispLookalike(dispLookalike) {}

    std::string_view FormatName() const override {
        return FDispLookalike ? "spartan-dispbytes" : "spartan";
    }
    int MaxChannels() const override { return 255; }
    void Begin(TOutputFile& out, const TWriterSettings& settings, TDataManifest& manifest) override;
    void WriteEvent(TOutputFile& out, const TSyntheticEvent& e, TDataManifest& manifest) override;
    void End(TOutputFile& out, TDataManifest& manifest) override;

    static constexpr size_t HeaderSize = 512;
    static constexpr size_t MessageSize = 32;
    // The records count a look-alike file announces has this third byte.
    static constexpr uint32_t DispLookalikeCountBase = 41u << 16;
    static constexpr uint8_t Threshold = 40;         // dB, written with every hit
    static constexpr uint16_t ParametricZero = 2000; // raw value a reader delivers as 0

    // The header's date text of a Unix time: "dd/mm/yy hh:mm:ss".
    static std::string DateText(uint32_t unixTime);

private:
    void WriteMessage(TOutputFile& out, uint8_t type, const uint8_t* body);
    void WriteTimed(TOutputFile& out, uint8_t type, uint8_t* body, int64_t timeUs, int kind,
                    TDataManifest& manifest);

    bool FDispLookalike;
    TWriterSettings FSettings;
    uint32_t FSequence = 0;
    uint16_t FPressure = ParametricZero;
};

} // namespace vorelt
