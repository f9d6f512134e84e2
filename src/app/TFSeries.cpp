#include "app/TFSeries.h"

#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TSeriesGr.h"
#include "project/TIniApplic.h"
#include "view2d/IDialogService.h"
#include "view2d/TColourSwatch.h"
#include "view2d/TGraphVC.h"
#include "view2d/TLCEditor.h"
#include "view2d/TNumberEdit.h"
#include "viewmodel/dialogs/processors/TSeriesEditRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vorelt {

namespace {

constexpr char Section[] = "SERIESF";
constexpr const char* SideCaptions[] = {"Left", "Right"};
constexpr const char* BinTypeCaptions[] = {"BinCount", "BinValueInc"};

QCheckBox* Box(const char* name, const char* caption, bool checked, QWidget* parent) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(name);
    b->setChecked(checked);
    return b;
}

QRadioButton* At(const std::vector<QRadioButton*>& v, int i) {
    return i >= 0 && i < static_cast<int>(v.size()) ? v[static_cast<size_t>(i)] : nullptr;
}

} // namespace

TSeriesContext SeriesContextOf(TGraphVC& graph, const TSeriesGr& series, TIniApplic* settings) {
    TSeriesContext c;
    c.Processor = graph.Graph();
    c.BottomField = graph.FindAixsField(graph.BottomAxis().FieldId());
    c.RightAxisOn = graph.RightAxis().Enabled() && graph.RightAxis().HasField();
    for (int i = 0; i < graph.Series().Count(); ++i)
        if (const TSeriesGr* s = graph.Series().Get(i); s != &series)
            c.OtherColors.push_back(s->Color());
    c.Settings = settings;
    return c;
}

QGroupBox* TFSeries::RadioGroup(const char* name, const char* title, const char* const* captions,
                                int count, int first, std::vector<QRadioButton*>& buttons,
                                const std::function<void(int)>& chosen) {
    auto* group = new QGroupBox(title, this);
    group->setObjectName(name);
    auto* layout = new QHBoxLayout(group);
    for (int i = 0; i < count; ++i) {
        auto* b = new QRadioButton(captions[i], group);
        b->setObjectName(QString(name) + "_" + QString::number(i));
        layout->addWidget(b);
        buttons.push_back(b);
        connect(b, &QRadioButton::toggled, this, [chosen, first, i](bool on) {
            if (on) chosen(first + i);
        });
    }
    layout->addStretch(1);
    return group;
}

TFSeries::TFSeries(TSeriesGr& series, const TSeriesContext& context, bool isNew, QWidget* parent)
    : QDialog(parent), FSeries(series), FContext(context),
      FSnapshot(std::make_unique<TSeriesSnapshot>(series)) {
    setObjectName("FSeries");
    setWindowTitle(QString::fromStdString((isNew ? "Add " : "Edit ") +
                                          SeriesTypeCaption(series.TypeSeries())));
    const TSeriesControls can = SeriesControls(series.TypeSeries(), context.RightAxisOn);
    auto* layout = new QVBoxLayout(this);

    // Switches
    auto* switches = new QHBoxLayout();
    FEnableFilter = Box("cbEnableFilter", "Enable Filter", series.EnabledFilter(), this);
    FVisible = Box("cbVisible", "Visible Series", series.Visible(), this);
    FSelected = Box("cbSelected", "Selected", series.Selected(), this);
    FUseDelRec = Box("cbUseDelRec", "Used Deleted Records", series.UseDelRec(), this);
    FSplitting = Box("cbSplittingChan", "Splitting Chan", series.SplittingChan(), this);
    FSelected->setEnabled(can.Selected);
    for (QCheckBox* b : {FEnableFilter, FVisible, FSelected, FUseDelRec, FSplitting})
        switches->addWidget(b);
    switches->addStretch(1);
    layout->addLayout(switches);
    connect(FEnableFilter, &QCheckBox::toggled, this, [this](bool on) {
        FSeries.SetEnabledFilter(on);
        Applied();
    });
    connect(FVisible, &QCheckBox::toggled, this, [this](bool on) {
        FSeries.SetVisible(on);
        Applied();
    });
    connect(FSelected, &QCheckBox::toggled, this, [this](bool on) {
        FSeries.SetSelected(on);
        Applied();
    });
    connect(FUseDelRec, &QCheckBox::toggled, this, [this](bool on) {
        FSeries.SetUseDelRec(on);
        Applied();
    });
    connect(FSplitting, &QCheckBox::toggled, this, [this](bool on) {
        FSeries.SetSplittingChan(on);
        Applied();
    });

    // Side, colour and point style
    auto* looks = new QHBoxLayout();
    FSideGroup = RadioGroup("rgAixsSeries", " Axis Series ", SideCaptions, 2, sdLeft, FSides,
                            [this](int side) {
                                FSeries.SetSide(static_cast<uint8_t>(side));
                                Applied();
                            });
    FSideGroup->setEnabled(can.Side);
    looks->addWidget(FSideGroup);
    FColor = new QComboBox(this);
    FColor->setObjectName("cbColor");
    for (int32_t n = 1; n <= 128; ++n) {
        const bool used = std::find(context.OtherColors.begin(), context.OtherColors.end(), n) !=
                          context.OtherColors.end();
        FColor->addItem(ColourSwatch(PaletteColor(n)),
                        QString::fromStdString(ColorCaption(n, used)), n);
    }
    looks->addWidget(new QLabel("Color", this));
    looks->addWidget(FColor);
    FPointStyle = new QComboBox(this);
    FPointStyle->setObjectName("cbTypePoint");
    for (const char* c : PointStyleCaptions)
        FPointStyle->addItem(c);
    FPointStyle->setEnabled(can.PointStyle);
    looks->addWidget(FPointStyle);
    looks->addStretch(1);
    layout->addLayout(looks);

    // Bins
    auto* bins = new QHBoxLayout();
    QGroupBox* binType =
        RadioGroup("rgBinNumType", "", BinTypeCaptions, 2, bnCount, FBinTypes, [this](int type) {
            FSeries.SetBinNumType(static_cast<uint8_t>(type));
            ShowBinNum();
            Applied();
        });
    binType->setEnabled(can.BinNum);
    bins->addWidget(binType);
    FBinNumLabel = new QLabel(this);
    FBinNumLabel->setObjectName("lbBinNum");
    FBinNum = new QLineEdit(this);
    FBinNum->setObjectName("edBinNum");
    FBinNum->setEnabled(can.BinNum);
    TNumberEdit::Attach(FBinNum,
                        [this] { return BinNumRule(FSeries.BinNumType(), FContext.BottomField); });
    connect(FBinNum, &QLineEdit::textEdited, this, [this] { BinNumEdited(); });
    bins->addWidget(FBinNumLabel);
    bins->addWidget(FBinNum);
    layout->addLayout(bins);
    auto* aggregate = new QHBoxLayout();
    QGroupBox* sums =
        RadioGroup("rgBinSumType", "", BinSumCaptions, 5, bsCnt, FBinSums, [this](int type) {
            FSeries.SetBinSumType(static_cast<uint8_t>(type));
            Applied();
        });
    sums->setEnabled(can.BinSum);
    QGroupBox* cumulation = RadioGroup("rgBinCumulation", "", BinCumulationCaptions, 3, bcNone,
                                       FCumulations, [this](int type) {
                                           FSeries.SetBinCumulation(static_cast<uint8_t>(type));
                                           Applied();
                                       });
    cumulation->setEnabled(can.Cumulation);
    FCenterBin = Box("cbCenterBin", "Mark To Center Bin", series.CenterBin(), this);
    FCenterBin->setEnabled(can.CenterBin);
    connect(FCenterBin, &QCheckBox::toggled, this, [this](bool on) {
        FSeries.SetCenterBin(on);
        Applied();
    });
    aggregate->addWidget(sums);
    aggregate->addWidget(cumulation);
    aggregate->addWidget(FCenterBin);
    aggregate->addStretch(1);
    layout->addLayout(aggregate);

    // Condition
    FEditor = new TLCEditor(this);
    FEditor->setObjectName("lcSeries");
    FEditor->SetTree(&series.LogCons(), context.Processor);
    FEditor->OnChanged = [this] { Applied(); };
    layout->addWidget(FEditor, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // A bin number that is no number of its mode keeps the dialog open.
        if (const std::string refusal = TNumberEdit::CheckAll({FBinNum}); !refusal.empty()) {
            Dialogs().ShowMessageBox(refusal, TMsgKind::Information, mbOK);
            return;
        }
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &TFSeries::reject);
    layout->addWidget(buttons);

    // The controls show the series; none of this is a change.
    {
        const bool was = series.Updating();
        series.SetUpdating(true);
        if (QRadioButton* b = SideButton(series.Side())) b->setChecked(true);
        const int color = FColor->findData(series.Color());
        FColor->setCurrentIndex(color);
        FPointStyle->setCurrentIndex(series.TypePoint());
        if (QRadioButton* b = BinNumTypeButton(series.BinNumType())) b->setChecked(true);
        if (QRadioButton* b = BinSumButton(series.BinSumType())) b->setChecked(true);
        if (QRadioButton* b = CumulationButton(series.BinCumulation())) b->setChecked(true);
        ShowBinNum();
        series.SetUpdating(was);
    }
    connect(FColor, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0) return;
        FSeries.SetColor(FColor->itemData(i).toInt());
        Applied();
    });
    connect(FPointStyle, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0) return;
        FSeries.SetTypePoint(static_cast<uint8_t>(i));
        Applied();
    });

    int32_t top = 100, width = 640, height = 520, left = 100;
    if (FContext.Settings) FContext.Settings->ReadBounds(Section, top, width, height, left);
    setGeometry(left, top, std::max(width, 400), std::max(height, 300));
}

TFSeries::~TFSeries() {
    if (!FContext.Settings) return;
    const QRect g = geometry();
    FContext.Settings->WriteBounds(Section, g.top(), g.left(), g.height(), g.width());
}

QRadioButton* TFSeries::SideButton(int side) const {
    return At(FSides, side - sdLeft);
}
QRadioButton* TFSeries::BinNumTypeButton(int type) const {
    return At(FBinTypes, type);
}
QRadioButton* TFSeries::BinSumButton(int type) const {
    return At(FBinSums, type);
}
QRadioButton* TFSeries::CumulationButton(int type) const {
    return At(FCumulations, type);
}

void TFSeries::Applied() {
    FSeries.Changed(true);
}

void TFSeries::ShowBinNum() {
    FBinNumLabel->setText(
        QString::fromStdString(BinNumCaption(FSeries.BinNumType(), FContext.BottomField)));
    FBinNum->setText(QString::fromStdString(BinNumText(FSeries.BinNumType(), FSeries.BinNum())));
}

void TFSeries::BinNumEdited() {
    long double v = 0;
    if (!ParseBinNum(FSeries.BinNumType(), FBinNum->text().toStdString(), v)) return;
    FSeries.SetBinNum(v);
    Applied();
}

void TFSeries::reject() {
    if (!FRestored) {
        FRestored = true;
        FSnapshot->Restore(FSeries);
        Applied();
    }
    QDialog::reject();
}

bool EditSeries(QWidget* parent, TSeriesGr& series, const TSeriesContext& context, bool isNew) {
    TFSeries dialog(series, context, isNew, parent);
    if (Dialogs().Run(dialog) == QDialog::Accepted) return true;
    dialog.reject();
    return false;
}

} // namespace vorelt
