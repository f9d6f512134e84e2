#include "app/TFParametric.h"

#include "model/TAEField.h"
#include "model/TAEListFields.h"
#include "processing/db/TGVDb.h"
#include "project/TIniApplic.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"
#include "view2d/TPickerMenu.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

void ReadBounds(TIniApplic* settings, const char* section, QWidget& w) {
    if (!settings || !settings->File().SectionExists(section)) return;
    int32_t top = w.y(), left = w.x(), width = w.width(), height = w.height();
    settings->ReadBounds(section, top, width, height, left);
    w.setGeometry(left, top, width, height);
}

void WriteBounds(TIniApplic* settings, const char* section, const QWidget& w) {
    if (!settings) return;
    const QRect g = w.geometry();
    settings->WriteBounds(section, g.top(), g.left(), g.height(), g.width());
}

} // namespace

// --- Field dialog ---------------------------------------------------------------------------

TFParametricField::TFParametricField(TParametricFields& fields, TParametricFieldEdit edit,
                                     TIniApplic* settings, QWidget* parent)
    : QDialog(parent), FFields(fields), FEdit(std::move(edit)), FSettings(settings) {
    setObjectName("FParametricField");
    setWindowTitle(FEdit.Editing ? "Edit Field" : "Add Field");
    resize(460, 260);
    FPages = new QTabWidget(this);
    auto* attributes = new QWidget(FPages);
    auto* form = new QFormLayout(attributes);
    FName = new QLineEdit(QString::fromStdString(FEdit.FieldName), attributes);
    FName->setObjectName("edFieldName");
    FName->setMaxLength(TParametricFields::MaxNameLength);
    FName->setReadOnly(FEdit.Editing);
    AttachNameKeys(FName);
    FDisplayName = new QLineEdit(QString::fromStdString(FEdit.DisplayName), attributes);
    FDisplayName->setObjectName("edDisplayName");
    FDimension = new QLineEdit(QString::fromStdString(FEdit.DisplayDimension), attributes);
    FDimension->setObjectName("edDisplayDimension");
    form->addRow("Field Name", FName);
    form->addRow("Display Name", FDisplayName);
    form->addRow("Display Dimension", FDimension);
    FPages->addTab(attributes, "Attributes");

    auto* code = new QWidget(FPages);
    auto* codeForm = new QFormLayout(code);
    auto* sourceRow = new QHBoxLayout();
    FSource = new QLineEdit(code);
    FSource->setObjectName("edSourceField");
    FSource->setReadOnly(true);
    auto* select = new QPushButton("Select Field", code);
    select->setObjectName("btnSelectField");
    FSourceMenu = new QMenu(select);
    FSourceMenu->setObjectName("ppSourceFields");
    select->setMenu(FSourceMenu);
    connect(FSourceMenu, &QMenu::aboutToShow, this, [this] { PrepareSourceMenu(); });
    sourceRow->addWidget(FSource, 1);
    sourceRow->addWidget(select);
    codeForm->addRow("Field", sourceRow);
    codeForm->addRow(new QLabel(" Value = <Field> * Factor - Offset", code));
    FFactor = new QLineEdit(QString::fromStdString(FEdit.FactorText), code);
    FFactor->setObjectName("edFactor");
    TNumberEdit::Attach(FFactor, TParametricFields::FactorRule);
    FOffset = new QLineEdit(QString::fromStdString(FEdit.OffsetText), code);
    FOffset->setObjectName("edOffset");
    TNumberEdit::Attach(FOffset, TParametricFields::FactorRule);
    codeForm->addRow("Factor", FFactor);
    codeForm->addRow("Offset", FOffset);
    FPages->addTab(code, "Field Code");

    // The source shows on the window colour once it is known; unknown, the box stays empty.
    const TAEField* source =
        FEdit.SourceID.empty() ? nullptr : fields.Db().FindField(FEdit.SourceID);
    if (source) FSource->setText(QString::fromStdString(source->FieldName()));
    FSource->setBackgroundRole(source ? QPalette::Base : QPalette::Button);
    FSource->setAutoFillBackground(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FPages, 1);
    layout->addWidget(buttons);
    ReadBounds(FSettings, "PARAMETRICFIELD", *this);
}

TFParametricField::~TFParametricField() {
    WriteBounds(FSettings, "PARAMETRICFIELD", *this);
}

void TFParametricField::PrepareSourceMenu() {
    FSourceMenu->clear();
    TAEListFields layout;
    FFields.Db().GetFields(&layout, true);
    std::vector<std::string> checked;
    if (!FEdit.SourceID.empty()) checked.push_back(FEdit.SourceID);
    FillPickerMenu(*FSourceMenu,
                   BuildFieldPickerMenu(layout, fpmNumeric, FFields.SourceExclusions(), checked),
                   [this](const TAEField* f) { ChooseSource(f); });
}

void TFParametricField::ChooseSource(const TAEField* field) {
    if (!field || !FFields.CanBeSource(*field)) return;
    FEdit.SourceID = field->ID();
    FSource->setText(QString::fromStdString(field->GetDisplayName()));
    FSource->setBackgroundRole(QPalette::Base);
}

bool TFParametricField::TryAccept() {
    FEdit.FieldName = FName->text().toStdString();
    FEdit.DisplayName = FDisplayName->text().toStdString();
    FEdit.DisplayDimension = FDimension->text().toStdString();
    FEdit.FactorText = FFactor->text().toStdString();
    FEdit.OffsetText = FOffset->text().toStdString();
    const TParametricCheck check = FFields.Check(FEdit);
    if (check.Ok) return true;
    FPages->setCurrentIndex(check.Page == TParametricPage::Attributes ? 0 : 1);
    if (check.Page == TParametricPage::FieldCode) TNumberEdit::CheckAll({FFactor, FOffset});
    Dialogs().ShowMessageBox(check.Message, TMsgKind::Error, mbOK);
    return false;
}

// --- The window -----------------------------------------------------------------------------

TFParametric::TFParametric(TGVDb& db, TIniApplic* settings, QWidget* parent)
    : QDialog(parent), FDb(db), FFields(db), FSettings(settings) {
    setObjectName("FParametric");
    setWindowTitle("Parametric Data");
    setSizeGripEnabled(true);
    resize(720, 360);
    auto* tools = new QToolBar(this);
    auto tool = [this, tools](const char* name, const char* caption, QStyle::StandardPixmap icon,
                              void (TFParametric::*run)()) {
        auto* a = new QAction(style()->standardIcon(icon), caption, tools);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, run);
        tools->addAction(a);
        tools->widgetForAction(a)->setObjectName(name);
    };
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tool("tbAddField", "Add Field", QStyle::SP_FileDialogNewFolder, &TFParametric::AddField);
    tool("tbEditField", "Edit Field", QStyle::SP_FileDialogDetailedView, &TFParametric::EditField);
    tool("tbDeleteField", "Delete Field", QStyle::SP_TrashIcon, &TFParametric::DeleteField);
    tool("tbInfo", "Info", QStyle::SP_MessageBoxInformation, &TFParametric::Info);
    FList = new QTreeWidget(this);
    FList->setObjectName("lvParametric");
    FList->setRootIsDecorated(false);
    FList->setWordWrap(true);
    FList->setHeaderLabels({"Name", "Field", "Factor", "Offset"});
    FList->header()->resizeSection(0, 250);
    FList->header()->resizeSection(1, 150);
    FList->header()->resizeSection(2, 100);
    FList->header()->setStretchLastSection(true);
    connect(FList, &QTreeWidget::currentItemChanged, this, [this] { UpdateTools(); });
    connect(FList, &QTreeWidget::itemDoubleClicked, this, [this] { EditField(); });
    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tools);
    layout->addWidget(FList, 1);
    layout->addLayout(bottom);
    ReadBounds(FSettings, "PARAMETRIC", *this);
    Refresh();
}

TFParametric::~TFParametric() {
    SaveBounds();
}

void TFParametric::done(int result) {
    SaveBounds();
    QDialog::done(result);
}

void TFParametric::SaveBounds() {
    if (FSaved) return;
    FSaved = true;
    WriteBounds(FSettings, "PARAMETRIC", *this);
}

QToolButton* TFParametric::Tool(const char* name) const {
    return findChild<QToolButton*>(name);
}

int TFParametric::Selected() const {
    return FList->indexOfTopLevelItem(FList->currentItem());
}

void TFParametric::Refresh() {
    const int current = Selected();
    FList->clear();
    for (int i = 0; i < FFields.Count(); ++i) {
        const TParametricRow r = FFields.Row(i);
        auto* item = new QTreeWidgetItem(
            FList, {QString::fromStdString(r.Name), QString::fromStdString(r.Source),
                    QString::fromStdString(r.Factor), QString::fromStdString(r.Offset)});
        for (int c = 0; c < 4; ++c)
            item->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (current >= 0 && current < FList->topLevelItemCount())
        FList->setCurrentItem(FList->topLevelItem(current));
    UpdateTools();
}

void TFParametric::UpdateTools() {
    const bool any = Selected() >= 0;
    Tool("tbAddField")->setEnabled(true);
    Tool("tbEditField")->setEnabled(any);
    Tool("tbDeleteField")->setEnabled(any);
    Tool("tbInfo")->setEnabled(any);
}

void TFParametric::AddField() {
    TFParametricField dialog(FFields, FFields.NewEdit(), FSettings, this);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    if (!FFields.Add(dialog.Edit())) return;
    Refresh();
    FList->setCurrentItem(FList->topLevelItem(FList->topLevelItemCount() - 1));
}

void TFParametric::EditField() {
    const int i = Selected();
    if (!FFields.Field(i)) return;
    TFParametricField dialog(FFields, FFields.EditOf(i), FSettings, this);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    FFields.Apply(i, dialog.Edit());
    Refresh();
}

void TFParametric::DeleteField() {
    std::string message;
    if (!FFields.Delete(Selected(), message)) {
        if (!message.empty()) Dialogs().ShowMessageBox(message, TMsgKind::Warning, mbOK);
        return;
    }
    Refresh();
}

void TFParametric::Info() {
    const std::string text = FFields.Info(Selected());
    if (!text.empty()) Dialogs().ShowMessageBox(text, TMsgKind::Information, mbOK);
}

} // namespace vorelt
