#include "processing/location/TGVCPULoc.h"

#include "model/TAEFieldIDs.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TDemandChain.h"
#include "processing/location/TLocFields.h"
#include "processing/location/TLocOutMPT.h"

namespace vorelt {

namespace {

// The parent's stream as the algorithms read it: every record is visited through the cursor,
// but only hits are read, since non-hits need nothing beyond the kind and event flags that the
// move already reports.
class TParentInput : public ILocInput {
public:
    TParentInput(TGVCPU& parent, TAEPNav& nav, TAERecord& record)
        : FParent(parent), FNav(nav), FRecord(record), FTime(record.FindByID(fidTime)),
          FChan(record.FindByID(fidChan)), FAmp(record.FindByID(fidAmpl)) {}

    bool Next(TLocInputRecord& r, bool wantChanText, std::string& error) override {
        FIndex = FStarted ? FParent.NextRecord(FNav, FRecord, FIndex)
                          : FParent.FirstRecord(FNav, FRecord, -1);
        FStarted = true;
        if (Failed(error) || (FNav.Out.Status & nsEndForward) != 0) return false;
        r.ParentPos = FIndex;
        r.Kind = FNav.Out.Kind;
        r.EventFlags = FNav.Out.EventFlags;
        if (r.Kind != rkHit) return true;
        FParent.ReadRecord(FNav, FRecord, FIndex);
        if (Failed(error)) return false;
        r.EventFlags = FNav.Out.EventFlags;
        r.Time = FTime ? FTime->GetAsFloat() : 0;
        r.Chan = FChan ? FChan->GetAsInt64() : 0;
        r.Amp = FAmp ? FAmp->GetAsInt64() : 0;
        if (wantChanText) {
            if (FChan)
                r.ChanText = FChan->GetAsString();
            else
                r.ChanText.clear();
        }
        return true;
    }

private:
    bool Failed(std::string& error) const {
        if ((FNav.Out.Status & nsError) == 0) return false;
        error = FNav.Out.Message.empty() ? FParent.ErrorText() : FNav.Out.Message;
        if (error.empty()) error = txtDataOutRange;
        return true;
    }

    TGVCPU& FParent;
    TAEPNav& FNav;
    TAERecord& FRecord;
    TAEField* FTime;
    TAEField* FChan;
    TAEField* FAmp;
    int32_t FIndex = -1;
    bool FStarted = false;
};

} // namespace

bool TLocation::Execute() {
    return FOwner && FOwner->RunAlgorithm(*this);
}

TGVCPULoc::TGVCPULoc() : TGVSource(pkLoc), FAlgorithm(std::make_unique<TLocOutMPT>(this)) {
    DeclareFields();
}

TGVCPULoc::~TGVCPULoc() {
    Discard();
}

void TGVCPULoc::DeclareFields() {
    DeclareLocationFields(FOwnFields);
}

void TGVCPULoc::SetAlgorithm(std::unique_ptr<TLocation> algorithm) {
    if (!algorithm) return;
    algorithm->SetOwner(this);
    FAlgorithm = std::move(algorithm);
    Discard();
}

int TGVCPULoc::AlgorithmIndex() const {
    const std::vector<TLocAlgorithmInfo>& list = LocationAlgorithms();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].ClassName == FAlgorithm->ClassName()) return static_cast<int>(i);
    return -1;
}

void TGVCPULoc::SetChannelType(int64_t channel, int type) {
    FChannelTypes.SetChannelType(channel, type);
    Discard();
}

void TGVCPULoc::Discard() {
    FList.Clear();
    FComputed = false;
    if (FHasError) {
        FHasError = false;
        FErrorText.clear();
    }
}

void TGVCPULoc::Reset() {
    Discard();
    TGVSource::Reset();
    // The created state carries the event fields; they are declared by code, never loaded.
    DeclareFields();
    FSlots = TSlotCache{};
}

void TGVCPULoc::Changed(bool propagate) {
    Discard();
    TGVSource::Changed(propagate);
}

void TGVCPULoc::Dispatch(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omDataChanged:
    case omSourceState:
        TGVSource::Dispatch(msg);
        Discard();
        return;
    case omHitMarkRequest:
        FSinglePosition = true;
        TGVSource::Dispatch(msg);
        FSinglePosition = false;
        return;
    case omMarkRecord:
        // The parent's record is not among ours: the views below mark nothing.
        if (msg.List.empty()) msg.List.push_back(-1);
        TGVSource::Dispatch(msg);
        return;
    default:
        TGVSource::Dispatch(msg);
        return;
    }
}

void TGVCPULoc::ListToParent(std::vector<int32_t>& list) const {
    size_t out = 0;
    for (int32_t i : list) {
        if (FComputed && i >= 0 && i < FList.Count())
            list[out++] = FList.Entry(i).ParentPos;
        else if (FSinglePosition)
            list[out++] = -1;
    }
    list.resize(out);
}

void TGVCPULoc::ListFromParent(std::vector<int32_t>& list) const {
    size_t out = 0;
    for (int32_t p : list) {
        const int32_t i = FComputed ? FList.FindParentPos(p) : -1;
        if (i >= 0) list[out++] = i;
    }
    list.resize(out);
}

// --- Computation ----------------------------------------------------------------------------

bool TGVCPULoc::EnsureComputed() {
    if (FComputed) return true;
    // A failed computation keeps its error until something changes; once the errors were
    // cleared, the next request computes again.
    if (FHasError) return false;
    FList.Clear();
    FHasError = false;
    FErrorText.clear();
    PrepareRecord(FRecord);
    FNav = TAEPNav{};
    if (FAlgorithm->Execute()) {
        FComputed = true;
        return true;
    }
    FList.Clear();
    SetFailed(FNav.Out.Message);
    return false;
}

bool TGVCPULoc::RunAlgorithm(const TLocation& algorithm) {
    FNav.Kinds = 0;
    if (!FParent) {
        // Nothing above: an empty stream.
        return true;
    }
    // Records read for the algorithm carry the parent's layout only: no event fields to
    // clear on every read.
    TAERecord record;
    FParent->PrepareRecord(record);
    DemandAllButUnusedWaveFeatures(FParent, *this, record);
    TParentInput input(*FParent, FNav, record);
    std::string error;
    bool ok = false;
    try {
        ok = algorithm.Build(input, FChannelTypes, GetName(), FList, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!ok) {
        FNav.Out.Status = static_cast<uint8_t>(FNav.Out.Status | nsError);
        FNav.Out.Message = error;
    }
    return ok;
}

int32_t TGVCPULoc::FirstHitIndex(int32_t ownIndex) {
    if (!EnsureComputed()) return -1;
    return FList.FirstOfEvent(ownIndex);
}

bool TGVCPULoc::ReadFirstHit(TAEPNav& nav, TAERecord& record, int32_t ownIndex) {
    const int32_t first = FirstHitIndex(ownIndex);
    if (first < 0) return false;
    ReadRecord(nav, record, first);
    return (nav.Out.Status & nsError) == 0;
}

int32_t TGVCPULoc::OwnIndexOfParent(int32_t parentPos) const {
    return FComputed ? FList.FindParentPos(parentPos) : -1;
}

TGVCPULoc* TGVCPULoc::LocatedAbove(TGVCPU* p) {
    for (; p; p = p->Parent())
        if (auto* loc = dynamic_cast<TGVCPULoc*>(p)) return loc;
    return nullptr;
}

// --- Record protocol ------------------------------------------------------------------------

bool TGVCPULoc::Ready(TAEPNav& nav) {
    if (EnsureComputed()) return true;
    ReportFailure(nav);
    return false;
}

void TGVCPULoc::Positioned(TAEPNav& nav, int32_t i) const {
    const TLocEntry& e = FList.Entry(i);
    nav.Out.Kind = e.Kind;
    nav.Out.EventFlags = e.EventFlags;
}

bool TGVCPULoc::OutOfRange(TAEPNav& nav, int32_t index) {
    if (index >= 0 && index < FList.Count()) return false;
    nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
    nav.Out.Message = txtDataOutRange;
    nav.Out.State = GetSourceState();
    return true;
}

int32_t TGVCPULoc::FirstRecord(TAEPNav& nav, TAERecord&, int32_t) {
    if (!Ready(nav)) return -1;
    nav.Out.Message.clear();
    nav.Out.Status = nsPositioned;
    nav.Out.EventFlags = 0;
    nav.Out.State = GetSourceState();
    for (int32_t i = 0; i < FList.Count(); ++i)
        if (Accepts(nav, i)) {
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TGVCPULoc::LastRecord(TAEPNav& nav, TAERecord&, int32_t) {
    if (!Ready(nav)) return -1;
    nav.Out.Message.clear();
    nav.Out.Status = nsPositioned;
    nav.Out.EventFlags = 0;
    nav.Out.State = GetSourceState();
    for (int32_t i = FList.Count() - 1; i >= 0; --i)
        if (Accepts(nav, i)) {
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TGVCPULoc::NextRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    if (!Ready(nav)) return -1;
    if (OutOfRange(nav, index)) return -1;
    const int32_t last = FList.Count() - 1;
    if (index == last) {
        nav.Out.Status = nsEndForward;
        return index;
    }
    for (int32_t i = index + 1; i <= last; ++i)
        if (Accepts(nav, i)) {
            nav.Out.Status = nsPositioned;
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsEndForward;
    return -1;
}

int32_t TGVCPULoc::PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    if (!Ready(nav)) return -1;
    if (OutOfRange(nav, index)) return -1;
    if (index == 0) {
        nav.Out.Status = nsStartBackward;
        return 0;
    }
    for (int32_t i = index - 1; i >= 0; --i)
        if (Accepts(nav, i)) {
            nav.Out.Status = nsPositioned;
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsStartBackward;
    return -1;
}

void TGVCPULoc::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (!Ready(nav)) return;
    if (OutOfRange(nav, index)) return;
    if (!FParent) return;
    const TLocEntry& e = FList.Entry(index);
    FParent->ReadRecord(nav, record, e.ParentPos);
    if (nav.Out.Status & nsError) return;
    FList.FillFields(index, SlotFields(record));
    record.SetRecFlags(static_cast<uint8_t>(record.RecFlags() | e.EventFlags));
    nav.Out.EventFlags = e.EventFlags;
    nav.Out.Kind = e.Kind;
}

int32_t TGVCPULoc::RecordCount(TAEPNav& nav, TAERecord& record) {
    if (!FParent) return 0;
    if (nav.Kinds != 0) return CountByWalking(nav, record);
    // Every entry is accepted: the walk would visit exactly the list.
    int32_t i = FirstRecord(nav, record, -1);
    if (nav.Out.Status & nsError) return 0;
    return i < 0 ? 0 : FList.Count();
}

TAEField* const (&TGVCPULoc::SlotFields(TAERecord& record))[LocSlotCount] {
    TSlotCache& c = FSlots;
    bool valid = c.Record == &record && c.FieldCount == record.FieldCount();
    if (valid) {
        // The record may have been rebuilt in place; its fields must still be ours.
        for (int k = 0; k < LocSlotCount && valid; ++k) {
            if (c.Positions[k] < 0) continue;
            TAEField* f = record.Field(c.Positions[k]);
            valid = f == c.Fields[k] && f->ID() == LocSlotID(k);
        }
    }
    if (!valid) {
        c.Record = &record;
        c.FieldCount = record.FieldCount();
        for (int k = 0; k < LocSlotCount; ++k) {
            c.Positions[k] = -1;
            c.Fields[k] = nullptr;
        }
        const std::vector<TAEField*>& flat = record.FlatFields();
        for (int k = 0; k < LocSlotCount; ++k) {
            const std::string& id = LocSlotID(k);
            // The last declaration wins: only this processor declares these IDs on its path.
            for (size_t n = flat.size(); n-- > 0;)
                if (flat[n]->ID() == id) {
                    c.Positions[k] = static_cast<int>(n);
                    c.Fields[k] = flat[n];
                    break;
                }
        }
    }
    return c.Fields;
}

// --- Persistence ----------------------------------------------------------------------------

void TGVCPULoc::SaveToNode(TNodePersist& node) const {
    TGVSource::SaveToNode(node);
    FAlgorithm->SaveToNode(*node.AddNode("Location"));
    FChannelTypes.SaveToNode(*node.AddNode("TypeChan"));
}

void TGVCPULoc::LoadFromNode(const TNodePersist& node) {
    TGVSource::LoadFromNode(node);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameText(child.Name(), "Location")) {
            const std::string className = child.GetValue("ClassName");
            if (className.empty()) continue;
            std::unique_ptr<TLocation> algorithm =
                TClassRegistry::Instance().CreateAs<TLocation>(className);
            // An unknown class keeps the current algorithm.
            if (!algorithm) continue;
            algorithm->SetOwner(this);
            algorithm->LoadFromNode(child);
            FAlgorithm = std::move(algorithm);
        } else if (SameText(child.Name(), "TypeChan")) {
            FChannelTypes.LoadFromNode(child);
        }
    }
    Discard();
}

} // namespace vorelt
