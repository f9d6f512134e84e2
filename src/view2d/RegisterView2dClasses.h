#pragma once
// Registers the processors whose views live in this library and installs their view makers.

namespace vorelt {

void RegisterView2dClasses();

} // namespace vorelt
