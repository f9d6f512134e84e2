#pragma once
// A record source straight over a driver, admitting only chosen kinds: the pass-through
// processor of a filtered copy when no processing tree is at hand (command-line copies, tests).

#include "model/IRecordSource.h"

#include <cstdint>

namespace vorelt {

class TAEDriverDb;

class TDriverRecordSource : public IRecordSource {
public:
    // `kinds` is a kind set (bit k admits kind k, empty admits all); the header item passes
    // whatever the set when `keepHeader` is true, so that a copy remains a valid file.
    explicit TDriverRecordSource(TAEDriverDb& driver, uint16_t kinds = 0, bool keepHeader = true)
        : FDriver(driver), FKinds(kinds), FKeepHeader(keepHeader) {}

    void PrepareRecord(TAERecord& record) override;
    void Restart() override {}
    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;

private:
    bool Admitted(const TAEPNav& nav, int32_t pos) const;
    int32_t Scan(TAEPNav& nav, int32_t from, int step, uint8_t endStatus, bool atEndReturnsSelf);

    TAEDriverDb& FDriver;
    uint16_t FKinds;
    bool FKeepHeader;
};

} // namespace vorelt
