#pragma once
// Registers the table processor. Tools without views call it too: their tables then run
// without a view and write the view's saved parts back unchanged.

namespace vorelt {

void RegisterTableClasses();

} // namespace vorelt
