#pragma once
// A reader's demand holds only when every processor from the first one that fills its record
// up to the database can tell what it reads from the records it passes on.

#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "processing/TGVCPU.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vorelt {

// WidenDemand of `first` and of every processor above it up to its database; false when one
// cannot tell, or there is no database above.
inline bool WidenDemandToDb(TGVCPU* first, const TAERecord& record, std::vector<uint8_t>& wanted) {
    TGVCPU* const db = first ? first->Db() : nullptr;
    if (!db) return false;
    for (const TGVCPU* p = first;; p = p->Parent()) {
        if (!p || !p->WidenDemand(record, wanted)) return false;
        if (p == db) return true;
    }
}

// Marks every field of the record but the waveform features. A processor that cannot say which
// of the ordinary fields it reads still need not have the features computed, which cost a read
// and a spectrum of the hit's waveform each.
inline void WantAllButWaveFeatures(const TAERecord& record, std::vector<uint8_t>& wanted) {
    const int n = record.FieldCount();
    if (wanted.size() < static_cast<size_t>(n)) wanted.resize(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i)
        if (!IsWaveFeatureID(record.Field(i)->ID())) wanted[static_cast<size_t>(i)] = 1;
}

// Gives `record`, read through `first`, a demand of every field but the waveform features that
// `keep` does not name. Without a chain that can widen it up to the database the record keeps
// no demand, and so every field.
template <class Keep>
void DemandAllButWaveFeatures(TGVCPU* first, TAERecord& record, const Keep& keep) {
    record.ClearDemand();
    std::vector<uint8_t> wanted;
    WantAllButWaveFeatures(record, wanted);
    for (int i = 0; i < record.FieldCount(); ++i)
        if (!wanted[static_cast<size_t>(i)])
            wanted[static_cast<size_t>(i)] = keep(std::string_view(record.Field(i)->ID())) ? 1 : 0;
    if (WidenDemandToDb(first, record, wanted)) record.SetDemand(wanted);
}

// The same, keeping the features that `user` has an own use for (CollectFieldUses).
inline void DemandAllButUnusedWaveFeatures(TGVCPU* first, const TGVCPU& user, TAERecord& record) {
    DemandAllButWaveFeatures(first, record, [&user](std::string_view id) {
        std::vector<std::string> lines;
        user.CollectFieldUses(id, lines, false);
        return !lines.empty();
    });
}

} // namespace vorelt
