#include "app/TFSelSection.h"

#include "app/IDialogService.h"
#include "app/TFParametric.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "project/TIniApplic.h"
#include "testprog/TTestProgramRules.h"
#include "testprog/TTestSection.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

const char Section[] = "SelSection";

bool DigitRule(const std::string&, char key) {
    return AcceptDigitKey(key);
}

} // namespace

TSectionDialog::TSectionDialog(const TTestSectionList& sections, int editedIndex,
                               IDialogService& dialogs, QWidget* parent)
    : QDialog(parent), FSections(sections), FEdited(editedIndex), FDialogs(dialogs) {
    setObjectName("SectionDialog");
    setWindowTitle(editedIndex < 0 ? "Add Section" : "Edit Section");
    FName = new QLineEdit(this);
    FName->setObjectName("edSectionName");
    FMin = new QLineEdit(this);
    FMin->setObjectName("edMinValue");
    new TKeyRuleFilter(FMin, &DigitRule);
    FMax = new QLineEdit(this);
    FMax->setObjectName("edMaxValue");
    new TKeyRuleFilter(FMax, &DigitRule);
    if (const TTestSection* s = sections.Get(editedIndex)) {
        FName->setText(QString::fromStdString(s->Text()));
        FMin->setText(QString::number(s->MinVal()));
        FMax->setText(QString::number(s->MaxVal()));
    }
    auto* form = new QFormLayout();
    form->addRow("Section Name", FName);
    form->addRow("Min Value [S]", FMin);
    form->addRow("Max Value [S]", FMax);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(buttons);
}

bool TSectionDialog::TryAccept() {
    const std::string message =
        CheckSection(FSections, FEdited, FName->text().toStdString(), FMin->text().toStdString(),
                     FMax->text().toStdString());
    if (message.empty()) return true;
    FDialogs.ShowMessageBox(message, TMsgKind::Error, mbOK);
    return false;
}

void TSectionDialog::StoreInto(TTestSection& section) const {
    int32_t minVal = 0, maxVal = 0;
    TryStrToInt(Trim(FMin->text().toStdString()), minVal);
    TryStrToInt(Trim(FMax->text().toStdString()), maxVal);
    section.SetText(Trim(FName->text().toStdString()));
    section.SetMinVal(minVal);
    section.SetMaxVal(maxVal);
}

TFSelSection::TFSelSection(TTestSectionList& sections, const std::vector<std::string>& chosenIDs,
                           TIniApplic* settings, QWidget* parent)
    : QDialog(parent), FSections(sections), FSettings(settings) {
    setObjectName("FSelSection");
    setWindowTitle("Sections");
    resize(480, 320);
    MarkSections(FSections, chosenIDs);
    FList = new QTreeWidget(this);
    FList->setObjectName("lvSections");
    FList->setRootIsDecorated(false);
    FList->setHeaderLabels({"Name", "Min Value [S]", "Max Value [S]"});
    connect(FList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Toggle(FList->indexOfTopLevelItem(item)); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel("  Sections List", this));
    box->addWidget(FList, 1);
    box->addWidget(buttons);
    if (FSettings && FSettings->File().SectionExists(Section)) {
        int32_t top = y(), left = x(), w = width(), h = height();
        FSettings->ReadBounds(Section, top, w, h, left);
        setGeometry(left, top, w, h);
    }
    Refresh();
}

TFSelSection::~TFSelSection() {
    if (!FSettings) return;
    const QRect g = geometry();
    FSettings->WriteBounds(Section, g.top(), g.left(), g.height(), g.width());
}

void TFSelSection::Refresh() {
    FList->clear();
    for (int i = 0; i < FSections.Count(); ++i) {
        const TTestSection* s = FSections.Get(i);
        auto* item = new QTreeWidgetItem(FList, {QString::fromStdString(s->Text()),
                                                 QString::number(s->MinVal()),
                                                 QString::number(s->MaxVal())});
        item->setCheckState(0, s->Checked() ? Qt::Checked : Qt::Unchecked);
    }
}

void TFSelSection::Toggle(int row) {
    TTestSection* s = FSections.Get(row);
    if (!s) return;
    ToggleSectionMark(*s);
    if (QTreeWidgetItem* item = FList->topLevelItem(row))
        item->setCheckState(0, s->Checked() ? Qt::Checked : Qt::Unchecked);
}

std::vector<std::string> TFSelSection::CheckedIDs() const {
    return MarkedSectionIDs(FSections);
}

} // namespace vorelt
