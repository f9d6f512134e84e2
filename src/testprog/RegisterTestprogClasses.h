#pragma once

namespace vorelt {

// Registers TAEParametric with the class registry.
void RegisterTestprogClasses();

} // namespace vorelt
