#include "persist/RegisterPersistClasses.h"

#include "persist/TGVFloat3DProperty.h"
#include "persist/TGVListCoordProperty.h"
#include "persist/TGVProperties.h"
#include "persist/TGVProperty.h"
#include "persist/TGVVariant.h"

namespace vorelt {

void RegisterPersistClasses() {
    // The abstract bases (TAESaveProperty, TGVProperty, TGVVariant) stay out: no saved object
    // is of those classes, and a registered name must always yield an object.
    RegisterClass<TGVProperties>("TGVProperties");
    RegisterClass<TGVStringProperty>("TGVStringProperty");
    RegisterClass<TGVIntegerProperty>("TGVIntegerProperty");
    RegisterClass<TGVBooleanProperty>("TGVBooleanProperty");
    RegisterClass<TGVFloatProperty>("TGVFloatProperty");
    RegisterClass<TGVStringVariant>("TGVStringVariant");
    RegisterClass<TGVIntegerVariant>("TGVIntegerVariant");
    RegisterClass<TGVFloatVariant>("TGVFloatVariant");
    RegisterClass<TGVBooleanVariant>("TGVBooleanVariant");
    RegisterClass<TGVListCoordProperty>("TGVListCoordProperty");
    RegisterClass<TGVFloat3DProperty>("TGVFloat3DProperty");
}

} // namespace vorelt
