#pragma once

namespace vorelt {

// Adds both Tarvel drivers to the driver registry (PCI is tried before ISA).
void RegisterTarvelDrivers();

} // namespace vorelt
