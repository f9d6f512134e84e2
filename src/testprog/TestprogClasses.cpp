#include "testprog/TestprogClasses.h"

#include "persist/PersistClasses.h"
#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"

namespace vorelt {

void RegisterTestprogClasses() {
    RegisterPersistClasses();
    RegisterClass<TTestSection>("TTestSection");
    RegisterClass<TTestSectionList>("TTestSectionList");
    RegisterClass<TTestGrLine>("TTestGrLine");
}

} // namespace vorelt
