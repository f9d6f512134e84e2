#pragma once
// Every dialog the shell opens (file choice, colour choice, message boxes) goes through this
// interface, so tests script the answers and the application shows the platform dialogs.

#include "viewmodel/canvas/TypesPrg.h"

#include <string>

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
    // Lines of `text` are separated by "\r". Returns one of the mr* results.
    virtual int ShowMessageBox(const std::string& text, TMsgKind kind, int buttons) = 0;
    virtual bool ChooseColor(TColor initial, TColor& chosen) = 0;
};

} // namespace vorelt
