#include "processing/RegisterProcessingBaseClasses.h"

#include "model/RegisterModelClasses.h"
#include "persist/RegisterPersistClasses.h"
#include "processing/TGVCPU.h"
#include "processing/TGVCPUMemorySource.h"

namespace vorelt {

void RegisterProcessingBaseClasses() {
    RegisterPersistClasses();
    RegisterModelClasses();
    RegisterClass<TGVCPU>("TGVCPU");
    RegisterClass<TGVCPUMemorySource>("TGVCPUMemorySource");
}

} // namespace vorelt
