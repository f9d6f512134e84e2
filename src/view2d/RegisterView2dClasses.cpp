#include "view2d/RegisterView2dClasses.h"

#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TTableVC.h"

namespace vorelt {

void RegisterView2dClasses() {
    RegisterTableClasses();
    TGVCPUTbl::SetViewFactory([](TGVCPUTbl& table) -> std::unique_ptr<IFinalView> {
        return std::make_unique<TTableVC>(&table);
    });
}

} // namespace vorelt
