#include "processing/location/TLocFields.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "processing/location/TLocList.h"

#include <vector>

namespace vorelt {

namespace {

std::string SlotID(int k) {
    if (k <= lsDT1L) return StandardID(32 + k);       // SIGS, DT1L
    if (k < lsDT1C) return fidChanN(k - lsChan1 + 1); // Chan1..Chan9
    if (k == lsDT1C) return fidDT1C;
    if (k < lsAmp2) return fidDT1N(k - lsDT12 + 2);        // DT12..DT19
    if (k < lsIdxFirstHit) return fidAmpN(k - lsAmp2 + 2); // Amp2..Amp9
    if (k == lsIdxFirstHit) return fidIdxFirstHit;
    return k == lsIdxLocHit ? fidIdxLocHit : fidTypeLocHit;
}

} // namespace

const std::string& LocSlotID(int k) {
    static const std::string none;
    static const std::vector<std::string> ids = [] {
        std::vector<std::string> v;
        for (int i = 0; i < LocSlotCount; ++i)
            v.push_back(SlotID(i));
        return v;
    }();
    return k >= 0 && k < LocSlotCount ? ids[static_cast<size_t>(k)] : none;
}

uint8_t LocSlotType(int k) {
    if (k == lsSIGS || k == lsIdxFirstHit || k == lsIdxLocHit) return dtInteger;
    if (k == lsDT1L || (k >= lsDT1C && k < lsAmp2)) return dtExtended;
    if (k >= lsAmp2 && k < lsIdxFirstHit) return dtLongWord;
    return dtByte; // Chan1..Chan9, TypeLocHit
}

void DeclareLocationFields(TAEFields& set) {
    for (int k = 0; k < LocSlotCount; ++k) {
        std::unique_ptr<TAEField> f =
            NewStandardField(LocSlotID(k), LocSlotType(k), TAEDeclarer::Location);
        if (!f) continue;
        f->SetLocked(true);
        set.Add(std::move(f));
    }
}

} // namespace vorelt
