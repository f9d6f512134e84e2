#pragma once
// The filtering processor: passes on its parent's stream, hiding the AE hits for which its
// condition does not hold. Positions are the parent's; no fields are added or changed. The
// hits of a located event pass or fail together: a member is judged on its event's first hit.

#include "processing/TGVCPU.h"
#include "processing/filter/TGVConditionFilter.h"
#include "processing/filter/TLCBlock.h"

#include <utility>
#include <vector>

namespace vorelt {

class TGVCPUFltr : public TGVConditionFilter<TLCBase> {
public:
    TGVCPUFltr();
    std::string ClassName() const override { return "TGVCPUFltr"; }

    void Dispatch(TAEOMSG& msg) override;

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    // The hit just judged is in the scratch record already: a consumer that reads it next gets
    // a copy instead of a second decoding of the message.
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    // Hits are judged in the scratch record, which is always read whole; a consumer's record
    // gets the parent's values.
    bool WidenDemand(const TAERecord&, std::vector<uint8_t>&) const override { return true; }

private:
    void DropResults(bool) override { Invalidate(); }
    // Readies the scratch record, the flat positions and the condition for the current
    // layout; `rebind` also re-reads comparison values (variants may have changed).
    void PrepareTest(bool rebind);
    // Whether the parent's record at `index` passes; `nav` holds the parent's answer for it.
    bool Passes(const TAEPNav& nav, int32_t index);
    // An index of the processor that declares the first-hit field, in the parent's space;
    // -1 when a processor in between does not hold it.
    int32_t FirstHitInParent(int64_t index);
    // Walk ends: no record passed.
    static int32_t NoRecord(TAEPNav& nav, uint8_t status);
    static int32_t Aborted(TAEPNav& nav, const char* text);
    void Invalidate();
    // The scratch record reads what the consumer's record wants, with what the condition
    // tests and what its parents work those from; whole when the consumer wants everything.
    void FollowDemand(const TAERecord& record);

    // Test state, rebuilt when the layout changes.
    bool FReady = false;
    std::vector<std::pair<const TAEFields*, int>> FSignature;
    int FIdxFirstHitPos = -1;
    // Processors between the first-hit declarer and this filter, top first; their index spaces
    // the event's first-hit index is carried through.
    std::vector<TGVCPU*> FRenumbering;
    std::vector<int32_t> FScratchList;
    int32_t FCachedFirstHit = -1;
    bool FCachedResult = false;
    // The parent's index whose record the scratch record holds, read by the last test and not
    // handed over yet (-1: none), and the parent's answer for it.
    int32_t FHeldIndex = -1;
    TAEPNavOut FHeldOut;
    // The layouts of the last consumer's record and of the scratch record that were found to
    // agree.
    uint64_t FAgreedStamp = 0;
    uint64_t FAgreedScratchStamp = 0;
    // The consumer's demand the scratch record follows (0: none).
    uint64_t FDemandStamp = 0;
};

} // namespace vorelt
