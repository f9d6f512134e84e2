#pragma once
// Watches a project for changes while a window edits it: the project's OnModified handler is
// replaced by one that only notes the change, and the previous handler comes back when the
// watch ends. The tree window ends with OK exactly when something changed.

#include "project/TProjectAE.h"

namespace vorelt {

class TModifiedWatch {
public:
    explicit TModifiedWatch(TProjectAE& project);
    ~TModifiedWatch();
    TModifiedWatch(const TModifiedWatch&) = delete;
    TModifiedWatch& operator=(const TModifiedWatch&) = delete;

    bool Changed() const { return FChanged; }

private:
    TProjectAE& FProject;
    TProjectAE::THandler FPrevious;
    bool FChanged = false;
};

} // namespace vorelt
