#include "view2d/RegisterView2dClasses.h"

#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/RegisterGraphClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "processing/math/IProjectParameters.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TAddonVCLoadGr.h"
#include "view2d/TAddonVCSensors.h"
#include "view2d/TAddonVCZip.h"
#include "view2d/TGraphDb.h"
#include "view2d/TGraphVC.h"
#include "view2d/TTableVC.h"
#include "viewmodel/drawables/TGraphLineAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/THistigramAEVObject.h"

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
    // The load line belongs on graphs against time only.
    TGVDb::SetLoadAddOnFactory([](TGVDb& db, IFinalView* view) -> IGraphAddOn* {
        auto* graph = dynamic_cast<TGraphVC*>(view);
        if (!graph || !graph->BottomAxisIsTime()) return nullptr;
        return new TAddonVCLoadGr(&db, graph);
    });
    TGVCPUSourceLoc::SetPlotAddOnFactory(
        [](TGVCPUSourceLoc& owner, IFinalView* view) -> IGraphAddOn* {
            auto* graph = dynamic_cast<TGraphVC*>(view);
            if (!graph || !TAddonVCSensors::IsLocationPlot(graph->LeftAxis().FieldId(),
                                                           graph->BottomAxis().FieldId()))
                return nullptr;
            return new TAddonVCSensors(&owner, graph);
        });
    TGVCPUCriterion::SetZipAddOnFactory([](TGVCPUCriterion& owner,
                                           IFinalView* view) -> IGraphAddOn* {
        auto* graph = dynamic_cast<TGraphVC*>(view);
        if (!graph || !owner.OffersZip(graph->LeftAxis().FieldId(), graph->BottomAxis().FieldId()))
            return nullptr;
        return new TAddonVCZip(&owner, graph, &FindZIPParameters(owner));
    });
}

} // namespace vorelt
