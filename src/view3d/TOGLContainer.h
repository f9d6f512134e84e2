#pragma once
// The control that hosts a 3D scene: an OpenGL widget with a compatibility-profile context
// (legacy GL and GLU), the owned list of 3D visual objects drawn in list order, the draw, and
// the interaction of TOGLContainerCore fed from the mouse, the keyboard and the 250 ms
// "ShortCutTimer". Where no display can give a context (the offscreen and minimal platforms)
// it holds a plain panel saying so instead, and the interaction still works.

#include "view3d/TBaseObj3DVisials.h"
#include "view3d/TOGLContainerCore.h"
#include "view3d/TOGLDraw.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QSurfaceFormat>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QOpenGLWidget;
class QTimer;

namespace vorelt {

inline constexpr char txtNeedsDisplay[] = "3D views need a display with OpenGL";
inline constexpr char txtInitialization[] = "Initialization";
inline constexpr char txtOpenGL[] = " OpenGL";

class TOGLContainer : public QFrame, public IOGLContainerHost {
    Q_OBJECT
public:
    explicit TOGLContainer(QWidget* parent = nullptr);
    ~TOGLContainer() override;

    // False on the platforms where a GL widget must never be created.
    static bool DisplayAvailable();
    // Compatibility profile, 24 colour bits, a depth buffer, double-buffered.
    static QSurfaceFormat DefaultFormat();
    // Another format for the context (tests); the GL widget is made again.
    void SetSurfaceFormat(const QSurfaceFormat& format);

    // --- Visual objects ---------------------------------------------------------------------
    // Appended when `position` is -1 or past the end, otherwise put in front; then a repaint.
    void AddVisual(std::unique_ptr<TBaseObj3DVisials> visual, int position = -1);
    void ClearVisuals();
    int VisualCount() const { return static_cast<int>(FVisuals.size()); }
    TBaseObj3DVisials* Visual(int i) const;

    // --- Appearance ---------------------------------------------------------------------------
    void SetBackColor(const QColor& c);
    void SetAxisColor(const QColor& c);
    void SetLabelColor(const QColor& c);
    void SetFourthColor(const QColor& c);
    QColor BackColor() const { return FBack; }
    QColor AxisColor() const { return FAxis; }
    QColor LabelColor() const { return FLabel; }
    // 0 none, 1 single (a sunken edge).
    void SetBorderStyle(uint8_t style);
    uint8_t BorderStyle() const { return FBorderStyle; }

    // --- Context ------------------------------------------------------------------------------
    // After the control moved to another window: a new context at the next paint.
    void ReleaseContext();
    // The last context failure ("Error Load OpenGL", a line break and the reason); empty when
    // none. While it is set, painting is not attempted again.
    const std::string& ErrorText() const { return FErrorText; }
    bool HasGL() const { return FGL != nullptr; }
    QWidget* SceneWidget() const;
    // The rendered frame; empty without GL.
    QImage GrabFrame();
    // Requests a repaint of the scene.
    void Redraw();

    // --- Interaction --------------------------------------------------------------------------
    TOGLContainerCore& Core() { return FCore; }
    const TOGLContainerCore& Core() const { return FCore; }
    TOGLManipulator& Manipulator() { return FManipulator; }
    TOGLDraw* Draw() const { return FDraw.get(); }
    std::string ModeText() const { return FCore.ModeText(); }
    // Messages of the owner: oglNotify with a command, oglCancelMode, oglIgnored.
    void Perform(uint32_t msg, int32_t lparam);

    // oglNotify to the owner: 0 for a mode or axis change, 1 to 3 for those commands.
    std::function<void(TOGLContainer&, int32_t code)> OnNotify;
    // oglStatusText: a text to show, or an empty text to remove it.
    std::function<void(TOGLContainer&, const std::string& text)> OnStatusText;
    std::function<void(TOGLContainer&, int32_t x, int32_t y, int32_t flag)> OnClickPoint;
    std::function<bool(TOGLContainer&, const std::string& text)> OnShortCut;
    // Any mouse press on the scene, after the container handled it.
    std::function<void(TOGLContainer&)> OnClick;
    // The user turned, moved or zoomed the scene, or put it back.
    std::function<void(TOGLContainer&)> OnSceneChanged;

    // The GL widget's calls.
    void GLInitialize();
    void GLResize(int w, int h);
    void GLPaint();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

    // IOGLContainerHost
    void StartShortCutTimer() override;
    void StopShortCutTimer() override;
    void NotifyOwner(int32_t code) override;

private:
    void MakeScene();
    void Fail(const std::string& reason);
    void CheckContext();
    void MessageBox(const std::string& text, const std::string& caption);
    QPoint ScenePoint(const QPoint& p) const;
    void ApplyColors();

    TOGLManipulator FManipulator;
    TOGLContainerCore FCore;
    std::unique_ptr<TOGLDraw> FDraw;
    std::vector<std::unique_ptr<TBaseObj3DVisials>> FVisuals;
    QTimer* FTimer;
    QOpenGLWidget* FGL = nullptr;
    QLabel* FPanel = nullptr;
    QSurfaceFormat FFormat;
    std::string FErrorText;
    uint8_t FBorderStyle = 0;
    QColor FBack{0, 0, 0};
    QColor FAxis{0, 0, 0};
    QColor FLabel{255, 0, 0};
    QColor FFourth;
};

} // namespace vorelt
