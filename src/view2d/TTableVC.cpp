#include "view2d/TTableVC.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/IProcessorContext.h"
#include "processing/TAEMessages.h"
#include "processing/table/TGVCPUTbl.h"
#include "processing/table/TTableCsv.h"
#include "project/TDispatchDraw.h"
#include "view2d/IDialogService.h"
#include "view2d/TFindTextF.h"
#include "view2d/TTableGrid.h"
#include "view2d/TWaveformWindow.h"
#include "viewmodel/waveform/TTableWaveformHits.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace vorelt {

namespace {

// Holds the keyboard and the mouse while an export runs: Esc asks it to stop, everything else
// waits, so no other command starts in the middle of the file.
class TEscapeWatch : public QObject {
public:
    bool Stop = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) Stop = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

} // namespace

TTableVC::TTableVC(TGVCPUTbl* processor) : TPanelVC(processor), FTable(processor) {
    Panel()->setObjectName("pnlTable");
    FGrid = new TTableGrid(*this, Content());
    QFont bold = FGrid->font();
    FTabStrip = new QTabBar(Content());
    FTabStrip->setObjectName("tsTabs");
    bold.setBold(true);
    FTabStrip->setFont(bold);
    FTabStrip->setShape(QTabBar::RoundedSouth);
    FTabStrip->setFixedHeight(24);
    FTabStrip->hide();
    ContentLayout()->addWidget(FGrid, 1);
    ContentLayout()->addWidget(FTabStrip);
    QObject::connect(FTabStrip, &QTabBar::currentChanged, FGrid, [this](int i) {
        if (FUpdatingTabs || !FTabStrip->isVisible()) return;
        Data().SetSelectedTab(i);
        UpdateAppearance();
    });

    FShortCutTimer = new QTimer(FGrid);
    FShortCutTimer->setObjectName("ShortCutTimer");
    FShortCutTimer->setSingleShot(true);
    FShortCutTimer->setInterval(500);
    QObject::connect(FShortCutTimer, &QTimer::timeout, FGrid, [this] { ShortCutTimeout(); });

    FEditMenu = new QMenu("Edit", FGrid);
    FEditMenuItem = FEditMenu->menuAction();
    FEditMenuItem->setObjectName("mGVVisualClass");
    FHitMarksItem = FEditMenu->addAction("Hit Marks");
    FHitMarksItem->setObjectName("mHitMarksVC");
    FHitMarksItem->setCheckable(true);
    QObject::connect(FHitMarksItem, &QAction::triggered, FGrid, [this] {
        Data().SetHitMarks(!Data().HitMarks());
        FHitMarksItem->setChecked(Data().HitMarks());
    });
    // "f" and Ctrl+F open it too; the menu says so.
    FFindItem = FEditMenu->addAction("Find\tCtrl+F");
    FFindItem->setObjectName("mFindVC");
    QObject::connect(FFindItem, &QAction::triggered, FGrid, [this] { OpenFindWindow(); });
    FExportItem = new QAction("Export CSV", FGrid);
    FExportItem->setObjectName("mExportCsvVC");
    QObject::connect(FExportItem, &QAction::triggered, FGrid, [this] { ExportCsvInteractive(); });
    FWaveformItem = new QAction("Show Waveform", FGrid);
    FWaveformItem->setObjectName("mShowWaveformVC");
    QObject::connect(FWaveformItem, &QAction::triggered, FGrid,
                     [this] { ShowWaveform(FGrid->CurrentRow()); });
    UpdateAppearance();
}

TTableVC::~TTableVC() {
    if (FFind) delete FFind.data();
    // The waveform window may outlive the view: it then walks no hits.
    if (FWaveHits) FWaveHits->Forget();
}

bool TTableVC::ShowWaveform(int gridRow) {
    if (!FActive || !FTable || Data().RowCount() == 0) return false;
    const int64_t row = gridRow - TTableGrid::FixedRows;
    if (!FWaveHits) FWaveHits = std::make_shared<TTableWaveformHits>(*FTable);
    if (FWaveHits->NextWithWaveform(row, +1) != row) return false;
    TWaveformWindow::Shared(Panel()).ShowHits(FWaveHits, row);
    return true;
}

TTableData& TTableVC::Data() {
    return FTable->Data();
}

const TTableData& TTableVC::Data() const {
    return FTable->Data();
}

// --- Placement ----------------------------------------------------------------------------

void TTableVC::SetWidth(int32_t value) {
    TPanelVC::SetWidth(value);
    RecomputeWidth();
}

void TTableVC::SetHeight(int32_t value) {
    TPanelVC::SetHeight(value);
}

void TTableVC::RecomputeWidth() {
    FGrid->SetColumnWidth(Data().GridColumnWidth(FWidth));
}

void TTableVC::Relayout() {
    FGrid->viewport()->update();
}

// --- Rows ---------------------------------------------------------------------------------

void TTableVC::SetActive(bool value) {
    if (FRecordList && value) {
        TGVVisualClass::SetActive(true);
        UpdateAppearance();
        return;
    }
    bool active = false;
    if (value && FEnabled) {
        std::string error;
        // The first screen shows as soon as its rows are read, while the walk goes on; the
        // scroll range follows the rows read.
        bool shown = false;
        const auto progress = [&](int64_t passed, int64_t total) {
            if (!shown && Data().RowCount() > 0) {
                ShowRows(true);
                shown = true;
            } else if (shown) {
                FGrid->SetRowCount(Data().GridRowCount());
            }
            if (OnProgress) OnProgress(passed, total);
        };
        if (Data().LoadRows(error, OnAborted, progress)) {
            active = true;
        } else if (!OnAborted || !OnAborted()) {
            FTable->AddError(error);
        }
    } else {
        Data().ClearRows();
    }
    ShowRows(active);
}

void TTableVC::ShowRows(bool active) {
    TPanelVC::SetActive(active);
    FGrid->SetRowCount(Data().GridRowCount());
    const int32_t marked = active ? Data().RowOf(FMarkedPosition) : -1;
    FGrid->SetCurrentRow(TTableGrid::FixedRows + std::max(marked, 0));
    FGrid->Rebind();
    RecomputeWidth();
}

void TTableVC::ShowRecordList(const TGVProperties& columns, std::vector<int32_t> positions) {
    FRecordList = true;
    if (QWidget* parent = Panel()->parentWidget()) {
        SetTop(0);
        SetLeft(0);
        SetHeight(parent->height());
        SetWidth(parent->width());
    }
    SetHeaderVisible(false);
    Data().Tabs().Clear();
    TGVProperties& own = Data().Columns();
    own.Clear();
    if (const TAEField* num = FTable->NumRecField()) Data().AddColumn(*num);
    for (int i = 0; i < columns.Count(); ++i)
        if (const TAESaveProperty* c = columns.Get(i)) own.Add(c->Clone());
    Data().SetRows(std::move(positions));
    TGVVisualClass::SetActive(true);
    FGrid->SetRowCount(Data().GridRowCount());
    FGrid->Rebind();
    UpdateAppearance();
}

// --- Appearance ---------------------------------------------------------------------------

void TTableVC::UpdateAppearance() {
    TPanelVC::UpdateAppearance();
    if (!FTable || !FGrid) return;
    if (QLabel* caption = CaptionLabel()) {
        QFont f = caption->font();
        f.setBold(true);
        caption->setFont(f);
        const auto* title = Properties().FindAs<TGVProperty>("Title");
        const uint8_t a = title ? title->GetAlignment() : TGVProperty::AlignLeft;
        caption->setAlignment((a == TGVProperty::AlignRight    ? Qt::AlignRight
                               : a == TGVProperty::AlignCenter ? Qt::AlignHCenter
                                                               : Qt::AlignLeft) |
                              Qt::AlignVCenter);
    }
    TTableData& data = Data();
    FUpdatingTabs = true;
    if (data.TabsInUse() && !FRecordList) {
        while (FTabStrip->count() > 0)
            FTabStrip->removeTab(FTabStrip->count() - 1);
        for (int i = 0; i < data.Tabs().Count(); ++i)
            FTabStrip->addTab(QString::fromStdString(data.Tabs().Get(i)->Name()));
        if (data.Tabs().Count() == 0)
            data.SetSelectedTab(-1);
        else if (data.SelectedTab() < 0)
            data.SetSelectedTab(0);
        FTabStrip->setCurrentIndex(data.SelectedTab());
        FTabStrip->show();
    } else {
        FTabStrip->hide();
    }
    FUpdatingTabs = false;
    FGrid->Rebind();
    RecomputeWidth();
}

// --- Settings and persistence -------------------------------------------------------------

void TTableVC::SaveToNode(TNodePersist& node) const {
    TGVVisualClass::SaveToNode(node);
    Data().SaveToNode(node);
    SaveSlaveWindow(node);
}

void TTableVC::LoadFromNode(const TNodePersist& node) {
    // The processor has read the table's data from the same node.
    TPanelVC::LoadFromNode(node);
    FGrid->Rebind();
    UpdateAppearance();
}

bool TTableVC::ReportFieldUse(const std::string& fieldId, std::vector<std::string>& messages) {
    std::vector<std::string> lines;
    FTable->CollectFieldUses(fieldId, lines, false);
    for (const std::string& line : lines)
        if (std::find(messages.begin(), messages.end(), line) == messages.end())
            messages.push_back(line);
    return !lines.empty();
}

bool TTableVC::UsesField(const std::string& fieldId) const {
    return Data().UsesField(fieldId);
}

void TTableVC::RemoveField(const std::string& fieldId) {
    if (Data().RemoveField(fieldId)) {
        FGrid->Rebind();
        RecomputeWidth();
    }
}

bool TTableVC::Configured() const {
    return Data().Columns().Count() > 0;
}

void TTableVC::SettingsChanged(bool propagate) {
    if (propagate) SetActive(false);
    UpdateAppearance();
}

void TTableVC::ViewMessage(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omDataChanged: {
        FMarkedPosition = -1;
        const bool wasActive = FActive;
        SetActive(false);
        if (wasActive) SetOutdated(true);
        UpdateAppearance();
        break;
    }
    case omSourceState:
        FMarkedPosition = -1;
        SetActive(false);
        FGrid->Rebind();
        UpdateAppearance();
        break;
    case omSelectedAdded:
    case omSelectedRemoved:
    case omDeletedAdded:
    case omDeletedRemoved:
        if (FActive) SetOutdated(true);
        break;
    case omMarkRecord:
        // The hit-marked record becomes the current row where the table shows it, now or
        // when the table reads its rows (its page is shown, say).
        if (!msg.List.empty()) FMarkedPosition = msg.List.front();
        if (FActive && !msg.List.empty()) {
            const int32_t row = Data().RowOf(msg.List.front());
            if (row >= 0) FGrid->SetCurrentRow(row + TTableGrid::FixedRows);
        }
        UpdateAppearance();
        break;
    default:
        // Focus by ID, loss of focus, detaching and check marks.
        TGVVisualClass::ViewMessage(msg);
        break;
    }
}

// --- Interaction --------------------------------------------------------------------------

void TTableVC::Clicked() {
    if (FFocused) return;
    TAEOMSG msg;
    msg.Msg = omTakeFocus;
    msg.Text = FTable->ID();
    FTable->SendUp(msg);
    SetFocusedView(true);
    FGrid->setFocus();
}

bool TTableVC::SendHitMark(int gridRow) {
    if (!FActive || !Data().HitMarks() || Data().RowCount() == 0) return false;
    const int32_t position = Data().RowPosition(gridRow - TTableGrid::FixedRows);
    if (position < 0) return false;
    TAEOMSG msg;
    msg.Msg = omHitMarkRequest;
    msg.Text = FTable->ID();
    msg.List.push_back(position);
    FTable->SendUp(msg);
    return true;
}

void TTableVC::ShortCutKey(int key) {
    std::string ch;
    if (key == Qt::Key_Backspace || key == Qt::Key_Minus || key == 8)
        ch = "-";
    else if (key > 0 && key < 0x80)
        ch = std::string(1, static_cast<char>(key));
    if (!FShortCutTimer->isActive()) FShortCutText.clear();
    FShortCutText += ch;
    FShortCutTimer->start();
}

void TTableVC::SendToProject(uint32_t number) {
    TAEOMSG msg;
    msg.Msg = number;
    msg.Text = FTable->GetName();
    if (IProcessorContext* context = FTable->Context()) context->TopMessage(msg);
}

void TTableVC::ShortCutTimeout() {
    FShortCutTimer->stop();
    const std::string text = FShortCutText;
    FShortCutText.clear();
    if (!FFocused) return;
    switch (InterpretShortCut(text)) {
    case TShortCutAction::Reload:
        SendToProject(omReloadView);
        break;
    case TShortCutAction::FillPage:
        SendToProject(omFillPage);
        break;
    case TShortCutAction::RestoreRect:
        SendToProject(omRestoreRect);
        break;
    case TShortCutAction::Find:
        OpenFindWindow();
        break;
    case TShortCutAction::None:
        break;
    }
}

QList<QAction*> TTableVC::PopupItems() {
    FHitMarksItem->setChecked(Data().HitMarks());
    FExportItem->setEnabled(FActive && Data().RowCount() > 0);
    {
        const int64_t row = FGrid->CurrentRow() - TTableGrid::FixedRows;
        if (!FWaveHits) FWaveHits = std::make_shared<TTableWaveformHits>(*FTable);
        FWaveformItem->setEnabled(FActive && row >= 0 && row < Data().RowCount() &&
                                  FWaveHits->NextWithWaveform(row, +1) == row);
    }
    FFindItem->setEnabled(CanFind());
    return {FEditMenuItem, FWaveformItem, FExportItem};
}

void TTableVC::ShowContextMenu(const QPoint& screenPos) {
    ShowPopup(screenPos);
}

TFindTextF* TTableVC::FindWindow() const {
    return static_cast<TFindTextF*>(FFind.data());
}

bool TTableVC::CanFind() const {
    return FActive && Data().RowCount() > 0;
}

void TTableVC::OpenFindWindow() {
    if (!FFind) FFind = new TFindTextF(*this, Panel()->window());
    FFind->show();
    FFind->raise();
    FFind->activateWindow();
}

void TTableVC::StatusText(const std::string& text) {
    if (OnStatusText) {
        OnStatusText(text);
        return;
    }
    if (auto* main = qobject_cast<QMainWindow*>(MainWindow())) {
        if (text.empty())
            main->statusBar()->clearMessage();
        else
            main->statusBar()->showMessage(QString::fromStdString(text));
    }
}

bool TTableVC::ExportCsv(const std::string& fileName, std::string& error) {
    TEscapeWatch watch;
    qApp->installEventFilter(&watch);
    StatusText("Export CSV...");
    const bool ok =
        ExportTableCsv(*FTable, fileName, error, [this, &watch](int64_t done, int64_t total) {
            const int64_t percent = total > 0 ? done * 100 / total : 100;
            StatusText("Export CSV: " + IntToStr(percent) + " %");
            QCoreApplication::processEvents();
            return !watch.Stop;
        });
    qApp->removeEventFilter(&watch);
    StatusText({});
    return ok;
}

void TTableVC::ExportCsvInteractive() {
    TFileDialogOptions options;
    options.Title = "Export CSV";
    options.Filter = "CSV Files|*.csv";
    options.InitialFile = FTable->GetName() + ".csv";
    options.ConfirmOverwrite = true;
    std::string name;
    if (!Dialogs().SaveFile(options, name) || name.empty()) return;
    std::string error;
    if (!ExportCsv(name, error) && !error.empty())
        Dialogs().ShowMessageBox(error, TMsgKind::Information, mbOK);
}

} // namespace vorelt
