#include "processing/math/RegisterMathClasses.h"

#include "processing/RegisterProcessingBaseClasses.h"
#include "processing/expr/RegisterExpressionClasses.h"
#include "processing/math/TGVCPUPrc.h"

namespace vorelt {

void RegisterMathClasses() {
    RegisterProcessingBaseClasses();
    RegisterExpressionClasses();
    RegisterClass<TGVCPUPrc>("TGVCPUPrc");
}

} // namespace vorelt
