#pragma once
// Event-building algorithms of the location processor. An algorithm walks the records of the
// processor's parent once, in stream order, and appends one entry per record it passes on to
// the computed list; hits of different channels that arrive close together become one event.

#include "persist/TPersistObject.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TGVCPULoc;
class TLocChannelTypes;
class TLocList;

// One record of the input stream as the algorithms see it. Time, channel and amplitude are
// read for hits only.
struct TLocInputRecord {
    int32_t ParentPos = 0;
    uint8_t Kind = 0;
    uint8_t EventFlags = 0;
    long double Time = 0; // µs
    int64_t Chan = 0;
    int64_t Amp = 0;
    std::string ChanText; // filled only when asked for
};

// The parent's record stream.
class ILocInput {
public:
    virtual ~ILocInput() = default;
    // The next record; false at the end, or on a failure with `error` set.
    virtual bool Next(TLocInputRecord& record, bool wantChanText, std::string& error) = 0;
};

class TLocation : public TPersistObject {
public:
    // Algorithm kinds.
    static constexpr uint8_t lkLockOutMPT = 1;
    static constexpr uint8_t lkVallen = 2;

    TLocation(const TLocation&) = delete;
    TLocation& operator=(const TLocation&) = delete;

    uint8_t Kind() const { return FKind; }
    TGVCPULoc* Owner() const { return FOwner; }
    void SetOwner(TGVCPULoc* owner) { FOwner = owner; }

    // Builds the owner's computed list from the owner's parent. False leaves the error text in
    // the owner's cursor message.
    virtual bool Execute();
    // The display name shown in the algorithm combo.
    virtual std::string GetName() const = 0;

    // The event building itself over any input stream. False with `error` set when the input
    // fails or a time runs backwards ("UnSorted File[name]"); the list is then incomplete.
    virtual bool Build(ILocInput& input, const TLocChannelTypes& types,
                       const std::string& processorName, TLocList& list,
                       std::string& error) const = 0;

    // "ClassName" first; subclasses add their keys.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    // The failure text of an event build over a time that runs backwards.
    static std::string UnsortedText(const std::string& processorName);

protected:
    TLocation(uint8_t kind, TGVCPULoc* owner) : FKind(kind), FOwner(owner) {}
    // Reads an integer key; an absent, empty or non-integer text keeps `value`.
    static void LoadInt(const TNodePersist& node, const char* key, int32_t& value);

private:
    uint8_t FKind;
    TGVCPULoc* FOwner;
};

// The algorithms offered for selection, in order.
struct TLocAlgorithmInfo {
    std::string Name;      // display name
    std::string ClassName; // registry name
    std::function<std::unique_ptr<TLocation>(TGVCPULoc*)> Create;
};
const std::vector<TLocAlgorithmInfo>& LocationAlgorithms();

} // namespace vorelt
