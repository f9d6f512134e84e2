#pragma once

namespace vorelt {

// Registers the condition classes and the two filtering processors for loaders that recreate
// them from a saved "ClassName". Safe to call more than once.
void RegisterFilterClasses();

} // namespace vorelt
