#include "processing/expr/RegisterExpressionClasses.h"

#include "processing/expr/TAEExpresion.h"

namespace vorelt {

void RegisterExpressionClasses() {
    RegisterClass<TAEExpresion>("TAEExpresion");
}

} // namespace vorelt
