#include "view2d/TFindTextF.h"

#include "processing/table/TGVCPUTbl.h"
#include "processing/table/TSeekPlacement.h"
#include "view2d/IDialogService.h"
#include "view2d/TLCEditor.h"
#include "view2d/TTableGrid.h"
#include "view2d/TTableVC.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vorelt {

namespace {
constexpr char txtFindText[] = "Find Text";
constexpr char txtNotFound[] = "Not Found";
constexpr char txtSeek[] = "Seek";
constexpr char txtNewSeek[] = "New Seek";
} // namespace

TFindTextF::TFindTextF(TTableVC& view, QWidget* parent) : QDialog(parent), FView(view) {
    setObjectName("FindTextF");
    setWindowTitle(txtFindText);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setModal(false);
    resize(420, 360);
    FEditor = new TLCEditor(this);
    FEditor->SetTree(&view.Data().SeekCondition(), view.Table());
    FSeek = new QPushButton(txtSeek, this);
    FSeek->setObjectName("btnSeek");
    FSeek->setDefault(true);
    FNewSeek = new QCheckBox(txtNewSeek, this);
    FNewSeek->setObjectName("cbNewSeek");
    FNewSeek->setChecked(true);
    FNewSeek->setEnabled(false);
    FStatus = new QLabel(this);
    FStatus->setObjectName("lblStatus");
    auto* row = new QHBoxLayout();
    row->addWidget(FSeek);
    row->addWidget(FNewSeek);
    row->addStretch(1);
    auto* box = new QVBoxLayout(this);
    box->addWidget(FEditor, 1);
    box->addLayout(row);
    box->addWidget(FStatus);
    connect(FSeek, &QPushButton::clicked, this, [this] { Seek(); });
    connect(FNewSeek, &QCheckBox::toggled, this, [this](bool on) { NewSeekToggled(on); });
}

void TFindTextF::NewSeekToggled(bool on) {
    FMode = on ? smFromFirst : smFromCurrent;
}

void TFindTextF::KeepOffRow(const QRect& row) {
    if (!isVisible()) return;
    const QRect frame = frameGeometry();
    QRect area(0, 0, 1280, 1024);
    if (QScreen* s = screen()) area = s->availableGeometry();
    auto rect = [](const QRect& r) {
        return TScreenRect{r.left(), r.top(), r.width(), r.height()};
    };
    const TScreenRect to = WindowOffRow(rect(frame), rect(row), rect(area));
    if (to.Left != frame.left() || to.Top != frame.top()) move(to.Left, to.Top);
}

int TFindTextF::Seek() {
    FStatus->setText(txtFindText);
    TTableGrid* grid = FView.Grid();
    const int current = grid->CurrentRow() - TTableGrid::FixedRows;
    const int32_t currentRow = current < FView.Data().RowCount() ? current : -1;
    const int32_t found = FView.Data().Seek(TTableData::SeekStart(FMode, currentRow));
    const QSignalBlocker block(FNewSeek);
    if (found >= 0) {
        grid->CenterCurrentRow(found + TTableGrid::FixedRows);
        KeepOffRow(grid->RowScreenRect(grid->CurrentRow()));
        FStatus->setText("Ok");
        FSeek->setText(txtSeek);
        FNewSeek->setChecked(false);
        FNewSeek->setEnabled(true);
        FMode = smAfterCurrent;
        return found + TTableGrid::FixedRows;
    }
    FStatus->setText(txtNotFound);
    Dialogs().ShowMessageBox(txtNotFound, TMsgKind::Information, mbOK);
    FNewSeek->setChecked(true);
    FNewSeek->setEnabled(false);
    FSeek->setText(txtNewSeek);
    FMode = smFromFirst;
    return -1;
}

} // namespace vorelt
