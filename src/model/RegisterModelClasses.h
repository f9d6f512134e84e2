#pragma once

namespace vorelt {

// Registers the field classes, TAEFields, TAERecord and TAEListFields with the class registry.
// The abstract TAEField has no objects to recreate and is left out.
void RegisterModelClasses();

} // namespace vorelt
