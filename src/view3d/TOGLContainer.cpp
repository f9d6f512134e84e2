#include "view3d/TOGLContainer.h"

#include "view2d/IDialogService.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace vorelt {

namespace {

// The GL widget hands its three calls to the container; mouse and key events go on to the
// container, which holds the focus.
class TOGLWidget : public QOpenGLWidget {
public:
    TOGLWidget(TOGLContainer& container, const QSurfaceFormat& format)
        : QOpenGLWidget(&container), FContainer(container) {
        setObjectName("oglScene");
        setFormat(format);
        setFocusPolicy(Qt::NoFocus);
        setMouseTracking(false);
    }

protected:
    void initializeGL() override { FContainer.GLInitialize(); }
    void resizeGL(int w, int h) override { FContainer.GLResize(w, h); }
    void paintGL() override { FContainer.GLPaint(); }

private:
    TOGLContainer& FContainer;
};

} // namespace

bool TOGLContainer::DisplayAvailable() {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

QSurfaceFormat TOGLContainer::DefaultFormat() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setVersion(2, 1);
    f.setRedBufferSize(8);
    f.setGreenBufferSize(8);
    f.setBlueBufferSize(8);
    f.setDepthBufferSize(24);
    f.setStencilBufferSize(0);
    f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    return f;
}

TOGLContainer::TOGLContainer(QWidget* parent)
    : QFrame(parent), FCore(*this, FManipulator), FFormat(DefaultFormat()),
      FFourth(QApplication::palette().color(QPalette::Button)) {
    setObjectName("OGLContainer");
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FTimer = new QTimer(this);
    FTimer->setObjectName("ShortCutTimer");
    FTimer->setSingleShot(true);
    FTimer->setInterval(ShortCutInterval);
    connect(FTimer, &QTimer::timeout, this, [this] { FCore.ShortCutTimer(); });
    FManipulator.OnRepaint = [this] { Redraw(); };
    FManipulator.OnSceneChanged = [this] {
        if (OnSceneChanged) OnSceneChanged(*this);
    };
    FCore.OnClickPoint = [this](int32_t x, int32_t y, int32_t flag) {
        if (OnClickPoint) OnClickPoint(*this, x, y, flag);
    };
    FCore.OnShortCut = [this](const std::string& text) {
        return OnShortCut ? OnShortCut(*this, text) : false;
    };
    FManipulator.SetProjection(StandardProjection(std::max(1, width()), std::max(1, height())));
    MakeScene();
}

TOGLContainer::~TOGLContainer() {
    if (FGL && FDraw) {
        FGL->makeCurrent();
        FDraw.reset();
        FGL->doneCurrent();
    }
    FDraw.reset();
}

void TOGLContainer::MakeScene() {
    if (FGL) {
        if (FDraw) {
            FGL->makeCurrent();
            FDraw.reset();
            FGL->doneCurrent();
        }
        delete FGL;
        FGL = nullptr;
    }
    FDraw = std::make_unique<TOGLDraw>(*this, FManipulator);
    ApplyColors();
    if (DisplayAvailable()) {
        FGL = new TOGLWidget(*this, FFormat);
        layout()->addWidget(FGL);
        if (FPanel) FPanel->hide();
        return;
    }
    if (!FPanel) {
        FPanel = new QLabel(QString::fromUtf8(txtNeedsDisplay), this);
        FPanel->setObjectName("pnlNoDisplay");
        FPanel->setAlignment(Qt::AlignCenter);
        FPanel->setWordWrap(true);
        FPanel->setAutoFillBackground(true);
        layout()->addWidget(FPanel);
    }
    FPanel->show();
}

void TOGLContainer::SetSurfaceFormat(const QSurfaceFormat& format) {
    FFormat = format;
    FErrorText.clear();
    MakeScene();
}

QWidget* TOGLContainer::SceneWidget() const {
    if (FGL && FGL->isVisible()) return FGL;
    return FPanel ? static_cast<QWidget*>(FPanel) : static_cast<QWidget*>(FGL);
}

// --- Visual objects -------------------------------------------------------------------------

void TOGLContainer::AddVisual(std::unique_ptr<TBaseObj3DVisials> visual, int position) {
    if (!visual) return;
    if (position == -1 || position >= VisualCount())
        FVisuals.push_back(std::move(visual));
    else
        FVisuals.insert(FVisuals.begin(), std::move(visual));
    Redraw();
}

void TOGLContainer::ClearVisuals() {
    FVisuals.clear();
    Redraw();
}

TBaseObj3DVisials* TOGLContainer::Visual(int i) const {
    return i >= 0 && i < VisualCount() ? FVisuals[static_cast<size_t>(i)].get() : nullptr;
}

// --- Appearance -----------------------------------------------------------------------------

void TOGLContainer::ApplyColors() {
    if (FDraw) {
        FDraw->SetBackColor(FBack.redF(), FBack.greenF(), FBack.blueF());
        FDraw->SetAxisColor(FAxis.redF(), FAxis.greenF(), FAxis.blueF());
        FDraw->SetLabelColor(FLabel.redF(), FLabel.greenF(), FLabel.blueF());
        FDraw->SetFourthColor(FFourth.redF(), FFourth.greenF(), FFourth.blueF());
    }
    if (FPanel) {
        QPalette pal = FPanel->palette();
        pal.setColor(QPalette::Window, FBack);
        pal.setColor(QPalette::WindowText, FLabel);
        FPanel->setPalette(pal);
    }
}

void TOGLContainer::SetBackColor(const QColor& c) {
    FBack = c;
    ApplyColors();
    Redraw();
}

void TOGLContainer::SetAxisColor(const QColor& c) {
    FAxis = c;
    ApplyColors();
    Redraw();
}

void TOGLContainer::SetLabelColor(const QColor& c) {
    FLabel = c;
    ApplyColors();
    Redraw();
}

void TOGLContainer::SetFourthColor(const QColor& c) {
    FFourth = c;
    ApplyColors();
    Redraw();
}

void TOGLContainer::SetBorderStyle(uint8_t style) {
    FBorderStyle = style == 1 ? 1 : 0;
    setFrameStyle(FBorderStyle == 1 ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

// --- Context --------------------------------------------------------------------------------

void TOGLContainer::ReleaseContext() {
    if (!FGL) return;
    FErrorText.clear();
    if (FDraw) FDraw->Forget();
    FGL->show();
    if (FPanel) FPanel->hide();
    Redraw();
}

void TOGLContainer::Redraw() {
    if (FGL)
        FGL->update();
    else if (FPanel)
        FPanel->update();
}

QImage TOGLContainer::GrabFrame() {
    if (!FGL || !FErrorText.empty()) return {};
    return FGL->grabFramebuffer();
}

void TOGLContainer::MessageBox(const std::string& text, const std::string& caption) {
    Dialogs().ShowMessageBox(text, TMsgKind::Error, mbOK, caption);
}

void TOGLContainer::Fail(const std::string& reason) {
    if (!FErrorText.empty()) return;
    FErrorText = std::string(txtErrorLoadOpenGL) + "\n" + reason;
    if (OnStatusText) OnStatusText(*this, std::string());
    // The scene gives way to a panel with the reason; nothing is painted any more.
    if (!FPanel) {
        FPanel = new QLabel(this);
        FPanel->setObjectName("pnlNoDisplay");
        FPanel->setAlignment(Qt::AlignCenter);
        FPanel->setWordWrap(true);
        FPanel->setAutoFillBackground(true);
        layout()->addWidget(FPanel);
        ApplyColors();
    }
    FPanel->setText(QString::fromStdString(FErrorText));
    FPanel->show();
    if (FGL) FGL->hide();
    // Shown after the GL call that failed has returned.
    const std::string text = FErrorText;
    QTimer::singleShot(0, this, [this, text] { MessageBox(text, std::string()); });
}

void TOGLContainer::CheckContext() {
    if (FGL && FErrorText.empty() && FGL->isVisible() && !FGL->isValid())
        Fail(txtChoosePixelFormatFailed);
}

void TOGLContainer::GLInitialize() {
    if (!FErrorText.empty()) return;
    if (OnStatusText) OnStatusText(*this, std::string(txtInitialization) + txtOpenGL);
    QOpenGLContext* context = FGL ? FGL->context() : nullptr;
    if (!context || !context->isValid()) {
        Fail(txtChoosePixelFormatFailed);
        return;
    }
    // Display lists, glBegin and GLU need the fixed-function pipeline.
    if (context->isOpenGLES() || context->format().profile() == QSurfaceFormat::CoreProfile) {
        Fail(txtSetPixelFormatFailed);
        return;
    }
    FDraw->Forget();
    bool fontFailed = false;
    FDraw->Prepare(fontFailed);
    FDraw->SetupProjection(FGL->width(), FGL->height());
    if (OnStatusText) OnStatusText(*this, std::string());
    if (fontFailed)
        QTimer::singleShot(0, this, [this] { MessageBox(txtFontNotCreate, txtGlBuildFont); });
}

void TOGLContainer::GLResize(int w, int h) {
    if (!FErrorText.empty() || !FDraw || !FDraw->Ready()) return;
    FDraw->SetupProjection(w, h);
}

void TOGLContainer::GLPaint() {
    if (!FErrorText.empty() || !FDraw) return;
    if (!FDraw->Ready()) {
        bool fontFailed = false;
        FDraw->Prepare(fontFailed);
        FDraw->SetupProjection(FGL->width(), FGL->height());
    }
    std::string message;
    if (!FDraw->Paint(message)) Fail(message);
}

// --- Interaction ----------------------------------------------------------------------------

void TOGLContainer::Perform(uint32_t msg, int32_t lparam) {
    FCore.Perform(msg, lparam);
}

QPoint TOGLContainer::ScenePoint(const QPoint& p) const {
    if (QWidget* scene = SceneWidget()) return p - scene->pos();
    return p;
}

void TOGLContainer::mousePressEvent(QMouseEvent* e) {
    QFrame::mousePressEvent(e);
    const QPoint p = ScenePoint(e->position().toPoint());
    if (e->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        FCore.LeftButtonDown(p.x(), p.y());
    } else if (e->button() == Qt::RightButton) {
        FCore.RightButtonDown(p.x(), p.y());
    }
    if (OnClick) OnClick(*this);
    e->accept();
}

void TOGLContainer::mouseReleaseEvent(QMouseEvent* e) {
    QFrame::mouseReleaseEvent(e);
    const QPoint p = ScenePoint(e->position().toPoint());
    if (e->button() == Qt::LeftButton) FCore.LeftButtonUp(p.x(), p.y());
    e->accept();
}

void TOGLContainer::mouseMoveEvent(QMouseEvent* e) {
    QFrame::mouseMoveEvent(e);
    const QPoint p = ScenePoint(e->position().toPoint());
    FCore.MouseMove(p.x(), p.y(), e->buttons() == Qt::LeftButton);
    e->accept();
}

void TOGLContainer::keyPressEvent(QKeyEvent* e) {
    QFrame::keyPressEvent(e);
    int32_t code = 0;
    if (e->key() == Qt::Key_Backspace)
        code = vkBack;
    else if (e->key() == Qt::Key_Escape)
        code = vkEscape;
    else if (!e->text().isEmpty() && e->text().at(0).unicode() < 256)
        code = e->text().at(0).unicode();
    if (code == 0) return;
    FCore.KeyDown(code);
    e->accept();
}

void TOGLContainer::wheelEvent(QWheelEvent* e) {
    FManipulator.Wheel(e->angleDelta().y());
    e->accept();
}

void TOGLContainer::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    if (!FGL || !FErrorText.empty()) {
        const QWidget* scene = SceneWidget();
        const QSize s = scene ? scene->size() : size();
        FManipulator.SetProjection(
            StandardProjection(std::max(1, s.width()), std::max(1, s.height())));
    }
}

void TOGLContainer::showEvent(QShowEvent* e) {
    QFrame::showEvent(e);
    if (FGL) QTimer::singleShot(0, this, [this] { CheckContext(); });
}

void TOGLContainer::StartShortCutTimer() {
    FTimer->start();
}

void TOGLContainer::StopShortCutTimer() {
    FTimer->stop();
}

void TOGLContainer::NotifyOwner(int32_t code) {
    if (OnNotify) OnNotify(*this, code);
}

} // namespace vorelt
