#pragma once

namespace vorelt {

// Registers the processor base classes that loaders recreate from a saved "ClassName"
// ("TGVCPU", the pass-through processor, and the in-memory source), and the model and
// property classes they are built from. Safe to call more than once.
void RegisterProcessingBaseClasses();

} // namespace vorelt
