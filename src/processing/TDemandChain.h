#pragma once
// A reader's demand holds only when every processor from the first one that fills its record
// up to the database can tell what it reads from the records it passes on.

#include "model/TAERecord.h"
#include "processing/TGVCPU.h"

#include <cstdint>
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

} // namespace vorelt
