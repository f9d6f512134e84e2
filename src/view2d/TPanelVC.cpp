#include "view2d/TPanelVC.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/TAEMessages.h"
#include "processing/TGVFinal.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorelt {

namespace {

QPointer<QWidget> gMainWindow;

// Clicks anywhere on the panel focus the view; a right click asks for the popup menu.
class TPanelFrame : public QFrame {
public:
    TPanelFrame(TPanelVC& view) : FView(view) {
        setFrameShape(QFrame::StyledPanel);
        setFocusPolicy(Qt::ClickFocus);
    }
    std::function<void()> OnClick;
    std::function<void(const QPoint&)> OnContext;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (OnClick) OnClick();
        QFrame::mousePressEvent(e);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        if (OnClick) OnClick();
        if (OnContext) OnContext(e->globalPos());
    }

private:
    TPanelVC& FView;
};

} // namespace

void TPanelVC::SetMainWindow(QWidget* window) {
    gMainWindow = window;
}

QWidget* TPanelVC::MainWindow() {
    return gMainWindow.data();
}

TPanelVC::TPanelVC(TGVFinal* processor) : TGVVisualClass(processor) {
    auto* frame = new TPanelFrame(*this);
    FPanel = frame;
    FPanel->setObjectName("pnlView");
    FPanel->hide();
    FPanelLayout = new QVBoxLayout(FPanel);
    FPanelLayout->setContentsMargins(1, 1, 1, 1);
    FPanelLayout->setSpacing(0);

    FHeader = new QWidget(FPanel);
    FHeader->setObjectName("pnlHeader");
    FHeader->setAutoFillBackground(true);
    auto* header = new QHBoxLayout(FHeader);
    header->setContentsMargins(2, 1, 2, 1);
    header->setSpacing(4);
    FCheckButton = new QToolButton(FHeader);
    FCheckButton->setObjectName("sbCheck");
    FCheckButton->setAutoRaise(true);
    FCaption = new QLabel(FHeader);
    FCaption->setObjectName("lCaption");
    FDetachButton = new QToolButton(FHeader);
    FDetachButton->setObjectName("sbDetach");
    FDetachButton->setAutoRaise(true);
    FDetachButton->setText(QString::fromUtf8("\u2197"));
    FDetachButton->setToolTip("Detach");
    header->addWidget(FCheckButton);
    header->addWidget(FCaption, 1);
    header->addWidget(FDetachButton);
    FPanelLayout->addWidget(FHeader);

    FContent = new QWidget(FPanel);
    FContent->setObjectName("pnlContent");
    FContentLayout = new QVBoxLayout(FContent);
    FContentLayout->setContentsMargins(0, 0, 0, 0);
    FPanelLayout->addWidget(FContent, 1);

    QObject::connect(FCheckButton, &QToolButton::clicked, FPanel,
                     [this] { SetCheckMark(!FChecked); });
    QObject::connect(FDetachButton, &QToolButton::clicked, FPanel, [this] { DetachView(); });
    frame->OnClick = [this] {
        if (FFocused) return;
        // The project unfocuses every other view, then this one takes the focus.
        if (FProcessor) {
            TAEOMSG msg;
            msg.Msg = omTakeFocus;
            msg.Text = FProcessor->ID();
            FProcessor->SendUp(msg);
        }
        SetFocusedView(true);
    };
    frame->OnContext = [this](const QPoint& pos) { ShowPopup(pos); };
    SetCheckMark(false);
    UpdateAppearance();
}

TPanelVC::~TPanelVC() {
    if (FSlave) {
        FSlave->OnClosing = nullptr;
        delete FSlave.data();
    }
    delete FPanel;
}

void TPanelVC::ApplyGeometry() {
    FPanel->setGeometry(FLeft, FTop, FWidth, FHeight);
}

void TPanelVC::SetHeaderVisible(bool visible) {
    FHeader->setVisible(visible);
}

void TPanelVC::SetVisible(bool value) {
    TGVVisualClass::SetVisible(value);
    FPanel->setVisible(value && FParentWindow != nullptr);
}

void TPanelVC::SetParentWindow(QWidget* window) {
    TGVVisualClass::SetParentWindow(window);
    const bool shown = FVisible && window;
    FPanel->setParent(window);
    FPanel->setVisible(shown);
}

void TPanelVC::SetTop(int32_t value) {
    TGVVisualClass::SetTop(value);
    ApplyGeometry();
}
void TPanelVC::SetLeft(int32_t value) {
    TGVVisualClass::SetLeft(value);
    ApplyGeometry();
}
void TPanelVC::SetHeight(int32_t value) {
    TGVVisualClass::SetHeight(value);
    ApplyGeometry();
}
void TPanelVC::SetWidth(int32_t value) {
    TGVVisualClass::SetWidth(value);
    ApplyGeometry();
}

void TPanelVC::SetFocusedView(bool value) {
    TGVVisualClass::SetFocusedView(value);
    UpdateAppearance();
}

void TPanelVC::SetCheckMark(bool value) {
    FChecked = value;
    FCheckButton->setText(value ? QString::fromUtf8("\u2611") : QString::fromUtf8("\u2610"));
    FCheckButton->setProperty("glyph", value ? "Chk" : "UnChk");
    FCheckButton->setToolTip(value ? "Unselect" : "Select");
}

void TPanelVC::SetActive(bool value) {
    TGVVisualClass::SetActive(value);
    UpdateAppearance();
}

void TPanelVC::SetOutdated(bool value) {
    TGVVisualClass::SetOutdated(value);
    UpdateAppearance();
}

void TPanelVC::UpdateAppearance() {
    if (!FCaption) return;
    QString text = QString::fromStdString(GetCaption());
    if (FOutdated) text += "  (outdated)";
    FCaption->setText(text);
    QPalette pal = FHeader->palette();
    pal.setColor(QPalette::Window, FFocused ? QColor(0xC8, 0xDC, 0xF0) : QColor(0xE4, 0xE4, 0xE4));
    FHeader->setPalette(pal);
    if (FSlave) FSlave->setWindowTitle(QString::fromStdString(GetCaption()));
}

void TPanelVC::ShowPopup(const QPoint& screenPos) {
    if (OnPopupMenu) OnPopupMenu(*this, screenPos, PopupItems());
}

void TPanelVC::Detach() {
    CloseSlaveWindow();
    TGVVisualClass::Detach();
}

TSlaveRect TPanelVC::CurrentSlaveRect() const {
    if (!FSlave) return FSlaveRect;
    const QRect g = FSlave->geometry();
    return TSlaveRect{g.top(), g.left(), g.width(), g.height()};
}

void TPanelVC::DetachView() {
    if (FSlave) return;
    QWidget* main = gMainWindow ? gMainWindow.data() : FPanel->window();
    auto* slave = new TSlaveWindowF(main);
    slave->setAttribute(Qt::WA_DeleteOnClose);
    slave->setWindowTitle(QString::fromStdString(GetCaption()));
    QRect screen(0, 0, 1280, 1024);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->availableGeometry();
    const QRect mainRect = main ? main->frameGeometry() : screen;
    slave->setGeometry(PlaceSlaveWindow(FSlaveRect, mainRect, screen));
    FContent->setParent(slave->DataSheet());
    slave->DataSheet()->layout()->addWidget(FContent);
    FContent->show();
    FDetachButton->setEnabled(false);
    slave->OnClosing = [this](TSlaveWindowF& w) { SlaveClosing(w); };
    FSlave = slave;
    slave->show();
}

void TPanelVC::SlaveClosing(TSlaveWindowF& window) {
    const QRect g = window.geometry();
    const TSlaveRect now{g.top(), g.left(), g.width(), g.height()};
    if (!(now == FSlaveRect)) {
        FSlaveRect = now;
        SetModified(false);
    }
    FContent->setParent(FPanel);
    FPanelLayout->addWidget(FContent, 1);
    FContent->show();
    FDetachButton->setEnabled(true);
    FSlave = nullptr;
    Relayout();
}

void TPanelVC::CloseSlaveWindow() {
    if (FSlave) FSlave->close();
}

void TPanelVC::SaveToNode(TNodePersist& node) const {
    TGVVisualClass::SaveToNode(node);
    SaveSlaveWindow(node);
}

void TPanelVC::SaveSlaveWindow(TNodePersist& node) const {
    const TSlaveRect r = CurrentSlaveRect();
    TNodePersist* slave = node.AddNode("SlaveWindow");
    slave->AddItem("Top", IntToStr(r.Top));
    slave->AddItem("Left", IntToStr(r.Left));
    slave->AddItem("Width", IntToStr(r.Width));
    slave->AddItem("Height", IntToStr(r.Height));
}

void TPanelVC::LoadFromNode(const TNodePersist& node) {
    TGVVisualClass::LoadFromNode(node);
    if (const TNodePersist* slave = node.FindNode("SlaveWindow")) {
        auto read = [slave](const char* key, int32_t& out) {
            int32_t v;
            if (TryStrToInt(slave->GetValue(key), v)) out = v;
        };
        read("Top", FSlaveRect.Top);
        read("Left", FSlaveRect.Left);
        read("Width", FSlaveRect.Width);
        read("Height", FSlaveRect.Height);
    }
    UpdateAppearance();
}

} // namespace vorelt
