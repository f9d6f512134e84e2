#include "processing/table/RegisterTableClasses.h"

#include "persist/TPersistObject.h"
#include "processing/table/TGVCPUTbl.h"

namespace vorelt {

void RegisterTableClasses() {
    RegisterClass<TGVCPUTbl>("TGVCPUTbl");
}

} // namespace vorelt
