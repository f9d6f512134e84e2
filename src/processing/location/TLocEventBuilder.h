#pragma once
// The running state of one event build and the steps both event-building algorithms take
// alike. The algorithm decides, per hit, whether it opens, joins, closes or is discarded; the
// builder keeps the event's count and times and writes the entries. The steps are inline and
// the algorithm's state machine is a template argument: this runs once per hit over tens of
// millions of hits.

#include "model/TAERecordProtocol.h"
#include "processing/location/TLocChannelTypes.h"
#include "processing/location/TLocList.h"
#include "processing/location/TLocation.h"

#include <cstdint>
#include <string>

namespace vorelt {

class TLocEventBuilder {
public:
    enum TState { Idle, Start, Open, GuardOpen };
    // What the state machine did with a hit: Again dispatches the same hit in the new state;
    // Failed stops the build with the error text set.
    enum TStep { Consumed, Again, Failed };

    TLocEventBuilder(const TLocChannelTypes& types, const std::string& processorName,
                     TLocList& list, std::string& error)
        : FTypes(types), FProcessorName(processorName), FList(list), FError(error) {}

    // Walks the input once. A non-hit gets a plain entry; a hit goes to step(record, time),
    // which returns a TStep, until it is consumed. False when the input or a step fails.
    template <class TStepFn> bool Run(ILocInput& input, bool wantChanText, TStepFn&& step);

    TState State() const { return FState; }
    void SetState(TState state) { FState = state; }
    long double T1() const { return FT1; }
    long double TLast() const { return FTLast; }

    // Whether the hit's channel takes part in an open event (Normal or Combined).
    bool Joins(const TLocInputRecord& r) const {
        const uint8_t type = FTypes.Lookup(r.Chan);
        return type == ctNormal || type == ctCombined;
    }

    // The hit in state Start: a Normal channel opens a normal event with a first entry, a
    // Guard or Combined channel a guard event whose hits are dropped; an Unused channel's hit
    // is dropped and the state goes back to Idle. True when an event opened.
    bool StartEvent(const TLocInputRecord& r, long double t) {
        const uint8_t type = FTypes.Lookup(r.Chan);
        if (type == ctNormal) {
            FFirst = FList.AddFirst(r.ParentPos, r.Kind, r.EventFlags, r.Chan, r.Amp);
            FState = Open;
        } else if (type == ctGuard || type == ctCombined) {
            FState = GuardOpen;
        } else {
            FState = Idle;
            return false;
        }
        FCount = 1;
        FT1 = FTLast = t;
        return true;
    }

    // The hit joins the open event; only a normal event gives it an entry.
    void AddHit(const TLocInputRecord& r, long double t) {
        ++FCount;
        FTLast = t;
        if (FState == Open)
            FList.AddMember(FFirst, FCount, r.ParentPos, r.Kind, r.EventFlags, t - FT1, r.Chan,
                            r.Amp);
    }

    // The hit ends the event without joining it, but is the latest one seen.
    void CloseAt(long double t) {
        FTLast = t;
        FState = Idle;
    }

    // The hit is discarded after the event and becomes the latest time. That time may not
    // run backwards here either, or a later unsorted hit would slip past the order checks.
    TStep Discard(const TLocInputRecord& r, long double t) {
        if (t < FTLast) return Unsorted();
        FTLast = t;
        FList.AddDiscarded(r.ParentPos, r.Kind, r.EventFlags);
        return Consumed;
    }

    // A hit earlier than the latest one where the order matters.
    TStep Unsorted();

private:
    const TLocChannelTypes& FTypes;
    const std::string& FProcessorName;
    TLocList& FList;
    std::string& FError;
    TState FState = Idle;
    long double FT1 = 0;
    long double FTLast = 0;
    int32_t FCount = 0;
    int32_t FFirst = -1;
};

template <class TStepFn>
bool TLocEventBuilder::Run(ILocInput& input, bool wantChanText, TStepFn&& step) {
    TLocInputRecord r;
    FError.clear();
    while (input.Next(r, wantChanText, FError)) {
        if (r.Kind != rkHit) {
            // A non-hit never opens, joins or closes an event.
            FList.AddPlain(r.ParentPos, r.Kind, r.EventFlags);
            continue;
        }
        const TLocInputRecord& hit = r;
        const long double t = r.Time;
        TStep done;
        do {
            done = step(hit, t);
        } while (done == Again);
        if (done == Failed) return false;
    }
    return FError.empty();
}

} // namespace vorelt
