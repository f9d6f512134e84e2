#pragma once
// The cursor protocol as seen by a consumer: processors answer it for their children and views,
// and a driver's filtered copy reads the records that reach a chosen processor through it.

#include "model/TAERecordProtocol.h"

#include <cstdint>

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

} // namespace vorelt
