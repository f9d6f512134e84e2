#include "view3d/RegisterView3dClasses.h"

#include "processing/graph3d/RegisterGraph3DClasses.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "view2d/IDialogService.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TSchemaEditorF.h"
#include "view3d/TfrmAeGraph3D.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QVBoxLayout>

namespace vorelt {

namespace {

void OpenEditor(TGraph3DVC& view) {
    if (TAEOBJ3D* schema = view.Data().Schema()) {
        TSchemaEditorF editor(*schema, view.Panel()->window());
        Dialogs().Run(editor);
    }
}

void OpenSettings(TGraph3DVC& view) {
    QDialog dialog(view.Panel()->window());
    dialog.setWindowTitle("Graph3D Processor");
    auto* layout = new QVBoxLayout(&dialog);
    auto* frame = new TfrmAeGraph3D(view, &dialog);
    frame->OnOpenEditor = OpenEditor;
    layout->addWidget(frame);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(box);
    dialog.resize(520, 360);
    Dialogs().Run(dialog);
    frame->StoreTitle();
}

} // namespace

void RegisterView3dClasses() {
    RegisterGraph3DClasses();
    TGVCPUGr3D::SetViewFactory([](TGVCPUGr3D& graph) -> std::unique_ptr<IFinalView> {
        auto view = std::make_unique<TGraph3DVC>(&graph);
        view->OnEditSettings = OpenSettings;
        return view;
    });
}

} // namespace vorelt
