#pragma once
// What the ISA and PCI Tarvel drivers share: the declared fields, the header region with its
// information lines, the index build (two threads on a long stream), the time fields of a
// message and the hooks of the sorted and filtered copies. The boards differ in the message
// framing and in the conversion of hits, which TAETarvelIsa and TAETarvelPci supply.

#include "drivers/TAEDriverDb.h"
#include "drivers/tarvel/TTarvelFormat.h"
#include "model/TAEFieldValue.h"
#include "model/TAERecord.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TAETarvelDriver : public TAEDriverDb {
public:
    bool Load(std::string& message) override;
    bool Initialize(std::string& message) override;
    bool ConvertTime(std::string_view sourceID, std::string_view targetID, long double& value,
                     long double x) const override;

    // The header region of the loaded file (empty before Load).
    const tarvel::THeader& Header() const { return FHeader; }
    // Byte offset of a message cut off by the end of the file and left out; -1 when none.
    int64_t TruncatedAt() const { return FTruncatedAt; }
    int64_t IncompleteAt() const override { return FTruncatedAt; }

protected:
    TAETarvelDriver(IDriverOwner* owner, tarvel::TBoard board);

    // Reads the signatures of the board without keeping the file open.
    static bool CanOpenBoard(tarvel::TBoard board, const std::string& fileName,
                             std::string& message);

    struct TEmptyRun {
        uint64_t First = 0;
        uint64_t Count = 0;
    };
    // Whether the message at `pos` lies in a run the scan found all zero.
    bool InEmptyRun(size_t pos) const;

    // One scan through a stretch of the stream: the stream's start (the head), or a place in
    // the middle that a second thread starts from (a tail).
    struct TScanPart {
        TDriverIndex* Index = nullptr; // null: messages are counted only
        uint64_t Count = 0;
        // ISA: the gain code each channel runs at so far; in a tail, GainUnknown | channel until
        // the tail meets the channel's first gain message.
        std::vector<uint16_t> Gain;
        // 1 + the index position of the last item that took a GainUnknown; 0 for none.
        uint64_t UnknownEnd = 0;
        // Runs of messages whose bytes are all zero where the index item cannot tell (ISA
        // hits), by index position of the part: seen while the bytes pass anyway.
        std::vector<TEmptyRun> EmptyRuns;
        void AddEmpty(uint64_t pos) {
            if (!EmptyRuns.empty() && EmptyRuns.back().First + EmptyRuns.back().Count == pos)
                ++EmptyRuns.back().Count;
            else
                EmptyRuns.push_back({pos, 1});
        }
    };
    static constexpr uint16_t GainUnknown = 0x8000;

    // Indexes the whole messages of a block that starts at file offset `base` and returns the
    // bytes they take; a message cut by the block's end is left for the next block. Adds the
    // messages to the part's count, and their items to its index. Throws EAEError (with the
    // offset) for a stream the format does not allow. Blocks come in file order. Runs on the
    // tail's thread too: it changes nothing but the part.
    virtual size_t ScanBlock(const uint8_t* data, size_t size, uint64_t base,
                             TScanPart& part) const = 0;
    // Called before the first block of a scan.
    virtual void PrepareScan() {}
    // The running state of a part at its start.
    virtual void StartPart(TScanPart& part, bool head) const {
        (void)part;
        (void)head;
    }
    // Bytes of the whole message (prefix and body) that the bytes at `p` would begin, 0 when they
    // cannot begin one; `avail` is at least 4.
    virtual size_t MessageSpan(const uint8_t* p, size_t avail) const = 0;
    // Items of a tail appended from `from` on (its first `skip` items left out) whose values
    // depend on messages before the tail: `head` holds the state where the tail was met, and
    // takes the state at the tail's end.
    virtual void FinishTail(TScanPart& head, const TScanPart& tail, size_t from, size_t skip) {
        (void)head;
        (void)tail;
        (void)from;
        (void)skip;
    }
    // True when a tail's state is right only if the tail starts on a message boundary.
    virtual bool TailNeedsTrueStart() const { return false; }

    // The time pass of the sorted copy over a block, for both boards: a message is a 4-byte
    // prefix and a body that starts with the time. `read(item, body, time)` sets the time of a
    // message inside the view (or NoTime) and returns whether its prefix is stored as the copy
    // writes it; messages outside the view take the base's hooks.
    template <class TRead>
    bool BoardMessageTimes(int32_t first, int32_t count, const TFileView& view, int64_t* times,
                           TRead&& read) const {
        return ViewMessageTimes(
            first, count, view, times,
            [](const TDriverIndexItem& item, size_t& prefix, uint64_t& need) {
                prefix = 4;
                need = 8;
                return item.Kind != ikHeader;
            },
            [&read](const TDriverIndexItem& item, int32_t, const uint8_t* body, int64_t& time) {
                return read(item, body, time);
            });
    }
    // Bounds of a whole message (type/size prefix and body) in bytes.
    virtual size_t MinMessageSize() const = 0;
    virtual size_t MaxMessageSize() const = 0;

    // Time fields of a message t microseconds after the test start.
    void SetTimeFields(TAERecord& record, int64_t t);
    // Microseconds since the test start of a body that begins with seconds and microseconds.
    int64_t BodyTime(const uint8_t* body) const {
        return (static_cast<int64_t>(tarvel::LoadU32(body)) - FStartTime) * 1000000 +
               static_cast<int64_t>(tarvel::LoadU32(body + 4));
    }
    // Sets a float field when the value is finite; a value that cannot be computed stays empty.
    static void SetFinite(TAERecord& record, int pos, long double x) {
        if (!std::isfinite(x)) return;
        if (TAEField* f = record.Target(pos)) SetFieldFloat(*f, x);
    }
    static void SetRounded(TAERecord& record, int pos, long double x);
    // An amplitude in dB, round(x) with x worked out in extended precision as the format says,
    // costs an extended logarithm per hit. A double estimate y of x is ten times cheaper and
    // lies within 1e-11 of it while |y| stays below 1e4 dB (the logarithm terms never exceed
    // 1000 dB, so the offset and gain terms are bounded too): then unless y is that close to a
    // tie it rounds to the same integer. SetQuickRounded stores that integer and returns true;
    // false means the caller must round the extended value (SetRounded).
    static double QuickDecibels(double a) { return DecibelsPerBinaryLog * std::log2(a); }
    static bool SetQuickRounded(TAERecord& record, int pos, double y) {
        // Also false for NaN and infinities.
        if (!(std::fabs(y) < 1.0e4)) return false;
        const double whole = std::floor(y);
        const double fraction = y - whole;
        if (std::fabs(fraction - 0.5) < 1.0e-7) return false;
        const int64_t n = static_cast<int64_t>(whole) + (fraction > 0.5 ? 1 : 0);
        if (TAEField* f = record.Target(pos)) SetFieldInt64(*f, n);
        return true;
    }
    void SetText(TAERecord& record, const std::string& text);
    void SetUnknownText(TAERecord& record, unsigned kind);

    void PatchHeader(std::vector<uint8_t>& header, int32_t memberOfEvents) const override;

    // 20 log10(2).
    static constexpr double DecibelsPerBinaryLog = 6.0205999132796239042747778944899;

    tarvel::TBoard FBoard;
    tarvel::THeader FHeader;
    int64_t FStartTime = 0;
    int64_t FTruncatedAt = -1;

    // Flat positions of the per-message fields.
    int FPosChan = -1, FPosRise = -1, FPosCount = -1, FPosAmpl = -1, FPosDurat = -1,
        FPosEnergy = -1, FPosGain = -1;

    // Fixed texts, kept as strings so that filling a record copies without allocating.
    const std::string FSystemText = "System Data Message";
    const std::string FNoiseText = "Noise Data Message";
    const std::string FParametricText = "Parametric Data Message";
    const std::string FTimeMarkText = "Time Mark Message";

private:
    void DeclareFields();
    // Indexes the message stream behind the header region: one pass from the start, with the
    // second half of a long stream scanned beside it and joined where the two meet.
    void IndexStream(uint64_t size);
    struct TTail;
    // Starts scanning from the first likely message start at or after `split` on a second
    // thread; null when there is none to start.
    std::unique_ptr<TTail> StartTail(uint64_t split, uint64_t size) const;
    // Appends the tail when `next`, the next message start of the head, is one of the tail's
    // messages: from there on both scans found the same messages. Returns false when it is not.
    bool MeetTail(TTail& tail, TScanPart& head, uint64_t next);
    void ReserveIndex(TDriverIndex& index, uint64_t count, size_t bytes, uint64_t stream) const;
    void BuildInfoLines();

    std::vector<TEmptyRun> FEmptyRuns; // of the whole index, in order
    std::string FScratch;              // composed texts
    // HH : MM : SS of the second (and sign) read last: records come in time order, many of them
    // within a second, so the text is made once per second. Empty until the first time.
    std::string FClockText;
    uint64_t FClockSeconds = 0;
    bool FClockNegative = false;
};

} // namespace vorelt
