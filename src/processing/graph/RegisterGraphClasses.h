#pragma once
// Registers the graph processor and the series class. Tools without views call it too: their
// graphs then run without a view and write the view's saved node back unchanged.

namespace vorelt {

void RegisterGraphClasses();

} // namespace vorelt
