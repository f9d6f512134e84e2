#pragma once
// Driver of DiSP data files: a stream of length-prefixed messages whose hit layout is announced
// by the hardware setup. Load indexes every message of the mapped file; Initialize reads the
// hardware setup (from the file itself, or from the continued-file message that opens a later
// part of a long test) and prepares the decoding of hits and time-driven samples.

#include "drivers/TAEDriverDb.h"
#include "drivers/disp/TDispFormat.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TDispWaveformSource;

class TAEDisp : public TAEDriverDb {
public:
    explicit TAEDisp(IDriverOwner* owner = nullptr);
    ~TAEDisp() override;

    std::string ClassName() const override { return "TAEDisp"; }
    // Whether the file starts like a DiSP file (product definition or continued-file message);
    // the file is not kept open.
    static bool CanOpen(const std::string& fileName, std::string& message);

    bool Load(std::string& message) override;
    bool Initialize(std::string& message) override;
    bool ConvertTime(std::string_view sourceID, std::string_view targetID, long double& value,
                     long double x) const override;

    // What Initialize read from the hardware setup.
    const disp::TSetup& Setup() const { return FSetup; }
    // Byte offset of a message cut off by the end of the file and left out; -1 when none.
    int64_t TruncatedAt() const { return FTruncatedAt; }
    int64_t IncompleteAt() const override { return FTruncatedAt; }
    // Zero length words and identifiers this driver does not know are unknown messages.
    bool IsKnownMessage(const TDriverIndexItem& item) const override;
    // Only a zero length word makes a message of zero bytes: the index item tells.
    bool IsEmptyMessage(size_t, const TDriverIndexItem& item) const override {
        return item.Extra == 0;
    }
    // The first message (which tells a DiSP file) and the messages Initialize read the
    // hardware setup and the partial-power setup from.
    std::vector<int32_t> CopySetupPositions() const override;
    void ClearIndex() override;

    // The waveform messages (ID 173), listed on the first call. A hit's "Waveform Index" is
    // the number of the waveform message of its channel and its time of test.
    IWaveformSource* Waveforms() override;
    std::string WaveformMessage() const override { return FWaveformMessage; }
    // That number for a hit; -1 when no waveform message matches.
    int64_t WaveformNumber(uint64_t ticks, uint8_t channel);

protected:
    void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) override;
    bool MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const override;
    size_t MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const override;
    bool MessageTimes(int32_t first, int32_t count, const TFileView& view,
                      int64_t* times) const override;

private:
    // One characteristic of the hit layout: where its value goes and how it is scaled.
    enum class TConvert : uint8_t { None, Plain, Rms8, Rms16, AbsEnergy };
    struct THitValue {
        uint8_t Size;
        TConvert Convert;
        int Pos; // flat field position, -1 for none
    };

    void DeclareFields();
    void BuildHitPlan();
    void SetTimeFields(TAERecord& record, uint64_t ticks);
    void SetText(TAERecord& record, const std::string& text);
    void ReadHit(TAERecord& record, const uint8_t* body, size_t size);
    void ReadTimeDriven(TAERecord& record, const uint8_t* body, size_t size);
    void ComposeText(uint8_t id, const uint8_t* body, size_t size, bool timed, uint64_t ticks);
    void AddInfoLines(uint8_t id, const uint8_t* body, size_t size);
    // One scan through a stretch of the file: from the start (the head), or from a place in the
    // middle on a second thread (a tail), which changes nothing but its part: it notes the
    // channels it sees first and the messages that carry information lines, by item.
    struct TScanPart {
        TDriverIndex* Index = nullptr;
        bool Tail = false;
        std::array<bool, 256> Seen{};
        std::vector<std::pair<size_t, uint8_t>> NewChannels;
        std::vector<size_t> InfoItems;
    };
    struct TTail;
    // Indexes the whole messages of a block that starts at file offset `base` and returns the
    // bytes they take; `final` when the block reaches the end of the file.
    size_t IndexBlock(const uint8_t* data, size_t size, uint64_t base, bool final, TScanPart& part);
    void AddMessageInfo(uint8_t id, const uint8_t* body, size_t size);
    std::unique_ptr<TTail> StartTail(uint64_t split, uint64_t size);
    // Appends the tail when the message at `next` (whose first bytes are `p`, `avail` of them)
    // is one of the tail's: from there on both scans found the same messages.
    bool MeetTail(TTail& tail, TScanPart& head, uint64_t next, const uint8_t* p, size_t avail);
    std::span<const uint8_t> Body(const TDriverIndexItem& item) const;
    void LinkWaveforms();

    disp::TSetup FSetup;
    int64_t FTruncatedAt = -1;
    // Positions of the messages the setup was read from.
    std::vector<int32_t> FSetupPositions;

    // Hit decoding prepared by Initialize: the characteristics that can be placed, in order,
    // and whether the whole list could (then parametric groups follow them).
    std::vector<THitValue> FHitPlan;
    bool FHitPlanComplete = false;
    // Bytes per channel block of a time-driven sample; 0 when a size is not known.
    size_t FTimeDrivenBlock = 0;

    // The waveform messages by time of test and channel, found once a hit's waveform is asked
    // for.
    struct TWaveLink {
        uint64_t Ticks;
        uint8_t Channel;
        int64_t Number;
    };
    std::vector<TWaveLink> FWaveLinks;
    bool FWaveLinksBuilt = false;
    std::unique_ptr<TDispWaveformSource> FWaveforms;
    bool FWaveformsTried = false;
    std::string FWaveformMessage;

    int FPosWaveIndex = -1;
    int FPosChan = -1, FPosCycle = -1, FPosParam1 = -1, FPosParam2 = -1;

    std::string FScratch;
};

// Adds TAEDisp to the driver registry (trial rank after Vallen, before Spartan).
void RegisterDispDriver();

} // namespace vorelt
