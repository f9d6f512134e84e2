#pragma once
// The computed list of a location processor: one entry per record it passes on, in stream
// order, plus the per-hit data of the first nine hits of every event. Tens of millions of
// entries must fit, so an entry keeps only what cannot be derived (16 bytes), the event
// fields of a first entry are rebuilt from its event's hit data when read, and storage grows
// in fixed blocks (no doubling, no copy of the whole list while it grows).

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace vorelt {

class TAEField;

// Positions of the 31 event fields (value slots) in declaration order.
constexpr int lsSIGS = 0;
constexpr int lsDT1L = 1;
constexpr int lsChan1 = 2; // Chan1..Chan9: 2..10
constexpr int lsDT1C = 11;
constexpr int lsDT12 = 12; // DT12..DT19: 12..19
constexpr int lsAmp2 = 20; // Amp2..Amp9: 20..27
constexpr int lsIdxFirstHit = 28;
constexpr int lsIdxLocHit = 29;
constexpr int lsTypeLocHit = 30;
constexpr int LocSlotCount = 31;

// TypeLocHit values.
constexpr uint8_t lhNone = 0; // not an event hit: every slot empty
constexpr uint8_t lhFirst = 1;
constexpr uint8_t lhMember = 2;    // hit 2..9 of an event
constexpr uint8_t lhBeyond = 3;    // hit past the ninth
constexpr uint8_t lhDiscarded = 4; // discarded after an event

// Hits per event that carry their channel, time and amplitude in the event fields.
constexpr int LocDetailedHits = 9;

// Fixed-size blocks; an index stays valid for the life of the list.
template <class T, unsigned BlockBits = 16> class TBlockVector {
public:
    static constexpr size_t BlockSize = size_t(1) << BlockBits;

    size_t size() const { return FCount; }
    bool empty() const { return FCount == 0; }
    T& operator[](size_t i) { return FBlocks[i >> BlockBits][i & (BlockSize - 1)]; }
    const T& operator[](size_t i) const { return FBlocks[i >> BlockBits][i & (BlockSize - 1)]; }
    T& back() { return (*this)[FCount - 1]; }
    void push_back(const T& v) {
        if ((FCount & (BlockSize - 1)) == 0 && (FCount >> BlockBits) == FBlocks.size())
            FBlocks.push_back(std::make_unique<T[]>(BlockSize));
        (*this)[FCount] = v;
        ++FCount;
    }
    void clear() {
        FBlocks.clear();
        FBlocks.shrink_to_fit();
        FCount = 0;
    }
    // Heap bytes held, for the memory measurements.
    size_t CapacityBytes() const {
        return FBlocks.size() * BlockSize * sizeof(T) + FBlocks.capacity() * sizeof(void*);
    }

private:
    std::vector<std::unique_ptr<T[]>> FBlocks;
    size_t FCount = 0;
};

// One record passed on by the processor.
struct TLocEntry {
    int32_t ParentPos = 0;
    // lhFirst: start of the event in the hit data; lhMember, lhBeyond: own index of the
    // event's first entry.
    int32_t Link = 0;
    // lhFirst: number of hits accepted into the event (SIGS); lhMember, lhBeyond: position
    // of the hit in its event (IdxLocHit).
    int32_t Count = 0;
    uint8_t Kind = 0;
    uint8_t EventFlags = 0;
    uint8_t Type = lhNone;
    uint8_t Reserved = 0;
};
static_assert(sizeof(TLocEntry) == 16);

// Channel, time offset from the first hit and amplitude of one of the first nine hits of an
// event. The extended time offset is kept in its ten significant bytes.
struct TLocHitData {
    static constexpr size_t DtBytes = sizeof(long double) < 10 ? sizeof(long double) : 10;
    uint8_t Dt[10] = {};
    int16_t Chan = 0;
    int32_t Amp = 0;

    long double GetDt() const {
        long double x = 0;
        std::memcpy(&x, Dt, DtBytes);
        return x;
    }
    void SetDt(long double x) { std::memcpy(Dt, &x, DtBytes); }
};
static_assert(sizeof(TLocHitData) == 16);

class TLocList {
public:
    int32_t Count() const { return static_cast<int32_t>(FEntries.size()); }
    const TLocEntry& Entry(int32_t i) const { return FEntries[static_cast<size_t>(i)]; }
    void Clear() {
        FEntries.clear();
        FHits.clear();
    }

    // Output of the event-building algorithms.
    void AddPlain(int32_t parentPos, uint8_t kind, uint8_t eventFlags);
    void AddDiscarded(int32_t parentPos, uint8_t kind, uint8_t eventFlags);
    // Opens an event with this hit; returns the own index of its first entry.
    int32_t AddFirst(int32_t parentPos, uint8_t kind, uint8_t eventFlags, int64_t chan,
                     int64_t amp);
    // Hit number n (n >= 2) of the event whose first entry is `first`; dt = t - T1.
    void AddMember(int32_t first, int32_t n, int32_t parentPos, uint8_t kind, uint8_t eventFlags,
                   long double dt, int64_t chan, int64_t amp);

    // The own index whose entry holds this parent position, -1 when none does.
    int32_t FindParentPos(int32_t parentPos) const;
    // The own index of the first entry of the event that own index i belongs to; -1 when i
    // is outside the list or its entry is no event hit.
    int32_t FirstOfEvent(int32_t i) const;

    // Writes the 31 event slots of entry i into the fields (missing fields are skipped; an
    // empty slot clears its field).
    void FillFields(int32_t i, TAEField* const (&fields)[LocSlotCount]) const;

    size_t CapacityBytes() const { return FEntries.CapacityBytes() + FHits.CapacityBytes(); }

private:
    TBlockVector<TLocEntry> FEntries;
    TBlockVector<TLocHitData> FHits;
};

} // namespace vorelt
