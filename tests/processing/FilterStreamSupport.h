#pragma once
// An in-memory stream of hits and messages for the filter tests, a processor that numbers
// its records differently from its parent, and a walk that collects the positions a
// processor passes.

#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "processing/TGVCPU.h"
#include "processing/TGVCPUMemorySource.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace vorelt::test {

// Flat positions of the stream's fields.
constexpr int posTimeMS = 0;
constexpr int posChan = 1;
constexpr int posAmpl = 2;
constexpr int posFirstHit = 3;
constexpr int posText = 4;

inline std::unique_ptr<TAEFields> StreamFields() {
    auto set = std::make_unique<TAEFields>();
    set->SetName("Database Fields");
    set->Add(NewStandardField(fidTimeMS, dtExtended));
    set->Add(NewStandardField(fidChan, dtInteger));
    set->Add(NewStandardField(fidAmpl, dtExtended));
    set->Add(NewStandardField(fidIdxFirstHit, dtInteger));
    set->Add(NewStandardField(fidDefaultText, dtString));
    return set;
}

inline TGVCPUMemorySource* MakeStream(std::unique_ptr<TGVCPUMemorySource>& holder) {
    holder = std::make_unique<TGVCPUMemorySource>();
    holder->AddSourceSet(StreamFields());
    return holder.get();
}

inline int32_t AddHit(TGVCPUMemorySource& s, long double ms, int chan, long double ampl = 50) {
    int32_t i = s.AddRecord(rkHit);
    s.SetValue(i, posTimeMS, ms);
    s.SetValue(i, posChan, chan);
    s.SetValue(i, posAmpl, ampl);
    return i;
}

// Positions a processor passes, walked forward with the consumer loop.
inline std::vector<int32_t> WalkForward(TGVCPU& p, uint16_t kinds = 0) {
    TAERecord record;
    p.PrepareRecord(record);
    TAEPNav nav;
    nav.Kinds = kinds;
    std::vector<int32_t> out;
    std::string error;
    ConsumeRecords(
        p, nav, record,
        [&](TAERecord&, int32_t i) {
            out.push_back(i);
            return true;
        },
        error);
    return out;
}

// Positions walked backward from LastRecord.
inline std::vector<int32_t> WalkBackward(TGVCPU& p, uint16_t kinds = 0) {
    TAERecord record;
    p.PrepareRecord(record);
    TAEPNav nav;
    nav.Kinds = kinds;
    std::vector<int32_t> out;
    int32_t i = p.LastRecord(nav, record, -1);
    while (!(nav.Out.Status & (nsStartBackward | nsError))) {
        out.push_back(i);
        i = p.PriorRecord(nav, record, i);
    }
    return out;
}

// Keeps its parent's records in reverse order, without the parent positions in `Dropped`:
// a processor with an index space of its own.
class TReverseProcessor : public TGVSource {
public:
    std::vector<int32_t> Dropped;
    std::string ClassName() const override { return "TestReverse"; }

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t) override {
        Compute(record);
        nav.Out.Message.clear();
        return Scan(nav, 0, +1, nsNoRecord);
    }
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t) override {
        Compute(record);
        nav.Out.Message.clear();
        return Scan(nav, Size() - 1, -1, nsNoRecord);
    }
    int32_t NextRecord(TAEPNav& nav, TAERecord&, int32_t index) override {
        if (OutOfRange(nav, index)) return -1;
        if (index == Size() - 1) {
            nav.Out.Status = nsEndForward;
            return index;
        }
        return Scan(nav, index + 1, +1, nsEndForward);
    }
    int32_t PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) override {
        if (OutOfRange(nav, index)) return -1;
        if (index == 0) {
            nav.Out.Status = nsStartBackward;
            return 0;
        }
        return Scan(nav, index - 1, -1, nsStartBackward);
    }
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override {
        if (OutOfRange(nav, index)) return;
        FParent->ReadRecord(nav, record, FList[static_cast<size_t>(index)].Pos);
    }
    void ListFromParent(std::vector<int32_t>& list) const override {
        std::vector<int32_t> out;
        for (int32_t p : list)
            for (int32_t i = 0; i < Size(); ++i)
                if (FList[static_cast<size_t>(i)].Pos == p) out.push_back(i);
        list = out;
    }
    void ListToParent(std::vector<int32_t>& list) const override {
        for (int32_t& i : list)
            i = FList[static_cast<size_t>(i)].Pos;
    }
    int32_t OwnIndexOf(int32_t parentPos) const {
        std::vector<int32_t> l{parentPos};
        ListFromParent(l);
        return l.empty() ? -1 : l.front();
    }

private:
    struct TEntry {
        int32_t Pos;
        uint8_t Kind;
    };
    int32_t Size() const { return static_cast<int32_t>(FList.size()); }
    void Compute(TAERecord& record) {
        FList.clear();
        TAEPNav nav;
        int32_t i = FParent->FirstRecord(nav, record, -1);
        while (!(nav.Out.Status & nsEndForward)) {
            if (std::find(Dropped.begin(), Dropped.end(), i) == Dropped.end())
                FList.push_back({i, nav.Out.Kind});
            i = FParent->NextRecord(nav, record, i);
        }
        std::reverse(FList.begin(), FList.end());
    }
    int32_t Scan(TAEPNav& nav, int32_t from, int step, uint8_t none) {
        for (int32_t i = from; i >= 0 && i < Size(); i += step) {
            if (KindAdmitted(nav.Kinds, FList[static_cast<size_t>(i)].Kind)) {
                nav.Out.Status = nsPositioned;
                nav.Out.Kind = FList[static_cast<size_t>(i)].Kind;
                nav.Out.EventFlags = 0;
                return i;
            }
        }
        nav.Out.Status = none;
        return -1;
    }
    bool OutOfRange(TAEPNav& nav, int32_t index) {
        if (index >= 0 && index < Size()) return false;
        nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
        nav.Out.Message = "Data Out Range";
        return true;
    }
    std::vector<TEntry> FList;
};

} // namespace vorelt::test
