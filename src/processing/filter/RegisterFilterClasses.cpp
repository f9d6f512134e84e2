#include "processing/filter/RegisterFilterClasses.h"

#include "processing/RegisterProcessingBaseClasses.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "processing/filter/TLCTurnOff.h"

namespace vorelt {

void RegisterFilterClasses() {
    RegisterProcessingBaseClasses();
    RegisterClass<TLCBlock>("TLCBlock");
    RegisterClass<TLCBase>("TLCBase");
    RegisterClass<TLCCondition>("TLCCondition");
    RegisterClass<TLCTurnOff>("TLCTurnOff");
    RegisterClass<TGVCPUFltr>("TGVCPUFltr");
    RegisterClass<TGVCPUTurnOffFltr>("TGVCPUTurnOffFltr");
}

} // namespace vorelt
