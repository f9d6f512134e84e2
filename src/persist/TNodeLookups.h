#pragma once
// The items that loaders read last from the persistence tree. A value that a loader refuses
// ("'-1' is not a valid integer value") says nothing of where it stood; the items read just
// before tell which item of which element it was, and the line of the project file.

#include <exception>
#include <string>

namespace vorelt {

class TNodePersist;

class TNodeLookups {
public:
    // Forgets what was read before (a load begins).
    static void Start();
    // Notes that item `item` of `node` was read (TNodePersist::GetValue).
    static void Note(const TNodePersist& node, int item);
    // The error's text; for a refused value that was read last from an item of the tree under
    // `root`, followed by the item, its element, the line and what the item expects.
    static std::string Explain(const std::exception& e, const TNodePersist& root);
};

} // namespace vorelt
