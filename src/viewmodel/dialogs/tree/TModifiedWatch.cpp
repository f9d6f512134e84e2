#include "viewmodel/dialogs/tree/TModifiedWatch.h"

namespace vorelt {

TModifiedWatch::TModifiedWatch(TProjectAE& project)
    : FProject(project), FPrevious(project.OnModified) {
    FProject.OnModified = [this](TProjectAE&) { FChanged = true; };
}

TModifiedWatch::~TModifiedWatch() {
    FProject.OnModified = FPrevious;
}

} // namespace vorelt
