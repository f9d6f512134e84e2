#pragma once
// The 3D container without its window: the interaction mode (wait, typing a shortcut, round,
// move, zoom, select) with its axis, the commands an owner sends, the typed shortcuts with
// their 250 ms timer, and what reaches the draw's manipulator and the owner. The window part
// feeds it mouse, key and timer events, so the whole protocol runs in tests without a display.

#include "view3d/TOGLManipulator.h"
#include "view3d/TOGLMessages.h"

#include <functional>
#include <string>

namespace vorelt {

// Window services the container needs.
class IOGLContainerHost {
public:
    virtual ~IOGLContainerHost() = default;
    // (Re)starts the single-shot 250 ms typing timer.
    virtual void StartShortCutTimer() = 0;
    virtual void StopShortCutTimer() = 0;
    // oglNotify to the owner: 0 when the mode or axis changed, else command 1 to 3.
    virtual void NotifyOwner(int32_t code) = 0;
};

inline constexpr int32_t ShortCutInterval = 250; // ms

class TOGLContainerCore {
public:
    TOGLContainerCore(IOGLContainerHost& host, TOGLManipulator& manipulator);

    uint8_t Mode() const { return FMode; }
    uint8_t PreviousMode() const { return FPreviousMode; }
    uint8_t Axis() const { return FAxis; }
    const std::string& ShortCutText() const { return FShortCutText; }
    int32_t LastKey() const { return FLastKey; }
    // "WAIT", "ROUND FROM X", "MOVE AT Z", "ZOOM", "SELECT"; empty for Round or Move without
    // axis and while typing.
    std::string ModeText() const;
    static std::string ModeText(uint8_t mode, uint8_t axis);

    // oglNotify from the owner with a command code.
    void Command(int32_t code);
    // oglCancelMode from the owner: the view lost the focus.
    void FocusLost();
    void LeftButtonDown(int32_t x, int32_t y);
    void LeftButtonUp(int32_t x, int32_t y);
    void MouseMove(int32_t x, int32_t y, bool onlyLeft);
    void RightButtonDown(int32_t x, int32_t y);
    // A key's character code (Backspace 8, Escape 27).
    void KeyDown(int32_t code);
    void ShortCutTimer();
    // Messages to the container by number: oglNotify, oglCancelMode, oglIgnored.
    void Perform(uint32_t msg, int32_t lparam);

    // (container point, flag): a right click; flag 1 in every mode.
    std::function<void(int32_t x, int32_t y, int32_t flag)> OnClickPoint;
    // The typed text; true when the owner took it (the container then leaves its mode).
    std::function<bool(const std::string& text)> OnShortCut;

private:
    bool IsManipulating() const { return FMode == cmRound || FMode == cmMove || FMode == cmZoom; }
    // The draw's leave message for the current mode; the mode becomes Wait.
    void LeaveMode();
    void EnterMode(uint8_t mode, uint8_t axis);
    void WaitCommand(int32_t code, bool modeLeft);
    void Interpret(const std::string& text);

    IOGLContainerHost& FHost;
    TOGLManipulator& FDraw;
    uint8_t FMode = cmWait;
    uint8_t FPreviousMode = cmWait;
    uint8_t FAxis = axNone;
    std::string FShortCutText;
    int32_t FLastKey = 0;
};

} // namespace vorelt
