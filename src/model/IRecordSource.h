#pragma once
// The cursor protocol as seen by a consumer: processors answer it for their children and views,
// and a driver's filtered copy reads the records that reach a chosen processor through it.
// ConsumeRecords is the one loop every consumer runs over it.

#include "model/TAERecordProtocol.h"

#include <cstdint>
#include <string>

namespace vorelt {

class TAERecord;

class IRecordSource {
public:
    virtual ~IRecordSource() = default;
    // Builds `record` for the full layout of this source (working copies of every set).
    virtual void PrepareRecord(TAERecord& record) = 0;
    // Drops computed results so that the next FirstRecord starts afresh.
    virtual void Restart() = 0;
    virtual int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) = 0;
    virtual int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) = 0;
    virtual int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) = 0;
    virtual int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) = 0;
    virtual void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) = 0;
    virtual int32_t RecordCount(TAEPNav& nav, TAERecord& record) = 0;
};

// Reads every record that `source` lets through, once, in order: the consumer loop of views,
// computing processors and copies. `use` (record, index) returns false to stop early. Returns
// false with the cursor's message when the source reported an error, whatever the end bit.
template <class F>
bool ConsumeRecords(IRecordSource& source, TAEPNav& nav, TAERecord& record, F&& use,
                    std::string& error) {
    int32_t i = source.FirstRecord(nav, record, -1);
    while ((nav.Out.Status & nsEndForward) == 0) {
        if (nav.Out.Status & nsError) break;
        source.ReadRecord(nav, record, i);
        if (nav.Out.Status & nsError) break;
        if (!use(record, i)) return true;
        i = source.NextRecord(nav, record, i);
    }
    if (nav.Out.Status & nsError) {
        error = nav.Out.Message;
        return false;
    }
    return true;
}

} // namespace vorelt
