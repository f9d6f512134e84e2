#pragma once
// The files of the project a processor belongs to, which nothing written from its tree may
// replace: the data file of its database processor and the project file.

#include "drivers/TWriteTarget.h"

namespace vorelt {

class TGVCPU;

TKeptFiles KeptFiles(TGVCPU& processor);

} // namespace vorelt
