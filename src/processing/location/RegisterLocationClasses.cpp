#include "processing/location/RegisterLocationClasses.h"

#include "persist/TPersistObject.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"

namespace vorelt {

void RegisterLocationClasses() {
    RegisterClass<TGVCPULoc>("TGVCPULoc");
    RegisterClass<TGVCPUSourceLoc>("TGVCPUSourceLoc");
    RegisterClass<TLocOutMPT>("TLocOutMPT");
    RegisterClass<TVallen>("TVallen");
}

} // namespace vorelt
