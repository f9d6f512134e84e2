#pragma once
// Registers the 3D graph and installs the maker of its views, whose "Edit" item opens the
// graph's settings frame in a dialog and from there the schema editor.

namespace vorelt {

void RegisterView3dClasses();

} // namespace vorelt
