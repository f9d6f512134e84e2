#include "processing/criterion/RegisterCriterionClasses.h"

#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/math/RegisterMathClasses.h"

namespace vorelt {

void RegisterCriterionClasses() {
    RegisterMathClasses();
    RegisterFilterClasses();
    RegisterClass<TAECriterion>("TAECriterion");
    RegisterClass<TGVCPUCriterion>("TGVCPUCriterion");
}

} // namespace vorelt
