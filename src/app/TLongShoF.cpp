#include "app/TLongShoF.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QThread>

namespace vorelt {

namespace {
int gMinimumShowTime = 500;
}

void TLongShoF::SetMinimumShowTime(int ms) {
    gMinimumShowTime = ms;
}
int TLongShoF::MinimumShowTime() {
    return gMinimumShowTime;
}

TLongShoF::TLongShoF(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint),
      FMain(mainWindow) {
    setObjectName("LongShoF");
    auto* layout = new QHBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    FMsg = new QLabel(this);
    FMsg->setObjectName("lMsg");
    FMsg->setWordWrap(true);
    FMsg->setMinimumWidth(220);
    layout->addWidget(picture);
    layout->addWidget(FMsg, 1);
    setFixedSize(320, 80);
}

void TLongShoF::ShowText(const std::string& text) {
    FMsg->setText(QString::fromStdString(text));
    if (!isVisible()) {
        if (FMain) {
            const QRect m = FMain->frameGeometry();
            move(m.left() + (m.width() - width()) / 2, m.top() + (m.height() - height()) / 2);
        }
        show();
        FShownAt.start();
    }
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TLongShoF::HideText() {
    if (!isVisible()) return;
    while (FShownAt.isValid() && FShownAt.elapsed() < gMinimumShowTime) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(10);
    }
    hide();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace vorelt
