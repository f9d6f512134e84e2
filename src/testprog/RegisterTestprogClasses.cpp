#include "testprog/RegisterTestprogClasses.h"

#include "testprog/TAEParametric.h"

namespace vorelt {

void RegisterTestprogClasses() {
    RegisterClass<TAEParametric>("TAEParametric");
}

} // namespace vorelt
