#include "processing/db/RegisterDbClasses.h"

#include "persist/TPersistObject.h"
#include "processing/RegisterProcessingBaseClasses.h"
#include "processing/db/TGVDb.h"
#include "testprog/RegisterTestprogClasses.h"

namespace vorelt {

void RegisterDbClasses() {
    RegisterProcessingBaseClasses();
    RegisterTestprogClasses();
    RegisterClass<TGVDb>("TGVDb");
}

} // namespace vorelt
