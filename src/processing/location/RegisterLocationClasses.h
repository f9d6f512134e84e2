#pragma once

namespace vorelt {

// Registers the location processor and its two algorithms with the class registry, so that
// saved projects recreate them by "ClassName". Safe to call more than once.
void RegisterLocationClasses();

} // namespace vorelt
