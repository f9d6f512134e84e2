// The settings frames of the processors this part of the program knows, for the parameter
// page of the project tree window.

#include "app/TParameterPages.h"
#include "app/TfrmAeDb.h"
#include "processing/db/TGVDb.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TfrmAeTbl.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TfrmAeGraph3D.h"

namespace vorelt {

void RegisterParameterPages() {
    TParameterPages::Register("TGVDb", [](TGVCPU& p, const TPageContext& c, QWidget* parent) {
        auto* db = dynamic_cast<TGVDb*>(&p);
        return db ? static_cast<QWidget*>(new TfrmAeDb(*db, c.Project, parent)) : nullptr;
    });
    TParameterPages::Register("TGVCPUTbl",
                              [](TGVCPU& p, const TPageContext&, QWidget* parent) -> QWidget* {
                                  auto* table = dynamic_cast<TGVCPUTbl*>(&p);
                                  return table ? new TfrmAeTbl(*table, parent) : nullptr;
                              });
    TParameterPages::Register(
        "TGVCPUGr3D", [](TGVCPU& p, const TPageContext&, QWidget* parent) -> QWidget* {
            auto* g = dynamic_cast<TGVCPUGr3D*>(&p);
            auto* view = g ? dynamic_cast<TGraph3DVC*>(g->GetView()) : nullptr;
            return view ? new TfrmAeGraph3D(*view, parent) : nullptr;
        });
}

} // namespace vorelt
