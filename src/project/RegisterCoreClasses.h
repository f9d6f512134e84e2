#pragma once

namespace vorelt {

// Fills the class registry and the driver registry with every class of the core libraries:
// persistence, data model, test program, processors, expressions, project pages and the data
// file drivers. Called once at program start (and by tools and tests); safe to call again.
void RegisterCoreClasses();

} // namespace vorelt
