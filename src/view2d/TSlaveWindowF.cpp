#include "view2d/TSlaveWindowF.h"

#include <QCloseEvent>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vorelt {

QRect PlaceSlaveWindow(const TSlaveRect& stored, const QRect& mainWindow, const QRect& screen,
                       const QSize& defaultSize) {
    int w = stored.Width > 0 ? stored.Width : defaultSize.width();
    int h = stored.Height > 0 ? stored.Height : defaultSize.height();
    w = std::min(std::max(w, 350), screen.width());
    h = std::min(std::max(h, 350), screen.height());
    int top = stored.Top == -1 ? mainWindow.top() + (mainWindow.height() - h) / 2 : stored.Top;
    int left = stored.Left == -1 ? mainWindow.left() + (mainWindow.width() - w) / 2 : stored.Left;
    if (top + h > screen.top() + screen.height()) top = screen.top() + screen.height() - h;
    if (left + w > screen.left() + screen.width()) left = screen.left() + screen.width() - w;
    if (top < screen.top()) top = screen.top();
    if (left < screen.left()) left = screen.left();
    return QRect(left, top, w, h);
}

TSlaveWindowF::TSlaveWindowF(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("SlaveWindowF");
    setMinimumSize(350, 350);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FPages = new QStackedWidget(this);
    FData = new QWidget(FPages);
    FData->setObjectName("Data");
    FInfo = new QWidget(FPages);
    FInfo->setObjectName("Info");
    auto* dataLayout = new QVBoxLayout(FData);
    dataLayout->setContentsMargins(0, 0, 0, 0);
    auto* infoLayout = new QVBoxLayout(FInfo);
    infoLayout->setContentsMargins(0, 0, 0, 0);
    FPages->addWidget(FData);
    FPages->addWidget(FInfo);
    layout->addWidget(FPages);
}

void TSlaveWindowF::closeEvent(QCloseEvent* event) {
    if (!FClosing) {
        FClosing = true;
        if (OnClosing) OnClosing(*this);
    }
    event->accept();
}

void TSlaveWindowF::reject() {
    close();
}

} // namespace vorelt
