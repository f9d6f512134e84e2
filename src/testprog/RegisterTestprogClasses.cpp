#include "testprog/RegisterTestprogClasses.h"

#include "persist/RegisterPersistClasses.h"
#include "testprog/TAEParametric.h"
#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"

namespace vorelt {

void RegisterTestprogClasses() {
    RegisterPersistClasses();
    RegisterClass<TAEParametric>("TAEParametric");
    RegisterClass<TTestSection>("TTestSection");
    RegisterClass<TTestSectionList>("TTestSectionList");
    RegisterClass<TTestGrLine>("TTestGrLine");
}

} // namespace vorelt
