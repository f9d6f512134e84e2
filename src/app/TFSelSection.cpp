#include "app/TFSelSection.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "project/TIniApplic.h"
#include "testprog/TTestSection.h"
#include "view2d/IDialogService.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphDb.h"
#include "view2d/TNumberEdit.h"
#include "viewmodel/dialogs/testprog/TTestProgramRules.h"
#include "viewmodel/drawables/TRectFillAEVObject.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

const char Section[] = "SelSection";

} // namespace

TSectionDialog::TSectionDialog(const TTestSectionList& sections, int editedIndex, QWidget* parent)
    : QDialog(parent), FSections(sections), FEdited(editedIndex) {
    setObjectName("SectionDialog");
    setWindowTitle(editedIndex < 0 ? "Add Section" : "Edit Section");
    FName = new QLineEdit(this);
    FName->setObjectName("edSectionName");
    FMin = new QLineEdit(this);
    FMin->setObjectName("edMinValue");
    TNumberEdit::Attach(FMin, SectionSecondsRule);
    FMax = new QLineEdit(this);
    FMax->setObjectName("edMaxValue");
    TNumberEdit::Attach(FMax, SectionSecondsRule);
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
    TNumberEdit::CheckAll({FMin, FMax});
    Dialogs().ShowMessageBox(message, TMsgKind::Error, mbOK);
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
                           TIniApplic* settings, QWidget* parent, TGraphDb* graph)
    : QDialog(parent), FSections(sections), FGraph(graph), FSettings(settings) {
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
    auto* lower = new QWidget(this);
    auto* lowerBox = new QVBoxLayout(lower);
    lowerBox->setContentsMargins(0, 0, 0, 0);
    lowerBox->addWidget(new QLabel("  Sections List", lower));
    lowerBox->addWidget(FList, 1);
    if (FGraph) {
        resize(720, 560);
        auto* split = new QSplitter(Qt::Vertical, this);
        auto* holder = new QWidget(split);
        auto* holderBox = new QVBoxLayout(holder);
        holderBox->setContentsMargins(0, 0, 0, 0);
        FGraph->SetParentWindow(holder);
        holderBox->addWidget(FGraph->Panel());
        FGraph->SetVisible(true);
        if (!FGraph->Active()) FGraph->SetActive(true);
        split->addWidget(lower);
        split->setSizes({360, 200});
        box->addWidget(split, 1);
        FGraph->OnAppearance = [this] { PlaceRectangles(); };
        PlaceRectangles();
    } else {
        box->addWidget(lower, 1);
    }
    box->addWidget(buttons);
    if (FSettings && FSettings->File().SectionExists(Section)) {
        int32_t top = y(), left = x(), w = width(), h = height();
        FSettings->ReadBounds(Section, top, w, h, left);
        setGeometry(left, top, w, h);
    }
    Refresh();
}

TFSelSection::~TFSelSection() {
    if (FGraph) {
        FGraph->OnAppearance = nullptr;
        for (TRectFillAEVObject* r : FRects) {
            const int i = FGraph->Container()->IndexOfObject(r);
            if (i >= 0) FGraph->Container()->DeleteObject(i);
        }
        FGraph->SetVisible(false);
        FGraph->SetParentWindow(nullptr);
    }
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

void TFSelSection::PlaceRectangles() {
    if (!FGraph) return;
    TCanvasContainer* c = FGraph->Container();
    for (TRectFillAEVObject* r : FRects) {
        const int i = c->IndexOfObject(r);
        if (i >= 0) c->DeleteObject(i);
    }
    FRects.clear();
    if (!FGraph->Active()) return;
    const TColorScheme& scheme = ColorScheme(FGraph->ColorSchemeIndex());
    for (int i = 0; i < FSections.Count(); ++i) {
        const TTestSection* s = FSections.Get(i);
        long double x0 = 0, x1 = 0;
        if (!FGraph->SecondsToSheetX(s->MinVal(), x0) || !FGraph->SecondsToSheetX(s->MaxVal(), x1))
            continue;
        auto rect = std::make_unique<TRectFillAEVObject>();
        rect->SetScale(1, 1);
        rect->SetLineWidth(0.5L);
        rect->SetMovable(false);
        rect->SetResizable(false);
        rect->FramePen().SetColor(scheme.Foreground);
        rect->SelectedPen().SetColor(scheme.Alert);
        rect->EditingPen().SetColor(scheme.Highlight);
        rect->SetRect(x0, 0, x1, LogicalHeightUnits - 1.0L);
        FRects.push_back(rect.get());
        c->AddObject(std::move(rect));
    }
    c->RedrawObjects();
    c->update();
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
