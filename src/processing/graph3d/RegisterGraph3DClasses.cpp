#include "processing/graph3d/RegisterGraph3DClasses.h"

#include "persist/TPersistObject.h"
#include "processing/graph3d/TAEOBJ3DHostBranchPS.h"
#include "processing/graph3d/TAEOBJ3DHostPS.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DPipePS.h"
#include "processing/graph3d/TAEOBJ3DSchema.h"
#include "processing/graph3d/TGVCPUGr3D.h"

namespace vorelt {

void RegisterGraph3DClasses() {
    RegisterClass<TAEOBJ3DPipesSchema>("TAEOBJ3DPipesSchema");
    RegisterClass<TAEOBJ3DHostPS>("TAEOBJ3DHostPS");
    RegisterClass<TAEOBJ3DHostBranchPS>("TAEOBJ3DHostBranchPS");
    RegisterClass<TAEOBJ3DPipePS>("TAEOBJ3DPipePS");
    RegisterClass<TAEOBJ3DPAEPS>("TAEOBJ3DPAEPS");
    RegisterClass<TGVCPUGr3D>("TGVCPUGr3D");
}

} // namespace vorelt
