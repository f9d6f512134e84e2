// The settings frames of the processors this part of the program knows, for the parameter
// page of the project tree window.

#include "app/TParameterPages.h"
#include "app/TfrmAeCriterion.h"
#include "app/TfrmAeDb.h"
#include "app/TfrmAeFltr.h"
#include "app/TfrmAeGr.h"
#include "app/TfrmAeLoc.h"
#include "app/TfrmAePrc.h"
#include "app/TfrmAeSourceLoc.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "processing/math/TGVCPUPrc.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/IDialogService.h"
#include "view2d/TAddonPanels.h"
#include "view2d/TGraphVC.h"
#include "view2d/TfrmAeTbl.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TSchemaEditorF.h"
#include "view3d/TfrmAeGraph3D.h"

namespace vorelt {

void RegisterParameterPages() {
    TParameterPages::Register("TGVDb", [](TGVCPU& p, const TPageContext& c, QWidget* parent) {
        auto* db = dynamic_cast<TGVDb*>(&p);
        return db ? static_cast<QWidget*>(new TfrmAeDb(*db, c.Project, parent)) : nullptr;
    });
    TParameterPages::Register("TGVCPUFltr",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* f = dynamic_cast<TGVCPUFltr*>(&p);
                                  return f ? new TfrmAeFltr(*f, c, parent) : nullptr;
                              });
    TParameterPages::Register("TGVCPUTurnOffFltr",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* f = dynamic_cast<TGVCPUTurnOffFltr*>(&p);
                                  return f ? new TfrmAeTurnOff(*f, c, parent) : nullptr;
                              });
    TParameterPages::Register("TGVCPULoc",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* l = dynamic_cast<TGVCPULoc*>(&p);
                                  return l ? new TfrmAeLoc(*l, c, parent) : nullptr;
                              });
    TParameterPages::Register("TGVCPUSourceLoc",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* s = dynamic_cast<TGVCPUSourceLoc*>(&p);
                                  return s ? new TfrmAeSourceLoc(*s, c, parent) : nullptr;
                              });
    TParameterPages::Register("TGVCPUPrc",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* m = dynamic_cast<TGVCPUPrc*>(&p);
                                  return m ? new TfrmAePrc(*m, c, parent) : nullptr;
                              });
    TParameterPages::Register("TGVCPUCriterion",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* k = dynamic_cast<TGVCPUCriterion*>(&p);
                                  return k ? new TfrmAeCriterion(*k, c, parent) : nullptr;
                              });
    TParameterPages::Register("TGVCPUTbl",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* table = dynamic_cast<TGVCPUTbl*>(&p);
                                  if (!table) return nullptr;
                                  auto* frame = new TfrmAeTbl(*table, parent);
                                  frame->OnChanged = c.RefreshNode;
                                  return frame;
                              });
    TParameterPages::Register("TGVCPUGr",
                              [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
                                  auto* g = dynamic_cast<TGVCPUGr*>(&p);
                                  if (!g || !dynamic_cast<TGraphVC*>(g->GetView())) return nullptr;
                                  auto* frame = new TfrmAeGr(*g, c, parent);
                                  frame->OnChanged = c.RefreshNode;
                                  return frame;
                              });
    // The add-ons the chain offers (zone diagram, load line) switch on the records page.
    static const bool addonPanels = [] {
        TfrmAeGr::RegisterRecordsPanel([](TGVCPUGr& graph, QWidget* parent) {
            return CreateAddonPanels(dynamic_cast<TGraphVC*>(graph.GetView()), parent);
        });
        return true;
    }();
    (void)addonPanels;
    TParameterPages::Register(
        "TGVCPUGr3D", [](TGVCPU& p, const TPageContext& c, QWidget* parent) -> QWidget* {
            auto* g = dynamic_cast<TGVCPUGr3D*>(&p);
            auto* view = g ? dynamic_cast<TGraph3DVC*>(g->GetView()) : nullptr;
            if (!view) return nullptr;
            auto* frame = new TfrmAeGraph3D(*view, parent);
            // A schema added, edited or deleted changes the node's state and status line.
            frame->OnRefreshTree = c.RefreshNode;
            frame->OnOpenEditor = [frame](TGraph3DVC& v) {
                if (TAEOBJ3D* schema = v.Data().Schema()) {
                    TSchemaEditorF editor(*schema, frame->window());
                    Dialogs().Run(editor);
                }
            };
            return frame;
        });
}

} // namespace vorelt
