#include "app/TChannelPanel.h"

#include "view2d/IDialogService.h"
#include "view2d/TCanvasDraw.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <utility>

namespace vorelt {

namespace {

// Right clicks on a colour square open the colour menu.
class TColorSquare : public QFrame {
public:
    TColorSquare(QWidget* parent, std::function<void(const QPoint&)> onMenu)
        : QFrame(parent), FOnMenu(std::move(onMenu)) {}

protected:
    void contextMenuEvent(QContextMenuEvent* e) override { FOnMenu(e->globalPos()); }

private:
    std::function<void(const QPoint&)> FOnMenu;
};

} // namespace

TChannelPanel::TChannelPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("pnlChannels");
    setFrameShape(QFrame::StyledPanel);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    FArea = new QWidget(this);
    auto* area = new QVBoxLayout(FArea);
    area->setContentsMargins(2, 2, 2, 2);
    auto* buttons = new QHBoxLayout();
    FAllButton = new QPushButton("All", FArea);
    FAllButton->setObjectName("btnAll");
    auto* load = new QPushButton("Load", FArea);
    load->setObjectName("btnLoad");
    buttons->addWidget(FAllButton);
    buttons->addWidget(load);
    area->addLayout(buttons);
    FRadioButtonsBox = new QCheckBox("Radio Buttons", FArea);
    FRadioButtonsBox->setObjectName("cbRadioButtons");
    area->addWidget(FRadioButtonsBox);
    FScroll = new QScrollArea(FArea);
    FScroll->setWidgetResizable(false);
    FScroll->setFrameShape(QFrame::NoFrame);
    area->addWidget(FScroll, 1);
    FStripButton = new QToolButton(this);
    FStripButton->setObjectName("sbStrip");
    FStripButton->setFixedWidth(8);
    FStripButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    outer->addWidget(FArea);
    outer->addWidget(FStripButton);
    connect(FStripButton, &QToolButton::clicked, this, [this] { SetCollapsed(!FCollapsed); });
    connect(FAllButton, &QPushButton::clicked, this, [this] { ToggleAllChannels(); });
    connect(load, &QPushButton::clicked, this, &TChannelPanel::SplitChannelsRequested);
    connect(FRadioButtonsBox, &QCheckBox::toggled, this, [this](bool on) { SetRadioMode(on); });

    FColorPopup = new QMenu(this);
    FColorPopup->setObjectName("ppColor");
    FColorPopup->addAction("Edit Color", this, [this] { EditChannelColor(FColorChannel); })
        ->setObjectName("mSelectColor");
    FColorPopup->addAction("Default Color", this, [this] { DefaultChannelColor(FColorChannel); })
        ->setObjectName("mDefaultColor");
    FColorPopup->addAction("Restore Default Colors", this, [this] { RestoreDefaultColors(); })
        ->setObjectName("mDefaultColors");
    SetCollapsed(true);
}

void TChannelPanel::SetCollapsed(bool collapsed) {
    FCollapsed = collapsed;
    FArea->setVisible(!collapsed);
    setFixedWidth(collapsed ? 8 : 140);
    FStripButton->setText(collapsed ? QString::fromUtf8("\u25B8") : QString::fromUtf8("\u25C2"));
    FStripButton->setToolTip(collapsed ? "Open" : "Close");
}

QAbstractButton* TChannelPanel::ChannelBox(int channel) const {
    return channel >= 1 && channel <= static_cast<int>(FBoxes.size())
               ? FBoxes[static_cast<size_t>(channel - 1)]
               : nullptr;
}

QFrame* TChannelPanel::ChannelSquare(int channel) const {
    return channel >= 1 && channel <= static_cast<int>(FSquares.size())
               ? FSquares[static_cast<size_t>(channel - 1)]
               : nullptr;
}

void TChannelPanel::SetChannels(const std::vector<bool>& present, bool radioMode) {
    FPresent = present;
    FRadioMode = radioMode;
    Rebuild();
}

void TChannelPanel::Rebuild() {
    {
        const QSignalBlocker b(FRadioButtonsBox);
        FRadioButtonsBox->setChecked(FRadioMode);
    }
    FAllButton->setEnabled(!FRadioMode);
    auto present = [this](int n) {
        return static_cast<size_t>(n) < FPresent.size() && FPresent[static_cast<size_t>(n)];
    };
    delete FBoxesPanel;
    FSquares.clear();
    FBoxes.clear();
    FBoxesPanel = new QWidget();
    FBoxesPanel->setObjectName("pnlChannelBoxes");
    bool firstRadio = true;
    for (int n = 1; n <= PaletteSize; ++n) {
        // Two columns of 32 per block of 64, rows in groups of 8; the second block lies below.
        const int block = (n - 1) / 64;
        const int inBlock = (n - 1) % 64;
        const int x = inBlock < 32 ? 0 : 55;
        const int r = inBlock % 32 + 1;
        const int top = 14 * r - 11 + 8 * ((r - 1) / 8) + block * 480;
        auto* square = new TColorSquare(FBoxesPanel, [this, n](const QPoint& pos) {
            FColorChannel = n;
            FColorPopup->popup(pos);
        });
        square->setObjectName("shColor_" + QString::number(n));
        square->setGeometry(x + 2, top, 13, 13);
        square->setFrameShape(QFrame::Box);
        square->setAutoFillBackground(true);
        QPalette pal = square->palette();
        pal.setColor(QPalette::Window, TCanvasDraw::ToQColor(PaletteColor(n)));
        pal.setColor(QPalette::WindowText, Qt::gray);
        square->setPalette(pal);
        QAbstractButton* box;
        if (FRadioMode)
            box = new QRadioButton(QString::number(n), FBoxesPanel);
        else
            box = new QCheckBox(QString::number(n), FBoxesPanel);
        box->setObjectName("cbChannel_" + QString::number(n));
        box->setGeometry(x + 18, top - 1, 36, 15);
        box->setEnabled(present(n));
        if (FRadioMode) {
            if (present(n) && firstRadio) {
                box->setChecked(true);
                firstRadio = false;
            }
        } else {
            box->setChecked(FAllChecked && present(n));
        }
        connect(box, &QAbstractButton::clicked, this, &TChannelPanel::SplitChannelsRequested);
        FSquares.push_back(square);
        FBoxes.push_back(box);
    }
    FBoxesPanel->setMinimumSize(112, 2 * 480);
    FBoxesPanel->resize(112, 2 * 480);
    FScroll->setWidget(FBoxesPanel);
}

std::vector<uint32_t> TChannelPanel::CheckedChannels() const {
    std::vector<uint32_t> channels;
    for (size_t k = 0; k < FBoxes.size(); ++k)
        if (FBoxes[k]->isEnabled() && FBoxes[k]->isChecked())
            channels.push_back(static_cast<uint32_t>(k + 1));
    return channels;
}

void TChannelPanel::ToggleAllChannels() {
    FAllChecked = !FAllChecked;
    for (QAbstractButton* b : FBoxes)
        if (b->isEnabled()) b->setChecked(FAllChecked);
    emit SplitChannelsRequested();
}

void TChannelPanel::SetRadioMode(bool radio) {
    if (radio == FRadioMode) return;
    if (!radio) FAllChecked = false;
    FRadioMode = radio;
    Rebuild();
    emit SplitChannelsRequested();
}

void TChannelPanel::EditChannelColor(int channel) {
    TColor chosen;
    if (!Dialogs().ChooseColor(PaletteColor(channel), chosen)) return;
    Palette().SetColor(channel, chosen);
    Rebuild();
}

void TChannelPanel::DefaultChannelColor(int channel) {
    Palette().RestoreDefault(channel);
    Rebuild();
}

void TChannelPanel::RestoreDefaultColors() {
    Palette().RestoreDefaults();
    Rebuild();
}

} // namespace vorelt
