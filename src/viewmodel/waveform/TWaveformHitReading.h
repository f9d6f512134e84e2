#pragma once
// What every view's hits do for the waveform window once the hit's record is read: the values
// of some of its fields beside the plot, its waveform through the database processor, and a
// short title.

#include "viewmodel/waveform/IWaveformHits.h"

#include <string>
#include <vector>

namespace vorelt {

class TAERecord;
class TGVDb;

// Adds the caption and text of each field of `ids` that the record has, in that order.
void AddHitValues(const TAERecord& record, const std::vector<std::string>& ids, TWaveformHit& hit);
// Reads the record's waveform into `hit` with its title, or says why there is none.
void ReadHitWaveform(TGVDb& db, const TAERecord& record, TWaveformHit& hit);

} // namespace vorelt
