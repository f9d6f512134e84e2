#include "app/TfrmAePrc.h"

#include "model/TAEField.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEFields.h"
#include "model/TAEListFields.h"
#include "persist/TGVVariant.h"
#include "persist/TGVVariants.h"
#include "persist/TTextHelpers.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/expr/TPreProcessor.h"
#include "processing/math/TAEStatFunc.h"
#include "processing/math/TGVCPUPrc.h"
#include "view2d/IDialogService.h"
#include "view2d/TFieldListBar.h"
#include "view2d/TNumberEdit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

constexpr uint8_t CalcTypes[] = {dtInteger, dtExtended, dtBoolean, dtString};

// The fields that reach the processor, the processor's own included.
std::vector<const TAEField*> FieldsOf(const TGVCPU& processor, const TAEField* except) {
    TAEListFields layout;
    processor.GetFields(&layout, false);
    std::vector<const TAEField*> out;
    for (int i = 0; i < layout.FieldCount(); ++i)
        if (const TAEField* f = layout.FieldAt(i); f && f != except) out.push_back(f);
    return out;
}

std::string FieldCaption(const TGVCPU& processor, const std::string& id) {
    if (const TAEField* f = processor.FindField(id)) return f->GetDisplayName();
    return id;
}

} // namespace

// ---- Calculated-field dialog ---------------------------------------------------------------

TCalcFieldDialog::TCalcFieldDialog(TGVCPUPrc& processor, TAEField& field, bool editing,
                                   QWidget* parent)
    : QDialog(parent), FProcessor(processor), FField(field), FEditing(editing) {
    setObjectName("CalcFieldDialog");
    setWindowTitle(QString::fromStdString(std::string(editing ? "Edit" : "Add") + " " +
                                          std::string(DataTypeName(field.DataType())) + " " +
                                          "Field"));
    auto* layout = new QVBoxLayout(this);
    FPages = new QTabWidget(this);
    layout->addWidget(FPages, 1);

    auto* attrs = new QWidget(FPages);
    attrs->setObjectName("tsAttributes");
    auto* form = new QFormLayout(attrs);
    FName = new QLineEdit(attrs);
    FName->setObjectName("edFieldName");
    FName->setMaxLength(40);
    FName->setReadOnly(editing);
    AttachNameKeys(FName);
    FDisplayName = new QLineEdit(attrs);
    FDisplayName->setObjectName("edDisplayName");
    FDimension = new QLineEdit(attrs);
    FDimension->setObjectName("edDisplayDimension");
    form->addRow("Field Name", FName);
    form->addRow("Display Name", FDisplayName);
    form->addRow("Display Dimension", FDimension);
    FPages->addTab(attrs, "Attributes");

    auto* code = new QWidget(FPages);
    code->setObjectName("tsCode");
    auto* codeLayout = new QVBoxLayout(code);
    auto* modeRow = new QHBoxLayout();
    FExprMode = new QRadioButton("Expresion", code);
    FExprMode->setObjectName("rbExpresion");
    FFuncMode = new QRadioButton("Function", code);
    FFuncMode->setObjectName("rbFunction");
    modeRow->addWidget(FExprMode);
    modeRow->addWidget(FFuncMode);
    modeRow->addStretch(1);
    codeLayout->addLayout(modeRow);
    FModes = new QStackedWidget(code);
    codeLayout->addWidget(FModes, 1);
    FPages->addTab(code, "Calculate Code");

    auto* exprPage = new QWidget(FModes);
    auto* exprLayout = new QVBoxLayout(exprPage);
    auto* exprBar = new QHBoxLayout();
    auto* addField = new QPushButton("Add Field", exprPage);
    addField->setObjectName("btAddField");
    FFieldMenu = new QMenu(addField);
    for (const TAEField* f : FieldsOf(processor, &field)) {
        const std::string name = f->FieldName();
        QAction* a = FFieldMenu->addAction(QString::fromStdString(f->GetDisplayName()));
        a->setObjectName(QString::fromStdString(name));
        connect(a, &QAction::triggered, this, [this, name] {
            FExpression->insertPlainText(QString::fromStdString("{" + name + "}"));
        });
    }
    addField->setMenu(FFieldMenu);
    auto* addVariant = new QPushButton("Add Variant", exprPage);
    addVariant->setObjectName("btAddVariant");
    FVariantMenu = new QMenu(addVariant);
    if (const TGVVariants* variants = processor.ExprVariants())
        for (int i = 0; i < variants->Count(); ++i) {
            const std::string name = variants->Get(i)->GetDisplayName();
            connect(FVariantMenu->addAction(QString::fromStdString(name)), &QAction::triggered,
                    this, [this, name] {
                        FExpression->insertPlainText(QString::fromStdString("[" + name + "]"));
                    });
        }
    addVariant->setMenu(FVariantMenu);
    auto* check = new QPushButton("Check Expresion", exprPage);
    check->setObjectName("btCheckExpresion");
    connect(check, &QPushButton::clicked, this, [this] { CheckExpression(); });
    exprBar->addWidget(addField);
    exprBar->addWidget(addVariant);
    exprBar->addWidget(check);
    exprBar->addStretch(1);
    exprLayout->addLayout(exprBar);
    FExpression = new QPlainTextEdit(exprPage);
    FExpression->setObjectName("meExpresion");
    exprLayout->addWidget(FExpression, 1);
    FModes->addWidget(exprPage);

    auto* funcPage = new QWidget(FModes);
    auto* funcLayout = new QVBoxLayout(funcPage);
    auto* funcRow = new QHBoxLayout();
    auto* select = new QPushButton("Select Function", funcPage);
    select->setObjectName("btSelectFunction");
    FFunctionMenu = new QMenu(select);
    for (const std::string& name : TGVCPUPrc::FunctionNames())
        connect(FFunctionMenu->addAction(QString::fromStdString(name)), &QAction::triggered, this,
                [this, name] { SelectFunction(name); });
    select->setMenu(FFunctionMenu);
    FFunctionName = new QLabel(funcPage);
    FFunctionName->setObjectName("lbFunction");
    funcRow->addWidget(select);
    funcRow->addWidget(FFunctionName, 1);
    funcLayout->addLayout(funcRow);
    FDescription = new QLabel(funcPage);
    FDescription->setObjectName("lbDescription");
    funcLayout->addWidget(FDescription);
    FParamsBox = new QWidget(funcPage);
    FParamsLayout = new QFormLayout(FParamsBox);
    funcLayout->addWidget(FParamsBox);
    auto* groupRow = new QHBoxLayout();
    FGrouping = new QCheckBox("Grouping Field", funcPage);
    FGrouping->setObjectName("cbGrouping");
    auto* groupSelect = new QPushButton("Select Field", funcPage);
    groupSelect->setObjectName("btGroupField");
    auto* groupMenu = new QMenu(groupSelect);
    for (const TAEField* f : FieldsOf(processor, &field)) {
        const std::string id = f->ID();
        connect(groupMenu->addAction(QString::fromStdString(f->GetDisplayName())),
                &QAction::triggered, this, [this, id] { SelectGroupField(id); });
    }
    groupSelect->setMenu(groupMenu);
    connect(FGrouping, &QCheckBox::toggled, groupSelect, &QWidget::setEnabled);
    groupSelect->setEnabled(false);
    FGroupLabel = new QLabel(funcPage);
    groupRow->addWidget(FGrouping);
    groupRow->addWidget(groupSelect);
    groupRow->addWidget(FGroupLabel, 1);
    funcLayout->addLayout(groupRow);
    funcLayout->addStretch(1);
    FModes->addWidget(funcPage);
    connect(FExprMode, &QRadioButton::toggled, this,
            [this](bool on) { FModes->setCurrentIndex(on ? 0 : 1); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Prefill();
}

void TCalcFieldDialog::Prefill() {
    FName->setText(QString::fromStdString(FField.FieldName()));
    FDisplayName->setText(QString::fromStdString(FField.GetDisplayName()));
    FDimension->setText(QString::fromStdString(FField.GetDisplayDimension()));
    const TAEExpresion* tree = TGVCPUPrc::FieldExpresion(FField);
    const bool expression = FEditing && tree && tree->TypeElem() == teRoot;
    // A new field opens in function mode.
    FFuncMode->setChecked(!expression);
    FExprMode->setChecked(expression);
    FModes->setCurrentIndex(expression ? 0 : 1);
    if (expression) FExpression->setPlainText(QString::fromStdString(tree->ToText()));
    if (tree && tree->TypeElem() == teFunction) {
        FParams.clear();
        std::string group;
        for (int i = 0; i < tree->Count(); ++i) {
            const TAEExpresion* c = tree->Items(i);
            if (c->TypeElem() == teGroupField) group = c->ID();
            if (c->TypeElem() == teParam) FParams.push_back({c->Name(), c->ID(), c->Text()});
        }
        const std::vector<TStatFormParam> kept = FParams;
        SelectFunction(tree->Text());
        FParams = kept;
        BuildParameters();
        if (!group.empty()) {
            FGrouping->setChecked(true);
            SelectGroupField(group);
        }
    }
}

void TCalcFieldDialog::SelectFunction(const std::string& name) {
    std::unique_ptr<TAEStatFunc> f = CreateStatFunc(name, &FProcessor);
    if (!f) return;
    FFunction = f->GetName();
    FFunctionName->setText(QString::fromStdString(FFunction));
    FDescription->setText(QString::fromStdString(f->Description()));
    FGrouping->setEnabled(f->GroupingAllowed());
    if (!f->GroupingAllowed()) FGrouping->setChecked(false);
    std::vector<TStatFormParam> params;
    for (const auto& [pname, isField] : FunctionParameters(FFunction)) {
        TStatFormParam p;
        p.Name = pname;
        for (const TStatFormParam& old : FParams)
            if (SameTextTrimmed(old.Name, pname)) p = old;
        (void)isField;
        params.push_back(p);
    }
    FParams = params;
    BuildParameters();
}

void TCalcFieldDialog::BuildParameters() {
    while (FParamsLayout->rowCount() > 0)
        FParamsLayout->removeRow(0);
    FConstants.clear();
    FFieldLabels.clear();
    for (const auto& [pname, isField] : FunctionParameters(FFunction)) {
        TStatFormParam* p = nullptr;
        for (TStatFormParam& q : FParams)
            if (q.Name == pname) p = &q;
        auto* row = new QWidget(FParamsBox);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        const std::string key = pname;
        if (isField) {
            auto* b = new QPushButton("Select Field", row);
            b->setObjectName(QString::fromStdString("btParam" + key));
            auto* menu = new QMenu(b);
            for (const TAEField* f : FieldsOf(FProcessor, &FField)) {
                const std::string id = f->ID();
                connect(menu->addAction(QString::fromStdString(f->GetDisplayName())),
                        &QAction::triggered, this,
                        [this, key, id] { SelectParameterField(key, id); });
            }
            b->setMenu(menu);
            auto* label =
                new QLabel(p && !p->FieldID.empty()
                               ? QString::fromStdString(FieldCaption(FProcessor, p->FieldID))
                               : QString(),
                           row);
            h->addWidget(b);
            h->addWidget(label, 1);
            FFieldLabels.emplace_back(key, label);
        } else {
            auto* e = new QLineEdit(p ? QString::fromStdString(p->Text) : QString(), row);
            e->setObjectName(QString::fromStdString("edParam" + key));
            TNumberEdit::Attach(e, CalcConstantRule);
            h->addWidget(e, 1);
            FConstants.emplace_back(key, e);
        }
        FParamsLayout->addRow(QString::fromStdString(pname), row);
    }
}

QLineEdit* TCalcFieldDialog::ConstantEdit(const std::string& param) const {
    for (const auto& [k, e] : FConstants)
        if (SameTextTrimmed(k, param)) return e;
    return nullptr;
}

void TCalcFieldDialog::SelectParameterField(const std::string& param, const std::string& id) {
    for (TStatFormParam& p : FParams)
        if (SameTextTrimmed(p.Name, param)) p.FieldID = id;
    for (const auto& [k, label] : FFieldLabels)
        if (SameTextTrimmed(k, param))
            label->setText(QString::fromStdString(FieldCaption(FProcessor, id)));
}

void TCalcFieldDialog::SelectGroupField(const std::string& id) {
    FGroupFieldID = id;
    FGroupLabel->setText(QString::fromStdString(FieldCaption(FProcessor, id)));
}

void TCalcFieldDialog::Show(const std::string& text) {
    Dialogs().ShowMessageBox(text, TMsgKind::Information, mbOK);
}

void TCalcFieldDialog::CheckExpression() {
    const std::string text = Trim(FExpression->toPlainText().toStdString());
    if (text.empty()) return;
    TAEExpresion trial(&FProcessor);
    TPreProcessor pp;
    pp.SetText(text);
    std::string error;
    Show(pp.Compile(trial, error) ? std::string("Ok") : error);
}

TCalcFieldInput TCalcFieldDialog::Input() const {
    TCalcFieldInput in;
    in.Name = FName->text().toStdString();
    in.DisplayName = FDisplayName->text().toStdString();
    in.Dimension = FDimension->text().toStdString();
    in.ExpressionMode = FExprMode->isChecked();
    in.Expression = FExpression->toPlainText().toStdString();
    in.Function = FFunction;
    in.Grouping = FGrouping->isChecked();
    in.GroupFieldID = FGroupFieldID;
    in.Params = FParams;
    for (TStatFormParam& p : in.Params)
        if (QLineEdit* e = ConstantEdit(p.Name)) p.Text = e->text().toStdString();
    return in;
}

bool TCalcFieldDialog::TryAccept() {
    const TCalcFieldCheck r = ApplyCalcField(FProcessor, FField, FEditing, Input());
    if (r.Error.empty()) return true;
    FPages->setCurrentIndex(r.Page);
    std::vector<QLineEdit*> constants;
    for (const auto& [k, e] : FConstants)
        constants.push_back(e);
    TNumberEdit::CheckAll(constants);
    Show(r.Error);
    return false;
}

// ---- Frame ---------------------------------------------------------------------------------

TfrmAePrc::TfrmAePrc(TGVCPUPrc& processor, const TPageContext& context, QWidget* parent)
    : QWidget(parent), FProcessor(processor), FContext(context) {
    setObjectName("frmAePrc");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* pages = new QTabWidget(this);
    layout->addWidget(pages);
    auto* page = new QWidget(pages);
    page->setObjectName("tsCalcFields");
    auto* pageLayout = new QVBoxLayout(page);
    auto* bar = new QHBoxLayout();
    auto* add = new QPushButton("Add", page);
    add->setObjectName("btAdd");
    FAddMenu = new QMenu(add);
    for (uint8_t t : CalcTypes) {
        QAction* a = FAddMenu->addAction(
            QString::fromStdString("Add " + std::string(DataTypeName(t)) + " Field"));
        connect(a, &QAction::triggered, this, [this, t] { AddField(t); });
    }
    add->setMenu(FAddMenu);
    bar->addWidget(add);
    AddBarButtons(bar, page,
                  {{"btEdit", "Edit", [this] { EditField(CurrentFieldRow(*FList)); }},
                   {"btDelete", "Delete", [this] { DeleteField(CurrentFieldRow(*FList)); }},
                   {"btUp", "Up", [this] { MoveField(CurrentFieldRow(*FList), -1); }},
                   {"btDown", "Down", [this] { MoveField(CurrentFieldRow(*FList), 1); }}});
    bar->addStretch(1);
    pageLayout->addLayout(bar);
    FList = MakeFieldList(page, "lvCalcFields");
    connect(FList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { EditField(FList->indexOfTopLevelItem(item)); });
    pageLayout->addWidget(FList, 1);
    FFirstHit = new QCheckBox("Only First Hit", page);
    FFirstHit->setObjectName("cbOnlyFirstHit");
    FFirstHit->setChecked(processor.OnlyFirstHit());
    connect(FFirstHit, &QCheckBox::toggled, this, [this](bool on) {
        FProcessor.SetOnlyFirstHit(on);
        Changed(true);
    });
    FEnableCode = new QCheckBox("Enable Code Excecute", page);
    FEnableCode->setObjectName("cbEnableCode");
    FEnableCode->setChecked(processor.EnabledCode());
    connect(FEnableCode, &QCheckBox::toggled, this, [this](bool on) {
        FProcessor.SetEnabledCode(on);
        Changed(true);
    });
    pageLayout->addWidget(FFirstHit);
    pageLayout->addWidget(FEnableCode);
    pages->addTab(page, "Calculation Fields");
    Refresh();
}

void TfrmAePrc::Refresh() {
    const int row = FList->currentItem() ? FList->indexOfTopLevelItem(FList->currentItem()) : -1;
    FList->clear();
    const TAEFields& fields = FProcessor.OwnFields();
    for (int i = 0; i < fields.Count(); ++i) {
        const TAEField* f = fields.Get(i);
        new QTreeWidgetItem(FList,
                            {QString::fromStdString(f->FieldName()),
                             QString::fromStdString(std::string(DataTypeName(f->DataType()))),
                             QString::fromStdString(f->GetDisplayName())});
    }
    if (row >= 0 && row < FList->topLevelItemCount())
        FList->setCurrentItem(FList->topLevelItem(row));
}

void TfrmAePrc::Changed(bool propagate) {
    FProcessor.Changed(propagate);
    if (FContext.RefreshNode) FContext.RefreshNode();
}

bool TfrmAePrc::RunDialog(TCalcFieldDialog& d) {
    return Dialogs().Run(d) == QDialog::Accepted;
}

void TfrmAePrc::AddField(uint8_t dataType) {
    TAEField* field = FProcessor.AddCalcField(dataType, std::string());
    if (!field) return;
    bool accepted = false;
    {
        TCalcFieldDialog d(FProcessor, *field, false, this);
        accepted = RunDialog(d);
    }
    if (!accepted) {
        // The field only stood in for the dialog.
        FProcessor.OwnFields().Delete(FProcessor.OwnFields().Count() - 1);
        return;
    }
    Refresh();
    FList->setCurrentItem(FList->topLevelItem(FList->topLevelItemCount() - 1));
    Changed(true);
}

void TfrmAePrc::EditField(int i) {
    TAEField* field = FProcessor.OwnFields().Get(i);
    if (!field || field->HasFlag(ffFixed)) return;
    TCalcFieldDialog d(FProcessor, *field, true, this);
    if (!RunDialog(d)) return;
    Refresh();
    Changed(true);
}

void TfrmAePrc::DeleteField(int i) {
    TAEField* field = FProcessor.OwnFields().Get(i);
    if (!field || field->HasFlag(ffFixed)) return;
    std::vector<std::string> uses;
    TGVCPU* top = &FProcessor;
    while (top->Parent())
        top = top->Parent();
    top->CollectFieldUses(field->ID(), uses, true);
    if (!uses.empty()) {
        std::string text = "Field Used";
        for (size_t k = 0; k < uses.size(); ++k)
            text += "\r" + uses[k];
        Dialogs().ShowMessageBox(text, TMsgKind::Error, mbOK);
        return;
    }
    FProcessor.RemoveField(field->ID());
    Refresh();
    Changed(true);
}

void TfrmAePrc::MoveField(int i, int delta) {
    TAEFields& fields = FProcessor.OwnFields();
    const int j = i + delta;
    if (i < 0 || j < 0 || i >= fields.Count() || j >= fields.Count()) return;
    fields.Exchange(i, j);
    Refresh();
    FList->setCurrentItem(FList->topLevelItem(j));
    Changed(false);
}

} // namespace vorelt
