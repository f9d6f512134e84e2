#pragma once

namespace vorelt {

// Registers the driver classes (trial order of the driver registry) and the persistent classes
// of the drivers library.
void RegisterDriversClasses();

} // namespace vorelt
