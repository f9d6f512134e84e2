#pragma once
// The visual processors keep the node of their view as they loaded it while no view is made
// for them, and write it back from that copy on save, so that a project saved without its
// views loses nothing of them. `stored` is that copy; none when the processor loaded no view
// node.

#include <string_view>

namespace vorelt {

class TNodePersist;

// All of the stored node's items and child nodes, in their order; without one only the
// `ClassName` item of `fallbackClass`.
void CopyViewNode(TNodePersist& visual, const TNodePersist* stored, const char* fallbackClass);
// The stored node's `ClassName` item, or `fallbackClass` without a stored node.
void CopyViewClassName(TNodePersist& visual, const TNodePersist* stored, const char* fallbackClass);
// A copy of the stored node's child node `name`, when there is one.
void CopyViewPart(TNodePersist& visual, const TNodePersist* stored, std::string_view name);

} // namespace vorelt
