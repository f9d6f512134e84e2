#pragma once
// The window of a 2D view's drawing area: a double-buffered control that hosts drawable
// objects. It maps the logical sheet onto its client area, paints into its own RGB32 back
// buffer and hands mouse, key and timer input to the container state machine.

#include "view2d/TCanvasContainerCore.h"
#include "view2d/TCanvasDraw.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace vorelt {

class TCanvasContainer : public QWidget, public ICanvasHost {
    Q_OBJECT
public:
    explicit TCanvasContainer(QWidget* parent = nullptr);
    ~TCanvasContainer() override;

    TCanvasContainerCore& Core() { return *FCore; }
    ICoordConvert& Converter() { return *FMapping; }
    const std::shared_ptr<TCoordMapping>& Mapping() const { return FMapping; }
    TCanvasDraw& CanvasDraw() { return *FDraw; }
    // The back buffer as last painted.
    const QImage& Buffer() const { return FBuffer; }
    // Paints the back buffer now if it is out of date.
    void RenderNow();

    int32_t LogicalWidth() const { return LogicalWidthUnits; }
    int32_t LogicalHeight() const { return LogicalHeightUnits; }

    // The container's operations, forwarded to the state machine.
    int AddObject(std::unique_ptr<TBaseAEVObject> obj, int index = -1) {
        return FCore->AddObject(std::move(obj), index);
    }
    void DeleteObject(int index) { FCore->DeleteObject(index); }
    void Clear() { FCore->Clear(); }
    TBaseAEVObject* GetObject(int index) const { return FCore->GetObject(index); }
    int IndexOfObject(const TBaseAEVObject* obj) const { return FCore->IndexOfObject(obj); }
    bool ExchangeObjects(int i, int j) { return FCore->ExchangeObjects(i, j); }
    void RedrawObjects() { FCore->RedrawObjects(); }
    void SelectObject(TBaseAEVObject* obj) { FCore->SelectObject(obj); }
    void StartCreate(std::unique_ptr<TBaseAEVObject> obj) { FCore->StartCreate(std::move(obj)); }
    bool IsIdle() const { return FCore->IsIdle(); }
    TColor GetColor() const { return FCore->BackColor(); }
    void SetColor(TColor c) { FCore->SetBackColor(c); }

    // 0 none, 1 single (sunken edge).
    uint8_t BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(uint8_t style);

    QTimer& ShortCutTimer() { return FShortCutTimer; }

    // Windows virtual-key code of a Qt key; 0 for keys that do not start typing.
    static uint16_t VirtualKeyOf(int qtKey);

    // ICanvasHost
    int32_t ClientWidth() const override;
    int32_t ClientHeight() const override;
    void SetMouseCapture(bool capture) override;
    void Repaint() override;
    void ShowBuffer() override;
    void StartTypingTimer() override;
    void StopTypingTimer() override;
    void TakeFocus() override;
    void BeginDragOperation() override;

    // Called when DragObjects is set and a selected object is dragged off.
    std::function<void(TCanvasContainer&)> OnStartDrag;
    // Called after the client area changed its size (the mapping already follows it), so that
    // what is measured in its pixels outside it, such as axis ticks, follows too.
    std::function<void(TCanvasContainer&)> OnResized;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static uint16_t KeyStateOf(const QMouseEvent* event);
    void EnsureBuffer();

    std::shared_ptr<TCoordMapping> FMapping;
    std::unique_ptr<TCanvasDraw> FDraw;
    std::unique_ptr<TCanvasContainerCore> FCore;
    QImage FBuffer;
    bool FDirty = true;
    bool FCaptured = false;
    uint8_t FBorderStyle = 0;
    QTimer FShortCutTimer;
};

} // namespace vorelt
