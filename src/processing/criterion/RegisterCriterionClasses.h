#pragma once

namespace vorelt {

// Registers the criterion processor and its criterion class (and the classes their saved
// fields, conditions and trees need). Safe to call more than once.
void RegisterCriterionClasses();

} // namespace vorelt
