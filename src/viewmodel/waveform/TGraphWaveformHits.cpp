#include "viewmodel/waveform/TGraphWaveformHits.h"

#include "persist/TNumberFormat.h"
#include "processing/TDemandChain.h"
#include "processing/db/TGVDb.h"
#include "viewmodel/waveform/TWaveformHitReading.h"

#include <algorithm>

namespace vorelt {

TGraphWaveformHits::TGraphWaveformHits(TGVCPU& graph, std::vector<int32_t> positions,
                                       std::vector<std::string> fieldIds)
    : FGraph(&graph), FPositions(std::move(positions)), FFieldIds(std::move(fieldIds)) {}

TGVDb* TGraphWaveformHits::Db() const {
    return FGraph ? dynamic_cast<TGVDb*>(FGraph->Db()) : nullptr;
}

int64_t TGraphWaveformHits::Count() const {
    return FGraph ? static_cast<int64_t>(FPositions.size()) : 0;
}

int64_t TGraphWaveformHits::IndexOfPosition(int32_t position) const {
    const auto it = std::find(FPositions.begin(), FPositions.end(), position);
    return it == FPositions.end() ? -1 : it - FPositions.begin();
}

void TGraphWaveformHits::Prepare() {
    if (!FGraph) return;
    // The fields may have changed since the last call (a new data file): the record is built
    // again, asking for the features only when an axis shows them.
    FGraph->PrepareRecord(FRecord);
    DemandAllButWaveFeatures(FGraph, FRecord, [this](std::string_view id) {
        return std::find(FFieldIds.begin(), FFieldIds.end(), id) != FFieldIds.end();
    });
}

bool TGraphWaveformHits::Fetch(int64_t i) {
    if (!FGraph || i < 0 || i >= Count()) return false;
    FNav = TAEPNav{};
    FNav.Out.Status = nsPositioned;
    FGraph->ReadRecord(FNav, FRecord, FPositions[size_t(i)]);
    return (FNav.Out.Status & nsError) == 0 && FRecord.Kind() == rkHit;
}

void TGraphWaveformHits::Load(int64_t i, TWaveformHit& hit) {
    hit = TWaveformHit{};
    Prepare();
    TGVDb* db = Db();
    if (!db || !Fetch(i)) {
        hit.Message = "Point " + IntToStr(i + 1) + " shows no hit.";
        return;
    }
    AddHitValues(FRecord, FFieldIds, hit);
    ReadHitWaveform(*db, FRecord, hit);
}

int64_t TGraphWaveformHits::NextWithWaveform(int64_t from, int direction) {
    TGVDb* db = Db();
    if (!db || direction == 0) return -1;
    Prepare();
    std::string message;
    for (int64_t i = from; i >= 0 && i<Count(); i += direction> 0 ? 1 : -1)
        if (Fetch(i) && db->FindWaveform(FRecord, message) >= 0) return i;
    return -1;
}

} // namespace vorelt
