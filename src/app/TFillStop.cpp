#include "app/TFillStop.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelt {

namespace {
TFillStop* GCurrent = nullptr;
} // namespace

TFillProgressBox::TFillProgressBox(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint) {
    setObjectName("FillProgress");
    auto* layout = new QVBoxLayout(this);
    FText = new QLabel("Loading Data...", this);
    FText->setObjectName("lFill");
    FBar = new QProgressBar(this);
    FBar->setObjectName("pbFill");
    FBar->setRange(0, 100);
    FBar->setFormat("%p %");
    FCancel = new QPushButton("Cancel", this);
    FCancel->setObjectName("bCancel");
    FCancel->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(FText);
    layout->addWidget(FBar);
    layout->addWidget(FCancel, 0, Qt::AlignRight);
    setFixedSize(360, 110);
}

void TFillProgressBox::Show(int percent, const std::string& text) {
    FBar->setValue(percent);
    FText->setText(QString::fromStdString(text));
    if (isVisible()) return;
    if (QWidget* m = parentWidget()) {
        const QRect g = m->frameGeometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
    show();
}

TFillStop::TFillStop(QLabel* status, QWidget* mainWindow)
    : FStatus(status), FMain(mainWindow), FOuter(GCurrent) {
    if (FStatus) FSaved = FStatus->text();
    GCurrent = this;
    qApp->installEventFilter(this);
    DisableCommands();
}

TFillStop::~TFillStop() {
    qApp->removeEventFilter(this);
    GCurrent = FOuter;
    for (const QPointer<QAction>& a : FDisabled)
        if (a) a->setEnabled(true);
    delete FBox;
    if (FStatus) FStatus->setText(FSaved);
}

TFillStop* TFillStop::Current() {
    return GCurrent;
}

void TFillStop::DisableCommands() {
    // An inner fill finds the commands already waiting.
    if (!FMain || FOuter) return;
    for (QAction* a : FMain->findChildren<QAction*>()) {
        if (!a->isEnabled() || a->isSeparator() || a->menu<QMenu*>()) continue;
        if (RunsDuringFill(a->objectName().toStdString())) continue;
        a->setEnabled(false);
        FDisabled.append(a);
    }
}

void TFillStop::Progress(int64_t records, int64_t total) {
    FProgress.Report(records, total);
    if (!FProgress.DueToRefresh()) return;
    const std::string text = "Loading Data... " + ProgressText(records, total);
    if (FStatus)
        FStatus->setText(QString("  Status: %1 (Esc: Stop)").arg(QString::fromStdString(text)));
    if (!FBox && FMain && FProgress.DueToShow()) {
        FBox = new TFillProgressBox(FMain);
        connect(FBox->CancelButton(), &QPushButton::clicked, this, [this] { Stop(); });
    }
    if (FBox) FBox->Show(FProgress.Percent(), text);
    QApplication::processEvents();
}

bool TFillStop::ForBox(QObject* watched) const {
    auto* w = qobject_cast<QWidget*>(watched);
    return FBox && w && (w == FBox || FBox->isAncestorOf(w));
}

bool TFillStop::eventFilter(QObject* watched, QEvent* event) {
    // Menus open and close as usual (their disabled items do nothing), and the box answers.
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool menu = qobject_cast<QMenuBar*>(watched) || qobject_cast<QMenu*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress:
        // Escape in an open menu closes the menu; elsewhere it stops the fill.
        if (QApplication::activePopupWidget()) return !menu;
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) Stop();
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return !(menu && QApplication::activePopupWidget());
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return !(menu || ForBox(watched));
    case QEvent::Close:
        // The windows stay until the fill ends.
        if (qobject_cast<QMainWindow*>(widget) || qobject_cast<QMdiSubWindow*>(widget)) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace vorelt
