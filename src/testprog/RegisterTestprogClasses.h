#pragma once

namespace vorelt {

// Registers the test program classes that loaders recreate from a saved "ClassName" (and,
// first, the persistent property classes they are built from). Safe to call more than once.
void RegisterTestprogClasses();

} // namespace vorelt
