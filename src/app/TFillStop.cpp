#include "app/TFillStop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

namespace vorelt {

namespace {
TFillStop* GCurrent = nullptr;
} // namespace

TFillStop::TFillStop(QLabel* status) : FStatus(status), FOuter(GCurrent) {
    if (FStatus) FSaved = FStatus->text();
    GCurrent = this;
    qApp->installEventFilter(this);
}

TFillStop::~TFillStop() {
    qApp->removeEventFilter(this);
    GCurrent = FOuter;
    if (FStatus) FStatus->setText(FSaved);
}

TFillStop* TFillStop::Current() {
    return GCurrent;
}

void TFillStop::Progress(int64_t records) {
    FLast = records;
    if (FStatus) FStatus->setText(QString("  Status: Loading Data... %1 (Esc: Stop)").arg(records));
    QApplication::processEvents();
}

bool TFillStop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) Stop();
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace vorelt
