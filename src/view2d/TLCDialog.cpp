#include "view2d/TLCDialog.h"

#include "model/TAEField.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEListFields.h"
#include "model/TFieldPicker.h"
#include "persist/TGVVariants.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/TLCCondition.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"
#include "view2d/TPickerMenu.h"
#include "viewmodel/dialogs/processors/TLCEditRules.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace vorelt {

TLCDialog::TLCDialog(const TAEListFields& layout, const TGVVariants* variants, bool editing,
                     QWidget* parent)
    : QDialog(parent), FLayout(layout), FVariants(variants) {
    setObjectName("LCDialog");
    setWindowTitle(QString::fromStdString(LCConditionDialogTitle(editing)));
    auto* grid = new QGridLayout();
    FSelectField = new QPushButton("Select Field", this);
    FSelectField->setObjectName("btnSelectField");
    FFieldMenu = new QMenu(this);
    FFieldMenu->setObjectName("ppFields");
    FSelectField->setMenu(FFieldMenu);
    FFieldLabel = new QLabel(this);
    FFieldLabel->setObjectName("lblField");
    FOperation = new QComboBox(this);
    FOperation->setObjectName("cbOperation");
    FValue = new QLineEdit(this);
    FValue->setObjectName("edValue");
    // A number field's value is a number of its type; other values are the field's to judge.
    TNumberEdit::Attach(FValue, [this] {
        return FField && IsNumericType(FField->DataType())
                   ? NumberRuleOfType(FField->DataType())
                   : TNumberRule{TNumberKind::Decimal, true};
    });
    FVariant = new QComboBox(this);
    FVariant->setObjectName("cbVariant");
    grid->addWidget(FSelectField, 0, 0);
    grid->addWidget(FFieldLabel, 0, 1);
    grid->addWidget(new QLabel("Operation", this), 1, 0);
    grid->addWidget(FOperation, 1, 1);
    grid->addWidget(new QLabel("Value", this), 2, 0);
    grid->addWidget(FValue, 2, 1);
    grid->addWidget(new QLabel("Variant", this), 3, 0);
    grid->addWidget(FVariant, 3, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FOk = buttons->button(QDialogButtonBox::Ok);
    FOk->setObjectName("btnOk");
    FOk->setEnabled(false);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(grid);
    layoutBox->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(FVariant, &QComboBox::currentIndexChanged, this, [this](int i) { VariantChosen(i); });
    BuildFieldMenu();
}

TLCDialog::~TLCDialog() = default;

void TLCDialog::BuildFieldMenu() {
    FFieldMenu->clear();
    FillPickerMenu(*FFieldMenu, BuildFieldPickerMenu(FLayout, fpmCondition, {}, {}),
                   [this](const TAEField* f) { SelectField(f); });
}

void TLCDialog::SelectField(const TAEField* field) {
    FField = field;
    FOperation->clear();
    FVariant->blockSignals(true);
    FVariant->clear();
    FVariant->addItem(QString(), QString());
    FValue->setReadOnly(false);
    FValue->setEnabled(true);
    if (!field) {
        FFieldLabel->clear();
        FOk->setEnabled(false);
        FVariant->blockSignals(false);
        return;
    }
    FFieldLabel->setText(QString::fromStdString(field->GetDisplayName()));
    for (uint8_t op : LCOperationsForType(field->DataType()))
        FOperation->addItem(QString::fromStdString(std::string(ConditionOperationSymbol(op))), op);
    if (FVariants)
        for (int i = 0; i < FVariants->Count(); ++i) {
            const TGVVariant* v = FVariants->Get(i);
            if (v && LCVariantFitsType(v->Kind(), field->DataType()))
                FVariant->addItem(QString::fromStdString(v->GetDisplayName()),
                                  QString::fromStdString(v->ID()));
        }
    FVariant->blockSignals(false);
    if (field->DataType() == dtBoolean) {
        FValue->setText("True");
        FValue->setReadOnly(true);
    } else {
        FValue->clear();
    }
    FOk->setEnabled(true);
}

void TLCDialog::VariantChosen(int index) {
    const bool variant = index > 0;
    if (variant) FValue->clear();
    FValue->setEnabled(!variant);
}

void TLCDialog::Prefill(const TLCCondition& condition) {
    SelectField(FLayout.FindByID(condition.FieldID()));
    const int op = FOperation->findData(condition.Operation());
    if (op >= 0) FOperation->setCurrentIndex(op);
    const int v = FVariant->findData(QString::fromStdString(condition.VariantID()));
    if (!condition.VariantID().empty() && v > 0) {
        FVariant->setCurrentIndex(v);
    } else if (FField) {
        FValue->setText(QString::fromStdString(condition.Value()));
    }
}

bool TLCDialog::TryAccept() {
    if (!FField) return false;
    FResultFieldID = FField->ID();
    FResultOperation = FOperation->currentIndex() >= 0
                           ? static_cast<uint8_t>(FOperation->currentData().toInt())
                           : static_cast<uint8_t>(coEquals);
    FResultVariantID = FVariant->currentIndex() > 0
                           ? FVariant->currentData().toString().toStdString()
                           : std::string();
    if (!FResultVariantID.empty()) {
        FResultValue.clear();
        return true;
    }
    const std::string text = Trim(FValue->text().toStdString());
    if (IsNumericType(FField->DataType()))
        if (const std::string refusal = TNumberEdit::CheckAll({FValue}); !refusal.empty()) {
            Dialogs().ShowMessageBox(refusal, TMsgKind::Information, mbOK);
            return false;
        }
    std::unique_ptr<TAEField> probe = FField->Clone(cmConstant);
    probe->SetReadOnly(false);
    try {
        // Numbers go through the parser of the field's kind first: writing text into a number
        // field never fails, the parser says what is wrong with it.
        if (IsIntegerType(FField->DataType()))
            StrToInt64(text);
        else if (IsFloatType(FField->DataType()))
            StrToFloat(text);
        probe->SetAsString(text);
    } catch (const std::exception& e) {
        Dialogs().ShowMessageBox(e.what(), TMsgKind::Information, mbOK);
        return false;
    }
    FResultValue = probe->GetAsString();
    return true;
}

} // namespace vorelt
