#include "view3d/TOGLContainerCore.h"

#include "persist/TTextHelpers.h"

namespace vorelt {

namespace {

const char* AxisLetter(uint8_t axis) {
    switch (axis) {
    case axX:
        return "X";
    case axY:
        return "Y";
    case axZ:
        return "Z";
    default:
        return nullptr;
    }
}

} // namespace

TOGLContainerCore::TOGLContainerCore(IOGLContainerHost& host, TOGLManipulator& manipulator)
    : FHost(host), FDraw(manipulator) {}

std::string TOGLContainerCore::ModeText() const {
    return ModeText(FMode, FAxis);
}

std::string TOGLContainerCore::ModeText(uint8_t mode, uint8_t axis) {
    switch (mode) {
    case cmWait:
        return "WAIT";
    case cmRound:
        if (const char* a = AxisLetter(axis)) return std::string("ROUND FROM ") + a;
        return {};
    case cmMove:
        if (const char* a = AxisLetter(axis)) return std::string("MOVE AT ") + a;
        return {};
    case cmZoom:
        return "ZOOM";
    case cmSelect:
        return "SELECT";
    default:
        return {};
    }
}

void TOGLContainerCore::LeaveMode() {
    switch (FMode) {
    case cmRound:
        FDraw.Perform(oglLeaveRotate, 0);
        break;
    case cmMove:
        FDraw.Perform(oglLeaveMove, 0);
        break;
    case cmZoom:
        FDraw.Perform(oglLeaveZoom, 0);
        break;
    default:
        break;
    }
    FMode = cmWait;
}

void TOGLContainerCore::EnterMode(uint8_t mode, uint8_t axis) {
    FMode = mode;
    FAxis = axis;
    FHost.NotifyOwner(0);
    switch (mode) {
    case cmRound:
        FDraw.Perform(oglEnterRotate, axis);
        break;
    case cmMove:
        FDraw.Perform(oglEnterMove, axis);
        break;
    case cmZoom:
        FDraw.Perform(oglEnterZoom, axis);
        break;
    default:
        break;
    }
}

void TOGLContainerCore::WaitCommand(int32_t code, bool modeLeft) {
    if (code >= ccToDefault && code <= ccReset) {
        FAxis = axNone;
        // The scene goes back to the standard view, or to the one last saved.
        if (code == ccToLastSave)
            FDraw.RestoreSaved();
        else
            FDraw.ResetScene();
        FHost.NotifyOwner(code);
    } else if (code == ccZoom) {
        EnterMode(cmZoom, axNone);
    } else if (code == ccSelect) {
        EnterMode(cmSelect, axNone);
    } else if (code >= ccRoundX && code <= ccRoundX + 2) {
        EnterMode(cmRound, static_cast<uint8_t>(code - ccRoundX + axX));
    } else if (code >= ccMoveX && code <= ccMoveX + 2) {
        EnterMode(cmMove, static_cast<uint8_t>(code - ccMoveX + axX));
    } else if (modeLeft) {
        FHost.NotifyOwner(0);
    }
}

void TOGLContainerCore::Command(int32_t code) {
    if (FMode == cmTyping) {
        FHost.StopShortCutTimer();
        FMode = FPreviousMode;
    }
    const bool modeLeft = FMode != cmWait;
    if (IsManipulating())
        LeaveMode();
    else
        FMode = cmWait;
    WaitCommand(code, modeLeft);
}

void TOGLContainerCore::FocusLost() {
    if (FMode == cmTyping) {
        FHost.StopShortCutTimer();
        FMode = FPreviousMode;
    }
    if (IsManipulating()) {
        LeaveMode();
        FHost.NotifyOwner(0);
    } else if (FMode == cmSelect) {
        FMode = cmWait;
        FHost.NotifyOwner(0);
    }
}

void TOGLContainerCore::LeftButtonDown(int32_t x, int32_t y) {
    if (IsManipulating()) FDraw.LeftButtonDown(x, y);
}

void TOGLContainerCore::LeftButtonUp(int32_t x, int32_t y) {
    if (IsManipulating()) FDraw.LeftButtonUp(x, y);
}

void TOGLContainerCore::MouseMove(int32_t x, int32_t y, bool onlyLeft) {
    if (IsManipulating()) FDraw.MouseMove(x, y, onlyLeft);
}

void TOGLContainerCore::RightButtonDown(int32_t x, int32_t y) {
    if (FMode == cmTyping) return;
    if (FMode != cmWait) {
        if (IsManipulating())
            LeaveMode();
        else
            FMode = cmWait;
        FHost.NotifyOwner(0);
    }
    if (OnClickPoint) OnClickPoint(x, y, 1);
}

void TOGLContainerCore::KeyDown(int32_t code) {
    // Backspace makes the text a single minus, which names no mode.
    const char ch = code == vkBack ? '-' : static_cast<char>(code);
    FLastKey = code;
    if (FMode != cmTyping) {
        FPreviousMode = FMode;
        FMode = cmTyping;
        FShortCutText.assign(1, ch);
    } else if (code == vkBack) {
        FShortCutText.assign(1, ch);
    } else {
        FShortCutText.push_back(ch);
    }
    FHost.StartShortCutTimer();
}

void TOGLContainerCore::ShortCutTimer() {
    FHost.StopShortCutTimer();
    if (FMode != cmTyping) return;
    const std::string text = FShortCutText;
    FMode = FPreviousMode;
    if (OnShortCut && OnShortCut(text)) {
        FocusLost();
        return;
    }
    Interpret(text);
}

void TOGLContainerCore::Interpret(const std::string& text) {
    const std::string t = UpperCase(Trim(text));
    struct TLetter {
        char Letter;
        uint8_t Mode;
        int32_t Code;
    };
    static constexpr TLetter letters[] = {{'V', cmWait, ccReset},
                                          {'R', cmRound, ccRoundX},
                                          {'M', cmMove, ccMoveX},
                                          {'S', cmSelect, ccSelect},
                                          {'Z', cmZoom, ccZoom}};
    for (const TLetter& l : letters) {
        if (t.find(l.Letter) == std::string::npos) continue;
        if (l.Mode != FMode) {
            Command(l.Code);
        } else if (FMode == cmRound || FMode == cmMove) {
            FAxis = static_cast<uint8_t>(FAxis % 3 + 1);
            FHost.NotifyOwner(0);
            FDraw.Perform(oglAxisChanged, FAxis);
        }
        return;
    }
    // No mode letter: the key goes to the draw, so Escape still ends a drag.
    FDraw.KeyDown(FLastKey);
}

void TOGLContainerCore::Perform(uint32_t msg, int32_t lparam) {
    if (msg == oglNotify)
        Command(lparam);
    else if (msg == oglCancelMode)
        FocusLost();
}

} // namespace vorelt
