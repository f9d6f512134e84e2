#include "view2d/RegisterView2dClasses.h"

#include "processing/db/TGVDb.h"
#include "processing/graph/RegisterGraphClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TGraphDb.h"
#include "view2d/TGraphLineAEVObject.h"
#include "view2d/TGraphPointAEVObject.h"
#include "view2d/TGraphVC.h"
#include "view2d/THistigramAEVObject.h"
#include "view2d/TTableVC.h"

namespace vorelt {

void RegisterView2dClasses() {
    RegisterTableClasses();
    TGVCPUTbl::SetViewFactory([](TGVCPUTbl& table) -> std::unique_ptr<IFinalView> {
        return std::make_unique<TTableVC>(&table);
    });
    RegisterGraphClasses();
    // Series name the class of their drawn object.
    RegisterClass<TGraphPointAEVObject>("TGraphPointAEVObject");
    RegisterClass<TGraphLineAEVObject>("TGraphLineAEVObject");
    RegisterClass<THistigramAEVObject>("THistigramAEVObject");
    TGVCPUGr::SetViewFactory([](TGVCPUGr& graph) -> std::unique_ptr<IFinalView> {
        return std::make_unique<TGraphVC>(&graph);
    });
    // Every database made from now on gets the real test graph.
    TGVDb::SetTestGraphFactory(
        [](TGVDb& db) -> std::unique_ptr<ITestGraph> { return std::make_unique<TGraphDb>(db); });
}

} // namespace vorelt
