#include "viewmodel/waveform/TTableWaveformHits.h"

#include "persist/TGVProperty.h"
#include "persist/TNumberFormat.h"
#include "processing/db/TGVDb.h"
#include "processing/table/TGVCPUTbl.h"
#include "viewmodel/waveform/TWaveformHitReading.h"

namespace vorelt {

TTableWaveformHits::TTableWaveformHits(TGVCPUTbl& table) : FTable(&table) {}

TGVDb* TTableWaveformHits::Db() const {
    return FTable ? dynamic_cast<TGVDb*>(FTable->Db()) : nullptr;
}

int64_t TTableWaveformHits::Count() const {
    return FTable ? FTable->Data().RowCount() : 0;
}

bool TTableWaveformHits::Fetch(int64_t row) {
    if (!FTable || row < 0 || row >= Count()) return false;
    const int32_t position = FTable->Data().RowPosition(int32_t(row));
    return position >= 0 && FTable->FetchRow(FNav, FRecord, int32_t(row), position) &&
           FRecord.Kind() == rkHit;
}

void TTableWaveformHits::Prepare() {
    // The table's fields may have changed since the last call (a column, a new data file).
    if (FTable) FTable->PrepareRowRecord(FRecord);
}

void TTableWaveformHits::Load(int64_t i, TWaveformHit& hit) {
    hit = TWaveformHit{};
    Prepare();
    TGVDb* db = Db();
    if (!db || !Fetch(i)) {
        hit.Message = "Row " + IntToStr(i + 1) + " shows no hit.";
        return;
    }
    std::vector<std::string> ids;
    for (const TGVStringProperty* column : FTable->Data().VisibleColumns())
        ids.push_back(column->Value());
    AddHitValues(FRecord, ids, hit);
    ReadHitWaveform(*db, FRecord, hit);
}

int64_t TTableWaveformHits::NextWithWaveform(int64_t from, int direction) {
    TGVDb* db = Db();
    if (!db || direction == 0) return -1;
    Prepare();
    std::string message;
    for (int64_t row = from; row >= 0 && row<Count(); row += direction> 0 ? 1 : -1)
        if (Fetch(row) && db->FindWaveform(FRecord, message) >= 0) return row;
    return -1;
}

} // namespace vorelt
