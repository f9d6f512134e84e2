#include "project/RegisterCoreClasses.h"

#include "drivers/RegisterDriversClasses.h"
#include "model/RegisterModelClasses.h"
#include "persist/RegisterPersistClasses.h"
#include "persist/TPersistObject.h"
#include "processing/RegisterProcessingBaseClasses.h"
#include "processing/criterion/RegisterCriterionClasses.h"
#include "processing/db/RegisterDbClasses.h"
#include "processing/expr/RegisterExpressionClasses.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/graph3d/RegisterGraph3DClasses.h"
#include "processing/location/RegisterLocationClasses.h"
#include "processing/math/RegisterMathClasses.h"
#include "project/TDispatchDraw.h"
#include "testprog/RegisterTestprogClasses.h"

namespace vorelt {

void RegisterCoreClasses() {
    RegisterPersistClasses();
    RegisterModelClasses();
    RegisterTestprogClasses();
    RegisterProcessingBaseClasses();
    RegisterExpressionClasses();
    RegisterFilterClasses();
    RegisterLocationClasses();
    RegisterMathClasses();
    RegisterCriterionClasses();
    RegisterGraph3DClasses();
    RegisterDbClasses();
    RegisterClass<TAEPage>("TAEPage");
    // Vallen and DiSP come with the drivers library's own registration.
    RegisterDriversClasses();
}

} // namespace vorelt
