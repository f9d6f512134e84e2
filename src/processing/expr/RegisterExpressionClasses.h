#pragma once

namespace vorelt {

// Registers TAEExpresion with the class registry, so that saved trees load their nodes.
void RegisterExpressionClasses();

} // namespace vorelt
