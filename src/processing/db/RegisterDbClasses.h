#pragma once

namespace vorelt {

// Registers the database processor and the classes its saved form is built from (processor
// base, test program, parametric scaling). Driver classes are registered by their libraries.
// Safe to call more than once.
void RegisterDbClasses();

} // namespace vorelt
