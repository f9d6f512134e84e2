#include "app/TfrmAeFltr.h"

#include "app/TParameterPages.h"
#include "persist/TGVProperty.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/TFilterCommon.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "project/TProjectAE.h"
#include "view2d/TLCEditor.h"
#include "view2d/TNumberEdit.h"
#include "viewmodel/dialogs/tree/TTreePrjRules.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

int32_t IntegerOr0(const QString& text) {
    bool ok = false;
    const int32_t v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

QWidget* CommentsPage(QLineEdit*& title, const std::string& current, QWidget* parent) {
    auto* page = new QWidget(parent);
    page->setObjectName("tsComments");
    auto* form = new QFormLayout(page);
    title = new QLineEdit(QString::fromStdString(current), page);
    title->setObjectName("edTitle");
    form->addRow("Title", title);
    return page;
}

QPushButton* MakeSaveDbButton(TGVCPU& processor, const TPageContext& context, QWidget* parent) {
    auto* b = new QPushButton("Save Db", parent);
    b->setObjectName("btSaveDb");
    b->setToolTip("If Need Sort And Save As New File");
    TProjectAE* project = context.Project;
    QObject::connect(b, &QPushButton::clicked, parent, [project, &processor] {
        if (project && project->OnSaveDatabase) project->OnSaveDatabase(*project, &processor);
    });
    return b;
}

} // namespace

bool CommitTitle(TGVCPU& processor, const std::string& typed) {
    const std::string title = Trim(typed);
    if (title == TitleOf(processor.Properties())) return false;
    EnsureTitleProperty(processor.Properties());
    if (auto* p = processor.Properties().FindAs<TGVStringProperty>(prTitle)) p->SetAsString(title);
    processor.Changed(false);
    return true;
}

// ---- Filter --------------------------------------------------------------------------------

TfrmAeFltr::TfrmAeFltr(TGVCPUFltr& filter, const TPageContext& context, QWidget* parent)
    : QWidget(parent), FFilter(filter), FContext(context) {
    setObjectName("frmAeFltr");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FPages = new QTabWidget(this);
    layout->addWidget(FPages);

    auto* page = new QWidget(FPages);
    page->setObjectName("tsFilter");
    auto* pageLayout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout();
    FEnable = new QCheckBox("Enable Filter", page);
    FEnable->setObjectName("cbEnableFilter");
    FEnable->setChecked(filter.EnabledFilter());
    connect(FEnable, &QCheckBox::toggled, this, [this](bool on) {
        FFilter.SetEnabledFilter(on);
        if (FContext.RefreshNode) FContext.RefreshNode();
    });
    top->addWidget(FEnable);
    top->addStretch(1);
    FSaveDb = MakeSaveDbButton(filter, context, page);
    top->addWidget(FSaveDb);
    pageLayout->addLayout(top);
    FEditor = new TLCEditor(page);
    FEditor->SetTree(&filter.Condition(), &filter);
    FEditor->OnChanged = [this] {
        if (FContext.RefreshNode) FContext.RefreshNode();
    };
    pageLayout->addWidget(FEditor, 1);
    FPages->addTab(page, "Filter");

    FPages->addTab(CommentsPage(FTitle, TitleOf(filter.Properties()), FPages), "Comments");
    connect(FTitle, &QLineEdit::editingFinished, this, [this] { CommitEdits(); });
}

void TfrmAeFltr::CommitEdits() {
    if (CommitTitle(FFilter, FTitle->text().toStdString()) && FContext.RefreshNode)
        FContext.RefreshNode();
}

// ---- Turn-off filter -----------------------------------------------------------------------

TfrmAeTurnOff::TfrmAeTurnOff(TGVCPUTurnOffFltr& filter, const TPageContext& context,
                             QWidget* parent)
    : QWidget(parent), FFilter(filter), FContext(context) {
    setObjectName("frmAeTurnOffFltr");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FPages = new QTabWidget(this);
    layout->addWidget(FPages);

    auto* page = new QWidget(FPages);
    page->setObjectName("tsFilter");
    auto* pageLayout = new QVBoxLayout(page);
    const bool located = filter.Located();
    FEnable = new QCheckBox("Enable Filter", page);
    FEnable->setObjectName("cbEnableFilter");
    FEnable->setChecked(!located && filter.EnabledFilter());
    FEnable->setEnabled(!located);
    connect(FEnable, &QCheckBox::toggled, this, [this](bool on) {
        FFilter.SetEnabledFilter(on);
        if (FContext.RefreshNode) FContext.RefreshNode();
    });
    pageLayout->addWidget(FEnable);
    FLocated = new QLabel(located ? txtInvalidAfterLocation : "", page);
    FLocated->setObjectName("lbLocated");
    FLocated->setStyleSheet("color: red;");
    pageLayout->addWidget(FLocated);
    auto* form = new QFormLayout();
    FBefore = new QLineEdit(QString::number(filter.Condition().DeltaBefore()), page);
    FBefore->setObjectName("edDeltaBefore");
    FAfter = new QLineEdit(QString::number(filter.Condition().DeltaAfter()), page);
    FAfter->setObjectName("edDeltaAfter");
    TNumberEdit::Attach(FBefore, TNumberRule{TNumberKind::Count});
    TNumberEdit::Attach(FAfter, TNumberRule{TNumberKind::Count});
    connect(FBefore, &QLineEdit::editingFinished, this, [this] { BeforeEdited(); });
    connect(FAfter, &QLineEdit::editingFinished, this, [this] { AfterEdited(); });
    form->addRow("Delta Time Before[us]:", FBefore);
    form->addRow("Delta Time After[us]:", FAfter);
    pageLayout->addLayout(form);
    FEditor = new TLCEditor(page);
    FEditor->SetTree(&filter.Condition(), &filter);
    FEditor->OnChanged = [this] {
        if (FContext.RefreshNode) FContext.RefreshNode();
    };
    pageLayout->addWidget(FEditor, 1);
    FPages->addTab(page, "Filter");

    FPages->addTab(CommentsPage(FTitle, TitleOf(filter.Properties()), FPages), "Comments");
    connect(FTitle, &QLineEdit::editingFinished, this, [this] {
        if (CommitTitle(FFilter, FTitle->text().toStdString()) && FContext.RefreshNode)
            FContext.RefreshNode();
    });

    auto* tools = new QWidget(FPages);
    tools->setObjectName("tsTools");
    auto* toolsLayout = new QVBoxLayout(tools);
    toolsLayout->addWidget(MakeSaveDbButton(filter, context, tools));
    toolsLayout->addStretch(1);
    FPages->addTab(tools, "Tools");
}

void TfrmAeTurnOff::BeforeEdited() {
    if (RefusedNumber(FBefore)) return;
    const int32_t v = IntegerOr0(FBefore->text());
    if (v != FFilter.Condition().DeltaBefore()) FFilter.SetDeltaBefore(v);
    FBefore->setText(QString::number(FFilter.Condition().DeltaBefore()));
}

void TfrmAeTurnOff::AfterEdited() {
    if (RefusedNumber(FAfter)) return;
    const int32_t v = IntegerOr0(FAfter->text());
    if (v != FFilter.Condition().DeltaAfter()) FFilter.SetDeltaAfter(v);
    FAfter->setText(QString::number(FFilter.Condition().DeltaAfter()));
}

void TfrmAeTurnOff::CommitEdits() {
    BeforeEdited();
    AfterEdited();
    if (CommitTitle(FFilter, FTitle->text().toStdString()) && FContext.RefreshNode)
        FContext.RefreshNode();
}

} // namespace vorelt
