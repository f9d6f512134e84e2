#include "view2d/TCanvasContainer.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace vorelt {

TCanvasContainer::TCanvasContainer(QWidget* parent) : QWidget(parent) {
    FMapping = std::make_shared<TCoordMapping>(width(), height());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        FMapping->SetPixelsPerInch(screen->logicalDotsPerInch());
    FDraw = std::make_unique<TCanvasDraw>(FMapping, &FBuffer);
    FCore = std::make_unique<TCanvasContainerCore>(*this, FDraw.get());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    FShortCutTimer.setInterval(500);
    FShortCutTimer.setSingleShot(false);
    connect(&FShortCutTimer, &QTimer::timeout, this, [this] { FCore->TypingTimer(); });
}

TCanvasContainer::~TCanvasContainer() {
    FShortCutTimer.stop();
    if (FCaptured) releaseMouse();
    // Objects draw through the canvas while they go, so they go first.
    FCore.reset();
}

void TCanvasContainer::SetBorderStyle(uint8_t style) {
    FBorderStyle = style;
    Repaint();
}

int32_t TCanvasContainer::ClientWidth() const {
    return width();
}
int32_t TCanvasContainer::ClientHeight() const {
    return height();
}

void TCanvasContainer::SetMouseCapture(bool capture) {
    if (capture == FCaptured) return;
    // Qt holds the mouse for the pressed button anyway; an explicit grab is only needed for
    // states entered without a button, and only a shown window may grab.
    if (capture) {
        if (isVisible() && QGuiApplication::platformName() != "offscreen") grabMouse();
    } else {
        releaseMouse();
    }
    FCaptured = capture;
}

void TCanvasContainer::EnsureBuffer() {
    const QSize size(std::max(1, width()), std::max(1, height()));
    if (FBuffer.size() != size) {
        FBuffer = QImage(size, QImage::Format_RGB32);
        FDirty = true;
    }
    FMapping->SetSize(width(), height());
}

void TCanvasContainer::RenderNow() {
    EnsureBuffer();
    if (!FDirty) return;
    FDirty = false;
    FCore->Render();
}

void TCanvasContainer::Repaint() {
    FDirty = true;
    update();
}

void TCanvasContainer::ShowBuffer() {
    update();
}

void TCanvasContainer::StartTypingTimer() {
    FShortCutTimer.start();
}
void TCanvasContainer::StopTypingTimer() {
    FShortCutTimer.stop();
}
void TCanvasContainer::TakeFocus() {
    setFocus(Qt::MouseFocusReason);
}

void TCanvasContainer::BeginDragOperation() {
    if (OnStartDrag) OnStartDrag(*this);
}

void TCanvasContainer::paintEvent(QPaintEvent*) {
    RenderNow();
    QPainter p(this);
    p.drawImage(0, 0, FBuffer);
    if (FBorderStyle == 1) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(width() - 1, 0, width() - 1, height() - 1);
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
}

void TCanvasContainer::resizeEvent(QResizeEvent*) {
    FMapping->SetSize(width(), height());
    FDirty = true;
    if (OnResized) OnResized(*this);
}

uint16_t TCanvasContainer::KeyStateOf(const QMouseEvent* e) {
    uint16_t s = 0;
    const Qt::MouseButtons b = e->buttons();
    if (b & Qt::LeftButton) s |= MK_LBUTTON_;
    if (b & Qt::RightButton) s |= MK_RBUTTON_;
    if (b & Qt::MiddleButton) s |= MK_MBUTTON_;
    if (e->modifiers() & Qt::ShiftModifier) s |= MK_SHIFT_;
    if (e->modifiers() & Qt::ControlModifier) s |= MK_CONTROL_;
    return s;
}

void TCanvasContainer::mousePressEvent(QMouseEvent* e) {
    RenderNow();
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton)
        FCore->LeftButtonDown(pos.x(), pos.y(), KeyStateOf(e));
    else if (e->button() == Qt::RightButton)
        FCore->RightButtonDown(pos.x(), pos.y(), KeyStateOf(e));
}

void TCanvasContainer::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) FCore->LeftButtonUp(pos.x(), pos.y(), KeyStateOf(e));
}

void TCanvasContainer::mouseMoveEvent(QMouseEvent* e) {
    RenderNow();
    const QPoint pos = e->position().toPoint();
    FCore->MouseMove(pos.x(), pos.y(), KeyStateOf(e));
}

void TCanvasContainer::mouseDoubleClickEvent(QMouseEvent* e) {
    RenderNow();
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) FCore->LeftDoubleClick(pos.x(), pos.y(), KeyStateOf(e));
}

uint16_t TCanvasContainer::VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>(key);
    switch (key) {
    // Shortcut texts use "-" for the reverse command ("Z-", "W-"); the minus key types it
    // like the backspace key does.
    case Qt::Key_Backspace:
    case Qt::Key_Minus:
        return VK_BACK_;
    case Qt::Key_Delete:
        return VK_DELETE_;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    default:
        return 0;
    }
}

void TCanvasContainer::keyPressEvent(QKeyEvent* e) {
    const uint16_t vk = VirtualKeyOf(e->key());
    if (vk == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    uint16_t state = 0;
    if (e->modifiers() & Qt::ShiftModifier) state |= MK_SHIFT_;
    if (e->modifiers() & Qt::ControlModifier) state |= MK_CONTROL_;
    FCore->KeyDown(vk, state);
}

} // namespace vorelt
