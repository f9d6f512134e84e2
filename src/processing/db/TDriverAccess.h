#pragma once
// The driver side of the database processor: the driver base and the registry of driver classes.

#include "drivers/TAEDriverDb.h"
#include "drivers/TDriverRegistry.h"
