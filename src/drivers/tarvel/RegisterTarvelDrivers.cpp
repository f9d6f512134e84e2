#include "drivers/tarvel/RegisterTarvelDrivers.h"

#include "drivers/TDriverRegistry.h"
#include "drivers/tarvel/TAETarvelIsa.h"
#include "drivers/tarvel/TAETarvelPci.h"

namespace vorelt {

void RegisterTarvelDrivers() {
    RegisterDriver({"TAETarvelPci", drTarvelPci, &TAETarvelPci::CanOpen, &TAETarvelPci::Create});
    RegisterDriver({"TAETarvelIsa", drTarvelIsa, &TAETarvelIsa::CanOpen, &TAETarvelIsa::Create});
}

} // namespace vorelt
