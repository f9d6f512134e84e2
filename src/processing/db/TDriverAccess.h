#pragma once
// The driver headers declare their own copies of three message numbers that the processing
// message header declares as well, and two definitions of one constant cannot stand in one
// translation unit. Processing code reaches the drivers only through this header, which
// includes them once with the drivers' copies renamed; the values are the same.

#include "processing/TAEMessages.h"

#define omSourceState drvOmSourceState
#define omSelectGroup drvOmSelectGroup
#define omDeleteGroup drvOmDeleteGroup
#include "drivers/TAEDriverDb.h"
#include "drivers/TDriverRegistry.h"
#undef omSourceState
#undef omSelectGroup
#undef omDeleteGroup

static_assert(vorelt::drvOmSourceState == vorelt::omSourceState &&
                  vorelt::drvOmSelectGroup == vorelt::omSelectGroup &&
                  vorelt::drvOmDeleteGroup == vorelt::omDeleteGroup,
              "drivers and processors number their messages alike");
