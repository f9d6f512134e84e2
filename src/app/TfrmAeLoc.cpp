#include "app/TfrmAeLoc.h"

#include "persist/TTextHelpers.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TLocChannelTypes.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

int32_t IntegerOr0(const QString& text) {
    bool ok = false;
    const int32_t v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

} // namespace

// ---- Channel-type dialog -------------------------------------------------------------------

TChannelTypeDialog::TChannelTypeDialog(bool editing, const std::string& key, int currentType,
                                       QWidget* parent)
    : QDialog(parent), FEditing(editing) {
    setObjectName("ChannelTypeDialog");
    setWindowTitle(editing ? "Edit Type Channel" : "Add Type Channel");
    auto* form = new QFormLayout(this);
    FChannel = new QLineEdit(QString::fromStdString(key), this);
    FChannel->setObjectName("edChannel");
    FChannel->setMaxLength(static_cast<int>(MaxChannelTextLength));
    FChannel->setReadOnly(editing);
    form->addRow("Channel", FChannel);
    FType = new QComboBox(this);
    FType->setObjectName("cbType");
    for (int t = editing ? ctNormal : ctGuard; t <= ctUnused; ++t)
        FType->addItem(QString::fromStdString(ChannelTypeName(t)), t);
    FType->setCurrentIndex(editing ? std::max(0, FType->findData(currentType)) : 0);
    form->addRow("Type", FType);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

int TChannelTypeDialog::Type() const {
    return FType->currentData().toInt();
}

bool TChannelTypeDialog::TryAccept() {
    TChannelText parsed;
    std::string error;
    if (!ParseChannelText(FChannel->text().toStdString(), parsed, error)) {
        Dialogs().ShowMessageBox(error, TMsgKind::Information, mbOK);
        return false;
    }
    FFirst = parsed.First;
    FLast = parsed.Last;
    FRange = parsed.Kind == TChannelText::ckRange;
    FIgnored = parsed.Kind == TChannelText::ckIgnored;
    return true;
}

// ---- Frame ---------------------------------------------------------------------------------

TfrmAeLoc::TfrmAeLoc(TGVCPULoc& location, const TPageContext& context, QWidget* parent)
    : QWidget(parent), FLocation(location), FContext(context) {
    setObjectName("frmAeLoc");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* pages = new QTabWidget(this);
    layout->addWidget(pages);

    auto* params = new QWidget(pages);
    params->setObjectName("tsParameters");
    auto* paramsLayout = new QVBoxLayout(params);
    auto* top = new QFormLayout();
    FAlgorithm = new QComboBox(params);
    FAlgorithm->setObjectName("cbAlgorithm");
    for (const TLocAlgorithmInfo& a : LocationAlgorithms())
        FAlgorithm->addItem(QString::fromStdString(a.Name));
    top->addRow("Event Definition Algorithm", FAlgorithm);
    paramsLayout->addLayout(top);
    FStack = new QStackedWidget(params);
    auto addEdit = [this](QFormLayout* form, QWidget* page, const char* key, const char* label) {
        auto* e = new QLineEdit(page);
        e->setObjectName(QString("ed") + key);
        TNumberEdit::Attach(e, TNumberRule{TNumberKind::Count});
        connect(e, &QLineEdit::editingFinished, this, [this, key] { ParameterLeft(key); });
        form->addRow(label, e);
        FEdits.emplace_back(key, e);
    };
    auto* mpt = new QWidget(FStack);
    auto* mptForm = new QFormLayout(mpt);
    addEdit(mptForm, mpt, "LockOut", "Lockout [us]:");
    addEdit(mptForm, mpt, "MPT", "MPT [us]:");
    FStack->addWidget(mpt);
    auto* vallen = new QWidget(FStack);
    auto* vallenForm = new QFormLayout(vallen);
    addEdit(vallenForm, vallen, "FHCDT", "FHCDT [us]:");
    addEdit(vallenForm, vallen, "DT1X_MAX", "DT1X-MAX [us]:");
    addEdit(vallenForm, vallen, "DTNX_MAX", "DTNX-MAX [us]:");
    FAMHCH = new QCheckBox("AMHCH:", vallen);
    FAMHCH->setObjectName("cbAMHCH");
    connect(FAMHCH, &QCheckBox::clicked, this, [this] { AMHCHLeft(); });
    vallenForm->addRow(FAMHCH);
    FStack->addWidget(vallen);
    paramsLayout->addWidget(FStack);
    paramsLayout->addStretch(1);
    connect(FAlgorithm, &QComboBox::currentIndexChanged, this, [this](int i) {
        FStack->setCurrentIndex(i);
        AlgorithmLeft();
    });
    pages->addTab(params, "Parameters");

    auto* channels = new QWidget(pages);
    channels->setObjectName("tsChannels");
    auto* channelsLayout = new QVBoxLayout(channels);
    auto* bar = new QHBoxLayout();
    auto* add = new QPushButton("Add", channels);
    add->setObjectName("btAddChannel");
    FEditChannel = new QPushButton("Edit", channels);
    FEditChannel->setObjectName("btEditChannel");
    auto* clear = new QPushButton("Clear", channels);
    clear->setObjectName("btClearChannels");
    connect(add, &QPushButton::clicked, this, [this] { AddChannel(); });
    connect(FEditChannel, &QPushButton::clicked, this, [this] { EditChannel(); });
    connect(clear, &QPushButton::clicked, this, [this] { ClearChannels(); });
    bar->addWidget(add);
    bar->addWidget(FEditChannel);
    bar->addWidget(clear);
    bar->addStretch(1);
    channelsLayout->addLayout(bar);
    FChannels = new QTreeWidget(channels);
    FChannels->setObjectName("lvChannels");
    FChannels->setColumnCount(2);
    FChannels->setHeaderLabels({"Channel", "Abnormal Type"});
    FChannels->setRootIsDecorated(false);
    connect(FChannels, &QTreeWidget::currentItemChanged, this,
            [this] { FEditChannel->setEnabled(FChannels->currentItem() != nullptr); });
    connect(FChannels, &QTreeWidget::itemDoubleClicked, this, [this] { EditChannel(); });
    channelsLayout->addWidget(FChannels, 1);
    pages->addTab(channels, "Abnormal Type Channels List");

    ShowValues();
    RefreshChannels();
}

QLineEdit* TfrmAeLoc::Edit(const char* key) const {
    for (const auto& [k, e] : FEdits)
        if (k == key) return e;
    return nullptr;
}

void TfrmAeLoc::ShowValues() {
    const QSignalBlocker block(FAlgorithm);
    const int index = FLocation.AlgorithmIndex();
    FAlgorithm->setCurrentIndex(std::max(index, 0));
    FStack->setCurrentIndex(std::max(index, 0));
    if (auto* m = dynamic_cast<TLocOutMPT*>(&FLocation.Algorithm())) {
        Edit("LockOut")->setText(QString::number(m->LockOut()));
        Edit("MPT")->setText(QString::number(m->MPT()));
    }
    if (auto* v = dynamic_cast<TVallen*>(&FLocation.Algorithm())) {
        Edit("FHCDT")->setText(QString::number(v->FHCDT()));
        Edit("DT1X_MAX")->setText(QString::number(v->DT1X_MAX()));
        Edit("DTNX_MAX")->setText(QString::number(v->DTNX_MAX()));
        FAMHCH->setChecked(v->AMHCH());
    }
    for (const auto& [k, e] : FEdits)
        if (e->text().isEmpty()) e->setText("0");
}

void TfrmAeLoc::Changed() {
    FLocation.Changed(true);
    if (FContext.RefreshNode) FContext.RefreshNode();
}

void TfrmAeLoc::AlgorithmLeft() {
    const int i = FAlgorithm->currentIndex();
    const auto& algorithms = LocationAlgorithms();
    if (i < 0 || i >= static_cast<int>(algorithms.size()) || i == FLocation.AlgorithmIndex())
        return;
    std::unique_ptr<TLocation> created = algorithms[static_cast<size_t>(i)].Create(&FLocation);
    if (auto* m = dynamic_cast<TLocOutMPT*>(created.get())) {
        m->SetLockOut(IntegerOr0(Edit("LockOut")->text()));
        m->SetMPT(IntegerOr0(Edit("MPT")->text()));
    }
    if (auto* v = dynamic_cast<TVallen*>(created.get())) {
        v->SetDTNX_MAX(IntegerOr0(Edit("DTNX_MAX")->text()));
        v->SetFHCDT(IntegerOr0(Edit("FHCDT")->text()));
        v->SetDT1X_MAX(IntegerOr0(Edit("DT1X_MAX")->text()));
        v->SetAMHCH(FAMHCH->isChecked());
    }
    FLocation.SetAlgorithm(std::move(created));
    ShowValues();
    Changed();
}

void TfrmAeLoc::ParameterLeft(const char* key) {
    QLineEdit* e = Edit(key);
    if (!e || RefusedNumber(e)) return;
    const std::string k = key;
    const int32_t typed = IntegerOr0(e->text());
    const std::string trimmed = Trim(e->text().toStdString());
    if (auto* m = dynamic_cast<TLocOutMPT*>(&FLocation.Algorithm())) {
        if (k == "LockOut" && trimmed != std::to_string(m->LockOut())) {
            m->SetLockOut(typed);
        } else if (k == "MPT" && trimmed != std::to_string(m->MPT())) {
            m->SetMPT(typed);
        } else {
            return;
        }
    } else if (auto* v = dynamic_cast<TVallen*>(&FLocation.Algorithm())) {
        if (k == "FHCDT" && trimmed != std::to_string(v->FHCDT())) {
            v->SetFHCDT(typed);
        } else if (k == "DT1X_MAX" && trimmed != std::to_string(v->DT1X_MAX())) {
            v->SetDT1X_MAX(typed);
        } else if (k == "DTNX_MAX" && trimmed != std::to_string(v->DTNX_MAX())) {
            v->SetDTNX_MAX(typed);
        } else {
            return;
        }
    } else {
        return;
    }
    // The setters keep their invariants: the edits show what was stored.
    ShowValues();
    Changed();
}

void TfrmAeLoc::AMHCHLeft() {
    auto* v = dynamic_cast<TVallen*>(&FLocation.Algorithm());
    if (!v || v->AMHCH() == FAMHCH->isChecked()) return;
    v->SetAMHCH(FAMHCH->isChecked());
    Changed();
}

bool TfrmAeLoc::RunDialog(QDialog& d) {
    return Dialogs().Run(d) == QDialog::Accepted;
}

void TfrmAeLoc::AddChannel() {
    TChannelTypeDialog d(false, std::string(), ctGuard, this);
    if (!RunDialog(d) || d.Ignored()) return;
    TChannelText text;
    text.Kind = d.IsRange() ? TChannelText::ckRange : TChannelText::ckSingle;
    text.First = d.First();
    text.Last = d.Last();
    ApplyChannelText(FLocation.ChannelTypes(), text, d.Type());
    RefreshChannels();
    Changed();
}

void TfrmAeLoc::EditChannel() {
    QTreeWidgetItem* item = FChannels->currentItem();
    if (!item) return;
    const std::string key = item->text(0).toStdString();
    const int channel = std::stoi(key);
    TChannelTypeDialog d(true, key, FLocation.GetChannelType(channel), this);
    if (!RunDialog(d)) return;
    FLocation.SetChannelType(channel, d.Type());
    RefreshChannels();
    Changed();
}

void TfrmAeLoc::ClearChannels() {
    FLocation.ChannelTypes().Clear();
    RefreshChannels();
    Changed();
}

void TfrmAeLoc::RefreshChannels() {
    FChannels->clear();
    for (const TLocChannelTypes::TItem& item : FLocation.ChannelTypes().Items())
        new QTreeWidgetItem(FChannels, {QString::fromStdString(item.Key),
                                        QString::fromStdString(ChannelTypeName(item.Type))});
    FEditChannel->setEnabled(FChannels->currentItem() != nullptr);
}

void TfrmAeLoc::CommitEdits() {
    for (const auto& [k, e] : FEdits)
        ParameterLeft(k.c_str());
}

} // namespace vorelt
