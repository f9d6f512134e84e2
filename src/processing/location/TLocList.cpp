#include "processing/location/TLocList.h"

#include "model/TAEField.h"
#include "model/TAERecord.h"

#include <limits>

namespace vorelt {

namespace {

int16_t ClampChan(int64_t c) {
    if (c < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    if (c > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(c);
}

int32_t ClampAmp(int64_t a) {
    if (a < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (a > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(a);
}

void SetInt(TAEField* f, int64_t n) {
    if (f) f->SetAsInt64(n);
}

void SetFloat(TAEField* f, long double x) {
    if (f) f->SetAsFloat(x);
}

} // namespace

void TLocList::AddPlain(int32_t parentPos, uint8_t kind, uint8_t eventFlags) {
    TLocEntry e;
    e.ParentPos = parentPos;
    e.Kind = kind;
    e.EventFlags = eventFlags;
    FEntries.push_back(e);
}

void TLocList::AddDiscarded(int32_t parentPos, uint8_t kind, uint8_t eventFlags) {
    TLocEntry e;
    e.ParentPos = parentPos;
    e.Kind = kind;
    e.EventFlags = eventFlags;
    e.Type = lhDiscarded;
    FEntries.push_back(e);
}

int32_t TLocList::AddFirst(int32_t parentPos, uint8_t kind, uint8_t eventFlags, int64_t chan,
                           int64_t amp) {
    TLocHitData h;
    h.SetDt(0);
    h.Chan = ClampChan(chan);
    h.Amp = ClampAmp(amp);
    TLocEntry e;
    e.ParentPos = parentPos;
    e.Link = static_cast<int32_t>(FHits.size());
    e.Count = 1;
    e.Kind = kind;
    e.EventFlags = static_cast<uint8_t>(eventFlags | rfFirstHit | rfEventHit);
    e.Type = lhFirst;
    FHits.push_back(h);
    FEntries.push_back(e);
    return Count() - 1;
}

void TLocList::AddMember(int32_t first, int32_t n, int32_t parentPos, uint8_t kind,
                         uint8_t eventFlags, long double dt, int64_t chan, int64_t amp) {
    TLocEntry& head = FEntries[static_cast<size_t>(first)];
    head.Count = n;
    TLocEntry e;
    e.ParentPos = parentPos;
    e.Link = first;
    e.Count = n;
    e.Kind = kind;
    e.EventFlags = static_cast<uint8_t>(eventFlags | rfEventHit);
    if (n <= LocDetailedHits) {
        // The first nine hits of an event are accepted in order, so their data lie side by
        // side starting at the first entry's Link.
        TLocHitData h;
        h.SetDt(dt);
        h.Chan = ClampChan(chan);
        h.Amp = ClampAmp(amp);
        FHits.push_back(h);
        e.Type = lhMember;
    } else {
        e.Type = lhBeyond;
    }
    FEntries.push_back(e);
}

int32_t TLocList::FindParentPos(int32_t parentPos) const {
    int32_t lo = 0;
    int32_t hi = Count() - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t p = Entry(mid).ParentPos;
        if (p == parentPos) return mid;
        if (p < parentPos)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

int32_t TLocList::FirstOfEvent(int32_t i) const {
    if (i < 0 || i >= Count()) return -1;
    const TLocEntry& e = Entry(i);
    if (e.Type == lhFirst) return i;
    if (e.Type == lhMember || e.Type == lhBeyond) return e.Link;
    return -1;
}

void TLocList::FillFields(int32_t i, TAEField* const (&fields)[LocSlotCount]) const {
    for (TAEField* f : fields)
        if (f) f->Clear();
    const TLocEntry& e = Entry(i);
    switch (e.Type) {
    case lhFirst: {
        const int32_t detailed = e.Count < LocDetailedHits ? e.Count : LocDetailedHits;
        const size_t base = static_cast<size_t>(e.Link);
        SetInt(fields[lsSIGS], e.Count);
        SetFloat(fields[lsDT1L], FHits[base + static_cast<size_t>(detailed - 1)].GetDt());
        for (int32_t n = 1; n <= detailed; ++n) {
            const TLocHitData& h = FHits[base + static_cast<size_t>(n - 1)];
            SetInt(fields[lsChan1 + n - 1], h.Chan);
            if (n >= 2) {
                SetFloat(fields[lsDT12 + n - 2], h.GetDt());
                SetInt(fields[lsAmp2 + n - 2], h.Amp);
            }
        }
        SetFloat(fields[lsDT1C], 0);
        SetInt(fields[lsIdxLocHit], 1);
        SetInt(fields[lsTypeLocHit], lhFirst);
        break;
    }
    case lhMember: {
        const TLocEntry& head = Entry(e.Link);
        const TLocHitData& h = FHits[static_cast<size_t>(head.Link + e.Count - 1)];
        SetFloat(fields[lsDT1C], h.GetDt());
        SetInt(fields[lsIdxFirstHit], e.Link);
        SetInt(fields[lsIdxLocHit], e.Count);
        SetInt(fields[lsTypeLocHit], lhMember);
        break;
    }
    case lhBeyond:
        SetInt(fields[lsIdxFirstHit], e.Link);
        SetInt(fields[lsIdxLocHit], e.Count);
        SetInt(fields[lsTypeLocHit], lhBeyond);
        break;
    case lhDiscarded:
        SetInt(fields[lsTypeLocHit], lhDiscarded);
        break;
    default:
        break;
    }
}

} // namespace vorelt
