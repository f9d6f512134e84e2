#pragma once
// The hits of a graph's point series for the waveform window: point i of the series as it was
// when the window was opened, its record read through the graph processor, its waveform
// through the database processor above, and the values of the graph's axes beside it.

#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "viewmodel/waveform/IWaveformHits.h"

#include <string>
#include <vector>

namespace vorelt {

class TGVCPU;
class TGVDb;

class TGraphWaveformHits : public IWaveformHits {
public:
    // `positions`: the records of the series' points in the graph processor's stream, in the
    // series' order; `fieldIds`: the fields shown beside the plot.
    TGraphWaveformHits(TGVCPU& graph, std::vector<int32_t> positions,
                       std::vector<std::string> fieldIds);

    // The graph goes away: every later call finds no hits.
    void Forget() { FGraph = nullptr; }
    // The place of the point of record `position`, -1 when the series has none.
    int64_t IndexOfPosition(int32_t position) const;

    int64_t Count() const override;
    void Load(int64_t i, TWaveformHit& hit) override;
    int64_t NextWithWaveform(int64_t from, int direction) override;

private:
    TGVDb* Db() const;
    void Prepare();
    bool Fetch(int64_t i);

    TGVCPU* FGraph;
    std::vector<int32_t> FPositions;
    std::vector<std::string> FFieldIds;
    TAEPNav FNav;
    TAERecord FRecord;
};

} // namespace vorelt
