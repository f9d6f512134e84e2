#include "app/TfrmAeCriterion.h"

#include "app/TFSelSection.h"
#include "model/TAEField.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEFields.h"
#include "model/TAEListFields.h"
#include "persist/TTextHelpers.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TAECrtFunc.h"
#include "processing/db/TGVDb.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/filter/ILCOwner.h"
#include "processing/filter/TLCBlock.h"
#include "testprog/TTestSection.h"
#include "view2d/IDialogService.h"
#include "view2d/TFieldListBar.h"
#include "view2d/TLCEditor.h"
#include "view2d/TNumberEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

constexpr uint8_t CriterionTypes[] = {dtInteger, dtExtended, dtBoolean, dtString};
const char* const WeightOps[] = {"<=", ">=", "=", "<", ">", "<>"};

// The dialog's copy of the filter answers like the processor, but its edits stay in the copy
// until OK takes it over; so nothing downstream is told of edits that Cancel throws away.
class TWorkingConditionOwner : public ILCOwner {
public:
    explicit TWorkingConditionOwner(const TGVCPUCriterion& processor) : FProcessor(processor) {}
    std::string ConditionOwnerName() const override { return FProcessor.ConditionOwnerName(); }
    const TAEField* ConditionField(std::string_view id) const override {
        return FProcessor.ConditionField(id);
    }
    const TGVVariants* ConditionVariants() const override { return FProcessor.ConditionVariants(); }
    void ConditionChanged(bool) override {}

private:
    const TGVCPUCriterion& FProcessor;
};

// The project's test sections, kept by the database processor at the root.
TTestSectionList* ProjectSections(TGVCPU& processor) {
    TGVCPU* top = &processor;
    while (top->Parent())
        top = top->Parent();
    auto* db = dynamic_cast<TGVDb*>(top);
    return db ? &db->TestSections() : nullptr;
}

} // namespace

// ---- Criterion dialog ----------------------------------------------------------------------

TCriterionDialog::TCriterionDialog(TGVCPUCriterion& processor, TAEField& field, bool editing,
                                   bool link, const QString& title, QWidget* parent)
    : QDialog(parent), FProcessor(processor), FField(field), FEditing(editing), FLink(link) {
    setObjectName("CriterionDialog");
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    FPages = new QTabWidget(this);
    layout->addWidget(FPages, 1);
    const TAECriterion* c = TGVCPUCriterion::CriterionOf(field);

    auto* attrs = new QWidget(FPages);
    auto* form = new QFormLayout(attrs);
    FName = new QLineEdit(QString::fromStdString(field.FieldName()), attrs);
    FName->setMaxLength(40);
    FName->setReadOnly(editing);
    AttachNameKeys(FName);
    FDisplayName = new QLineEdit(QString::fromStdString(field.GetDisplayName()), attrs);
    FDimension = new QLineEdit(QString::fromStdString(field.GetDisplayDimension()), attrs);
    form->addRow("Field Name", FName);
    form->addRow("Display Name", FDisplayName);
    form->addRow("Display Dimension", FDimension);
    FPages->addTab(attrs, "Attributes");

    // The input fields of the processor, by display name and ID.
    std::vector<std::pair<QString, QString>> inputs;
    {
        TAEListFields layoutFields;
        processor.GetFields(&layoutFields, true);
        for (int i = 0; i < layoutFields.FieldCount(); ++i)
            if (const TAEField* f = layoutFields.FieldAt(i))
                inputs.emplace_back(QString::fromStdString(f->GetDisplayName()),
                                    QString::fromStdString(f->ID()));
    }

    if (!link) {
        auto* dataPage = new QWidget(FPages);
        auto* dataLayout = new QVBoxLayout(dataPage);
        FSection = new QCheckBox("Enable Section", dataPage);
        FSection->setChecked(c && c->EnabledSection);
        FFirstHit = new QCheckBox("Only First Hit", dataPage);
        FFirstHit->setChecked(c && c->FirstHit);
        FFirstHit->setVisible(processor.IsLocated());
        dataLayout->addWidget(FSection);
        dataLayout->addWidget(FFirstHit);
        auto* sectionsBar = new QHBoxLayout();
        sectionsBar->addWidget(new QLabel("Sections List", dataPage));
        sectionsBar->addStretch(1);
        FSelectSections = new QPushButton("Select Sections", dataPage);
        FSelectSections->setObjectName("btSelectSections");
        connect(FSelectSections, &QPushButton::clicked, this, [this] { SelectSections(); });
        sectionsBar->addWidget(FSelectSections);
        dataLayout->addLayout(sectionsBar);
        FSectionList = new QTreeWidget(dataPage);
        FSectionList->setObjectName("lvSections");
        FSectionList->setRootIsDecorated(false);
        FSectionList->setHeaderLabels({"Name", "Min Value [S]", "Max Value [S]"});
        dataLayout->addWidget(FSectionList, 1);
        if (c) FSections = c->Sections;
        FillSectionList();
        FPages->addTab(dataPage, "Data");

        auto* filter = new QWidget(FPages);
        auto* filterLayout = new QVBoxLayout(filter);
        FEnableFilter = new QCheckBox("Enable Filter", filter);
        FEnableFilter->setChecked(c && c->EnabledFilter);
        filterLayout->addWidget(FEnableFilter);
        FConditionOwner = std::make_unique<TWorkingConditionOwner>(processor);
        FCondition = std::make_unique<TLCBase>(FConditionOwner.get());
        if (c) c->LogCons().CopyTo(*FCondition);
        FEditor = new TLCEditor(filter);
        // The filter tests the records that reach the processor: its parent's fields.
        FEditor->SetTree(FCondition.get(), processor.Parent());
        filterLayout->addWidget(FEditor, 1);
        FPages->addTab(filter, "Filter");

        auto* func = new QWidget(FPages);
        auto* funcForm = new QFormLayout(func);
        FEnableFunction = new QCheckBox("Enable Function", func);
        FEnableFunction->setChecked(!c || c->EnabledFunction);
        funcForm->addRow(FEnableFunction);
        FFunction = new QComboBox(func);
        FFunction->addItem(QString());
        for (const std::string& n : TGVCPUCriterion::FunctionNames())
            FFunction->addItem(QString::fromStdString(n));
        funcForm->addRow("Select Function", FFunction);
        auto* params = new QWidget(func);
        auto* paramsForm = new QFormLayout(params);
        paramsForm->setContentsMargins(0, 0, 0, 0);
        funcForm->addRow(params);
        FOutputLines = new QWidget(func);
        auto* outputsForm = new QFormLayout(FOutputLines);
        outputsForm->setContentsMargins(0, 0, 0, 0);
        funcForm->addRow(FOutputLines);
        auto rebuild = [this, paramsForm, outputsForm, inputs]() {
            while (paramsForm->rowCount() > 0)
                paramsForm->removeRow(0);
            while (outputsForm->rowCount() > 0)
                outputsForm->removeRow(0);
            for (const std::string& line :
                 CriterionFunctionOutputLines(FFunction->currentText().toStdString())) {
                auto* shown = new QLabel(QString::fromStdString(line));
                shown->setObjectName("lbOutputLine");
                outputsForm->addRow("Result Function", shown);
            }
            std::vector<TStatFormParam> kept = FParams;
            FParams.clear();
            for (const std::string& p :
                 CriterionFunctionParameters(FFunction->currentText().toStdString())) {
                TStatFormParam fp;
                fp.Name = p;
                for (const TStatFormParam& k : kept)
                    if (SameTextTrimmed(k.Name, p)) fp.FieldID = k.FieldID;
                FParams.push_back(fp);
                auto* box = new QComboBox();
                box->setObjectName(QString::fromStdString("cbParam" + p));
                box->addItem(QString(), QString());
                for (const auto& [shown, id] : inputs)
                    box->addItem(shown, id);
                box->setCurrentIndex(
                    std::max(0, box->findData(QString::fromStdString(fp.FieldID))));
                const std::string key = p;
                connect(box, &QComboBox::currentIndexChanged, this, [this, box, key] {
                    SelectParameterField(key, box->currentData().toString().toStdString());
                });
                paramsForm->addRow(QString::fromStdString(p), box);
            }
        };
        if (c && c->HasFunction()) {
            for (int i = 0; i < c->Expresion().Count(); ++i)
                if (const TAEExpresion* e = c->Expresion().Items(i); e->TypeElem() == teParam)
                    FParams.push_back({e->Name(), e->ID(), e->Text()});
            FFunction->setCurrentText(QString::fromStdString(c->Expresion().Text()));
        }
        rebuild();
        connect(FFunction, &QComboBox::currentIndexChanged, this, rebuild);
        FPages->addTab(func, "Function");
    }

    auto* resultPage = new QWidget(FPages);
    auto* resultLayout = new QVBoxLayout(resultPage);
    if (link) {
        auto* linkForm = new QFormLayout();
        FSource = new QComboBox(resultPage);
        FSource->addItem(QString(), QString());
        for (int i = 0; i < processor.OwnFields().Count(); ++i) {
            const TAEField* f = processor.OwnFields().Get(i);
            const TAECriterion* fc = TGVCPUCriterion::CriterionOf(*f);
            if (f != &field && fc && fc->HasFunction())
                FSource->addItem(QString::fromStdString(f->GetDisplayName()),
                                 QString::fromStdString(f->ID()));
        }
        FOutput = new QComboBox(resultPage);
        connect(FSource, &QComboBox::currentIndexChanged, this, [this] { FillOutputs(); });
        linkForm->addRow("Select Field Result Criterion", FSource);
        linkForm->addRow("Result Function", FOutput);
        resultLayout->addLayout(linkForm);
    } else {
        FResultType = new QComboBox(resultPage);
        FResultType->addItems({"Result Function", "Weight Expresion", "Expresion"});
        FResultType->setCurrentIndex(c && c->TypeResult >= 0 && c->TypeResult <= 2 ? c->TypeResult
                                                                                   : 0);
        auto* typeRow = new QFormLayout();
        typeRow->addRow("Result Type", FResultType);
        resultLayout->addLayout(typeRow);
        FWeights = new QTableWidget(5, 4, resultPage);
        FWeights->setHorizontalHeaderLabels({"", "Value", "", "Weight"});
        for (int r = 0; r < 5; ++r) {
            auto* op = new QComboBox(FWeights);
            for (const char* o : WeightOps)
                op->addItem(o);
            FWeights->setCellWidget(r, 0, op);
            FWeights->setItem(r, 1, new QTableWidgetItem());
            auto* arrow = new QTableWidgetItem("===>");
            arrow->setFlags(arrow->flags() & ~Qt::ItemIsEditable);
            FWeights->setItem(r, 2, arrow);
            FWeights->setItem(r, 3, new QTableWidgetItem());
        }
        AttachNumberCells(FWeights, {1, 3}, CriterionWeightRule);
        if (c) FillWeights(*c);
        FExpression = new QPlainTextEdit(resultPage);
        if (c && c->TypeResult == trExpression)
            FExpression->setPlainText(QString::fromStdString(c->Result().ToText()));
        // One part per result type: nothing more for the function's result, the weight table,
        // the expression.
        auto* byType = new QStackedWidget(resultPage);
        byType->addWidget(new QWidget(byType));
        byType->addWidget(FWeights);
        byType->addWidget(FExpression);
        byType->setCurrentIndex(FResultType->currentIndex());
        connect(FResultType, &QComboBox::currentIndexChanged, byType,
                &QStackedWidget::setCurrentIndex);
        resultLayout->addWidget(byType, 1);
    }
    FPages->addTab(resultPage, "Result");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

TCriterionDialog::~TCriterionDialog() {
    // The editor is a child widget and outlives the members; it must not hold the copy.
    if (FEditor) FEditor->SetTree(nullptr, nullptr);
}

void TCriterionDialog::FillWeights(const TAECriterion& criterion) {
    const std::vector<TGVCPUCriterion::TWeightRow> rows = CriterionWeightRows(criterion);
    for (int r = 0; r < FWeights->rowCount() && r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        if (auto* op = qobject_cast<QComboBox*>(FWeights->cellWidget(r, 0)))
            op->setCurrentIndex(std::max(0, op->findText(QString::fromStdString(row.Op))));
        FWeights->item(r, 1)->setText(QString::fromStdString(row.Value));
        FWeights->item(r, 3)->setText(QString::fromStdString(row.Weight));
    }
}

void TCriterionDialog::FillSectionList() {
    FSectionList->clear();
    const TTestSectionList* sections = ProjectSections(FProcessor);
    if (!sections) return;
    // Sections the test program no longer has are not shown.
    for (const std::string& id : FSections)
        if (const TTestSection* s = sections->FindByID(id))
            new QTreeWidgetItem(FSectionList,
                                {QString::fromStdString(s->Text()), QString::number(s->MinVal()),
                                 QString::number(s->MaxVal())});
}

void TCriterionDialog::SelectSections() {
    TTestSectionList* sections = ProjectSections(FProcessor);
    if (!sections) return;
    TFSelSection w(*sections, FSections, FSettings, this);
    w.setWindowTitle("Select Sections");
    if (Dialogs().Run(w) != QDialog::Accepted) return;
    FSections = w.CheckedIDs();
    FillSectionList();
}

QStringList TCriterionDialog::OutputLines() const {
    QStringList out;
    if (!FOutputLines) return out;
    for (const QLabel* l : FOutputLines->findChildren<QLabel*>("lbOutputLine"))
        out << l->text();
    return out;
}

void TCriterionDialog::FillOutputs() {
    FOutput->clear();
    const TAEField* source =
        FProcessor.OwnFields().FindByID(FSource->currentData().toString().toStdString());
    const TAECriterion* c = source ? TGVCPUCriterion::CriterionOf(*source) : nullptr;
    if (!c || !c->HasFunction()) return;
    std::unique_ptr<TAECrtFunc> f = CreateCrtFunc(c->Expresion().Text(), &FProcessor);
    if (!f) return;
    for (std::string n = f->NextOutputName(""); !n.empty(); n = f->NextOutputName(n))
        FOutput->addItem(QString::fromStdString(n));
}

void TCriterionDialog::SelectParameterField(const std::string& param, const std::string& id) {
    for (TStatFormParam& p : FParams)
        if (SameTextTrimmed(p.Name, param)) p.FieldID = id;
}

TCriterionInput TCriterionDialog::Input() const {
    TCriterionInput in;
    in.Name = FName->text().toStdString();
    in.DisplayName = FDisplayName->text().toStdString();
    in.Dimension = FDimension->text().toStdString();
    in.Link = FLink;
    if (FLink) {
        in.SourceFieldID = FSource->currentData().toString().toStdString();
        in.Output = FOutput->currentText().toStdString();
        return in;
    }
    in.EnabledSection = FSection->isChecked();
    in.FirstHit = FFirstHit->isChecked();
    in.EnabledFilter = FEnableFilter->isChecked();
    in.EnabledFunction = FEnableFunction->isChecked();
    in.Function = FFunction->currentText().toStdString();
    in.Params = FParams;
    in.ResultType = FResultType->currentIndex();
    for (int r = 0; r < 5; ++r) {
        auto* op = qobject_cast<QComboBox*>(FWeights->cellWidget(r, 0));
        in.Weights.push_back({op ? op->currentText().toStdString() : "<=",
                              FWeights->item(r, 1)->text().toStdString(),
                              FWeights->item(r, 3)->text().toStdString()});
    }
    in.Expression = FExpression->toPlainText().toStdString();
    in.Sections = FSections;
    in.Condition = FCondition.get();
    return in;
}

bool TCriterionDialog::TryAccept() {
    const TCriterionCheck r = ApplyCriterion(FProcessor, FField, FEditing, Input());
    if (r.Error.empty()) return true;
    // The link dialog has only its attributes and result pages.
    const int page = FLink ? (r.Page == kpAttributes ? 0 : 1) : r.Page;
    FPages->setCurrentIndex(page);
    Dialogs().ShowMessageBox(r.Error, TMsgKind::Information, mbOK);
    return false;
}

// ---- Frame ---------------------------------------------------------------------------------

TfrmAeCriterion::TfrmAeCriterion(TGVCPUCriterion& processor, const TPageContext& context,
                                 QWidget* parent)
    : QWidget(parent), FProcessor(processor), FContext(context) {
    setObjectName("frmAeCriterion");
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout();
    auto* add = new QPushButton("Add", this);
    add->setObjectName("btAdd");
    FAddMenu = new QMenu(add);
    for (bool link : {false, true}) {
        if (link) FAddMenu->addSeparator();
        for (uint8_t t : CriterionTypes) {
            std::string caption = "Add " + std::string(DataTypeName(t)) + " Criterion";
            if (link) caption += " ( Link Criterion )";
            connect(FAddMenu->addAction(QString::fromStdString(caption)), &QAction::triggered, this,
                    [this, t, link] { AddField(t, link); });
        }
    }
    add->setMenu(FAddMenu);
    bar->addWidget(add);
    AddBarButtons(bar, this,
                  {{"btDelete", "Delete", [this] { DeleteField(CurrentFieldRow(*FList)); }},
                   {"btEdit", "Edit", [this] { EditField(CurrentFieldRow(*FList)); }},
                   {"btUp", "Up", [this] { MoveField(CurrentFieldRow(*FList), -1); }},
                   {"btDown", "Down", [this] { MoveField(CurrentFieldRow(*FList), 1); }}});
    bar->addStretch(1);
    layout->addLayout(bar);
    FList = MakeFieldList(this, "lvCriteria");
    connect(FList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { EditField(FList->indexOfTopLevelItem(item)); });
    layout->addWidget(FList, 1);
    Refresh();
}

void TfrmAeCriterion::Refresh() {
    FList->clear();
    for (int i = 0; i < FProcessor.OwnFields().Count(); ++i) {
        const TAEField* f = FProcessor.OwnFields().Get(i);
        new QTreeWidgetItem(FList,
                            {QString::fromStdString(f->FieldName()),
                             QString::fromStdString(std::string(DataTypeName(f->DataType()))),
                             QString::fromStdString(f->GetDisplayName())});
    }
}

void TfrmAeCriterion::Message(const std::string& text) {
    Dialogs().ShowMessageBox(text, TMsgKind::Error, mbOK);
}

bool TfrmAeCriterion::RunDialog(TCriterionDialog& d) {
    return Dialogs().Run(d) == QDialog::Accepted;
}

void TfrmAeCriterion::AddField(uint8_t dataType, bool link) {
    TAEField* field = FProcessor.AddCriterionField(dataType, std::string(), link ? trLink : 0);
    if (!field) return;
    std::string caption = "Add " + std::string(DataTypeName(dataType)) + " Criterion";
    if (link) caption += " ( Link Criterion )";
    bool accepted = false;
    {
        TCriterionDialog d(FProcessor, *field, false, link, QString::fromStdString(caption), this);
        d.SetSettings(FContext.Settings);
        accepted = RunDialog(d);
    }
    if (!accepted) {
        FProcessor.OwnFields().Delete(FProcessor.OwnFields().Count() - 1);
        return;
    }
    Refresh();
    FProcessor.Changed(true);
    if (FContext.RefreshNode) FContext.RefreshNode();
}

void TfrmAeCriterion::EditField(int i) {
    TAEField* field = FProcessor.OwnFields().Get(i);
    if (!field || field->HasFlag(ffFixed)) return;
    const TAECriterion* c = TGVCPUCriterion::CriterionOf(*field);
    const bool link = c && c->TypeResult == trLink;
    TCriterionDialog d(FProcessor, *field, true, link,
                       QString::fromStdString(
                           "Edit " + std::string(DataTypeName(field->DataType())) + " Criterion"),
                       this);
    d.SetSettings(FContext.Settings);
    if (!RunDialog(d)) return;
    Refresh();
    FProcessor.Changed(true);
    if (FContext.RefreshNode) FContext.RefreshNode();
}

void TfrmAeCriterion::DeleteField(int i) {
    TAEField* field = FProcessor.OwnFields().Get(i);
    if (!field || field->HasFlag(ffFixed)) return;
    std::vector<std::string> uses;
    TGVCPU* top = &FProcessor;
    while (top->Parent())
        top = top->Parent();
    top->CollectFieldUses(field->ID(), uses, true);
    if (!uses.empty()) {
        std::string text = "Field Used";
        for (const std::string& u : uses)
            text += "\r" + u;
        Message(text);
        return;
    }
    FProcessor.RemoveField(field->ID());
    Refresh();
    FProcessor.Changed(true);
}

void TfrmAeCriterion::MoveField(int i, int delta) {
    TAEFields& fields = FProcessor.OwnFields();
    const int j = i + delta;
    if (i < 0 || j < 0 || i >= fields.Count() || j >= fields.Count()) return;
    // The lower of the two may not use the upper one in its result.
    TAEField* upper = fields.Get(std::min(i, j));
    TAEField* lower = fields.Get(std::max(i, j));
    const TAECriterion* c = TGVCPUCriterion::CriterionOf(*lower);
    if (c && c->Result().ReferencesId(upper->ID())) {
        Message("Field " + lower->FieldName() + " Used Field " + upper->FieldName());
        return;
    }
    fields.Exchange(i, j);
    Refresh();
    FList->setCurrentItem(FList->topLevelItem(j));
    FProcessor.Changed(false);
}

} // namespace vorelt
