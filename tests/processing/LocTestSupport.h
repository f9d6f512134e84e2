#pragma once
// Hand-made hit sequences for the location tests.

#include "model/TAEField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecordProtocol.h"
#include "processing/location/TLocFields.h"
#include "processing/location/TLocList.h"
#include "processing/location/TLocation.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorelt::loctest {

struct TInRec {
    uint8_t Kind = rkHit;
    long double Time = 0;
    int64_t Chan = 1;
    int64_t Amp = 50;
};

inline TInRec Hit(long double t, int64_t chan, int64_t amp = 50) {
    return TInRec{rkHit, t, chan, amp};
}
inline TInRec NonHit(uint8_t kind = rkTimeMark, long double t = 0) {
    return TInRec{kind, t, 0, 0};
}

// Positions are the vector positions; channel texts are the decimal channel numbers.
class TVectorInput : public ILocInput {
public:
    explicit TVectorInput(std::vector<TInRec> recs) : FRecs(std::move(recs)) {}
    bool Next(TLocInputRecord& r, bool wantChanText, std::string&) override {
        if (FPos >= FRecs.size()) return false;
        const TInRec& in = FRecs[FPos];
        r.ParentPos = static_cast<int32_t>(FPos);
        r.Kind = in.Kind;
        r.EventFlags = 0;
        r.Time = in.Time;
        r.Chan = in.Chan;
        r.Amp = in.Amp;
        if (wantChanText) r.ChanText = std::to_string(in.Chan);
        ++FPos;
        return true;
    }

private:
    std::vector<TInRec> FRecs;
    size_t FPos = 0;
};

// The 31 event fields of one entry, read back through working fields.
class TSlots {
public:
    TSlots() {
        for (int k = 0; k < LocSlotCount; ++k) {
            FOwned[k] = NewStandardField(LocSlotID(k), LocSlotType(k), TAEDeclarer::Location);
            FFields[k] = FOwned[k].get();
        }
    }
    void Load(const TLocList& list, int32_t i) { list.FillFields(i, FFields); }
    bool Null(int k) const { return FFields[k]->IsNull(); }
    std::optional<int64_t> Int(int k) const {
        if (FFields[k]->IsNull()) return std::nullopt;
        return FFields[k]->GetAsInt64();
    }
    std::optional<long double> Float(int k) const {
        if (FFields[k]->IsNull()) return std::nullopt;
        return FFields[k]->GetAsFloat();
    }
    int NullCount() const {
        int n = 0;
        for (TAEField* f : FFields)
            n += f->IsNull() ? 1 : 0;
        return n;
    }

private:
    std::unique_ptr<TAEField> FOwned[LocSlotCount];
    TAEField* FFields[LocSlotCount] = {};
};

} // namespace vorelt::loctest
