#pragma once
// The hits of a table view for the waveform window: row i of the table, its waveform read
// through the database processor above the table, and the values of the table's visible
// columns beside it.

#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "viewmodel/waveform/IWaveformHits.h"

namespace vorelt {

class TGVCPUTbl;
class TGVDb;

class TTableWaveformHits : public IWaveformHits {
public:
    explicit TTableWaveformHits(TGVCPUTbl& table);

    const TGVCPUTbl* Table() const { return FTable; }
    // The table goes away: every later call finds no hits.
    void Forget() { FTable = nullptr; }

    int64_t Count() const override;
    void Load(int64_t i, TWaveformHit& hit) override;
    int64_t NextWithWaveform(int64_t from, int direction) override;

private:
    TGVDb* Db() const;
    bool Fetch(int64_t row);
    void Prepare();

    TGVCPUTbl* FTable;
    TAEPNav FNav;
    TAERecord FRecord;
};

} // namespace vorelt
