#pragma once
// Statistical functions of calculated fields. A function reads fields of each record in stream
// order and keeps running state per group of records that share the grouping field's value
// (one group when grouping is off): running minimum, maximum, mean and sum, differences to
// the previous value, previous and next values, severity and historic index.
//
// Group keys are 64-bit: integer fields keep their full value, so two channels or groups whose
// values differ only above 2^31 are never merged. Groups are found through a hash map with a
// one-entry cache for runs of the same key.

#include "model/TAERecordProtocol.h"
#include "processing/expr/TExprValue.h"
#include "processing/math/TAEStatFuncParam.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vorelt {

class TAERecord;
class TGVCPU;
class TZIPParameters;

// Gives a function the value slot of a calculated field for a record of the computed list
// ("Next" writes its value into the previous record of the group).
class IStatSlotLookup {
public:
    virtual ~IStatSlotLookup() = default;
    // None when the index lies outside the list.
    virtual TExprValue* StatSlot(int fieldIndex, int32_t recordIndex) = 0;
};

struct TStatAccumulator {
    int64_t Key = 0;
    bool First = true;
    long double Value = 0;
    int64_t Count = 0;
    int32_t LastIndex = -1; // "Next": the group's previous record
    // "Severity": the J largest values, descending; "HistoricIndex": the window, oldest first.
    std::deque<long double> Values;
    long double ValuesSum = 0; // sum of Values, kept running
    long double Total = 0;     // "HistoricIndex": sum of all values of the group
};

// Accumulators in order of first appearance, found by key.
class TStatGroups {
public:
    void Clear() {
        FItems.clear();
        FIndex.clear();
        FLast = -1;
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    TStatAccumulator& Items(int i) { return FItems[static_cast<size_t>(i)]; }
    const TStatAccumulator& Items(int i) const { return FItems[static_cast<size_t>(i)]; }
    // The accumulator of `key`, appended when new.
    TStatAccumulator& Find(int64_t key) {
        if (FLast >= 0 && FItems[static_cast<size_t>(FLast)].Key == key)
            return FItems[static_cast<size_t>(FLast)];
        auto [it, added] = FIndex.try_emplace(key, static_cast<int32_t>(FItems.size()));
        if (added) {
            FItems.emplace_back();
            FItems.back().Key = key;
        }
        FLast = it->second;
        return FItems[static_cast<size_t>(FLast)];
    }
    // A pointer to an accumulator stays valid until the next Find.
    const TStatAccumulator* Lookup(int64_t key) const {
        auto it = FIndex.find(key);
        return it == FIndex.end() ? nullptr : &FItems[static_cast<size_t>(it->second)];
    }

private:
    std::vector<TStatAccumulator> FItems;
    std::unordered_map<int64_t, int32_t> FIndex;
    int32_t FLast = -1;
};

// Statistics of a channel take its AE hits and the records of a criterion processor above;
// status, set-up and marker records carry values of another meaning (a Vallen status set holds
// the channel's energy over an interval, with no counts, rise time or duration).
inline bool StatisticsTakeKind(uint8_t kind) {
    return kind == rkHit || kind == rkCriterion;
}

class TAEStatFunc {
public:
    explicit TAEStatFunc(TGVCPU* owner) : FOwner(owner) {}
    TAEStatFunc(const TAEStatFunc&) = delete;
    TAEStatFunc& operator=(const TAEStatFunc&) = delete;
    virtual ~TAEStatFunc() = default;

    TGVCPU* Owner() const { return FOwner; }
    const std::string& Description() const { return FDescription; }
    bool GroupingAllowed() const { return FGroupingAllowed; }
    bool Grouping() const { return FGrouping; }
    const std::string& GroupFieldID() const { return FGroupFieldID; }
    TAEStatFuncParams& Params() { return FParams; }
    const TAEStatFuncParams& Params() const { return FParams; }

    // Grouping stays off for functions that do not allow it.
    virtual void SetGrouping(bool on) { FGrouping = on && FGroupingAllowed; }
    virtual void SetGroupField(const std::string& id) { FGroupFieldID = id; }
    // Frees all accumulators.
    virtual void Reset() { FGroups.Clear(); }
    // Reset; resolves the parameters and the grouping field to flat positions of the record's
    // layout; reads the project's zone-intensity parameters; one accumulator when grouping is
    // off.
    virtual void Start(const TAERecord& record);
    // The value for one record into `result` (left untouched when there is none). False when
    // the record yields no value. `fieldIndex` is the calculated field being computed.
    virtual bool Calculate(TExprValue& result, const TAERecord& record, IStatSlotLookup* lookup,
                           int fieldIndex, int32_t recordIndex) = 0;
    virtual std::string GetName() const = 0;

    const TStatGroups& Groups() const { return FGroups; }

protected:
    // Rule of every function: only AE hits and criterion records yield values.
    static bool KindYields(const TAERecord& record);
    // The accumulator of the record's group.
    TStatAccumulator& Accumulator(const TAERecord& record);
    // The value of a field parameter; false when the field is absent or empty.
    static bool ReadField(const TAERecord& record, const TAEStatFuncParam& p, long double& x);
    // Writes v as an integer (rounded, ties to even) when X is of an integer type, as a float
    // when it is of a float type; nothing for other types.
    void SetByXType(TExprValue& result, long double v) const;

    TGVCPU* FOwner;
    std::string FDescription;
    bool FGroupingAllowed = false;
    bool FGrouping = false;
    std::string FGroupFieldID;
    TAEStatFuncParams FParams;
    TStatGroups FGroups;
    int FGroupPos = -1;
    const TZIPParameters* FZIP = nullptr;
    TAEStatFuncParam* FX = nullptr; // parameter "X", when the function has one
};

// The function names in menu order: "Min", "Max", "Avg", "Sum", "Deviation", "Ratio",
// "Product", "Summa", "Power", "Lg", "Ln", "Prev", "Next", "Severity", "HistoricIndex".
const std::vector<std::string>& StatFunctionNames();
// A new instance of the function registered under `name` (case-insensitive); none when unknown.
std::unique_ptr<TAEStatFunc> CreateStatFunc(std::string_view name, TGVCPU* owner);
// Whether a function of this name uses the zone-intensity parameters.
bool StatFuncUsesZIP(std::string_view name);

} // namespace vorelt
