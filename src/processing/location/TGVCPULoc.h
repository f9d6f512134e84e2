#pragma once
// The location processor: groups the hits of its parent's stream into located events with the
// current event-building algorithm, adds the 31 event fields, marks event hits in the record
// flags and drops the hits that the channel-type rules discard. It keeps its own index space:
// own index i is entry i of the computed list, which remembers the parent position it came
// from.

#include "processing/TGVCPU.h"
#include "processing/location/TLocChannelTypes.h"
#include "processing/location/TLocList.h"
#include "processing/location/TLocation.h"

#include <memory>
#include <string>

namespace vorelt {

class TGVCPULoc : public TGVSource {
public:
    TGVCPULoc();
    ~TGVCPULoc() override;

    std::string ClassName() const override { return "TGVCPULoc"; }

    // --- Settings -------------------------------------------------------------------------
    TLocation& Algorithm() const { return *FAlgorithm; }
    // Replaces the algorithm (none keeps the current one) and drops the computed list; the
    // caller then calls Changed.
    void SetAlgorithm(std::unique_ptr<TLocation> algorithm);
    // Position of the current algorithm in LocationAlgorithms(), -1 when it is not listed.
    int AlgorithmIndex() const;
    TLocChannelTypes& ChannelTypes() { return FChannelTypes; }
    const TLocChannelTypes& ChannelTypes() const { return FChannelTypes; }
    void SetChannelType(int64_t channel, int type);
    uint8_t GetChannelType(int64_t channel) const { return FChannelTypes.GetChannelType(channel); }

    // --- Results --------------------------------------------------------------------------
    // Computes when needed; false when the computation failed (ErrorText says why).
    bool EnsureComputed();
    bool IsComputed() const { return FComputed; }
    const TLocList& List() const { return FList; }
    // The own index of the first hit of the event that own index i belongs to (i itself for a
    // first hit); -1 when i is outside the list or no event hit. Computes when needed.
    int32_t FirstHitIndex(int32_t ownIndex);
    // Reads the first hit of the event that own index i belongs to into `record` (prepared
    // for this processor's layout or one below it). False, with the record untouched, when i
    // is no event hit; a cursor error shows in `nav`.
    bool ReadFirstHit(TAEPNav& nav, TAERecord& record, int32_t ownIndex);
    // The own index whose entry came from this parent position; -1 when none did.
    int32_t OwnIndexOfParent(int32_t parentPos) const;
    // The nearest location processor at or above `p`; none when the branch is not located.
    static TGVCPULoc* LocatedAbove(TGVCPU* p);

    // --- Processor base -------------------------------------------------------------------
    void Reset() override;
    void Changed(bool propagate) override;
    bool IsLocated() const override { return true; }
    void Dispatch(TAEOMSG& msg) override;
    void ListToParent(std::vector<int32_t>& list) const override;
    void ListFromParent(std::vector<int32_t>& list) const override;

    void Restart() override { Discard(); }
    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;
    // A record read through this processor is the parent's with the event fields written from
    // the computed list: it reads nothing more of the parent's fields.
    bool WidenDemand(const TAERecord&, std::vector<uint8_t>&) const override { return true; }

    // Base items, then child nodes "Location" (the algorithm) and "TypeChan".
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    // Runs `algorithm` over the parent's stream into the computed list; false leaves the error
    // text in the own cursor's message. Called by TLocation::Execute.
    bool RunAlgorithm(const TLocation& algorithm);

    // Heap bytes of the computed list.
    size_t ListBytes() const { return FList.CapacityBytes(); }

private:
    void Discard();
    void DeclareFields();
    // Cursor answer for a failed or impossible computation.
    bool Ready(TAEPNav& nav);
    void Positioned(TAEPNav& nav, int32_t i) const;
    bool OutOfRange(TAEPNav& nav, int32_t index);
    bool Accepts(const TAEPNav& nav, int32_t i) const {
        return KindAdmitted(nav.Kinds, FList.Entry(i).Kind);
    }
    // Finds the 31 event fields in a consumer's record, remembered while the record keeps
    // the same fields.
    TAEField* const (&SlotFields(TAERecord& record))[LocSlotCount];

    std::unique_ptr<TLocation> FAlgorithm;
    TLocChannelTypes FChannelTypes;
    TLocList FList;
    bool FComputed = false;
    // Set while a hit-mark message travels, whose single position becomes -1 when not held.
    bool FSinglePosition = false;

    struct TSlotCache {
        const TAERecord* Record = nullptr;
        int FieldCount = -1;
        int Positions[LocSlotCount] = {};
        TAEField* Fields[LocSlotCount] = {};
    };
    TSlotCache FSlots;
};

} // namespace vorelt
