#include "viewmodel/waveform/TWaveformHitReading.h"

#include "model/TAEField.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "processing/db/TGVDb.h"
#include "processing/table/TTableData.h"

namespace vorelt {

void AddHitValues(const TAERecord& record, const std::vector<std::string>& ids, TWaveformHit& hit) {
    for (const std::string& id : ids) {
        const TAEField* field = record.FindByID(id);
        if (!field) continue;
        std::string caption = field->GetDisplayName();
        if (!field->GetDisplayDimension().empty())
            caption += " [" + field->GetDisplayDimension() + "]";
        hit.Values.push_back({caption, FormatTableValue(*field)});
    }
}

void ReadHitWaveform(TGVDb& db, const TAERecord& record, TWaveformHit& hit) {
    std::string message;
    hit.HasWaveform = db.ReadWaveform(record, hit.Volts, hit.Info, message);
    if (!hit.HasWaveform)
        hit.Message = message.empty() ? "This hit has no waveform." : message;
    else
        hit.Title = "Chan " + IntToStr(hit.Info.Channel) + ", " +
                    FloatToStr(static_cast<long double>(hit.Info.Time), 10) + " s, waveform " +
                    IntToStr(hit.Info.Index);
}

} // namespace vorelt
