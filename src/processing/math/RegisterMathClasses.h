#pragma once

namespace vorelt {

// Registers the math processor (and the classes its saved fields need) for loaders that
// recreate it from a saved "ClassName". Safe to call more than once.
void RegisterMathClasses();

} // namespace vorelt
