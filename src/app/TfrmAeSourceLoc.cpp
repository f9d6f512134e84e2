#include "app/TfrmAeSourceLoc.h"

#include "persist/TNumberFormat.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "processing/location/TSchemaSensorPlaces.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"
#include "viewmodel/dialogs/processors/TSensorTableRules.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

constexpr int ColChan = 0;
constexpr int ColPipe = 4;

QString Cell(const QTableWidget* table, int row, int col) {
    const QTableWidgetItem* item = table->item(row, col);
    return item ? item->text() : QString();
}

} // namespace

TfrmAeSourceLoc::TfrmAeSourceLoc(TGVCPUSourceLoc& processor, const TPageContext& context,
                                 QWidget* parent)
    : QWidget(parent), FProcessor(processor), FContext(context) {
    setObjectName("frmAeSourceLoc");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* form = new QFormLayout();
    FVelocity = new QLineEdit(this);
    FVelocity->setObjectName("edVelocity");
    TNumberEdit::Attach(FVelocity, TNumberRule{TNumberKind::Decimal});
    connect(FVelocity, &QLineEdit::editingFinished, this, [this] { VelocityLeft(); });
    form->addRow("Velocity [m/s]:", FVelocity);
    FMethod = new QComboBox(this);
    FMethod->setObjectName("cbMethod");
    FMethod->addItem("Planar", static_cast<int>(TLocMethod::Planar));
    FMethod->addItem("Linear", static_cast<int>(TLocMethod::Linear));
    connect(FMethod, &QComboBox::currentIndexChanged, this, [this] { MethodLeft(); });
    form->addRow("Method:", FMethod);
    FArrival = new QComboBox(this);
    FArrival->setObjectName("cbArrival");
    FArrival->addItem("Hit Time", static_cast<int>(TArrivalSource::HitTime));
    FArrival->addItem("Picked Arrival Time", static_cast<int>(TArrivalSource::PickedArrival));
    connect(FArrival, &QComboBox::currentIndexChanged, this, [this] { ArrivalLeft(); });
    form->addRow("Arrival Times:", FArrival);
    FDiameter = new QLineEdit(this);
    FDiameter->setObjectName("edDiameter");
    TNumberEdit::Attach(FDiameter, TNumberRule{TNumberKind::Decimal});
    connect(FDiameter, &QLineEdit::editingFinished, this, [this] { DiameterLeft(); });
    form->addRow("Circle Diameter [mm]:", FDiameter);
    layout->addLayout(form);

    auto* bar = new QHBoxLayout();
    auto addButton = [this, bar](const char* name, const char* caption, auto slot) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        bar->addWidget(b);
    };
    addButton("btAddSensor", "Add", [this] { AddRow(); });
    addButton("btDeleteSensor", "Delete", [this] { DeleteRow(); });
    addButton("btImportLayout", "Import...", [this] { ImportLayout(); });
    addButton("btFromPipeSchema", "From Pipe Schema", [this] { FromPipeSchema(); });
    bar->addStretch(1);
    layout->addLayout(bar);

    FTable = new QTableWidget(0, 5, this);
    FTable->setObjectName("sgSensors");
    FTable->setHorizontalHeaderLabels({"Chan", "X [mm]", "Y [mm]", "Z [mm]", "Pipe"});
    FTable->verticalHeader()->setVisible(false);
    FTable->horizontalHeader()->setStretchLastSection(true);
    FTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    AttachNumberCells(FTable, {1, 2, 3}, TNumberRule{TNumberKind::Decimal});
    // A sound table is stored as it is typed; a refused one waits until the page is left.
    connect(FTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (FFilling || item->column() == ColPipe) return;
        if (item->text().contains('.')) return; // comes back with the comma
        TableLeft(false);
    });
    layout->addWidget(FTable, 1);

    ShowValues();
}

void TfrmAeSourceLoc::ShowValues() {
    const TSensorLayout& l = FProcessor.Layout();
    {
        const QSignalBlocker b1(FMethod);
        const QSignalBlocker b2(FArrival);
        FMethod->setCurrentIndex(std::max(0, FMethod->findData(static_cast<int>(l.Method()))));
        FArrival->setCurrentIndex(std::max(0, FArrival->findData(static_cast<int>(l.Arrival()))));
    }
    FVelocity->setText(QString::fromStdString(SensorNumberText(l.Velocity())));
    FDiameter->setText(QString::fromStdString(SensorNumberText(FProcessor.CircleDiameter())));
    ShowTable();
}

void TfrmAeSourceLoc::ShowTable() {
    FFilling = true;
    const std::vector<TSensorRowText> rows = SensorRows(FProcessor.Layout());
    FTable->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TSensorRowText& row = rows[static_cast<size_t>(r)];
        const std::string cells[] = {row.Chan, row.X, row.Y, row.Z,
                                     SensorPipeText(FProcessor.Layout().Sensors()[r])};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (c == ColPipe) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            FTable->setItem(r, c, item);
        }
    }
    FFilling = false;
}

void TfrmAeSourceLoc::Changed() {
    FProcessor.Changed(true);
    if (FContext.RefreshNode) FContext.RefreshNode();
}

void TfrmAeSourceLoc::Tell(const std::string& text) {
    Dialogs().ShowMessageBox(text, TMsgKind::Error, mbOK);
}

bool TfrmAeSourceLoc::TableLeft(bool tell) {
    std::vector<TSensorRowText> rows;
    rows.reserve(static_cast<size_t>(FTable->rowCount()));
    for (int r = 0; r < FTable->rowCount(); ++r)
        rows.push_back({Cell(FTable, r, ColChan).toStdString(), Cell(FTable, r, 1).toStdString(),
                        Cell(FTable, r, 2).toStdString(), Cell(FTable, r, 3).toStdString()});
    TSensorLayout layout = FProcessor.Layout();
    std::string error;
    int row = -1;
    if (!SensorsFromRows(rows, layout, error, row)) {
        if (tell) {
            FTable->selectRow(row);
            Tell(error);
        }
        return false;
    }
    if (layout == FProcessor.Layout()) return true;
    FProcessor.SetLayout(layout);
    Changed();
    return true;
}

void TfrmAeSourceLoc::VelocityLeft() {
    if (RefusedNumber(FVelocity)) return;
    TSensorLayout layout = FProcessor.Layout();
    std::string error;
    if (!VelocityFromText(FVelocity->text().toStdString(), layout, error)) {
        Tell(error);
        return;
    }
    if (layout == FProcessor.Layout()) return;
    FProcessor.SetLayout(layout);
    Changed();
}

void TfrmAeSourceLoc::DiameterLeft() {
    if (RefusedNumber(FDiameter)) return;
    long double d = 0;
    if (!TryStrToFloat(FDiameter->text().toStdString(), d)) return;
    if (static_cast<double>(d) == FProcessor.CircleDiameter()) return;
    if (!FProcessor.SetCircleDiameter(static_cast<double>(d))) {
        Tell("Invalid Diameter");
        return;
    }
    Changed();
}

void TfrmAeSourceLoc::MethodLeft() {
    const auto method = static_cast<TLocMethod>(FMethod->currentData().toInt());
    if (method == FProcessor.Layout().Method()) return;
    TSensorLayout layout = FProcessor.Layout();
    layout.SetMethod(method);
    FProcessor.SetLayout(layout);
    Changed();
}

void TfrmAeSourceLoc::ArrivalLeft() {
    const auto arrival = static_cast<TArrivalSource>(FArrival->currentData().toInt());
    if (arrival == FProcessor.Layout().Arrival()) return;
    TSensorLayout layout = FProcessor.Layout();
    layout.SetArrival(arrival);
    FProcessor.SetLayout(layout);
    Changed();
}

void TfrmAeSourceLoc::AddRow() {
    const int r = FTable->rowCount();
    FFilling = true;
    FTable->insertRow(r);
    for (int c = 0; c < 5; ++c) {
        auto* item = new QTableWidgetItem();
        if (c == ColPipe) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        FTable->setItem(r, c, item);
    }
    FFilling = false;
    FTable->setCurrentCell(r, ColChan);
    FTable->editItem(FTable->item(r, ColChan));
}

void TfrmAeSourceLoc::DeleteRow() {
    const int r = FTable->currentRow();
    if (r < 0) return;
    FFilling = true;
    FTable->removeRow(r);
    FFilling = false;
    TableLeft(true);
}

void TfrmAeSourceLoc::ImportLayout() {
    TFileDialogOptions o;
    o.Title = "Import Sensor Layout";
    o.Filter = "Sensor Layout (*.csv)|*.csv|All Files (*.*)|*.*";
    o.DefaultExt = "csv";
    o.MustExist = true;
    std::string fileName;
    if (!Dialogs().OpenFile(o, fileName)) return;
    TSensorLayout layout = FProcessor.Layout();
    std::string error;
    if (!layout.ReadCsv(fileName, error)) {
        Tell(error);
        return;
    }
    FProcessor.SetLayout(layout);
    ShowTable();
    Changed();
}

void TfrmAeSourceLoc::FromPipeSchema() {
    TAEOBJ3D* schema = FindPipeSchema(FProcessor);
    if (!schema) {
        Tell("No Pipe Schema");
        return;
    }
    TSensorLayout layout = FProcessor.Layout();
    std::string error;
    if (!PlaceSensorsFromSchema(*schema, layout, error)) {
        Tell(error);
        return;
    }
    FProcessor.SetLayout(layout);
    ShowTable();
    Changed();
}

void TfrmAeSourceLoc::CommitEdits() {
    VelocityLeft();
    DiameterLeft();
    TableLeft(true);
}

} // namespace vorelt
