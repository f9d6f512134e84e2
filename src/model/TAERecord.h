#pragma once
// One record: working copies of every field of its layout plus the message kind, the position
// in its source and the record flags. Drivers fill it by flat position through Field(n),
// processors find their own fields by ID.

#include "model/TAEListFields.h"
#include "persist/TPersistObject.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vorelt {

// Record flag bits (RecFlags).
constexpr uint8_t rfDeleted = 0x01;
constexpr uint8_t rfSelected = 0x02;
constexpr uint8_t rfFirstHit = 0x04; // first hit of a located event
constexpr uint8_t rfEventHit = 0x08; // hit that belongs to a located event

class TAERecord : public TPersistObject {
public:
    TAERecord() = default;
    TAERecord(const TAERecord&) = delete;
    TAERecord& operator=(const TAERecord&) = delete;

    std::string ClassName() const override { return "TAERecord"; }
    // A record is rebuilt from its layout; it keeps nothing of its own in files.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist&) override {}

    // The record's own sets (owned). Sets are added only through AddFields, so the flat
    // positions stay valid; call RebuildFlat after adding or removing fields inside a set.
    const TAEListFields& Fields() const { return FFields; }

    uint8_t Kind() const { return FKind; }
    void SetKind(uint8_t kind) { FKind = kind; }
    int32_t Index() const { return FIndex; }
    void SetIndex(int32_t index) { FIndex = index; }
    uint8_t RecFlags() const { return FRecFlags; }
    void SetRecFlags(uint8_t flags) { FRecFlags = flags; }

    // Frees all sets; Kind 0, Index -1, RecFlags 0.
    void Clear();
    // Every field becomes null; under a demand every wanted field (the others are null already,
    // or hold what no reader under the demand looks at).
    void ClearValues();
    // Appends a set; the record owns it from now on.
    TAEFields* AddFields(std::unique_ptr<TAEFields> set);
    // Clear, then an unlocked working copy (Clone(1)) of every set of the layout, in order.
    void BuildForLayout(const TAEListFields& layout);
    TAEField* FindByID(std::string_view id) const { return FFields.FindByID(id); }

    // Fields by flat position, without walking the sets; none when n is outside.
    int FieldCount() const { return static_cast<int>(FFlat.size()); }
    TAEField* Field(int n) const {
        return static_cast<unsigned>(n) < FFlat.size() ? FFlat[static_cast<size_t>(n)] : nullptr;
    }
    const std::vector<TAEField*>& FlatFields() const { return FFlat; }
    void RebuildFlat();

    // A reader that will look at only some fields may say so; a source then fills only those.
    // Target(n) is the field a source fills at position n: the field itself, or none when it
    // is not wanted. SetDemand empties the fields not wanted; a source that fills them anyway
    // leaves values that a reader under the demand never looks at. Without a demand every
    // field is wanted; building the fields anew drops it.
    TAEField* Target(int n) const {
        return static_cast<unsigned>(n) < FTargets.size() ? FTargets[static_cast<size_t>(n)]
                                                          : nullptr;
    }
    // One flag per flat position; positions beyond the flags are not wanted.
    void SetDemand(const std::vector<uint8_t>& wanted);
    void ClearDemand();
    bool HasDemand() const { return FHasDemand; }
    // Changes with every SetDemand and ClearDemand.
    uint64_t DemandStamp() const { return FDemandStamp; }

    // Changes whenever the fields are built anew; no two layouts of any records share one.
    uint64_t LayoutStamp() const { return FLayoutStamp; }
    // Whether this record's first fields are those of `prefix`, in order and of the same classes.
    bool StartsWithLayoutOf(const TAERecord& prefix) const;
    // What reading the same message into this record gives, taken from `prefix`, which holds
    // it and whose layout this record starts with: kind, index, flags and the values of its
    // fields; the fields beyond are emptied. Under a demand only the wanted fields are taken
    // or emptied.
    void CopyValuesFrom(const TAERecord& prefix);

private:
    TAEListFields FFields;
    std::vector<TAEField*> FFlat;
    // FFlat, with none where a demand does not want the field.
    std::vector<TAEField*> FTargets;
    // The wanted fields alone, and their positions.
    std::vector<TAEField*> FWanted;
    std::vector<uint32_t> FWantedAt;
    bool FHasDemand = false;
    uint64_t FDemandStamp = NewLayoutStamp();
    uint8_t FKind = 0;
    int32_t FIndex = -1;
    uint8_t FRecFlags = 0;
    uint64_t FLayoutStamp = NewLayoutStamp();

    static uint64_t NewLayoutStamp();
};

} // namespace vorelt
