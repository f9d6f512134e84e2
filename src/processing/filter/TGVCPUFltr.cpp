#include "processing/filter/TGVCPUFltr.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "processing/TDemandChain.h"

#include <algorithm>
#include <limits>

namespace vorelt {

TGVCPUFltr::TGVCPUFltr() : TGVConditionFilter(pkFltr, true) {}

void TGVCPUFltr::Dispatch(TAEOMSG& msg) {
    // Any change that travels through the tree may alter the layout, the variants or the
    // values a cached first-hit result was drawn from.
    if (MessageRoute(msg.Msg) != TMessageRoute::Up) Invalidate();
    TGVSource::Dispatch(msg);
}

void TGVCPUFltr::Invalidate() {
    FReady = false;
    FCachedFirstHit = -1;
    FHeldIndex = -1;
}

void TGVCPUFltr::PrepareTest(bool rebind) {
    FCachedFirstHit = -1;
    FHeldIndex = -1;
    TAEListFields layout;
    GetFields(&layout, false);
    bool same = FReady && static_cast<int>(FSignature.size()) == layout.Count();
    for (int i = 0; same && i < layout.Count(); ++i)
        same = FSignature[static_cast<size_t>(i)].first == layout.Get(i) &&
               FSignature[static_cast<size_t>(i)].second == layout.Get(i)->Count();
    if (!same) {
        FSignature.clear();
        for (int i = 0; i < layout.Count(); ++i)
            FSignature.emplace_back(layout.Get(i), layout.Get(i)->Count());
        FRecord.BuildForLayout(layout);
        FDemandStamp = 0;
        FIdxFirstHitPos = layout.IndexOfID(fidIdxFirstHit);
        // The first-hit index belongs to the processor that adds the field; every processor
        // between it and this filter may number records differently.
        FRenumbering.clear();
        if (FIdxFirstHitPos >= 0) {
            for (TGVCPU* p = FParent; p; p = p->Parent()) {
                TGVCPU* above = p->Parent();
                if (!above || !above->FindField(fidIdxFirstHit)) break;
                FRenumbering.push_back(p);
            }
            std::reverse(FRenumbering.begin(), FRenumbering.end());
        }
        rebind = true;
    }
    if (rebind) FRoot.Bind(FRecord.Fields(), ConditionVariants());
    FReady = true;
}

void TGVCPUFltr::FollowDemand(const TAERecord& record) {
    const uint64_t stamp = record.HasDemand() ? record.DemandStamp() : 0;
    if (stamp == FDemandStamp) return;
    FDemandStamp = stamp;
    // A record read for another demand is not handed over.
    FHeldIndex = -1;
    FCachedFirstHit = -1;
    FRecord.ClearDemand();
    if (stamp == 0) return;
    const int n = FRecord.FieldCount();
    std::vector<uint8_t> wanted(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i)
        wanted[static_cast<size_t>(i)] =
            record.Target(i) || i == FIdxFirstHitPos || FRoot.ReferencesId(FRecord.Field(i)->ID());
    if (WidenDemandToDb(FParent, FRecord, wanted)) FRecord.SetDemand(wanted);
}

int32_t TGVCPUFltr::FirstHitInParent(int64_t index) {
    if (index < 0 || index > std::numeric_limits<int32_t>::max()) return -1;
    auto i = static_cast<int32_t>(index);
    for (TGVCPU* p : FRenumbering) {
        FScratchList.assign(1, i);
        p->ListFromParent(FScratchList);
        if (FScratchList.empty() || FScratchList.front() < 0) return -1;
        i = FScratchList.front();
    }
    return i;
}

bool TGVCPUFltr::Passes(const TAEPNav& nav, int32_t index) {
    FHeldIndex = -1;
    if (nav.Out.Kind != rkHit) return true;
    // A root without conditions passes every hit, whatever its values or its event: reading
    // them would only cost a decoding and a copy of each record.
    if (FRoot.Count() == 0) return true;
    try {
        FNav.Kinds = 0;
        FNav.Out.Status = nsPositioned;
        FParent->ReadRecord(FNav, FRecord, index);
        if (FNav.Out.Status & nsError) return false;
        FHeldIndex = index;
        FHeldOut = FNav.Out;
        uint8_t flags = FRecord.RecFlags();
        if ((flags & rfEventHit) && !(flags & rfFirstHit)) {
            const TAEField* idx = FRecord.Field(FIdxFirstHitPos);
            int32_t first = idx && !idx->IsNull() ? FirstHitInParent(idx->GetAsInt64()) : -1;
            // A first hit that the stream no longer holds leaves the member to be judged on
            // its own values.
            if (first >= 0) {
                if (first == FCachedFirstHit) return FCachedResult;
                FHeldIndex = -1;
                FParent->ReadRecord(FNav, FRecord, first);
                if (FNav.Out.Status & nsError) return false;
                bool result = FRoot.Evaluate(FRecord);
                FCachedFirstHit = first;
                FCachedResult = result;
                return result;
            }
        }
        return FRoot.Evaluate(FRecord);
    } catch (...) {
        return false;
    }
}

void TGVCPUFltr::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    // The scratch record holds what this consumer wants only when it was read for its demand.
    const bool held = FEnabled && FParent && index >= 0 && index == FHeldIndex &&
                      &record != &FRecord &&
                      FDemandStamp == (record.HasDemand() ? record.DemandStamp() : 0);
    FHeldIndex = -1;
    if (held) {
        if (record.LayoutStamp() != FAgreedStamp || FRecord.LayoutStamp() != FAgreedScratchStamp) {
            if (record.StartsWithLayoutOf(FRecord)) {
                FAgreedStamp = record.LayoutStamp();
                FAgreedScratchStamp = FRecord.LayoutStamp();
            } else {
                FAgreedStamp = FAgreedScratchStamp = 0;
            }
        }
        if (FAgreedStamp != 0) {
            record.CopyValuesFrom(FRecord);
            // What the parent answers for a record it reads; the kind and the source state
            // stay as the step to the record left them.
            nav.Out.Status = FHeldOut.Status;
            nav.Out.EventFlags = FHeldOut.EventFlags;
            nav.Out.Message = FHeldOut.Message;
            return;
        }
    }
    TGVSource::ReadRecord(nav, record, index);
}

int32_t TGVCPUFltr::NoRecord(TAEPNav& nav, uint8_t status) {
    // An out-of-range answer of the parent keeps its own status and message.
    if (!(nav.Out.Status & nsError)) {
        nav.Out.Status = status;
        nav.Out.EventFlags = 0;
    }
    return -1;
}

int32_t TGVCPUFltr::Aborted(TAEPNav& nav, const char* text) {
    nav.Out.Status = nsError;
    nav.Out.EventFlags = 0;
    nav.Out.Message = text;
    return -1;
}

int32_t TGVCPUFltr::FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (!FParent) return TGVSource::FirstRecord(nav, record, start);
    if (!FEnabled) return FParent->FirstRecord(nav, record, start);
    try {
        PrepareTest(true);
        FollowDemand(record);
        int32_t i = FParent->FirstRecord(nav, record, -1);
        while (!(nav.Out.Status & nsEndForward)) {
            if (nav.Out.Status & nsError) return -1;
            if (Passes(nav, i)) return i;
            i = FParent->NextRecord(nav, record, i);
        }
        return NoRecord(nav, nsNoRecord);
    } catch (const std::exception& e) {
        return Aborted(nav, e.what());
    }
}

int32_t TGVCPUFltr::NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (!FParent) return TGVSource::NextRecord(nav, record, index);
    if (!FEnabled) return FParent->NextRecord(nav, record, index);
    try {
        if (!FReady) PrepareTest(true);
        FollowDemand(record);
        int32_t i = FParent->NextRecord(nav, record, index);
        while (!(nav.Out.Status & nsEndForward)) {
            if (nav.Out.Status & nsError) return -1;
            if (Passes(nav, i)) return i;
            i = FParent->NextRecord(nav, record, i);
        }
        return NoRecord(nav, nsEndForward);
    } catch (const std::exception& e) {
        return Aborted(nav, e.what());
    }
}

int32_t TGVCPUFltr::LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (!FParent) return TGVSource::LastRecord(nav, record, start);
    if (!FEnabled) return FParent->LastRecord(nav, record, start);
    try {
        PrepareTest(true);
        FollowDemand(record);
        // Going backward the parent reports the start, never the end: the walk stops there.
        int32_t i = FParent->LastRecord(nav, record, -1);
        while (!(nav.Out.Status & nsStartBackward)) {
            if (nav.Out.Status & nsError) return -1;
            if (Passes(nav, i)) return i;
            i = FParent->PriorRecord(nav, record, i);
        }
        return NoRecord(nav, nsNoRecord);
    } catch (const std::exception& e) {
        return Aborted(nav, e.what());
    }
}

int32_t TGVCPUFltr::PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (!FParent) return TGVSource::PriorRecord(nav, record, index);
    if (!FEnabled) return FParent->PriorRecord(nav, record, index);
    try {
        if (!FReady) PrepareTest(true);
        FollowDemand(record);
        int32_t i = FParent->PriorRecord(nav, record, index);
        while (!(nav.Out.Status & nsStartBackward)) {
            if (nav.Out.Status & nsError) return -1;
            if (Passes(nav, i)) return i;
            i = FParent->PriorRecord(nav, record, i);
        }
        return NoRecord(nav, nsStartBackward);
    } catch (const std::exception& e) {
        return Aborted(nav, e.what());
    }
}

} // namespace vorelt
