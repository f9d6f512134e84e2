#pragma once
// The turn-off filter: removes from its parent's stream every AE hit that lies in a time
// window around a hit satisfying its condition (the triggering hit included). Other messages
// always pass. It computes the list of records it keeps on the first request and serves its
// own positions from it; below a location processor, or switched off, it passes its parent's
// stream through unchanged.

#include "processing/TGVCPU.h"
#include "processing/filter/TGVConditionFilter.h"
#include "processing/filter/TLCTurnOff.h"

#include <cstddef>
#include <vector>

namespace vorelt {

class TGVCPUTurnOffFltr : public TGVConditionFilter<TLCTurnOff> {
public:
    // One kept record, as the parent reported it.
    struct TKept {
        int32_t Pos;
        uint8_t Kind;
        uint8_t EventFlags;
    };

    TGVCPUTurnOffFltr();
    std::string ClassName() const override { return "TGVCPUTurnOffFltr"; }

    // Window widths in microseconds; Changed (true) follows a change.
    void SetDeltaBefore(int32_t us);
    void SetDeltaAfter(int32_t us);

    // Whether the parent's stream is passed through (switched off, or below a location
    // processor).
    bool PassesThrough();
    // Whether a location processor lies above (the settings frame shows "Invalid Processor
    // After Location Processor").
    bool Located();
    // The kept list of the last computation (empty before one).
    const std::vector<TKept>& Kept() const { return FKept; }
    bool Computed() const { return FComputed; }
    // The most entries the neighbour cache held during the last computation.
    std::size_t PeakCacheSize() const { return FPeakCache; }

    void Dispatch(TAEOMSG& msg) override;
    void ListToParent(std::vector<int32_t>& list) const override;
    void ListFromParent(std::vector<int32_t>& list) const override;

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;

private:
    void DropResults(bool treeChanged) override;

    // A record read during the computation whose fate is not settled yet: hits whose
    // DeltaBefore window is still open, and the messages behind them.
    struct TPending {
        int32_t Pos;
        uint8_t Kind;
        uint8_t EventFlags;
        bool Removed;
        long double TimeMS;
    };

    // Drops the kept list and the cache, and a failed computation's error.
    void Discard();
    // Computes when needed; false (and the cursor reports the error) when it failed.
    bool Ready(TAEPNav& nav);
    void Compute();
    // Moves settled entries from the front of the cache to the kept list: messages, removed
    // hits, and hits whose DeltaBefore window closed before `now` (the time of the latest hit
    // read; none: only what is settled regardless of time; `final`: everything).
    void Settle(const long double* now, bool final);
    int32_t Scan(TAEPNav& nav, int32_t from, int step, uint8_t none) const;
    bool OutOfRange(TAEPNav& nav, int32_t index) const;
    int32_t Size() const { return static_cast<int32_t>(FKept.size()); }

    bool FLocatedKnown = false;
    bool FLocated = false;
    bool FComputed = false;
    bool FFailed = false;
    std::string FFailText;
    std::vector<TKept> FKept;
    // The neighbour cache; entries before FHead are settled.
    std::vector<TPending> FCache;
    std::size_t FHead = 0;
    // Entries before this one were already looked at by a trigger's backward marking.
    std::size_t FMarkedEnd = 0;
    std::size_t FPeakCache = 0;
    TAERecord FScratch;
    TAEPNav FReadNav;
};

} // namespace vorelt
