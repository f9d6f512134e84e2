#include "drivers/RegisterDriversClasses.h"

#include "drivers/TDriverRegistry.h"
#include "drivers/disp/TAEDisp.h"
#include "drivers/spartan/TAESpartan.h"
#include "drivers/tarvel/RegisterTarvelDrivers.h"
#include "drivers/vallen/TAEVallen.h"

namespace vorelt {

void RegisterDriversClasses() {
    // Each driver adds its entry here (trial order comes from its rank, not from this list).
    RegisterVallenDriver();
    RegisterDispDriver();
    RegisterSpartanDriver();
    RegisterTarvelDrivers();
}

} // namespace vorelt
