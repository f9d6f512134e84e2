#include "processing/graph/RegisterGraphClasses.h"

#include "persist/TPersistObject.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TSeriesGr.h"

namespace vorelt {

void RegisterGraphClasses() {
    RegisterClass<TGVCPUGr>("TGVCPUGr");
    RegisterClass<TSeriesGr>("TSeriesGr");
}

} // namespace vorelt
