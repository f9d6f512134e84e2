#pragma once
// The platform dialogs: file dialogs, the colour dialog and message boxes centred on the main
// window; the other questions open over the active window.

#include "view2d/IDialogService.h"

#include <QPointer>
#include <QString>

class QWidget;

namespace vorelt {

// "desc|pattern|desc|pattern" as a Qt name filter list ("XML Files (*.xml);;All Files (*)"):
// patterns that a description already shows in brackets are not shown twice, and "*.*" also
// takes files without an extension.
QString QtFileFilter(const std::string& filter);
// Default extension text ("*.xml") as a plain suffix ("xml"); empty for "*.*".
QString DefaultSuffix(const std::string& defaultExt);

class TQtDialogService : public IDialogService {
public:
    explicit TQtDialogService(QWidget* mainWindow = nullptr) : FMain(mainWindow) {}
    void SetMainWindow(QWidget* window) { FMain = window; }
    bool OpenFile(const TFileDialogOptions& options, std::string& fileName) override;
    bool SaveFile(const TFileDialogOptions& options, std::string& fileName) override;
    using IDialogService::ShowMessageBox;
    int ShowMessageBox(const std::string& text, TMsgKind kind, int buttons,
                       const std::string& caption) override;
    bool ChooseColor(TColor initial, TColor& chosen) override;
    bool InputText(const std::string& caption, const std::string& prompt,
                   std::string& text) override;
    int Run(QDialog& dialog) override;
    QAction* Popup(QMenu& menu, const QPoint& position) override;

private:
    QPointer<QWidget> FMain;
};

} // namespace vorelt
