#include "drivers/RegisterDriversClasses.h"

#include "drivers/TDriverRegistry.h"

namespace vorelt {

void RegisterDriversClasses() {
    // Each driver adds its entry here (trial order comes from its rank, not from this list).
}

} // namespace vorelt
