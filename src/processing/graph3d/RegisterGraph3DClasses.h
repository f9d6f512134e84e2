#pragma once
// Registers the 3D graph processor and the pipe schema's classes. Tools without views call it
// too: their 3D graphs then run without a view and write the view's saved parts back as they
// came.

namespace vorelt {

void RegisterGraph3DClasses();

} // namespace vorelt
