#include "processing/filter/RegisterFilterClasses.h"

#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "processing/filter/TLCTurnOff.h"

namespace vorelt {

void RegisterFilterClasses() {
    RegisterClass<TLCBlock>("TLCBlock");
    RegisterClass<TLCBase>("TLCBase");
    RegisterClass<TLCCondition>("TLCCondition");
    RegisterClass<TLCTurnOff>("TLCTurnOff");
}

} // namespace vorelt
