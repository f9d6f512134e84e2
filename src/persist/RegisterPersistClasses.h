#pragma once

namespace vorelt {

// Registers the property and variant classes that loaders recreate from a saved
// "ClassName". Safe to call more than once.
void RegisterPersistClasses();

} // namespace vorelt
