#pragma once
// Every modal question a window asks (message boxes, file, colour and text choices, popup menus
// and the program's own dialogs) goes through the current dialog service, so that tests answer
// them through one fake and the application shows the platform dialogs. It lives with the
// lowest windowed library so that the views, the 3D views and the shell reach the same one.

#include "viewmodel/canvas/TypesPrg.h"

#include <string>

class QAction;
class QDialog;
class QMenu;
class QPoint;

namespace vorelt {

enum class TMsgKind { Warning, Error, Information, Confirmation };

// Button sets and results.
constexpr int mbOK = 1;
constexpr int mbCancel = 2;
constexpr int mbYes = 4;
constexpr int mbNo = 8;
constexpr int mbOKCancel = mbOK | mbCancel;
constexpr int mbYesNoCancel = mbYes | mbNo | mbCancel;

constexpr int mrNone = 0;
constexpr int mrOK = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

struct TFileDialogOptions {
    std::string Title;
    // "description|pattern|description|pattern..."
    std::string Filter;
    std::string DefaultExt;
    std::string InitialFile;
    bool MustExist = false;
    bool ConfirmOverwrite = false;
};

class IDialogService {
public:
    virtual ~IDialogService() = default;
    // False when the user cancels.
    virtual bool OpenFile(const TFileDialogOptions& options, std::string& fileName) = 0;
    virtual bool SaveFile(const TFileDialogOptions& options, std::string& fileName) = 0;
    // Lines of `text` are separated by "\r". Returns one of the mr* results. Without a caption
    // the box has the program's name over it.
    virtual int ShowMessageBox(const std::string& text, TMsgKind kind, int buttons,
                               const std::string& caption) = 0;
    int ShowMessageBox(const std::string& text, TMsgKind kind, int buttons) {
        return ShowMessageBox(text, kind, buttons, std::string());
    }
    virtual bool ChooseColor(TColor initial, TColor& chosen) = 0;
    // One line of text, `text` holding the suggestion; false when the user cancels.
    virtual bool InputText(const std::string& caption, const std::string& prompt,
                           std::string& text) = 0;
    // Shows one of the program's dialogs modally; returns QDialog::Accepted or Rejected.
    virtual int Run(QDialog& dialog) = 0;
    // Shows a popup menu at a global position; triggers and returns the chosen action, or null.
    virtual QAction* Popup(QMenu& menu, const QPoint& position) = 0;
};

// The service the windows ask: the one installed last, else the platform dialogs.
IDialogService& Dialogs();

// Makes a service the current one for its lifetime (tests install their fake so), then gives
// back the one before.
class TScopedDialogService {
public:
    explicit TScopedDialogService(IDialogService& service);
    ~TScopedDialogService();
    TScopedDialogService(const TScopedDialogService&) = delete;
    TScopedDialogService& operator=(const TScopedDialogService&) = delete;

private:
    IDialogService* FPrevious;
};

} // namespace vorelt
